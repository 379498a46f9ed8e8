// The services the program asks of its platform: the one main window and its messages, the menu's
// check marks, cursors, message boxes, file and print dialogs, sounds, the millisecond clock, the
// local time, the clipboard, help pages, the single-instance indication and display modes.
// Everything runs on one thread; every call returns only when its work is done (state may be
// written a moment later, see store), and dialogs block until the user answers. Backends:
// platform/headless (tests and the command-line tool), platform/qt (the desktop program) and
// platform/web (the browser).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/print_surface.h"
#include "platform/raster/surface.h"

// ---- Messages to the application -------------------------------------------------------------

enum class MessageKind : uint8_t {
    Create,          // inside createMainWindow, before it returns; the window surface exists
    Destroy,         // the window is going away; its surface is still there during the message
    Size,            // the window was resized, minimized, maximized or restored
    Paint,           // the window was invalidated; redraw it (the window counts as valid again)
    Close,           // the close box, or sendClose(); by default the window is destroyed
    Command,         // a menu command
    PointerMove,     // the pointer moved over the client area
    LeftButtonDown,  // the left button was pressed over the client area
    LeftButtonUp,    // the left button was released over the client area
    Key,             // a key was pressed while the board had the keyboard: key, shift
    Timer,           // the time set with setTimer has passed
    // The member table (Shell::showMemberTable), each naming a member by its number:
    TableRowSelected,  // the user moved the table's selection to member's row
    TableSizeChosen,   // the user gave member the size value (1..12) in the size column
    TableRowOpened,    // a double click, or Enter, on member's row
    TableClosed,       // the user closed the table
};

// The keys the board takes; the others go to the menus and the window system.
enum class KeyName : uint8_t { None, Left, Right, Up, Down, Enter, Escape, Tab };

enum class SizeKind : uint8_t { Restored, Minimized, Maximized };

struct WindowMessage {
    MessageKind kind = MessageKind::Paint;
    int command = 0;                         // Command: the menu command id
    Point pointer{};                         // pointer messages: client pixels
    bool leftButtonDown = false;             // PointerMove: whether the left button is held
    SizeKind sizeKind = SizeKind::Restored;  // Size
    int clientWidth = 0;                     // Size: the new client size in pixels (0 when minimized)
    int clientHeight = 0;
    KeyName key = KeyName::None;  // Key
    bool shift = false;           // Key: Shift was held
    int member = 0;               // the Table messages: the member's number
    int value = 0;                // TableSizeChosen: the size chosen
};

// What the window procedure did with a message. Default asks for the platform's own handling, which
// only Close has: it destroys the window.
enum class MessageResult : uint8_t { Handled, Default };

// The application's main window procedure. The shell calls it for every message of the main window,
// one at a time; it may call the shell from inside, including dialogs and waits, which deliver no
// further messages until they return (a message sent from inside, such as sendClose, is handled at
// once, nested).
class WindowProcedure {
  public:
    virtual ~WindowProcedure() = default;
    virtual MessageResult handleMessage(const WindowMessage& message) = 0;
};

// ---- Values of the services ------------------------------------------------------------------

// The main window's title and outer rectangle in screen pixels. The client area is smaller by the
// frame, caption and menu: a 640 x 480 window has a 632 x 436 client area.
struct WindowSpec {
    std::string title;
    Rect outer{0, 0, 640, 480};
};

enum class CursorShape : uint8_t { Arrow, Wait };

enum class MessageIcon : uint8_t { None, Information, Warning, Question, Error };
enum class MessageButtons : uint8_t { Ok, YesNo, YesNoCancel };
enum class DialogButton : uint8_t { Ok, Yes, No, Cancel };

// Whom a message box keeps from working while it is up: the owner window (Application), every
// window of the program (Task), or the whole desktop, drawn on top of everything (System). Every
// box blocks the caller until it is answered.
enum class Modality : uint8_t { Application, Task, System };

struct MessageBoxRequest {
    std::string text;  // '\n' breaks lines
    std::string caption;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
    DialogButton defaultButton = DialogButton::Ok;  // must be one of the buttons
    bool ownedByMainWindow = false;
    Modality modality = Modality::Application;
};

struct FileFilter {
    std::string description;  // "Bridge Files (*.BRG)"
    std::string pattern;      // "*.BRG"; several patterns are separated by ';'
    friend bool operator==(const FileFilter&, const FileFilter&) = default;
};

// Splits a filter text whose last character is its separator, such as
// "Bridge Files (*.BRG)|*.BRG|All files (*.*)|*.*|", into (description, pattern) pairs. A
// trailing description without a pattern is dropped.
std::vector<FileFilter> parseFileFilters(std::string_view text);

