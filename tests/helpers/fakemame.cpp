// Stands in for a MAME emulator: on "-listxml" prints a small list in the new format (a parent,
// a clone, a vertical game, a BIOS set and a device). Each run appends a line to FAKEMAME_LOG.
// FAKEMAME_CUT=N makes it crash after the list's first N bytes, as a MAME that dies half-way;
// FAKEMAME_FULL=N lets its output file take only N bytes, as a full disk, and it ends well.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

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
    const char* cut = std::getenv("FAKEMAME_CUT");
    if (const char* full = std::getenv("FAKEMAME_FULL"))
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {(rlim_t)std::atol(full), RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::fputs(List, stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "-listxml") == 0 && cut)
    {
        std::fwrite(List, 1, std::min(std::strlen(List), (size_t)std::atol(cut)), stdout);
        std::fflush(stdout);
        std::abort();
    }
    if (argc > 1 && std::strcmp(argv[1], "-listxml") == 0) return std::fputs(List, stdout) < 0;
    std::fputs("fakemame: unknown option\n", stderr);
    return 1;
}
