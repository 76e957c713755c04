// Writes a full-set MAME list for the benchmarks: about 45,000 entries in the
// format of a current MAME (a third of them devices and BIOS sets, parents and clones, 10-300 rom
// elements per game, display, input with control children, chips, dipswitches, ports...), the same
// entries in the old format, and a ROM folder of empty zip files for most runnable games.
//
//   gen_mamelist <directory> [entries] [new]
//
// Output: <directory>/mame-new.lst, <directory>/mame-old.lst (not with "new"),
// <directory>/roms/*.zip.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A fixed generator, so that every run writes the same files.
static uint64_t RandomState = 0x9E3779B97F4A7C15ull;

static uint32_t randomNumber(uint32_t limit)
{
    RandomState ^= RandomState << 13;
    RandomState ^= RandomState >> 7;
    RandomState ^= RandomState << 17;
    return (uint32_t)(RandomState % limit);
}

static int randomBetween(int low, int high)
{
    return low + (int)randomNumber((uint32_t)(high - low + 1));
}

enum EntryKind
{
    KindParent,
    KindClone,
    KindBios,
    KindDevice
};

struct Entry
{
    EntryKind Kind;
    std::string Name;
    std::string Parent; // clones
    int RomCount;
    int Vertical;
    int Vector;
    int Players, Buttons, Ways;
    int Year;
};

static int romCountForGame()
{
    int roll = randomBetween(0, 99);
    if (roll < 85) return randomBetween(10, 40);
    if (roll < 97) return randomBetween(40, 120);
    return randomBetween(120, 300);
}

static std::vector<Entry> makeEntries(int count)
{
    std::vector<Entry> entries;
    std::vector<std::string> parents;
    for (int i = 0; i < count; i++)
    {
        Entry entry{};
        int roll = randomBetween(0, 299); // about a third devices and BIOS sets
        entry.Kind = roll < 95 ? KindDevice : roll < 100 ? KindBios : KindParent;
        if (entry.Kind == KindParent && !parents.empty() && randomBetween(0, 99) < 60)
        {
            entry.Kind = KindClone; // of one of the last few parents, as drivers list them
            size_t first = parents.size() > 20 ? parents.size() - 20 : 0;
            entry.Parent = parents[first + randomNumber((uint32_t)(parents.size() - first))];
        }
        static const char* const prefixes[] = {"g", "g", "bios", "dev"};
        entry.Name = prefixes[entry.Kind] + std::to_string(i);
        if (entry.Kind == KindParent) parents.push_back(entry.Name);
        int game = entry.Kind == KindParent || entry.Kind == KindClone;
        entry.RomCount = game ? romCountForGame() : randomBetween(0, 4);
        entry.Vertical = randomBetween(0, 99) < 30;
        entry.Vector = randomBetween(0, 99) < 3;
        entry.Players = randomBetween(1, 4);
        entry.Buttons = randomBetween(0, 6);
        entry.Ways = randomBetween(0, 3) == 0 ? 4 : 8;
        entry.Year = randomBetween(1975, 2015);
        entries.push_back(entry);
    }
    return entries;
}

static const char* const NewDtd = R"(<?xml version="1.0"?>
<!DOCTYPE mame [
<!ELEMENT mame (machine+)>
	<!ATTLIST mame build CDATA #IMPLIED>
	<!ATTLIST mame debug (yes|no) "no">
	<!ELEMENT machine (description, year?, manufacturer?, rom*, device_ref*, sample*, chip*, display*, sound?, input?, dipswitch*, port*, driver?, feature*)>
		<!ATTLIST machine name CDATA #REQUIRED>
		<!ATTLIST machine sourcefile CDATA #IMPLIED>
		<!ATTLIST machine isbios (yes|no) "no">
		<!ATTLIST machine isdevice (yes|no) "no">
		<!ATTLIST machine ismechanical (yes|no) "no">
		<!ATTLIST machine runnable (yes|no) "yes">
		<!ATTLIST machine cloneof CDATA #IMPLIED>
		<!ATTLIST machine romof CDATA #IMPLIED>
		<!ELEMENT rom EMPTY>
			<!ATTLIST rom name CDATA #REQUIRED>
			<!ATTLIST rom size CDATA #REQUIRED>
			<!ATTLIST rom crc CDATA #IMPLIED>
			<!ATTLIST rom sha1 CDATA #IMPLIED>
			<!ATTLIST rom merge CDATA #IMPLIED>
			<!ATTLIST rom region CDATA #IMPLIED>
			<!ATTLIST rom offset CDATA #IMPLIED>
			<!ATTLIST rom status (baddump|nodump|good) "good">
			<!ATTLIST rom optional (yes|no) "no">
		<!ELEMENT display EMPTY>
			<!ATTLIST display flipx (yes|no) "no">
		<!ELEMENT input (control*)>
			<!ATTLIST input service (yes|no) "no">
			<!ATTLIST input tilt (yes|no) "no">
			<!ELEMENT control EMPTY>
				<!ATTLIST control reverse (yes|no) "no">
		<!ELEMENT dipswitch (diplocation*, dipvalue*)>
			<!ELEMENT dipvalue EMPTY>
				<!ATTLIST dipvalue default (yes|no) "no">
		<!ELEMENT driver EMPTY>
			<!ATTLIST driver requiresartwork (yes|no) "no">
			<!ATTLIST driver unofficial (yes|no) "no">
			<!ATTLIST driver incomplete (yes|no) "no">
]>
)";

