// The single-instance lock: flock() on a file kept open for the life of the process; and the tags
// of processes that run without it.
#include "platform/qt/instance_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

// The start time of process pid in clock ticks after boot (field 22 of /proc/PID/stat), or nothing
// when it cannot be read; errno then says why (ENOENT: no such process).
std::optional<unsigned long long> processStart(const std::string& pid) {
    const int fd = ::open(("/proc/" + pid + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    char buffer[1024];
    ssize_t got;
    do {
        got = ::read(fd, buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    const int error = errno;
    ::close(fd);
    if (got <= 0) {
        errno = got < 0 ? error : EIO;
        return std::nullopt;
    }
    const std::string_view line(buffer, size_t(got));
    // The command name in parentheses may hold blanks and parentheses: fields count after its end.
    size_t at = line.rfind(')');
    for (int field = 2; at != std::string_view::npos && field < 22; ++field) at = line.find(' ', at + 1);
    unsigned long long start = 0;
    if (at == std::string_view::npos ||
        std::from_chars(line.data() + at + 1, line.data() + line.size(), start).ec != std::errc()) {
        errno = EIO;
        return std::nullopt;
    }
    return start;
}

bool allDigits(std::string_view text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

InstanceLock::InstanceLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;  // no runtime folder, no permission: nothing tells whether a copy runs
    int result;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        state_ = InstanceLockState::Taken;
    } else if (errno == EWOULDBLOCK) {
        state_ = InstanceLockState::HeldElsewhere;
    }
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock; the file stays for the next start
}

std::string InstanceLock::defaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/trussmill.lock";
    const char* temporary = std::getenv("TMPDIR");
    const std::string folder = temporary && temporary[0] == '/' ? temporary : "/tmp";
    return folder + "/trussmill-" + std::to_string(::getuid()) + ".lock";
}

std::string InstanceLock::processTag() {
    const std::optional<unsigned long long> start = processStart("self");
    return "p" + std::to_string(::getpid()) + "-" + std::to_string(start.value_or(0));
}

bool InstanceLock::processMayBeRunning(std::string_view tag) {
    const size_t dash = tag.find('-');
    if (tag.size() < 4 || tag[0] != 'p' || dash == std::string_view::npos) return true;
    const std::string pid(tag.substr(1, dash - 1));
    const std::string_view startText = tag.substr(dash + 1);
    if (!allDigits(pid, 10) || !allDigits(startText, 20)) return true;
    const std::optional<unsigned long long> start = processStart(pid);
    if (start) return startText == "0" || std::to_string(*start) == startText;
    if (errno != ENOENT) return true;
    // Without /proc at all, only the process table tells, and not whether the id was reused.
    if (!processStart("self")) return ::kill(std::atoi(pid.c_str()), 0) == 0 || errno != ESRCH;
    return false;
}
