// Path helpers shared by the bridge file and the exports: the file title, the bridge name taken
// from it, the short-extension rule of the save commands, and whole-file reads and atomic writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/bridge_model.h"

// The part of path after its last '/': the file name without its folder.
const char* fileTitle(const char* path);

// The bridge name a file gives: its title up to the first '.' (or its end), cut to 8 characters.
void bridgeNameFromPath(const char* path, char (&name)[BRIDGE_NAME_CHARS + 1]);

// The save commands' extension rule: looking at the last four characters of chosen from the end,
// stop at a '/', or cut the path at the first '.' met; then append extension (".BRG", ".DXF",
// ".WRL"). So "b" and "b.brg" give "b.BRG", "b.x" gives "b.BRG" and "b.long" gives "b.long.BRG".
// Returns false when the result does not fit in capacity bytes.
bool withShortExtensionReplaced(const char* chosen, const char* extension, char* out, size_t capacity);

// Reads a whole file of at most maxBytes. Returns false when it cannot be opened or read (errno
// says why), or is larger: then errno is EFBIG and fileBytes, when given, gets the file's size as
// the file system tells it (fstat), learnt before anything is read; a file that turns out longer
// than it said, or that has no size (a pipe), counts the bytes read until the limit was passed.
bool readWholeFile(const char* path, std::string& out, size_t maxBytes, uint64_t* fileBytes = nullptr);

// Why readWholeFile refused a file, as the words after its name: "cannot be read: No such file or
// directory", "is too large (104.9 MB; the limit is 16.8 MB)", or for a size that shows as the
// limit does, "is too large (over the limit of 16.8 MB)". error is the errno it left.
std::string readRefusal(int error, uint64_t fileBytes, size_t maxBytes);

// A size for people, in decimal units to one place: "512 bytes", "65.5 kB", "104.9 MB".
std::string sizeText(uint64_t bytes);

// Writes data to path through a temporary file in the same folder, checking every write, the
// sync and the close, then renames it over path and syncs the folder: killed at any moment, path
// holds the whole earlier file or the whole new one. A symbolic link is followed (the file it
// names is written, the link stays); an existing file keeps its permission bits and, where the
// user may, its owner. Only regular files the user may write are replaced. On any failure the
// temporary file is removed, whatever path held before is left as it was, and errno says why. A
// successful write also removes the temporary files earlier writes of the same file left when they
// were killed midway: exactly its own name pattern (".TITLE.trussmill-" and six letters or digits,
// a name no user chooses), regular files of the user's, older than a minute.
bool writeFileAtomically(const char* path, const std::string& data);
