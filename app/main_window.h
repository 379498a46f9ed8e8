// The main window procedure: creation and destruction of the drawing resources, sizing, painting,
// the close box, every menu command, the mouse and the keyboard. It owns no state of its own beyond the flags
// of a close in progress; everything it changes lives in the Program tables it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/edit_history.h"
#include "app/program_tables.h"
#include "display/board.h"
#include "display/result_views.h"
#include "files/assignment_file.h"
#include "files/export_file.h"
#include "model/model_outcome.h"
#include "platform/shell.h"

// The title of the main window; an active assignment's title follows it after " - ".
inline constexpr char PROGRAM_TITLE[] = "Trussmill v" TRUSSMILL_VERSION;

class MainWindow final : public WindowProcedure {
  public:
    MainWindow(Shell& shell, Program& program);

    MessageResult handleMessage(const WindowMessage& message) override;

    // Whether the creation handler already told the user that the window could not be set up.
    bool creationReported() const { return creationReported_; }

    // Opens the file as File/Open would once a file is chosen; a refused file is reported and
    // leaves the bridge as it was. Used for a file named on the command line. Returns whether the
    // file became the bridge.
    bool openFile(const char* path);
    // A file named on the command line: as openFile, after the unsaved-changes question when
    // there are changes (work brought back by offerRecovery).
    void openFromCommandLine(const char* path);

    // Start-up, before the window is shown: the board's zoom kept from the last run, or the
    // largest that fits the screen; and the recent files of the File menu.
    void applyKeptSettings();

    // Start-up, before the window is made: the tag this run keeps its copy of unsaved work under
    // (Shell::instanceTag), empty when it is the only run.
    void setInstanceTag(std::string tag);

    // Start-up, after the intro: when earlier runs ended without saving their changes (a crash, a
    // kill, a power cut), offers them back one at a time, until one is taken. Returns whether the
    // bridge now holds one.
    bool offerRecovery();

    // Makes the assignment file at path the active one: its options fixed, its title in the
    // window's, its limits checked after every analysis, kept for the next run until closed. A
    // file that does not read is reported and changes nothing. Returns whether it was taken.
    bool openAssignmentFile(const char* path);
    // File/Close Assignment: the options free again; nothing happens when none is in force.
    void closeAssignment();
    // File / Submit to Contest...
    void submitToContest();
    const std::optional<Assignment>& assignment() const { return assignment_; }

    // Whether the bridge has changes that were not saved.
    bool hasUnsavedChanges() const { return program_.model.savedFlag == 0; }

    const EditHistory& history() const { return history_; }

    // The keyboard cursor's board point, and whether it shows on the board: from the first key that
    // moves it until the next pointer move.
    Point keyCursor() const { return keyCursor_; }
    bool keyCursorShown() const { return keyCursorShown_; }

    // Whether the member results and kept displacements belong to the bridge as it stands, and
    // what Review draws in place of the plain bridge.
    bool resultsCurrent() const { return resultsCurrent_; }
    ResultView resultView() const;

  private:
    MessageResult dispatch(const WindowMessage& message);
    // After every message the user sent (not the ones sent from inside another): the saved state,
    // the Edit menu and the kept copy of unsaved work follow the bridge.
    void afterMessage();

    // -- Window messages (main_window.cpp)
    void onCreate();
    void onDestroy();
    void onSize(const WindowMessage& message);
    void onPaint();
    MessageResult onClose();

    // -- Menu commands (commands.cpp)
    void onCommand(int command);
    void newBridge();
    void exitProgram();
    void calculate();
    void animate();
    void copyToClipboard();
    void toggleGrid();
    void toggleOption(uint8_t& option, int command);
    // The value the active assignment fixes for an option's command, if it fixes one.
    std::optional<bool> fixedOption(int command) const;
    void setCoordinateSnap(int command);
    void setJointSnap(int command);
    void setDefaultSize(int command);
    // The part both Calculate and Animate start with: the empty-bridge notice, the save question
    // and the check. Returns false when the command stops there.
    bool readyToAnalyse(const char* emptyBridgeNotice);

