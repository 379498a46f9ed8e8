// A folder of its own under the build tree for each test that touches the disk.
#pragma once

#include <sys/stat.h>

#include <string>

inline std::string scratchFolder(const std::string& name) {
    std::string dir = std::string(TRUSSMILL_BINARY_DIR) + "/test-scratch";
    ::mkdir(dir.c_str(), 0755);
    dir += "/" + name;
    ::mkdir(dir.c_str(), 0755);
    return dir;
}
