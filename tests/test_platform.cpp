// The platform layer: windows, the message queue and timers; drawing and fonts; key state,
// message boxes and sounds.
#include "catalogue/gamelist.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/messagebox.h"
#include "platform/sound.h"
#include "support.h"

#include <algorithm>

static auto after = [](int ms) { testAdvanceClock(platformCounterFrequency() * ms / 1000); };

class Windows : public testing::Test
{
protected:
    void SetUp() override
    {
        startTestPlatform();
        ASSERT_TRUE(platformRegisterClass("TestWndClass", platformDefaultWindowProc));
    }
    Window* create(Window* owner = nullptr)
    {
        return platformCreateWindow("TestWndClass", "", StylePopup, owner, 0, 0, 40, 40, 0);
    }
    std::vector<int> drain() // the kinds dispatched
    {
        std::vector<int> kinds;
        for (Message m; platformTakeMessage(&m);)
            kinds.push_back(m.Kind), platformDispatchMessage(&m);
        return kinds;
    }
};

TEST_F(Windows, PaintOnlyForVisibleInvalidWindowsWhenNothingElseWaitsAndQuitComesLast)
{
    Window* a = create();
    Window* b = create();
    platformShowWindow(a, ShowNormal);
    drain();
    platformInvalidate(a, 0);
    platformInvalidate(b, 0); // hidden: never painted
    platformPostQuit(3);
    platformPostMessage(b, MsgUser, 7, 0);
    Message message;
    EXPECT_TRUE(platformPeekMessage(&message) && message.Kind == MsgUser);
    ASSERT_TRUE(platformGetMessage(&message)); // peeking left it waiting
    EXPECT_EQ(message.Kind, MsgUser);
    EXPECT_FALSE(platformGetMessage(&message));
    EXPECT_EQ(message.Kind * 10 + message.Param1, MsgQuit * 10 + 3);
    EXPECT_EQ(drain(), std::vector<int>{MsgPaint});
}

TEST_F(Windows, ATimerFiresOnceAPeriodAfterItWasLastSetAndAfterThePaint)
{
    Window* window = create();
    platformSetTimer(window, 1, 1000);
    after(999);
    platformSetTimer(window, 1, 1000); // restarted before it fired
    after(999);
    EXPECT_TRUE(drain().empty());
    after(5000); // several periods missed: one message, the next a period after it
    EXPECT_EQ(drain(), std::vector<int>{MsgTimer});
    after(999);
    EXPECT_TRUE(drain().empty());
    platformKillTimer(window, 1);
    platformShowWindow(window, ShowNormal);
    platformSetTimer(window, 2, 100);
    after(5000);
    EXPECT_EQ(drain(), (std::vector<int>{MsgPaint, MsgTimer}));
}

// Everything is composed upright and turned onto the screen: the main window's corners and a
// pop-up land where the turn puts them, and the windows see the turned size. A resize keeps the
// covering window covering.
TEST(Screen, ATurnedScreenTurnsEveryWindow)
{
    const Color Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Yellow = 0x00FFFF;
    struct Point
    {
        int X, Y;
    };
    struct Case
    {
        int Degrees;
        Point TopLeft, TopRight, BottomLeft, PopUp;
    };
    const Case cases[] = {{0, {0, 0}, {39, 0}, {0, 29}, {3, 1}},
                          {90, {39, 0}, {39, 29}, {0, 0}, {38, 3}},
                          {180, {39, 29}, {0, 29}, {39, 0}, {36, 28}},
                          {270, {0, 29}, {0, 0}, {39, 29}, {1, 26}},
                          {45, {0, 0}, {39, 0}, {0, 29}, {3, 1}}};
    testUseScreenSize(40, 30);
    Window* main = nullptr;
    for (const Case& c : cases)
    {
        startTestPlatform();
        platformRegisterClass("TestWndClass", platformDefaultWindowProc);
        platformSetRotation(c.Degrees);
        main = platformCreateWindow("TestWndClass", "", StylePopup, nullptr, 0, 0, 1, 1, 0);
        Window* popUp = platformCreateWindow("TestWndClass", "", StylePopup, main, 3, 1, 1, 1, 0);
        platformShowWindow(main, ShowMaximized);
        platformShowWindow(popUp, ShowNormal);
        Rect layout = platformScreenRect();
        EXPECT_EQ(layout.Right, c.Degrees == 90 || c.Degrees == 270 ? 30 : 40) << c.Degrees;
        Surface* surface = platformWindowSurface(main);
        platformFillRect(surface, {0, 0, 1, 1}, Red);
        platformFillRect(surface, {layout.Right - 1, 0, layout.Right, 1}, Green);
        platformFillRect(surface, {0, layout.Bottom - 1, 1, layout.Bottom}, Blue);
        platformFillRect(platformWindowSurface(popUp), {0, 0, 1, 1}, Yellow);
        platformPresent();
        const std::pair<Point, Color> expected[] = {
            {c.TopLeft, Red}, {c.TopRight, Green}, {c.BottomLeft, Blue}, {c.PopUp, Yellow}};
        for (const auto& [at, colour] : expected)
            EXPECT_EQ(testScreenPixel(at.X, at.Y), colour)
                << c.Degrees << " " << at.X << "," << at.Y;
    }
    testResizeScreen(50, 20); // turned 45 is upright: the layout is the screen
    EXPECT_EQ(platformWindowRect(main).Right * 100 + platformWindowRect(main).Bottom, 5020);
    platformSetRotation(90);
    EXPECT_EQ(platformWindowRect(main).Right * 100 + platformWindowRect(main).Bottom, 2050);
    platformPresent(); // the screen's own surface may lag behind: nothing is written past it
    platformStop();
    testUseScreenSize(0, 0);
}