static std::string hex(uint32_t value, int digits)
{
    static const char* const hexDigits = "0123456789abcdef";
    std::string text((size_t)digits, '0');
    for (int i = digits - 1; i >= 0; i--, value >>= 4) text[(size_t)i] = hexDigits[value & 15];
    return text;
}

static std::string sha1()
{
    std::string text;
    for (int i = 0; i < 5; i++) text += hex(randomNumber(0xFFFFFFFFu), 8);
    return text;
}

// ROM names as drivers give them: mostly short, some long enough to leave the string's own room.
static std::string romName(const Entry& entry, int index)
{
    if (index % 5 == 4)
        return "epr-" + entry.Name + "-" + std::to_string(index) + "a.ic" +
               std::to_string(index % 40);
    return entry.Name.substr(0, 6) + "." + std::to_string(index) + (char)('a' + index % 8);
}

static void writeHeader(std::string& out, const Entry& entry, const char* element)
{
    out += "\t<";
    out += element;
    out += " name=\"" + entry.Name + "\" sourcefile=\"drivers/d" +
           std::to_string(entry.Name.size() * 7) + ".cpp\"";
    if (entry.Kind == KindClone)
        out += " cloneof=\"" + entry.Parent + "\" romof=\"" + entry.Parent + "\"";
    if (element[0] == 'm' && entry.Kind == KindBios) out += " isbios=\"yes\"";
    if (element[0] == 'm' && entry.Kind == KindDevice) out += " isdevice=\"yes\" runnable=\"no\"";
    if (element[0] == 'g' && (entry.Kind == KindBios || entry.Kind == KindDevice))
        out += " runnable=\"no\"";
    out += ">\n";
    out += "\t\t<description>" + entry.Name + " &amp; the " + std::to_string(entry.Year) +
           " Adventure (set " + std::to_string(entry.RomCount % 5) + ")</description>\n";
    out +=
        "\t\t<year>" + std::to_string(entry.Year) + (entry.Year % 7 == 0 ? "?" : "") + "</year>\n";
    out +=
        "\t\t<manufacturer>Maker " + std::to_string(entry.Year % 50) + " &amp; Co</manufacturer>\n";
}

static void writeRoms(std::string& out, const Entry& entry)
{
    static const char* const regions[] = {"maincpu", "audiocpu", "gfx1", "gfx2", "proms"};
    for (int i = 0; i < entry.RomCount; i++)
    {
        out += "\t\t<rom name=\"" + romName(entry, i) + "\" size=\"" +
               std::to_string(1024 << randomBetween(0, 9)) + "\" crc=\"" +
               hex(randomNumber(0xFFFFFFFFu), 8) + "\" sha1=\"" + sha1() + "\" region=\"" +
               regions[i % 5] + "\" offset=\"" + hex((uint32_t)i * 0x1000, 1 + i / 16) + "\"/>\n";
    }
}

static void writeDipswitches(std::string& out, int count)
{
    for (int d = 0; d < count; d++)
    {
        out += "\t\t<dipswitch name=\"Setting " + std::to_string(d) + "\" tag=\"DSW" +
               std::to_string(d / 8) + "\" mask=\"" + std::to_string(3 << (d % 8)) + "\">\n";
        out += "\t\t\t<diplocation name=\"SW1\" number=\"" + std::to_string(d % 8 + 1) + "\"/>\n";
        for (int v = 0; v < 4; v++)
            out += "\t\t\t<dipvalue name=\"Value " + std::to_string(v) + "\" value=\"" +
                   std::to_string(v) + "\"" + (v == 0 ? " default=\"yes\"" : "") + "/>\n";
        out += "\t\t</dipswitch>\n";
    }
}

