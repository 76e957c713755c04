// Videos: the opener against files ffmpeg makes in the test run (good, damaged and absurd), and
// the player in the screenshot's box and the screensaver, timed by the test clock while the
// decoder's thread runs in real time.
#include "config/skin.h"
#include "core/mainwindow.h"
#include "display/layout.h"
#include "display/mainscreen.h"
#include "display/picturecache.h"
#include "display/placement.h"
#include "display/video.h"
#include "display/videoplayer.h"
#include "platform/clock.h"
#include "platform/modules.h"
#include "runtime/music.h"
#include "support.h"

#include <chrono>
#include <thread>

// Made once per test program with ffmpeg: lavfi sources, H.264 in MP4 unless named otherwise.
static fs::path madeVideo(const std::string& name, const std::string& arguments)
{
    fs::path path = runDirectory() / "videos" / name;
    if (fs::exists(path)) return path;
    fs::create_directories(path.parent_path());
    std::string command =
        "ffmpeg -nostdin -loglevel error -y " + arguments + " '" + path.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
}

// Ten frames a second for a second, one colour, 320x240, with a tone.
static fs::path redVideo()
{
    return madeVideo("red.mp4", "-f lavfi -i color=c=red:size=320x240:rate=10:duration=1 "
                                "-f lavfi -i sine=duration=1 -pix_fmt yuv420p -c:v libx264 "
                                "-c:a aac");
}

static int64_t readMs()
{
    return platformMilliseconds();
}

// The test clock to a time; the decoder meanwhile runs in real time, so a step is tried until
// it draws or real seconds pass.
static VideoStep stepAt(int64_t milliseconds, int waitForFrame = 1)
{
    int64_t now = readMs();
    if (milliseconds > now)
        testAdvanceClock((milliseconds - now) * platformCounterFrequency() / 1000);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;)
    {
        VideoStep step = videoStep();
        if (step != VideoIdle || !waitForFrame || std::chrono::steady_clock::now() > deadline)
            return step;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// What the steps come to within real seconds, the test clock standing at milliseconds.
static VideoStep settle(int64_t milliseconds, int seconds)
{
    VideoStep step = stepAt(milliseconds, 0);
    for (int i = 0; i < seconds * 250 && step == VideoIdle; i++)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
        step = videoStep();
    }
    return step;
}

static int isRed(Color c)
{
    return (c & 0xFF) > 200 && ((c >> 8) & 0xFF) < 60 && ((c >> 16) & 0xFF) < 60;
}

static int countRed(Surface* surface, Rect rect)
{
    int count = 0;
    for (int y = rect.Top; y < rect.Bottom; y++)
        for (int x = rect.Left; x < rect.Right; x++)
            count += isRed(platformGetPixel(surface, x, y));
    return count;
}

const Color Green = 0x00FF00;
const Rect Shot = {140, 50, 460, 290}; // 320x240 centred in the 400x300 box at (100, 50)

class Videos : public InFreshDirectory
{
protected:
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        startTestPlatform();
        testUseClock(1000000);
        resetFrontend();
        forgetPictures();
        FrontendSettings.SkinDir = "skins";
        FrontendSettings.SkinName = "Missing";
        FrontendSettings.MenuType = ViewList;
        FrontendSettings.ScreenSaverType = SaverVideos;
        FrontendSettings.VideoDelay = 600;
        FrontendSettings.VideoSound = 0;
        FrontendSettings.VideoVolume = 50;
        loadSkin();
        Skin.ShowStatusBar = 0;
        Skin.Fontcolor = Skin.HighlightForecolor = 0xFFFFFF; // only the video is red
        Skin.ScreenshotStartX = 100;
        Skin.ScreenshotStartY = 50;
        Skin.ScreenshotWidth = 400;
        Skin.ScreenshotHeight = 300;
        PictureCache.Budget = DefaultPictureBudget;
        Emulator* emulator = addEmulator("Arcade");
        emulator->Snaps = "snap";
        emulator->Videos = "videos";
        fs::create_directories("snap");
        fs::create_directories("videos");
        FrontendState.BackBuffer = platformCreateSurface(800, 600);
    }
    void TearDown() override
    {
        releaseResources();
        forgetPictures();
        InFreshDirectory::TearDown();
    }
    Game* show(const std::string& name, const std::string& parent = "")
    {
        Game* game = addGame(name);
        game->CloneOf = parent;
        writePicture("snap/" + name + ".png", 320, 240, Green);
        VisibleGames.push_back(game);
        return game;
    }
    void select(int index)
    {
        FrontendState.CurrentGame = index;
        drawMainScreen(FrontendState.BackBuffer);
    }
    Surface* screen()
    {
        return FrontendState.BackBuffer;
    }
};

