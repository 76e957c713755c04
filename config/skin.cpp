// The skin settings: read key by key from skin.ini at every skin or view change, the editable
// ones written back at exit and before another skin is chosen.
#include "config/skin.h"

#include "config/ini.h"
#include "config/settings.h"
#include "platform/files.h"

#include <cstdio>
#include <cstdlib>

SkinRecord Skin;

std::string skinFolder()
{
    return FrontendSettings.SkinDir + "/" + FrontendSettings.SkinName;
}

std::string skinFilePath()
{
    return skinFolder() + "/skin.ini";
}

const char* layoutSection()
{
    return FrontendSettings.MenuType == ViewImageBrowser ? "Image" : "List";
}

std::string tallLayoutSection()
{
    return std::string(layoutSection()) + "Portrait";
}

static void loadFonts(const std::string& file)
{
    Skin.ShownEmulator = iniReadString("Settings", "Emulator", "All", file);
    Skin.Fontface = iniReadString("Settings", "Fontface", "Arial", file);
    Skin.Fontsize = iniReadNumber("Settings", "Fontsize", 18, file);
    Skin.Fontcolor = iniReadColor("Settings", "Fontcolor", "0x0000FF", file);
    Skin.MenuFontSize = iniReadNumber("Settings", "MenuFontSize", 12, file);
    Skin.TextShadow = iniReadBool("Settings", "TextShadow", 0, file);
}

static void loadColours(const char* layout, const std::string& file)
{
    Skin.Backgroundcolor = iniReadColor(layout, "Backgroundcolor", "0x000000", file);
    Skin.HighlightForecolor = iniReadColor(layout, "HighlightForecolor", "0x000000", file);
    Skin.HighlightBackcolor = iniReadColor(layout, "HighlightBackcolor", "0xFFFFFF", file);
    Skin.ShowStatusBar = iniReadBool(layout, "ShowStatusBar", 1, file);
    Skin.StatusBarFontSize = iniReadNumber(layout, "StatusBarFontSize", 12, file);
    Skin.StatusBarFontFace = iniReadString(layout, "StatusBarFontFace", "Arial", file);
    Skin.StatusBarForeColor = iniReadColor(layout, "StatusBarForeColor", "0x000000", file);
    Skin.StatusBarBackColor = iniReadColor(layout, "StatusBarBackColor", "0xFFFFFF", file);
    Skin.ShowHighlightBar = iniReadBool(layout, "ShowHighlightBar", 1, file);
    Skin.FavouriteColor = iniReadColor(layout, "FavouriteColor", "0x00D7FF", file); // gold
    Skin.StatusBarCategory = iniReadBool(layout, "StatusBarCategory", 0, file);
    Skin.StatusBarPlayers = iniReadBool(layout, "StatusBarPlayers", 0, file);
    Skin.StatusBarRating = iniReadBool(layout, "StatusBarRating", 0, file);
    Skin.StatusBarMusic = iniReadBool(layout, "StatusBarMusic", 0, file);
}

struct LayoutKey
{
    const char* Name;
    int SkinRecord::*Field;
};

// The layout numbers in the order they are read; the first 16 of the saved ones are written
// in the same order.
static const LayoutKey ListKeys[] = {
    {"ListStartX", &SkinRecord::ListStartX}, {"ListStartY", &SkinRecord::ListStartY},
    {"ListWidth", &SkinRecord::ListWidth},   {"ListHeight", &SkinRecord::ListHeight},
    {"ListRows", &SkinRecord::ListRows},     {"ListColumns", &SkinRecord::ListColumns},
};
static const LayoutKey BoxKeys[] = {
    {"MarqueeStartX", &SkinRecord::MarqueeStartX},
    {"MarqueeStartY", &SkinRecord::MarqueeStartY},
    {"MarqueeWidth", &SkinRecord::MarqueeWidth},
    {"MarqueeHeight", &SkinRecord::MarqueeHeight},
    {"ScreenshotStartX", &SkinRecord::ScreenshotStartX},
    {"ScreenshotStartY", &SkinRecord::ScreenshotStartY},
    {"ScreenshotWidth", &SkinRecord::ScreenshotWidth},
    {"ScreenshotHeight", &SkinRecord::ScreenshotHeight},
    {"FlyerStartX", &SkinRecord::FlyerStartX},
    {"FlyerStartY", &SkinRecord::FlyerStartY},
    {"FlyerWidth", &SkinRecord::FlyerWidth},
    {"FlyerHeight", &SkinRecord::FlyerHeight},
};

