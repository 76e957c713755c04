// The marquee screen's picture: what a second screen above the cabinet's monitor shows of a
// game.
#pragma once

struct Surface;
struct Game;

// Fills surface with the skin's background colour and the game's marquee (its own, its
// parent's, its collection's, or the emulator's default) as large as fits, keeping its shape
// and centred; without one, the game's description in the skin's font and colour, centred.
// Nothing but the background for no game.
void drawMarqueeScreen(Surface* surface, const Game* game);
