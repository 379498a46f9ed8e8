// The intro's frames. The puff is two black pixels that rise one row a frame: each frame draws
// three rows of black and gives the lowest one back to the grey of the picture.
#include "display/intro.h"

#include "display/board.h"
#include "resources/program_resources.h"

void playIntro(Shell& shell, Surface& window, const DrawingResources& resources, int clientWidth,
               int clientHeight, bool soundOn, uint32_t& frameClock) {
    const CursorShape kept = shell.setCursor(CursorShape::Wait);
    if (soundOn) shell.playSound(SOUND_ENGINE_START, SoundMode::Asynchronous);
    blit(window, 0, 0, clientWidth, clientHeight, resources.startBitmap, 0, 0);
    drawTruckSprite(window, resources, TRUCK_PARK_X, TRUCK_TOP_ROW);

    frameClock = shell.tickCount();
    shell.waitUntilAfter(frameClock, INTRO_PAUSE_MS);

    frameClock = shell.tickCount();
    int row = PUFF_START_ROW;
    const Pen grey{PUFF_BACKGROUND, 1};
    // The clock is read only at the start of a frame, so the last one may end up to a frame late.
    while (uint32_t(shell.tickCount() - frameClock) <= INTRO_PUFF_MS) {
        const uint32_t frameStart = shell.tickCount();
        window.moveTo(PUFF_COLUMN, row);
        window.lineTo(PUFF_COLUMN, row - 3);
        Pen previous = window.selectPen(grey);
        window.moveTo(PUFF_COLUMN, row);
        window.lineTo(PUFF_COLUMN, row - 1);
        window.selectPen(previous);
        shell.waitUntilAfter(frameStart, PUFF_FRAME_MS);
        if (row == PUFF_TOP_ROW) {
            previous = window.selectPen(grey);
            window.moveTo(PUFF_COLUMN, PUFF_TOP_ROW);
            window.lineTo(PUFF_COLUMN, PUFF_TOP_ROW - 3);
            window.selectPen(previous);
            row = PUFF_START_ROW;
        }
        --row;
    }
    if (soundOn) shell.stopSound();
    shell.setCursor(kept);
}
