// Start-up and the way out. The layout of everything the program draws is fixed for a 640 x 480
// window whose client area is at least 436 pixels high; start-up makes the window that size.
#include "app/program.h"

#include <sys/stat.h>

#include <string>

#include "display/intro.h"

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;
constexpr int kWantedClientHeight = 436;

constexpr char kAlreadyRunning[] = "The Program is already running. Restore from icon.";
constexpr char kAlreadyRunningInTab[] =
    "Trussmill is already open in another tab of this browser. Use that tab, or close it and reload this "
    "one.";
constexpr char kNotEnoughMemory[] = "Not enough memory available.";
constexpr char kCreationCaption[] = "ZAZUVI";

struct DisplaySwitch {
    int width = 0;  // 0: the command line asks for no switch
    int height = 0;
};

// The whole command line is one switch, tested in this order, so anything that begins with "FS"
// selects 640 x 480.
DisplaySwitch displaySwitchOf(std::string_view commandLine) {
    if (commandLine.size() >= 2 && commandLine[0] == 'F' && commandLine[1] == 'S') return {640, 480};
    if (commandLine == "W640H480") return {640, 480};
    if (commandLine == "W800H600") return {800, 600};
    return {};
}

bool namesRegularFile(const std::string& path) {
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

void startupNotice(Shell& shell, const char* text, const char* caption, Modality modality) {
    MessageBoxRequest box;
    box.text = text;
    box.caption = caption;
    box.icon = MessageIcon::Information;
    box.modality = modality;
    shell.messageBox(box);
}

}  // namespace

Application::Application(Shell& shell)
    : shell_(shell), program_(std::make_unique<Program>()), window_(shell, *program_) {}

Application::~Application() = default;

std::optional<int> Application::start(std::string_view commandLine) {
    AppState& state = program_->state;
    const DisplaySwitch display = displaySwitchOf(commandLine);
    if (display.width != 0) state.displayChanged = shell_.changeDisplayMode(display.width, display.height);

    if (shell_.previousInstanceRunning()) {
        const char* text = shell_.runsInBrowserTab() ? kAlreadyRunningInTab : kAlreadyRunning;
        startupNotice(shell_, text, "", Modality::Application);
        return finish(0);
    }
    window_.setInstanceTag(shell_.instanceTag());

    if (!shell_.createMainWindow({PROGRAM_TITLE, {0, 0, kWindowWidth, kWindowHeight}}, window_)) {
        if (!window_.creationReported())
            startupNotice(shell_, kNotEnoughMemory, kCreationCaption, Modality::System);
        return finish(0);
    }
    window_.applyKeptSettings();
    shell_.showWindow();

    const int clientHeight = shell_.clientHeight();
    if (clientHeight < kWantedClientHeight) {
        state.windowHeight = kWindowHeight + (kWantedClientHeight - clientHeight);
        const int fullScreen = shell_.fullScreenClientHeight();
        if (fullScreen < state.windowHeight) state.windowHeight = fullScreen;
        shell_.moveWindow({0, 0, kWindowWidth, state.windowHeight}, true);
    }
    // Measured once: later moves of the window leave these alone.
    state.clientWidth = shell_.clientWidth();
    state.clientHeight = shell_.clientHeight();

    playIntro(shell_, shell_.windowSurface(), program_->resources, state.clientWidth, state.clientHeight,
              state.soundSetting == SOUND_ON, state.frameClock);

    window_.offerRecovery();

    // Anything else on the command line that names a file is a bridge to open, as a file manager
    // asks for it.
    const std::string path(commandLine);
    if (display.width == 0 && namesRegularFile(path)) window_.openFromCommandLine(path.c_str());

    shell_.invalidate();
    return std::nullopt;
}

int Application::finish(int quitCode) {
    if (program_->state.displayChanged) {
        shell_.restoreDisplayMode();
        program_->state.displayChanged = false;
    }
    return quitCode;
}

int runProgram(Shell& shell, std::string_view commandLine) {
    Application application(shell);
    if (const std::optional<int> ended = application.start(commandLine)) return *ended;
    return application.finish(shell.runMessageLoop());
}
