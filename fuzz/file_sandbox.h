// The files a scripted or random user may pick in the program's file dialogs: a folder of its own
// holding names to save under, copies of the sample bridges, files the reader refuses, missing
// files and folders, a folder where a file should be, links, and paths nothing can be written to.
// Every answer a session gives goes through it, so a session never touches a file outside it
// (apart from reading a few system files that cannot be written).
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class SandboxChoice : uint8_t {
    NewName,        // a name without extension in the folder, absent at first (Save As adds .BRG)
    SavedBridge,    // NAME.BRG in the folder, absent at first
    Example,        // a copy of one of the sample bridges
    Refused,        // a file the bridge reader refuses: not a bridge, empty, cut short, bad counts
    Missing,        // a file that does not exist in an existing folder
    MissingFolder,  // a file in a folder that does not exist
    FolderInstead,  // a folder standing where the file should be
    Link,           // a symbolic link to a saved bridge; a dangling link
    SystemFile,     // a file of the system that can be read but not replaced (/proc, /dev/null)
    TooLong,        // a path longer than the program takes
};

class FileSandbox {
  public:
    // Makes folder (its parent must exist) and everything in it.
    explicit FileSandbox(std::string folder);

    // Puts every file back as it was made, and removes whatever a session saved: runs that start
    // from a reset sandbox see the same files.
    void reset();

    // Removes the folder and everything in it.
    void remove() const;

    // Puts the copy of one sample bridge back as it came (saves may have replaced it); returns its
    // path, as path(SandboxChoice::Example, variant) gives it.
    std::string restoreExample(unsigned variant) const;

    const std::string& folder() const { return folder_; }

    // One path of the kind; variant picks among several of that kind (any value, taken modulo).
    std::string path(SandboxChoice kind, unsigned variant) const;

    // The path that any text typed into a file dialog stands for: one of all the sandbox paths,
    // picked by a hash of the text, so that a fuzzed script reaches every kind.
    std::string pathFor(std::string_view typed) const;

    // Every regular file the folder holds now, by name; what a session's saves may have changed.
    std::vector<std::string> fileNames() const;

  private:
    std::string folder_;
    std::vector<std::string> all_;  // every path path() can give, for pathFor
};
