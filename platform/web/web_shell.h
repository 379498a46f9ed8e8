// The shell in a web page, for the browser build (Emscripten with Asyncify). The page's input is
// queued by trussmill_library.js and taken one item at a time by the message loop, with a Paint once
// the queue has run dry and the window is invalid. Every blocking call of the contract (dialogs,
// waits, synchronous sounds) suspends the program and returns to the browser, which goes on
// painting and queueing input; input is delivered only by the message loop, in order, as on the
// desktop. Files live in the in-memory file system; the page copies chosen and dropped files in and
// hands saved ones out (deliverFile).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

class WebShell final : public Shell {
  public:
    WebShell();
    ~WebShell() override;

    // ---- The contract
    // Another page of the same site that runs the program counts as a running copy.
    bool previousInstanceRunning() override;
    bool runsInBrowserTab() const override { return true; }
    // Where the site has no Web Locks (served over plain http), every tab runs, under a tag of its
    // own; the tabs that answered at start-up are the ones that may be running.
    std::string instanceTag() override;
    std::vector<std::string> storedNames(StoreKind kind) override;
    bool instanceMayBeRunning(std::string_view tag) override;
    // A page has no display modes: every change is refused and nothing is restored.
    bool changeDisplayMode(int width, int height) override;
    void restoreDisplayMode() override;
    bool createMainWindow(const WindowSpec& window, WindowProcedure& procedure) override;
    void showWindow() override;
    void setWindowTitle(std::string_view title) override;
    int runMessageLoop() override;
    void postQuit(int exitCode) override;
    Surface& windowSurface() override;
    void present(Rect area) override;
    void invalidate() override;
    void moveWindow(Rect outer, bool repaint) override;
    int clientWidth() override;
    int clientHeight() override;
    // The page scales the board to fit, so any height fits.
    int fullScreenClientHeight() override;
    bool isMinimized() override;
    void sendClose() override;
    void destroyWindow() override;
    void checkMenuItem(int command, bool checked) override;
    void enableMenuItem(int command, bool enabled) override;
    void setMenuItemText(int command, std::string_view text, std::string_view tip) override;
    void setMenuItemTip(int command, std::string_view tip) override;
    void showAssignment(std::string_view title) override;
    // The page's available area is the browser's viewport.
    int setBoardScale(int scale) override;
    int largestFittingBoardScale() override;
    CursorShape setCursor(CursorShape shape) override;
    DialogButton messageBox(const MessageBoxRequest& request) override;
    // A file dropped on the page answers the open dialog of the File/Open it stands for.
    std::optional<FileChoice> openFileDialog(const FileDialogRequest& request) override;
    std::optional<FileChoice> saveFileDialog(const FileDialogRequest& request) override;
    std::string deliverFile(const std::string& path) override;
    // The report goes to the browser's print dialog once it is drawn, which is where the user may
    // still cancel; this one never does.
    std::unique_ptr<PrintSurface> printDialog(std::string_view title) override;
    void playSound(std::string_view fileName, SoundMode mode) override;
    void stopSound() override;
    uint32_t tickCount() override;
    void waitUntilAfter(uint32_t startTick, uint32_t milliseconds) override;
    // Kept here and delivered by the message loop, which waits for input no longer than it.
    void setTimer(uint32_t milliseconds) override;
    // The canvas's aria-label, the page's live region and its reduced-motion media query.
    void describeBoard(std::string_view summary) override;
    void announce(std::string_view text) override;
    bool prefersReducedMotion() override;
    bool reachesContestServer() override;
    std::optional<ContestEntry> contestDialog(const ContestEntry& proposed) override;
    ContestAnswer submitToContest(const ContestEntry& entry, std::string_view bridgeText) override;
    LocalTime localTime() override;
    // Where the browser refuses, the user is told why.
    void copyImageToClipboard(const Surface& image) override;
    void showHelp(std::string_view helpFile) override;
    // In the site's storage of the browser.
    std::optional<std::string> loadStored(StoreKind kind, std::string_view name) override;
    bool store(StoreKind kind, std::string_view name, std::string_view contents) override;
    void removeStored(StoreKind kind, std::string_view name) override;
    // A panel beside the board (below it where the page has no room beside), which sorts its rows
    // itself; the picture goes to a small window of the page's own that the user may move.
    void showMemberTable(const MemberTableContents& contents) override;
    void selectMemberTableRow(int member) override;
    void closeMemberTable() override;
    void showPicture(std::string_view title, const Surface& picture) override;

    // The outer window is larger than its client area by this much, as on the desktop: a 640 x
    // 480 window has a 632 x 436 board.
    static constexpr int FRAME_WIDTH = 8;
    static constexpr int FRAME_HEIGHT = 44;

    // ---- For the page
    // Asked after every message: whether leaving the page now would lose work.
    void setUnsavedWorkQuery(std::function<bool()> query) { unsavedWork_ = std::move(query); }
    // A notice shown when the message loop starts (after the intro and the file it opens); several
    // are shown as one, a line each.
    void addStartupNotice(const std::string& text) {
        startupNotice_ += (startupNotice_.empty() ? "" : "\n") + text;
    }

    // The menu table with mnemonics and shortcuts as the page builds its menu bar from it:
    // [{"text": "&File", "items": [{"text": "&New", "id": 1001, "keys": "Ctrl+N"}, {}, ...]}, ...],
    // {} being a separator and a nested "items" a submenu; "hidden" lists the shortcuts of
    // commands without items.
    static std::string menuJson();
    // The table's contents as the page builds its panel from them: {"title": "...", "headings":
    // [...], "rows": [[["text", sortKey], ...], ...], "sizeColumn": 3, "sizeChoices": [...],
    // "selected": member}, a sort key JSON cannot hold being null.
    static std::string memberTableJson(const MemberTableContents& contents);

  private:
    struct Queued {
        bool quit;
        int exitCode;
        WindowMessage message;
    };

    bool takePageInput();
    void deliver(const WindowMessage& message);
    void presentDirty();
    void sleepUntilAfter(uint32_t startTick, uint32_t milliseconds);
    void notice(const std::string& text);

    WindowProcedure* procedure_ = nullptr;
    Surface surface_;
    std::vector<uint8_t> rgba_;  // the part of the surface on its way to the canvas
    bool created_ = false;
    bool alive_ = false;
    bool invalid_ = false;
    int depth_ = 0;  // messages being handled, nested ones included
    std::deque<Queued> queue_;
    std::optional<int> quitCode_;
    std::optional<uint32_t> timerDue_;  // tickCount() when the timer runs out
    CursorShape cursor_ = CursorShape::Arrow;
    std::optional<std::string> droppedFile_;  // answers the next open dialog
    std::function<bool()> unsavedWork_;
    bool unsavedShown_ = false;
    std::string startupNotice_;
};
