// Saves that never lose a bridge. Every writer (the bridge file, the DXF and VRML exports, the
// program's File/Save and trussmill-cli) is run in a traced child process and struck at each of
// its system calls in turn: killed there, or the call failing with a full disk, an I/O error, a
// quota, a read-only file system or a refused permission, or a write cut short. Afterwards the
// target must hold the complete earlier file or the complete new one, and a writer that reported
// success must have left the new one. Real failures (missing, read-only and full folders), links
// and permission bits are tried on real files.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "files/bridge_file.h"
#include "files/dxf_export.h"
#include "files/file_paths.h"
#include "files/vrml_export.h"
#include "resources/menu_resource.h"
#include "tests/app/app_driver.h"
#include "tests/support/cli_run.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/syscall_faults.h"
#include "tests/support/test_bridges.h"

namespace {

// The errors a failing call returns: a full disk, an I/O error, a quota, a read-only file system,
// a refused permission and an interrupted call.
constexpr int kErrors[] = {ENOSPC, EIO, EDQUOT, EROFS, EACCES, EINTR};

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        }
        ::closedir(d);
    }
    return names;
}

// Empties the folder and puts the earlier file in it, written plainly.
void resetFolder(const std::string& folder, const std::string& name, const std::string& old) {
    for (const std::string& entry : entriesOf(folder)) ::unlink((folder + "/" + entry).c_str());
    std::ofstream(folder + "/" + name, std::ios::binary) << old;
}

std::string sampleText() {
    return slurp(example("PRATT.BRG"));
}

// A writer as the tests strike it: set-up, then getppid() as the marker, then the write. Returns
// 0 when the writer reported success, 1 when it reported a failure, 2 when set-up went wrong.
struct Writer {
    const char* name;
    std::string file;                             // the target's name in the folder
    std::function<int(const std::string&)> work;  // runs in the child, given the target's path
};

// The bridge the writers write: the Warren-like worked example, different from the sample.
BridgeModel newBridge() {
    TestBridge b = workedExampleBridge();
    return b.model;
}

std::vector<Writer> writers() {
    std::vector<Writer> list;
    list.push_back({"bridge file", "B.BRG", [](const std::string& path) {
                        BridgeModel model = newBridge();
                        ::getppid();
                        return saveBridgeFile(path.c_str(), model) ? 0 : 1;
                    }});
    list.push_back({"DXF export", "B.DXF", [](const std::string& path) {
                        const BridgeModel model = newBridge();
                        ::getppid();
                        return exportDxfTo(path.c_str(), model).ok ? 0 : 1;
                    }});
    list.push_back({"VRML export", "B.WRL", [](const std::string& path) {
                        const BridgeModel model = newBridge();
                        ::getppid();
                        return exportVrmlTo(path.c_str(), model).ok ? 0 : 1;
                    }});
    // The program: the sample opened, one member resized, then File/Save; a failure is the notice.
    list.push_back({"File/Save", "S.BRG", [](const std::string& path) {
                        AppDriver run;
                        run.app->openFile(path.c_str());
                        if (run.model().memberCount == 0) return 2;
                        run.command(CMD_MEMBER_SIZE_12);
                        run.click(columnOfFt(25), rowOfFt(0));
                        ::getppid();
                        run.command(CMD_FILE_SAVE);
                        for (const MessageBoxRecord& box : run.shell.messageBoxes()) {
                            if (box.request.text == "Error: Cannot write to file") return 1;
                        }
                        return run.model().savedFlag == 1 ? 0 : 2;
                    }});
    // The program's Make DXF, to the name chosen in its dialog.
    list.push_back({"Make DXF", "M.DXF", [](const std::string& path) {
                        AppDriver run;
                        run.app->openFile(example("WARREN.BRG").c_str());
                        run.shell.answerFileDialog(path);
                        ::getppid();
                        run.command(CMD_SPECIAL_DXF);
                        for (const MessageBoxRecord& box : run.shell.messageBoxes()) {
                            if (box.request.text == "Error: Cannot write to file") return 1;
                        }
                        return run.shell.fileDialogs().size() == 1 ? 0 : 2;
                    }});
    return list;
}

