// The single-instance indication of the desktop program: an advisory lock on a file in the user's
// runtime folder. The kernel drops the lock when the holder exits, however it ends, so a crashed
// copy never leaves the program refusing to start.
#pragma once

#include <string>

class InstanceLock {
  public:
    // Tries to take the lock on path; holds it until destruction when it succeeds.
    explicit InstanceLock(const std::string& path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process holds the lock. A lock file that cannot be opened at all (no
    // runtime folder, no permission) counts as held by nobody: the program starts.
    bool acquired() const { return acquired_; }

    // The lock file of the desktop program: trussmill.lock in $XDG_RUNTIME_DIR, or in the
    // temporary folder under a name carrying the user id when that variable is unset.
    static std::string defaultPath();

  private:
    int fd_ = -1;
    bool acquired_ = false;
};
