// The shell without a screen, for tests and the command-line tool. The window is an in-memory
// surface; input is posted by the caller and delivered by pumpMessages, with a Paint after the queue
// has run dry whenever the window was invalidated; dialogs take scripted answers and every box and
// dialog shown is recorded, as are sounds, cursors, check marks, clipboard images, help requests and
// every print operation; the clock is virtual, and a wait moves it on without taking any real time.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

struct HeadlessOptions {
    // The outer window is larger than its client area by this much: a 640 x 480 window gets the
    // 632 x 436 client area the program's layout is drawn for.
    int frameWidth = 8;
    int frameHeight = 44;
    int fullScreenClientHeight = 720;
    bool previousInstanceRunning = false;
    // What instanceTag() answers: empty as a run that made the single-instance check, a tag as
    // one that could not; and the tags instanceMayBeRunning() counts as running (all others ended).
    std::string instanceTag;
    std::vector<std::string> runningInstances;
    bool displayModesWork = false;  // when false, every display-mode change is refused
    bool printerFontsAvailable = true;
    // When not empty, the printer refuses every job with this reason.
    std::string printerRefusal;
    // A scripted message-box answer that the box does not offer is a mistake in a test, caught by
    // an assertion; with lenientAnswers the box takes its default button instead (for scripts
    // written by people, such as replays).
    bool lenientAnswers = false;
    // Where what outlives a run is kept: in the shell's memory (setStored, stored) when empty,
    // otherwise as files in this folder, configuration and state alike (made when first written).
    // Never the user's own folders: a run of the headless shell must not take or remove the copy
    // of unsaved work a desktop run left there.
    std::string storeFolder;
    bool reducedMotion = false;  // what prefersReducedMotion() answers
    bool contestServer = false;  // what reachesContestServer() answers
    int largestFittingBoardScale = 1;
    uint32_t startTick = 100000;
    LocalTime localTime{2024, 3, 15, 9, 5, 0};
};

// What the user would notice, in the order it happened, pointing into the record lists below.
enum class ShellEventKind : uint8_t {
    MessageBox,
    FileDialog,
    PrintDialog,
    Sound,
    Clipboard,
    Help,
    Picture,       // pictures()
    MemberTable,   // shown or refreshed: memberTables()
    Announcement,  // announcements()
};

struct ShellEvent {
    ShellEventKind kind;
    size_t index;   // into messageBoxes(), fileDialogs(), printDialogAnswers(), sounds(),
                    // clipboardImages() or helpRequests()
    uint32_t tick;  // virtual clock when it happened (for a box or dialog: when it was answered)
};

struct MessageBoxRecord {
    MessageBoxRequest request;
    DialogButton answer;
};

struct FileDialogRecord {
    bool save;  // false: the open dialog
    FileDialogRequest request;
    std::optional<FileChoice> answer;
};

enum class SoundAction : uint8_t { PlaySynchronous, PlayAsynchronous, PlayLooping, Stop };

struct SoundRecord {
    SoundAction action;
    std::string fileName;  // empty for Stop
    uint32_t tick;         // virtual clock when the call was made
};

struct MenuCheckRecord {
    int command;
    bool checked;
};

struct DisplayModeRecord {
    int width;  // 0 x 0 records a restore
    int height;
};

enum class PrintOpKind : uint8_t {
    StartDocument,  // text: the document name
    StartPage,
    EndPage,
    EndDocument,
    SelectFont,       // a: height in units; b: 1 when the font was made
    SetWindowOrigin,  // a, b
    SelectPen,        // pen
    MoveTo,           // a, b
    LineTo,           // a, b
    Rectangle,        // a, b, c, d
    Ellipse,          // a, b, c, d
    TextOut,          // a, b, text
    Release,          // the surface was destroyed
};

struct PrintOp {
    PrintOpKind kind = PrintOpKind::StartPage;
    int a = 0, b = 0, c = 0, d = 0;
    Pen pen{};
    std::string text;
};

struct PrintJobRecord {
    std::vector<PrintOp> ops;
};