// The screenshot until the selection has rested; then the video in its place by the
// screenshot's rule, kept by redraws; a move stops it at once; a clone plays its parent's.
TEST_F(Videos, TheVideoWaitsForTheRestTakesTheScreenshotsPlaceAndStopsOnAMove)
{
    fs::copy_file(redVideo(), "videos/Alpha.MP4"); // names compared as the artwork's are
    show("alpha");
    show("beta");
    show("alphaj", "alpha");
    select(0);
    int64_t rested = readMs();
    EXPECT_EQ(stepAt(rested + 599, 0), VideoIdle);
    EXPECT_EQ(VideoPlayer.Asked, 0);
    EXPECT_EQ(countColour(screen(), Shot, Green), 320 * 240);
    ASSERT_EQ(stepAt(rested + 600), VideoDrew);
    EXPECT_EQ(VideoPlayer.Path, "videos/Alpha.MP4");
    EXPECT_GT(countRed(screen(), Shot), 320 * 240 * 9 / 10);
    EXPECT_EQ(countRed(screen(), Rect{0, 0, 800, 600}), countRed(screen(), Shot));
    drawMainScreen(screen());
    EXPECT_GT(countRed(screen(), Shot), 320 * 240 * 9 / 10) << "a redraw keeps the frame";

    select(1);
    EXPECT_EQ(countColour(screen(), Shot, Green), 320 * 240);
    for (int i = 0; i < 20; i++) EXPECT_EQ(stepAt(readMs() + 100, 0), VideoIdle);
    EXPECT_EQ(countRed(screen(), Rect{0, 0, 800, 600}), 0) << "no frame after the move";
    EXPECT_EQ(VideoPlayer.Asked, -1) << "beta has no video";

    select(2);
    ASSERT_EQ(stepAt(readMs() + 600), VideoDrew);
    EXPECT_EQ(VideoPlayer.Path, "videos/Alpha.MP4") << "the clone plays its parent's";

    FrontendSettings.VideoDelay = 0; // no videos at all
    select(0);
    EXPECT_EQ(stepAt(readMs() + 5000, 0), VideoIdle);
    EXPECT_EQ(countColour(screen(), Shot, Green), 320 * 240);
}

// Each frame is drawn at its own time on the test clock, not a millisecond before; at the end
// the video starts again where the last frame's time ends; muted, no sound is queued.
TEST_F(Videos, FramesFollowTheClockLoopAndStayMuted)
{
    fs::copy_file(redVideo(), "videos/alpha.mp4");
    show("alpha");
    select(0);
    int64_t soundBefore = testVideoSoundQueued();
    int64_t start = readMs() + 600;
    ASSERT_EQ(stepAt(start), VideoDrew);
    for (int frame = 1; frame < 25; frame++)
    {
        EXPECT_EQ(stepAt(start + frame * 100 - 1, 0), VideoIdle) << frame;
        ASSERT_EQ(stepAt(start + frame * 100), VideoDrew) << frame;
        EXPECT_EQ(VideoPlayer.FramesShown, frame + 1);
    }
    EXPECT_EQ(VideoPlayer.FramesDropped, 0);
    EXPECT_EQ(VideoPlayer.WorstLateness, 0);
    EXPECT_EQ(testVideoSoundQueued(), soundBefore);

    // Held up for a second (a menu): it goes on from the next frame rather than racing.
    ASSERT_EQ(stepAt(start + 3500), VideoDrew);
    EXPECT_EQ(stepAt(start + 3599, 0), VideoIdle);
    EXPECT_EQ(stepAt(start + 3600), VideoDrew);
}

