// The sandbox folder and its fixtures. Sample bridges are copied from the source tree's examples
// folder; everything else is made here.
#include "fuzz/file_sandbox.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "files/file_paths.h"
#include "model/bridge_model.h"
#include "platform/shell.h"

namespace {

constexpr const char* kExamples[] = {"PRATT.BRG", "HOWE.BRG", "WARREN.BRG", "DECK.BRG"};
constexpr int kNames = 3;  // new names and saved bridges of each kind

struct RefusedFile {
    const char* name;
    const char* text;
};
// One of each way a bridge file is refused: by its first word, its header, its counts, a record
// cut short, a number that is not one, and an index outside the file.
constexpr RefusedFile kRefused[] = {
    {"letter.BRG", "Dear teacher, my bridge is attached.\n"},
    {"empty.BRG", ""},
    {"headless.BRG", "RADIV40"},
    {"crowded.BRG", "RADIV40 DATA FILE\n900 2 1 29000.000000 1 1\n"},
    {"cut.BRG", "RADIV40 DATA FILE\n1 2 1 29000.000000 1 1\n1 0.000000 0.000000 0 0 0\n"},
    {"word.BRG", "RADIV40 DATA FILE\n1 2 1 29000.000000 1 1\n1 zero 0.000000 0 0 0\n"},
    {"reach.BRG",
     "RADIV40 DATA FILE\n1 2 1 29000.000000 1 1\n1 0.000000 0.000000 0 0 0\n2 50.000000 0.000000 0 0 0\n"
     "1 1 7 3 1.0 5 29000\n"},
    {"binary.BRG", "RADIV40\x01\x02\xff\xfe DATA\x7f\n\x1b[2J\n"},
};

// Paths outside the folder that any user can name: readable, never replaceable.
constexpr const char* kSystemFiles[] = {"/proc/version", "/dev/null", "/proc/self/status"};

uint64_t hashOf(std::string_view text) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

void removeTree(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return;
    if (S_ISDIR(status.st_mode)) {
        if (DIR* folder = ::opendir(path.c_str())) {
            while (const dirent* entry = ::readdir(folder)) {
                if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                    removeTree(path + "/" + entry->d_name);
            }
            ::closedir(folder);
        }
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}

}  // namespace

FileSandbox::FileSandbox(std::string folder) : folder_(std::move(folder)) {
    for (int kind = 0; kind <= static_cast<int>(SandboxChoice::TooLong); ++kind) {
        for (unsigned variant = 0; variant < 8; ++variant) {
            std::string p = path(static_cast<SandboxChoice>(kind), variant);
            bool known = false;
            for (const std::string& q : all_) known = known || q == p;
            if (!known) all_.push_back(std::move(p));
        }
    }
    reset();
}

void FileSandbox::reset() {
    removeTree(folder_);
    ::mkdir(folder_.c_str(), 0755);
    for (unsigned e = 0; e < std::size(kExamples); ++e) restoreExample(e);
    for (const RefusedFile& file : kRefused)
        writeFileAtomically((folder_ + "/" + file.name).c_str(), file.text);
    ::mkdir((folder_ + "/folder.BRG").c_str(), 0755);
    ::mkdir((folder_ + "/folder.DXF").c_str(), 0755);
    ::mkdir((folder_ + "/folder.WRL").c_str(), 0755);
    // Links are a bonus: a file system without them leaves the sandbox without them.
    int unlinked = ::symlink("saved-0.BRG", (folder_ + "/link.BRG").c_str()) != 0;
    unlinked += ::symlink("nowhere/gone.BRG", (folder_ + "/dangling.BRG").c_str()) != 0;
    static_cast<void>(unlinked);
}

void FileSandbox::remove() const {
    removeTree(folder_);
}

std::string FileSandbox::restoreExample(unsigned variant) const {
    const char* name = kExamples[variant % std::size(kExamples)];
    std::string text;
    readWholeFile((std::string(TRUSSMILL_EXAMPLES_DIR) + "/" + name).c_str(), text, 1 << 20);
    const std::string copy = folder_ + "/" + name;
    writeFileAtomically(copy.c_str(), text);
    return copy;
}

std::string FileSandbox::path(SandboxChoice kind, unsigned variant) const {
    const std::string in = folder_ + "/";
    switch (kind) {
        case SandboxChoice::NewName:
            return in + "new-" + std::to_string(variant % kNames);
        case SandboxChoice::SavedBridge:
            return in + "saved-" + std::to_string(variant % kNames) + ".BRG";
        case SandboxChoice::Example:
            return in + kExamples[variant % std::size(kExamples)];
        case SandboxChoice::Refused:
            return in + kRefused[variant % std::size(kRefused)].name;
        case SandboxChoice::Missing:
            return in + (variant % 2 == 0 ? "missing.BRG" : "missing");
        case SandboxChoice::MissingFolder:
            return in + (variant % 2 == 0 ? "no-such-folder/x.BRG" : "letter.BRG/x");
        case SandboxChoice::FolderInstead:
            return in + (variant % 2 == 0 ? "folder.BRG" : "folder");
        case SandboxChoice::Link:
            return in + (variant % 2 == 0 ? "link.BRG" : "dangling.BRG");
        case SandboxChoice::SystemFile:
            return kSystemFiles[variant % std::size(kSystemFiles)];
        case SandboxChoice::TooLong:
            // Past what the dialogs hand back, or past the program's paths once ".BRG" is added.
            return in + std::string(
                            variant % 2 == 0 ? DIALOG_PATH_CHARS + 10 : FILE_PATH_CHARS - 2 - in.size(), 'n');
    }
    return in;
}

std::string FileSandbox::pathFor(std::string_view typed) const {
    return all_[hashOf(typed) % all_.size()];
}

std::vector<std::string> FileSandbox::fileNames() const {
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(folder_.c_str())) {
        while (const dirent* entry = ::readdir(folder)) {
            struct stat status {};
            const std::string p = folder_ + "/" + entry->d_name;
            if (::stat(p.c_str(), &status) == 0 && S_ISREG(status.st_mode)) names.emplace_back(entry->d_name);
        }
        ::closedir(folder);
    }
    return names;
}
