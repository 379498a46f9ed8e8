// The Qt shell on Qt's offscreen platform, driven as the program and a user drive it: a small
// window procedure records its messages and calls the shell back, and the tests choose menu items,
// press keys, point and click, and answer dialogs through the shell's dialog hook. Input that must
// wait in the window system's queue is injected there, as a real display delivers it.
#include <qpa/qplatformbackingstore.h>
#include <qpa/qwindowsysteminterface.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <set>
#include <vector>

#include "platform/qt/help_window.h"
#include "platform/qt/instance_lock.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/wav_clip.h"
#include "resources/embedded_resources.h"
#include "resources/menu_resource.h"

namespace {

constexpr uint32_t WAIT_MS = 400;
constexpr Color MARK = rgb(200, 30, 40);

// A window procedure in the program's manner: it records every message, marks Build and
// Coordinate Snap 5 when created, and hands commands to the test.
class Recorder final : public WindowProcedure {
  public:
    explicit Recorder(Shell& shell) : shell_(shell) {}

    MessageResult handleMessage(const WindowMessage& m) override {
        log.push_back(m);
        switch (m.kind) {
            case MessageKind::Create:
                shell_.checkMenuItem(CMD_MODE_BUILD, true);
                shell_.checkMenuItem(CMD_COORD_SNAP_5, true);
                break;
            case MessageKind::Destroy:
                shell_.postQuit(7);
                break;
            case MessageKind::Close:
                return MessageResult::Default;
            case MessageKind::Command:
                if (onCommand) onCommand(m.command);
                break;
            default:
                break;
        }
        return MessageResult::Handled;
    }

    int count(MessageKind kind) const {
        int n = 0;
        for (const WindowMessage& m : log) n += m.kind == kind;
        return n;
    }
    std::vector<int> commands() const {
        std::vector<int> ids;
        for (const WindowMessage& m : log) {
            if (m.kind == MessageKind::Command) ids.push_back(m.command);
        }
        return ids;
    }

    std::vector<WindowMessage> log;
    std::function<void(int)> onCommand;

  private:
    Shell& shell_;
};

// Runs the message loop until done() holds, or for at most timeoutMs; returns done().
bool runUntil(QtShell& shell, const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() > timeoutMs) {
            poll.stop();
            shell.postQuit(0);
        }
    });
    poll.start(1);
    shell.runMessageLoop();
    return done();
}

// Delivers what is queued, the paint included.
void settle(QtShell& shell) {
    runUntil(
        shell, [] { return false; }, 30);
}

// A shown main window of 632 x 436 board pixels with its Create and first Paint delivered.
struct Session {
    QTemporaryDir folder;
    QtShell shell{QtShellOptions{(folder.path() + QStringLiteral("/trussmill.lock")).toStdString()}};
    Recorder procedure{shell};

    Session() {
        shell.createMainWindow({"Trussmill v4.8", {0, 0, 640, 480}}, procedure);
        shell.showWindow();
        (void)QTest::qWaitForWindowActive(shell.mainWindow());
        settle(shell);
    }
    MainWindow& window() { return *shell.mainWindow(); }
    BoardView& view() { return shell.mainWindow()->view(); }
};

// The window system's position (whole native pixels in the main window) of the last device pixel
// of a board pixel, at its right and bottom edges.
QPointF nativePosition(BoardView& view, Point board) {
    const double ratio = view.devicePixelRatioF();
    const QPointF viewOrigin = QPointF(view.mapTo(view.window(), QPoint(0, 0))) * ratio;
    const int last = view.scale() - 1;
    return viewOrigin + QPointF(board.x * view.scale() + last, board.y * view.scale() + last);
}

// A click that waits in the window system's queue until the shell's event loop takes input.
void queueClick(BoardView& view, Point board) {
    QWindow* window = view.window()->windowHandle();
    const QPointF local = nativePosition(view, board);
    const QPointF global = local;  // the offscreen screen has the window at its origin
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

// A click on the title of the menu bar's first menu, waiting in the same queue.
void queueMenuBarClick(MainWindow& window) {
    QMenuBar* bar = window.menuBar();
    const QPoint title = bar->actionGeometry(bar->actions().front()).center();
    const QPointF native = QPointF(bar->mapTo(&window, title)) * window.windowHandle()->devicePixelRatio();
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window.windowHandle(), native, native, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window.windowHandle(), native, native, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

void queueKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers) {
    QWindow* window = widget.window()->windowHandle();
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QEvent::KeyPress, key, modifiers);
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QEvent::KeyRelease, key, modifiers);
}

// What the window shows on the screen: the offscreen platform's screen is the backing store.
QImage onScreen(MainWindow& window) {
    return window.backingStore()->handle()->toImage().convertToFormat(QImage::Format_RGB32);
}

// The screen pixel at the top-left corner of a board pixel.
QRgb screenPixel(const QImage& screen, BoardView& view, Point board) {
    const QPointF native = nativePosition(view, board) - QPointF(view.scale() - 1, view.scale() - 1);
    return screen.pixel(int(native.x()), int(native.y()));
}

}  // namespace

