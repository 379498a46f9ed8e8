// A window the user shrinks to nothing: its surface keeps no pixels and grows back whole, and the
// program, which puts its window back to 640 pixels at once, draws on as before.
#include <gtest/gtest.h>

#include "resources/menu_resource.h"
#include "tests/app/app_driver.h"

namespace {

TEST(WindowShrink, NoWidthNoHeightAndBackAgain) {
    Surface surface(6, 4, WHITE);
    surface.resize(0, 4, BLACK);
    EXPECT_EQ(surface.width(), 0);
    surface.resize(3, 0, BLACK);
    EXPECT_EQ(surface.height(), 0);
    surface.resize(6, 4, BLACK);
    EXPECT_EQ(surface.pixel(5, 3), BLACK);

    // The frame alone, or less: the client area has no width or no height for a moment.
    AppDriver run;
    run.drawMemberFt(0, 0, 100, 0);
    for (const Rect outer : {Rect{0, 0, 5, 300}, Rect{0, 0, 640, 10}, Rect{0, 0, 0, 0}}) {
        run.shell.resizeByUser(outer);
        run.shell.pumpMessages();
        EXPECT_EQ(run.window().width(), 632);
        EXPECT_EQ(run.window().height(), 436);
    }
    run.command(CMD_MODE_REVIEW);
    EXPECT_EQ(run.model().memberCount, 1);
}

}  // namespace
