// The demo's stand-in for a MAME emulator, so the demo runs where no MAME is installed.
// "-listxml" prints a list of made-up machines in MAME's newer format: parents and clones, a
// BIOS and the games that use it, a sound device, vertical, vector and raster screens, many
// kinds of controls and a machine that cannot run. Any other command line is taken as a game
// to play: a full-screen window names the game, its arguments and the folder it was started
// in, and closes on Escape, on "1" (the front end's start key) or after a few seconds.
// When DEMOMAME_RECORD names a file, every run appends its folder and arguments to it.
#include "platform/input.h"
#include "platform/window.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

struct DemoMachine
{
    const char* Name;
    const char* CloneOf; // also its romof
    const char* RomOf;   // a parent or the BIOS whose ROMs it shares
    const char* Description;
    const char* Year;
    const char* Manufacturer;
    const char* Screen; // "raster", "vector", or null for none
    int Rotate;
    int Players, Buttons, Coins;
    const char* Control; // MAME's control type; null for no input at all
    int Ways;
    const char* Kind; // "bios", "device", "mechanical" or null for a game
};

static const DemoMachine Machines[] = {
    {"neogeo", 0, 0, "Neo Geo Demo BIOS", "1990", "Tanager Amusements", "raster", 0, 0, 0, 0, 0, 0,
     "bios"},
    {"demosnd", 0, 0, "Demo Sound Board", "1980", "Torvanell", 0, 0, 0, 0, 0, 0, 0, "device"},
    {"galdef", 0, 0, "Galactic Defender", "1981", "Orbitron", "raster", 0, 2, 1, 2, "joy", 8, 0},
    {"galdefa", "galdef", "galdef", "Galactic Defender (set 2)", "1981", "Orbitron", "raster", 0, 2,
     1, 2, "joy", 8, 0},
    {"mazemun", 0, 0, "Maze Muncher", "1980", "Vellum Games", "raster", 90, 2, 0, 2, "joy", 4, 0},
    {"mazemunj", "mazemun", "mazemun", "Maze Muncher (Japan)", "1980", "Vellum Games", "raster", 90,
     2, 0, 2, "joy", 4, 0},
    {"starlncr", 0, 0, "Star Lancer", "1979", "Orbitron", "vector", 0, 1, 2, 1, "joy", 8, 0},
    {"rockbelt", 0, 0, "Rock Belt", "1980", "Kestrel Soft", "vector", 0, 2, 5, 2, "stick", 0, 0},
    {"vortexrm", 0, 0, "Vortex Rim", "1981", "Kestrel Soft", "vector", 0, 2, 2, 2, "dial", 0, 0},
    {"rollbraw", 0, 0, "Roller Brawl", "1986", "Nimbus", "raster", 0, 4, 3, 4, "joy", 8, 0},
    {"rollbrawu", "rollbraw", "rollbraw", "Roller Brawl (US)", "1986", "Nimbus", "raster", 0, 4, 3,
     4, "joy", 8, 0},
    {"neobout", 0, "neogeo", "Neo Bout Champions", "1994", "Tanager Amusements", "raster", 0, 2, 4,
     2, "joy", 8, 0},
    {"neobout2", 0, "neogeo", "Neo Bout Champions 2", "1995", "Tanager Amusements", "raster", 0, 2,
     4, 2, "joy", 8, 0},
    {"neoblast", 0, "neogeo", "Blast Brigade", "1996", "Tanager Amusements", "raster", 0, 2, 3, 2,
     "joy", 8, 0},
    {"neopuzl", 0, "neogeo", "Puzzle Drop Neo", "1995", "Tanager Amusements", "raster", 0, 2, 1, 2,
     "joy", 8, 0},
    {"pinwheel", 0, 0, "Pinwheel Derby", "1978", "Tanager Amusements", "raster", 0, 1, 1, 1, "joy",
     4, "mechanical"},
    {"marblecn", 0, 0, "Marble Canyon", "1984", "Vellum Games", "raster", 0, 2, 0, 2, "trackball",
     0, 0},
    {"duckmrsh", 0, 0, "Duck Marsh", "1985", "Orbitron", "raster", 0, 1, 1, 1, "lightgun", 0, 0},
    {"turbostr", 0, 0, "Turbo Straight", "1982", "Nimbus", "raster", 0, 1, 1, 1, "paddle", 0, 0},
    {"turbostj", "turbostr", "turbostr", "Turbo Straight (Japan)", "1982", "Nimbus", "raster", 0, 1,
     1, 1, "paddle", 0, 0},
    {"roborampg", 0, 0, "Robo Rampage", "1982", "Kestrel Soft", "raster", 0, 2, 0, 2, "doublejoy",
     8, 0},
    {"quizcast", 0, 0, "Quiz Castle", "1991", "Tanager Amusements", "raster", 0, 2, 4, 2,
     "only_buttons", 0, 0},
    {"luckytil", 0, 0, "Lucky Tiles", "1988", "Vellum Games", "raster", 0, 1, 6, 1, "mahjong", 0,
     0},
    {"skyhawk", 0, 0, "Sky Hawk", "1983", "Orbitron", "raster", 270, 2, 2, 2, "joy", 8, 0},
    {"skyhawk2", 0, 0, "Sky Hawk II", "1985", "Orbitron", "raster", 270, 2, 3, 2, "joy", 8, 0},
    {"cliffrun", 0, 0, "Cliff Runner", "1984", "Nimbus", "raster", 0, 2, 2, 2, "joy", 8, 0},
    {"frogway", 0, 0, "Frog Highway", "1981", "Kestrel Soft", "raster", 90, 2, 0, 2, "joy", 4, 0},
    {"pingball", 0, 0, "Ping Ball", "1976", "Tanager Amusements", "raster", 0, 2, 0, 1, "paddle", 0,
     0},
    {"tankcmdr", 0, 0, "Tank Commander", "1980", "Orbitron", "vector", 0, 2, 1, 2, "stick", 0, 0},
    {"bombjock", 0, 0, "Bomb Jockey", "1984", "Vellum Games", "raster", 90, 2, 1, 2, "joy", 8, 0},
    {"wizquest", 0, 0, "Wizard's Quest", "1985", "Nimbus", "raster", 0, 4, 2, 4, "joy", 8, 0},
    {"wizquestj", "wizquest", "wizquest", "Wizard's Quest (Japan)", "1985", "Nimbus", "raster", 0,
     4, 2, 4, "joy", 8, 0},
    {"snowball", 0, 0, "Snowball Fight", "1990", "Kestrel Soft", "raster", 0, 2, 2, 2, "joy", 8, 0},
    {"hexaclst", 0, 0, "Hexa Cluster", "1990", "Tanager Amusements", "raster", 0, 2, 1, 2, "joy", 4,
     0},
    {"beamrunr", 0, 0, "Beam Runner", "1983", "Orbitron", "vector", 0, 1, 3, 1, "joy", 8, 0},
    {"ironfist", 0, 0, "Iron Fist Tournament", "1993", "Nimbus", "raster", 0, 2, 6, 2, "joy", 8, 0},
    {"ironfistb", "ironfist", "ironfist", "Iron Fist Tournament (bootleg)", "199?", "Nimbus",
     "raster", 0, 2, 6, 2, "joy", 8, 0},
    {"deepdive", 0, 0, "Deep Diver", "1982", "Vellum Games", "raster", 0, 1, 2, 1, "joy", 8, 0},
    {"cosmocab", 0, 0, "Cosmo Cab", "1983", "Kestrel Soft", "raster", 0, 1, 3, 1, "joy", 8, 0},
    {"gemmine", 0, 0, "Gem Mine", "1986", "Tanager Amusements", "raster", 90, 2, 1, 2, "joy", 4, 0},
};

