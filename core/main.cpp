// The executable: the whole program lives in torvanell_core.
#include "core/frontend.h"

#include <string>

int main(int argc, char** argv)
{
    // The configuration path is the arguments joined by single blanks, taken whole.
    std::string commandLine;
    for (int i = 1; i < argc; i++)
    {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    EndProcessWithFrontend = 1;
    return runFrontend(commandLine);
}
