// The headless shell driven the way the program and a user would: a window procedure that asks
// questions, opens dialogs, waits, paints, prints and quits, and a test that scripts the answers.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/headless/headless_shell.h"

namespace {

constexpr int CMD_NEW = 1001;
constexpr int CMD_OPEN = 1002;
constexpr int CMD_PRINT = 1005;
constexpr int CMD_EXIT = 1007;
constexpr int CMD_WAIT = 9001;
constexpr int CMD_REPAINT = 9002;

// A small window procedure in the program's manner: it records what it was told and calls the
// shell back from inside its handlers.
class TestProcedure final : public WindowProcedure {
  public:
    explicit TestProcedure(Shell& shell) : shell_(shell) {}

    MessageResult handleMessage(const WindowMessage& m) override {
        log.push_back(m);
        switch (m.kind) {
            case MessageKind::Create:
                shell_.checkMenuItem(5001, true);
                if (failCreation) shell_.sendClose();  // as when the font cannot be made
                break;
            case MessageKind::Destroy:
                shell_.postQuit(0);
                break;
            case MessageKind::Size:
                // The program keeps its size: any restore moves it back.
                if (m.sizeKind != SizeKind::Minimized) shell_.moveWindow({0, 0, 640, 480}, true);
                break;
            case MessageKind::Paint:
                if (!shell_.isMinimized()) {
                    Surface& w = shell_.windowSurface();
                    w.fill(rgb(0, 0, 128));
                    w.textOut(4, 379, "GRID COORDINATES");
                }
                break;
            case MessageKind::Close:
                return MessageResult::Default;
            case MessageKind::Command:
                command(m.command);
                break;
            case MessageKind::PointerMove:
            case MessageKind::LeftButtonDown:
            case MessageKind::LeftButtonUp:
            case MessageKind::Key:
            case MessageKind::TableRowSelected:
            case MessageKind::TableSizeChosen:
            case MessageKind::TableRowOpened:
            case MessageKind::TableClosed:
                break;
        }
        return MessageResult::Handled;
    }

    std::vector<WindowMessage> log;
    std::vector<std::string> outcomes;
    bool failCreation = false;

  private:
    void command(int id) {
        if (id == CMD_NEW) {
            MessageBoxRequest question;
            question.text = "The current bridge has changes. \nDo you want to continue?";
            question.caption = " ";
            question.icon = MessageIcon::Warning;
            question.buttons = MessageButtons::YesNo;
            question.defaultButton = DialogButton::No;
            question.ownedByMainWindow = true;
            outcomes.push_back(shell_.messageBox(question) == DialogButton::No ? "kept" : "cleared");
        } else if (id == CMD_OPEN) {
            FileDialogRequest request;
            request.filters = parseFileFilters("Bridge Files (*.BRG)|*.BRG|All files (*.*)|*.*|");
            request.pathMustExist = true;
            request.fileMustExist = true;
            const std::optional<FileChoice> choice = shell_.openFileDialog(request);
            outcomes.push_back(choice ? choice->path + " " + choice->title : "cancelled");
        } else if (id == CMD_WAIT) {
            const uint32_t start = shell_.tickCount();
            shell_.setCursor(CursorShape::Wait);
            shell_.playSound("truckwh.wav", SoundMode::Asynchronous);
            shell_.waitUntilAfter(start, 1700);
            shell_.playSound("crash.wav", SoundMode::Looping);
            shell_.stopSound();
            shell_.setCursor(CursorShape::Arrow);
        } else if (id == CMD_REPAINT) {
            shell_.invalidate();
        } else if (id == CMD_PRINT) {
            std::unique_ptr<PrintSurface> printer = shell_.printDialog("");
            if (!printer) {
                outcomes.push_back("not printed");
                return;
            }
            printer->startDocument("QX DATA");
            printer->startPage();
            printer->selectFont(16);
            printer->setWindowOrigin(-50, 30);
            printer->rectangle(0, 0, 712, -980);
            printer->textOut(20, -30, "TITLE");
            printer->moveTo(45, -235);
            printer->lineTo(645, -235);
            printer->endPage();
            printer->endDocument();
            outcomes.push_back("printed");
        } else if (id == CMD_EXIT) {
            shell_.sendClose();
        }
    }

