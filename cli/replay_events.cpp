// Replay events on the headless shell.
#include "cli/replay_events.h"

namespace {

DialogButton answerButton(const std::string& word) {
    if (word == "yes") return DialogButton::Yes;
    if (word == "no") return DialogButton::No;
    if (word == "cancel") return DialogButton::Cancel;
    return DialogButton::Ok;
}

}  // namespace

void postReplayEvent(HeadlessShell& shell, const ReplayEvent& event) {
    switch (event.kind) {
        case ReplayEventKind::Press:
            shell.postLeftButtonDown(event.x, event.y);
            break;
        case ReplayEventKind::Release:
            shell.postLeftButtonUp(event.x, event.y);
            break;
        case ReplayEventKind::Move:
        case ReplayEventKind::Drag:
            shell.postPointerMove(event.x, event.y, event.kind == ReplayEventKind::Drag);
            break;
        case ReplayEventKind::Command:
            shell.postCommand(static_cast<int>(event.value));
            break;
        case ReplayEventKind::Answer:
            shell.answerMessageBox(answerButton(event.text));
            break;
        case ReplayEventKind::Choose:
            shell.answerFileDialog(event.text);
            break;
        case ReplayEventKind::CancelFile:
            shell.cancelFileDialog();
            break;
        case ReplayEventKind::Print:
            shell.answerPrintDialog(event.value != 0);
            break;
        case ReplayEventKind::Close:
            shell.postCloseBox();
            break;
        case ReplayEventKind::Wait:
            shell.advanceClock(static_cast<uint32_t>(event.value));
            break;
        case ReplayEventKind::Key:
            shell.postKey(static_cast<KeyName>(event.value), event.x != 0);
            break;
        case ReplayEventKind::Table:
            shell.postTableMessage(event.text == "select" ? MessageKind::TableRowSelected
                                   : event.text == "size" ? MessageKind::TableSizeChosen
                                   : event.text == "open" ? MessageKind::TableRowOpened
                                                          : MessageKind::TableClosed,
                                   event.x, static_cast<int>(event.value));
            break;
        case ReplayEventKind::Png:
            break;
    }
}
