// A month of running on the test clock: the screensaver changing its picture every 20
// seconds, and a player pressing keys every few minutes, over a catalogue of demo size.
// Nothing may grow, the selection stays in range and no timer is lost.
#include "core/actions.h"
#include "core/frontend.h"
#include "display/videoplayer.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "support.h"

#include <unistd.h>

static const int GameCount = 60;
static const int64_t Day = 24 * 3600; // seconds

struct Month
{
    int64_t Frequency, Tick; // counts per second and per tick
    int64_t Start, End;      // the counter at the loop's start and where the month ends
    int64_t NextKeyAt, LastKeyAt;
    int ExpectedGame; // where the screensaver's pictures must have moved the selection
    int Keys, GamesStarted, Pictures, LastKey;
    int64_t VideoFrames, VideosAsked;
    long ResidentAtDay1, ResidentAtEnd;
    int FilesAtDay1, FilesAtEnd;
    std::mt19937 Random{2026};
};
static Month M;

static long residentKilobytes()
{
    long pages = 0, resident = 0;
    std::istringstream(readText("/proc/self/statm")) >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The decoder's thread opens and closes the video it plays at its own pace, so a count taken
// from the main thread may or may not see that one file: it is counted apart, and never more
// than one may be open.
static int openFiles()
{
    int files = 0, videos = 0;
    for (const fs::directory_entry& fd : fs::directory_iterator("/proc/self/fd"))
    {
        std::error_code gone; // a file closed while the folder is read: not open any more
        fs::path target = fs::read_symlink(fd.path(), gone);
        if (!gone) (target.extension() == ".mp4" ? videos : files)++;
    }
    EXPECT_LE(videos, 1);
    return files;
}

// The pictures the screensaver shows in an idle time of that many seconds: the first after
// 60 seconds, then one every 20.
static int picturesIn(int64_t seconds)
{
    return seconds < 60 ? 0 : 1 + (int)((seconds - 60) / 20);
}

// The keys that restart the screensaver's countdown and need no answer (the menu and the
// game information wait for keys of their own).
static const int PlayerKeys[] = {VkUp, VkDown, VkLeft, VkRight, '1'};

static void pressRandomKey(int64_t now)
{
    int64_t idle = (now - M.LastKeyAt) / M.Frequency;
    int pictures = picturesIn(idle);
    M.Pictures += pictures;
    int count = (int)VisibleGames.size();
    EXPECT_EQ(FrontendState.CurrentGame, (M.ExpectedGame + pictures) % count)
        << "after " << idle << " idle seconds on day " << (now - M.Start) / M.Frequency / Day
        << ", the last key " << M.LastKey;
    int key = PlayerKeys[M.Random() % std::size(PlayerKeys)];
    // A key during the screensaver only wakes it; '1' starts the selected game otherwise.
    M.GamesStarted += key == '1' && !FrontendState.ScreenSaverActive;
    M.Keys++;
    M.LastKey = key;
    testTapKey(key);
}

// After the key's tick: a game moved the clock on while it ran, and the countdown starts again
// when it ends. The next key 2 to 30 seconds or 1 to 10 minutes later, half a second off the
// timers' beat: a player's turn at the cabinet, then a while without one.
static void planNextKey(int64_t now)
{
    M.LastKeyAt = now;
    int64_t wait = M.Random() % 2 ? 2 + M.Random() % 28 : 60 + M.Random() % 540;
    M.NextKeyAt = now + wait * M.Frequency + M.Frequency / 2;
}

// Every tick moves the clock on by one tick, so the loop never sleeps: a month of ticks runs
// back to back. A video's frames are taken as they come between ticks; the decoder's thread
// runs in real time meanwhile, and its screensaver videos are moved on by the timer alone.
static void monthTick(Window* window)
{
    int64_t now = platformCounter();
    ASSERT_GE(FrontendState.CurrentGame, 0);
    ASSERT_LT(FrontendState.CurrentGame, (int)VisibleGames.size());
    int keyTick = now >= M.NextKeyAt;
    if (keyTick) pressRandomKey(now);
    processTick(window);
    M.VideoFrames += videoStep() == VideoDrew;
    // A real loop looks at its queue many times between two ticks; this one only once, and a
    // paint goes before a timer: a frame drawn at every tick would keep the screensaver's timer
    // waiting for as long as frames come. What the tick drew is painted now.
    platformUpdateWindow(window);
    M.VideosAsked = VideoPlayer.VideosAsked; // the record is cleared at the exit
    if (keyTick)
    {
        M.ExpectedGame = FrontendState.CurrentGame;
        planNextKey(platformCounter());
    }
    if (!M.ResidentAtDay1 && now - M.Start >= Day * M.Frequency)
    {
        M.ResidentAtDay1 = residentKilobytes();
        M.FilesAtDay1 = openFiles();
    }
    if (now >= M.End && !M.ResidentAtEnd)
    {
        M.ResidentAtEnd = residentKilobytes();
        M.FilesAtEnd = openFiles();
    }
    // Once a second: the first Escape may only wake the screensaver.
    if (now >= M.End && (now - M.End) % M.Frequency == 0) testTapKey(VkEscape);
    testAdvanceClock(M.Tick);
}

class SimulatedMonth : public InFreshDirectory
{
protected:
    void TearDown() override
    {
        MainLoopTick = processTick;
        testReleaseKey(VkEscape);
        unsetenv("ARGRECORDER_OUT");
        resetCatalogue();
        InFreshDirectory::TearDown();
    }
};

// Every game but each third has a picture, or with videos a video as well, which the
// screensaver then shows.
static std::string writeMonthGames(const fs::path& dir, int videos)
{
    std::string games;
    fs::create_directories(dir / "art");
    for (int i = 0; i < GameCount; i++)
    {
        std::string name = "game" + std::to_string(100 + i);
        games +=
            "Game" + std::to_string(i + 1) + "=Game " + std::to_string(100 + i) + "," + name + "\n";
        if (i % 3) writePicture(dir / "art" / (name + (i % 2 ? ".png" : ".jpg")), 64, 48, i);
        if (videos) fs::create_symlink("../video.mp4", dir / "art" / (name + ".mp4"));
    }
    if (!videos) return games;
    std::string make = "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                       "testsrc=size=64x48:rate=10:duration=1 -c:v libx264 -pix_fmt yuv420p '" +
                       (dir / "video.mp4").string() + "'";
    EXPECT_EQ(std::system(make.c_str()), 0);
    return games;
}

static void runMonth(const fs::path& dir, int videos)
{
#if defined(__SANITIZE_ADDRESS__)
    int days = 1; // what the sanitizer build adds is its leak check at the end
#else
    int days = 30;
#endif
    std::string config = "[Settings]\nEmulators=Demo\nSkin.dir=" + dir.string() +
                         "\nSkin=skin\nScreenSaverType=" + (videos ? "Videos" : "Screenshots") +
                         "\nScreenSaverStartInterval=60\nScreenSaverChangeInterval=20\n"
                         "[Demo]\nExecPath=" +
                         TestPrograms +
                         "\nExecutable=argrecorder\nCmdLine=%f\nSnaps=art\nVideos=art\n" +
                         writeMonthGames(dir, videos);
    fs::create_directories(dir / "skin");
    writeText(dir / "skin" / "skin.ini", "[List]\nScreenshotWidth=64\nScreenshotHeight=48\n");
    writeText(dir / "t.ini", config);
    setenv("ARGRECORDER_OUT", (dir / "record").c_str(), 1);

    // A small screen: a month redraws it a hundred thousand times, and what is measured is what
    // grows, not pixels.
    testUseScreenSize(128, 96);
    startTestPlatform();
    M = Month{};
    M.Frequency = platformCounterFrequency();
    M.Tick = M.Frequency / 10;
    M.Start = M.LastKeyAt = platformCounter();
    M.End = M.Start + days * Day * M.Frequency;
    M.NextKeyAt = M.Start + 90 * M.Frequency;
    MainLoopTick = monthTick;
    EXPECT_EQ(runFrontend((dir / "t.ini").string()), 0);

    long growth = M.ResidentAtEnd - M.ResidentAtDay1;
    std::printf("%d days: %d keys, %d games started, %d screensaver pictures, %lld videos asked, "
                "%lld frames "
                "shown; "
                "resident size %ld kB after day 1, %+ld kB at the end; %d open files\n",
                days, M.Keys, M.GamesStarted, M.Pictures, (long long)M.VideosAsked,
                (long long)M.VideoFrames, M.ResidentAtDay1, growth, M.FilesAtEnd);
    EXPECT_GT(M.Pictures, days * 2000); // most of the month is screensaver
    EXPECT_GT(M.GamesStarted, days * 10);
    // The frames shown depend on how fast the decoder's thread is; every screensaver step asks.
    EXPECT_GE(M.VideosAsked, videos ? M.Pictures : 0);
    EXPECT_LE(M.FilesAtEnd, M.FilesAtDay1);
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizer's quarantine holds freed memory; its leak check covers that build.
    EXPECT_LT(growth, 4096);
#endif
    EXPECT_TRUE(testMessageBoxes().empty());
}

TEST_F(SimulatedMonth, ScreensaverAndKeysForThirtyDays)
{
    runMonth(Dir, 0);
}

// The same month with a video for every game: the screensaver's and the list's.
TEST_F(SimulatedMonth, VideosForThirtyDays)
{
    runMonth(Dir, 1);
}
