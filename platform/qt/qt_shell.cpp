// The Qt shell's window, message queue, waits, clock, sound, clipboard and help. The dialogs are in
// qt_dialogs.cpp.
#include "platform/qt/qt_shell.h"

#include <QAccessible>
#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <cassert>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/qt/help_window.h"
#include "platform/qt/instance_lock.h"
#include "platform/qt/result_windows.h"
#include "platform/qt/state_writer.h"
#include "platform/raster/bmp.h"
#include "platform/user_files.h"
#include "resources/embedded_resources.h"
#include "resources/program_resources.h"
#include "resources/wav_clip.h"

namespace {

// How often a synchronous sound that has outlasted its length looks again whether it has ended.
constexpr uint32_t SOUND_POLL_MS = 10;

QPixmap pictureResource(const char* name) {
    const EmbeddedResource* resource = findResource(name);
    Surface picture;
    if (!resource || decodeBmp(resource->bytes(), picture) != BmpStatus::Ok) return {};
    return QPixmap::fromImage(imageOfSurface(picture));
}

QIcon programIcon() {
    QIcon icon;
    for (const char* name : {RES_ICON, RES_ICON_SMALL}) {
        const QPixmap picture = pictureResource(name);
        if (!picture.isNull()) icon.addPixmap(picture);
    }
    return icon;
}

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

QtShell::QtShell(QtShellOptions options) : options_(std::move(options)) {
    assert(QGuiApplication::instance() && "the Qt shell needs a QApplication");
}

QtShell::~QtShell() {
    sound_.stop();
    help_.reset();
    delete window_;
}

// ---- Start-up and display modes

bool QtShell::previousInstanceRunning() {
    if (!lock_) {
        lock_ = std::make_unique<InstanceLock>(options_.lockPath.empty() ? InstanceLock::defaultPath()
                                                                         : options_.lockPath);
    }
    return lock_->state() == InstanceLockState::HeldElsewhere;
}

std::string QtShell::instanceTag() {
    if (!lock_ || lock_->state() == InstanceLockState::Taken) return {};
    if (tag_.empty()) tag_ = InstanceLock::processTag();
    return tag_;
}

std::vector<std::string> QtShell::storedNames(StoreKind kind) {
    std::vector<std::string> names = userFileNames(kind);
    if (kind != StoreKind::State || !stateWriter_) return names;
    const auto changes = stateWriter_->pendingChanges();
    std::erase_if(names, [&](const std::string& name) { return changes.count(name) != 0; });
    for (const auto& [name, contents] : changes) {
        if (contents) names.push_back(name);
    }
    return names;
}

bool QtShell::instanceMayBeRunning(std::string_view tag) {
    return InstanceLock::processMayBeRunning(tag);
}

bool QtShell::changeDisplayMode(int, int) {
    return false;
}

void QtShell::restoreDisplayMode() {}

// ---- The window and its messages

bool QtShell::createMainWindow(const WindowSpec& window, WindowProcedure& procedure) {
    assert(!created_ && "the program has one main window; createMainWindow was called twice");
    created_ = true;
    alive_ = true;
    procedure_ = &procedure;
    surface_ = Surface(std::max(0, window.outer.width() - FRAME_WIDTH),
                       std::max(0, window.outer.height() - FRAME_HEIGHT), WHITE);
    surface_.takeDirtyRect();
    window_ = new ShellWindow(loadMenu(MENU_RESOURCE_NAME), surface_, *this);
    window_->setWindowTitle(QString::fromUtf8(window.title.c_str()));
    const QIcon icon = programIcon();
    window_->setWindowIcon(icon);
    QGuiApplication::setWindowIcon(icon);  // the dialogs and the help window carry it too
    if (!onWayland()) window_->move(window.outer.left, window.outer.top);
    if (firstFrame_) window_->view().setFirstFrameObserver(firstFrame_);
    WindowMessage create;
    create.kind = MessageKind::Create;
    deliver(create);
    return alive_;
}

void QtShell::showWindow() {
    if (!alive_) return;
    window_->show();
    window_->activateWindow();  // keyboard input goes to the program, with or without a window manager
    window_->view().setFocus();
    invalid_ = true;  // a window shown for the first time needs painting
    scheduleDrain();
}

void QtShell::setWindowTitle(std::string_view title) {
    if (alive_) window_->setWindowTitle(QString::fromUtf8(title.data(), qsizetype(title.size())));
}

int QtShell::runMessageLoop() {
    quitCode_.reset();  // each run ends at the next quit message
    QEventLoop loop;
    messageLoop_ = &loop;
    drain();
    if (!quitCode_) loop.exec();
    messageLoop_ = nullptr;
    return quitCode_.value_or(0);
}

void QtShell::postQuit(int exitCode) {
    queue_.push_back({true, exitCode, {}});
    scheduleDrain();
}

Surface& QtShell::windowSurface() {
    assert(created_ && "windowSurface() before the main window was created");
    return surface_;
}

void QtShell::present(Rect area) {
    if (alive_) window_->view().repaintBoard(area);
}

void QtShell::presentDirty() {
    if (created_) present(surface_.takeDirtyRect());
}

void QtShell::invalidate() {
    if (!alive_) return;
    invalid_ = true;
    scheduleDrain();
}

void QtShell::moveWindow(Rect outer, bool repaint) {
    if (!alive_) return;
    if (!onWayland()) window_->move(outer.left, outer.top);
    const int width = std::max(0, outer.width() - FRAME_WIDTH);
    const int height = std::max(0, outer.height() - FRAME_HEIGHT);
    if ((width != surface_.width() || height != surface_.height()) && !window_->isMinimized()) {
        surface_.resize(width, height, WHITE);
        surface_.takeDirtyRect();  // new pixels are background, not drawing
        window_->view().fitToSurface();
        WindowMessage size;
        size.kind = MessageKind::Size;
        size.sizeKind = SizeKind::Restored;
        size.clientWidth = width;
        size.clientHeight = height;
        deliver(size);
    }
    if (repaint) invalidate();
}

int QtShell::clientWidth() {
    return surface_.width();
}

int QtShell::clientHeight() {
    return surface_.height();
}

int QtShell::fullScreenClientHeight() {
    const QScreen* screen = window_ ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen) return surface_.height();
    // The caption and frame the window system adds, once the window has them.
    const int decoration = window_ && window_->isVisible()
                               ? window_->frameGeometry().height() - window_->geometry().height()
                               : 0;
    return screen->availableGeometry().height() - decoration;
}