// The new file a writer leaves when nothing goes wrong.
std::string newFileOf(const Writer& writer, const std::string& folder, const std::string& old) {
    resetFolder(folder, writer.file, old);
    const TracedRun run = runTraced([&] { return writer.work(folder + "/" + writer.file); }, TracePlan{});
    EXPECT_TRUE(run.exited && run.exitCode == 0) << writer.name;
    return slurp(folder + "/" + writer.file);
}

TEST(SafeSave, KilledAtEveryPointTheTargetIsWholeOldOrWholeNew) {
    const std::string folder = scratchFolder("safe-save-kill");
    const std::string old = sampleText();
    int points = 0;
    for (const Writer& writer : writers()) {
        const std::string target = folder + "/" + writer.file;
        const std::string fresh = newFileOf(writer, folder, old);
        ASSERT_NE(fresh, old) << writer.name;
        // Counting run: every system call of the write, from the marker on.
        TracePlan plan;
        plan.fromMarker = true;
        resetFolder(folder, writer.file, old);
        const TracedRun counted = runTraced([&] { return writer.work(target); }, plan);
        if (!counted.traced) GTEST_SKIP() << "this machine does not let a test trace its child";
        ASSERT_GT(counted.calls, 3) << writer.name;
        bool newSeen = false;
        for (int call = 1; call <= counted.calls + 1; ++call) {
            resetFolder(folder, writer.file, old);
            plan.strikes = {{call, Strike::Kill}};
            const TracedRun run = runTraced([&] { return writer.work(target); }, plan);
            ++points;
            const std::string now = slurp(target);
            // Old up to the moment the new file takes its name, new from then on: never a mix.
            EXPECT_TRUE(now == old || now == fresh) << writer.name << ", killed before call " << call;
            if (newSeen) {
                EXPECT_EQ(now, fresh) << writer.name << ", killed before call " << call;
            }
            newSeen = newSeen || now == fresh;
            if (run.exited) {
                EXPECT_EQ(now, fresh) << writer.name << " finished before call " << call;
            }
        }
        EXPECT_TRUE(newSeen) << writer.name;
    }
    std::printf("kill points tried: %d\n", points);
}

TEST(SafeSave, EveryFailedCallKeepsTheOldFileAndIsReported) {
    const std::string folder = scratchFolder("safe-save-fail");
    const std::string old = sampleText();
    int faults = 0;
    for (const Writer& writer : writers()) {
        const std::string target = folder + "/" + writer.file;
        const std::string fresh = newFileOf(writer, folder, old);
        TracePlan plan;
        plan.fromMarker = true;
        plan.counted = fileSystemCalls();
        resetFolder(folder, writer.file, old);
        const TracedRun counted = runTraced([&] { return writer.work(target); }, plan);
        if (!counted.traced) GTEST_SKIP() << "this machine does not let a test trace its child";
        int refused = 0;
        for (int call = 1; call <= counted.calls; ++call) {
            for (const int error : kErrors) {
                resetFolder(folder, writer.file, old);
                plan.strikes = {{call, Strike::Fail, error}};
                const TracedRun run = runTraced([&] { return writer.work(target); }, plan);
                ++faults;
                const std::string where = std::string(writer.name) + ", call " + std::to_string(call) +
                                          " failing with " + std::strerror(error);
                ASSERT_TRUE(run.exited && (run.exitCode == 0 || run.exitCode == 1)) << where;
                if (run.exitCode == 0) {
                    EXPECT_EQ(slurp(target), fresh) << where << ": reported done";
                } else {
                    ++refused;
                    EXPECT_EQ(slurp(target), old) << where << ": reported failed";
                    EXPECT_EQ(entriesOf(folder).size(), 1u) << where << ": a temporary file was left";
                }
            }
        }
        EXPECT_GT(refused, 0) << writer.name;

        // Short writes are finished by the writer; a short write followed by a full disk fails.
        plan.counted = writeCalls();
        resetFolder(folder, writer.file, old);
        plan.strikes.clear();
        const int writes = runTraced([&] { return writer.work(target); }, plan).calls;
        ASSERT_GE(writes, 1) << writer.name;
        for (int call = 1; call <= writes; ++call) {
            resetFolder(folder, writer.file, old);
            plan.strikes = {{call, Strike::ShortWrite}};
            TracedRun run = runTraced([&] { return writer.work(target); }, plan);
            EXPECT_TRUE(run.exited && run.exitCode == 0) << writer.name << ", write " << call << " cut short";
            EXPECT_EQ(slurp(target), fresh) << writer.name << ", write " << call << " cut short";
            resetFolder(folder, writer.file, old);
            plan.strikes = {{call, Strike::ShortWrite}, {call + 1, Strike::Fail, ENOSPC}};
            run = runTraced([&] { return writer.work(target); }, plan);
            EXPECT_TRUE(run.exited && run.exitCode == 1) << writer.name << ", disk full half way";
            EXPECT_EQ(slurp(target), old) << writer.name << ", disk full half way";
            faults += 2;
        }
    }
    std::printf("failed calls tried: %d\n", faults);
}