// How QCOMPARE prints a point.
namespace QTest {
template <>
char* toString(const Point& p) {
    return QTest::toString(QStringLiteral("(%1, %2)").arg(p.x).arg(p.y));
}
}  // namespace QTest

namespace {

// The files a file dialog lists in its folder, sorted without regard to case.
QStringList listedFiles(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    QStringList names;
    if (!view) return names;
    const QModelIndex folder = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(folder); ++row) {
        if (!view->isRowHidden(row, folder)) names << view->model()->index(row, 0, folder).data().toString();
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

// Picks a filter from the dialog's list as the user does.
void chooseFilter(QFileDialog& dialog, int index) {
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(list);
    list->setCurrentIndex(index);
    emit list->activated(index);
    emit list->textActivated(list->currentText());
}

QString plainText(const QAction* action) {
    QString text = action->text();
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

QChar mnemonicOf(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'&') {
            if (text[i + 1] != u'&') return text[i + 1].toLower();
            ++i;
        }
    }
    return QChar();
}

}  // namespace

class QtShellTest final : public QObject {
    Q_OBJECT

  private slots:
    void menuBarFollowsTheTable();
    void menuItemsAndKeysSendTheirIds();
    void checkMarksAreTheProgramsAlone();
    void pointerAndPaintInBoardPixels();
    void messageBoxesCarryTheRequest();
    void fileAndPrintDialogs();
    void waitsKeepPaintingAndHoldInput();
    void framesBeforeTheMessageLoop();
    void sounds();
    void windowLifecycle();
    void clipboardAndHelp();
    void singleInstance();
    void wavClips();
    void mnemonics();
};

