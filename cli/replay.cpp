// Replays a script on the headless shell. The clock is virtual, so the intro and the truck take no
// real time; synchronous sounds last as long as the built-in recordings do. After each event the
// queued messages, and the paint that follows them, are delivered before the next one.
#include "cli/replay.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/program.h"
#include "cli/png_file.h"
#include "cli/replay_events.h"
#include "cli/replay_script.h"
#include "files/file_paths.h"
#include "grading/json_writer.h"
#include "platform/headless/headless_shell.h"
#include "platform/user_files.h"
#include "resources/embedded_resources.h"
#include "resources/wav_clip.h"

namespace {

constexpr size_t kMaxScriptBytes = 16u << 20;

const char* buttonName(DialogButton button) {
    switch (button) {
        case DialogButton::Ok:
            return "ok";
        case DialogButton::Yes:
            return "yes";
        case DialogButton::No:
            return "no";
        case DialogButton::Cancel:
            return "cancel";
    }
    return "ok";
}

const char* buttonsName(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return "ok";
        case MessageButtons::YesNo:
            return "yesno";
        case MessageButtons::YesNoCancel:
            return "yesnocancel";
    }
    return "ok";
}

const char* soundActionName(SoundAction action) {
    switch (action) {
        case SoundAction::PlaySynchronous:
            return "sync";
        case SoundAction::PlayAsynchronous:
            return "async";
        case SoundAction::PlayLooping:
            return "loop";
        case SoundAction::Stop:
            return "stop";
    }
    return "stop";
}

// Appends a log line for every shell event from `from` on.
void logEvents(const HeadlessShell& shell, size_t& from, std::string& log) {
    const std::vector<ShellEvent>& events = shell.events();
    for (; from < events.size(); ++from) {
        const ShellEvent& e = events[from];
        JsonObject line(log);
        line.integer("t", e.tick);
        switch (e.kind) {
            case ShellEventKind::MessageBox: {
                const MessageBoxRecord& box = shell.messageBoxes()[e.index];
                line.text("kind", "messageBox");
                line.text("caption", box.request.caption.c_str());
                line.text("text", box.request.text.c_str());
                line.text("buttons", buttonsName(box.request.buttons));
                line.text("answer", buttonName(box.answer));
                break;
            }
            case ShellEventKind::FileDialog: {
                const FileDialogRecord& dialog = shell.fileDialogs()[e.index];
                line.text("kind", "fileDialog");
                line.boolean("save", true, dialog.save);
                if (dialog.answer) {
                    line.text("answer", dialog.answer->path.c_str());
                } else {
                    line.key("answer") += "null";
                }
                break;
            }
            case ShellEventKind::PrintDialog: {
                const auto& dialog = shell.printDialogAnswers()[e.index];
                int pages = 0;
                if (dialog.printed && dialog.job < shell.printJobs().size()) {
                    for (const PrintOp& op : shell.printJobs()[dialog.job].ops)
                        pages += op.kind == PrintOpKind::StartPage ? 1 : 0;
                }
                line.text("kind", "print");
                line.boolean("answer", true, dialog.printed);
                line.integer("pages", pages);
                break;
            }
            case ShellEventKind::Sound: {
                const SoundRecord& sound = shell.sounds()[e.index];
                line.text("kind", "sound");
                line.text("action", soundActionName(sound.action));
                if (sound.action == SoundAction::Stop) {
                    line.key("file") += "null";
                } else {
                    line.text("file", sound.fileName.c_str());
                }
                break;
            }
            case ShellEventKind::Clipboard: {
                const Surface& image = shell.clipboardImages()[e.index];
                line.text("kind", "clipboard");
                line.integer("width", image.width());
                line.integer("height", image.height());
                break;
            }
            case ShellEventKind::Help:
                line.text("kind", "help");
                line.text("file", shell.helpRequests()[e.index].c_str());
                break;
            case ShellEventKind::Picture: {
                const auto& [title, picture] = shell.pictures()[e.index];
                line.text("kind", "picture");
                line.text("title", title.c_str());
                line.integer("width", picture.width());
                line.integer("height", picture.height());
                break;
            }
            case ShellEventKind::Announcement:
                line.text("kind", "announce");
                line.text("text", shell.announcements()[e.index].c_str());
                break;
            case ShellEventKind::MemberTable: {
                const MemberTableContents& table = shell.memberTables()[e.index];
                line.text("kind", "memberTable");
                line.integer("rows", long(table.rows.size()));
                line.integer("selected", table.selectedMember);
                std::string selected;
                if (table.selectedMember >= 1 && size_t(table.selectedMember) <= table.rows.size()) {
                    for (const TableCell& cell : table.rows[table.selectedMember - 1]) {
                        if (!selected.empty()) selected += '\t';
                        selected += cell.text;
                    }
                }
                line.text("selectedRow", selected.c_str());
                break;
            }
        }
        line.close();
        log += '\n';
    }
}

