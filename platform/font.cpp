// Fonts through fontconfig and SDL_ttf, and text drawn onto surfaces. The front end creates a
// font for every use, so opened faces are kept for the next use, as many as surfaces select
// and a few more.
#include "base/text.h"
#include "platform/internal.h"
#include "platform/window.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

// GCC tells of AddressSanitizer by a macro, clang only by a feature test.
#if defined(__SANITIZE_ADDRESS__)
#define TORVANELL_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TORVANELL_LEAK_CHECKED 1
#endif
#endif

#if defined(TORVANELL_LEAK_CHECKED)
#include <sanitizer/lsan_interface.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

struct Font
{
    TTF_Font* Face;      // null only when not even the default face could be opened
    int PixelHeight;     // the em height asked for
    int LineHeight;      // cell height without external leading; never below 1
    std::string Key;     // in Fonts
    std::string FaceKey; // in OpenFaces; empty without a face
    int Selections;      // surfaces that have it selected: it stays while any has
    uint64_t LastUse;
};

// An open face holds its file and a few hundred kilobytes of glyphs, and several fonts may
// share one (two names of the same file).
struct OpenFace
{
    TTF_Font* Face;
    int Users;
};

static std::map<std::string, Font*> Fonts;           // by face, points and emphasis
static std::map<std::string, OpenFace> OpenFaces;    // by file, pixel height and style
static std::map<std::string, std::string> FaceFiles; // by face and emphasis
static Font* DefaultFont;
static int FontsStarted;
static uint64_t UseClock;

// Fonts no surface has selected are kept for the next redraw that asks for them; beyond this
// many the least recently used are closed, so that trying every face and size in the menu
// leaves no files open.
const size_t KeptIdleFonts = 8;

// A quarter of a 4K screen: more than any list or bar can use, and it keeps a mistyped size
// (a skin's 100000 points) from rasterising glyphs of millions of pixels at every redraw.
const int MaxPixelHeight = 540;

// fontconfig loses a block while it parses its configuration files, once per process; the
// leak checker of the sanitizer build is told to look away from that one load.
static int startFontconfig()
{
#if defined(TORVANELL_LEAK_CHECKED)
    __lsan_disable();
#endif
    int started = FcInit();
#if defined(TORVANELL_LEAK_CHECKED)
    __lsan_enable();
#endif
    return started;
}

int startFonts()
{
    if (FontsStarted) return 1;
    // fontconfig's configuration stays for the whole process.
    static int fontconfigStarted = startFontconfig();
    if (TTF_Init() != 0 || !fontconfigStarted)
    {
        fprintf(stderr, "Cannot start the font system: %s\n", TTF_GetError());
        return 0;
    }
    FontsStarted = 1;
    return 1;
}

void stopFonts()
{
    if (!FontsStarted) return;
    for (auto& entry : Fonts) delete entry.second;
    for (auto& entry : OpenFaces) TTF_CloseFont(entry.second.Face);
    Fonts.clear();
    OpenFaces.clear();
    FaceFiles.clear();
    DefaultFont = nullptr;
    TTF_Quit();
    FontsStarted = 0;
}

static std::string fileOfPattern(FcPattern* pattern)
{
    FcChar8* file = nullptr;
    if (pattern && FcPatternGetString(pattern, FC_FILE, 0, &file) == FcResultMatch && file)
        return (const char*)file;
    return "";
}

// A full name ("Liberation Sans Bold") names one file exactly; the options menu offers those.
static std::string fileOfFullName(const std::string& face)
{
    FcPattern* pattern =
        FcPatternBuild(nullptr, FC_FULLNAME, FcTypeString, face.c_str(), (char*)nullptr);
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, (char*)nullptr);
    FcFontSet* set = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    std::string file = set && set->nfont > 0 ? fileOfPattern(set->fonts[0]) : "";
    if (set) FcFontSetDestroy(set);
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    return file;
}

static int familyIs(FcPattern* match, const std::string& face)
{
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; i++)
        if (family && SDL_strcasecmp((const char*)family, face.c_str()) == 0) return 1;
    return 0;
}

// fontconfig never fails a match: an unknown family gets the default sans face, a Windows
// family its metric-compatible substitute. exact tells whether the face itself was found.
static std::string fileOfFamily(const std::string& face, int bold, int italic, int* exact)
{
    *exact = 0;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return "";
    if (!face.empty()) FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)face.c_str());
    FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)"sans-serif");
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_EXTRABOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file = fileOfPattern(match);
    if (match) *exact = familyIs(match, face);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
}

// A family finds the file of the right weight; a full name ("Liberation Sans Bold", as the
// options menu lists them) names one file; anything else gets fontconfig's substitute.
static std::string faceFile(const std::string& face, int bold, int italic)
{
    std::string key = face + (bold ? "|b" : "|") + (italic ? "i" : "");
    auto found = FaceFiles.find(key);
    if (found != FaceFiles.end()) return found->second;
    int exact = 0;
    std::string file = fileOfFamily(face, bold, italic, &exact);
    if (!exact && !face.empty())
    {
        std::string byFullName = fileOfFullName(face);
        if (!byFullName.empty()) file = byFullName;
    }
    FaceFiles[key] = file;
    return file;
}