    // -- Files, printing and exports (file_commands.cpp)
    void openBridge();
    void saveBridge();
    void saveBridgeAs();
    // The data report, or in Review the results report, on the printer the user chooses.
    void print();
    // Make DXF and Make VRML: the save dialog with the export's filter, then the exporter.
    void exportBridge(int filterId, ExportResult (*exporter)(const char*, const BridgeModel&));
    // Writes the bridge to path; tells the user when it cannot. Returns whether it was written.
    bool writeBridgeTo(const char* path);
    void reportRefusedFile(const char* path, const char* reason);
    // -- The assignment (file_commands.cpp)
    void openAssignment();
    // Start-up: the assignment active when the last run ended.
    void restoreAssignment();
    void activateAssignment(const Assignment& assignment);
    // The Options menu: check marks, and the options the assignment fixes greyed.
    void showOptions();
    // After an analysis: every limit of the assignment the bridge breaks, in one notice.
    void reportBrokenLimits();
    // A file written but not handed over to where the user wanted it (see Shell::deliverFile).
    void reportUndelivered(const char* path, const std::string& reason);

    // -- Undo, redo and zoom (edit_commands.cpp)
    // The user action a message starts or ends, for undo; only the outermost message counts.
    void beginAction();
    void endAction();
    void undo();
    void redo();
    // After an undo or a redo: the geometry, the saved state, Build mode when results were shown.
    void showRestoredBridge();
    void showEditState();
    void zoomTo(int scale);

    // -- What outlives a run: recovery of unsaved work, recent files, settings (kept_files.cpp)
    // Keeps the copy of unsaved work current, or drops it once the bridge is saved.
    void keepRecoveryCurrent();
    void dropRecovery();
    // The copy kept under tag, another run's or this one's: offered (true when taken), or removed.
    bool offerCopy(const std::string& tag);
    void dropCopy(const std::string& tag);
    void noteRecentFile(const char* path);
    void forgetRecentFile(const std::string& path);
    void showRecentFiles();
    void openRecentFile(int n);

    // -- Views of the results: force colours, deflected shape, member table, charts (result_views.cpp)
    // Display / Forces in Colour and Options / Live Results, kept between runs: flipped with the
    // check mark of their command and kept at once.
    void toggleKeptView(int command);
    void toggleDeflectedShape();
    void toggleMemberTable();
    // Start-up: the views and Live Results as the last run left them.
    void restoreKeptViews();
    // Right after an analysis: keeps its displacements and picks the load case to show first.
    void keepAnalysis();
    // After every message: results of a bridge that has changed since are no longer shown as its
    // own, and the member table follows the bridge, its results and the selection.
    void followBridgeWithViews();
    // Review with the deflected shape: Left and Right step through its load cases. Returns true
    // when the key was taken.
    bool stepDeflectedCase(KeyName key);
    void onTableMessage(const WindowMessage& message);
    // Review: a press that picks the deflected shape's load case, or the second press of a double
    // click that opens a member's chart. Returns true when the press was taken.
    bool pressOnResultView(Point pointer);
    void showForceChart(int member);
    void showMemberTable();
    // The swing of an unstable truss's mechanism: a frame per Timer message until the user clicks
    // or chooses a command.
    void swingMechanism();
    void stopSwinging();
    // -- Live Results (live_results.cpp)
    // Whether the board shows live results now: the option is on, the bridge has members and an
    // editing mode is active.
    bool liveResultsShown() const;
    // Checks and analyses a copy of the bridge (with a joint being dragged at the grid point it
    // would drop on) and fills view with what the board shows of it; the check's marks, if it
    // stopped, into marks.
    void analyseLive(ResultView& view, ModelOutcome& marks);

    // -- Mouse (mouse.cpp)
    // The press and release of the left button as one user action, from the mouse or from Enter.
    void pressLeftButton(Point pointer);
    void releaseLeftButton(Point pointer);
    void onPointerMove(Point pointer, bool leftButtonDown);
    void onLeftButtonDown(Point pointer);
    void onLeftButtonUp(Point pointer);
    void pressInBuildMode(Point pointer);
    void releaseInBuildMode(Point pointer);
    void pressWithTool(Point pointer);
    void pressToMoveJoint(Point pointer);
    void dragJoint(Point pointer);
    void dropDraggedJoint(Point pointer);
    // Show Stats, Joints Show and Review: the clicked item, or the next one after the selection.
    void stepMemberSelection(Point pointer, bool showResults);
    // Selects member m and shows it; 0 and numbers past the last member wrap round to the other end.
    void showMemberSelection(int m, bool showResults);
    void stepJointSelection(Point pointer);
    // A member still open when something else needs the tables whole is taken back.
    void abandonOpenMember();
    // Likewise a joint drag still open (its release fell outside the drag area) ends with the
    // joint back where it stood: saved, analysed or edited, the tables show no joint in the air.
    void abandonOpenDrag();