static const int SecondsShown = 8;

static std::string escapeXml(const char* text)
{
    std::string escaped;
    for (const char* c = text; *c; c++)
    {
        if (*c == '&')
            escaped += "&amp;";
        else if (*c == '<')
            escaped += "&lt;";
        else if (*c == '"')
            escaped += "&quot;";
        else
            escaped += *c;
    }
    return escaped;
}

static uint32_t hashOf(const std::string& text)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

static void printHeader(const DemoMachine& machine)
{
    printf("\t<machine name=\"%s\" sourcefile=\"demo/%s.cpp\"", machine.Name,
           machine.CloneOf ? machine.CloneOf : machine.Name);
    if (machine.Kind && strcmp(machine.Kind, "bios") == 0) printf(" isbios=\"yes\"");
    if (machine.Kind && strcmp(machine.Kind, "device") == 0) printf(" isdevice=\"yes\"");
    if (machine.Kind && strcmp(machine.Kind, "mechanical") == 0) printf(" ismechanical=\"yes\"");
    if (machine.Kind && strcmp(machine.Kind, "bios") != 0) printf(" runnable=\"no\"");
    if (machine.CloneOf) printf(" cloneof=\"%s\"", machine.CloneOf);
    if (machine.RomOf) printf(" romof=\"%s\"", machine.RomOf);
    printf(">\n\t\t<description>%s</description>\n", escapeXml(machine.Description).c_str());
    printf("\t\t<year>%s</year>\n", machine.Year);
    printf("\t\t<manufacturer>%s</manufacturer>\n", escapeXml(machine.Manufacturer).c_str());
}