// Draws a recorded job's pages with the raster at one pixel per logical unit (100 dots per inch),
// a page of 850 x 1100 pixels whose top-left pixel is the printable area's corner; text uses the
// embedded 8x14 font whatever height was asked for. For looking at a report while working on it.
std::vector<Surface> renderPrintPages(const PrintJobRecord& job);

class HeadlessShell final : public Shell {
  public:
    explicit HeadlessShell(HeadlessOptions options = {});
    ~HeadlessShell() override;
    HeadlessShell(const HeadlessShell&) = delete;
    HeadlessShell& operator=(const HeadlessShell&) = delete;

    // ---- The contract
    bool previousInstanceRunning() override;
    std::string instanceTag() override { return options_.instanceTag; }
    std::vector<std::string> storedNames(StoreKind kind) override;
    bool instanceMayBeRunning(std::string_view tag) override;
    bool changeDisplayMode(int width, int height) override;
    void restoreDisplayMode() override;
    bool createMainWindow(const WindowSpec& window, WindowProcedure& procedure) override;
    void showWindow() override;
    void setWindowTitle(std::string_view title) override { title_ = title; }
    // Pumps; returns the exit code, or NO_QUIT when the queue ran dry first.
    int runMessageLoop() override;
    void postQuit(int exitCode) override;
    Surface& windowSurface() override;
    void present(Rect area) override;
    void invalidate() override;
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
    // Answers with the next scripted answer, or with the default button when none is left.
    DialogButton messageBox(const MessageBoxRequest& request) override;
    // Answer with the next scripted choice, or cancel when none is left.
    std::optional<FileChoice> openFileDialog(const FileDialogRequest& request) override;
    std::optional<FileChoice> saveFileDialog(const FileDialogRequest& request) override;
    // Files are written where they were chosen: there is nothing to hand over, unless a failure
    // was scripted (failNextDelivery). Every path is recorded.
    std::string deliverFile(const std::string& path) override;
    // Prints (to a recorded job) or cancels as scripted; cancels when nothing is scripted.
    std::unique_ptr<PrintSurface> printDialog(std::string_view title) override;
    // A synchronous sound moves the clock on by its length (setSoundLength; 0 by default).
    void playSound(std::string_view fileName, SoundMode mode) override;
    void stopSound() override;
    uint32_t tickCount() override;
    void waitUntilAfter(uint32_t startTick, uint32_t milliseconds) override;
    // Due on the shell's clock: pumpMessages delivers it once the clock has reached it.
    void setTimer(uint32_t milliseconds) override;
    LocalTime localTime() override;
    void copyImageToClipboard(const Surface& image) override;
    void showHelp(std::string_view helpFile) override;
    std::optional<std::string> loadStored(StoreKind kind, std::string_view name) override;
    bool store(StoreKind kind, std::string_view name, std::string_view contents) override;
    void removeStored(StoreKind kind, std::string_view name) override;
    void showMemberTable(const MemberTableContents& contents) override;
    void selectMemberTableRow(int member) override;
    void closeMemberTable() override { memberTable_.reset(); }
    void showPicture(std::string_view title, const Surface& picture) override;
    void describeBoard(std::string_view summary) override { boardDescription_ = summary; }
    void announce(std::string_view text) override;
    bool prefersReducedMotion() override { return options_.reducedMotion; }
    bool reachesContestServer() override { return options_.contestServer; }
    std::optional<ContestEntry> contestDialog(const ContestEntry& proposed) override;
    ContestAnswer submitToContest(const ContestEntry& entry, std::string_view bridgeText) override;

    static constexpr int NO_QUIT = -1;

    // ---- The user's side. Input is queued and delivered by pumpMessages; window changes the user
    // makes (minimize, restore, resize) deliver Size at once and invalidate the window.
    void postCommand(int command);
    void postPointerMove(int x, int y, bool leftButtonDown);
    void postLeftButtonDown(int x, int y);
    void postLeftButtonUp(int x, int y);
    void postCloseBox();
    void postKey(KeyName key, bool shift);
    // The member table's own messages (TableRowSelected and the others) for member, with value
    // for a size; the table's own view of the selection follows.
    void postTableMessage(MessageKind kind, int member, int value = 0);
    void minimize();
    void restore();
    void resizeByUser(Rect outer);

