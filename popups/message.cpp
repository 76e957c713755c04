// The message window keeps its picture in a memory surface drawn whenever it is laid out, and
// painting copies it, as the main window does with its back buffer.
#include "popups/message.h"

#include "config/settings.h"
#include "config/skin.h"
#include "display/backbuffer.h"
#include "display/placement.h"
#include "display/text.h"
#include "platform/messagebox.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <algorithm>
#include <cstdio>

std::string MessageText;
static Window* MessageWindow;      // null while the window is closed
static Surface* MessageBackBuffer; // its picture, drawn at every layout; painting copies it

static void useMessageFont(Surface* surface)
{
    createFont(surface, Skin.Message.Fontface, screenFontSize(Skin.Message.Fontsize), 0);
    platformSetTextColor(surface, Skin.Message.Fontcolor);
    platformSetBackgroundMode(surface, BackgroundTransparent);
}

// Inside the border, as wide as a line is high: it grows with the screen and the font.
static int messageMargin()
{
    return getTextHeight(MessageBackBuffer);
}

// A new picture of the client's size with the text on the look's background, framed.
static void drawMessagePicture(Window* window)
{
    Rect client = platformClientRect(window);
    MessageBackBuffer = renewBackBuffer(window, MessageBackBuffer);
    useMessageFont(MessageBackBuffer);
    fillFramed(MessageBackBuffer, client, Skin.Message.TitleBackcolor,
               Skin.Message.Backgroundcolor);
    int margin = messageMargin();
    platformTextOut(MessageBackBuffer, client.Left + margin, client.Top + margin, MessageText);
    platformInvalidate(window, 0);
}

void applyMessageBoxLook()
{
    MessageBoxLook look;
    look.FontFace = Skin.Message.Fontface;
    look.FontPoints = screenFontSize(Skin.Message.Fontsize);
    look.Face = Skin.Message.Backgroundcolor;
    look.Ink = Skin.Message.Fontcolor;
    look.TitleBand = Skin.Message.TitleBackcolor;
    look.TitleInk = Skin.Message.TitleForecolor;
    const FrontendSettingsRecord& settings = FrontendSettings;
    for (KeyBinding key :
         {KeyStartGame, KeyExit, KeyGameInfo, KeyP2StartGame, KeyP2Exit, KeyP2GameInfo})
        look.CloseKeys.push_back(settings.Keys[key]);
    platformSetMessageBoxLook(look);
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
    int margin = messageMargin();
    int x = std::max((screenWidth - textWidth - 2 * margin) / 2, margin);
    int y = (screenHeight - textHeight - 2 * margin) / 2;
    int width = std::min(textWidth + 2 * margin, screenWidth - 2 * margin);
    platformMoveWindow(MessageWindow, x, y, width, textHeight + 2 * margin);
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
        useMessageFont(MessageBackBuffer); // the measuring below needs the look's font
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
