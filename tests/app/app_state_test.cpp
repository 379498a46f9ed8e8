// The program state's start values, and the drawing resources and the board paint driven through
// the headless shell the way the main window drives them: created in Create, used in Paint,
// released in Destroy. Also renders an analysed sample bridge to board_sample.bmp in the build
// folder, for looking at.
#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "platform/headless/headless_shell.h"
#include "platform/raster/bmp.h"
#include "tests/support/screen_text.h"
#include "tests/support/synthetic_pictures.h"
#include "tests/support/test_bridges.h"

namespace {

constexpr int GRID_ITEM = 4001;
constexpr Color MARKER = rgb(1, 2, 3);
constexpr Color RED = rgb(255, 0, 0);
constexpr Color YELLOW = rgb(255, 255, 0);

// Another face with the panel font's metrics, to see that the window gets its own font back.
const BitmapFont& otherFont() {
    static const BitmapFont font{8, 14, &EMBEDDED_FONT_8X14_GLYPHS[0][0]};
    return font;
}

// The main window's life as far as the board goes.
class BoardWindow final : public WindowProcedure {
  public:
    explicit BoardWindow(HeadlessShell& shell) : shell_(shell) {}

    MessageResult handleMessage(const WindowMessage& m) override {
        switch (m.kind) {
            case MessageKind::Create: {
                Surface& window = shell_.windowSurface();
                // Whatever the window shows when the resources are made.
                window.selectFont(otherFont());
                window.setPixel(0, 0, MARKER);
                window.setPixel(145, 145, MARKER);
                created = createDrawingResources(window, syntheticPictures(), resources);
                state.clientWidth = shell_.clientWidth();
                state.clientHeight = shell_.clientHeight();
                break;
            }
            case MessageKind::Destroy:
                releaseDrawingResources(resources);
                fontAfterRelease = &shell_.windowSurface().font();
                shell_.postQuit(0);
                break;
            case MessageKind::Paint:
                if (paintBoard(shell_.windowSurface(), resources, bridge.model,
                               boardPaintInputs(state, shell_.isMinimized(), bridgeUnstable),
                               state.selectedMember, state.panels)) {
                    shell_.checkMenuItem(GRID_ITEM, true);
                }
                break;
            case MessageKind::Close:
                return MessageResult::Default;
            default:
                break;
        }
        return MessageResult::Handled;
    }

    AppState state;
    DrawingResources resources;
    DrawingResourcesCreated created;
    TestBridge bridge;
    bool bridgeUnstable = false;
    const BitmapFont* fontAfterRelease = nullptr;

  private:
    HeadlessShell& shell_;
};

struct Program {
    HeadlessShell shell;
    BoardWindow window{shell};

    Program() {
        shell.createMainWindow(WindowSpec{"Trussmill", {0, 0, 640, 480}}, window);
        shell.showWindow();
    }
};

// Plausible results of the worked example under the 80 kip truck, with the top chord and the left
// end post failed.
void analysedWorkedExample(TestBridge& b) {
    const double forces[] = {0,      80.0,   120.0, 120.0, 80.0, -160.0, -160.0,
                             -178.9, -178.9, 80.0,  0.0,   80.0, 89.44,  89.44};
    for (int i = 1; i <= b.model.memberCount; ++i) {
        Member& m = b.model.members[i];
        m.force = forces[i];
        m.allowableTension = m.tensionCapacity;
        m.allowableCompression = m.length > 100.0 ? 81.25 : 142.7;
        const double allowable = m.force >= 0 ? m.allowableTension : m.allowableCompression;
        m.forceRatio = 100.0 * (m.force >= 0 ? m.force : -m.force) / allowable;
        if (m.forceRatio > 100.0) m.forceRatio = 1000.0;
    }
}

}  // namespace

TEST(AppState, StartValues) {
    const AppState state;
    EXPECT_EQ(state.mode, Mode::Build);
    EXPECT_EQ(state.mode, 5001);
    EXPECT_EQ(state.coordinateSnap, 5);
    EXPECT_EQ(state.soundSetting, 2);
    EXPECT_EQ(state.gridOn, 0);
    EXPECT_EQ(state.selectedMember, 0);
    EXPECT_EQ(state.windowHeight, 480);
    EXPECT_FALSE(state.drawingMember || state.draggingJoint || state.displayChanged);
    EXPECT_STREQ(state.panels.lastShownName, "UNTITLED");
    EXPECT_TRUE(Mode::isChangeSize(3207) && !Mode::isChangeSize(3300));
    EXPECT_EQ(Mode::changeSizeOf(3212), 12);
}

