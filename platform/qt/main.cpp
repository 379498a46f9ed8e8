// trussmill, the desktop program: makes the Qt application and the Qt shell and runs the program
// on them. The command-line arguments reach the program joined by single blanks, one switch or
// one file name, as a file manager passes a path.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "app/program.h"
#include "platform/qt/qt_shell.h"

namespace {

// True when Qt has a screen to open the window on: a display, or a platform chosen explicitly.
bool displayAvailable(int argc, char** argv) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && value[0] != '\0') return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    }
    return false;
}

// With TRUSSMILL_REPORT_FIRST_FRAME set, the moment the board first reaches the screen goes to
// standard error as "first frame at SECONDS.NANOSECONDS" (the real-time clock), for measuring
// the start-up time against the moment the program was started.
void reportFirstFrame() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "first frame at %lld.%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
}

// With TRUSSMILL_LOG_MESSAGE_BOXES set, every message box the program shows goes to standard error
// as one line, "message box: TEXT" (line breaks written \n), for checking a run from outside.
void logMessageBox(const MessageBoxRequest& box) {
    std::string text;
    for (const char c : box.text) text += c == '\n' ? std::string("\\n") : std::string(1, c);
    std::fprintf(stderr, "message box: %s\n", text.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("trussmill %s\n", TRUSSMILL_VERSION);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    if (!displayAvailable(argc, argv)) {
        std::fprintf(stderr,
                     "trussmill: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is "
                     "set); trussmill-cli analyses, exports and renders bridges without one.\n");
        return 1;
    }
    // Board pixels must cover whole device pixels: a 150 % screen draws at 100 %, 250 % at 200 %.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trussmill"));
    QApplication::setApplicationVersion(QStringLiteral(TRUSSMILL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("trussmill"));
    QApplication::setQuitOnLastWindowClosed(false);  // the program ends when its message loop does

    std::string commandLine;
    for (int i = 1; i < argc; ++i) {  // Qt has taken out the arguments it understood
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }

    QtShell shell;
    if (std::getenv("TRUSSMILL_REPORT_FIRST_FRAME")) shell.setFirstFrameObserver(reportFirstFrame);
    if (std::getenv("TRUSSMILL_LOG_MESSAGE_BOXES")) shell.setMessageBoxObserver(logMessageBox);
    return runProgram(shell, commandLine);
}
