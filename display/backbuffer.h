// Every window of the front end draws off screen into a back buffer of its client's size and
// paints by copying it, so a paint never has to know what the window shows; and every one
// keeps the focus flag that the key polling honours.
#pragma once

#include <cstdint>

struct Window;
struct Surface;
struct Rect;

const int PopupFrameWidth = 2; // the frame around a pop-up window's picture

// A pop-up's picture before its contents: area in the frame's colour, and inside a frame of
// PopupFrameWidth pixels the background's.
void fillFramed(Surface* surface, Rect area, uint32_t frame, uint32_t background);

// A back buffer of the window's client size in place of previous, which is freed (may be null);
// the window shows it itself from now on.
Surface* renewBackBuffer(Window* window, Surface* previous);
// The messages every window procedure of the front end answers alike: a paint copies
// backBuffer (when there is one) onto the window, which is nothing when it shows it itself, and
// gaining or losing the focus sets FrontendState.WindowHasFocus, since keys count only while one
// of the front end's own windows has it. 1 when kind was one of them.
int handleCommonMessage(Window* window, int kind, const Surface* backBuffer);
