// The single-instance lock: flock() on a file kept open for the life of the process.
#include "platform/qt/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

InstanceLock::InstanceLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        acquired_ = true;
        return;
    }
    int result;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    // Only a lock held by someone else refuses the start; a file system without locks does not.
    acquired_ = result == 0 || errno != EWOULDBLOCK;
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