// Two program ROMs of the machine's own; a clone's are merged from its parent's set.
static void printRoms(const DemoMachine& machine)
{
    const char* owner = machine.CloneOf ? machine.CloneOf : machine.Name;
    for (int i = 1; i <= 2; i++)
    {
        std::string rom = std::string(owner) + "." + std::to_string(i) + "a";
        printf("\t\t<rom name=\"%s\"", rom.c_str());
        if (machine.CloneOf) printf(" merge=\"%s\"", rom.c_str());
        printf(" size=\"%d\" crc=\"%08x\" region=\"maincpu\" offset=\"%d\"/>\n", 8192, hashOf(rom),
               (i - 1) * 8192);
    }
    if (strcmp(machine.Name, "demosnd") != 0) printf("\t\t<device_ref name=\"demosnd\"/>\n");
}

static void printDisplay(const DemoMachine& machine)
{
    if (!machine.Screen) return;
    bool vertical = machine.Rotate == 90 || machine.Rotate == 270;
    printf("\t\t<display tag=\"screen\" type=\"%s\" rotate=\"%d\"", machine.Screen, machine.Rotate);
    if (strcmp(machine.Screen, "raster") == 0)
        printf(" width=\"%d\" height=\"%d\"", vertical ? 224 : 256, vertical ? 256 : 224);
    printf(" refresh=\"60.000000\"/>\n");
    printf("\t\t<sound channels=\"1\"/>\n");
}

static void printInput(const DemoMachine& machine)
{
    if (!machine.Control) return;
    printf("\t\t<input players=\"%d\" coins=\"%d\">\n", machine.Players, machine.Coins);
    for (int player = 1; player <= machine.Players; player++)
    {
        printf("\t\t\t<control type=\"%s\" player=\"%d\"", machine.Control, player);
        if (machine.Buttons) printf(" buttons=\"%d\"", machine.Buttons);
        if (machine.Ways) printf(" ways=\"%d\"", machine.Ways);
        printf("/>\n");
    }
    printf("\t\t</input>\n");
    printf("\t\t<driver status=\"good\" emulation=\"good\" savestate=\"supported\"/>\n");
}

static void printList()
{
    printf("<?xml version=\"1.0\"?>\n"
           "<!DOCTYPE mame [\n"
           "<!ELEMENT mame (machine+)>\n"
           "\t<!ATTLIST mame build CDATA #IMPLIED>\n"
           "<!ELEMENT machine (description, year?, manufacturer?, rom*, device_ref*, display*, "
           "sound?, input?, driver?)>\n"
           "\t<!ATTLIST machine name CDATA #REQUIRED>\n"
           "]>\n\n"
           "<mame build=\"0.251 (Torvanell demo)\" debug=\"no\" mameconfig=\"10\">\n");
    for (const DemoMachine& machine : Machines)
    {
        printHeader(machine);
        printRoms(machine);
        printDisplay(machine);
        printInput(machine);
        printf("\t</machine>\n");
    }
    printf("</mame>\n");
}