void QtShellTest::menuBarFollowsTheTable() {
    Session s;
    // Walking the menu bar gives the table back: popups, items, separators and ids, in order.
    std::vector<MenuEntry> built;
    std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
        for (QAction* a : actions) {
            if (a->isSeparator()) {
                built.push_back({MenuEntryKind::Separator, "", 0});
            } else if (a->menu()) {
                built.push_back({MenuEntryKind::Popup, nullptr, 0});
                walk(a->menu()->actions());
                built.push_back({MenuEntryKind::End, "", 0});
            } else {
                built.push_back({MenuEntryKind::Command, nullptr, 0});
            }
        }
    };
    walk(s.window().menuBar()->actions());
    const std::span<const MenuEntry> table = loadMenu(MENU_RESOURCE_NAME);
    QCOMPARE(built.size(), table.size());
    for (size_t i = 0; i < table.size(); ++i) QCOMPARE(built[i].kind, table[i].kind);

    // Every command of the table has its item with the table's text; the help pages have none.
    for (const MenuEntry& e : table) {
        if (e.kind != MenuEntryKind::Command) continue;
        QAction* item = s.window().action(e.id);
        QVERIFY2(item, e.text);
        QCOMPARE(plainText(item), QString::fromLatin1(e.text));
    }
    QVERIFY(!s.window().action(CMD_HELP_MENU_COMMANDS));
    QVERIFY(!s.window().action(CMD_HELP_GETTING_STARTED));

    // Every menu's mnemonics differ; the bar's are the familiar ones.
    std::function<void(const QList<QAction*>&)> distinct = [&](const QList<QAction*>& actions) {
        std::set<QChar> seen;
        for (QAction* a : actions) {
            if (a->isSeparator()) continue;
            const QChar m = mnemonicOf(a->text());
            if (!m.isNull()) QVERIFY2(seen.insert(m).second, qPrintable(a->text()));
            if (a->menu()) distinct(a->menu()->actions());
        }
    };
    distinct(s.window().menuBar()->actions());
    QStringList bar;
    for (QAction* a : s.window().menuBar()->actions()) bar << a->text();
    QCOMPARE(bar, QStringList({"&File", "&Joints", "&Members", "&Display", "M&ode", "O&ptions", "&Special",
                               "&Help"}));

    // The usual shortcuts stand beside the File items.
    QCOMPARE(s.window().action(CMD_FILE_NEW)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    QCOMPARE(s.window().action(CMD_FILE_OPEN)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(s.window().action(CMD_FILE_SAVE)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(s.window().action(CMD_FILE_SAVE_AS)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    QCOMPARE(s.window().action(CMD_FILE_PRINT)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(s.window().action(CMD_FILE_EXIT)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QCOMPARE(s.window().windowTitle(), QStringLiteral("Trussmill v4.8"));
    QVERIFY(!s.window().windowIcon().isNull());
}

void QtShellTest::menuItemsAndKeysSendTheirIds() {
    Session s;
    s.procedure.log.clear();
    // Choosing every item sends its id, in the order chosen.
    std::vector<int> chosen;
    for (const MenuEntry& e : loadMenu(MENU_RESOURCE_NAME)) {
        if (e.kind != MenuEntryKind::Command) continue;
        s.window().action(e.id)->trigger();
        chosen.push_back(e.id);
    }
    settle(s.shell);
    QCOMPARE(s.procedure.commands(), chosen);

    // Shortcuts, the help keys, and a menu opened and chosen by its mnemonics.
    s.procedure.log.clear();
    QTest::keyClick(&s.window(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(&s.window(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&s.window(), Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(&s.window(), Qt::Key_F1);
    QTest::keyClick(&s.window(), Qt::Key_F1, Qt::ShiftModifier);
    settle(s.shell);
    QCOMPARE(s.procedure.commands(), (std::vector<int>{CMD_FILE_NEW, CMD_FILE_SAVE_AS, CMD_FILE_EXIT,
                                                       CMD_HELP_GETTING_STARTED, CMD_HELP_MENU_COMMANDS}));
    s.procedure.log.clear();
    QTest::keyClick(&s.window(), Qt::Key_O, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_C);
    QVERIFY(runUntil(s.shell, [&] { return !s.procedure.commands().empty(); }));
    QCOMPARE(s.procedure.commands(), std::vector<int>{CMD_MODE_CALCULATE});
}

void QtShellTest::checkMarksAreTheProgramsAlone() {
    Session s;
    // The marks set at Create show; unmarked items show no box.
    QVERIFY(s.window().action(CMD_MODE_BUILD)->isChecked());
    QVERIFY(s.window().action(CMD_COORD_SNAP_5)->isChecked());
    QVERIFY(!s.window().action(CMD_OPTION_DEAD_LOAD)->isChecked());
    QVERIFY(!s.window().action(CMD_OPTION_DEAD_LOAD)->isCheckable());

    // A click does not move a mark; the program's own calls do. Unknown ids are ignored.
    s.window().action(CMD_MODE_BUILD)->trigger();
    s.window().action(CMD_OPTION_DEAD_LOAD)->trigger();
    settle(s.shell);
    QVERIFY(s.window().action(CMD_MODE_BUILD)->isChecked());
    QVERIFY(!s.window().action(CMD_OPTION_DEAD_LOAD)->isChecked());
    s.procedure.onCommand = [&](int id) {
        if (id == CMD_OPTION_DEAD_LOAD) s.shell.checkMenuItem(id, true);
        if (id == CMD_MODE_REVIEW) {
            s.shell.checkMenuItem(CMD_MODE_BUILD, false);
            s.shell.checkMenuItem(CMD_MODE_REVIEW, true);
        }
    };
    s.window().action(CMD_OPTION_DEAD_LOAD)->trigger();
    s.window().action(CMD_MODE_REVIEW)->trigger();
    settle(s.shell);
    QVERIFY(s.window().action(CMD_OPTION_DEAD_LOAD)->isChecked());
    QVERIFY(s.window().action(CMD_MODE_REVIEW)->isChecked());
    QVERIFY(!s.window().action(CMD_MODE_BUILD)->isChecked());
    s.shell.checkMenuItem(12345, true);
    s.shell.checkMenuItem(CMD_HELP_GETTING_STARTED, true);
}

void QtShellTest::pointerAndPaintInBoardPixels() {
    // The scale is the screen's ratio rounded down, never below 1.
    QCOMPARE(boardScaleFor(1.0), 1);
    QCOMPARE(boardScaleFor(1.25), 1);
    QCOMPARE(boardScaleFor(1.5), 1);
    QCOMPARE(boardScaleFor(2.0), 2);
    QCOMPARE(boardScaleFor(2.5), 2);
    QCOMPARE(boardScaleFor(3.0), 3);
    QCOMPARE(boardScaleFor(0.75), 1);

    Session s;
    BoardView& view = s.view();
    const int scale = view.scale();
    QCOMPARE(scale, boardScaleFor(view.devicePixelRatioF()));
    QCOMPARE(view.size() * view.devicePixelRatioF(), QSize(632 * scale, 436 * scale));

    // Every device pixel of a board pixel maps back to it, at the edges too.
    const double ratio = view.devicePixelRatioF();
    for (const Point board : {Point{0, 0}, Point{631, 435}, Point{150, 250}, Point{7, 300}}) {
        for (int dx = 0; dx < scale; ++dx) {
            for (int dy = 0; dy < scale; ++dy) {
                const QPointF logical((board.x * scale + dx) / ratio, (board.y * scale + dy) / ratio);
                QCOMPARE(view.boardPixelAt(logical), board);
            }
        }
    }

    // Moves, presses and releases become pointer messages in board pixels, in order.
    s.procedure.log.clear();
    auto send = [&](QEvent::Type type, Point board, Qt::MouseButton button, Qt::MouseButtons held) {
        const QPointF at((board.x * scale + scale - 1) / ratio, (board.y * scale) / ratio);
        QMouseEvent event(type, at, view.mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    };
    send(QEvent::MouseMove, {200, 230}, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, {200, 230}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {260, 231}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {261, 232}, Qt::LeftButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, Qt::RightButton);  // not the left button
    settle(s.shell);
    std::vector<WindowMessage> pointer;
    for (const WindowMessage& m : s.procedure.log) {
        if (m.kind != MessageKind::Paint) pointer.push_back(m);
    }
    QCOMPARE(pointer.size(), size_t(4));
    QCOMPARE(pointer[0].kind, MessageKind::PointerMove);
    QCOMPARE(pointer[0].pointer, (Point{200, 230}));
    QVERIFY(!pointer[0].leftButtonDown);
    QCOMPARE(pointer[1].kind, MessageKind::LeftButtonDown);
    QCOMPARE(pointer[1].pointer, (Point{200, 230}));
    QCOMPARE(pointer[2].kind, MessageKind::PointerMove);
    QCOMPARE(pointer[2].pointer, (Point{260, 231}));
    QVERIFY(pointer[2].leftButtonDown);
    QCOMPARE(pointer[3].kind, MessageKind::LeftButtonUp);
    QCOMPARE(pointer[3].pointer, (Point{261, 232}));

    // Each board pixel reaches the screen as a scale x scale square of its colour, the corner
    // pixels included, without blending into its neighbours.
    Surface& surface = s.shell.windowSurface();
    surface.fill(WHITE);
    surface.setPixel(0, 0, rgb(255, 0, 0));
    surface.setPixel(631, 435, rgb(0, 0, 255));
    surface.setPixel(300, 200, rgb(0, 128, 0));
    s.shell.present(surface.takeDirtyRect());
    const QImage screen = onScreen(s.window());
    const QPoint origin = (QPointF(view.mapTo(&s.window(), QPoint(0, 0))) * ratio).toPoint();
    for (const Point board : {Point{0, 0}, Point{631, 435}, Point{300, 200}, Point{301, 200}}) {
        for (int dx = 0; dx < scale; ++dx) {
            for (int dy = 0; dy < scale; ++dy) {
                const QRgb shown =
                    screen.pixel(origin.x() + board.x * scale + dx, origin.y() + board.y * scale + dy);
                QCOMPARE(shown, surface.pixel(board.x, board.y));
            }
        }
    }
}

void QtShellTest::messageBoxesCarryTheRequest() {
    Session s;
    QMessageBox* seen = nullptr;
    std::function<void(QMessageBox&)> answer;
    s.shell.setDialogHook([&](QDialog& dialog) {
        seen = qobject_cast<QMessageBox*>(&dialog);
        if (seen && seen->isVisible()) answer(*seen);
        if (dialog.isVisible()) dialog.done(0);  // a failed check left it open
    });

    // The save question: text, caption, icon, buttons, default, owner; answered Cancel.
    MessageBoxRequest question{
        .text = "The current bridge has changes. \nDo you want to save before analyzing?",
        .caption = " ",
        .icon = MessageIcon::Warning,
        .buttons = MessageButtons::YesNoCancel,
        .defaultButton = DialogButton::Yes,
        .ownedByMainWindow = true};
    QWidget* owner = &s.window();
    answer = [owner](QMessageBox& box) {
        QCOMPARE(box.text(),
                 QStringLiteral("The current bridge has changes. \nDo you want to save before analyzing?"));
        QCOMPARE(box.textFormat(), Qt::PlainText);
        QCOMPARE(box.windowTitle(), QStringLiteral(" "));
        QCOMPARE(box.icon(), QMessageBox::Warning);
        QCOMPARE(box.standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.defaultButton(), box.button(QMessageBox::Yes));
        QCOMPARE(box.windowModality(), Qt::WindowModal);
        QVERIFY(box.parentWidget() == owner);
        box.button(QMessageBox::Cancel)->click();
    };
    QCOMPARE(s.shell.messageBox(question), DialogButton::Cancel);
    QVERIFY(seen);

    // The continue question cannot be closed or escaped, only answered; No is its default.
    question.text = "The current bridge has changes. \nDo you want to continue?";
    question.buttons = MessageButtons::YesNo;
    question.defaultButton = DialogButton::No;
    answer = [](QMessageBox& box) {
        QCOMPARE(box.defaultButton(), box.button(QMessageBox::No));
        box.close();
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.isVisible());
        QTest::keyClick(&box, Qt::Key_Return);  // the default button
    };
    QCOMPARE(s.shell.messageBox(question), DialogButton::No);

    // Closing a Yes/No/Cancel box answers Cancel, closing an Ok box answers Ok.
    question.buttons = MessageButtons::YesNoCancel;
    question.defaultButton = DialogButton::Yes;
    answer = [](QMessageBox& box) { box.close(); };
    QCOMPARE(s.shell.messageBox(question), DialogButton::Cancel);
    MessageBoxRequest notice;
    notice.text = "No Bridge!";
    answer = [](QMessageBox& box) {
        QCOMPARE(box.text(), QStringLiteral("No Bridge!"));
        QCOMPARE(box.windowTitle(), QString());
        QCOMPARE(box.icon(), QMessageBox::Information);
        QCOMPARE(box.standardButtons(), QMessageBox::Ok);
        QVERIFY(!box.parentWidget());
        QCOMPARE(box.windowModality(), Qt::ApplicationModal);
        QTest::keyClick(&box, Qt::Key_Escape);
    };
    QCOMPARE(s.shell.messageBox(notice), DialogButton::Ok);

    // A system-modal box stays above every window; a Yes answer comes back as Yes.
    const MessageBoxRequest system{.text = "Not enough memory available.",
                                   .caption = "ZAZUVI",
                                   .icon = MessageIcon::Information,
                                   .buttons = MessageButtons::YesNo,
                                   .defaultButton = DialogButton::Yes,
                                   .ownedByMainWindow = false,
                                   .modality = Modality::System};
    answer = [](QMessageBox& box) {
        QVERIFY(box.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(box.windowModality(), Qt::ApplicationModal);
        box.button(QMessageBox::Yes)->click();
    };
    QCOMPARE(s.shell.messageBox(system), DialogButton::Yes);

    // What was drawn before the box shows behind it; no message arrives while it is up.
    s.procedure.log.clear();
    s.shell.windowSurface().fillRect({10, 10, 20, 20}, MARK);
    answer = [&](QMessageBox& box) {
        QCOMPARE(screenPixel(onScreen(s.window()), s.view(), {15, 15}), MARK);
        s.window().action(CMD_FILE_NEW)->trigger();
        s.shell.invalidate();
        QTest::qWait(20);
        QVERIFY(s.procedure.log.empty());
        box.button(QMessageBox::Ok)->click();
    };
    s.shell.messageBox(notice);
    QVERIFY(s.procedure.log.empty());
    QTRY_COMPARE(QApplication::activeWindow(), &s.window());  // the keyboard is the program's again
    settle(s.shell);
    QCOMPARE(s.procedure.commands(), std::vector<int>{CMD_FILE_NEW});
    QCOMPARE(s.procedure.count(MessageKind::Paint), 1);
}

void QtShellTest::fileAndPrintDialogs() {
    Session s;
    QTemporaryDir folder;
    std::function<void(QDialog&)> answer;
    s.shell.setDialogHook([&](QDialog& dialog) {
        answer(dialog);
        if (dialog.isVisible()) dialog.reject();  // a failed check left it open
    });

    // The open dialog offers the filters as written, the chosen one selected, and wants an
    // existing file; its answer comes back as path and title.
    FileDialogRequest open;
    open.filters =
        parseFileFilters("Bridge Files (*.BRG)|*.BRG|All files (*.*)|*.*|DXF files (*.DXF)|*.DXF|");
    open.selectedFilter = 2;
    open.pathMustExist = true;
    open.fileMustExist = true;
    const QString existing = folder.path() + QStringLiteral("/PRATT.BRG");
    for (const char* name : {"PRATT.BRG", "howe.brg", "README", "notes.txt"}) {
        QFile(folder.path() + u'/' + QLatin1String(name)).open(QIODevice::WriteOnly);
    }
    answer = [&](QDialog& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        QCOMPARE(files.nameFilters(),
                 QStringList({"Bridge Files (*.BRG)", "All files (*.*)", "DXF files (*.DXF)"}));
        QCOMPARE(files.selectedNameFilter(), QStringLiteral("All files (*.*)"));
        // "*.*" lists every file, a name without a dot too; the bridge filter takes either case.
        files.setDirectory(folder.path());
        QTRY_COMPARE(listedFiles(files), QStringList({"howe.brg", "notes.txt", "PRATT.BRG", "README"}));
        chooseFilter(files, 0);
        QTRY_COMPARE(listedFiles(files), QStringList({"howe.brg", "PRATT.BRG"}));
        chooseFilter(files, 1);
        QTRY_COMPARE(listedFiles(files), QStringList({"howe.brg", "notes.txt", "PRATT.BRG", "README"}));
        QCOMPARE(files.acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(files.fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(files.parentWidget(), &s.window());
        QTest::keyClicks(files.focusWidget(), QStringLiteral("PRATT.BRG"));  // typed as the user does
        QTest::keyClick(files.focusWidget(), Qt::Key_Return);
    };
    std::optional<FileChoice> chosen = s.shell.openFileDialog(open);
    QVERIFY(chosen);
    QCOMPARE(QString::fromStdString(chosen->path), existing);
    QCOMPARE(chosen->title, std::string("PRATT.BRG"));

    // The save dialog asks before replacing a file when asked to, and opens where the last one
    // was answered; cancelling gives nothing.
    FileDialogRequest save;
    save.filters = parseFileFilters("VRML files (*.WRL)|*.WRL|All files (*.*)|*.*|");
    save.promptOverwrite = true;
    answer = [&](QDialog& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        QCOMPARE(files.acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!files.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(files.selectedNameFilter(), QStringLiteral("VRML files (*.WRL)"));
        QCOMPARE(files.directory().absolutePath(), QDir(folder.path()).absolutePath());
        files.reject();
    };
    QVERIFY(!s.shell.saveFileDialog(save));
    save.promptOverwrite = false;
    answer = [&](QDialog& dialog) {
        QVERIFY(static_cast<QFileDialog&>(dialog).testOption(QFileDialog::DontConfirmOverwrite));
        dialog.reject();
    };
    QVERIFY(!s.shell.saveFileDialog(save));

    // The print dialog offers no page range and no selection but keeps the PDF printer;
    // cancelled it gives no surface, accepted the printer's.
    answer = [&](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        QVERIFY(print);
        QVERIFY(print->testOption(QAbstractPrintDialog::PrintToFile));
        QVERIFY(!print->testOption(QAbstractPrintDialog::PrintPageRange));
        QVERIFY(!print->testOption(QAbstractPrintDialog::PrintSelection));
        dialog.reject();
    };
    QVERIFY(!s.shell.printDialog());
    answer = [](QDialog& dialog) { dialog.accept(); };
    QVERIFY(s.shell.printDialog());
}

void QtShellTest::waitsKeepPaintingAndHoldInput() {
    Session s;
    BoardView& view = s.view();
    uint32_t waited = 0;
    size_t deliveredDuringWait = 99;
    bool menuOpenDuringWait = true;
    QImage shownDuringWait;
    // Animate stands for any command that animates: it draws, then waits.
    s.procedure.onCommand = [&](int id) {
        if (id != CMD_MODE_ANIMATE) return;
        s.shell.windowSurface().fillRect({100, 100, 140, 120}, MARK);
        const uint32_t start = s.shell.tickCount();
        QTimer::singleShot(50, [&] {
            // The user clicks and presses F1; meanwhile the window is uncovered and must be
            // drawn again from the surface, which has changed without being shown yet.
            queueClick(view, {300, 200});
            queueKey(s.window(), Qt::Key_F1, Qt::NoModifier);
            queueMenuBarClick(s.window());
            s.shell.windowSurface().fillRect({400, 100, 420, 120}, MARK);
            view.update();
        });
        QTimer::singleShot(250, [&] {
            shownDuringWait = onScreen(s.window());
            deliveredDuringWait = s.procedure.log.size();
            menuOpenDuringWait = QApplication::activePopupWidget() != nullptr;
        });
        s.shell.waitUntilAfter(start, WAIT_MS);
        waited = s.shell.tickCount() - start;
    };
    s.procedure.log.clear();
    s.window().action(CMD_MODE_ANIMATE)->trigger();
    QVERIFY(runUntil(s.shell, [&] { return s.procedure.commands().size() == 2; }));

    // The wait lasted past its time, showed what was drawn before it, and painted the uncovered
    // window, all without delivering a message or letting a menu open.
    QVERIFY(waited > WAIT_MS);
    QCOMPARE(deliveredDuringWait, size_t(1));
    QVERIFY(!menuOpenDuringWait);
    QCOMPARE(screenPixel(shownDuringWait, view, {120, 110}), MARK);
    QCOMPARE(screenPixel(shownDuringWait, view, {410, 110}), MARK);

    // The input held meanwhile arrives afterwards, in the order it was made.
    std::vector<WindowMessage> after;
    for (const WindowMessage& m : s.procedure.log) {
        if (m.kind != MessageKind::PointerMove && m.kind != MessageKind::Paint) after.push_back(m);
    }
    QCOMPARE(after.size(), size_t(4));
    QCOMPARE(after[0].command, int(CMD_MODE_ANIMATE));
    QCOMPARE(after[1].kind, MessageKind::LeftButtonDown);
    QCOMPARE(after[1].pointer, (Point{300, 200}));
    QCOMPARE(after[2].kind, MessageKind::LeftButtonUp);
    QCOMPARE(after[3].command, int(CMD_HELP_GETTING_STARTED));
    QTRY_VERIFY(QApplication::activePopupWidget());  // the File menu, opened once the wait was over
    QApplication::activePopupWidget()->close();
}

void QtShellTest::framesBeforeTheMessageLoop() {
    Session s;
    s.procedure.log.clear();
    // Frames drawn with waits between them outside any message, as the intro runs before the
    // message loop: each wait ends only after its time, with its frame on the screen.
    constexpr int FRAMES = 6;
    constexpr uint32_t FRAME_MS = 70;
    QImage lastFrameShown;
    const uint32_t first = s.shell.tickCount();
    QTimer::singleShot(20, [&] { queueClick(s.view(), {65, 230}); });
    for (int frame = 0; frame < FRAMES; ++frame) {
        s.shell.windowSurface().setPixel(65, 236 - frame, BLACK);
        if (frame == FRAMES - 1) QTimer::singleShot(30, [&] { lastFrameShown = onScreen(s.window()); });
        const uint32_t frameStart = s.shell.tickCount();
        s.shell.waitUntilAfter(frameStart, FRAME_MS);
        QVERIFY(s.shell.tickCount() - frameStart > FRAME_MS);
    }
    QVERIFY(s.shell.tickCount() - first >= FRAMES * (FRAME_MS + 1));
    QCOMPARE(screenPixel(lastFrameShown, s.view(), {65, 236 - (FRAMES - 1)}), BLACK);
    QVERIFY(s.procedure.log.empty());

    // A wait whose time has passed returns at once, across the clock's wrap as well.
    QElapsedTimer clock;
    clock.start();
    s.shell.waitUntilAfter(s.shell.tickCount() - 200, 100);
    s.shell.waitUntilAfter(s.shell.tickCount() + 0x80000000u, 1000);
    QVERIFY(clock.elapsed() < 50);

    // The click made during the frames reaches the program once its message loop runs.
    QVERIFY(runUntil(s.shell, [&] { return s.procedure.count(MessageKind::LeftButtonUp) == 1; }));
    QCOMPARE(s.procedure.count(MessageKind::LeftButtonDown), 1);
}

void QtShellTest::sounds() {
    Session s;
    const std::optional<WavClip> horn = readWavClip(findResource("truckwh.wav")->bytes());
    QVERIFY(horn);
    // A synchronous sound takes its length, with or without an audio output, and not much more;
    // no message arrives meanwhile.
    s.procedure.log.clear();
    s.window().action(CMD_FILE_NEW)->trigger();
    QElapsedTimer clock;
    clock.start();
    s.shell.playSound("truckwh.wav", SoundMode::Synchronous);
    const qint64 took = clock.elapsed();
    QVERIFY2(took >= qint64(horn->lengthMs()), qPrintable(QString::number(took)));
    QVERIFY2(took < qint64(horn->lengthMs() + QtShell::SOUND_END_MARGIN_MS + 300),
             qPrintable(QString::number(took)));
    QVERIFY(s.procedure.log.empty());

    // Asynchronous and looping sounds, a stop, and a sound that does not exist return at once.
    clock.restart();
    s.shell.playSound("truckstr.wav", SoundMode::Asynchronous);
    s.shell.playSound("TRUCK.WAV", SoundMode::Looping);
    s.shell.stopSound();
    s.shell.stopSound();
    s.shell.playSound("missing.wav", SoundMode::Synchronous);
    s.shell.playSound("qx4gs.hlp", SoundMode::Synchronous);  // not a sound
    QVERIFY(clock.elapsed() < 200);
    settle(s.shell);
    QCOMPARE(s.procedure.commands(), std::vector<int>{CMD_FILE_NEW});
}

void QtShellTest::windowLifecycle() {
    Session s;
    QCOMPARE(s.shell.clientWidth(), 632);
    QCOMPARE(s.shell.clientHeight(), 436);
    QCOMPARE(s.shell.windowSurface().width(), 632);

    // However often the window is invalidated, one Paint follows the queued messages.
    s.procedure.log.clear();
    s.window().action(CMD_FILE_NEW)->trigger();
    s.shell.invalidate();
    s.shell.invalidate();
    s.window().action(CMD_FILE_OPEN)->trigger();
    settle(s.shell);
    QCOMPARE(s.procedure.log.size(), size_t(3));
    QCOMPARE(s.procedure.log[2].kind, MessageKind::Paint);

    // A taller window: Size at once with the new client size, the surface and view follow.
    s.procedure.log.clear();
    s.shell.moveWindow({0, 0, 640, 500}, true);
    QCOMPARE(s.procedure.log.size(), size_t(1));
    QCOMPARE(s.procedure.log[0].kind, MessageKind::Size);
    QCOMPARE(s.procedure.log[0].clientHeight, 456);
    QCOMPARE(s.shell.clientHeight(), 456);
    QCOMPARE(s.view().height() * s.view().devicePixelRatioF(), 456.0 * s.view().scale());
    settle(s.shell);
    QCOMPARE(s.procedure.count(MessageKind::Paint), 1);
    QVERIFY(s.shell.fullScreenClientHeight() > 0);

    // Minimize and restore arrive as Size messages; the restored window is painted again.
    s.procedure.log.clear();
    s.window().showMinimized();
    QVERIFY(runUntil(s.shell, [&] { return s.procedure.count(MessageKind::Size) == 1; }));
    QCOMPARE(s.procedure.log.back().sizeKind, SizeKind::Minimized);
    QVERIFY(s.shell.isMinimized());
    s.window().showNormal();
    QVERIFY(runUntil(s.shell, [&] { return s.procedure.count(MessageKind::Paint) == 1; }));
    QCOMPARE(s.procedure.count(MessageKind::Size), 2);
    QVERIFY(!s.shell.isMinimized());

    // The close box: Close, the default handling destroys the window, Destroy posts the quit.
    s.procedure.log.clear();
    s.window().close();
    QVERIFY(s.shell.mainWindow());  // the program decides, later
    QCOMPARE(s.shell.runMessageLoop(), 7);
    QCOMPARE(s.procedure.log.size(), size_t(2));
    QCOMPARE(s.procedure.log[0].kind, MessageKind::Close);
    QCOMPARE(s.procedure.log[1].kind, MessageKind::Destroy);
    QVERIFY(!s.shell.mainWindow());
    s.shell.invalidate();
    s.shell.sendClose();
    s.shell.destroyWindow();
    QCOMPARE(s.procedure.log.size(), size_t(2));
}

void QtShellTest::clipboardAndHelp() {
    Session s;
    // The board copy reaches the clipboard pixel for pixel.
    Surface copy(500, 250, rgb(0, 0, 128));
    copy.setPixel(0, 0, WHITE);
    copy.setPixel(499, 249, rgb(255, 0, 0));
    s.shell.copyImageToClipboard(copy);
    const QImage pasted = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(pasted.size(), QSize(500, 250));
    QCOMPARE(pasted.pixel(0, 0), WHITE);
    QCOMPARE(pasted.pixel(499, 249), rgb(255, 0, 0));
    QCOMPARE(pasted.pixel(250, 125), rgb(0, 0, 128));

    // Each help page opens in the one help window; a missing page changes nothing.
    s.shell.showHelp("qx4gs.hlp");
    HelpWindow* help = s.shell.helpWindow();
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->windowTitle(), QStringLiteral("Trussmill Help: Getting Started"));
    QVERIFY(help->toPlainText().contains(QStringLiteral("Getting Started with Trussmill")));
    s.shell.showHelp("QX4MENU.HLP");
    QCOMPARE(s.shell.helpWindow(), help);
    const QString menuTitle = help->windowTitle();
    QVERIFY(menuTitle != QStringLiteral("Trussmill Help: Getting Started"));
    s.shell.showHelp("missing.hlp");
    s.shell.showHelp("truck.wav");
    QCOMPARE(help->windowTitle(), menuTitle);
}

void QtShellTest::singleInstance() {
    QTemporaryDir folder;
    const std::string path = (folder.path() + QStringLiteral("/trussmill.lock")).toStdString();
    // The first copy runs, a second one is told so, and a copy after the first has ended runs.
    {
        QtShell first{QtShellOptions{path}};
        QVERIFY(!first.previousInstanceRunning());
        QVERIFY(!first.previousInstanceRunning());  // asking again keeps the answer
        QtShell second{QtShellOptions{path}};
        QVERIFY(second.previousInstanceRunning());
    }
    {
        QtShell later{QtShellOptions{path}};
        QVERIFY(!later.previousInstanceRunning());
    }

    // A copy that is killed leaves no lock behind.
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const InstanceLock lock(path);
        const char held = lock.acquired() ? 'y' : 'n';
        (void)!::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    QCOMPARE(::read(ready[0], &held, 1), ssize_t(1));
    QCOMPARE(held, 'y');
    {
        QtShell blocked{QtShellOptions{path}};
        QVERIFY(blocked.previousInstanceRunning());
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    QtShell afterCrash{QtShellOptions{path}};
    QVERIFY(!afterCrash.previousInstanceRunning());
}

void QtShellTest::wavClips() {
    // Every sound of the program is a clip the player takes, of a sensible length.
    for (const EmbeddedResource& r : embeddedResources()) {
        if (r.kind != ResourceKind::Sound) continue;
        const std::optional<WavClip> clip = readWavClip(r.bytes());
        QVERIFY2(clip, r.name);
        QCOMPARE(clip->channels, 1);
        QCOMPARE(clip->bitsPerSample, 16);
        QCOMPARE(clip->sampleRate, 22050);
        QVERIFY2(clip->lengthMs() >= 900 && clip->lengthMs() <= 3000, r.name);
        QCOMPARE(clip->samples.data(), r.begin + 44);
    }
    const EmbeddedResource* horn = findResource("truckwh.wav");
    QCOMPARE(readWavClip(horn->bytes())->lengthMs(), uint32_t(1000));

    // Broken files are refused: not RIFF, a chunk running past the end, no PCM, no format.
    std::vector<unsigned char> file(horn->begin, horn->end);
    auto refused = [](std::vector<unsigned char> bytes) { return !readWavClip(bytes).has_value(); };
    std::vector<unsigned char> bad = file;
    bad[0] = 'X';
    QVERIFY(refused(bad));
    QVERIFY(refused(std::vector<unsigned char>(file.begin(), file.begin() + 100)));
    QVERIFY(refused(std::vector<unsigned char>(file.begin(), file.begin() + 11)));
    bad = file;
    bad[20] = 3;  // IEEE float samples
    QVERIFY(refused(bad));
    bad = file;
    bad[22] = 6;  // six channels
    QVERIFY(refused(bad));
    bad = file;
    std::copy_n("junk", 4, bad.begin() + 12);  // the format chunk renamed: data comes first
    QVERIFY(refused(bad));
    // A data chunk of an odd length keeps whole frames only.
    bad = file;
    bad[40] = uint8_t(bad[40] - 1);
    bad.pop_back();
    const std::optional<WavClip> odd = readWavClip(bad);
    QVERIFY(odd);
    QCOMPARE(odd->samples.size() % 2, size_t(0));
}

void QtShellTest::mnemonics() {
    // First letters of words first, then any letter or digit; each taken once per menu.
    QString taken;
    QCOMPARE(withMnemonic("Save", taken), QStringLiteral("&Save"));
    QCOMPARE(withMnemonic("Save As...", taken), QStringLiteral("Save &As..."));
    QCOMPARE(withMnemonic("Show Stats", taken), QStringLiteral("S&how Stats"));
    QCOMPARE(taken, QStringLiteral("sah"));
    QString digits;
    QCOMPARE(withMnemonic("1", digits), QStringLiteral("&1"));
    QCOMPARE(withMnemonic("10", digits), QStringLiteral("1&0"));
    QCOMPARE(withMnemonic("11", digits), QStringLiteral("11"));
    QString ampersand;
    QCOMPARE(withMnemonic("R&D", ampersand), QStringLiteral("&R&&D"));
}

int main(int argc, char** argv) {
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QtShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "qt_shell_test.moc"
