// The message window keeps its picture in a memory surface drawn whenever it is laid out, and
// painting copies it, as the main window does with its back buffer.
#include "popups/message.h"

#include "config/skin.h"
#include "display/text.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <algorithm>
#include <cstdio>

Window* MessageWindow;
std::string MessageText;
Surface* MessageDC;

const int MessageMargin = 15;

static void useSkinFont(Surface* dc)
{
    createFont(dc, Skin.Fontface, Skin.Fontsize, 0);
    platformSetTextColor(dc, Skin.Fontcolor);
    platformSetBackgroundMode(dc, BackgroundTransparent);
}

// A new picture of the client's size with the text on the skin's background.
static void drawMessagePicture(Window* window)
{
    Rect client = platformClientRect(window);
    Surface* previous = MessageDC;
    MessageDC = platformCreateSurface(client.Right - client.Left, client.Bottom - client.Top);
    if (previous) platformFreeSurface(previous);
    useSkinFont(MessageDC);
    platformFillRect(MessageDC, client, Skin.Backgroundcolor);
    platformTextOut(MessageDC, client.Left + MessageMargin, client.Top + MessageMargin,
                    MessageText);
    platformInvalidate(window, 0);
}

static void onPaint(Window* window)
{
    Rect client = platformClientRect(window);
    if (!MessageDC) return;
    platformCopyRect(platformWindowSurface(window), client.Left, client.Top,
                     client.Right - client.Left, client.Bottom - client.Top, MessageDC, 0, 0);
}

intptr_t messageWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    switch (kind)
    {
    case MsgCreate:
    {
        Rect client = platformClientRect(window);
        MessageDC = platformCreateSurface(client.Right - client.Left, client.Bottom - client.Top);
        return 0;
    }
    case MsgDestroy:
        if (MessageDC) platformFreeSurface(MessageDC);
        MessageDC = nullptr;
        // Also destroyed with the main window: nothing may point at it afterwards.
        if (MessageWindow == window) MessageWindow = nullptr;
        return 0;
    case MsgSize:
        drawMessagePicture(window);
        return 0;
    case MsgPaint:
        onPaint(window);
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
    int textWidth = getTextWidth(MessageDC, text), textHeight = getTextHeight(MessageDC);
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
        useSkinFont(MessageDC); // the measuring below needs the skin's font
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
