// Runs a piece of work in a child process that the test traces system call by system call, and
// strikes at chosen calls: the child is killed just before the call runs (a pulled plug, at any
// point), the call fails with an error of the test's choosing without running (a full disk, an I/O
// error, a read-only file system), or a write is cut to half its length (a short write). Whatever
// the work leaves on disk can then be compared with what it should have left.
// Tracing needs Linux on x86-64 and a kernel that lets a process trace its child; elsewhere
// runTraced reports that it could not trace and the tests skip.
#pragma once

#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <vector>

enum class Strike : uint8_t {
    Kill,        // SIGKILL before the call runs
    Fail,        // the call does not run and returns -error
    ShortWrite,  // a write of n > 1 bytes writes n / 2 (other calls run unchanged)
};

struct StrikeAt {
    int call;  // 1-based, among the counted calls of the work
    Strike strike;
    int error = 0;  // Fail: the errno the call returns
};

struct TracePlan {
    std::vector<StrikeAt> strikes;
    // The calls counted (and struck): every call when empty, else only these system call numbers.
    std::vector<long> counted;
    // Counting starts after the work's first getppid() call, so that set-up before it (starting
    // the program, reading a file) is neither counted nor struck. false: from the first call.
    bool fromMarker = false;
};

struct TracedRun {
    bool traced = false;  // false: this machine cannot trace; nothing was run
    int calls = 0;        // counted calls the work started
    bool exited = false;  // the work returned; exitCode is what it returned
    int exitCode = -1;
    bool killed = false;  // ended by a signal (a Kill strike, or a crash)
};

// Calls the work makes when it writes a file: what a strike that fails a call aims at. Calls
// outside this set (memory, clock) failing would only make the sanitizers give up.
inline std::vector<long> fileSystemCalls() {
    return {SYS_openat,     SYS_open,      SYS_creat,     SYS_write,      SYS_pwrite64, SYS_writev,
            SYS_fsync,      SYS_fdatasync, SYS_close,     SYS_rename,     SYS_renameat, SYS_renameat2,
            SYS_fchmod,     SYS_fchmodat,  SYS_fchown,    SYS_fchownat,   SYS_unlink,   SYS_unlinkat,
            SYS_newfstatat, SYS_stat,      SYS_lstat,     SYS_fstat,      SYS_statx,    SYS_readlink,
            SYS_readlinkat, SYS_access,    SYS_faccessat, SYS_faccessat2, SYS_mkdir,    SYS_getdents64};
}

// The write calls, for ShortWrite strikes.
inline std::vector<long> writeCalls() {
    return {SYS_write, SYS_pwrite64};
}

// Forks; the child runs work() under the tracer and exits with its result. Returns when the child
// has ended.
inline TracedRun runTraced(const std::function<int()>& work, const TracePlan& plan) {
    TracedRun run;
#if defined(__x86_64__) && defined(__linux__)
    const pid_t child = ::fork();
    if (child < 0) return run;
    if (child == 0) {
        if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(125);
        ::raise(SIGSTOP);
        ::_exit(work());  // _exit: nothing of the parent's (buffers, exit handlers) runs twice
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFSTOPPED(status) ||
        ::ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL) != 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return run;  // not traced: the child could not be traced
    }
    run.traced = true;
    const auto counted = [&](long number) {
        return plan.counted.empty() ||
               std::find(plan.counted.begin(), plan.counted.end(), number) != plan.counted.end();
    };
    bool counting = !plan.fromMarker;
    bool inCall = false;
    int failWith = 0;  // the error the call running now returns at its exit stop
    int signal = 0;
    for (;;) {
        if (::ptrace(PTRACE_SYSCALL, child, nullptr, signal) != 0) break;
        signal = 0;
        if (::waitpid(child, &status, 0) != child) break;
        if (WIFEXITED(status)) {
            run.exited = true;
            run.exitCode = WEXITSTATUS(status);
            return run;
        }
        if (WIFSIGNALED(status)) {
            run.killed = true;
            return run;
        }
        if (!WIFSTOPPED(status)) continue;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            // A signal for the child goes on to it; the trap after an exec does not.
            signal = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);
            continue;
        }
        user_regs_struct regs{};
        ::ptrace(PTRACE_GETREGS, child, nullptr, &regs);
        inCall = !inCall;
        if (!inCall) {
            if (failWith != 0) {
                regs.rax = static_cast<unsigned long long>(-static_cast<long long>(failWith));
                ::ptrace(PTRACE_SETREGS, child, nullptr, &regs);
                failWith = 0;
            }
            continue;
        }
        const long number = static_cast<long>(regs.orig_rax);
        if (!counting) {
            counting = number == SYS_getppid;
            continue;
        }
        if (!counted(number)) continue;
        ++run.calls;
        for (const StrikeAt& s : plan.strikes) {
            if (s.call != run.calls) continue;
            if (s.strike == Strike::Kill) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                run.killed = true;
                return run;
            }
            if (s.strike == Strike::Fail) {
                regs.orig_rax = static_cast<unsigned long long>(-1);  // no such call: it does not run
                ::ptrace(PTRACE_SETREGS, child, nullptr, &regs);
                failWith = s.error;
            } else if ((number == SYS_write || number == SYS_pwrite64) && regs.rdx > 1) {
                regs.rdx /= 2;
                ::ptrace(PTRACE_SETREGS, child, nullptr, &regs);
            }
        }
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    run.killed = true;
#else
    (void)work;
    (void)plan;
#endif
    return run;
}