int failure(const std::string& path, const char* reason) {
    std::fprintf(stderr, "trussmill-cli: %s: %s\n", path.c_str(), reason);
    return 1;
}

// An output that could not be written; errno says why.
int writeFailure(const std::string& path) {
    const std::string reason = std::string("cannot be written: ") + std::strerror(errno);
    return failure(path, reason.c_str());
}

// The client area as the user last saw it; a window that was never made has nothing to write.
bool writeWindowPng(HeadlessShell& shell, const std::string& path) {
    return shell.windowCreated() && writePngFile(path.c_str(), shell.windowSurface());
}

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

int runReplay(const ReplayRequest& request) {
    std::string script;
    uint64_t scriptBytes = 0;
    errno = 0;
    if (!readWholeFile(request.scriptPath.c_str(), script, kMaxScriptBytes, &scriptBytes))
        return failure(request.scriptPath, readRefusal(errno, scriptBytes, kMaxScriptBytes).c_str());
    std::vector<ReplayEvent> events;
    int badLine = 0;
    std::string reason;
    if (!parseReplayScript(script, events, badLine, reason)) {
        std::fprintf(stderr, "%s:%d: %s\n", request.scriptPath.c_str(), badLine, reason.c_str());
        return 1;
    }
    if (!request.openPath.empty() && !isRegularFile(request.openPath))
        return failure(request.openPath, "cannot be read");

    if (!request.stateFolder.empty() && !makePrivateFolders(request.stateFolder))
        return writeFailure(request.stateFolder);

    HeadlessOptions options;
    options.lenientAnswers = true;
    options.storeFolder = request.stateFolder;
    HeadlessShell shell(options);
    for (const EmbeddedResource& resource : embeddedResources()) {
        if (resource.kind == ResourceKind::Sound) {
            const std::optional<WavClip> clip = readWavClip(resource.bytes());
            shell.setSoundLength(resource.name, clip ? clip->lengthMs() : 0);
        }
    }

    std::string log;
    size_t logged = 0;
    // Answers at the head of the script are there for the boxes of start-up itself (the offer of
    // unsaved work after a crash); later ones wait for the boxes that follow, as before.
    size_t first = 0;
    for (; first < events.size() && events[first].kind == ReplayEventKind::Answer; ++first)
        postReplayEvent(shell, events[first]);
    Application application(shell);
    std::optional<int> exitCode = application.start(request.commandLine);
    if (!exitCode && !request.openPath.empty()) application.openFromCommandLine(request.openPath.c_str());
    int status = 0;
    if (!exitCode) {
        shell.pumpMessages();
        for (size_t i = first; i < events.size(); ++i) {
            const ReplayEvent& event = events[i];
            if (shell.quitCode()) break;
            postReplayEvent(shell, event);
            shell.pumpMessages();
            logEvents(shell, logged, log);
            if (event.kind == ReplayEventKind::Png && !writeWindowPng(shell, event.text)) {
                status = writeFailure(event.text);
                break;
            }
        }
        if (shell.quitCode()) exitCode = application.finish(*shell.quitCode());
    }
    logEvents(shell, logged, log);

    JsonObject last(log);
    last.integer("t", shell.tickCount());
    if (exitCode) {
        last.text("kind", "exit");
        last.integer("code", *exitCode);
    } else {
        const Program& program = application.program();
        last.text("kind", "end");
        last.integer("mode", program.state.mode);
        last.integer("savedFlag", program.model.savedFlag);
        last.text("name", program.model.bridgeName);
    }
    last.close();
    log += '\n';

    if (!request.pngPath.empty() && !writeWindowPng(shell, request.pngPath))
        status = writeFailure(request.pngPath);
    if (!request.logPath.empty() && !writeFileAtomically(request.logPath.c_str(), log))
        status = writeFailure(request.logPath);
    return status;
}
