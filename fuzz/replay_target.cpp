// Replay scripts on arbitrary bytes: the script reader, then the program replaying what it read.
// Paths in the script stand for sandbox files (the fuzzer must not write anywhere else), and
// pictures are not written. A script is cut at a few hundred events and a few analyses, which
// keeps every input well inside a second while still reaching every command.
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "app/program.h"
#include "cli/replay_events.h"
#include "cli/replay_script.h"
#include "fuzz/file_sandbox.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/session_checks.h"
#include "resources/menu_resource.h"

namespace {

constexpr size_t kMaxEvents = 400;
constexpr int kMaxAnalyses = 6;

// One sandbox per fuzzing process, under TMPDIR, gone when the process ends normally.
struct ProcessSandbox {
    FileSandbox files;
    ProcessSandbox() : files(folderName()) {}
    ~ProcessSandbox() { files.remove(); }

    static std::string folderName() {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/trussmill-replay-fuzz-" +
               std::to_string(::getpid());
    }
};

FileSandbox& sandbox() {
    static ProcessSandbox s;
    return s.files;
}

std::string lineFault(std::string_view script, int badLine, const std::string& reason) {
    int lines = 1;
    for (const char c : script) lines += c == '\n' ? 1 : 0;
    if (badLine < 1 || badLine > lines) return "a bad line numbered " + std::to_string(badLine);
    if (reason.empty()) return "a bad line without a reason";
    return "";
}

}  // namespace

std::string checkReplayInput(std::string_view bytes) {
    std::vector<ReplayEvent> events;
    int badLine = 0;
    std::string reason;
    if (!parseReplayScript(bytes, events, badLine, reason)) return lineFault(bytes, badLine, reason);

    FileSandbox& files = sandbox();
    static bool written = true;  // whether the last run may have changed the sandbox
    if (written) files.reset();
    written = false;

    HeadlessOptions options;
    options.lenientAnswers = true;
    HeadlessShell shell(options);
    Application application(shell);
    if (application.start("")) return "the program ended at start-up";
    shell.pumpMessages();
    SessionWatch watch(files);
    SessionCounts counts;
    int analyses = 0;
    for (size_t i = 0; i < events.size() && i < kMaxEvents && !shell.quitCode(); ++i) {
        ReplayEvent event = events[i];
        if (event.kind == ReplayEventKind::Png) continue;
        if (event.kind == ReplayEventKind::Choose) event.text = files.pathFor(event.text);
        const int command = event.kind == ReplayEventKind::Command ? static_cast<int>(event.value) : 0;
        if (command == CMD_MODE_CALCULATE || command == CMD_MODE_ANIMATE) {
            if (++analyses > kMaxAnalyses) continue;
        }
        written = written || commandMayWrite(command);
        watch.before(shell, application.program(), command);
        postReplayEvent(shell, event);
        shell.pumpMessages();
        const std::string fault = watch.after(shell, application.program(), counts);
        if (!fault.empty()) return "line " + std::to_string(event.line) + ": " + fault;
    }
    if (shell.quitCode() && *shell.quitCode() != 0)
        return "the program quit with code " + std::to_string(*shell.quitCode());
    return "";
}
