// Stands in for a MAME emulator: on "-listxml" prints a small list in the new format (a parent,
// a clone, a vertical game, a BIOS set and a device). Each run appends a line to FAKEMAME_LOG.
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char* const List =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE mame [\n<!ELEMENT mame (machine+)>\n"
    "<!ATTLIST machine isbios (yes|no) \"no\">\n]>\n<mame build=\"0.250 (fake)\">\n"
    "\t<machine name=\"fakepac\" sourcefile=\"fake.cpp\">\n"
    "\t\t<description>Fake-Man &amp; Friends</description>\n\t\t<year>1980</year>\n"
    "\t\t<manufacturer>Fakeco</manufacturer>\n"
    "\t\t<rom name=\"fake.6e\" size=\"4096\" crc=\"c1e6ab10\"/>\n"
    "\t\t<display type=\"raster\" rotate=\"0\" width=\"288\" height=\"224\"/>\n"
    "\t\t<input players=\"2\" coins=\"2\">\n"
    "\t\t\t<control type=\"joy\" player=\"1\" buttons=\"1\" ways=\"4\"/>\n\t\t</input>\n"
    "\t</machine>\n\t<machine name=\"fakepacb\" cloneof=\"fakepac\" romof=\"fakepac\">\n"
    "\t\t<description>Fake-Man (bootleg)</description>\n\t\t<year>198?</year>\n"
    "\t\t<display type=\"raster\" rotate=\"0\"/>\n\t</machine>\n"
    "\t<machine name=\"fakevert\">\n\t\t<description>Vertical Fake</description>\n"
    "\t\t<display type=\"raster\" rotate=\"90\"/>\n\t</machine>\n"
    "\t<machine name=\"fakebios\" isbios=\"yes\">\n\t\t<description>Fake BIOS</description>\n"
    "\t</machine>\n\t<machine name=\"fakedev\" isdevice=\"yes\" runnable=\"no\">\n"
    "\t\t<description>Fake Device</description>\n\t</machine>\n</mame>\n";

int main(int argc, char** argv)
{
    if (const char* log = std::getenv("FAKEMAME_LOG"))
        if (FILE* file = std::fopen(log, "a"))
        {
            std::fputs("run\n", file);
            std::fclose(file);
        }
    if (argc > 1 && std::strcmp(argv[1], "-listxml") == 0) return std::fputs(List, stdout) < 0;
    std::fputs("fakemame: unknown option\n", stderr);
    return 1;
}
