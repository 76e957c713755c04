// Every key the configuration file and a skin's skin.ini are read for, with its kind of value,
// default and meaning: the one list the checks of mistyped keys and the manual page of both
// files are made from, so that neither can drift from what the program reads.
#pragma once

#include <string>
#include <vector>

// Which sections of which file a key is read in.
enum KeyPlace
{
    PlaceSettings,         // the configuration's [Settings]
    PlaceSystem,           // the configuration's [System]
    PlaceEvents,           // the configuration's [Events]
    PlaceKeymappings,      // [Keymappings]
    PlaceJoystickMappings, // [JoystickMappings]
    PlaceEmulator,         // every emulator's own section
    PlaceMameEmulator,     // the section of an emulator whose name begins with MAME
    PlaceNameCodes,        // an emulator's section, read when its UseGoodFilters is 1
    PlaceSkinSettings,     // skin.ini's [Settings]
    PlaceSkinView,         // skin.ini's [List] and [Image]
    PlaceSkinPlaces,       // [List], [Image], [ListPortrait] and [ImagePortrait]
    PlaceSkinSounds,       // skin.ini's [Sounds]
    PlaceSkinPopup,        // skin.ini's [Menu] and [Message]
};

enum KeyValueKind
{
    ValueText,
    ValueNumber, // a whole number: anything after its digits is not read
    ValueFlag,   // 0 or 1: anything but 0 counts as 1
    ValueColour, // hexadecimal 0xBBGGRR
    ValueWord,   // one of the words in Words; anything else counts as the default
    ValueOwn,    // checked by its reader, which tells what it uses instead
};

struct SettingKey
{
    KeyPlace Place;
    std::string Name;
    KeyValueKind Kind;
    std::string Default; // as the manual page shows it; empty for none
    std::string Meaning;
    std::string Words; // ValueWord: the words, separated by ", "
};

// The whole table, in the order of the manual page.
const std::vector<SettingKey>& settingKeys();

// One line per doubtful line of the file, "file:line: [Section] Key=value: why": an unknown
// key in a section that is read, a number that is text, a flag or colour or word that is not
// one, a key or section given twice (only the first is read), a MAME key in another
// emulator's section. Sections that are not read (an emulator not in Emulators, notes) are
// left alone. Nothing for a file that cannot be read: its readers say so.
std::vector<std::string> checkConfigurationKeys(const std::string& file);
std::vector<std::string> checkSkinKeys(const std::string& file);
// A check's lines on standard error: the configuration's once, at start; a skin's the first
// time that skin is shown.
void tellMistypedConfigurationKeys(const std::string& file);
void tellMistypedSkinKeys(const std::string& file);

// The manual page torvanell.ini(5), in roff.
std::string keysManualPage();