struct FileDialogRequest {
    std::vector<FileFilter> filters;
    int selectedFilter = 1;        // 1-based index into filters
    bool pathMustExist = false;    // open: the folder must exist
    bool fileMustExist = false;    // open: the file must exist
    bool promptOverwrite = false;  // save: ask before replacing an existing file
    bool ownedByMainWindow = true;
    // save: a name to offer ("PRATT.BRG"); only the browser offers it, where the name also names
    // a download. The desktop's dialogs start empty.
    std::string proposedName;
};

// Paths the dialogs return fit a buffer of this many characters plus a terminator; a longer choice
// is reported as a cancel.
constexpr int DIALOG_PATH_CHARS = 4095;

struct FileChoice {
    std::string path;   // as chosen, no extension added
    std::string title;  // the file name without its folder
};

enum class SoundMode : uint8_t {
    Synchronous,   // returns when the sound has ended
    Asynchronous,  // returns at once; the sound plays once
    Looping,       // returns at once; the sound repeats until stopped or replaced
};

// What the program keeps between runs: the user's configuration (recent files, the board's zoom)
// and its state (unsaved work kept against a crash).
enum class StoreKind : uint8_t { Configuration, State };

struct LocalTime {
    int year = 0;   // e.g. 2024
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
};

// The member table: one row per member in member order, each cell a text and a number to sort
// by (the table sorts its rows itself; the row order given is the member order).
struct TableCell {
    std::string text;
    double sortKey = 0.0;
};

struct MemberTableContents {
    std::string title;                         // the window's or panel's caption
    std::vector<std::string> headings;         // one per column
    std::vector<std::vector<TableCell>> rows;  // rows[i] is member i + 1
    int sizeColumn = -1;                       // the column (from 0) whose size the user may change
    std::vector<std::string> sizeChoices;      // what the size column offers, size 1 first
    int selectedMember = 0;                    // the row selected, 0 for none
};

// A submission to a class contest: what the user typed (the class code as given to the class,
// the team's name and its PIN of 4 to 12 digits).
struct ContestEntry {
    std::string classCode;
    std::string team;
    std::string pin;
};

// The contest server's answer to a submission. reached is false when no answer came (error says
// why); otherwise status is the HTTP status and, for a refusal, error the server's reason.
struct ContestAnswer {
    bool reached = false;
    int status = 0;
    std::string error;
    std::string verdict;  // "passed", "failed", "unstable" or the check's message
    double weight = 0.0;  // kips
    std::vector<std::string> brokenRules;
    int rank = 0;                        // among the approved teams; 0 when the team has none (yet)
    bool best = false;                   // this design is now the team's best
    std::vector<std::string> similarTo;  // teams whose design this one copies or nearly does
};

// The largest scale of the board's zoom.
constexpr int MAX_BOARD_SCALE = 4;

// ---- The shell -------------------------------------------------------------------------------

class Shell {
  public:
    virtual ~Shell() = default;

    // -- Start-up and display modes

    // Called once at start-up. True when another copy of the program is already running.
    virtual bool previousInstanceRunning() = 0;

    // True where the program runs in a tab of a web browser rather than a window of its own; the few
    // texts that say where to find the program follow it.
    virtual bool runsInBrowserTab() const { return false; }

    // Called once after previousInstanceRunning() said no. Empty when that check could be made, so
    // this run is the only one; otherwise a tag of this run's own (letters, digits and '-', at most
    // 32 characters) under which the program keeps its copy of unsaved work, so that no other
    // copy's clean exit removes it.
    virtual std::string instanceTag() = 0;
    // The plain names kept of a kind, in no particular order.
    virtual std::vector<std::string> storedNames(StoreKind kind) = 0;
    // False when the run that had this tag has ended for sure; true while it runs or when that
    // cannot be told.
    virtual bool instanceMayBeRunning(std::string_view tag) = 0;

    // Called at start-up when the command line asks for a resolution. Returns true only when the
    // screen was switched; a platform without display modes always returns false.
    virtual bool changeDisplayMode(int width, int height) = 0;

    // Called at exit after a successful change: puts back the mode that was current before it.
    virtual void restoreDisplayMode() = 0;

    // -- The main window and the message loop

    // Creates the main window, hidden, and delivers Create to procedure before returning; later
    // messages go to the same procedure, which must outlive the window. Returns false when the
    // window could not be made or was destroyed during Create.
    virtual bool createMainWindow(const WindowSpec& window, WindowProcedure& procedure) = 0;

    // Makes the main window visible.
    virtual void showWindow() = 0;

    // Gives the main window a new title.
    virtual void setWindowTitle(std::string_view title) = 0;

    // Delivers messages to the window procedure until postQuit; returns its exit code.
    virtual int runMessageLoop() = 0;