static void loadLayout(const char* layout, const std::string& file)
{
    for (const LayoutKey& key : ListKeys)
        Skin.*key.Field = iniReadNumber(layout, key.Name, 0, file);
    for (const LayoutKey& key : BoxKeys) Skin.*key.Field = iniReadNumber(layout, key.Name, 0, file);
    Skin.PreviewSpacer = iniReadNumber(layout, "PreviewSpacer", 0, file);
}

// A design size is a pair of positive numbers: anything else leaves the places in screen
// pixels, as every skin made before design sizes, and says why. 0 when neither key is given.
static int readDesignSize(const std::string& section, const std::string& file, int* width,
                          int* height)
{
    std::optional<std::string> widthText =
        iniReadOptionalString(section.c_str(), "DesignWidth", file);
    std::optional<std::string> heightText =
        iniReadOptionalString(section.c_str(), "DesignHeight", file);
    if (!widthText && !heightText) return 0;
    *width = iniReadNumber(section.c_str(), "DesignWidth", 0, file);
    *height = iniReadNumber(section.c_str(), "DesignHeight", 0, file);
    if (*width > 0 && *height > 0) return 1;
    fprintf(stderr,
            "%s [%s]: DesignWidth and DesignHeight must both be above 0 (found [%s] and "
            "[%s]); the places of this layout are screen pixels\n",
            file.c_str(), section.c_str(), widthText.value_or("").c_str(),
            heightText.value_or("").c_str());
    *width = *height = 0;
    return 1;
}

// The view's own section first, then [Settings] for both views.
static void loadDesignSize(const char* layout, const std::string& file)
{
    Skin.DesignWidth = Skin.DesignHeight = 0;
    if (!readDesignSize(layout, file, &Skin.DesignWidth, &Skin.DesignHeight))
        readDesignSize("Settings", file, &Skin.DesignWidth, &Skin.DesignHeight);
}

static void addTallValue(const std::string& section, const char* key, int SkinRecord::*field,
                         const std::string& file)
{
    if (iniReadOptionalString(section.c_str(), key, file))
        Skin.TallValues.push_back({field, iniReadNumber(section.c_str(), key, 0, file)});
}

// Only the places and sizes: the fonts and colours stay those the options menu shows.
static void loadTallLayout(const std::string& file)
{
    std::string section = tallLayoutSection();
    Skin.TallValues.clear();
    for (const LayoutKey& key : ListKeys) addTallValue(section, key.Name, key.Field, file);
    for (const LayoutKey& key : BoxKeys) addTallValue(section, key.Name, key.Field, file);
    addTallValue(section, "PreviewSpacer", &SkinRecord::PreviewSpacer, file);
    int width = 0, height = 0;
    if (readDesignSize(section, file, &width, &height))
    {
        Skin.TallValues.push_back({&SkinRecord::DesignWidth, width});
        Skin.TallValues.push_back({&SkinRecord::DesignHeight, height});
    }
}

static void loadSounds(const std::string& file)
{
    Skin.Sounds.Startup = iniReadOptionalString("Sounds", "Startup", file);
    Skin.Sounds.Shutdown = iniReadOptionalString("Sounds", "Shutdown", file);
    Skin.Sounds.StartGame = iniReadOptionalString("Sounds", "StartGame", file);
    Skin.Sounds.Error = iniReadOptionalString("Sounds", "Error", file);
    Skin.Sounds.ChangeGame = iniReadOptionalString("Sounds", "ChangeGame", file);
    Skin.Sounds.NotAllowed = iniReadOptionalString("Sounds", "NotAllowed", file);
}