static std::string currentFolder()
{
    std::error_code error;
    std::string folder = std::filesystem::current_path(error).string();
    return error ? "?" : folder;
}

static void recordRun(int argc, char** argv)
{
    const char* path = std::getenv("DEMOMAME_RECORD");
    if (!path) return;
    FILE* file = std::fopen(path, "a");
    if (!file)
    {
        fprintf(stderr, "demomame: cannot append to [%s]\n", path);
        return;
    }
    fprintf(file, "run\ncwd %s\n", currentFolder().c_str());
    for (int i = 1; i < argc; i++) fprintf(file, "arg %s\n", argv[i]);
    std::fclose(file);
}

// What the game window shows, and how long it has left.
static std::vector<std::string> ShownLines;
static int SecondsLeft = SecondsShown;

static const DemoMachine* findMachine(const std::string& name)
{
    for (const DemoMachine& machine : Machines)
        if (name == machine.Name) return &machine;
    return nullptr;
}

static void describeRun(int argc, char** argv)
{
    const DemoMachine* machine = findMachine(argv[1]);
    ShownLines.push_back("Torvanell demo emulator");
    ShownLines.push_back("");
    ShownLines.push_back(std::string("Now playing: ") + (machine ? machine->Description : argv[1]));
    if (machine) ShownLines.push_back(std::string(machine->Year) + ", " + machine->Manufacturer);
    ShownLines.push_back("");
    ShownLines.push_back("Started in: " + currentFolder());
    for (int i = 1; i < argc; i++)
        ShownLines.push_back("Argument " + std::to_string(i) + ": " + argv[i]);
    ShownLines.push_back("");
}

static void paintGame(Window* window)
{
    Surface* surface = platformWindowSurface(window);
    Rect client = platformClientRect(window);
    platformFillRect(surface, client, 0x402010);
    Font* font = platformCreateFont("Liberation Sans", 20, 0, 0);
    platformSelectFont(surface, font);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    platformSetTextColor(surface, 0xFFFFFF);
    int lineHeight = platformFontHeight(font) + 6, y = client.Bottom / 6;
    for (const std::string& line : ShownLines)
    {
        platformTextOut(surface, client.Right / 10, y, line);
        y += lineHeight;
    }
    platformSetTextColor(surface, 0x40D0FF);
    platformTextOut(surface, client.Right / 10, y,
                    "Escape or 1 goes back to the front end (by itself in " +
                        std::to_string(SecondsLeft) + " s)");
    platformSelectFont(surface, nullptr);
    platformFreeFont(font);
}

static intptr_t gameWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    switch (kind)
    {
    case MsgPaint:
        paintGame(window);
        return 0;
    case MsgTimer:
        if (--SecondsLeft <= 0) platformPostQuit(0);
        platformInvalidate(window, 0);
        return 0;
    case MsgKeyDown:
        if (param1 == VkEscape || param1 == '1') platformPostQuit(0);
        return 0;
    default:
        return platformDefaultWindowProc(window, kind, param1, param2);
    }
}

static int playGame()
{
    // The stand-in plays no sound: on a machine without a sound device it must not say so
    // after the front end has, at every game.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!platformStart()) return 1;
    Rect screen = platformScreenRect();
    platformRegisterClass("DemoGame", gameWindowProc);
    Window* window = platformCreateWindow("DemoGame", "demomame", StylePopup, nullptr, 0, 0,
                                          screen.Right, screen.Bottom, 0);
    if (!window)
    {
        fprintf(stderr, "demomame: cannot create the game window\n");
        platformStop();
        return 1;
    }
    platformShowWindow(window, ShowMaximized);
    platformSetTimer(window, 1, 1000);
    Message message;
    while (platformGetMessage(&message))
    {
        platformDispatchMessage(&message);
    }
    platformStop();
    return 0;
}

int main(int argc, char** argv)
{
    recordRun(argc, argv);
    if (argc > 1 && strcmp(argv[1], "-listxml") == 0)
    {
        printList();
        return 0;
    }
    if (argc < 2 || argv[1][0] == '-')
    {
        fprintf(stderr, "Usage: demomame -listxml | demomame <game> [options]\n");
        return 1;
    }
    describeRun(argc, argv);
    return playGame();
}