    // Called by the Destroy handler: the message loop ends once the messages already queued are done.
    virtual void postQuit(int exitCode) = 0;

    // The client area's pixels, valid from Create until Destroy has been handled; the reference stays
    // the same while the window lives, and its drawing state persists like an own device context.
    // Drawing on it is immediate: the shell shows what was drawn when the current message returns,
    // before a dialog opens, and inside every wait, or at once with present().
    virtual Surface& windowSurface() = 0;

    // Shows the given part of the window surface on the screen now.
    virtual void present(Rect area) = 0;

    // Marks the whole client area for repainting; a Paint message follows once the queued messages
    // have been handled. Nothing is erased.
    virtual void invalidate() = 0;

    // Moves and sizes the main window (outer rectangle, screen pixels). A change of size resizes the
    // window surface and delivers Size at once; repaint also invalidates the window.
    virtual void moveWindow(Rect outer, bool repaint) = 0;

    // The client area's current size; the window surface has this size.
    virtual int clientWidth() = 0;
    virtual int clientHeight() = 0;

    // The largest client height a window can have on this screen (the work area minus a caption).
    virtual int fullScreenClientHeight() = 0;

    // Shows every pixel of the client area as scale x scale pixels of the screen's own scale
    // (nearest neighbour; 1 to MAX_BOARD_SCALE), and the window grows or shrinks with it. The
    // window surface, the pointer messages and everything else stay in client pixels. Returns the
    // scale now shown.
    virtual int setBoardScale(int scale) = 0;

    // The largest scale at which the whole window fits in the screen's available area (at least 1).
    virtual int largestFittingBoardScale() = 0;

    // True while the window is minimized.
    virtual bool isMinimized() = 0;

    // Delivers Close to the window procedure at once (nested), as the Exit command does.
    virtual void sendClose() = 0;

    // Destroys the window: delivers Destroy, then drops the surface. Does nothing once destroyed.
    virtual void destroyWindow() = 0;

    // -- Menu and cursor

    // Puts or removes the check mark of the menu item with this command id; unknown ids are ignored.
    virtual void checkMenuItem(int command, bool checked) = 0;

    // Greys out (false) or enables the menu item with this command id; unknown ids are ignored.
    // Items start enabled.
    virtual void enableMenuItem(int command, bool enabled) = 0;

    // Gives the menu item with this command id a new text (with its mnemonic marked by '&' as in
    // "&1 PRATT.BRG") and a tip, shown in a status bar or as a tooltip; an empty text hides the
    // item. Items start with their table text. Unknown ids are ignored.
    virtual void setMenuItemText(int command, std::string_view text, std::string_view tip) = 0;

    // Gives the menu item with this command id a tip of its own (shown in a status bar or as a
    // tooltip), such as why it is greyed; an empty tip takes it away. Unknown ids are ignored.
    virtual void setMenuItemTip(int command, std::string_view tip) = 0;

    // The assignment in force, by its title; empty when none is. A backend whose window title
    // cannot be seen (a browser tab) shows it beside the board, with a way to close it that sends
    // CMD_FILE_CLOSE_ASSIGNMENT as the menu item does.
    virtual void showAssignment(std::string_view title) { (void)title; }

    // Shows the cursor over the program's window until the next change; returns the previous shape.
    virtual CursorShape setCursor(CursorShape shape) = 0;

    // -- Views of the results beside the main window (none of them blocks)

    // Opens the member table in a window or panel of its own beside the board, or shows it anew
    // with these contents when it is open; the table keeps the user's sort order, and the selected
    // member's row is brought into view. The user may sort by any column, select a row, change
    // a size (TableSizeChosen), open a row (TableRowOpened), close the table (TableClosed) and
    // copy the rows as shown to the clipboard as tab-separated text with a heading line.
    virtual void showMemberTable(const MemberTableContents& contents) { (void)contents; }
    // Moves the open table's selection to member's row (0: none) without sending TableRowSelected.
    virtual void selectMemberTableRow(int member) { (void)member; }
    // Closes the table if it is open; sends nothing.
    virtual void closeMemberTable() {}

    // Shows a picture (a chart) in a small window or dialog of its own with the given title,
    // replacing the one shown before; the user closes it. The picture is copied.
    virtual void showPicture(std::string_view title, const Surface& picture) {
        (void)title;
        (void)picture;
    }

    // -- What a screen reader is told

    // The board's accessible name: a summary of the bridge, given again whenever it changes.
    virtual void describeBoard(std::string_view summary) { (void)summary; }
    // Said once by a screen reader without interrupting it (a polite live region, an accessibility
    // event): where the keyboard cursor is, an edit made, a verdict.
    virtual void announce(std::string_view text) { (void)text; }
    // True when the user asked the system for less motion: animations that only explain stay still.
    virtual bool prefersReducedMotion() { return false; }