// trussmill-cli writes through the same code; a failure is an exit status of 1 and a reason.
TEST(SafeSave, CommandLineToolNeverReportsAFailedWriteAsDone) {
    const std::string folder = scratchFolder("safe-save-cli");
    const std::string target = folder + "/OUT.DXF";
    const std::string old = "an earlier drawing\n";
    const auto work = [&] {
        const int out = ::open((folder + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open((folder + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        // The leak check of a sanitized build cannot run under a tracer; it runs in the other tests.
        ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        const std::string pratt = example("PRATT.BRG");
        ::execl(TRUSSMILL_CLI, TRUSSMILL_CLI, "dxf", pratt.c_str(), target.c_str(),
                static_cast<char*>(nullptr));
        return 127;
    };
    TracePlan plan;
    plan.counted = fileSystemCalls();
    resetFolder(folder, "OUT.DXF", old);
    const TracedRun counted = runTraced(work, plan);
    if (!counted.traced) GTEST_SKIP() << "this machine does not let a test trace its child";
    ASSERT_TRUE(counted.exited && counted.exitCode == 0);
    const std::string fresh = slurp(target);
    for (int call = 1; call <= counted.calls; ++call) {
        resetFolder(folder, "OUT.DXF", old);
        plan.strikes = {{call, Strike::Fail, ENOSPC}};
        const TracedRun run = runTraced(work, plan);
        const std::string where = "call " + std::to_string(call) + " failing";
        ASSERT_TRUE(run.exited) << where;
        // A failure after the file took its name (a folder sync, the tool's own exit) may still end
        // the tool with an error: the file is whole either way, and never reported done when it is not.
        const std::string now = slurp(target);
        EXPECT_TRUE(now == old || now == fresh) << where;
        if (run.exitCode == 0) {
            EXPECT_EQ(now, fresh) << where << ": reported done";
        } else {
            EXPECT_FALSE(slurp(folder + ".err").empty()) << where << ": failed without a word";
        }
    }
    std::printf("failed calls of trussmill-cli tried: %d\n", counted.calls);

    // The reason names the file and says what went wrong.
    const CliRun missing = cli("dxf " + example("PRATT.BRG") + " " + folder + "/no/such/OUT.DXF");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "trussmill-cli: " + folder +
                               "/no/such/OUT.DXF: cannot be written: No such file or directory\n");
    const CliRun onFolder = cli("vrml " + example("PRATT.BRG") + " " + folder);
    EXPECT_EQ(onFolder.status, 1);
    EXPECT_EQ(onFolder.err, "trussmill-cli: " + folder + ": cannot be written: Is a directory\n");
}

mode_t modeOf(const std::string& path) {
    struct stat s {};
    ::lstat(path.c_str(), &s);
    return s.st_mode;
}

TEST(SafeSave, LinksPermissionsAndPathsOnRealFiles) {
    const std::string folder = scratchFolder("safe-save-real");
    for (const std::string& entry : entriesOf(folder)) {
        if (::unlink((folder + "/" + entry).c_str()) != 0) ::rmdir((folder + "/" + entry).c_str());
    }
    const std::string other = scratchFolder("safe-save-real-other");
    BridgeModel model = newBridge();
    std::string fresh;
    writeBridgeFile(model, fresh);

    // A link is followed: the file it names gets the bridge and the link stays a link, also a
    // relative one, a chain of links, and one whose file does not exist yet.
    std::ofstream(other + "/REAL.BRG") << "old";
    ::unlink((folder + "/LINK.BRG").c_str());
    ASSERT_EQ(::symlink((other + "/REAL.BRG").c_str(), (folder + "/LINK.BRG").c_str()), 0);
    EXPECT_TRUE(saveBridgeFile((folder + "/LINK.BRG").c_str(), model));
    EXPECT_TRUE(S_ISLNK(modeOf(folder + "/LINK.BRG")));
    EXPECT_EQ(slurp(other + "/REAL.BRG"), fresh);
    EXPECT_EQ(std::string(model.filePath), folder + "/LINK.BRG");
    ::unlink((folder + "/CHAIN.BRG").c_str());
    ASSERT_EQ(::symlink("LINK.BRG", (folder + "/CHAIN.BRG").c_str()), 0);
    std::ofstream(other + "/REAL.BRG") << "old";
    EXPECT_TRUE(exportDxfTo((folder + "/CHAIN.BRG").c_str(), model).ok);
    EXPECT_EQ(slurp(other + "/REAL.BRG"), dxfText(model));
    EXPECT_TRUE(S_ISLNK(modeOf(folder + "/CHAIN.BRG")));
    ::unlink((other + "/LATER.BRG").c_str());
    ASSERT_EQ(::symlink("../safe-save-real-other/LATER.BRG", (folder + "/DANGLING.BRG").c_str()), 0);
    EXPECT_TRUE(saveBridgeFile((folder + "/DANGLING.BRG").c_str(), model));
    EXPECT_EQ(slurp(other + "/LATER.BRG"), fresh);
    EXPECT_TRUE(S_ISLNK(modeOf(folder + "/DANGLING.BRG")));
    ASSERT_EQ(::symlink("LOOP.BRG", (folder + "/LOOP.BRG").c_str()), 0);
    errno = 0;
    EXPECT_FALSE(saveBridgeFile((folder + "/LOOP.BRG").c_str(), model));
    EXPECT_EQ(errno, ELOOP);

    // An existing file keeps its permission bits; a new one gets those the umask leaves.
    for (const mode_t bits : {0640, 0604, 0600, 0755}) {
        const std::string path = folder + "/MODE.BRG";
        std::ofstream(path) << "old";
        ::chmod(path.c_str(), bits);
        EXPECT_TRUE(saveBridgeFile(path.c_str(), model));
        EXPECT_EQ(modeOf(path) & 07777, bits);
    }
    const mode_t mask = ::umask(027);
    EXPECT_TRUE(exportVrmlTo((folder + "/NEW.WRL").c_str(), model).ok);
    ::umask(mask);
    EXPECT_EQ(modeOf(folder + "/NEW.WRL") & 07777, 0640u);

    // Paths that cannot be written fail with the reason in errno, and leave nothing behind.
    const std::vector<std::string> before = entriesOf(folder);
    const struct {
        std::string path;
        int error;
    } refused[] = {{folder + "/no-such-folder/X.BRG", ENOENT},
                   {folder + "/MODE.BRG/X.BRG", ENOTDIR},
                   {other, EISDIR},
                   {"/dev/null", EINVAL},
                   {folder + "/" + std::string(300, 'x') + ".BRG", ENAMETOOLONG}};
    for (const auto& r : refused) {
        errno = 0;
        EXPECT_FALSE(writeFileAtomically(r.path.c_str(), "x")) << r.path;
        EXPECT_EQ(errno, r.error) << r.path;
    }
    EXPECT_EQ(entriesOf(folder), before);

    // The longest name a folder takes can be saved under, though the temporary name is longer.
    const std::string longest = folder + "/" + std::string(251, 'y') + ".BRG";
    EXPECT_TRUE(saveBridgeFile(longest.c_str(), model));
    EXPECT_EQ(slurp(longest), fresh);

    // Left-overs of saves killed before their rename: the next save of the same file takes away
    // its own kind, a minute old, and nothing else: not a fresh one (a save still going), not
    // another file's, not a user's file that merely looks alike (".KEEP.BRG.backup", or named as
    // older versions named their temporaries), not a link or a folder of the name.
    const auto leftOver = [&](const std::string& name, bool old) {
        std::ofstream(folder + "/" + name) << "half";
        const timespec twoMinutesAgo{std::time(nullptr) - 120, 0};
        const timespec times[2] = {twoMinutesAgo, twoMinutesAgo};
        if (old) ::utimensat(AT_FDCWD, (folder + "/" + name).c_str(), times, 0);
    };
    leftOver(".KEEP.BRG.trussmill-a1B2c3", true);  // the one to go
    leftOver(".KEEP.BRG.trussmill-Zz9Zz9", false);
    std::vector<std::string> untouched = {".KEEP.BRG.trussmill-Zz9Zz9", ".KEEP.BRG.trussmill-LiNk00",
                                          ".KEEP.BRG.trussmill-D1r000", "KEEP.BRG"};
    for (const char* name :
         {".OTHER.BRG.trussmill-a1B2c3", ".KEEP.BRG.trussmill-a1B2c", ".KEEP.BRG.trussmill-a1B-c3",
          ".KEEP.BRG.trussmill-a1B2c3d", "KEEP.BRG.trussmill-a1B2c3", ".KEEP.BRG.backup", ".KEEP.BRG.v2copy",
          ".KEEP.BRG.a1B2c3"}) {
        leftOver(name, true);
        untouched.emplace_back(name);
    }
    ASSERT_EQ(::symlink(".OTHER.BRG.trussmill-a1B2c3", (folder + "/.KEEP.BRG.trussmill-LiNk00").c_str()), 0);
    ASSERT_EQ(::mkdir((folder + "/.KEEP.BRG.trussmill-D1r000").c_str(), 0755), 0);
    EXPECT_TRUE(saveBridgeFile((folder + "/KEEP.BRG").c_str(), model));
    std::vector<std::string> kept;
    for (const std::string& entry : entriesOf(folder)) {
        if (entry.find("KEEP.BRG") != std::string::npos || entry.find("OTHER") != std::string::npos)
            kept.push_back(entry);
    }
    std::sort(kept.begin(), kept.end());
    std::sort(untouched.begin(), untouched.end());
    EXPECT_EQ(kept, untouched);
}

// Runs in a child so that what it changes (user, mounts) stays there. Returns the work's result,
// or 77 when the machine does not allow the set-up.
int inChild(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(work());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST(SafeSave, ReadOnlyFoldersAndFilesAndAFullDisk) {
    const std::string folder = scratchFolder("safe-save-denied");
    const std::string locked = folder + "/locked";
    const std::string open = folder + "/open";
    ::mkdir(locked.c_str(), 0755);
    ::mkdir(open.c_str(), 0777);
    ::chmod(open.c_str(), 0777);
    std::ofstream(locked + "/OLD.BRG") << "old";
    std::ofstream(open + "/READONLY.BRG") << "old";
    ::chmod((open + "/READONLY.BRG").c_str(), 0444);
    // The user the child runs as may not write the locked folder nor the read-only file; root may
    // write anything, so a child of root becomes nobody first.
    const int denied = inChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 77;
        if (::geteuid() != 0) ::chmod(locked.c_str(), 0555);
        BridgeModel model = newBridge();
        if (saveBridgeFile((locked + "/OLD.BRG").c_str(), model)) return 1;
        if (errno != EACCES) return 2;
        if (saveBridgeFile((locked + "/NEW.BRG").c_str(), model)) return 3;
        if (exportDxfTo((open + "/READONLY.BRG").c_str(), model).ok) return 4;
        return 0;
    });
    if (denied == 77) GTEST_SKIP() << "cannot run as another user here";
    EXPECT_EQ(denied, 0);
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(slurp(locked + "/OLD.BRG"), "old");
    EXPECT_EQ(entriesOf(locked), std::vector<std::string>{"OLD.BRG"});
    EXPECT_EQ(slurp(open + "/READONLY.BRG"), "old");

    // A real full disk and a real read-only file system: a small memory file system mounted in a
    // mount namespace of the child's own.
    const std::string small = folder + "/small";
    ::mkdir(small.c_str(), 0755);
    const int full = inChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
            return 77;
        BridgeModel model = newBridge();
        const std::string target = small + "/OLD.BRG";
        std::string old;
        writeBridgeFile(model, old);
        std::ofstream(target) << old;
        {
            std::ofstream filler(small + "/filler", std::ios::binary);
            const std::string block(4096, 'f');
            for (int i = 0; i < 64 && filler; ++i) filler << block;
        }
        model.members[1].size = 12;
        if (saveBridgeFile(target.c_str(), model) || errno != ENOSPC) return 1;
        if (slurp(target) != old || entriesOf(small).size() != 2) return 2;
        ::unlink((small + "/filler").c_str());
        if (::mount(nullptr, small.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) return 77;
        if (saveBridgeFile(target.c_str(), model) || errno != EROFS) return 3;
        if (slurp(target) != old) return 4;
        return 0;
    });
    if (full == 77) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_EQ(full, 0);
}

}  // namespace
