// Runs trussmill-cli as a user would, and the small file helpers its tests share.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "files/file_paths.h"
#include "tests/support/scratch_folder.h"

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline std::string slurp(const std::string& path) {
    std::string text;
    readWholeFile(path.c_str(), text, 1 << 24);
    return text;
}

inline bool exists(const std::string& path) {
    struct stat s;
    return ::stat(path.c_str(), &s) == 0;
}

inline CliRun cli(const std::string& arguments) {
    // Tests run side by side in separate processes: the process id keeps their files apart.
    static int counter = 0;  // one per test program
    const std::string base =
        scratchFolder("cli-runs") + "/" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    const std::string command =
        std::string("\"") + TRUSSMILL_CLI + "\" " + arguments + " >" + base + ".out 2>" + base + ".err";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(base + ".out"), slurp(base + ".err")};
}

inline std::string example(const char* name) {
    return std::string(TRUSSMILL_SOURCE_DIR) + "/examples/" + name;
}

inline void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
