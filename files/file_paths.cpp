// Path rules and whole-file input and output. Writes never leave a half-written file under the
// target's name: they go to a temporary file beside it that is renamed over it at the end.
#include "files/file_paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

bool readWholeFile(const char* path, std::string& out, size_t maxBytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    out.clear();
    char chunk[8192];
    bool ok = true;
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        out.append(chunk, got);
        if (out.size() > maxBytes) {
            ok = false;
            break;
        }
        if (got < sizeof chunk) {
            ok = std::ferror(file) == 0;
            break;
        }
    }
    std::fclose(file);
    return ok;
}

namespace {

// The folder part of path, for the temporary file: "dir/name" -> "dir/", "name" -> "".
std::string folderOf(const char* path) {
    const char* title = fileTitle(path);
    return std::string(path, static_cast<size_t>(title - path));
}

// New files get the usual permissions of the user's umask; an existing file keeps its own.
mode_t permissionsFor(const char* path) {
    struct stat existing;
    if (::stat(path, &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

bool writeFileAtomically(const char* path, const std::string& data) {
    if (path == nullptr || *path == '\0' || *fileTitle(path) == '\0') return false;
    // Only regular files are replaced; a link is followed so the file it names is rewritten.
    char resolved[PATH_MAX];
    struct stat existing;
    if (::lstat(path, &existing) == 0 && S_ISLNK(existing.st_mode)) {
        if (::realpath(path, resolved) == nullptr) return false;
        path = resolved;
    }
    if (::stat(path, &existing) == 0 && !S_ISREG(existing.st_mode)) return false;
    std::string temporary = folderOf(path) + "." + fileTitle(path) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, permissionsFor(path)) == 0;
    ok = ok && writeAll(fd, data.data(), data.size());
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), path) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}