// Emphasis the file does not have itself is made by SDL_ttf.
static int missingStyle(TTF_Font* face, int bold, int italic)
{
    const char* style = TTF_FontFaceStyleName(face);
    std::string name = style ? style : "";
    for (char& c : name) c = (char)SDL_tolower((unsigned char)c);
    int style_ = TTF_STYLE_NORMAL;
    if (bold && name.find("bold") == std::string::npos && name.find("black") == std::string::npos)
        style_ |= TTF_STYLE_BOLD;
    if (italic && name.find("italic") == std::string::npos &&
        name.find("oblique") == std::string::npos)
        style_ |= TTF_STYLE_ITALIC;
    return style_;
}

static TTF_Font* openFace(const std::string& file, int pixelHeight, int bold, int italic,
                          std::string& key)
{
    if (file.empty()) return nullptr;
    key = file + "|" + std::to_string(pixelHeight) + (bold ? "b" : "") + (italic ? "i" : "");
    auto found = OpenFaces.find(key);
    if (found != OpenFaces.end())
    {
        found->second.Users++;
        return found->second.Face;
    }
    errno = 0;
    TTF_Font* face = TTF_OpenFont(file.c_str(), pixelHeight);
    if (!face)
    {
        fprintf(stderr, "Cannot open the font file [%s]: %s\n", file.c_str(),
                errno ? strerror(errno) : TTF_GetError());
        return nullptr;
    }
    TTF_SetFontStyle(face, missingStyle(face, bold, italic));
    OpenFaces[key] = {face, 1};
    return face;
}

static void closeFace(const std::string& key)
{
    auto found = OpenFaces.find(key);
    if (found == OpenFaces.end() || --found->second.Users > 0) return;
    TTF_CloseFont(found->second.Face);
    OpenFaces.erase(found);
}

static Font* newFont(const std::string& face, int pixelHeight, int bold, int italic)
{
    Font* font = new Font();
    font->PixelHeight = pixelHeight;
    font->Face = openFace(faceFile(face, bold, italic), pixelHeight, bold, italic, font->FaceKey);
    if (!font->Face)
        font->Face = openFace(faceFile("", bold, italic), pixelHeight, bold, italic, font->FaceKey);
    if (!font->Face) fprintf(stderr, "No font could be opened for \"%s\"\n", face.c_str());
    // The system's line height is the cell without external leading; SDL_ttf's line skip is
    // the cell with it.
    int lineHeight = pixelHeight;
    if (font->Face) lineHeight = 2 * TTF_FontHeight(font->Face) - TTF_FontLineSkip(font->Face);
    font->LineHeight = std::max(1, lineHeight);
    return font;
}

static void closeLeastUsedIdleFont()
{
    Font* oldest = nullptr;
    for (auto& [key, font] : Fonts)
        if (font->Selections == 0 && font != DefaultFont &&
            (!oldest || font->LastUse < oldest->LastUse))
            oldest = font;
    if (!oldest) return;
    if (oldest->Face) closeFace(oldest->FaceKey);
    Fonts.erase(oldest->Key);
    delete oldest;
}

static void trimIdleFonts()
{
    size_t idle = 0;
    for (auto& [key, font] : Fonts) idle += font->Selections == 0 && font != DefaultFont;
    for (; idle > KeptIdleFonts; idle--) closeLeastUsedIdleFont();
}

// A surface may outlive the fonts of a stopped layer: only a font the cache holds is counted.
// The cache holds the fonts surfaces have selected and a few more, so looking through it is
// quick.
void fontSelected(Font* font, int change)
{
    for (auto& [key, cached] : Fonts)
        if (cached == font)
        {
            font->Selections += change;
            return;
        }
}

Font* platformCreateFont(const char* face, int points, int bold, int italic)
{
    if (!FontsStarted && !startFonts()) return nullptr;
    std::string name = face ? face : "";
    std::string key = name + "|" + std::to_string(points) + (bold ? "b" : "") + (italic ? "i" : "");
    auto found = Fonts.find(key);
    if (found != Fonts.end())
    {
        found->second->LastUse = ++UseClock;
        return found->second;
    }
    // Points at 96 pixels per inch, rounded to the nearest pixel.
    int64_t pixels = std::llabs((int64_t)points * 96);
    int pixelHeight = (int)std::min<int64_t>((pixels + 36) / 72, MaxPixelHeight);
    if (pixelHeight <= 0) pixelHeight = 16; // a size of 0 asks for the default size
    Font* font = newFont(name, pixelHeight, bold, italic);
    font->Key = key;
    font->LastUse = ++UseClock;
    Fonts[key] = font;
    trimIdleFonts(); // the new one is the most recently used: it stays
    return font;
}

// Fonts are shared through the cache, which closes those no surface has selected.
void platformFreeFont(Font*) {}

int platformFontHeight(const Font* font)
{
    return font ? font->LineHeight : 16;
}

