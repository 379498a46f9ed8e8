// Renders the board the way the main window paints it, through the headless shell: the window
// procedure builds the drawing resources on Create and paints on Paint.
#include "cli/render.h"

#include <cerrno>
#include <cstring>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/program_pictures.h"
#include "cli/png_file.h"
#include "platform/headless/headless_shell.h"

namespace {

class RenderWindow final : public WindowProcedure {
  public:
    RenderWindow(Shell& shell, BridgeRun& run, AppState& state, const ResultView& view)
        : shell_(shell), run_(run), state_(state), view_(view) {}

    MessageResult handleMessage(const WindowMessage& message) override {
        switch (message.kind) {
            case MessageKind::Create: {
                Pictures pictures;
                if (!loadProgramPictures(pictures, &missing_)) return MessageResult::Handled;
                createDrawingResources(shell_.windowSurface(), std::move(pictures), resources_);
                ready_ = true;
                return MessageResult::Handled;
            }
            case MessageKind::Paint: {
                if (!ready_) return MessageResult::Handled;
                BoardPaintInputs inputs =
                    boardPaintInputs(state_, shell_.isMinimized(), run_.results.bridgeUnstable != 0);
                inputs.view = view_;
                if (paintBoard(shell_.windowSurface(), resources_, run_.model, inputs, state_.selectedMember,
                               state_.panels)) {
                    shell_.checkMenuItem(4001, true);
                }
                return MessageResult::Handled;
            }
            case MessageKind::Destroy:
                if (ready_) releaseDrawingResources(resources_);
                shell_.postQuit(0);
                return MessageResult::Handled;
            default:
                return MessageResult::Default;
        }
    }

    bool ready() const { return ready_; }
    const char* missing() const { return missing_; }

  private:
    Shell& shell_;
    BridgeRun& run_;
    AppState& state_;
    ResultView view_;
    DrawingResources resources_{};
    bool ready_ = false;
    const char* missing_ = "";
};

}  // namespace

bool renderBoard(BridgeRun& run, const BoardView& view, const char* pngPath, std::string& reason) {
    HeadlessShell shell;
    AppState state;
    ResultView shown;
    if (view.review) {
        state.mode = Mode::Review;
        state.selectedMember = 1;
        if (run.analysed && !run.results.bridgeUnstable) {
            shown.forceColours = view.forceColours;
            shown.results = &run.results;
            if (view.deflectedShape && run.deflection.caseCount > 0) {
                shown.deflection = &run.deflection;
                shown.deflectedCase =
                    view.loadCase != 0 ? view.loadCase : caseWithLargestDeflection(run.model, run.deflection);
            }
        }
    }
    RenderWindow window(shell, run, state, shown);
    if (!shell.createMainWindow({PROGRAM_TITLE, {0, 0, 640, 480}}, window) || !window.ready()) {
        reason = "a picture of the board is missing from the program";
        return false;
    }
    state.clientWidth = shell.clientWidth();
    state.clientHeight = shell.clientHeight();
    shell.showWindow();
    shell.invalidate();
    shell.pumpMessages();
    const bool written = writePngFile(pngPath, shell.windowSurface());
    if (!written) reason = std::string("cannot be written: ") + std::strerror(errno);
    shell.destroyWindow();
    return written;
}