// A file deleted or replaced while it plays ends the video at its end, silently: the
// screenshot is back; the file is looked for again at the next rest.
TEST_F(Videos, AVideoDeletedOrReplacedWhilePlayingEndsAtItsEnd)
{
    show("alpha");
    show("beta");
    for (int replaced = 0; replaced < 2; replaced++)
    {
        fs::copy_file(redVideo(), "videos/alpha.mp4", fs::copy_options::overwrite_existing);
        select(0);
        int64_t start = readMs() + 600;
        ASSERT_EQ(stepAt(start), VideoDrew);
        fs::remove("videos/alpha.mp4");
        if (replaced) writeText("videos/alpha.mp4", "something else");
        VideoStep step = VideoDrew;
        std::string told = stderrOf(
            [&]
            {
                for (int64_t t = start + 100; step == VideoDrew && t <= start + 1100; t += 100)
                    step = stepAt(t);
            });
        EXPECT_EQ(step, VideoEnded) << "the loop did not start again";
        EXPECT_EQ(told, "");
        select(0);
        EXPECT_EQ(countColour(screen(), Shot, Green), 320 * 240);
        select(1);
    }
}

TEST_F(Videos, SoundIsQueuedOnlyWhenAskedFor)
{
    fs::copy_file(redVideo(), "videos/alpha.mp4");
    FrontendSettings.VideoSound = 1;
    show("alpha");
    select(0);
    int64_t before = testVideoSoundQueued();
    int64_t start = readMs() + 600;
    ASSERT_EQ(stepAt(start), VideoDrew);
    ASSERT_EQ(stepAt(start + 500), VideoDrew);
    EXPECT_GT(testVideoSoundQueued(), before);
    EXPECT_EQ(Music.Pauses, 1); // the music is silent under the video's sound
    stopVideo();
    EXPECT_EQ(Music.Pauses, 0);
}

// Joined files whose sound turns from stereo to mono mid-way: the sound follows the change
// (read by the old layout, the mono frames' missing plane was read), the pictures go on.
TEST(VideoSound, ASoundThatChangesItsChannelsIsFollowed)
{
    fs::path stereo = madeVideo("stereo.mp3", "-f lavfi -i sine=duration=0.2 -ac 2 -c:a mp3");
    fs::path mono = madeVideo("mono.mp3", "-f lavfi -i sine=duration=1 -ac 1 -c:a mp3");
    fs::path joined = madeVideo("joined.avi", "-f lavfi -i testsrc=size=64x48:rate=10:duration=1 "
                                              "-i 'concat:" +
                                                  stereo.string() + "|" + mono.string() +
                                                  "' -c:v mpeg4 -c:a copy");
    std::string why;
    VideoFile* video = openVideoBytes(readText(joined), DefaultPictureBudget, 1, why);
    ASSERT_NE(video, nullptr) << why;
    VideoFrame frame;
    std::vector<int16_t> sound;
    int frames = 0;
    while (readVideoFrame(video, 32, 24, frame, &sound) == VideoFrameRead) frames++;
    closeVideoFile(video);
    EXPECT_EQ(frames, 10);
    EXPECT_GT(sound.size(), (size_t)VideoSoundRate * 2) << "the mono second is heard too";
}

// Whatever is wrong with a file, it is refused with a reason before anything is decoded, or it
// plays; through the player the screenshot stays and the file is told once until it changes.
// The decoder is a module of its own: one that is missing, or lacks what is asked of it, is
// named with the reason.
TEST(VideoModule, AModuleThatCannotBeLoadedSaysWhy)
{
    std::string why;
    EXPECT_NE(platformModuleEntry(VideoModuleName, VIDEO_CODEC_ENTRY, why), nullptr) << why;
    EXPECT_EQ(platformModuleEntry("libtorvanell-none.so", VIDEO_CODEC_ENTRY, why), nullptr);
    EXPECT_NE(why.find("libtorvanell-none.so] cannot be loaded"), std::string::npos) << why;
    EXPECT_EQ(platformModuleEntry(VideoModuleName, "nothing", why), nullptr);
    EXPECT_NE(why.find("lacks nothing"), std::string::npos) << why;
}