    // Delivers the queued messages in order, and a Paint whenever the queue is empty and the window
    // invalid, then a Timer that is due, until nothing is left or the quit message is reached. Returns how
    // many messages were delivered.
    int pumpMessages();

    // ---- Scripted answers, used in the order given
    void answerMessageBox(DialogButton button);  // must be one of that box's buttons
    void answerFileDialog(std::string path);     // the title is taken from the path
    void cancelFileDialog();
    void answerPrintDialog(bool print);
    // The next deliverFile fails with this reason, as a browser's can.
    void failNextDelivery(std::string reason) { deliveryFailures_.push_back(std::move(reason)); }
    // The contest dialog's next answer (nothing: cancelled), and the server's next answer to a
    // submission (without one, the server is not reached).
    void answerContestDialog(std::optional<ContestEntry> entry) {
        contestEntries_.push_back(std::move(entry));
    }
    void answerContestSubmission(ContestAnswer answer) { contestAnswers_.push_back(std::move(answer)); }

    // ---- Clock and settings
    void advanceClock(uint32_t milliseconds);
    void setLocalTime(LocalTime time) { options_.localTime = time; }
    void setSoundLength(std::string_view fileName, uint32_t milliseconds);
    // What the shell's memory keeps (without a storeFolder): set before a run, read after it.
    void setStored(StoreKind kind, std::string_view name, std::string contents);
    std::optional<std::string> stored(StoreKind kind, std::string_view name) const;
    // Everything another shell's memory keeps, as the next run of the program finds it.
    void keepStoredOf(const HeadlessShell& earlier) { *stored_ = *earlier.stored_; }
    // From now on one memory for both shells, as two copies of the program running at once share
    // the user's folders; other must outlive this shell.
    void shareStoredWith(HeadlessShell& other) { stored_ = other.stored_; }
    // Called with the window surface and the area each time something is shown (a frame).
    void setPresentObserver(std::function<void(const Surface&, Rect)> observer);

    // ---- What happened
    bool windowCreated() const { return created_; }
    bool windowAlive() const { return alive_; }
    bool windowVisible() const { return visible_; }
    bool windowInvalid() const { return invalid_; }
    std::optional<int> quitCode() const { return quitCode_; }
    Rect outerRect() const { return outer_; }
    const std::string& windowTitle() const { return title_; }
    const std::vector<MessageBoxRecord>& messageBoxes() const { return messageBoxes_; }
    const std::vector<FileDialogRecord>& fileDialogs() const { return fileDialogs_; }
    int printDialogsShown() const { return printDialogsShown_; }
    // One entry per print dialog shown: whether it printed, and the job it printed to.
    struct PrintDialogRecord {
        bool printed;
        size_t job;  // index into printJobs() when printed
    };
    const std::vector<PrintDialogRecord>& printDialogAnswers() const { return printDialogRecords_; }
    const std::vector<ShellEvent>& events() const { return events_; }
    const std::deque<PrintJobRecord>& printJobs() const { return printJobs_; }
    const std::vector<SoundRecord>& sounds() const { return sounds_; }
    const std::vector<CursorShape>& cursorChanges() const { return cursorChanges_; }
    CursorShape cursor() const { return cursor_; }
    const std::vector<MenuCheckRecord>& menuChecks() const { return menuChecks_; }
    bool isMenuItemChecked(int command) const;
    bool isMenuItemEnabled(int command) const;
    // The item's text as last set, or nothing when it keeps its table text.
    std::optional<std::string> menuItemText(int command) const;
    std::optional<std::string> menuItemTip(int command) const;
    int boardScale() const { return boardScale_; }
    const std::vector<Surface>& clipboardImages() const { return clipboardImages_; }
    const std::vector<std::string>& helpRequests() const { return helpRequests_; }
    const std::vector<DisplayModeRecord>& displayModeRequests() const { return displayModes_; }
    const std::vector<std::string>& deliveredFiles() const { return deliveredFiles_; }
    // What each contest dialog proposed, and each submission sent (entry and bridge text).
    const std::vector<ContestEntry>& contestDialogs() const { return contestDialogs_; }
    const std::vector<std::pair<ContestEntry, std::string>>& contestSubmissions() const {
        return contestSubmissions_;
    }
    int framesPresented() const { return framesPresented_; }
    // The member table as last shown, or nothing while it is closed; and each time it was shown.
    const std::optional<MemberTableContents>& memberTable() const { return memberTable_; }
    const std::vector<MemberTableContents>& memberTables() const { return memberTables_; }
    // The pictures shown by showPicture, with their titles, oldest first.
    const std::vector<std::pair<std::string, Surface>>& pictures() const { return pictures_; }
    const std::string& boardDescription() const { return boardDescription_; }
    const std::vector<std::string>& announcements() const { return announcements_; }