    Shell& shell_;
};

struct Fixture {
    HeadlessShell shell;
    TestProcedure procedure{shell};
    Fixture() {
        EXPECT_TRUE(shell.createMainWindow({"Trussmill v4.8", {0, 0, 640, 480}}, procedure));
        shell.showWindow();
        shell.pumpMessages();
        procedure.log.clear();
    }
};

int count(const std::vector<WindowMessage>& log, MessageKind kind) {
    int n = 0;
    for (const WindowMessage& m : log) n += m.kind == kind;
    return n;
}

}  // namespace

TEST(HeadlessShell, ScriptedExchange) {
    Fixture f;
    HeadlessShell& shell = f.shell;

    // A question answered No: the box is recorded with everything the program asked for.
    shell.answerMessageBox(DialogButton::No);
    shell.postCommand(CMD_NEW);
    // A file dialog cancelled, then one answered with a path.
    shell.cancelFileDialog();
    shell.postCommand(CMD_OPEN);
    shell.answerFileDialog("/tmp/bridges/BRIDGE1.BRG");
    shell.postCommand(CMD_OPEN);
    EXPECT_EQ(shell.pumpMessages(), 3);
    EXPECT_EQ(f.procedure.outcomes,
              (std::vector<std::string>{"kept", "cancelled", "/tmp/bridges/BRIDGE1.BRG BRIDGE1.BRG"}));
    ASSERT_EQ(shell.messageBoxes().size(), 1u);
    const MessageBoxRecord& box = shell.messageBoxes()[0];
    EXPECT_EQ(box.request.text, "The current bridge has changes. \nDo you want to continue?");
    EXPECT_EQ(box.request.caption, " ");
    EXPECT_EQ(box.request.icon, MessageIcon::Warning);
    EXPECT_EQ(box.request.buttons, MessageButtons::YesNo);
    EXPECT_EQ(box.request.defaultButton, DialogButton::No);
    EXPECT_TRUE(box.request.ownedByMainWindow);
    EXPECT_EQ(box.request.modality, Modality::Application);
    EXPECT_EQ(box.answer, DialogButton::No);
    ASSERT_EQ(shell.fileDialogs().size(), 2u);
    EXPECT_FALSE(shell.fileDialogs()[0].save);
    EXPECT_FALSE(shell.fileDialogs()[0].answer.has_value());
    EXPECT_EQ(shell.fileDialogs()[0].request.filters,
              (std::vector<FileFilter>{{"Bridge Files (*.BRG)", "*.BRG"}, {"All files (*.*)", "*.*"}}));
    EXPECT_TRUE(shell.fileDialogs()[0].request.fileMustExist);

    // An unscripted box takes its default button, as pressing Enter would.
    shell.postCommand(CMD_NEW);
    shell.pumpMessages();
    EXPECT_EQ(f.procedure.outcomes.back(), "kept");

    // A wait of 1700 ms moves the virtual clock past it and takes no real time; the sounds and
    // cursors around it are recorded with the clock.
    const uint32_t before = shell.tickCount();
    const auto realStart = std::chrono::steady_clock::now();
    shell.postCommand(CMD_WAIT);
    shell.pumpMessages();
    const auto realElapsed = std::chrono::steady_clock::now() - realStart;
    EXPECT_EQ(shell.tickCount() - before, 1701u);
    EXPECT_LT(realElapsed, std::chrono::milliseconds(500));
    ASSERT_EQ(shell.sounds().size(), 3u);
    EXPECT_EQ(shell.sounds()[0].action, SoundAction::PlayAsynchronous);
    EXPECT_EQ(shell.sounds()[0].fileName, "truckwh.wav");
    EXPECT_EQ(shell.sounds()[1].action, SoundAction::PlayLooping);
    EXPECT_EQ(shell.sounds()[1].tick - shell.sounds()[0].tick, 1701u);
    EXPECT_EQ(shell.sounds()[2].action, SoundAction::Stop);
    EXPECT_EQ(shell.cursorChanges(), (std::vector<CursorShape>{CursorShape::Wait, CursorShape::Arrow}));
    // A wait that has already passed returns at once; the clock's wrap is harmless.
    shell.waitUntilAfter(before, 100);
    EXPECT_EQ(shell.tickCount() - before, 1701u);
    HeadlessOptions nearWrap;
    nearWrap.startTick = 0xFFFFFF00u;
    HeadlessShell wrapping(nearWrap);
    wrapping.waitUntilAfter(wrapping.tickCount(), 1700);
    EXPECT_EQ(wrapping.tickCount(), 0xFFFFFF00u + 1701u);
    wrapping.waitUntilAfter(0xFFFFFF00u, 1000);  // already more than 1000 ms after, across the wrap
    EXPECT_EQ(wrapping.tickCount(), 0xFFFFFF00u + 1701u);
}

