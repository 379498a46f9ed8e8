// The shell on Qt 6 Widgets, for the desktop program. Window-system input becomes the contract's
// messages in a queue of the shell's own, delivered one at a time from the message loop, with a
// Paint once the queue has run dry and the window is invalid. While the window procedure runs, and
// inside every wait, dialog and synchronous sound, nothing is delivered: waits and synchronous
// sounds sleep in an event loop that answers the window system (exposure, compositor pings) but
// leaves user input in Qt's queue, where it waits, in order, for the message loop.
#pragma once

#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/qt/shell_window.h"
#include "platform/qt/sound_player.h"
#include "platform/shell.h"

class QDialog;
class QEventLoop;
class QTimer;
class HelpWindow;
class InstanceLock;
class MemberTableWindow;
class PictureWindow;
class StateWriter;

struct QtShellOptions {
    // The single-instance lock file; InstanceLock::defaultPath() when empty.
    std::string lockPath;
};

class QtShell final : public Shell, private WindowSink {
  public:
    // Needs a QApplication.
    explicit QtShell(QtShellOptions options = {});
    ~QtShell() override;

    // ---- The contract
    // A copy that holds the single-instance lock is running; one where the lock could not be
    // tried does not count.
    bool previousInstanceRunning() override;
    // Empty when this process took the lock; its process tag (InstanceLock::processTag) when the
    // lock could not be tried.
    std::string instanceTag() override;
    // The files in the folder, as they will be once the state still to be written is.
    std::vector<std::string> storedNames(StoreKind kind) override;
    // Told from the process table (InstanceLock::processMayBeRunning).
    bool instanceMayBeRunning(std::string_view tag) override;
    // There are no display modes to switch: every change is refused and nothing is restored.
    bool changeDisplayMode(int width, int height) override;
    void restoreDisplayMode() override;
    bool createMainWindow(const WindowSpec& window, WindowProcedure& procedure) override;
    void showWindow() override;
    void setWindowTitle(std::string_view title) override;
    // Runs until the next quit message; a later call runs again (tests and benchmarks do).
    int runMessageLoop() override;
    void postQuit(int exitCode) override;
    Surface& windowSurface() override;
    void present(Rect area) override;
    void invalidate() override;
    // Moves the window on platforms that let a program place its windows (not Wayland).
    void moveWindow(Rect outer, bool repaint) override;
    int clientWidth() override;
    int clientHeight() override;
    int fullScreenClientHeight() override;
    bool isMinimized() override;
    void sendClose() override;
    void destroyWindow() override;
    void checkMenuItem(int command, bool checked) override;
    void enableMenuItem(int command, bool enabled) override;
    void setMenuItemText(int command, std::string_view text, std::string_view tip) override;
    void setMenuItemTip(int command, std::string_view tip) override;
    int setBoardScale(int scale) override;
    int largestFittingBoardScale() override;
    CursorShape setCursor(CursorShape shape) override;
    DialogButton messageBox(const MessageBoxRequest& request) override;
    std::optional<FileChoice> openFileDialog(const FileDialogRequest& request) override;
    std::optional<FileChoice> saveFileDialog(const FileDialogRequest& request) override;
    // Files are written where they were chosen: there is nothing to hand over.
    std::string deliverFile(const std::string& path) override;
    // Qt's print dialog; its "Print to File (PDF)" printer stays offered.
    std::unique_ptr<PrintSurface> printDialog(std::string_view title) override;
    // A synchronous sound returns once it has ended, and never later than its length plus
    // SOUND_END_MARGIN_MS; without an audio output it waits out the length all the same.
    void playSound(std::string_view fileName, SoundMode mode) override;
    void stopSound() override;
    // From the monotonic clock.
    uint32_t tickCount() override;
    void waitUntilAfter(uint32_t startTick, uint32_t milliseconds) override;
    // A single-shot QTimer that posts the message.
    void setTimer(uint32_t milliseconds) override;
    LocalTime localTime() override;
    void copyImageToClipboard(const Surface& image) override;
    // The embedded page in the help window.
    void showHelp(std::string_view helpFile) override;
    // Windows of their own beside the main window (platform/qt/result_windows.h).
    void showMemberTable(const MemberTableContents& contents) override;
    void selectMemberTableRow(int member) override;
    void closeMemberTable() override;
    void showPicture(std::string_view title, const Surface& picture) override;
    // The board view's accessible name; an announcement becomes its accessible description. Each
    // change is sent to screen readers as an accessibility event.
    void describeBoard(std::string_view summary) override;
    void announce(std::string_view text) override;
    // In the user's configuration and state folders (platform/user_files.h). State is written
    // and removed by a StateWriter, off the window's thread, writes at most once a second; all of
    // it is in place once the shell is destroyed.
    std::optional<std::string> loadStored(StoreKind kind, std::string_view name) override;
    bool store(StoreKind kind, std::string_view name, std::string_view contents) override;
    void removeStored(StoreKind kind, std::string_view name) override;

