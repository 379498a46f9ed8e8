// Start-up and the message loop. For now the window shows the board and nothing more.
#include "app/program.h"

#include "app/app_state.h"
#include "app/program_pictures.h"
#include "model/bridge_model.h"

namespace {

class BoardWindow final : public WindowProcedure {
  public:
    explicit BoardWindow(Shell& shell) : shell_(shell) { initBridgeModel(model_); }

    MessageResult handleMessage(const WindowMessage& message) override {
        switch (message.kind) {
            case MessageKind::Create: {
                Pictures pictures;
                if (!loadProgramPictures(pictures, nullptr)) return MessageResult::Handled;
                createDrawingResources(shell_.windowSurface(), std::move(pictures), resources_);
                ready_ = true;
                return MessageResult::Handled;
            }
            case MessageKind::Paint:
                if (ready_) {
                    const BoardPaintInputs inputs = boardPaintInputs(state_, shell_.isMinimized(), false);
                    (void)paintBoard(shell_.windowSurface(), resources_, model_, inputs,
                                     state_.selectedMember, state_.panels);
                }
                return MessageResult::Handled;
            case MessageKind::Destroy:
                if (ready_) releaseDrawingResources(resources_);
                shell_.postQuit(0);
                return MessageResult::Handled;
            default:
                return message.kind == MessageKind::Close ? MessageResult::Default : MessageResult::Handled;
        }
    }

    AppState& state() { return state_; }

  private:
    Shell& shell_;
    BridgeModel model_;
    AppState state_;
    DrawingResources resources_{};
    bool ready_ = false;
};

}  // namespace

int runProgram(Shell& shell, std::string_view /*commandLine*/) {
    BoardWindow window(shell);
    if (!shell.createMainWindow({"Trussmill v4.8", {0, 0, 640, 480}}, window)) return 0;
    window.state().clientWidth = shell.clientWidth();
    window.state().clientHeight = shell.clientHeight();
    shell.showWindow();
    shell.invalidate();
    return shell.runMessageLoop();
}
