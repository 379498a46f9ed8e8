// The single-instance indication of the desktop program: an advisory lock on a file in the user's
// runtime folder. The kernel drops the lock when the holder exits, however it ends, so a crashed
// copy never leaves the program refusing to start. Where the lock cannot be tried, a copy runs
// under a tag of its own process (its id and start time), which later starts can tell ended.
#pragma once

#include <string>
#include <string_view>

enum class InstanceLockState {
    Taken,          // this process holds the lock until it ends
    HeldElsewhere,  // another process holds it
    Unchecked,      // it could not be tried: the file cannot be opened, the file system has no locks
};

class InstanceLock {
  public:
    // Tries to take the lock on path; holds it until destruction when it succeeds.
    explicit InstanceLock(const std::string& path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    InstanceLockState state() const { return state_; }

    // The lock file of the desktop program: trussmill.lock in $XDG_RUNTIME_DIR, or in the
    // temporary folder under a name carrying the user id when that variable is unset.
    static std::string defaultPath();

    // This process as a tag, "pPID-START" (START: its start time in clock ticks after boot, from
    // /proc/self/stat; 0 when that cannot be read).
    static std::string processTag();
    // False only when the process a processTag() names has ended for sure: no such process, or
    // one of that id started at another time (the id was reused). Tags of another form, and
    // processes whose start cannot be read, may be running.
    static bool processMayBeRunning(std::string_view tag);

  private:
    int fd_ = -1;
    InstanceLockState state_ = InstanceLockState::Unchecked;
};
