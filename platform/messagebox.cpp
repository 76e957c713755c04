// The modal message box: on a real display drawn over the program's windows and closed by
// Enter, Escape or Space; recorded for the tests otherwise.
#include "platform/messagebox.h"

#include "platform/input.h"
#include "platform/internal.h"
#include "platform/stop.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdio>

static MessageBoxLook Look;

void platformSetMessageBoxLook(const MessageBoxLook& look)
{
    Look = look;
}

// The longest start of text (whole characters) no wider than width; at least one character.
static size_t fittingLength(Font* font, const std::string& text, int width)
{
    std::vector<size_t> ends;
    for (size_t i = 1; i <= text.size(); i++)
        if (i == text.size() || (text[i] & 0xC0) != 0x80) ends.push_back(i);
    size_t low = 1, high = ends.size(); // the first `low` characters fit, or only one does
    while (low < high)
    {
        size_t middle = (low + high + 1) / 2;
        if (platformTextWidth(font, text.substr(0, ends[middle - 1])) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return ends.empty() ? 0 : ends[low - 1];
}

// The text in lines no wider than width, broken at blanks where it can be (a long path is cut
// anywhere), and at most maxLines of them, the last ending in an ellipsis when some were left.
static std::vector<std::string> wrapped(Font* font, const std::string& text, int width,
                                        size_t maxLines)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size() && lines.size() <= maxLines)
    {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string rest = text.substr(start, end - start);
        do {
            size_t fits = fittingLength(font, rest, width);
            size_t blank = rest.rfind(' ', fits);
            if (fits < rest.size() && blank != std::string::npos && blank > 0) fits = blank;
            lines.push_back(rest.substr(0, fits));
            rest.erase(0, fits);
            if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        } while (!rest.empty() && lines.size() <= maxLines);
        start = end + 1;
    }
    if (lines.size() > maxLines)
    {
        lines.resize(maxLines);
        lines.back() += "\xE2\x80\xA6";
    }
    return lines;
}

// Sizes follow the font, and the font the screen: the box reads alike at 640x480 and 1920x1080.
static Surface* drawBox(const std::string& text, const std::string& caption)
{
    int points = Look.FontPoints > 0 ? Look.FontPoints : std::max(Layer.ScreenHeight / 54, 10);
    Font* font = platformCreateFont(Look.FontFace.c_str(), points, 0, 0);
    Font* bold = platformCreateFont(Look.FontFace.c_str(), points, 1, 0);
    int lineHeight = platformFontHeight(font), margin = lineHeight;
    int widest = Layer.ScreenWidth * 4 / 5 - 2 * margin;
    int titleHeight = lineHeight * 3 / 2, hintHeight = lineHeight * 2;
    size_t room = (size_t)std::max(
        (Layer.ScreenHeight * 4 / 5 - titleHeight - hintHeight - 2 * margin) / lineHeight, 1);
    std::vector<std::string> lines = wrapped(font, text, widest, room);
    int width = std::max(platformTextWidth(bold, caption), platformTextWidth(font, Look.CloseHint));
    for (const std::string& line : lines) width = std::max(width, platformTextWidth(font, line));
    width = std::min(width, widest) + 2 * margin;
    int height = titleHeight + margin + lineHeight * (int)lines.size() + hintHeight;

    Surface* box = platformCreateSurface(width, height);
    if (!box) return nullptr;
    platformFillRect(box, {0, 0, width, height}, Look.TitleBand); // the border
    platformFillRect(box, {2, 2, width - 2, height - 2}, Look.Face);
    platformFillRect(box, {2, 2, width - 2, titleHeight}, Look.TitleBand);
    platformSetBackgroundMode(box, BackgroundTransparent);
    platformSelectFont(box, bold);
    platformSetTextColor(box, Look.TitleInk);
    platformTextOut(box, margin, (titleHeight - lineHeight) / 2, caption);
    platformSelectFont(box, font);
    platformSetTextColor(box, Look.Ink);
    int y = titleHeight + margin / 2;
    for (const std::string& line : lines) platformTextOut(box, margin, y, line), y += lineHeight;
    platformTextOut(box, width - margin - platformTextWidth(font, Look.CloseHint),
                    height - hintHeight + lineHeight / 2, Look.CloseHint);
    return box;
}

static void dim(SDL_Surface* screen)
{
    SDL_Surface* shade =
        SDL_CreateRGBSurfaceWithFormat(0, screen->w, screen->h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!shade) return;
    SDL_FillRect(shade, nullptr, SDL_MapRGBA(shade->format, 0, 0, 0, 160));
    SDL_SetSurfaceBlendMode(shade, SDL_BLENDMODE_BLEND);
    SDL_BlitSurface(shade, nullptr, screen, nullptr);
    SDL_FreeSurface(shade);
}

static void showBox(Surface* box)
{
    SDL_Surface* screen = composeScreen();
    if (!screen) return;
    dim(screen); // the screen behind stays in view, so the player knows where the box belongs
    SDL_Rect target = {(Layer.ScreenWidth - box->Width) / 2, (Layer.ScreenHeight - box->Height) / 2,
                       0, 0};
    SDL_BlitSurface(box->Pixels, nullptr, screen, &target);
    showComposed(screen);
    Layer.Dirty = 0;
}

// A cabinet with a pad alone must never be stuck at a box: any of its buttons closes it.
static int stickButtonPressed()
{
    for (int player = 1; player <= JoystickPlayers; player++)
    {
        JoystickPosition position;
        if (platformJoystickRead(player, &position) && position.Buttons) return 1;
    }
    return 0;
}

static int closingKeyPressed()
{
    pumpSdlEvents(); // the box's loop looks at no message queue
    // Every key is asked, so no press of them is left over for later.
    int pressed = 0;
    for (int key : {(int)VkReturn, (int)VkEscape, (int)VkSpace})
        pressed |= platformKeyState(key).PressedSinceLastQuery;
    for (int key : Look.CloseKeys) pressed |= platformKeyState(key).PressedSinceLastQuery;
    return pressed | stickButtonPressed();
}

static void runModalMessageBox(Window*, const std::string& text, const std::string& caption)
{
    // A box nobody sees would wait for a key forever: a screen given up for a game comes back.
    if (!Layer.Screen && !platformTakeBackScreen()) return;
    Surface* box = drawBox(text, caption);
    if (!box) return;
    showScreen();
    platformForgetInput(); // presses made before the box appeared do not close it
    showBox(box);
    while (!closingKeyPressed() && !platformStopRequested())
    {
        if (Layer.Dirty) showBox(box); // uncovered by another program
        SDL_Delay(10);
    }
    platformFreeSurface(box);
    Layer.Dirty = 1; // the next present takes the box away
}

static std::vector<RecordedMessageBox> MessageBoxes;

std::vector<RecordedMessageBox>& testMessageBoxes()
{
    return MessageBoxes;
}

static void showMessageBox(Window* owner, const std::string& text, const std::string& caption)
{
    fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    // Nobody could read or close a box without a display: it is kept for the tests instead.
    if (Layer.DisplayLost) return;
    if (Layer.TestSeams || !Layer.RealDisplay || !Layer.Started)
    {
        MessageBoxes.push_back({text, caption, owner != nullptr});
        platformForgetInput();
        return;
    }
    runModalMessageBox(owner, text, caption);
    platformForgetInput(); // neither the key that closed it nor one pressed meanwhile acts
}

// Installed before main, so that a box asked for before the display starts is kept for the
// tests as it always was.
static const int BoxInstalled = (ShowMessageBox = showMessageBox, 1);