static void writeNewEntry(std::string& out, const Entry& entry)
{
    writeHeader(out, entry, "machine");
    writeRoms(out, entry);
    int game = entry.Kind == KindParent || entry.Kind == KindClone;
    for (int i = 0; i < (game ? randomBetween(4, 15) : randomBetween(0, 2)); i++)
        out += "\t\t<device_ref name=\"dev" + std::to_string(randomBetween(0, 500)) + "\"/>\n";
    out += "\t\t<chip type=\"cpu\" tag=\":maincpu\" name=\"Zilog Z80\" clock=\"3072000\"/>\n";
    if (!game)
    {
        out += "\t</machine>\n";
        return;
    }
    if (randomBetween(0, 9) == 0)
        for (int i = 0; i < 8; i++) out += "\t\t<sample name=\"" + std::to_string(i) + "\"/>\n";
    out +=
        "\t\t<chip type=\"cpu\" tag=\":audiocpu\" name=\"Motorola MC6809E\" clock=\"1536000\"/>\n";
    out += "\t\t<chip type=\"audio\" tag=\":speaker\" name=\"Speaker\"/>\n";
    out += "\t\t<chip type=\"audio\" tag=\":ymsnd\" name=\"Yamaha YM2151\" clock=\"3579545\"/>\n";
    out +=
        std::string("\t\t<display tag=\":screen\" type=\"") + (entry.Vector ? "vector" : "raster") +
        "\" rotate=\"" + (entry.Vertical ? "270" : "0") +
        "\" width=\"288\" height=\"224\" refresh=\"60.606061\" pixclock=\"6144000\" htotal=\"384\" "
        "hbend=\"0\" hbstart=\"288\" vtotal=\"264\" vbend=\"16\" vbstart=\"240\"/>\n";
    out += "\t\t<sound channels=\"1\"/>\n";
    out += "\t\t<input players=\"" + std::to_string(entry.Players) +
           "\" coins=\"2\" service=\"yes\">\n";
    for (int p = 1; p <= entry.Players; p++)
        out += "\t\t\t<control type=\"joy\" player=\"" + std::to_string(p) + "\" buttons=\"" +
               std::to_string(entry.Buttons) + "\" ways=\"" + std::to_string(entry.Ways) + "\"/>\n";
    out += "\t\t</input>\n";
    writeDipswitches(out, randomBetween(3, 10));
    for (int i = 0; i < 6; i++) out += "\t\t<port tag=\":IN" + std::to_string(i) + "\"/>\n";
    out += "\t\t<driver status=\"good\" emulation=\"good\" savestate=\"supported\"/>\n";
    out += "\t</machine>\n";
}

static void writeOldEntry(std::string& out, const Entry& entry)
{
    writeHeader(out, entry, "game");
    writeRoms(out, entry);
    int game = entry.Kind == KindParent || entry.Kind == KindClone;
    if (game)
    {
        out += "\t\t<chip type=\"cpu\" name=\"Z80\" clock=\"3072000\"/>\n";
        out += "\t\t<chip type=\"audio\" name=\"YM2151\" clock=\"3579545\"/>\n";
        out +=
            std::string("\t\t<video screen=\"") + (entry.Vector ? "vector" : "raster") +
            "\" orientation=\"" + (entry.Vertical ? "vertical" : "horizontal") +
            "\" width=\"288\" height=\"224\" aspectx=\"4\" aspecty=\"3\" refresh=\"60.606060\"/>\n";
        out += "\t\t<sound channels=\"1\"/>\n";
        out += "\t\t<input players=\"" + std::to_string(entry.Players) + "\" control=\"joy" +
               std::to_string(entry.Ways) + "way\" buttons=\"" + std::to_string(entry.Buttons) +
               "\" coins=\"2\"/>\n";
        writeDipswitches(out, randomBetween(3, 10));
        out += "\t\t<driver status=\"good\" color=\"good\" sound=\"good\" palettesize=\"256\"/>\n";
    }
    out += "\t</game>\n";
}

static void writeList(const fs::path& path, const std::vector<Entry>& entries, int newFormat)
{
    std::ofstream file(path, std::ios::binary);
    std::string out = newFormat ? NewDtd : "<?xml version=\"1.0\"?>\n";
    out += newFormat ? "<mame build=\"0.250 (generated)\" debug=\"no\">\n"
                     : "<mame build=\"0.106\">\n";
    for (const Entry& entry : entries)
    {
        if (newFormat)
            writeNewEntry(out, entry);
        else
            writeOldEntry(out, entry);
        if (out.size() > (1 << 20))
        {
            file << out;
            out.clear();
        }
    }
    out += "</mame>\n";
    file << out;
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: gen_mamelist <directory> [entries] [new]\n");
        return 2;
    }
    fs::path dir = argv[1];
    int count = argc > 2 ? std::atoi(argv[2]) : 45000;
    fs::create_directories(dir / "roms");
    std::vector<Entry> entries = makeEntries(count);
    uint64_t seed = RandomState;
    writeList(dir / "mame-new.lst", entries, 1);
    RandomState = seed; // the same ROMs and settings in both formats
    int newOnly = argc > 3 && std::string(argv[3]) == "new";
    if (!newOnly) writeList(dir / "mame-old.lst", entries, 0);
    size_t zips = 0;
    for (const Entry& entry : entries)
        if ((entry.Kind == KindParent || entry.Kind == KindClone) && randomBetween(0, 9) < 8)
        {
            std::ofstream(dir / "roms" / (entry.Name + ".zip"));
            zips++;
        }
    std::printf("%zu entries, %zu zip files in %s\n", entries.size(), zips, dir.c_str());
    std::printf("new format %ju bytes\n", (uintmax_t)fs::file_size(dir / "mame-new.lst"));
    return 0;
}