    // -- Dialogs (each blocks until the user answers)

    // Shows a message box; returns the button pressed. Closing an Ok box counts as Ok, closing a
    // Yes/No/Cancel box as Cancel; a Yes/No box cannot be closed without an answer.
    virtual DialogButton messageBox(const MessageBoxRequest& request) = 0;

    // The open and save file dialogs. Returns the chosen file, or nothing when cancelled.
    virtual std::optional<FileChoice> openFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<FileChoice> saveFileDialog(const FileDialogRequest& request) = 0;

    // Called after the program has written a file to a path a save dialog returned (or, for Save,
    // one returned earlier), and before it counts the file as saved. On the desktop the file is
    // already where the user chose; the browser hands it to the file the user picked or to a
    // download. Returns an empty text when it is there, otherwise one line saying why not.
    virtual std::string deliverFile(const std::string& path) = 0;

    // -- The class contest, where the program was opened from a contest server

    // True when the program can send bridges to a contest server: the page was served by one.
    virtual bool reachesContestServer() { return false; }
    // Asks for the class code, the team's name and its PIN, filled in with proposed (a backend may
    // fill an empty code with the contest the program was opened from). Nothing when cancelled.
    virtual std::optional<ContestEntry> contestDialog(const ContestEntry& proposed) {
        (void)proposed;
        return std::nullopt;
    }
    // Sends bridgeText (a bridge file's contents) to the contest under entry and waits for the
    // server's answer, which the user may also give up waiting for (then reached is false).
    virtual ContestAnswer submitToContest(const ContestEntry& entry, std::string_view bridgeText) {
        (void)entry;
        (void)bridgeText;
        return {};
    }

    // The print dialog, owned by the main window, offering no page range, no selection and no print
    // to file. Returns the chosen printer's surface, or nothing when cancelled. title names what is
    // printed (the bridge's name): a browser shows it as the page's title meanwhile, which is the
    // default name of a PDF saved from its dialog.
    virtual std::unique_ptr<PrintSurface> printDialog(std::string_view title) = 0;

    // -- Sound

    // Plays a sound file named by its bare file name, such as "truck.wav". Starting a sound ends the
    // one playing. A sound that cannot be found or played is silently skipped.
    virtual void playSound(std::string_view fileName, SoundMode mode) = 0;

    // Ends any sound that is playing.
    virtual void stopSound() = 0;

    // -- Time

    // Milliseconds since some fixed moment; wraps after 2^32 ms.
    virtual uint32_t tickCount() = 0;

    // Sends one Timer message once milliseconds have passed, through the queue as input comes
    // (never inside a message or a wait), in place of any timer set before; 0 cancels it. The
    // program sleeps meanwhile: animations that must let the user interrupt them step on it.
    virtual void setTimer(uint32_t milliseconds) = 0;

    // Returns once tickCount() - startTick > milliseconds (wrap-safe), at once if that already
    // holds; shows what was drawn first. Animations time their frames with it. The desktop shell
    // sleeps meanwhile and handles no input; the headless one just moves its clock on.
    virtual void waitUntilAfter(uint32_t startTick, uint32_t milliseconds) = 0;

    // The local date and time now.
    virtual LocalTime localTime() = 0;

    // -- What outlives a run

    // The contents kept under name (a plain file name such as "recovery.BRG"), or nothing when
    // nothing is kept there or it cannot be read.
    virtual std::optional<std::string> loadStored(StoreKind kind, std::string_view name) = 0;

    // Keeps contents under name in place of what was there, whole or not at all. Returns false
    // when it could not be kept. State may reach its lasting place later, off the caller's thread,
    // but never more than about two seconds after the call: a backend whose writes are slow keeps
    // only the newest contents of a name and writes at most once a second, and a write that fails
    // is tried again then. Until then loadStored and storedNames see the contents all the same.
    virtual bool store(StoreKind kind, std::string_view name, std::string_view contents) = 0;

    // Forgets what is kept under name; nothing happens when nothing is. State may go a moment
    // later, as store describes, but after everything stored before the call and at once after
    // it for loadStored and storedNames; no earlier store brings the name back.
    virtual void removeStored(StoreKind kind, std::string_view name) = 0;

    // -- Clipboard and help

    // Replaces the clipboard's contents with a copy of the image.
    virtual void copyImageToClipboard(const Surface& image) = 0;

    // Opens a help file, named by its bare file name such as "qx4menu.hlp", at its contents page.
    // A missing help file is silently skipped.
    virtual void showHelp(std::string_view helpFile) = 0;
};