TEST(AppState, DrawingResourcesLiveFromCreateToDestroy) {
    Program p;
    const DrawingResources& r = p.window.resources;
    EXPECT_TRUE(p.window.created.panelFont && p.window.created.overlay);
    EXPECT_EQ(r.window, &p.shell.windowSurface());
    EXPECT_EQ(&p.shell.windowSurface().font(), &embeddedFont8x14());
    EXPECT_EQ(r.boardBitmap.width(), 640);
    EXPECT_EQ(r.truckMaskBitmap.width(), TRUCK_WIDTH);
    // Until the first paint the overlay and back buffer hold what the window showed.
    ASSERT_EQ(r.overlay.width(), OVERLAY_WIDTH);
    ASSERT_EQ(r.overlay.height(), OVERLAY_HEIGHT);
    EXPECT_EQ(r.overlay.pixel(0, 0), MARKER);
    ASSERT_EQ(r.backBuffer.width(), BACK_BUFFER_WIDTH);
    ASSERT_EQ(r.backBuffer.height(), BACK_BUFFER_HEIGHT);
    EXPECT_EQ(r.backBuffer.pixel(0, 0), MARKER);
    EXPECT_EQ(r.backBuffer.pixel(145, 145), MARKER);

    // The first paint refreshes the overlay from the painted window.
    p.shell.pumpMessages();
    EXPECT_EQ(r.overlay.pixel(0, 0), SITE_SKY);

    // Destroy gives the window its own font back and drops every surface.
    p.shell.destroyWindow();
    EXPECT_EQ(p.window.fontAfterRelease, &otherFont());
    EXPECT_EQ(r.window, nullptr);
    EXPECT_EQ(r.overlay.width(), 0);
    EXPECT_EQ(r.backBuffer.width(), 0);
    EXPECT_EQ(r.boardBitmap.width(), 0);
}

TEST(AppState, PaintThroughTheShell) {
    Program p;
    // Grid on: the paint draws it and the Grid item gets its check mark.
    p.window.state.gridOn = 1;
    p.shell.pumpMessages();
    EXPECT_TRUE(p.shell.isMenuItemChecked(GRID_ITEM));
    EXPECT_EQ(p.shell.windowSurface().pixel(150, 150), BLACK);
    EXPECT_EQ(readText(p.shell.windowSurface(), 4, 379, 16), "GRID COORDINATES");

    // Review with selectedMember 0: the results panel of member 1, and member 1 is selected.
    p.window.bridge = workedExampleBridge();
    p.window.state.mode = Mode::Review;
    p.shell.invalidate();
    p.shell.pumpMessages();
    EXPECT_EQ(p.window.state.selectedMember, 1);
    EXPECT_EQ(readText(p.shell.windowSurface(), 4, 379, 6), "MEMBER");
    EXPECT_EQ(p.shell.windowSurface().pixel(200, 250), YELLOW);

    // Minimized: the paint draws nothing.
    p.shell.minimize();
    const Surface before = p.shell.windowSurface();
    p.window.state.mode = Mode::Build;
    p.shell.pumpMessages();
    EXPECT_EQ(p.shell.windowSurface().pixels(), before.pixels());
}

TEST(AppState, AnalysedSampleBridgeRendersForViewing) {
    // The worked example after an analysis, in Review with member 1 selected: failed members red,
    // member 1 yellow, its results under the board. Written out for a person to look at.
    Program p;
    p.window.bridge = workedExampleBridge();
    analysedWorkedExample(p.window.bridge);
    setBridgeName(p.window.bridge.model, "SAMPLE");
    p.window.state.mode = Mode::Review;
    p.window.state.selectedMember = 1;
    p.shell.pumpMessages();
    const Surface& window = p.shell.windowSurface();

    EXPECT_EQ(window.pixel(200, 250), YELLOW);  // member 1, (0, 0) to (100, 0) ft
    EXPECT_EQ(window.pixel(300, 200), RED);     // member 5, top chord, failed
    EXPECT_EQ(window.pixel(300, 250), BLACK);   // member 2, passed
    EXPECT_EQ(readText(window, 20, PANEL_VALUE_ROW, 2), "1 ");
    EXPECT_EQ(readText(window, 138, PANEL_VALUE_ROW, 4), "100.");
    EXPECT_EQ(readText(window, 229, PANEL_VALUE_ROW, 3), "80.");
    EXPECT_EQ(readText(window, 358, PANEL_VALUE_ROW, 5), "626.4");
    EXPECT_EQ(readText(window, 446, PANEL_VALUE_ROW, 5), "142.7");
    EXPECT_EQ(readText(window, 570, PANEL_VALUE_ROW, 5), "12.77");

    const std::string path = std::string(TRUSSMILL_BINARY_DIR) + "/board_sample.bmp";
    EXPECT_TRUE(writeBmpFile(path.c_str(), window));
}

TEST(AppState, BuildModeSampleRendersForViewing) {
    // Build mode with the grid on, a member being drawn from (100, 50) ft to the pointer at
    // (160, 80) ft, and the member numbers written over the drawing: board_sample_build.bmp.
    Program p;
    p.window.bridge = workedExampleBridge();
    AppState& state = p.window.state;
    state.gridOn = 1;
    state.drawingMember = true;
    state.dragStart = {250, 200};
    state.cursorGridX = 160;
    state.cursorGridY = 80;
    p.shell.pumpMessages();
    Surface& window = p.shell.windowSurface();
    labelMemberNumbers(window, p.window.bridge.model);

    EXPECT_EQ(readText(window, 175, PANEL_VALUE_ROW, 2), "60");
    EXPECT_EQ(readText(window, 256, PANEL_VALUE_ROW, 2), "30");
    EXPECT_EQ(readText(window, 330, PANEL_VALUE_ROW, 5), "67.08");
    EXPECT_EQ(readText(window, 405, PANEL_VALUE_ROW, 4), "26.6");
    EXPECT_EQ(readText(window, 485, PANEL_VALUE_ROW, 5), "118.1");
    EXPECT_EQ(readText(window, 190, 242, 2), "01");

    const std::string path = std::string(TRUSSMILL_BINARY_DIR) + "/board_sample_build.bmp";
    EXPECT_TRUE(writeBmpFile(path.c_str(), window));
}