bool QtShell::isMinimized() {
    return alive_ && window_->isMinimized();
}

void QtShell::sendClose() {
    WindowMessage close;
    close.kind = MessageKind::Close;
    deliver(close);
}

void QtShell::destroyWindow() {
    if (!alive_) return;
    WindowMessage destroy;
    destroy.kind = MessageKind::Destroy;
    deliver(destroy);
    alive_ = false;
    invalid_ = false;
    // Nothing of the window is on the call stack: its events only ever queue messages.
    delete window_;
    window_ = nullptr;
    if (help_) help_->close();
    if (table_) table_->closeQuietly();
    if (picture_) picture_->close();
}

void QtShell::deliver(const WindowMessage& message) {
    if (!alive_) return;
    MessageResult result;
    {
        Hold hold(*this);
        result = procedure_->handleMessage(message);
    }
    if (result == MessageResult::Default && message.kind == MessageKind::Close) destroyWindow();
    presentDirty();
}

void QtShell::post(const WindowMessage& message) {
    queue_.push_back({false, 0, message});
    scheduleDrain();
}

void QtShell::scheduleDrain() {
    if (drainScheduled_ || draining_ || holds_ > 0) return;
    if (queue_.empty() && !(invalid_ && alive_)) return;
    drainScheduled_ = true;
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            drainScheduled_ = false;
            drain();
        },
        Qt::QueuedConnection);
}

void QtShell::drain() {
    // Messages wait while a handler, wait or dialog runs, and until the message loop runs.
    if (draining_ || holds_ > 0 || !messageLoop_) return;
    draining_ = true;
    while (!quitCode_) {
        if (!queue_.empty()) {
            const Queued next = queue_.front();
            queue_.pop_front();
            if (next.quit) {
                quitCode_ = next.exitCode;
                messageLoop_->exit(next.exitCode);
                break;
            }
            if (!alive_) continue;  // input for a window that is gone is dropped
            deliver(next.message);
        } else if (invalid_ && alive_) {
            invalid_ = false;  // the paint handler validates the window
            WindowMessage paint;
            paint.kind = MessageKind::Paint;
            deliver(paint);
        } else {
            break;
        }
    }
    draining_ = false;
}

// ---- What the user does

