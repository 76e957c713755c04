// Every field of a game on one line, to compare catalogues made two ways (the tests and the
// fuzz targets). The parent is named; a caller that must tell same-named games apart adds
// their places.
#pragma once

#include "catalogue/catalogue.h"

#include <sstream>
#include <string>

inline std::string gameFields(const Game& g)
{
    std::ostringstream out;
    out << g.EmulatorIndex << '|' << romDirectoryOf(g) << '|' << g.Name << '|' << g.Description
        << '|' << g.Year << '|' << g.YearText << '|' << g.Manufacturer << '|' << g.CloneOf << '|'
        << g.RomOf << '|' << g.NotRunnable << '|' << g.Available << '|'
        << (g.Parent ? g.Parent->Name : "-") << "|codes ";
    for (int i = 0; g.RomFile && i < NameCodeCount; i++) out << g.RomFile->Codes.Flags[i];
    if (g.Video)
        out << "|video " << g.Video->Screen << ' ' << g.Video->Orientation << ' ' << g.Video->Width
            << ' ' << g.Video->Height;
    if (g.Input)
        out << "|input " << g.Input->Players << ' ' << g.Input->Buttons << ' ' << g.Input->Coins
            << ' ' << g.Input->Control << ' ' << g.Input->ControlTypes;
    for (const std::string& line : g.InfoLines) out << "|info " << line;
    return out.str();
}
