// The search's on-screen keyboard, driven by a stick alone: a grid of letters, digits, a space,
// Delete and Done drawn over the bottom of the main screen in the skin's menu look, and the
// band above the list that names the text searched for.
#pragma once

#include <string>

struct Surface;
struct Rect;

const int SearchKeyboardColumns = 10;
const int SearchKeyboardRows = 5;

enum SearchKeyKind
{
    SearchKeyCharacter, // types its character
    SearchKeySpace,
    SearchKeyDelete, // takes the last character back
    SearchKeyDone,   // keeps the narrowed list
};

// One key: its label, what it does, and the columns of the grid it covers.
struct SearchKey
{
    std::string Label;
    SearchKeyKind Kind;
    char Character;
    int Column;
    int Span;
};

struct SearchKeyboardRecord
{
    int Open; // drawn over the main screen
    // The cursor: its row, and the column it keeps while moving up and down across wide keys.
    int Row;
    int Column;
};
// The text typed is the catalogue's SearchText, edited in place while the keyboard is open.
// The cursor stays where it was between two searches: a player looking for another game of the
// same kind types the same first letters.
extern SearchKeyboardRecord SearchKeyboard;

// The key the cursor is on.
const SearchKey& selectedSearchKey();
// Moves the cursor one row (rows -1 up, 1 down) or one key (keys -1 left, 1 right), wrapping.
void moveSearchCursor(int rows, int keys);
// The keyboard over the bottom of area, centred, scaled with the screen's fonts.
void drawSearchKeyboard(Surface* surface, Rect area);
// The height of the band naming the text searched for, in the list's font selected now; 0
// while nothing is searched for.
int searchBandHeight(Surface* surface);
// The band across the top of place: "Search: <text>".
void drawSearchBand(Surface* surface, Rect place);
