// The user's configuration and state folders, and whole files in them.
#include "platform/user_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "files/file_paths.h"

namespace {

constexpr size_t kMaxKeptBytes = 16u << 20;

// Only plain file names: nothing kept may land outside the folder.
bool plainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace

std::string userFolder(StoreKind kind) {
    const char* variable = kind == StoreKind::Configuration ? "XDG_CONFIG_HOME" : "XDG_STATE_HOME";
    const char* underHome = kind == StoreKind::Configuration ? "/.config" : "/.local/state";
    // The base directories say that a relative path in the variable is to be ignored.
    const char* base = std::getenv(variable);
    if (base != nullptr && base[0] == '/') return std::string(base) + "/trussmill";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    return std::string(home) + underHome + "/trussmill";
}

std::optional<std::string> readUserFile(StoreKind kind, std::string_view name) {
    return readKeptFile(userFolder(kind), name);
}

bool writeUserFile(StoreKind kind, std::string_view name, std::string_view contents) {
    return writeKeptFile(userFolder(kind), name, contents);
}

void removeUserFile(StoreKind kind, std::string_view name) {
    removeKeptFile(userFolder(kind), name);
}

std::optional<std::string> readKeptFile(const std::string& folder, std::string_view name) {
    if (folder.empty() || !plainName(name)) return std::nullopt;
    std::string contents;
    if (!readWholeFile((folder + "/" + std::string(name)).c_str(), contents, kMaxKeptBytes))
        return std::nullopt;
    return contents;
}

bool writeKeptFile(const std::string& folder, std::string_view name, std::string_view contents) {
    if (folder.empty() || !plainName(name) || !makePrivateFolders(folder)) return false;
    return writeFileAtomically((folder + "/" + std::string(name)).c_str(), std::string(contents));
}

void removeKeptFile(const std::string& folder, std::string_view name) {
    if (folder.empty() || !plainName(name)) return;
    ::unlink((folder + "/" + std::string(name)).c_str());
}

bool makePrivateFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

std::vector<std::string> keptFileNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.' && (entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN))
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

std::vector<std::string> userFileNames(StoreKind kind) {
    return keptFileNames(userFolder(kind));
}
