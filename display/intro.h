// The intro: the title picture with the parked truck, a pause, then a puff of smoke rising above
// the truck's cab for five seconds while the engine starts. It blocks, handles no window messages
// and cannot be skipped; the frames are timed by the shell's waits, so it takes a little over
// seven seconds of the shell's clock whatever the machine.
#pragma once

#include <cstdint>

#include "display/drawing_resources.h"
#include "platform/shell.h"

// Where the puff rises: one column above the cab, on the picture's grey.
constexpr int PUFF_COLUMN = 65;
constexpr int PUFF_START_ROW = 236;
constexpr int PUFF_TOP_ROW = 228;  // the puff goes back to the start after this row
constexpr Color PUFF_BACKGROUND = rgb(192, 192, 192);

constexpr uint32_t INTRO_PAUSE_MS = 2000;
constexpr uint32_t INTRO_PUFF_MS = 5000;
constexpr uint32_t PUFF_FRAME_MS = 70;

// Called once at start-up, after the main window has been shown and sized and before its first
// paint. Draws on window (whose pen must be the black one-pixel pen) over clientWidth x
// clientHeight; plays the engine start when soundOn and stops all sound at the end. Shows the wait
// cursor for its own length only. frameClock is left at the start of the puff.
void playIntro(Shell& shell, Surface& window, const DrawingResources& resources, int clientWidth,
               int clientHeight, bool soundOn, uint32_t& frameClock);
