/* A slow disk for measurements, preloaded (LD_PRELOAD): fsync and fdatasync first sleep
   TRUSSMILL_FSYNC_MS milliseconds (100 when unset), as on a network home folder, then sync. */
#define _GNU_SOURCE
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static void pause_as_a_slow_disk(void) {
    const char* setting = getenv("TRUSSMILL_FSYNC_MS");
    const long ms = setting ? atol(setting) : 100;
    struct timespec wait = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
}

int fsync(int fd) {
    pause_as_a_slow_disk();
    return (int)syscall(SYS_fsync, fd);
}

int fdatasync(int fd) {
    pause_as_a_slow_disk();
    return (int)syscall(SYS_fdatasync, fd);
}