TEST_F(Videos, BadFilesAreRefusedWithAReasonAndToldOncePerVersion)
{
    fs::path avi = madeVideo("plain.avi", "-f lavfi -i testsrc=size=64x48:rate=10:duration=1 "
                                          "-c:v mpeg4");
    std::string unknownCodec = readText(avi);
    for (size_t at = unknownCodec.find("FMP4"); at != std::string::npos;
         at = unknownCodec.find("FMP4", at))
        unknownCodec.replace(at, 4, "ZZZZ");
    for (size_t at = unknownCodec.find("mp4v"); at != std::string::npos;
         at = unknownCodec.find("mp4v", at))
        unknownCodec.replace(at, 4, "zzzz");
    std::string good = readText(redVideo());
    struct Case
    {
        std::string Name, Bytes, Reason; // no reason: it plays
    };
    writePicture("picture.png", 64, 48, Green);
    const Case cases[] = {
        {"empty", "", "empty"},
        {"text", "just some words, not a video\n", "not a video"},
        {"picture renamed", readText("picture.png"), "not a video"},
        {"cut short", good.substr(0, good.size() / 2), "not a video"},
        {"sound only", readText(madeVideo("tone.mp4", "-f lavfi -i sine=duration=1 -c:a aac")),
         "no pictures"},
        {"8K",
         readText(madeVideo("8k.mp4", "-f lavfi -i color=size=7680x4320:rate=1:duration=1 "
                                      "-c:v libx264 -preset ultrafast")),
         "more than the memory"},
        {"100,000 frames a second",
         readText(madeVideo("fast.mp4",
                            "-f lavfi -i testsrc=size=160x120:rate=100000:duration=0.01 "
                            "-c:v mpeg4 -video_track_timescale 100000")),
         "more than the memory"},
        {"codec unknown", unknownCodec, "no decoder"},
        {"variable frame rate",
         readText(madeVideo("vfr.mkv",
                            "-f lavfi -i testsrc=size=64x48:rate=30:duration=1 "
                            "-vf 'setpts=N/30/TB+if(gt(N\\,10)\\,0.5/TB\\,0)' -c:v mpeg4")),
         ""},
    };
    for (const Case& c : cases)
    {
        std::string why;
        VideoFile* video = openVideoBytes(c.Bytes, DefaultPictureBudget, 1, why);
        EXPECT_EQ(video != nullptr, c.Reason.empty()) << c.Name << ": " << why;
        EXPECT_NE(why.find(c.Reason), std::string::npos) << c.Name << ": " << why;
        VideoFrame frame;
        std::vector<int64_t> times;
        while (video && readVideoFrame(video, 32, 24, frame, nullptr) == VideoFrameRead)
            times.push_back(frame.Time);
        if (video)
        {
            ASSERT_EQ(times.size(), 30u) << c.Name;
            EXPECT_GT(times[11] - times[10], 520) << "the half second's gap is kept";
        }
        closeVideoFile(video);
    }

    show("alpha");
    show("beta");
    for (int version = 0; version < 2; version++)
    {
        writeText("videos/alpha.mp4", version ? "another bad file" : "a bad file");
        std::string told = stderrOf(
            [&]
            {
                for (int rest = 0; rest < 3; rest++)
                {
                    select(0);
                    // a loaded machine may take a while to fail the first time; nothing comes later
                    EXPECT_EQ(settle(readMs() + 600, rest ? 1 : 20), rest ? VideoIdle : VideoEnded)
                        << rest;
                    EXPECT_EQ(countColour(screen(), Shot, Green), 320 * 240);
                    select(1);
                }
            });
        EXPECT_EQ(told, "Video not shown: [videos/alpha.mp4]: not a video of a kind shown here "
                        "(MP4, Matroska, WebM, AVI or FLV)\n");
    }
}

// The screensaver plays the next game that has a video over the whole screen, to its end.
TEST_F(Videos, TheScreensaverPlaysTheNextGameWithAVideoToItsEnd)
{
    show("alpha");
    show("beta");
    show("gamma");
    fs::copy_file(redVideo(), "videos/gamma.mp4");
    FrontendState.CurrentGame = 0;
    startScreenSaver();
    EXPECT_EQ(FrontendState.CurrentGame, 2) << "beta, without a video, was passed over";
    int64_t start = readMs();
    ASSERT_EQ(stepAt(start), VideoDrew);
    EXPECT_EQ(countRed(screen(), Rect{0, 0, 800, 600}), 800 * 600);
    VideoStep step = VideoDrew;
    for (int64_t t = start + 100; step != VideoEnded && t <= start + 1000; t += 100)
        step = stepAt(t);
    EXPECT_EQ(step, VideoEnded);
    EXPECT_EQ(VideoPlayer.FramesShown, 10) << "played once";
    drawMainScreen(screen());
    EXPECT_EQ(FrontendState.CurrentGame, 2) << "a redraw does not move the screensaver on";
    nextScreenSaverPicture();
    EXPECT_EQ(FrontendState.CurrentGame, 2) << "the only one with a video";
    stopScreenSaver();
    FrontendSettings.ScreenSaverType = SaverFlyers;
}
