// The desktop shell's share of a paint and of an animation: a paint of the largest bridge the
// limits allow, from the Paint message to the pixels on the screen (the board redrawn in Review
// with every member's results, then shown), the processor time a truck drive of frame waits
// takes, and a click of the whole program that draws a member. Runs on the display in DISPLAY
// (run it inside xvfb-run for an X server), else offscreen; QT_SCALE_FACTOR=2 measures a 200 %
// screen. A slow disk (a network home folder) is imitated with
// LD_PRELOAD=build/.../benchmarks/libtrussmill_slow_fsync.so TRUSSMILL_FSYNC_MS=100.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "analysis/analysis.h"
#include "app/app_state.h"
#include "app/program.h"
#include "app/program_pictures.h"
#include "display/board.h"
#include "display/member_table.h"
#include "platform/qt/qt_shell.h"
#include "tests/analysis/analysis_bridges.h"

namespace {

constexpr int TRUCK_TOP_ROW = 235;
constexpr int TRUCK_WIDTH = 54;
constexpr int TRUCK_HEIGHT = 15;
constexpr uint32_t DRIVE_FRAME_MS = 50;

// The board's window procedure as the program has it: resources at Create, the board at Paint,
// and a truck drive for the Animate command.
class BoardProcedure final : public WindowProcedure {
  public:
    explicit BoardProcedure(QtShell& shell) : shell_(shell) {
        bridge_.model = largestLegalBridge(JointOrder::DeckFirst).model;
        results_ = std::make_unique<AnalysisResults>();
        auto workspace = std::make_unique<AnalysisWorkspace>();
        analyzeBridge(bridge_.model, AnalysisOptions{1, 1, 1, 1}, *results_, *workspace);
        state_.mode = Mode::Review;
        state_.selectedMember = 1;
    }

    MessageResult handleMessage(const WindowMessage& message) override {
        switch (message.kind) {
            case MessageKind::Create: {
                Pictures pictures;
                if (loadProgramPictures(pictures, nullptr)) {
                    createDrawingResources(shell_.windowSurface(), std::move(pictures), resources_);
                }
                state_.clientWidth = shell_.clientWidth();
                state_.clientHeight = shell_.clientHeight();
                break;
            }
            case MessageKind::Paint: {
                const BoardPaintInputs inputs =
                    boardPaintInputs(state_, false, results_->bridgeUnstable != 0);
                (void)paintBoard(shell_.windowSurface(), resources_, bridge_.model, inputs,
                                 state_.selectedMember, state_.panels);
                if (quitAfterPaint) shell_.postQuit(0);
                break;
            }
            case MessageKind::Command:
                if (message.command == CMD_MODE_ANIMATE) drive();
                shell_.postQuit(0);
                break;
            case MessageKind::Destroy:
                releaseDrawingResources(resources_);
                shell_.postQuit(0);
                break;
            default:
                break;
        }
        return MessageResult::Handled;
    }

    bool quitAfterPaint = false;
    int driveFrames = 0;

  private:
    // Frames of the truck moving one pixel, each drawn, shown and timed by a wait of more than
    // 50 ms from its start, as the drive across the bridge does.
    void drive() {
        Surface& window = shell_.windowSurface();
        for (int frame = 0; frame < driveFrames; ++frame) {
            const int x = 20 + frame % 600;
            state_.frameClock = shell_.tickCount();
            blit(window, x - 1, TRUCK_TOP_ROW, TRUCK_WIDTH + 1, TRUCK_HEIGHT, resources_.boardBitmap, x - 1,
                 TRUCK_TOP_ROW);
            drawTruckSprite(window, resources_, x, TRUCK_TOP_ROW);
            shell_.waitUntilAfter(state_.frameClock, DRIVE_FRAME_MS);
        }
    }