static std::string colourText(uint32_t colour)
{
    char text[16];
    snprintf(text, sizeof text, "0x%06X", colour & 0xFFFFFF);
    return text;
}

int brightness(uint32_t colour)
{
    return (299 * (colour & 0xFF) + 587 * ((colour >> 8) & 0xFF) + 114 * ((colour >> 16) & 0xFF)) /
           1000;
}

uint32_t readableOn(uint32_t text, uint32_t background)
{
    int band = brightness(background);
    if (std::abs(band - brightness(text)) >= 96) return text;
    return band >= 128 ? 0x000000 : 0xFFFFFF;
}

// The highlight's text colour, unless the view made it alike to the highlight's background (the
// image browser draws only a frame in it): a title in it would not show.
static uint32_t titleTextDefault()
{
    return readableOn(Skin.HighlightForecolor, Skin.HighlightBackcolor);
}

static PopupLook loadPopupLook(const char* section, int fontsize, const std::string& file)
{
    PopupLook look;
    look.Fontface = iniReadString(section, "Fontface", Skin.Fontface.c_str(), file);
    look.Fontsize = iniReadNumber(section, "Fontsize", fontsize, file);
    look.Fontcolor = iniReadColor(section, "Fontcolor", colourText(Skin.Fontcolor).c_str(), file);
    look.Backgroundcolor =
        iniReadColor(section, "Backgroundcolor", colourText(Skin.Backgroundcolor).c_str(), file);
    look.TitleForecolor =
        iniReadColor(section, "TitleForecolor", colourText(titleTextDefault()).c_str(), file);
    look.TitleBackcolor =
        iniReadColor(section, "TitleBackcolor", colourText(Skin.HighlightBackcolor).c_str(), file);
    return look;
}

void loadSkin()
{
    std::string folder = skinFolder();
    if (!platformIsDirectory(folder))
        fprintf(stderr, "Skin folder not found: [%s]; the default look is used\n", folder.c_str());
    std::string file = skinFilePath();
    const char* layout = layoutSection();
    platformRemoveTemporaries(file);
    loadFonts(file);
    loadColours(layout, file);
    loadLayout(layout, file);
    loadDesignSize(layout, file);
    loadTallLayout(file);
    loadSounds(file);
    Skin.Menu = loadPopupLook("Menu", Skin.MenuFontSize, file);
    Skin.Message = loadPopupLook("Message", Skin.Fontsize, file);
}

int saveSkin()
{
    // The default look stands in for a missing skin: there is no folder to save it into.
    if (!platformIsDirectory(skinFolder())) return 1;
    std::string file = skinFilePath();
    const char* layout = layoutSection();
    // One replacement for the whole save, so a kill during it leaves the old file or the new.
    iniHoldWrites(file);
    iniWriteString("Settings", "Fontface", Skin.Fontface, file);
    iniWriteInt("Settings", "Fontsize", Skin.Fontsize, file);
    iniWriteInt("Settings", "MenuFontSize", Skin.MenuFontSize, file);
    iniWriteInt("Settings", "TextShadow", Skin.TextShadow, file);
    iniWriteInt(layout, "ShowHighlightBar", Skin.ShowHighlightBar, file);
    iniWriteInt(layout, "ShowStatusBar", Skin.ShowStatusBar, file);
    iniWriteString("Settings", "Emulator", Skin.ShownEmulator, file);
    iniWriteString(layout, "StatusBarFontFace", Skin.StatusBarFontFace, file);
    iniWriteInt(layout, "StatusBarFontSize", Skin.StatusBarFontSize, file);
    for (int i = 0; i < 4; i++)
        iniWriteInt(layout, ListKeys[i].Name, Skin.*ListKeys[i].Field, file);
    for (const LayoutKey& key : BoxKeys) iniWriteInt(layout, key.Name, Skin.*key.Field, file);
    return iniFlushWrites();
}

void freeSkin()
{
    Skin = SkinRecord();
}
