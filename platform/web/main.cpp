// trussmill in the browser: the program on the web shell. The page's address may name a bridge to
// open (?open=URL), which then reaches the program the way a file named on the desktop's command
// line does, and an assignment (?assignment=URL), which is opened once the program runs.
#include <sys/stat.h>

#include <optional>
#include <string>

#include "app/program.h"
#include "files/assignment_file.h"
#include "files/bridge_file.h"
#include "platform/web/web_bridge.h"
#include "platform/web/web_shell.h"

namespace {

// A file the page's address names.
struct StartupFile {
    bool named = false;  // the address names one
    std::string path;    // in the in-memory file system; empty when it could not be fetched
};

// The file the page's address names in parameter; one that could not be fetched is told once the
// program runs.
StartupFile startupFile(WebShell& shell, const char* parameter, const char* what, size_t maxBytes) {
    char path[DIALOG_PATH_CHARS + 1] = {};
    char reason[256] = {};
    switch (tm_startup_file(parameter, int(maxBytes), path, sizeof path, reason, sizeof reason)) {
        case 1:
            return {true, path};
        case -1:
            shell.addStartupNotice(std::string("The ") + what + " this page was opened with (" + path +
                                   ") could not be loaded: " + reason + ".");
            return {true, {}};
        default:
            return {};
    }
}

}  // namespace

int main() {
    // The in-memory file system starts with a mask that withholds every permission, so that files
    // the program makes could not even be read back; a desktop's usual mask instead.
    ::umask(022);
    WebShell shell;
    const StartupFile bridge = startupFile(shell, "open", "bridge", BRIDGE_FILE_MAX_BYTES);
    const StartupFile assignment = startupFile(shell, "assignment", "assignment", ASSIGNMENT_MAX_BYTES);

    Application application(shell);
    shell.setUnsavedWorkQuery([&application] { return application.window().hasUnsavedChanges(); });
    std::optional<int> ended = application.start(bridge.path);
    // A link that names an assignment means that one: when it cannot be had, the one kept from an
    // earlier visit is not left in force in its place.
    if (!ended && assignment.named) {
        if (assignment.path.empty() || !application.openAssignment(assignment.path.c_str()))
            application.closeAssignment();
    }
    const int exitCode = ended ? *ended : application.finish(shell.runMessageLoop());
    tm_program_ended(exitCode);
    return exitCode;
}