    QtShell& shell_;
    TestBridge bridge_;
    std::unique_ptr<AnalysisResults> results_;
    AppState state_;
    DrawingResources resources_{};
};

struct Desktop {
    QtShell shell;
    BoardProcedure procedure{shell};
    Desktop() {
        shell.createMainWindow({"Trussmill v4.8", {0, 0, 640, 480}}, procedure);
        shell.showWindow();
        // Until the window is on the screen, a repaint has nowhere to go and costs nothing.
        QDeadlineTimer deadline(5000);
        while (!shell.mainWindow()->windowHandle()->isExposed() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        procedure.quitAfterPaint = true;
        shell.runMessageLoop();  // the first paint
    }
};

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_PaintLargestBridge(benchmark::State& state) {
    Desktop desktop;
    if (!desktop.shell.mainWindow()->windowHandle()->isExposed())
        state.SkipWithError("the window never showed");
    desktop.procedure.quitAfterPaint = true;
    for (auto _ : state) {
        desktop.shell.invalidate();
        desktop.shell.runMessageLoop();
    }
}
BENCHMARK(BM_PaintLargestBridge)->Unit(benchmark::kMicrosecond);

// The shell's part of it: the whole client area from the window surface to the screen.
void BM_PresentWholeBoard(benchmark::State& state) {
    Desktop desktop;
    if (!desktop.shell.mainWindow()->windowHandle()->isExposed())
        state.SkipWithError("the window never showed");
    QtShell& shell = desktop.shell;
    for (auto _ : state) shell.present(shell.windowSurface().bounds());
}
BENCHMARK(BM_PresentWholeBoard)->Unit(benchmark::kMicrosecond);

// Processor time over wall time while a drive of the given number of frames runs; 620 frames
// take the 31 s of a drive across a bridge that holds.
void BM_DriveFrameWaits(benchmark::State& state) {
    Desktop desktop;
    desktop.procedure.quitAfterPaint = false;
    desktop.procedure.driveFrames = int(state.range(0));
    double processor = 0;
    double wall = 0;
    for (auto _ : state) {
        const double processorStart = processorSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        desktop.shell.mainWindow()->action(CMD_MODE_ANIMATE)->trigger();
        desktop.shell.runMessageLoop();
        processor += processorSeconds() - processorStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    }
    state.counters["cpu_percent"] = 100.0 * processor / wall;
    state.counters["wall_s"] = wall / double(state.iterations());
}
BENCHMARK(BM_DriveFrameWaits)->Arg(60)->Arg(620)->Iterations(1)->Unit(benchmark::kMillisecond);

// A click that draws a member with the whole program, from the press to the moment it waits for
// the next input: the member drawn, the board repainted and the copy of unsaved work kept. The
// configuration, state and lock live in a fresh folder; the intro runs once, in real time.
void BM_DrawMemberWithTheProgram(benchmark::State& state) {
    QTemporaryDir folder;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
        qputenv(variable, folder.path().toUtf8());
    QtShell shell;
    Application program(shell);
    if (program.start("")) return state.SkipWithError("the program did not start");
    QObject context;
    const auto settle = [&] {
        QMetaObject::invokeMethod(
            &context, [&] { shell.postQuit(0); }, Qt::QueuedConnection);
        shell.runMessageLoop();
    };
    settle();
    BoardView& view = shell.mainWindow()->view();
    const auto send = [&](QEvent::Type type, Point board, Qt::MouseButton button, Qt::MouseButtons held) {
        const double logical = view.scale() / view.devicePixelRatioF();
        const QPointF at((board.x + 0.5) * logical, (board.y + 0.5) * logical);
        QMouseEvent event(type, at, view.mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
    };
    int drawn = 0;
    for (auto _ : state) {
        // Uprights 20 ft apart along the deck, 40 ft high: each one a change of its own.
        const Point foot{150 + 20 * (drawn % 21), 250};
        const Point head{foot.x, 210};
        ++drawn;
        send(QEvent::MouseMove, foot, Qt::NoButton, Qt::NoButton);
        send(QEvent::MouseButtonPress, foot, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, head, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, head, Qt::LeftButton, Qt::NoButton);
        settle();
    }
    state.counters["members"] = program.program().model.memberCount;
    shell.destroyWindow();
    settle();
}
BENCHMARK(BM_DrawMemberWithTheProgram)->Iterations(20)->Unit(benchmark::kMillisecond);

// The member table window filled with the 150 rows of the largest bridge, as the program shows
// it after every change: the rows made, the item view filled and sorted, the window shown.
void BM_MemberTableWindowLargestBridge(benchmark::State& state) {
    Desktop desktop;
    TestBridge bridge = largestLegalBridge(JointOrder::DeckFirst);
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    analyzeBridge(bridge.model, AnalysisOptions{1, 1, 1, 1}, *results, *workspace);
    auto rows = std::make_unique<MemberRows>();
    for (auto _ : state) {
        fillMemberRows(bridge.model, *results, RowResults::Analysed, *rows);
        MemberTableContents contents;
        contents.title = "Members of LARGEST";
        contents.headings.assign(MEMBER_TABLE_HEADINGS.begin(), MEMBER_TABLE_HEADINGS.end());
        for (int i = 1; i <= rows->count; ++i) {
            const auto texts = memberRowTexts(rows->rows[i], RowResults::Analysed);
            const auto keys = memberRowSortKeys(rows->rows[i], RowResults::Analysed);
            auto& cells = contents.rows.emplace_back(MEMBER_TABLE_COLUMNS);
            for (int c = 0; c < MEMBER_TABLE_COLUMNS; ++c)
                cells[size_t(c)] = {texts[size_t(c)], keys[size_t(c)]};
        }
        contents.sizeColumn = MEMBER_TABLE_SIZE_COLUMN;
        for (int size = 1; size <= 12; ++size) contents.sizeChoices.push_back(std::to_string(size));
        contents.selectedMember = 1 + int(state.iterations() % 150);
        desktop.shell.showMemberTable(contents);
        QCoreApplication::processEvents();
    }
    desktop.shell.closeMemberTable();
}
BENCHMARK(BM_MemberTableWindowLargestBridge)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
