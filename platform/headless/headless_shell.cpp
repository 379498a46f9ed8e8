// The headless shell's window, message queue, dialogs, sounds and clock. Print jobs are recorded by
// headless_print.cpp.
#include "platform/headless/headless_shell.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "platform/user_files.h"

// Defined in headless_print.cpp: a print surface that appends to job.
std::unique_ptr<PrintSurface> makeRecordingPrintSurface(PrintJobRecord& job, bool fontsAvailable,
                                                        std::string refusal);

namespace {

bool offers(MessageButtons buttons, DialogButton button) {
    switch (buttons) {
        case MessageButtons::Ok:
            return button == DialogButton::Ok;
        case MessageButtons::YesNo:
            return button == DialogButton::Yes || button == DialogButton::No;
        case MessageButtons::YesNoCancel:
            return button == DialogButton::Yes || button == DialogButton::No ||
                   button == DialogButton::Cancel;
    }
    return false;
}

std::string titleOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

HeadlessShell::HeadlessShell(HeadlessOptions options) : options_(options), tick_(options.startTick) {}

HeadlessShell::~HeadlessShell() = default;

// ---- Start-up and display modes

bool HeadlessShell::previousInstanceRunning() {
    return options_.previousInstanceRunning;
}

bool HeadlessShell::instanceMayBeRunning(std::string_view tag) {
    return std::find(options_.runningInstances.begin(), options_.runningInstances.end(), tag) !=
           options_.runningInstances.end();
}

bool HeadlessShell::changeDisplayMode(int width, int height) {
    displayModes_.push_back({width, height});
    return options_.displayModesWork;
}

void HeadlessShell::restoreDisplayMode() {
    displayModes_.push_back({0, 0});
}

// ---- The window and its messages

bool HeadlessShell::createMainWindow(const WindowSpec& window, WindowProcedure& procedure) {
    title_ = window.title;
    assert(!created_ && "the program has one main window; createMainWindow was called twice");
    created_ = true;
    alive_ = true;
    procedure_ = &procedure;
    outer_ = window.outer;
    window_ = Surface(std::max(0, outer_.width() - options_.frameWidth),
                      std::max(0, outer_.height() - options_.frameHeight), WHITE);
    window_.takeDirtyRect();
    WindowMessage create;
    create.kind = MessageKind::Create;
    deliver(create);
    return alive_;
}

void HeadlessShell::showWindow() {
    if (!alive_) return;
    visible_ = true;
    invalid_ = true;  // a window shown for the first time needs painting
}

int HeadlessShell::runMessageLoop() {
    pumpMessages();
    return quitCode_.value_or(NO_QUIT);
}

void HeadlessShell::postQuit(int exitCode) {
    queue_.push_back({true, exitCode, {}});
}

Surface& HeadlessShell::windowSurface() {
    assert(created_ && "windowSurface() before the main window was created");
    return window_;
}

void HeadlessShell::present(Rect area) {
    const Rect shown = intersection(area, window_.bounds());
    if (shown.empty()) return;
    ++framesPresented_;
    if (presentObserver_) presentObserver_(window_, shown);
}

void HeadlessShell::presentDirty() {
    if (!created_) return;
    present(window_.takeDirtyRect());
}

void HeadlessShell::invalidate() {
    if (alive_) invalid_ = true;
}

void HeadlessShell::applyOuterRect(Rect outer, SizeKind kind) {
    const bool sizeChanged = outer.width() != outer_.width() || outer.height() != outer_.height();
    outer_ = outer;
    if (!sizeChanged || minimized_) return;
    window_.resize(std::max(0, outer_.width() - options_.frameWidth),
                   std::max(0, outer_.height() - options_.frameHeight), WHITE);
    window_.takeDirtyRect();  // new pixels are background, not drawing
    WindowMessage size;
    size.kind = MessageKind::Size;
    size.sizeKind = kind;
    size.clientWidth = window_.width();
    size.clientHeight = window_.height();
    deliver(size);
}

void HeadlessShell::moveWindow(Rect outer, bool repaint) {
    if (!alive_) return;
    applyOuterRect(outer, SizeKind::Restored);
    if (repaint) invalidate();
}

int HeadlessShell::clientWidth() {
    return window_.width();
}
int HeadlessShell::clientHeight() {
    return window_.height();
}
int HeadlessShell::fullScreenClientHeight() {
    return options_.fullScreenClientHeight;
}
bool HeadlessShell::isMinimized() {
    return minimized_;
}

void HeadlessShell::sendClose() {
    if (!alive_) return;
    WindowMessage close;
    close.kind = MessageKind::Close;
    deliver(close);
}

void HeadlessShell::destroyWindow() {
    if (!alive_) return;
    WindowMessage destroy;
    destroy.kind = MessageKind::Destroy;
    deliver(destroy);
    alive_ = false;
    visible_ = false;
    invalid_ = false;
}

void HeadlessShell::deliver(const WindowMessage& message) {
    if (!alive_) return;
    const MessageResult result = procedure_->handleMessage(message);
    if (result == MessageResult::Default && message.kind == MessageKind::Close) destroyWindow();
    presentDirty();
}

void HeadlessShell::post(const WindowMessage& message) {
    queue_.push_back({false, 0, message});
}

int HeadlessShell::pumpMessages() {
    assert(pumping_ == 0 && "pumpMessages is for the test's or tool's own loop, not for message handlers");
    ++pumping_;
    int delivered = 0;
    while (!quitCode_) {
        if (!queue_.empty()) {
            const Queued next = queue_.front();
            queue_.pop_front();
            if (next.quit) {
                quitCode_ = next.exitCode;
                break;
            }
            if (!alive_) continue;  // input for a window that is gone is dropped
            deliver(next.message);
            ++delivered;
        } else if (invalid_ && alive_) {
            invalid_ = false;  // the paint handler validates the window
            WindowMessage paint;
            paint.kind = MessageKind::Paint;
            deliver(paint);
            ++delivered;
        } else if (timerDue_ && alive_ && int32_t(tick_ - *timerDue_) >= 0) {
            timerDue_.reset();
            WindowMessage timer;
            timer.kind = MessageKind::Timer;
            deliver(timer);
            ++delivered;
        } else {
            break;
        }
    }
    --pumping_;
    return delivered;
}

// ---- The user's side

void HeadlessShell::postCommand(int command) {
    WindowMessage message;
    message.kind = MessageKind::Command;
    message.command = command;
    post(message);
}

void HeadlessShell::postPointerMove(int x, int y, bool leftButtonDown) {
    WindowMessage message;
    message.kind = MessageKind::PointerMove;
    message.pointer = {x, y};
    message.leftButtonDown = leftButtonDown;
    post(message);
}

void HeadlessShell::postLeftButtonDown(int x, int y) {
    WindowMessage message;
    message.kind = MessageKind::LeftButtonDown;
    message.pointer = {x, y};
    post(message);
}

void HeadlessShell::postLeftButtonUp(int x, int y) {
    WindowMessage message;
    message.kind = MessageKind::LeftButtonUp;
    message.pointer = {x, y};
    post(message);
}

void HeadlessShell::postCloseBox() {
    WindowMessage message;
    message.kind = MessageKind::Close;
    post(message);
}

void HeadlessShell::postKey(KeyName key, bool shift) {
    WindowMessage message;
    message.kind = MessageKind::Key;
    message.key = key;
    message.shift = shift;
    post(message);
}

void HeadlessShell::postTableMessage(MessageKind kind, int member, int value) {
    WindowMessage message;
    message.kind = kind;
    message.member = member;
    message.value = value;
    // Opening a row or changing its size selects it too, as a click on it does.
    if (memberTable_ && kind != MessageKind::TableClosed && member >= 1 &&
        size_t(member) <= memberTable_->rows.size())
        memberTable_->selectedMember = member;
    if (kind == MessageKind::TableClosed) memberTable_.reset();
    post(message);
}

void HeadlessShell::showMemberTable(const MemberTableContents& contents) {
    memberTable_ = contents;
    memberTables_.push_back(contents);
    noteEvent(ShellEventKind::MemberTable, memberTables_.size() - 1);
}

void HeadlessShell::selectMemberTableRow(int member) {
    if (memberTable_) memberTable_->selectedMember = member;
}

void HeadlessShell::showPicture(std::string_view title, const Surface& picture) {
    pictures_.emplace_back(std::string(title), picture);
    noteEvent(ShellEventKind::Picture, pictures_.size() - 1);
}

void HeadlessShell::announce(std::string_view text) {
    announcements_.emplace_back(text);
    noteEvent(ShellEventKind::Announcement, announcements_.size() - 1);
}

void HeadlessShell::minimize() {
    if (!alive_ || minimized_) return;
    minimized_ = true;
    WindowMessage size;
    size.kind = MessageKind::Size;
    size.sizeKind = SizeKind::Minimized;
    deliver(size);
}

void HeadlessShell::restore() {
    if (!alive_ || !minimized_) return;
    minimized_ = false;
    WindowMessage size;
    size.kind = MessageKind::Size;
    size.sizeKind = SizeKind::Restored;
    size.clientWidth = window_.width();
    size.clientHeight = window_.height();
    deliver(size);
    invalidate();
}

void HeadlessShell::resizeByUser(Rect outer) {
    if (!alive_) return;
    applyOuterRect(outer, SizeKind::Restored);
    invalidate();
}

// ---- Menu and cursor

void HeadlessShell::checkMenuItem(int command, bool checked) {
    menuChecks_.push_back({command, checked});
    menuChecked_[command] = checked;
}

bool HeadlessShell::isMenuItemChecked(int command) const {
    const auto found = menuChecked_.find(command);
    return found != menuChecked_.end() && found->second;
}

void HeadlessShell::enableMenuItem(int command, bool enabled) {
    menuEnabled_[command] = enabled;
}

bool HeadlessShell::isMenuItemEnabled(int command) const {
    const auto found = menuEnabled_.find(command);
    return found == menuEnabled_.end() || found->second;
}

void HeadlessShell::setMenuItemText(int command, std::string_view text, std::string_view tip) {
    menuTexts_[command] = std::string(text);
    menuTips_[command] = std::string(tip);
}

void HeadlessShell::setMenuItemTip(int command, std::string_view tip) {
    menuTips_[command] = std::string(tip);
}

std::optional<std::string> HeadlessShell::menuItemText(int command) const {
    const auto found = menuTexts_.find(command);
    if (found == menuTexts_.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> HeadlessShell::menuItemTip(int command) const {
    const auto found = menuTips_.find(command);
    if (found == menuTips_.end()) return std::nullopt;
    return found->second;
}

int HeadlessShell::setBoardScale(int scale) {
    boardScale_ = std::clamp(scale, 1, MAX_BOARD_SCALE);
    return boardScale_;
}

int HeadlessShell::largestFittingBoardScale() {
    return std::clamp(options_.largestFittingBoardScale, 1, MAX_BOARD_SCALE);
}

CursorShape HeadlessShell::setCursor(CursorShape shape) {
    const CursorShape old = cursor_;
    cursor_ = shape;
    cursorChanges_.push_back(shape);
    return old;
}

// ---- Dialogs

DialogButton HeadlessShell::messageBox(const MessageBoxRequest& request) {
    assert(offers(request.buttons, request.defaultButton) &&
           "the default button is not one of the box's buttons");
    presentDirty();
    DialogButton answer = request.defaultButton;
    if (!messageBoxAnswers_.empty()) {
        answer = messageBoxAnswers_.front();
        messageBoxAnswers_.pop_front();
        if (!offers(request.buttons, answer)) {
            assert(options_.lenientAnswers && "the scripted answer is not one of the box's buttons");
            answer = request.defaultButton;
        }
    }
    noteEvent(ShellEventKind::MessageBox, messageBoxes_.size());
    messageBoxes_.push_back({request, answer});
    return answer;
}

std::optional<FileChoice> HeadlessShell::fileDialog(bool save, const FileDialogRequest& request) {
    presentDirty();
    std::optional<FileChoice> answer;
    if (!fileDialogAnswers_.empty()) {
        const std::optional<std::string> path = fileDialogAnswers_.front();
        fileDialogAnswers_.pop_front();
        if (path && !path->empty() && path->size() <= size_t(DIALOG_PATH_CHARS)) {
            answer = FileChoice{*path, titleOf(*path)};
        }
    }
    noteEvent(ShellEventKind::FileDialog, fileDialogs_.size());
    fileDialogs_.push_back({save, request, answer});
    return answer;
}

std::optional<FileChoice> HeadlessShell::openFileDialog(const FileDialogRequest& request) {
    return fileDialog(false, request);
}

std::optional<FileChoice> HeadlessShell::saveFileDialog(const FileDialogRequest& request) {
    return fileDialog(true, request);
}

std::string HeadlessShell::deliverFile(const std::string& path) {
    deliveredFiles_.push_back(path);
    if (deliveryFailures_.empty()) return {};
    std::string failure = std::move(deliveryFailures_.front());
    deliveryFailures_.pop_front();
    return failure;
}

std::optional<ContestEntry> HeadlessShell::contestDialog(const ContestEntry& proposed) {
    presentDirty();
    contestDialogs_.push_back(proposed);
    if (contestEntries_.empty()) return std::nullopt;
    std::optional<ContestEntry> entry = std::move(contestEntries_.front());
    contestEntries_.pop_front();
    return entry;
}

ContestAnswer HeadlessShell::submitToContest(const ContestEntry& entry, std::string_view bridgeText) {
    contestSubmissions_.emplace_back(entry, std::string(bridgeText));
    if (contestAnswers_.empty()) {
        ContestAnswer none;
        none.error = "no server is scripted";
        return none;
    }
    ContestAnswer answer = std::move(contestAnswers_.front());
    contestAnswers_.pop_front();
    return answer;
}

std::unique_ptr<PrintSurface> HeadlessShell::printDialog(std::string_view) {
    presentDirty();
    ++printDialogsShown_;
    bool print = false;
    if (!printDialogAnswers_.empty()) {
        print = printDialogAnswers_.front();
        printDialogAnswers_.pop_front();
    }
    noteEvent(ShellEventKind::PrintDialog, printDialogRecords_.size());
    printDialogRecords_.push_back({print, printJobs_.size()});
    if (!print) return nullptr;
    printJobs_.emplace_back();
    return makeRecordingPrintSurface(printJobs_.back(), options_.printerFontsAvailable,
                                     options_.printerRefusal);
}

void HeadlessShell::answerMessageBox(DialogButton button) {
    messageBoxAnswers_.push_back(button);
}
void HeadlessShell::answerFileDialog(std::string path) {
    fileDialogAnswers_.emplace_back(std::move(path));
}
void HeadlessShell::cancelFileDialog() {
    fileDialogAnswers_.emplace_back(std::nullopt);
}
void HeadlessShell::answerPrintDialog(bool print) {
    printDialogAnswers_.push_back(print);
}

// ---- Sound

void HeadlessShell::playSound(std::string_view fileName, SoundMode mode) {
    const SoundAction action = mode == SoundMode::Synchronous    ? SoundAction::PlaySynchronous
                               : mode == SoundMode::Asynchronous ? SoundAction::PlayAsynchronous
                                                                 : SoundAction::PlayLooping;
    noteEvent(ShellEventKind::Sound, sounds_.size());
    sounds_.push_back({action, std::string(fileName), tick_});
    if (mode == SoundMode::Synchronous) {
        const auto length = soundLengths_.find(fileName);
        if (length != soundLengths_.end()) tick_ += length->second;
    }
}

void HeadlessShell::stopSound() {
    noteEvent(ShellEventKind::Sound, sounds_.size());
    sounds_.push_back({SoundAction::Stop, std::string(), tick_});
}

void HeadlessShell::setSoundLength(std::string_view fileName, uint32_t milliseconds) {
    soundLengths_[std::string(fileName)] = milliseconds;
}

// ---- Time

uint32_t HeadlessShell::tickCount() {
    return tick_;
}

void HeadlessShell::waitUntilAfter(uint32_t startTick, uint32_t milliseconds) {
    presentDirty();
    // Unsigned differences keep this right across the wrap of the counter.
    if (uint32_t(tick_ - startTick) > milliseconds) return;
    tick_ = startTick + milliseconds + 1;
}

void HeadlessShell::setTimer(uint32_t milliseconds) {
    if (milliseconds == 0) {
        timerDue_.reset();
    } else {
        timerDue_ = tick_ + milliseconds;
    }
}

void HeadlessShell::advanceClock(uint32_t milliseconds) {
    tick_ += milliseconds;
}

LocalTime HeadlessShell::localTime() {
    return options_.localTime;
}

// ---- Clipboard and help

void HeadlessShell::copyImageToClipboard(const Surface& image) {
    noteEvent(ShellEventKind::Clipboard, clipboardImages_.size());
    clipboardImages_.push_back(image);
}

void HeadlessShell::showHelp(std::string_view helpFile) {
    noteEvent(ShellEventKind::Help, helpRequests_.size());
    helpRequests_.emplace_back(helpFile);
}

void HeadlessShell::setPresentObserver(std::function<void(const Surface&, Rect)> observer) {
    presentObserver_ = std::move(observer);
}

// ---- What outlives a run

std::optional<std::string> HeadlessShell::loadStored(StoreKind kind, std::string_view name) {
    if (!options_.storeFolder.empty()) return readKeptFile(options_.storeFolder, name);
    return stored(kind, name);
}

bool HeadlessShell::store(StoreKind kind, std::string_view name, std::string_view contents) {
    if (!options_.storeFolder.empty()) return writeKeptFile(options_.storeFolder, name, contents);
    setStored(kind, name, std::string(contents));
    return true;
}

void HeadlessShell::removeStored(StoreKind kind, std::string_view name) {
    if (!options_.storeFolder.empty()) {
        removeKeptFile(options_.storeFolder, name);
        return;
    }
    const auto found = stored_->find(std::pair{kind, std::string(name)});
    if (found != stored_->end()) stored_->erase(found);
}

std::vector<std::string> HeadlessShell::storedNames(StoreKind kind) {
    if (!options_.storeFolder.empty()) return keptFileNames(options_.storeFolder);
    std::vector<std::string> names;
    for (const auto& [key, contents] : *stored_) {
        if (key.first == kind) names.push_back(key.second);
    }
    return names;
}

void HeadlessShell::setStored(StoreKind kind, std::string_view name, std::string contents) {
    (*stored_)[{kind, std::string(name)}] = std::move(contents);
}

std::optional<std::string> HeadlessShell::stored(StoreKind kind, std::string_view name) const {
    const auto found = stored_->find(std::pair{kind, std::string(name)});
    if (found == stored_->end()) return std::nullopt;
    return found->second;
}
