// The modal message box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Window;

// The box's look and the keys that close it, given by the program (its skin and key bindings).
struct MessageBoxLook
{
    std::string FontFace; // empty: the default sans face
    int FontPoints = 0;   // 0: a size that reads from a few steps away on this screen
    uint32_t Face = 0x202020, Ink = 0xFFFFFF, TitleBand = 0x800000, TitleInk = 0xFFFFFF;
    std::vector<int> CloseKeys; // besides Enter, Escape and Space
    std::string CloseHint = "Press Start, Exit or any button";
};
void platformSetMessageBoxLook(const MessageBoxLook& look);

// A modal box over the dimmed screen, closed by Enter, Escape, Space, the look's CloseKeys or
// any button of a stick or pad; what was pressed or held meanwhile does not act after it.
// owner may be null.
// Also written to standard error as "caption: text". Without a display a player could see
// (the tests, the dummy driver) it is recorded instead and does not block.
void platformMessageBox(Window* owner, const std::string& text, const std::string& caption);
