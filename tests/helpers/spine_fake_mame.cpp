// Stands in for a MAME emulator asked for its game list: prints a small -listxml document and,
// when SPINE_FAKE_MAME_LOG names a file, appends one line to it per run.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (const char* log = std::getenv("SPINE_FAKE_MAME_LOG"))
        if (FILE* file = std::fopen(log, "a"))
        {
            std::fprintf(file, "run\n");
            std::fclose(file);
        }
    if (argc < 2 || std::strcmp(argv[1], "-listxml") != 0) return 2;
    std::printf("<?xml version=\"1.0\"?>\n<mame build=\"fake\">\n"
                "<machine name=\"pacman\"><description>Pac-Man</description>"
                "<year>1980</year><manufacturer>Namco</manufacturer></machine>\n"
                "<machine name=\"galaga\"><description>Galaga</description>"
                "<year>1981</year><manufacturer>Namco</manufacturer></machine>\n"
                "</mame>\n");
    return 0;
}
