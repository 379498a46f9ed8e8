// The Qt shell's main window on Qt's offscreen platform and on X11, driven as the program and a
// user drive it: the menu bar from the table, ids, marks and keys; pointer input and painting in
// board pixels at device pixel ratios 1 and 2; waits that keep painting and hold the user's input;
// minimize, restore, size changes and the close box.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <set>

#include "platform/menu_text.h"
#include "platform/qt/result_windows.h"
#include "tests/qt/shell_session.h"

namespace {

constexpr uint32_t WAIT_MS = 400;

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

class QtWindowTest final : public QObject {
    Q_OBJECT

  private slots:
    void menuBarFollowsTheTable();
    void menuItemsAndKeysSendTheirIds();
    void checkMarksAreTheProgramsAlone();
    void pointerAndPaintInBoardPixels_data();
    void pointerAndPaintInBoardPixels();
    void waitsKeepPaintingAndHoldInput();
    void framesBeforeTheMessageLoop();
    void windowLifecycle();
    void mnemonics();
    void memberTableAndPicture();
};

void QtWindowTest::menuBarFollowsTheTable() {
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

    // Every command of the table has its item with the table's text; the recent files' items stay
    // hidden until the program names them, and one named again with nothing hides again.
    for (const MenuEntry& e : table) {
        if (e.kind != MenuEntryKind::Command) continue;
        QAction* item = s.window().action(e.id);
        QVERIFY2(item, e.text);
        QCOMPARE(plainText(item), QString::fromLatin1(e.text));
        QCOMPARE(item->isVisible(), recentFileOf(e.id) == 0);
    }
    s.shell.setMenuItemText(CMD_FILE_RECENT_1, "&1 PRATT.BRG", "/home/student/");
    QVERIFY(s.window().action(CMD_FILE_RECENT_1)->isVisible());
    QCOMPARE(s.window().action(CMD_FILE_RECENT_1)->text(), QStringLiteral("&1 PRATT.BRG"));
    QCOMPARE(s.window().action(CMD_FILE_RECENT_1)->toolTip(), QStringLiteral("/home/student/"));
    s.shell.setMenuItemText(CMD_FILE_RECENT_1, "", "");
    QVERIFY(!s.window().action(CMD_FILE_RECENT_1)->isVisible());
    s.shell.enableMenuItem(CMD_EDIT_UNDO, false);
    QVERIFY(!s.window().action(CMD_EDIT_UNDO)->isEnabled());

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
    QCOMPARE(bar, QStringList({"&File", "&Edit", "&Joints", "&Members", "&Display", "M&ode", "O&ptions",
                               "&Special", "&Help"}));

    // The usual shortcuts stand beside the File items.
    QCOMPARE(s.window().action(CMD_FILE_NEW)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    QCOMPARE(s.window().action(CMD_FILE_OPEN)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(s.window().action(CMD_FILE_SAVE)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(s.window().action(CMD_FILE_SAVE_AS)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    QCOMPARE(s.window().action(CMD_FILE_PRINT)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(s.window().action(CMD_FILE_EXIT)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QCOMPARE(s.window().action(CMD_EDIT_REDO)->shortcuts(),
             QList<QKeySequence>(
                 {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
    QCOMPARE(s.window().action(CMD_HELP_GETTING_STARTED)->shortcut(), QKeySequence(QStringLiteral("F1")));
    QCOMPARE(s.window().windowTitle(), QStringLiteral("Trussmill v4.8"));
    s.shell.setWindowTitle(
        "Trussmill v4.8 - Br\xC3\xBC"
        "cke");  // an assignment's title, UTF-8
    QCOMPARE(s.window().windowTitle(), QString::fromUtf8("Trussmill v4.8 - Br\xC3\xBC"
                                                         "cke"));
    QVERIFY(!s.window().windowIcon().isNull());
}

void QtWindowTest::menuItemsAndKeysSendTheirIds() {
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

void QtWindowTest::checkMarksAreTheProgramsAlone() {
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

void QtWindowTest::pointerAndPaintInBoardPixels_data() {
    QTest::addColumn<int>("zoom");
    QTest::newRow("actual size") << 1;
    QTest::newRow("zoomed 3 times") << 3;
}

void QtWindowTest::pointerAndPaintInBoardPixels() {
    // The scale is the screen's ratio rounded down, never below 1, times the zoom.
    QCOMPARE(boardScaleFor(1.0), 1);
    QCOMPARE(boardScaleFor(1.25), 1);
    QCOMPARE(boardScaleFor(1.5), 1);
    QCOMPARE(boardScaleFor(2.0), 2);
    QCOMPARE(boardScaleFor(2.5), 2);
    QCOMPARE(boardScaleFor(3.0), 3);
    QCOMPARE(boardScaleFor(0.75), 1);

    QFETCH(int, zoom);
    Session s;
    BoardView& view = s.view();
    QCOMPARE(s.shell.setBoardScale(zoom), zoom);
    QCOMPARE(s.shell.setBoardScale(MAX_BOARD_SCALE + 1), MAX_BOARD_SCALE);
    s.shell.setBoardScale(zoom);
    const int scale = view.scale();
    QCOMPARE(scale, boardScaleFor(view.devicePixelRatioF()) * zoom);
    QCOMPARE(view.size() * view.devicePixelRatioF(), QSize(632 * scale, 436 * scale));
    QTRY_COMPARE(s.window().centralWidget()->size(), view.size());  // the window follows

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

void QtWindowTest::waitsKeepPaintingAndHoldInput() {
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

void QtWindowTest::framesBeforeTheMessageLoop() {
    Session s;
    s.procedure.log.clear();
    // Frames drawn with waits between them outside any message, as the intro runs before the
    // message loop: each wait ends only after its time, with its frame on the screen.
    constexpr int FRAMES = 6;
    constexpr uint32_t FRAME_MS = 70;
    QImage lastFrameShown;
    const uint32_t first = s.shell.tickCount();
    QTimer::singleShot(20, [&] {
        queueClick(s.view(), {65, 230});
        // The close box, pressed right after.
        QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            s.window().windowHandle());
    });
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

    // The click and the close made during the frames reach the program once its message loop
    // runs, in that order; the close ends it.
    QCOMPARE(s.shell.runMessageLoop(), 7);
    std::vector<MessageKind> kinds;
    for (const WindowMessage& m : s.procedure.log) {
        if (m.kind != MessageKind::PointerMove && m.kind != MessageKind::Paint) kinds.push_back(m.kind);
    }
    QCOMPARE(kinds, (std::vector<MessageKind>{MessageKind::LeftButtonDown, MessageKind::LeftButtonUp,
                                              MessageKind::Close, MessageKind::Destroy}));
}

void QtWindowTest::windowLifecycle() {
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

void QtWindowTest::mnemonics() {
    // First letters of words first, then any letter or digit; each taken once per menu.
    std::string taken;
    QCOMPARE(withMnemonic("Save", taken), std::string("&Save"));
    QCOMPARE(withMnemonic("Save As...", taken), std::string("Save &As..."));
    QCOMPARE(withMnemonic("Show Stats", taken), std::string("S&how Stats"));
    QCOMPARE(taken, std::string("sah"));
    std::string digits;
    QCOMPARE(withMnemonic("1", digits), std::string("&1"));
    QCOMPARE(withMnemonic("10", digits), std::string("1&0"));
    QCOMPARE(withMnemonic("11", digits), std::string("11"));
    std::string ampersand;
    QCOMPARE(withMnemonic("R&D", ampersand), std::string("&R&&D"));
}

// The member table beside the board: rows sorted by their keys, copied as shown, a selection made
// by the program sent nowhere, the user's keys, size choice and close sent as messages; then a
// picture window at the board's scale. First what a screen reader finds on the board: its name
// follows the bridge, and its description is the last announcement.
void QtWindowTest::memberTableAndPicture() {
    Session s;
    BoardView& board = s.window().view();
    s.shell.describeBoard("Bridge TEST, 3 joints, 3 members, 1.2 kips, not analysed");
    s.shell.announce("Member 3 added from joint 1 to joint 3");
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(&board);
    QCOMPARE(spoken->text(QAccessible::Name),
             QStringLiteral("Bridge TEST, 3 joints, 3 members, 1.2 kips, not analysed"));
    QCOMPARE(spoken->text(QAccessible::Description),
             QStringLiteral("Member 3 added from joint 1 to joint 3"));

    MemberTableContents contents;
    contents.title = "Members of TEST";
    contents.headings = {"Member", "Size", "Force (kips)"};
    contents.rows = {{{"1", 1}, {"4", 4}, {"70. T", 70}},
                     {{"2", 2}, {"5", 5}, {"120. C", -120}},
                     {{"3", 3}, {"4", 4}, {"", 1e300}}};
    contents.sizeColumn = 1;
    contents.sizeChoices = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    contents.selectedMember = 1;
    s.shell.showMemberTable(contents);
    MemberTableWindow& table = *s.shell.memberTableWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    QCOMPARE(table.windowTitle(), QStringLiteral("Members of TEST"));
    table.view().sortByColumn(2, Qt::AscendingOrder);  // by force: compression first, empty last
    QCOMPARE(table.shownText(),
             QStringLiteral("Member\tSize\tForce (kips)\n2\t5\t120. C\n1\t4\t70. T\n3\t4\t\n"));
    s.shell.selectMemberTableRow(3);
    settle(s.shell);
    QCOMPARE(s.procedure.count(MessageKind::TableRowSelected), 0);

    const auto last = [&] { return s.procedure.log.back(); };
    table.activateWindow();
    table.view().setFocus();
    QTest::keyClick(&table.view(), Qt::Key_Up);  // member 3 is last: up is member 1
    settle(s.shell);
    QCOMPARE(last().kind, MessageKind::TableRowSelected);
    QCOMPARE(last().member, 1);
    QTest::keyClick(&table.view(), Qt::Key_Return);
    settle(s.shell);
    QCOMPARE(last().kind, MessageKind::TableRowOpened);
    QCOMPARE(last().member, 1);
    const QModelIndex size = table.view().model()->index(1, 1);
    table.view().edit(size);
    auto* box = table.view().findChild<QComboBox*>();
    QVERIFY(box);
    box->setCurrentIndex(6);
    emit box->activated(6);
    settle(s.shell);
    QCOMPARE(last().kind, MessageKind::TableSizeChosen);
    QCOMPARE(last().member, 1);
    QCOMPARE(last().value, 7);
    QCOMPARE(table.view().model()->index(1, 1).data().toString(),
             QStringLiteral("4"));  // the program's to change
    table.close();
    settle(s.shell);
    QCOMPARE(last().kind, MessageKind::TableClosed);
    s.shell.showMemberTable(contents);
    s.shell.closeMemberTable();
    settle(s.shell);
    QCOMPARE(s.procedure.count(MessageKind::TableClosed), 1);

    Surface chart(56, 30, rgb(0, 0, 255));
    s.shell.setBoardScale(2);
    s.shell.showPicture("Member 2 of TEST", chart);
    PictureWindow& picture = *s.shell.pictureWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&picture));
    QCOMPARE(picture.windowTitle(), QStringLiteral("Member 2 of TEST"));
    const QLabel* label = picture.findChild<QLabel*>();
    QCOMPARE(label->pixmap().size(), QSize(112, 60));
    QCOMPARE(label->pixmap().toImage().pixel(111, 59), qRgb(0, 0, 255));
}

QObject* makeWindowTest() {
    return new QtWindowTest;
}

#include "window_test.moc"