int platformFontUsable(const Font* font)
{
    return font && font->Face;
}

// Text fit for SDL_ttf: valid UTF-8 kept, other bytes read as Windows-1252 as every reader
// reads them, control characters dropped.
std::string displayableText(const std::string& text)
{
    std::string out = repairedUtf8(text);
    out.erase(std::remove_if(out.begin(), out.end(), [](char c) { return c >= 0 && c < 0x20; }),
              out.end());
    return out;
}

int platformTextWidth(const Font* font, const std::string& text)
{
    if (!font || !font->Face || text.empty()) return 0;
    int width = 0, height = 0;
    if (TTF_SizeUTF8(font->Face, displayableText(text).c_str(), &width, &height) != 0) return 0;
    return width;
}

const Font* platformSurfaceFont(const Surface* surface)
{
    if (surface && surface->Selected) return surface->Selected;
    if (!DefaultFont) DefaultFont = platformCreateFont("", 12, 0, 0);
    return DefaultFont;
}

// The characters that can show in width pixels, and one more that the clip cuts: a name of
// thousands of characters in a narrow list is not rendered whole only to be cut.
static std::string visiblePart(TTF_Font* face, const std::string& text, int width)
{
    int extent = 0, count = 0;
    if (TTF_MeasureUTF8(face, text.c_str(), width, &extent, &count) != 0) return text;
    size_t end = 0;
    for (int shown = 0; end < text.size() && shown <= count; shown++) do
            end++;
        while (end < text.size() && ((unsigned char)text[end] & 0xC0) == 0x80);
    return text.substr(0, end);
}

// One line at (x, y), clipped to clip (in surface coordinates).
static void drawLine(Surface* surface, int x, int y, const std::string& line, const SDL_Rect& clip)
{
    const Font* font = platformSurfaceFont(surface);
    if (!font || !font->Face) return;
    if (x >= clip.x + clip.w) return;
    std::string text = visiblePart(font->Face, displayableText(line), clip.x + clip.w - x);
    if (text.empty()) return;
    Color color = surface->TextColor;
    SDL_Color ink = {(Uint8)(color & 0xFF), (Uint8)((color >> 8) & 0xFF),
                     (Uint8)((color >> 16) & 0xFF), 255};
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(font->Face, text.c_str(), ink);
    if (!rendered) return;
    SDL_SetClipRect(surface->Pixels, &clip);
    if (surface->BackMode == BackgroundOpaque)
    {
        SDL_Rect cell = {x, y, rendered->w, font->LineHeight};
        SDL_FillRect(surface->Pixels, &cell, pixelOf(surface->BackColor));
    }
    SDL_Rect target = {x, y, 0, 0};
    SDL_SetSurfaceBlendMode(rendered, SDL_BLENDMODE_BLEND);
    SDL_BlitSurface(rendered, nullptr, surface->Pixels, &target);
    SDL_SetClipRect(surface->Pixels, nullptr);
    SDL_FreeSurface(rendered);
    markDirty(surface->Owner);
}

void platformTextOut(Surface* surface, int x, int y, const std::string& text)
{
    if (!surface) return;
    SDL_Rect whole = {0, 0, surface->Width, surface->Height};
    drawLine(surface, x, y, text, whole);
}

void platformDrawText(Surface* surface, Rect rect, const std::string& text)
{
    if (!surface || rect.Right <= rect.Left || rect.Bottom <= rect.Top) return;
    SDL_Rect clip = {rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top};
    SDL_Rect whole = {0, 0, surface->Width, surface->Height};
    if (!SDL_IntersectRect(&clip, &whole, &clip)) return;
    int lineHeight = platformFontHeight(platformSurfaceFont(surface));
    int y = rect.Top;
    for (size_t start = 0; start <= text.size() && y < rect.Bottom; y += lineHeight)
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        drawLine(surface, rect.Left, y, line, clip);
        start = end + 1;
    }
}

int platformFontInstalled(const std::string& face)
{
    if (face.empty() || (!FontsStarted && !startFonts())) return 0;
    int exact = 0, unused = 0;
    std::string file = fileOfFamily(face, 0, 0, &exact);
    if (exact || !fileOfFullName(face).empty()) return 1;
    return !file.empty() && file != fileOfFamily("", 0, 0, &unused);
}

std::vector<std::string> platformListFonts()
{
    std::vector<std::string> names;
    if (!FontsStarted && !startFonts()) return names;
    FcPattern* pattern =
        FcPatternBuild(nullptr, FC_FONTFORMAT, FcTypeString, "TrueType", (char*)nullptr);
    FcObjectSet* objects = FcObjectSetBuild(FC_FULLNAME, (char*)nullptr);
    FcFontSet* set = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    for (int i = 0; set && i < set->nfont; i++)
    {
        FcChar8* name = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FULLNAME, 0, &name) == FcResultMatch && name)
            names.push_back((const char*)name);
    }
    if (set) FcFontSetDestroy(set);
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    std::sort(names.begin(), names.end());
    return names;
}
