// Reading a full-set MAME list: (a) a bare Expat parse of the file with empty handlers against
// (b) loadMameList + markAvailableGames + sort + rebuildVisibleGames, for the new and the old
// format, with the resident memory after loading. The data comes from gen_mamelist:
//
//   bench/gen_mamelist /tmp/torvanell-bench-mamelist && bench/bench_mamelist
//
// (TORVANELL_BENCH_DATA names another directory.)
#include "catalogue/emulators.h"
#include "catalogue/filters.h"
#include "catalogue/mamelist.h"
#include "config/settings.h"
#include "core/frontend.h"
#include "runtime/state.h"

#include <benchmark/benchmark.h>
#include <expat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

static fs::path dataDirectory()
{
    const char* dir = std::getenv("TORVANELL_BENCH_DATA");
    return dir ? fs::path(dir) : fs::temp_directory_path() / "torvanell-bench-mamelist";
}

// A field of /proc/self/status in megabytes.
static double statusMegabytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::atof(line.c_str() + std::strlen(field) + 1) / 1024;
    return 0;
}

static void XMLCALL emptyStart(void*, const XML_Char*, const XML_Char**) {}
static void XMLCALL emptyEnd(void*, const XML_Char*) {}
static void XMLCALL emptyText(void*, const XML_Char*, int) {}

// The same block size as the loader reads with, the file handed over as it is.
static int bareParse(const fs::path& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetElementHandler(parser, emptyStart, emptyEnd);
    XML_SetCharacterDataHandler(parser, emptyText);
    std::vector<char> buffer(1 << 20);
    int ok = 1;
    for (;;)
    {
        size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
        int last = got < buffer.size();
        if (XML_Parse(parser, buffer.data(), (int)got, last) == XML_STATUS_ERROR) ok = 0;
        if (!ok || last) break;
    }
    XML_ParserFree(parser);
    std::fclose(file);
    return ok;
}

static std::map<std::string, double> BareSeconds; // by list file, for the ratio

static void addEmulator(const fs::path& roms)
{
    Emulator* mame = EmulatorTable.emplace_back(std::make_unique<Emulator>()).get();
    mame->Name = "MAME";
    mame->Kind = EmulatorMame;
    mame->IncludeInAll = 1;
    mame->RomPath = roms.string();
    mame->MachineFilter = std::make_unique<MameFilter>();
    for (const MameFilterKey& key : MameFilterKeys)
        setMameFilterValue(*mame->MachineFilter, key, key.Default);
}

static void BM_BareExpat(benchmark::State& state, const char* list)
{
    fs::path path = dataDirectory() / list;
    if (!fs::exists(path)) return state.SkipWithError("no data: run gen_mamelist first");
    double total = 0;
    for (auto _ : state)
    {
        auto start = std::chrono::steady_clock::now();
        if (!bareParse(path)) return state.SkipWithError("the list does not parse");
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    BareSeconds[list] = total / (double)state.iterations();
    state.counters["MB"] = (double)fs::file_size(path) / (1 << 20);
}

static void BM_LoadList(benchmark::State& state, const char* list)
{
    fs::path path = dataDirectory() / list;
    if (!fs::exists(path)) return state.SkipWithError("no data: run gen_mamelist first");
    FrontendSettings.UseMameInfoDat = 0;
    FrontendState.CurrentEmulator = -1;
    freeEmulators();
    addEmulator(dataDirectory() / "roms");
    double total = 0, resident = 0;
    for (auto _ : state)
    {
        auto start = std::chrono::steady_clock::now();
        if (!loadMameList(path.string(), 0)) return state.SkipWithError("loadMameList failed");
        markAvailableGames(0);
        sortAllGames();
        rebuildVisibleGames();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        if (resident == 0) resident = statusMegabytes("VmRSS:"); // the first load only
        state.counters["games"] = (double)AllGames.size();
        state.counters["visible"] = (double)VisibleGames.size();
        freeCatalogue();
        state.ResumeTiming();
    }
    state.counters["resident_MB"] = resident;
    state.counters["peak_MB"] = statusMegabytes("VmHWM:");
    double seconds = total / (double)state.iterations();
    if (BareSeconds.count(list)) state.counters["ratio_to_bare"] = seconds / BareSeconds[list];
    freeEmulators();
}

// Loading first, so that its resident figure is not inflated by anything before it.
BENCHMARK_CAPTURE(BM_LoadList, new_format, "mame-new.lst")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_BareExpat, new_format, "mame-new.lst")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_LoadList, new_format_again, "mame-new.lst")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_BareExpat, old_format, "mame-old.lst")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_LoadList, old_format, "mame-old.lst")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