    // -- Keyboard (keyboard.cpp)
    void onKey(KeyName key, bool shift);
    // Moves the cursor, kept inside the joint area, and shows it; to the tool it is a pointer move,
    // a drag while Enter holds a press.
    void moveKeyCursor(Point to);
    // Enter: a click, or in Build mode and Joints / Move a press held until the next Enter.
    void enterAtKeyCursor();
    // Escape: a member being drawn is not added, a joint being moved goes back.
    void cancelHeldPress();
    // Tab: the next or previous joint by number (step +1 or -1), wrapping round.
    void jumpKeyCursorToJoint(int step);
    // File New and Open: the cursor back on the left support, hidden.
    void resetKeyCursor();
    // Around every message the user sent: the cursor is off the window while the handlers draw, and
    // back on over what they drew.
    void takeKeyCursorOff();
    void putKeyCursorOn();

    // -- Shared helpers (main_window.cpp)
    void repaint() { shell_.invalidate(); }
    void selectTool(int16_t tool);
    void clearToolChecks();
    void clearCheckGroup(int first, int last, int step = 1);
    // A question about unsaved changes: owned by the window, warning icon, caption " ".
    DialogButton ask(const char* text, MessageButtons buttons, DialogButton defaultButton);
    // The unsaved-changes questions; each returns whether the command goes on.
    bool askToContinue();
    // Yes runs Save As and goes on whatever it did; returns false for Cancel.
    bool askToSaveBeforeAnalysis();
    // A notice: OK button, information icon, the given owner and caption.
    void notice(const char* text, bool owned, const char* caption = "",
                Modality modality = Modality::Application);
    // The messages of a model operation in order, then its marks; a repair also repaints.
    void showOutcome(const ModelOutcome& outcome, Modality modality);
    void showCoordinates();

    Shell& shell_;
    Program& program_;
    bool ready_ = false;             // the drawing resources exist
    bool creationReported_ = false;  // the creation handler showed its failure notice
    bool closeConfirmed_ = false;    // Exit asked already; the close that follows asks nothing
    int depth_ = 0;                  // messages being handled, nested ones included
    EditHistory history_;
    std::optional<bool> undoShown_;  // the Edit menu's items as last shown: enabled or not
    std::optional<bool> redoShown_;
    uint64_t recoveryVersion_ = 0;          // the history's version when the recovery copy was written
    bool recoveryKept_ = false;             // a copy of unsaved work is kept
    std::string instanceTag_;               // empty, or the tag of this run's copy's names
    bool closed_ = false;                   // the window is gone: nothing more is kept
    std::vector<std::string> recentFiles_;  // newest first
    std::optional<Assignment> assignment_;
    ContestEntry contestEntry_;  // as typed for the last submission of this run
    int boardScale_ = 1;
    // The results in the model and the kept displacements belong to the bridge as it stands.
    bool resultsCurrent_ = false;
    bool analysedInMessage_ = false;  // the message being handled ran an analysis
    uint64_t seenVersion_ = 0;        // the history's version after the last message
    uint64_t analysisCount_ = 0;
    // What the member table shows: for which version, analysis and results, and its selection.
    std::optional<std::tuple<uint64_t, uint64_t, bool>> tableShownFor_;
    int tableSelection_ = 0;
    uint32_t lastPressTick_ = 0;  // a press on a member in Review, for the double click
    int lastPressMember_ = 0;
    bool mechanismFound_ = false;  // program_.mechanism holds the last analysis's
    std::string instability_;      // why the last analysis found the truss unstable
    bool swinging_ = false;
    uint32_t swingStart_ = 0;                                 // tick of the swing's start
    Point keyCursor_{BOARD_ORIGIN_COLUMN, BOARD_ORIGIN_ROW};  // board pixels
    bool keyCursorShown_ = false;
    int keyCursorJoint_ = 0;        // the joint Tab last put the cursor on
    KeyCursorMark keyCursorMark_;   // where the cursor is drawn on the window, and what it covers
    uint8_t savedBeforePress_ = 1;  // the bridge's saved flag before the press being held
    std::string boardDescription_;  // the board's accessible name, as last given
    std::string liveVerdict_;       // the live note's lines, as last drawn
    std::string liveDetail_;
};
