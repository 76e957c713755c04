// What the fuzz targets share: a scratch file of their own for the readers that take a path,
// and a check that stops the run where a property does not hold.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

// A file name no other fuzzing process uses, in memory where the system offers it: the readers
// open files by path, and a file on disk would cost a write for every input.
inline const std::string& scratchFile(const std::string& suffix)
{
    struct Scratch
    {
        std::string Path;
        ~Scratch()
        {
            std::error_code ignored;
            std::filesystem::remove(Path, ignored);
            std::filesystem::remove(Path + ".cache", ignored); // a list's snapshot
        }
    };
    static Scratch scratch;
    if (scratch.Path.empty())
    {
        std::error_code ignored;
        std::filesystem::path dir = std::filesystem::is_directory("/dev/shm", ignored)
                                        ? std::filesystem::path("/dev/shm")
                                        : std::filesystem::temp_directory_path();
        scratch.Path =
            (dir / ("torvanell-fuzz-" + std::to_string(std::random_device()()) + suffix)).string();
    }
    return scratch.Path;
}

inline void writeScratch(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write((const char*)data, (long)size);
}

// A broken property is a finding like a crash: libFuzzer keeps the input that broke it.
inline void require(bool holds, const std::string& what)
{
    if (holds) return;
    fprintf(stderr, "Property broken: %s\n", what.c_str());
    abort();
}
