// The emulator list, each emulator's section, the filter records and writing them back.
#include "catalogue/emulators.h"
#include "support.h"

// Name, executable, path, extension, keys, flags, then the filters.
static std::vector<std::string> emulatorFields()
{
    std::vector<std::string> fields;
    for (const auto& e : EmulatorTable)
    {
        std::ostringstream out;
        out << e->Name << "|" << e->Executable << "|" << e->RomPath << "|" << e->RomFileExt << "|"
            << e->SendKeys << "|" << (e->Kind == EmulatorMame) << e->IncludeInAll
            << e->UseGoodFilters << "|";
        if (const MameFilter* f = e->MachineFilter.get())
            out << f->DisplayMissingRoms << f->DisplayVertical << f->DisplayClones << " "
                << f->MinPlayers << " " << f->MaxPlayers << " " << f->MaxCoins << " "
                << f->ControllerTypes;
        for (int i = 0; e->CodeFilter && i < NameCodeCount; i++)
            if (e->CodeFilter->Flags[i]) out << " " << i;
        fields.push_back(out.str());
    }
    return fields;
}

TEST(Emulators, ListSectionsAndFiltersWrittenBackAndReadAgain)
{
    std::string file = useConfig(
        freshDirectory() / "list.ini",
        "; kept\n[Settings]\nEmulators=,MAME,,Genesis, Spaced,mameplus,MAM, Mame2,\n"
        "[MAME]\nDisplayClones=0\nMaxPlayers=2\nControllerTypes=8\nUseGoodFilters=\n"
        "[Genesis]\nRomPath=/roms/a,/roms/b\nExecutable=gens\nRomFileExt=bin\n"
        "IncludeInAll=0\nSendKeys={F1}\nUseGoodFilters=1\nShowUSA=1\nShowVerified=1\n"
        "[Mame2]\nMinPlayers=3x\nMaxPlayers=65537\nControllerTypes=65536\nMaxCoins=abc\n");
    loadEmulators();
    // Present but empty counts as set: only "0" is false. Filter numbers keep sixteen bits.
    std::vector<std::string> fields = emulatorFields();
    EXPECT_EQ(fields, (std::vector<std::string>{
                          "MAME|MAME||zip||111|010 0 2 8 8",
                          "Genesis|gens|/roms/a,/roms/b|bin|{F1}|001| 9 30",
                          " Spaced| Spaced||zip||010|", "mameplus|mameplus||zip||110|011 0 8 8 127",
                          "MAM|MAM||zip||010|", " Mame2| Mame2||zip||110|011 3 1 0 0"}));

    // Written back into each emulator's own section and read again unchanged.
    EmulatorTable[0]->MachineFilter->MinPlayers = -2;
    EmulatorTable[1]->CodeFilter->Flags[4] = 1;
    fields = emulatorFields();
    saveEmulatorFilters();
    std::string text = readText(file);
    EXPECT_TRUE(text.starts_with("; kept\n"));
    EXPECT_EQ(text.find("Spaced]"), std::string::npos);  // no filters, no section
    EXPECT_EQ(text.find("[ Mame2]"), std::string::npos); // " Mame2" is written into [Mame2]
    loadEmulators();
    EXPECT_EQ(emulatorFields(), fields);
    freeEmulators();
}