void QtShell::pointerMessage(const WindowMessage& message) {
    post(message);
}

void QtShell::commandChosen(int command) {
    WindowMessage message;
    message.kind = MessageKind::Command;
    message.command = command;
    post(message);
}

void QtShell::closeRequested() {
    WindowMessage message;
    message.kind = MessageKind::Close;
    post(message);
}

void QtShell::minimizedChanged(bool minimized) {
    WindowMessage size;
    size.kind = MessageKind::Size;
    size.sizeKind = minimized ? SizeKind::Minimized : SizeKind::Restored;
    if (!minimized) {
        size.clientWidth = surface_.width();
        size.clientHeight = surface_.height();
        invalid_ = true;
    }
    post(size);
}

// ---- Menu and cursor

void QtShell::checkMenuItem(int command, bool checked) {
    if (alive_) window_->setChecked(command, checked);
}

void QtShell::enableMenuItem(int command, bool enabled) {
    if (alive_) window_->setEnabled(command, enabled);
}

void QtShell::setMenuItemText(int command, std::string_view text, std::string_view tip) {
    if (!alive_) return;
    window_->setText(command, QString::fromUtf8(text.data(), qsizetype(text.size())),
                     QString::fromUtf8(tip.data(), qsizetype(tip.size())));
}

void QtShell::setMenuItemTip(int command, std::string_view tip) {
    if (alive_) window_->setTip(command, QString::fromUtf8(tip.data(), qsizetype(tip.size())));
}

int QtShell::setBoardScale(int scale) {
    if (!alive_) return 1;
    window_->view().setZoom(scale);
    return window_->view().zoom();
}

int QtShell::largestFittingBoardScale() {
    const QScreen* screen = window_ ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen || !window_) return 1;
    const QRect available = screen->availableGeometry();
    // What the window adds to the board: the menu bar, and the frame and caption once the window
    // system has given them (an allowance before).
    const QSize frame = window_->isVisible() ? window_->frameGeometry().size() - window_->geometry().size()
                                             : QSize(FRAME_WIDTH, FRAME_HEIGHT);
    const int menu = window_->menuBar()->sizeHint().height();
    const double ratio = window_->devicePixelRatioF();
    for (int scale = MAX_BOARD_SCALE; scale > 1; --scale) {
        const double perBoardPixel = boardScaleFor(ratio) * scale / ratio;
        const int width = int(std::ceil(surface_.width() * perBoardPixel)) + frame.width();
        const int height = int(std::ceil(surface_.height() * perBoardPixel)) + menu + frame.height();
        if (width <= available.width() && height <= available.height()) return scale;
    }
    return 1;
}

CursorShape QtShell::setCursor(CursorShape shape) {
    const CursorShape previous = cursor_;
    cursor_ = shape;
    if (alive_) window_->setCursor(shape == CursorShape::Wait ? Qt::WaitCursor : Qt::ArrowCursor);
    return previous;
}

// ---- Sound

void QtShell::playSound(std::string_view fileName, SoundMode mode) {
    const EmbeddedResource* resource = findResource(std::string(fileName).c_str());
    if (!resource || resource->kind != ResourceKind::Sound) return;
    const std::optional<WavClip> clip = readWavClip(resource->bytes());
    if (!clip) return;
    if (mode == SoundMode::Synchronous) presentDirty();
    sound_.start(*clip, mode == SoundMode::Looping);
    if (mode != SoundMode::Synchronous) return;
    Hold hold(*this);
    const uint32_t start = tickCount();
    const uint32_t length = clip->lengthMs();
    for (;;) {
        const uint32_t elapsed = tickCount() - start;
        if (elapsed >= length && (sound_.finished() || elapsed >= length + SOUND_END_MARGIN_MS)) return;
        answerWindowSystemFor(elapsed < length ? length - elapsed : SOUND_POLL_MS);
    }
}

void QtShell::stopSound() {
    sound_.stop();
}

// ---- Time

uint32_t QtShell::tickCount() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void QtShell::waitUntilAfter(uint32_t startTick, uint32_t milliseconds) {
    presentDirty();
    Hold hold(*this);
    for (;;) {
        // Unsigned differences keep this right across the wrap of the counter.
        const uint32_t elapsed = tickCount() - startTick;
        if (elapsed > milliseconds) return;
        answerWindowSystemFor(milliseconds - elapsed + 1);
    }
}

