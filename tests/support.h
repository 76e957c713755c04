// What the test programs share: own folders, whole files, message boxes, helper records, games.
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/emulators.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/actions.h"
#include "core/frontend.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// A user for whom permissions count: root reads and writes every file whatever its mode, so a
// test run as root is "nobody" meanwhile, and the files it makes must let nobody pass.
struct AsAnotherUser
{
    bool Switched = geteuid() == 0 && setegid(65534) == 0 && seteuid(65534) == 0;
    ~AsAnotherUser()
    {
        if (Switched && (seteuid(0) != 0 || setegid(0) != 0)) std::abort();
    }
};

inline const std::string TestPrograms = TORVANELL_BINARY_DIR "/tests/";

// Unique, so that several build folders can run their tests at once; removed at exit.
inline const fs::path& runDirectory()
{
    struct Parent
    {
        fs::path Path = fs::temp_directory_path() /
                        ("torvanell-test-" + std::to_string(std::random_device()()));
        ~Parent()
        {
            std::error_code ignored;
            fs::remove_all(Path, ignored);
        }
    };
    static Parent parent;
    return parent.Path;
}

inline fs::path freshDirectory(const std::string& suffix = "")
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "suite";
    fs::path dir = runDirectory() / (suffix.empty() ? name : name + "-" + suffix);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    fs::create_directories(dir);
    return dir;
}

inline void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline void touch(const fs::path& path)
{
    writeText(path, "");
}

// Real files other tools made live beside the project, not in it: a clone without them skips
// the tests that read them, saying which file is missing. RealData is the file's path.
#define SKIP_WITHOUT_REALDATA(relative)                                                            \
    const std::string RealData = TORVANELL_REALDATA "/" relative;                                  \
    if (!fs::exists(RealData)) GTEST_SKIP() << "missing " << RealData

inline std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

template <class Call>
std::string stdoutOf(Call call)
{
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
}
template <class Call>
std::string stderrOf(Call call)
{
    testing::internal::CaptureStderr();
    call();
    return testing::internal::GetCapturedStderr();
}

inline void tick(const std::vector<int>& keys)
{
    for (int key : keys) testPressKey(key);
    processTick(FrontendState.MainWindow);
    for (int key : keys) testReleaseKey(key);
}

// Dispatches everything waiting; 1 when the quit message was among it.
inline int quitPosted()
{
    Message message;
    int quit = 0;
    while (platformTakeMessage(&message))
    {
        quit |= message.Kind == MsgQuit;
        platformDispatchMessage(&message); // a paint stays queued until it is done
    }
    return quit;
}

// Every box shown must be an "Error" box.
inline std::vector<std::string> boxTexts()
{
    std::vector<std::string> texts;
    for (const RecordedMessageBox& box : testMessageBoxes())
    {
        EXPECT_EQ(box.Caption, "Error") << box.Text;
        texts.push_back(box.Text);
    }
    return texts;
}

// argrecorder's working directory, then its arguments.
inline std::vector<std::string> readRecord(const fs::path& path)
{
    std::string text = readText(path);
    std::vector<std::string> entries;
    for (size_t at = 0; at < text.size();)
    {
        size_t blank = text.find(' ', at), end = text.find('\n', at);
        size_t length = std::stoul(text.substr(blank + 1, end - blank - 1));
        entries.push_back(text.substr(end + 1, length));
        at = end + 1 + length + 1;
    }
    return entries;
}

class InFreshDirectory : public testing::Test
{
protected:
    fs::path Dir, PreviousDirectory;
    void SetUp() override
    {
        Dir = freshDirectory();
        PreviousDirectory = fs::current_path();
        fs::current_path(Dir);
    }
    void TearDown() override
    {
        fs::current_path(PreviousDirectory);
    }
};

inline std::string useConfig(const fs::path& file, const std::string& text)
{
    writeText(file, text);
    FrontendSettings.ConfigFile = file.string();
    return file.string();
}

inline void resetCatalogue()
{
    freeCatalogue();
    freeEmulators();
}

inline Emulator* addEmulator(const std::string& name, const std::string& romPath = "",
                             const std::string& extension = "")
{
    Emulator* e = EmulatorTable.emplace_back(std::make_unique<Emulator>()).get();
    std::tie(e->Name, e->IncludeInAll, e->RomPath, e->RomFileExt) =
        std::make_tuple(name, 1, romPath, extension);
    return e;
}

// A MAME emulator with the filters a fresh configuration gives.
inline Emulator* addMame(const std::string& romPath = "")
{
    Emulator* emulator = addEmulator("MAME", romPath, "zip");
    emulator->Kind = EmulatorMame;
    emulator->MachineFilter = std::make_unique<MameFilter>();
    for (const MameFilterKey& key : MameFilterKeys)
        setMameFilterValue(*emulator->MachineFilter, key, key.Default);
    return emulator;
}

inline Game* addGame(const std::string& name, int emulatorIndex = 0)
{
    std::unique_ptr<Game> game = newGame(emulatorIndex);
    game->Name = game->Description = name;
    return appendGame(std::move(game));
}

// One colour (0x00BBGGRR) as PNG, or as JPEG for ".jpg".
inline void writePicture(const fs::path& path, int width, int height, uint32_t color)
{
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
    RGBQUAD pixel = {(BYTE)((color >> 16) & 0xFF), (BYTE)((color >> 8) & 0xFF),
                     (BYTE)(color & 0xFF), 0};
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) FreeImage_SetPixelColor(bitmap, x, y, &pixel);
    int jpeg = path.extension() == ".jpg";
    FreeImage_Save(jpeg ? FIF_JPEG : FIF_PNG, bitmap, path.c_str(), jpeg ? JPEG_QUALITYSUPERB : 0);
    FreeImage_Unload(bitmap);
}

inline int countColour(Surface* surface, Rect rect, Color color)
{
    int count = 0;
    for (int y = rect.Top; y < rect.Bottom; y++)
        for (int x = rect.Left; x < rect.Right; x++)
            count += platformGetPixel(surface, x, y) == color;
    return count;
}

inline std::string writeWave(const fs::path& path, int milliseconds)
{
    auto bytesOf = [](uint32_t value, int count) { return std::string((char*)&value, count); };
    uint32_t size = (uint32_t)(44100LL * milliseconds / 1000) & ~1u;
    writeText(path, "RIFF" + bytesOf(36 + size, 4) + "WAVEfmt " + bytesOf(16, 4) + bytesOf(1, 2) +
                        bytesOf(1, 2) + bytesOf(22050, 4) + bytesOf(44100, 4) + bytesOf(2, 2) +
                        bytesOf(16, 2) + "data" + bytesOf(size, 4) + std::string(size, '\0'));
    return path.string();
}

// A front end without games on the test platform, its skin folder "skin" beside its settings.
class WithMainWindow : public InFreshDirectory
{
protected:
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        fs::create_directories(Dir / "skin");
        startFrontend("[Settings]\nSkin.dir=" + Dir.string() + "\nSkin=skin\n");
    }
    void TearDown() override
    {
        releaseResources();
        platformStop();
        InFreshDirectory::TearDown();
    }
    void startFrontend(const std::string& configText)
    {
        startTestPlatform();
        resetFrontend();
        useConfig(Dir / "t.ini", configText);
        loadFrontendSettings();
        loadSkin();
        FrontendState.CurrentEmulator = -1;
        createMainWindow();
        platformShowWindow(FrontendState.MainWindow, ShowMaximized);
    }
};