TEST(HeadlessShell, PaintsCloseAndQuit) {
    Fixture f;
    HeadlessShell& shell = f.shell;
    EXPECT_TRUE(shell.isMenuItemChecked(5001));
    EXPECT_EQ(shell.clientWidth(), 632);
    EXPECT_EQ(shell.clientHeight(), 436);

    // Invalidations, however many, give one Paint after the queued input has been handled.
    shell.postCommand(CMD_REPAINT);
    shell.postCommand(CMD_REPAINT);
    shell.postPointerMove(200, 200, true);
    shell.pumpMessages();
    ASSERT_EQ(f.procedure.log.size(), 4u);
    EXPECT_EQ(f.procedure.log[2].kind, MessageKind::PointerMove);
    EXPECT_TRUE(f.procedure.log[2].leftButtonDown);
    EXPECT_EQ(f.procedure.log[3].kind, MessageKind::Paint);
    EXPECT_EQ(shell.windowSurface().pixel(631, 435), rgb(0, 0, 128));
    EXPECT_FALSE(shell.windowInvalid());

    // Every frame shown is reported with the area that changed.
    std::vector<Rect> frames;
    shell.setPresentObserver([&](const Surface&, Rect area) { frames.push_back(area); });
    shell.postCommand(CMD_REPAINT);
    shell.pumpMessages();
    EXPECT_EQ(frames, (std::vector<Rect>{{0, 0, 632, 436}}));

    // A user's resize is undone by the procedure without looping; a minimized window paints nothing.
    f.procedure.log.clear();
    shell.resizeByUser({0, 0, 700, 500});
    EXPECT_EQ(shell.outerRect(), (Rect{0, 0, 640, 480}));
    EXPECT_EQ(count(f.procedure.log, MessageKind::Size), 2);
    shell.minimize();
    EXPECT_TRUE(shell.isMinimized());
    shell.restore();
    EXPECT_FALSE(shell.isMinimized());

    // Exit sends Close, whose default destroys the window; Destroy posts the quit, and input queued
    // after it is never delivered.
    f.procedure.log.clear();
    shell.postCommand(CMD_EXIT);
    shell.postCommand(CMD_NEW);
    EXPECT_EQ(shell.runMessageLoop(), 0);
    EXPECT_FALSE(shell.windowAlive());
    EXPECT_EQ(count(f.procedure.log, MessageKind::Close), 1);
    EXPECT_EQ(count(f.procedure.log, MessageKind::Destroy), 1);
    EXPECT_TRUE(shell.messageBoxes().empty());

    // A window closed by its own creation handler is not created, and the quit is on its way.
    HeadlessShell failing;
    TestProcedure refuses(failing);
    refuses.failCreation = true;
    EXPECT_FALSE(failing.createMainWindow({"Trussmill v4.8", {0, 0, 640, 480}}, refuses));
    EXPECT_EQ(count(refuses.log, MessageKind::Destroy), 1);
    EXPECT_EQ(failing.runMessageLoop(), 0);
}

