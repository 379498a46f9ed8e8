// trussmill in the browser: the program on the web shell. The page's address may name a bridge to
// open (?open=URL), which then reaches the program the way a file named on the desktop's command
// line does.
#include <sys/stat.h>

#include <optional>
#include <string>

#include "app/program.h"
#include "files/bridge_file.h"
#include "platform/web/web_bridge.h"
#include "platform/web/web_shell.h"

int main() {
    // The in-memory file system starts with a mask that withholds every permission, so that files
    // the program makes could not even be read back; a desktop's usual mask instead.
    ::umask(022);
    WebShell shell;
    std::string commandLine;
    char path[DIALOG_PATH_CHARS + 1] = {};
    char reason[256] = {};
    switch (tm_startup_file(int(BRIDGE_FILE_MAX_BYTES), path, sizeof path, reason, sizeof reason)) {
        case 1:
            commandLine = path;
            break;
        case -1:
            shell.setStartupNotice(std::string("The bridge this page was opened with could not be loaded: ") +
                                   reason + ".");
            break;
        default:
            break;
    }

    Application application(shell);
    shell.setUnsavedWorkQuery([&application] { return application.program().model.savedFlag == 0; });
    std::optional<int> ended = application.start(commandLine);
    const int exitCode = ended ? *ended : application.finish(shell.runMessageLoop());
    tm_program_ended(exitCode);
    return exitCode;
}
