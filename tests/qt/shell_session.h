// What the Qt shell's tests share: a window procedure that records its messages, a shown main
// window, the message loop run until something has happened, input injected into the window
// system's queue (where a real display puts it) and what the window shows on the screen.
#pragma once

#include <qpa/qplatformbackingstore.h>
#include <qpa/qwindowsysteminterface.h>

#include <QBackingStore>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "platform/qt/qt_shell.h"
#include "resources/menu_resource.h"

constexpr Color MARK = rgb(200, 30, 40);

// How QCOMPARE prints a point.
namespace QTest {
template <>
inline char* toString(const Point& p) {
    return QTest::toString(QStringLiteral("(%1, %2)").arg(p.x).arg(p.y));
}
}  // namespace QTest

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
inline bool runUntil(QtShell& shell, const std::function<bool()>& done, int timeoutMs = 5000) {
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
inline void settle(QtShell& shell) {
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
    ShellWindow& window() { return *shell.mainWindow(); }
    BoardView& view() { return shell.mainWindow()->view(); }
};

// The window system's position (whole native pixels in the main window) of the last device pixel
// of a board pixel, at its right and bottom edges.
inline QPointF nativePosition(BoardView& view, Point board) {
    const double ratio = view.devicePixelRatioF();
    const QPointF viewOrigin = QPointF(view.mapTo(view.window(), QPoint(0, 0))) * ratio;
    const int last = view.scale() - 1;
    return viewOrigin + QPointF(board.x * view.scale() + last, board.y * view.scale() + last);
}

// A click that waits in the window system's queue until the shell's event loop takes input.
inline void queueClick(BoardView& view, Point board) {
    QWindow* window = view.window()->windowHandle();
    const QPointF local = nativePosition(view, board);
    const QPointF global = local;  // the offscreen screen has the window at its origin
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

// A click on the title of the menu bar's first menu, waiting in the same queue.
inline void queueMenuBarClick(ShellWindow& window) {
    QMenuBar* bar = window.menuBar();
    const QPoint title = bar->actionGeometry(bar->actions().front()).center();
    const QPointF native = QPointF(bar->mapTo(&window, title)) * window.windowHandle()->devicePixelRatio();
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window.windowHandle(), native, native, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window.windowHandle(), native, native, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

inline void queueKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers) {
    QWindow* window = widget.window()->windowHandle();
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QEvent::KeyPress, key, modifiers);
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QEvent::KeyRelease, key, modifiers);
}

// What the window shows on the screen: the offscreen platform's screen is the backing store.
inline QImage onScreen(ShellWindow& window) {
    return window.backingStore()->handle()->toImage().convertToFormat(QImage::Format_RGB32);
}

// The screen pixel at the top-left corner of a board pixel.
inline QRgb screenPixel(const QImage& screen, BoardView& view, Point board) {
    const QPointF native = nativePosition(view, board) - QPointF(view.scale() - 1, view.scale() - 1);
    return screen.pixel(int(native.x()), int(native.y()));
}
