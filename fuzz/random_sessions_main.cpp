// trussmill-random-sessions: random sessions on the whole program, for long campaigns.
//   trussmill-random-sessions [--seeds FIRST[-LAST]] [--events N] [--folder DIR]
// Runs one session per seed (default 1), N events each (default 20000), in sandboxes under DIR
// (default: a new folder in /tmp). Prints one line per session; stops at the first failure, prints
// it with the events that led to it as a replay script, and exits with 1.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/random_session.h"

namespace {

bool parseSeeds(const char* text, uint64_t& first, uint64_t& last) {
    char* end = nullptr;
    first = std::strtoull(text, &end, 10);
    last = first;
    if (*end == '-') last = std::strtoull(end + 1, &end, 10);
    return end != text && *end == '\0' && last >= first;
}

int usage() {
    std::fprintf(stderr,
                 "usage: trussmill-random-sessions [--seeds FIRST[-LAST]] [--events N] [--folder DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t first = 1;
    uint64_t last = 1;
    long events = 20000;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--seeds") == 0 && hasValue) {
            if (!parseSeeds(argv[++i], first, last)) return usage();
        } else if (std::strcmp(argv[i], "--events") == 0 && hasValue) {
            events = std::strtol(argv[++i], nullptr, 10);
            if (events <= 0) return usage();
        } else if (std::strcmp(argv[i], "--folder") == 0 && hasValue) {
            folder = argv[++i];
        } else {
            return usage();
        }
    }
    if (folder.empty()) {
        char made[] = "/tmp/trussmill-sessions-XXXXXX";
        if (::mkdtemp(made) == nullptr) {
            std::perror("trussmill-random-sessions: /tmp");
            return 1;
        }
        folder = made;
    }
    long total = 0;
    for (uint64_t seed = first; seed <= last; ++seed) {
        RandomSessionOptions options;
        options.seed = seed;
        options.events = events;
        options.folder = folder + "/seed-" + std::to_string(seed);
        const auto start = std::chrono::steady_clock::now();
        const RandomSessionReport r = runRandomSession(options);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += r.events;
        std::printf(
            "seed %llu: %ld events, %d runs, %d analyses, %d saves (%d refused), %d opens (%d refused), "
            "%d exports, %d round trips, up to %d members, %.1f s\n",
            static_cast<unsigned long long>(seed), r.events, r.programRuns, r.analyses, r.saves,
            r.savesRefused, r.opens, r.opensRefused, r.exports, r.roundTrips, r.longestBridge, seconds);
        std::fflush(stdout);
        if (!r.failure.empty()) {
            std::printf("FAILED: %s", r.failure.c_str());
            return 1;
        }
    }
    std::printf("%ld events in all, no failure\n", total);
    return 0;
}
