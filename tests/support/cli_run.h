// trussmill-cli run as a separate process the way a user runs it, with its exit status and what
// it printed, and the files its tests read and write.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "files/file_paths.h"
#include "tests/support/scratch_folder.h"

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline std::string scratch(const char* name) {
    return scratchFolder(std::string("cli-") + name);
}

inline std::string slurp(const std::string& path) {
    std::string text;
    readWholeFile(path.c_str(), text, 1 << 24);
    return text;
}

inline bool exists(const std::string& path) {
    struct stat s;
    return ::stat(path.c_str(), &s) == 0;
}

// Runs any shell command with its output and errors caught in files.
inline CliRun runCommand(const std::string& command) {
    // Tests run side by side in separate processes: the process id keeps their files apart.
    static int counter = 0;
    const std::string base =
        scratch("runs") + "/" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    const int raw = std::system((command + " >" + base + ".out 2>" + base + ".err").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(base + ".out"), slurp(base + ".err")};
}

inline CliRun cli(const std::string& arguments) {
    return runCommand(std::string("\"") + TRUSSMILL_CLI + "\" " + arguments);
}

inline std::string example(const char* name) {
    return std::string(TRUSSMILL_SOURCE_DIR) + "/examples/" + name;
}
