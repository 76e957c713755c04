// The options menu: the view, fonts, skin, emulator and filters, chosen at the cabinet. The
// menu is a tree of nodes built from the current settings; the menu window only moves the
// nodes' selections, and closing the menu copies every selection back.
#pragma once

#include "popups/menuwindow.h"

#include <string>
#include <vector>

// A node with room for choiceCount choices (empty texts) and every other field zero.
MenuNode newMenuNode(const std::string& label, int choiceCount);
// "Yes" (selected when flag is non-zero) or "No".
MenuNode newToggleItem(const std::string& label, int flag);
// Every name of FontNames, on the last equal to face (else the first); with no font installed
// the face itself is the only choice.
MenuNode newFontItem(const std::string& label, const std::string& face);
// "0" to "8", on n clamped into that range.
MenuNode newCountItem(const std::string& label, int n);
// "8" to "36" in steps of 2, on size / 2 - 4: an odd size starts on the even one below, a size
// below 8 on a negative index (shown as "8"), one above 36 on "36".
MenuNode newFontSizeItem(const std::string& label, int size);
// The values the player chose, as the kinds above read them back.
int toggleValue(const MenuNode& node);
int fontSizeValue(const MenuNode& node);

struct NameCodeFilter;
struct MameFilter;
// The sub-menus of one emulator's filters, and the copy of their rows back into the record.
MenuNode buildRomTypeFilterMenu(const NameCodeFilter& filter);
MenuNode buildCountryFilterMenu(const NameCodeFilter& filter);
MenuNode buildMameFilterMenu(const MameFilter& filter);
void readRomTypeFilterMenu(const MenuNode& menu, NameCodeFilter& filter);
void readCountryFilterMenu(const MenuNode& menu, NameCodeFilter& filter);
void readMameFilterMenu(const MenuNode& menu, MameFilter& filter);

// The folders of SkinDir, hidden ones left out, sorted as a file manager would show them.
std::vector<std::string> listSkins();

// Shows the menu and applies what the player chose. Answers 1 when the menu was shown and its
// choices applied (the shown emulator may have changed), 0 when it was not shown (menus not
// allowed, or the window could not be made; nothing is applied then).
int runOptionsMenu();
