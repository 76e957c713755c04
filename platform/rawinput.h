// The system's own input, beside the window system's events: what the files of platform/ that
// read it share. Free of SDL's and X's types, so that X's headers can come with it.
#pragma once

// A key or mouse button of the system's raw input (whichever program has the focus), and a
// relative motion of the pointer.
void systemKeyEvent(int code, int down);
void pointerMotion(int dx, int dy);
// xinput.cpp: X's raw input; 1 when it is watched (X with XInput 2.2), else told once. A key
// the front end types into a game (SendKeys) is announced first, so that its own event is not
// taken for the player's touch.
void ownKeyTyped(int keycode, int down);
int startRawInput();
int rawKeysWatched();
void drainRawInput();
void stopRawInput();
// evdev.cpp: the input devices; 1 when some can be read, else told once.
int startDeviceInput();
int deviceKeysWatched();
void drainDeviceInput();
void stopDeviceInput();