void QtShell::answerWindowSystemFor(uint32_t milliseconds) {
    QEventLoop sleeper;
    QTimer alarm;
    alarm.setSingleShot(true);
    alarm.setTimerType(Qt::PreciseTimer);
    QObject::connect(&alarm, &QTimer::timeout, &sleeper, &QEventLoop::quit);
    alarm.start(int(milliseconds));
    sleeper.exec(QEventLoop::ExcludeUserInputEvents);
}

LocalTime QtShell::localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

// ---- Clipboard and help

void QtShell::copyImageToClipboard(const Surface& image) {
    QGuiApplication::clipboard()->setImage(imageOfSurface(image));
}

void QtShell::showHelp(std::string_view helpFile) {
    const EmbeddedResource* page = findResource(std::string(helpFile).c_str());
    if (!page || page->kind != ResourceKind::HelpPage) return;
    if (!help_) help_ = std::make_unique<HelpWindow>();
    help_->showPage(QString::fromUtf8(reinterpret_cast<const char*>(page->begin), qsizetype(page->size())));
}

void QtShell::setTimer(uint32_t milliseconds) {
    if (!timer_) {
        timer_ = new QTimer(&context_);
        timer_->setSingleShot(true);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, &context_, [this] {
            WindowMessage message;
            message.kind = MessageKind::Timer;
            post(message);
        });
    }
    timer_->stop();
    if (milliseconds > 0) timer_->start(int(std::min<uint32_t>(milliseconds, INT32_MAX)));
}

// The board's name and description change with the bridge; a screen reader that is listening is
// told of each change, so that it can say it.
static void tellScreenReaders(QWidget& board, QAccessible::Event what) {
    QAccessibleEvent event(&board, what);
    QAccessible::updateAccessibility(&event);
}

void QtShell::describeBoard(std::string_view summary) {
    if (!alive_) return;
    window_->view().setAccessibleName(QString::fromUtf8(summary.data(), qsizetype(summary.size())));
    tellScreenReaders(window_->view(), QAccessible::NameChanged);
}

void QtShell::announce(std::string_view text) {
    if (!alive_) return;
    window_->view().setAccessibleDescription(QString::fromUtf8(text.data(), qsizetype(text.size())));
    tellScreenReaders(window_->view(), QAccessible::DescriptionChanged);
}

void QtShell::showMemberTable(const MemberTableContents& contents) {
    if (!table_) table_ = std::make_unique<MemberTableWindow>([this](const WindowMessage& m) { post(m); });
    table_->showContents(contents, window_);
}

void QtShell::selectMemberTableRow(int member) {
    if (table_) table_->selectMember(member);
}

void QtShell::closeMemberTable() {
    if (table_) table_->closeQuietly();
}

void QtShell::showPicture(std::string_view title, const Surface& picture) {
    if (!picture_) picture_ = std::make_unique<PictureWindow>();
    picture_->showPicture(QString::fromUtf8(title.data(), qsizetype(title.size())), picture,
                          window_ ? window_->view().zoom() : 1, window_);
}

std::optional<std::string> QtShell::loadStored(StoreKind kind, std::string_view name) {
    if (kind == StoreKind::State && stateWriter_) {
        const auto changes = stateWriter_->pendingChanges();
        const auto found = changes.find(std::string(name));
        if (found != changes.end()) return found->second;
    }
    return readUserFile(kind, name);
}

bool QtShell::store(StoreKind kind, std::string_view name, std::string_view contents) {
    if (kind != StoreKind::State) return writeUserFile(kind, name, contents);
    if (userFolder(kind).empty()) return false;
    if (!stateWriter_) {
        stateWriter_ = std::make_unique<StateWriter>(
            [](const std::string& stateName, const std::optional<std::string>& text) {
                if (text) return writeUserFile(StoreKind::State, stateName, *text);
                removeUserFile(StoreKind::State, stateName);
                return true;
            });
    }
    stateWriter_->store(std::string(name), std::string(contents));
    return true;
}

void QtShell::removeStored(StoreKind kind, std::string_view name) {
    if (kind == StoreKind::State && stateWriter_) {
        stateWriter_->remove(std::string(name));
    } else {
        removeUserFile(kind, name);
    }
}

void QtShell::setFirstFrameObserver(std::function<void()> observer) {
    firstFrame_ = std::move(observer);
    if (window_) window_->view().setFirstFrameObserver(firstFrame_);
}