    static constexpr uint32_t SOUND_END_MARGIN_MS = 250;

    // The outer window is larger than its client area by this much, as on the platform the
    // program's layout was drawn for: a 640 x 480 window has a 632 x 436 client area.
    static constexpr int FRAME_WIDTH = 8;
    static constexpr int FRAME_HEIGHT = 44;

    // ---- For tests and measurements
    // Called with every dialog once it is up (a message box, a file or print dialog), inside
    // its modal loop; a test inspects it and answers by clicking its buttons.
    void setDialogHook(std::function<void(QDialog&)> hook) { dialogHook_ = std::move(hook); }
    // Called once, when the board first reaches the screen.
    void setFirstFrameObserver(std::function<void()> observer);
    // Called with every message box as it is shown.
    void setMessageBoxObserver(std::function<void(const MessageBoxRequest&)> observer) {
        messageBoxObserver_ = std::move(observer);
    }
    ShellWindow* mainWindow() const { return window_; }
    HelpWindow* helpWindow() const { return help_.get(); }
    MemberTableWindow* memberTableWindow() const { return table_.get(); }
    PictureWindow* pictureWindow() const { return picture_.get(); }

  private:
    struct Queued {
        bool quit;
        int exitCode;
        WindowMessage message;
    };
    // Keeps messages from being delivered while it lives; the outermost one hands the queue to
    // the message loop again when it ends.
    class Hold {
      public:
        explicit Hold(QtShell& shell) : shell_(shell) { ++shell_.holds_; }
        ~Hold() {
            if (--shell_.holds_ == 0) shell_.scheduleDrain();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        QtShell& shell_;
    };

    // WindowSink
    void pointerMessage(const WindowMessage& message) override;
    void commandChosen(int command) override;
    void closeRequested() override;
    void minimizedChanged(bool minimized) override;

    void post(const WindowMessage& message);
    void scheduleDrain();
    void drain();
    void deliver(const WindowMessage& message);
    void presentDirty();
    // Sleeps for about this long in an event loop that handles everything but user input.
    void answerWindowSystemFor(uint32_t milliseconds);
    QWidget* dialogOwner(bool ownedByMainWindow) const;
    std::optional<FileChoice> fileDialog(bool save, const FileDialogRequest& request);
    void runDialog(QDialog& dialog);

    QtShellOptions options_;
    QObject context_;  // receives the shell's queued calls; they die with the shell
    WindowProcedure* procedure_ = nullptr;
    Surface surface_;
    ShellWindow* window_ = nullptr;  // owned; deleted by destroyWindow
    bool created_ = false;
    bool alive_ = false;
    bool invalid_ = false;
    int holds_ = 0;
    bool draining_ = false;
    bool drainScheduled_ = false;
    std::deque<Queued> queue_;
    std::optional<int> quitCode_;
    QEventLoop* messageLoop_ = nullptr;
    CursorShape cursor_ = CursorShape::Arrow;
    std::unique_ptr<InstanceLock> lock_;
    std::string tag_;  // this process's tag, once asked for
    SoundPlayer sound_;
    std::unique_ptr<HelpWindow> help_;
    std::unique_ptr<MemberTableWindow> table_;
    std::unique_ptr<PictureWindow> picture_;
    QString lastFolder_;  // where the last file dialog was answered; the next one opens there
    std::function<void(QDialog&)> dialogHook_;
    std::function<void()> firstFrame_;
    std::function<void(const MessageBoxRequest&)> messageBoxObserver_;
    std::unique_ptr<StateWriter> stateWriter_;
    QTimer* timer_ = nullptr;  // owned by context_  // made with the first store of state
};
