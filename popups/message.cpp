// The message window keeps its picture in a memory surface drawn whenever it is laid out, and
// painting copies it, as the main window does with its back buffer.
#include "popups/message.h"

#include "config/skin.h"
#include "display/backbuffer.h"
#include "display/text.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <algorithm>
#include <cstdio>

std::string MessageText;
static Window* MessageWindow;      // null while the window is closed
static Surface* MessageBackBuffer; // its picture, drawn at every layout; painting copies it

const int MessageMargin = 15;

// A new picture of the client's size with the text on the skin's background.
static void drawMessagePicture(Window* window)
{
    Rect client = platformClientRect(window);
    MessageBackBuffer = renewBackBuffer(window, MessageBackBuffer);
    useSkinFont(MessageBackBuffer);
    platformFillRect(MessageBackBuffer, client, Skin.Backgroundcolor);
    platformTextOut(MessageBackBuffer, client.Left + MessageMargin, client.Top + MessageMargin,
                    MessageText);
    platformInvalidate(window, 0);
}

static intptr_t messageWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    if (handleCommonMessage(window, kind, MessageBackBuffer)) return 0;
    switch (kind)
    {
    case MsgCreate:
        MessageBackBuffer = renewBackBuffer(window, MessageBackBuffer);
        return 0;
    case MsgDestroy:
        if (MessageBackBuffer) platformFreeSurface(MessageBackBuffer);
        MessageBackBuffer = nullptr;
        // Also destroyed with the main window: nothing may point at it afterwards.
        if (MessageWindow == window) MessageWindow = nullptr;
        return 0;
    case MsgSize:
        drawMessagePicture(window);
        return 0;
    default:
        return platformDefaultWindowProc(window, kind, param1, param2);
    }
}

static int createMessageWindow()
{
    if (!platformRegisterClass(MessageWindowClass, messageWindowProc)) return 0;
    MessageWindow = platformCreateWindow(MessageWindowClass, "", StyleSizingFrame,
                                         FrontendState.MainWindow, 100, 100, 400, 400, 0);
    if (MessageWindow) return 1;
    platformUnregisterClass(MessageWindowClass);
    return 0;
}

// Centred on the screen, the outer size holding the text and a margin on each side; a text
// wider than the screen is cut at the window's right edge.
static void placeMessageWindow(const std::string& text)
{
    Rect screen = platformScreenRect();
    int screenWidth = screen.Right - screen.Left, screenHeight = screen.Bottom - screen.Top;
    int textWidth = getTextWidth(MessageBackBuffer, text),
        textHeight = getTextHeight(MessageBackBuffer);
    int x = std::max((screenWidth - textWidth - 2 * MessageMargin) / 2, MessageMargin);
    int y = (screenHeight - textHeight - 2 * MessageMargin) / 2;
    int width = std::min(textWidth + 2 * MessageMargin, screenWidth - 2 * MessageMargin);
    platformMoveWindow(MessageWindow, x, y, width, textHeight + 2 * MessageMargin);
}

void showMessage(const std::string& text)
{
    MessageText = text;
    if (!MessageWindow)
    {
        if (!createMessageWindow())
        {
            fprintf(stderr, "The message window could not be made to show: %s\n", text.c_str());
            showError("Failed to create message window!");
            return;
        }
        useSkinFont(MessageBackBuffer); // the measuring below needs the skin's font
    }
    else
        platformShowWindow(MessageWindow, ShowHide);
    placeMessageWindow(text);
    // Also when the size stayed the same: every call shows its own text.
    drawMessagePicture(MessageWindow);
    platformShowWindow(MessageWindow, ShowNormal);
    platformUpdateWindow(MessageWindow);
    // Loading goes on without a message loop: the text must reach the screen now.
    platformPresent();
}

void closeMessageWindow()
{
    if (!MessageWindow) return;
    platformDestroyWindow(MessageWindow);
    platformUnregisterClass(MessageWindowClass);
    MessageWindow = nullptr;
}