TEST(HeadlessShell, PrintingIsRecordedAndRendered) {
    Fixture f;
    HeadlessShell& shell = f.shell;

    // A cancelled print dialog prints nothing.
    shell.postCommand(CMD_PRINT);
    shell.pumpMessages();
    EXPECT_EQ(f.procedure.outcomes.back(), "not printed");
    EXPECT_EQ(shell.printDialogsShown(), 1);
    EXPECT_TRUE(shell.printJobs().empty());

    // A printed job records every call in order, the release included.
    shell.answerPrintDialog(true);
    shell.postCommand(CMD_PRINT);
    shell.pumpMessages();
    ASSERT_EQ(shell.printJobs().size(), 1u);
    const std::vector<PrintOp>& ops = shell.printJobs()[0].ops;
    std::vector<PrintOpKind> kinds;
    for (const PrintOp& op : ops) kinds.push_back(op.kind);
    EXPECT_EQ(kinds, (std::vector<PrintOpKind>{PrintOpKind::StartDocument, PrintOpKind::StartPage,
                                               PrintOpKind::SelectFont, PrintOpKind::SetWindowOrigin,
                                               PrintOpKind::Rectangle, PrintOpKind::TextOut,
                                               PrintOpKind::MoveTo, PrintOpKind::LineTo, PrintOpKind::EndPage,
                                               PrintOpKind::EndDocument, PrintOpKind::Release}));
    EXPECT_EQ(ops[0].text, "QX DATA");
    EXPECT_EQ(ops[5].text, "TITLE");

    // Rendered at one pixel per 0.01 inch with y turned downward from the window origin (-50, 30):
    // the frame's corner (0, 0) is at pixel (50, 30), the span line at row 265 from column 95.
    const std::vector<Surface> pages = renderPrintPages(shell.printJobs()[0]);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].pixel(50, 30), BLACK);
    EXPECT_EQ(pages[0].pixel(50 + 711, 30 + 979), BLACK);
    EXPECT_EQ(pages[0].pixel(95, 265), BLACK);
    EXPECT_EQ(pages[0].pixel(94, 265), WHITE);
    EXPECT_EQ(pages[0].pixel(300, 500), WHITE);
}

TEST(HeadlessShell, OtherServicesAreRecorded) {
    // Start-up questions: no previous instance by default, display modes refused but recorded.
    HeadlessShell shell;
    EXPECT_FALSE(shell.previousInstanceRunning());
    EXPECT_FALSE(shell.changeDisplayMode(800, 600));
    ASSERT_EQ(shell.displayModeRequests().size(), 1u);
    EXPECT_EQ(shell.displayModeRequests()[0].width, 800);
    HeadlessOptions second;
    second.previousInstanceRunning = true;
    EXPECT_TRUE(HeadlessShell(second).previousInstanceRunning());

    // Clipboard images are copies; help requests keep their file names; local time is scripted.
    Surface board(500, 250, rgb(1, 1, 1));
    shell.copyImageToClipboard(board);
    board.fill(WHITE);
    ASSERT_EQ(shell.clipboardImages().size(), 1u);
    EXPECT_EQ(shell.clipboardImages()[0].pixel(499, 249), rgb(1, 1, 1));
    shell.showHelp("qx4menu.hlp");
    EXPECT_EQ(shell.helpRequests(), (std::vector<std::string>{"qx4menu.hlp"}));
    shell.setLocalTime({2025, 12, 31, 23, 59, 1});
    EXPECT_EQ(shell.localTime().hour, 23);

    // A synchronous sound takes its length on the virtual clock.
    shell.setSoundLength("truckstr.wav", 2500);
    const uint32_t before = shell.tickCount();
    shell.playSound("truckstr.wav", SoundMode::Synchronous);
    shell.playSound("truck.wav", SoundMode::Synchronous);
    EXPECT_EQ(shell.tickCount() - before, 2500u);

    // Filter texts: the last character is the separator; a dangling description is dropped.
    EXPECT_EQ(parseFileFilters("DXF files (*.DXF)#*.DXF#Odd#"),
              (std::vector<FileFilter>{{"DXF files (*.DXF)", "*.DXF"}}));
    EXPECT_TRUE(parseFileFilters("").empty());
}
