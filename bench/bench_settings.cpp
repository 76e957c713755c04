// The cost of reading the settings at start-up and of the exit save, which writes about 50
// filter keys per emulator, each one a read of the file and an atomic replacement.
#include "catalogue/catalogue.h"
#include "config/ini.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/frontend.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

const int EmulatorCountForBench = 4;

// A configuration as a cabinet owner's would look: settings, key mappings, and four
// emulators, two MAME and two with name-code filters, each with its filter keys present.
static std::string sampleConfiguration()
{
    std::string text = "; cabinet\r\n[Settings]\r\nEmulators=MAME,MAME2,Genesis,SNES\r\n";
    text += "MenuType=ListView\r\nPreviewPictures=ScreenShots\r\nSkin=DefaultSkin\r\n";
    text += "SendKeys=0\r\nSendKeyWait=6\r\nSendKeyInterval=500\r\n\r\n[Keymappings]\r\n";
    for (int i = 0; i < KeyBindingCount; i++)
        text += std::string(KeyBindings[i].Name) + "=" + KeyBindings[i].DefaultKey + "\r\n";
    for (const char* name : {"MAME", "MAME2", "Genesis", "SNES"})
    {
        text += "\r\n[" + std::string(name) + "]\r\nExecPath=/opt/emu\r\nRomPath=/roms\r\n";
        for (int key = 0; key < 50; key++) text += "Filter" + std::to_string(key) + "=1\r\n";
    }
    return text + "\r\n[System]\r\nSelectedGame=pacman\r\n";
}

static void prepare(const fs::path& file)
{
    std::ofstream(file, std::ios::binary) << sampleConfiguration();
    FrontendSettings.ConfigFile = file.string();
    freeCatalogue();
    freeEmulators();
    const char* names[EmulatorCountForBench] = {"MAME", "MAME2", "Genesis", "SNES"};
    for (int i = 0; i < EmulatorCountForBench; i++)
    {
        auto* emulator = EmulatorTable.emplace_back(std::make_unique<Emulator>()).get();
        emulator->Name = names[i];
        emulator->Kind = i < 2 ? EmulatorMame : EmulatorRomFiles;
        emulator->UseGoodFilters = i >= 2;
        if (emulator->Kind == EmulatorMame)
            emulator->MachineFilter = std::make_unique<MameFilter>();
        if (emulator->UseGoodFilters) emulator->CodeFilter = std::make_unique<NameCodeFilter>();
    }
}

static void BM_LoadFrontendSettings(benchmark::State& state)
{
    fs::path file = fs::temp_directory_path() / "torvanell-bench-load.ini";
    prepare(file);
    for (auto _ : state)
    {
        loadFrontendSettings();
        loadSkin();
    }
    fs::remove(file);
}
BENCHMARK(BM_LoadFrontendSettings)->Unit(benchmark::kMillisecond);

// Every filter key is new or changed: every write replaces the file.
static void BM_ExitSaveEverythingChanged(benchmark::State& state)
{
    fs::path file = fs::temp_directory_path() / "torvanell-bench-save.ini";
    for (auto _ : state)
    {
        state.PauseTiming();
        prepare(file);
        state.ResumeTiming();
        saveFrontendSettings();
    }
    fs::remove(file);
    freeEmulators();
}
BENCHMARK(BM_ExitSaveEverythingChanged)->Unit(benchmark::kMillisecond);

// The usual exit: the keys already hold what is written, so no file is replaced.
static void BM_ExitSaveNothingChanged(benchmark::State& state)
{
    fs::path file = fs::temp_directory_path() / "torvanell-bench-same.ini";
    prepare(file);
    saveFrontendSettings();
    for (auto _ : state) saveFrontendSettings();
    fs::remove(file);
    freeEmulators();
}
BENCHMARK(BM_ExitSaveNothingChanged)->Unit(benchmark::kMillisecond);

static void BM_ReadOneKeyOf50MB(benchmark::State& state)
{
    fs::path file = fs::temp_directory_path() / "torvanell-bench-big.ini";
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Filler]\n";
        for (size_t size = 0; size < (50u << 20); size += 40)
            out << "Padding=01234567890123456789012345678\n";
        out << "[S]\nk=v\n";
    }
    for (auto _ : state) benchmark::DoNotOptimize(iniReadString("S", "k", "", file.string()));
    fs::remove(file);
}
BENCHMARK(BM_ReadOneKeyOf50MB)->Unit(benchmark::kMillisecond);