TEST(Draw, FillAndCopyAreClippedToTheSurfaces)
{
    startTestPlatform();
    Surface* source = platformCreateSurface(4, 4);
    Surface* target = platformCreateSurface(4, 4);
    platformFillRect(source, {-10, -10, 4, 4}, 0x112233);
    platformFillRect(source, {3, 3, 4, 4}, 0x445566);
    platformCopyRect(target, -1, -1, 4, 4, source, 0, 0);
    EXPECT_EQ(platformGetPixel(target, 2, 2), 0x445566u); // source (3, 3)
    // Within one surface the overlap is copied as it was before the copy.
    platformCopyRect(source, 0, 0, 4, 4, source, 1, 1);
    EXPECT_EQ(platformGetPixel(source, 2, 2), 0x445566u);
    EXPECT_EQ(platformGetPixel(source, 1, 1), 0x112233u);
    platformFreeSurface(source);
    platformFreeSurface(target);
}

TEST(Font, FacesWindows1252BytesAndClipping)
{
    startTestPlatform();
    Font* font = platformCreateFont("Liberation Sans", 18, 0, 0);
    ASSERT_NE(font, nullptr);
    auto width = [](Font* f, const char* text) { return platformTextWidth(f, text); };
    // Arial is the same metrics under another name; a full name selects its own file.
    EXPECT_EQ(width(platformCreateFont("Arial", 18, 0, 0), "Street"), width(font, "Street"));
    EXPECT_EQ(width(platformCreateFont("Liberation Sans Bold", 18, 0, 0), "Street"),
              width(platformCreateFont("Liberation Sans", 18, 1, 0), "Street"));
    // Bytes that are not UTF-8 are Windows-1252: "Pok\xe9mon" of an old program is "Pokémon".
    EXPECT_EQ(width(font, "Pok\xe9mon"), width(font, "Pok\xc3\xa9mon"));
    EXPECT_EQ(width(font, "\x80"), width(font, "\xe2\x82\xac")); // euro
    // A byte is one character whichever reader met it: the font draws what a game list gives.
    for (int byte = 0x80; byte < 0x100; byte++)
    {
        std::string raw(1, (char)byte);
        GameListRead read = parseGameList("<gameList><game><path>./a</path><name>" + raw +
                                          "</name></game></gameList>");
        ASSERT_EQ(read.Entries.size(), 1u) << byte;
        EXPECT_EQ(width(font, raw.c_str()), width(font, read.Entries[0].Name.c_str())) << byte;
    }
    EXPECT_GT(width(font, "\x81"), 0) << "an undefined byte shows as the replacement character";
    // Installed fonts are listed by full name, sorted, each once.
    std::vector<std::string> names = platformListFonts();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    EXPECT_EQ(std::count(names.begin(), names.end(), "Liberation Sans Bold"), 1);

    int lineHeight = platformFontHeight(font);
    Surface* surface = platformCreateSurface(300, 100);
    platformSelectFont(surface, font);
    platformSetTextColor(surface, 0xFFFFFF);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    platformDrawText(surface, {10, 10, 60, 100}, "WWWWWWWWWWWW\nWW");
    int outside = 0, secondLine = 0;
    for (int y = 0; y < 100; y++)
        for (int x : {9, 60}) outside |= platformGetPixel(surface, x, y) != 0;
    for (int x = 10; x < 60; x++)
        secondLine |= platformGetPixel(surface, x, 10 + lineHeight + lineHeight / 2) != 0;
    EXPECT_FALSE(outside);
    EXPECT_TRUE(secondLine);

    // A thousand changes of face and size, as in the menu, leave only a few font files open.
    auto openFiles = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    long before = openFiles();
    for (int i = 0; i < 1000; i++)
    {
        const std::string& face = names[i % names.size()];
        platformSelectFont(surface, platformCreateFont(face.c_str(), 8 + i % 40, i % 2, 0));
        EXPECT_GT(platformTextWidth(platformSurfaceFont(surface), "W"), 0) << face;
    }
    EXPECT_LE(openFiles(), before + 9);
    platformFreeSurface(surface);
}