  private:
    struct Queued {
        bool quit;
        int exitCode;
        WindowMessage message;
    };

    void post(const WindowMessage& message);
    void deliver(const WindowMessage& message);
    void presentDirty();
    void applyOuterRect(Rect outer, SizeKind kind);
    void noteEvent(ShellEventKind kind, size_t index) { events_.push_back({kind, index, tick_}); }
    std::optional<FileChoice> fileDialog(bool save, const FileDialogRequest& request);

    HeadlessOptions options_;
    WindowProcedure* procedure_ = nullptr;
    Surface window_;
    Rect outer_{};
    std::string title_;
    bool created_ = false;
    bool alive_ = false;
    bool visible_ = false;
    bool minimized_ = false;
    bool invalid_ = false;
    int pumping_ = 0;
    std::deque<Queued> queue_;
    std::optional<int> quitCode_;
    uint32_t tick_;
    CursorShape cursor_ = CursorShape::Arrow;
    std::function<void(const Surface&, Rect)> presentObserver_;
    int framesPresented_ = 0;
    std::optional<uint32_t> timerDue_;  // the tick the timer runs out at

    std::deque<DialogButton> messageBoxAnswers_;
    std::deque<std::optional<std::string>> fileDialogAnswers_;
    std::deque<bool> printDialogAnswers_;
    std::deque<std::string> deliveryFailures_;
    std::deque<std::optional<ContestEntry>> contestEntries_;
    std::deque<ContestAnswer> contestAnswers_;
    std::vector<ContestEntry> contestDialogs_;
    std::vector<std::pair<ContestEntry, std::string>> contestSubmissions_;
    std::map<std::string, uint32_t, std::less<>> soundLengths_;
    std::map<int, bool> menuChecked_;
    std::map<int, bool> menuEnabled_;
    std::map<int, std::string> menuTexts_;
    std::map<int, std::string> menuTips_;
    int boardScale_ = 1;
    using StoredMap = std::map<std::pair<StoreKind, std::string>, std::string, std::less<>>;
    StoredMap ownStored_;
    StoredMap* stored_ = &ownStored_;  // this shell's own, or the one it shares

    std::vector<MessageBoxRecord> messageBoxes_;
    std::vector<FileDialogRecord> fileDialogs_;
    int printDialogsShown_ = 0;
    std::deque<PrintJobRecord> printJobs_;  // a deque keeps each job in place while it is recorded
    std::vector<SoundRecord> sounds_;
    std::vector<CursorShape> cursorChanges_;
    std::vector<MenuCheckRecord> menuChecks_;
    std::vector<Surface> clipboardImages_;
    std::vector<std::string> helpRequests_;
    std::vector<DisplayModeRecord> displayModes_;
    std::vector<std::string> deliveredFiles_;
    std::vector<PrintDialogRecord> printDialogRecords_;
    std::vector<ShellEvent> events_;
    std::optional<MemberTableContents> memberTable_;
    std::vector<MemberTableContents> memberTables_;
    std::vector<std::pair<std::string, Surface>> pictures_;
    std::string boardDescription_;
    std::vector<std::string> announcements_;
};
