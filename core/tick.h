// The per-tick update the main loop runs every 100 ms.
#pragma once

struct Window;

// Samples the controls once and carries out what they ask for. For now only the Exit keys
// act: they post the quit message.
void processTick(Window* mainWindow);
