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

const int BoxMargin = 16;
const int BoxPoints = 12;
const Color BoxFace = 0xE0E0E0, BoxCaptionBar = 0x800000, BoxInk = 0x000000;
const Color BoxCaptionInk = 0xFFFFFF, BoxButton = 0xF0F0F0;

static std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (true)
    {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

static Surface* drawBox(const std::string& text, const std::string& caption)
{
    Font* font = platformCreateFont("", BoxPoints, 0, 0);
    Font* bold = platformCreateFont("", BoxPoints, 1, 0);
    int lineHeight = platformFontHeight(font);
    std::vector<std::string> lines = linesOf(text);
    int width = platformTextWidth(bold, caption);
    for (const std::string& line : lines) width = std::max(width, platformTextWidth(font, line));
    width = std::min(std::max(width, 160) + 2 * BoxMargin, Layer.ScreenWidth);
    int captionHeight = lineHeight + 8, buttonHeight = lineHeight + 10;
    int height = captionHeight + BoxMargin + lineHeight * (int)lines.size() + BoxMargin +
                 buttonHeight + BoxMargin;
    height = std::min(height, Layer.ScreenHeight);

    Surface* box = platformCreateSurface(width, height);
    if (!box) return nullptr;
    platformRoundRect(box, {0, 0, width, height}, 0, 0, BoxFace);
    platformFillRect(box, {1, 1, width - 1, captionHeight}, BoxCaptionBar);
    platformSetBackgroundMode(box, BackgroundTransparent);
    platformSelectFont(box, bold);
    platformSetTextColor(box, BoxCaptionInk);
    platformTextOut(box, BoxMargin, 4, caption);
    platformSelectFont(box, font);
    platformSetTextColor(box, BoxInk);
    platformDrawText(box, {BoxMargin, captionHeight + BoxMargin, width - BoxMargin, height}, text);
    int buttonWidth = 80, buttonTop = height - BoxMargin - buttonHeight;
    Rect button = {(width - buttonWidth) / 2, buttonTop, (width + buttonWidth) / 2,
                   buttonTop + buttonHeight};
    platformRoundRect(box, button, 6, 6, BoxButton);
    platformTextOut(box, (width - platformTextWidth(font, "OK")) / 2, buttonTop + 5, "OK");
    return box;
}

static void showBox(Surface* box)
{
    SDL_Surface* screen = composeScreen();
    if (!screen) return;
    SDL_Rect target = {(Layer.ScreenWidth - box->Width) / 2, (Layer.ScreenHeight - box->Height) / 2,
                       0, 0};
    SDL_BlitSurface(box->Pixels, nullptr, screen, &target);
    showComposed(screen);
    Layer.Dirty = 0;
}

static int closingKeyPressed()
{
    pumpSdlEvents(); // the box's loop looks at no message queue
    // Every one of the three is asked, so no press of them is left over for later.
    int enter = platformKeyState(VkReturn).PressedSinceLastQuery;
    int escape = platformKeyState(VkEscape).PressedSinceLastQuery;
    int space = platformKeyState(VkSpace).PressedSinceLastQuery;
    return enter || escape || space;
}

static void runModalMessageBox(Window*, const std::string& text, const std::string& caption)
{
    // A box nobody sees would wait for a key forever: a screen given up for a game comes back.
    if (!Layer.Screen && !platformTakeBackScreen()) return;
    Surface* box = drawBox(text, caption);
    if (!box) return;
    showScreen();
    closingKeyPressed(); // presses made before the box appeared do not close it
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

void platformMessageBox(Window* owner, const std::string& text, const std::string& caption)
{
    fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    // Nobody could read or close a box without a display: it is kept for the tests instead.
    if (Layer.DisplayLost) return;
    if (Layer.TestSeams || !Layer.RealDisplay || !Layer.Started)
    {
        MessageBoxes.push_back({text, caption, owner != nullptr});
        return;
    }
    runModalMessageBox(owner, text, caption);
}
