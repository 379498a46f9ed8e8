// Path rules and whole-file input and output. Writes never leave a half-written file under the
// target's name: they go to a temporary file beside it that is renamed over it at the end.
#include "files/file_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <string_view>

const char* fileTitle(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

void bridgeNameFromPath(const char* path, char (&name)[BRIDGE_NAME_CHARS + 1]) {
    const char* title = fileTitle(path);
    int n = 0;
    while (n < BRIDGE_NAME_CHARS && title[n] != '\0' && title[n] != '.') {
        name[n] = title[n];
        ++n;
    }
    name[n] = '\0';
}

bool withShortExtensionReplaced(const char* chosen, const char* extension, char* out, size_t capacity) {
    size_t length = std::strlen(chosen);
    for (size_t back = 1; back <= 4 && back <= length; ++back) {
        const char c = chosen[length - back];
        if (c == '/') break;
        if (c == '.') {
            length -= back;
            break;
        }
    }
    const size_t extensionLength = std::strlen(extension);
    if (length + extensionLength + 1 > capacity) return false;
    std::memcpy(out, chosen, length);
    std::memcpy(out + length, extension, extensionLength + 1);
    return true;
}

bool readWholeFile(const char* path, std::string& out, size_t maxBytes, uint64_t* fileBytes) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.clear();
    // A file that says it is too large is refused unread: it may be far too large to hold. (The
    // browser copies at most maxBytes + 1 of a chosen file, so there only the reading finds it over.)
    struct stat status {};
    const uint64_t statedBytes =
        ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) ? static_cast<uint64_t>(status.st_size) : 0;
    bool ok = statedBytes <= maxBytes;
    while (ok) {
        char chunk[8192];
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        out.append(chunk, static_cast<size_t>(got));
        ok = out.size() <= maxBytes;
    }
    const int error = errno;
    ::close(fd);
    if (ok) return true;
    if (statedBytes > maxBytes || out.size() > maxBytes) {
        if (fileBytes != nullptr) *fileBytes = std::max<uint64_t>(statedBytes, out.size());
        errno = EFBIG;
    } else {
        errno = error;
    }
    out.clear();
    return false;
}

std::string readRefusal(int error, uint64_t fileBytes, size_t maxBytes) {
    if (error == EFBIG) {
        const std::string size = sizeText(fileBytes);
        const std::string limit = sizeText(maxBytes);
        // Only just over (or only the bytes up to the limit known): the two would read the same.
        if (size == limit) return "is too large (over the limit of " + limit + ")";
        return "is too large (" + size + "; the limit is " + limit + ")";
    }
    return std::string("cannot be read") + (error != 0 ? std::string(": ") + std::strerror(error) : "");
}

std::string sizeText(uint64_t bytes) {
    if (bytes < 1000) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    static const char* const kUnits[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1000.0;
    size_t unit = 0;
    // 999.96 kB would show as 1000.0 kB: it is 1 MB.
    while (value >= 999.95 && unit + 1 < std::size(kUnits)) {
        value /= 1000.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string shown = text;
    if (shown.size() > 2 && shown.compare(shown.size() - 2, 2, ".0") == 0) shown.resize(shown.size() - 2);
    return shown + " " + kUnits[unit];
}

namespace {

// The folder part of path, for the temporary file: "dir/name" -> "dir/", "name" -> "".
std::string folderOf(const char* path) {
    const char* title = fileTitle(path);
    return std::string(path, static_cast<size_t>(title - path));
}

// The file path names once symbolic links are followed: a link is replaced by the file it names,
// which need not exist yet (a dangling link names the file to make). The links themselves stay.
bool followLinks(const char* path, std::string& file) {
    file = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat entry;
        if (::lstat(file.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) return true;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(file.c_str(), target, sizeof target - 1);
        if (length < 0) return false;
        target[length] = '\0';
        file = target[0] == '/' ? std::string(target) : folderOf(file.c_str()) + target;
    }
    errno = ELOOP;
    return false;
}

// The permissions a new file gets: the usual ones the user's umask leaves.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;  // no progress: never loop on it
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Makes the new name last through a power cut as well. A folder that cannot be synced (some file
// systems refuse) takes nothing back: the file is in place already.
void syncFolder(const std::string& file) {
    const std::string folder = folderOf(file.c_str());
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

// Titles longer than this are cut in the temporary file's name, which adds eighteen characters
// and must still fit the 255 a folder allows.
constexpr size_t kTemporaryTitleChars = 200;

// Marks a temporary file as the program's own: no user names a file like that, so the clean-up
// below never takes one of theirs (".OUT.BRG.backup" is left alone).
constexpr std::string_view kTemporaryMarker = ".trussmill-";
constexpr size_t kTemporaryRandomChars = 6;  // the XXXXXX mkstemp fills with letters and digits

// The temporary file of a write of file: ".TITLE.trussmill-XXXXXX", which mkstemp completes.
std::string temporaryPattern(const std::string& file) {
    return folderOf(file.c_str()) + "." +
           std::string(fileTitle(file.c_str())).substr(0, kTemporaryTitleChars) +
           std::string(kTemporaryMarker) + std::string(kTemporaryRandomChars, 'X');
}

// A left-over is untouched for this long before a later save of its file takes it away: a save
// still writing it (another copy of the program) is never that slow.
constexpr time_t kLeftOverSeconds = 60;

// Temporary files that earlier writes of file left when they were killed before their rename:
// named exactly as this write names its own, regular files of the user's, older than a minute.
// Nothing else in the folder is touched (temporaries named without the marker, by older versions,
// stay: a stale file is better than a user's lost one), and nothing that fails here counts.
void removeLeftOvers(const std::string& file) {
    const std::string pattern = temporaryPattern(file);
    const std::string folder = folderOf(file.c_str());
    const std::string prefix =
        pattern.substr(folder.size(), pattern.size() - folder.size() - kTemporaryRandomChars);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() != prefix.size() + kTemporaryRandomChars || name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view made = name.substr(prefix.size());
        if (!std::all_of(made.begin(), made.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        struct stat status {};
        if (::fstatat(::dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid() ||
            now - status.st_mtime < kLeftOverSeconds)
            continue;
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace

bool writeFileAtomically(const char* path, const std::string& data) {
    if (path == nullptr || *path == '\0' || *fileTitle(path) == '\0') {
        errno = EINVAL;
        return false;
    }
    std::string file;
    if (!followLinks(path, file)) return false;
    struct stat existing;
    const bool exists = ::stat(file.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) return false;
    // Only regular files are replaced, and only those the user may write: a rename would replace
    // a read-only file behind its owner's back.
    if (exists && !S_ISREG(existing.st_mode)) {
        errno = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (exists && ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) return false;
    std::string temporary = temporaryPattern(file);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    // An existing file keeps its owner where the user may keep it, and its permission bits.
    if (exists && ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        // Only the owner's own group, or root, may give a file away: the user then owns the copy.
    }
    bool ok = ::fchmod(fd, exists ? existing.st_mode & 07777 : newFileMode()) == 0;
    ok = ok && writeAll(fd, data.data(), data.size());
    ok = ok && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), file.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    syncFolder(file);
    removeLeftOvers(file);
    return true;
}