TEST(Sound, PlaysWavesAndIgnoresFilesThatCannotBePlayed)
{
    startTestPlatform();
    fs::path dir = freshDirectory();
    std::string wave = writeWave(dir / "sound.wav", 100), broken = (dir / "broken.wav").string();
    writeText(broken, "not a wave");
    std::string huge = writeWave(dir / "huge.wav", 400000); // far beyond a skin's sound: not read
    platformPlayWave(wave, 0);
    platformPlayWave(wave, 1); // cuts the first off and waits for its own end
    for (const std::string& bad : {std::string("/no/such/file.wav"), broken, huge})
        platformPlayWave(bad, 0);
    EXPECT_EQ(testSoundsPlayed(), (std::vector<std::string>{wave, wave}));
}

TEST(KeyState, PressesLastUntilQueriedOrCleared)
{
    startTestPlatform();
    testTapKey(VkDown);
    testTapKey(VkUp);
    EXPECT_TRUE(platformKeyState(VkDown).PressedSinceLastQuery);
    EXPECT_FALSE(platformKeyState(VkDown).PressedSinceLastQuery);
    EXPECT_TRUE(platformKeyState(VkUp).PressedSinceLastQuery); // another code's query left it
    // Forgetting drops presses, and a held key reads as up until it is let go and pressed again;
    // keys let go while another program has the focus never send their release.
    testTapKey(VkEscape);
    testPressKey(VkRControl);
    platformForgetInput();
    EXPECT_FALSE(platformKeyState(VkEscape).PressedSinceLastQuery);
    EXPECT_FALSE(platformKeyState(VkRControl).Down);
    testReleaseKey(VkRControl);
    testPressKey(VkRControl);
    EXPECT_TRUE(platformKeyState(VkRControl).Down);
    testScreenFocus(0);
    EXPECT_FALSE(platformKeyState(VkRControl).Down);
}

TEST(KeyState, PressesAreTakenInTheOrderMadeOncePerKey)
{
    startTestPlatform();
    testTapKey(VkDown);
    testTapKey(VkLControl); // also stands for VkControl: one press all the same
    testTapKey(VkUp);
    testTapKey('W');
    testTapKey(VkLButton);
    testTapKey(VkReturn);
    std::vector<int> taken;
    for (int key; (key = platformNextKeyPress()) >= 0;) taken.push_back(key);
    EXPECT_EQ(taken, (std::vector<int>{VkDown, VkControl, VkUp, 'W', VkLButton, VkReturn}));
}

TEST(MessageBox, IsRecordedWithoutBlockingAndWrittenToStandardError)
{
    startTestPlatform();
    testing::internal::CaptureStderr();
    testTapKey('1'); // a Start pressed while the box is up does not start a game after it
    platformMessageBox(nullptr, "No games found!", "Error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: No games found!\n");
    EXPECT_EQ(testMessageBoxes().size(), 1u);
    EXPECT_FALSE(platformKeyState('1').PressedSinceLastQuery);
}

// Standard error on a pipe whose reader went away: what is written there is lost, nothing else.
TEST(StandardError, APipeClosedByItsReaderChangesNothing)
{
    startTestPlatform();
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    int kept = dup(2);
    dup2(ends[1], 2);
    platformMessageBox(nullptr, "Told with no one reading", "Error");
    dup2(kept, 2);
    close(kept);
    close(ends[1]);
    EXPECT_EQ(testMessageBoxes().size(), 1u);
}
