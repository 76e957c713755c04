// The skin: the emulator shown, fonts, colours, where the list and the three pictures sit,
// and the sounds, read from skin.ini of the current skin. One skin.ini holds a layout for the
// list view ([List]) and one for the image browser ([Image]).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Wave files inside the skin's folder; none when the key is missing or empty.
struct SkinSounds
{
    std::optional<std::string> Startup;
    std::optional<std::string> Shutdown;
    std::optional<std::string> StartGame;
    std::optional<std::string> Error;
    std::optional<std::string> ChangeGame;
    std::optional<std::string> NotAllowed; // a key the operator's lock stops
};

struct SkinRecord;

// How a pop-up looks ([Menu], [Message]); every key defaults to the list's look, so a skin made
// before these sections gets pop-ups in its own colours and font.
struct PopupLook
{
    std::string Fontface;
    int Fontsize; // points, scaled with the screen as the list's font is
    uint32_t Fontcolor;
    uint32_t Backgroundcolor;
    uint32_t TitleForecolor; // the title band and the current row's bar
    uint32_t TitleBackcolor;
};

// One number of the tall layout, put in place of the field it names.
struct SkinValue
{
    int SkinRecord::*Field;
    int Value;
};

// Colours are 0x00BBGGRR, as read from the file; sizes in points, places in pixels of the
// design size when the skin gives one, else of the screen.
struct SkinRecord
{
    std::string ShownEmulator; // an emulator's Name, or "All"
    std::string Fontface;
    int Fontsize;
    uint32_t Fontcolor;
    int MenuFontSize;
    int TextShadow;
    uint32_t Backgroundcolor;
    uint32_t HighlightForecolor;
    uint32_t HighlightBackcolor;
    int ShowStatusBar;
    int StatusBarFontSize;
    std::string StatusBarFontFace;
    uint32_t StatusBarForeColor;
    uint32_t StatusBarBackColor;
    int ShowHighlightBar;
    uint32_t FavouriteColor; // the mark of a favourite game, in the list and the grid
    int StatusBarCategory;   // the status bar names the game's category
    int StatusBarPlayers;    // and how many play: at once, taking turns
    int StatusBarRating;     // and the rating its game list gives
    int StatusBarMusic;      // and the title of the music playing
    // List view: the list's left, top, right and bottom edges (0: the screen's edge). Image
    // browser: the first cell's corner and the size of one cell.
    int ListStartX, ListStartY, ListWidth, ListHeight;
    int ListRows, ListColumns; // the image browser's grid
    // A negative start counts from the right or bottom edge; a picture is shown only when its
    // width and height are both above 0.
    int MarqueeStartX, MarqueeStartY, MarqueeWidth, MarqueeHeight;
    int ScreenshotStartX, ScreenshotStartY, ScreenshotWidth, ScreenshotHeight;
    int FlyerStartX, FlyerStartY, FlyerWidth, FlyerHeight;
    int PreviewSpacer; // margin between an image-browser cell and its marquee
    // The screen size the places were laid out for; both 0 when they are screen pixels.
    int DesignWidth, DesignHeight;
    // What the tall layout ([ListPortrait] or [ImagePortrait]) gives, key by key: in force on
    // a screen taller than wide. Never written back.
    std::vector<SkinValue> TallValues;
    SkinSounds Sounds;
    PopupLook Menu;    // the options menu and the game information
    PopupLook Message; // message boxes and the messages shown while loading
};

// A colour's brightness, 0 to 255, as the eye weighs red, green and blue (0x00BBGGRR).
int brightness(uint32_t colour);
// text, unless it is about as bright as background and would not show on it: then black or
// white, whichever reads.
uint32_t readableOn(uint32_t text, uint32_t background);

// Filled by loadSkin at start-up and whenever the skin or the view changes; its texts are
// freed by freeSkin at exit.
extern SkinRecord Skin;

// "<SkinDir>/<SkinName>": the skin.ini, back.png and sounds of the current skin.
std::string skinFolder();
// "<SkinDir>/<SkinName>/skin.ini".
std::string skinFilePath();
// "Image" in the image browser, "List" otherwise.
const char* layoutSection();
// "ImagePortrait" or "ListPortrait": the layout of a screen taller than wide.
std::string tallLayoutSection();
// Reads skin.ini of the current skin into Skin (a missing file gives every default). Its
// background picture is the caller's to load (loadBackgroundImage).
void loadSkin();
// Writes what the options menu can change back into skin.ini in one replacement; the
// colours, the grid, PreviewSpacer and the sounds are never written. Without the skin's
// folder nothing is written. 0 when skin.ini could not be replaced.
int saveSkin();
void freeSkin();
