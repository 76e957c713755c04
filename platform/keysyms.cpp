// The virtual-key codes and the X keysyms (which xkbcommon shares) of the same keys: one table
// for typing into a game, reading the X keyboard and reading the input devices.
#include "platform/keysyms.h"

#include <X11/keysym.h>

struct KeyRange
{
    int FirstCode, LastCode;
    unsigned long FirstSym;
};

// Runs of virtual-key codes whose keysyms run in the same order.
static const KeyRange KeyRanges[] = {
    {0x30, 0x39, XK_0},           {0x41, 0x5A, XK_a},           {0x60, 0x69, XK_KP_0},
    {0x70, 0x87, XK_F1},          {0x25, 0x25, XK_Left},        {0x26, 0x26, XK_Up},
    {0x27, 0x27, XK_Right},       {0x28, 0x28, XK_Down},        {0x21, 0x21, XK_Prior},
    {0x22, 0x22, XK_Next},        {0x23, 0x23, XK_End},         {0x24, 0x24, XK_Home},
    {0x08, 0x08, XK_BackSpace},   {0x09, 0x09, XK_Tab},         {0x0C, 0x0C, XK_Clear},
    {0x0D, 0x0D, XK_Return},      {0x10, 0x10, XK_Shift_L},     {0x11, 0x11, XK_Control_L},
    {0x12, 0x12, XK_Alt_L},       {0x13, 0x13, XK_Pause},       {0x14, 0x14, XK_Caps_Lock},
    {0x1B, 0x1B, XK_Escape},      {0x20, 0x20, XK_space},       {0x29, 0x29, XK_Select},
    {0x2A, 0x2A, XK_Print},       {0x2B, 0x2B, XK_Execute},     {0x2C, 0x2C, XK_Print},
    {0x2D, 0x2D, XK_Insert},      {0x2E, 0x2E, XK_Delete},      {0x2F, 0x2F, XK_Help},
    {0x5B, 0x5B, XK_Super_L},     {0x5C, 0x5C, XK_Super_R},     {0x5D, 0x5D, XK_Menu},
    {0x6A, 0x6A, XK_KP_Multiply}, {0x6B, 0x6B, XK_KP_Add},      {0x6C, 0x6C, XK_KP_Separator},
    {0x6D, 0x6D, XK_KP_Subtract}, {0x6E, 0x6E, XK_KP_Decimal},  {0x6F, 0x6F, XK_KP_Divide},
    {0x90, 0x90, XK_Num_Lock},    {0x91, 0x91, XK_Scroll_Lock}, {0xA0, 0xA0, XK_Shift_L},
    {0xA1, 0xA1, XK_Shift_R},     {0xA2, 0xA2, XK_Control_L},   {0xA3, 0xA3, XK_Control_R},
    {0xA4, 0xA4, XK_Alt_L},       {0xA5, 0xA5, XK_Alt_R},       {0xBA, 0xBA, XK_semicolon},
    {0xBB, 0xBB, XK_equal},       {0xBC, 0xBC, XK_comma},       {0xBD, 0xBD, XK_minus},
    {0xBE, 0xBE, XK_period},      {0xBF, 0xBF, XK_slash},       {0xC0, 0xC0, XK_grave},
    {0xDB, 0xDB, XK_bracketleft}, {0xDC, 0xDC, XK_backslash},   {0xDD, 0xDD, XK_bracketright},
    {0xDE, 0xDE, XK_apostrophe},
};

unsigned long keysymOfVirtualKey(int code)
{
    for (const KeyRange& range : KeyRanges)
        if (code >= range.FirstCode && code <= range.LastCode)
            return range.FirstSym + (unsigned long)(code - range.FirstCode);
    return 0;
}

// The generic code of a key that has a left and a right one.
static int genericOf(int code)
{
    return code == 0xA0 || code == 0xA1   ? 0x10
           : code == 0xA2 || code == 0xA3 ? 0x11
           : code == 0xA4 || code == 0xA5 ? 0x12
                                          : 0;
}

int virtualKeysOfKeysym(unsigned long symbol, int codes[KeysymCodesLimit])
{
    int count = 0;
    auto add = [&](int code)
    {
        for (int i = 0; i < count; i++)
            if (codes[i] == code) return;
        if (code && count < KeysymCodesLimit) codes[count++] = code;
    };
    for (const KeyRange& range : KeyRanges)
        if (symbol >= range.FirstSym &&
            symbol <= range.FirstSym + (unsigned long)(range.LastCode - range.FirstCode))
        {
            int code = range.FirstCode + (int)(symbol - range.FirstSym);
            add(code);
            add(genericOf(code));
        }
    return count;
}
