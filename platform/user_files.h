// Where the desktop program and the command-line tool keep what outlives a run, in the folders the
// XDG base directories name: the configuration in $XDG_CONFIG_HOME/trussmill (by default
// ~/.config/trussmill), the state in $XDG_STATE_HOME/trussmill (~/.local/state/trussmill); or, for
// a run given a folder of its own (a replay's --state), in that folder. Files are written whole or
// not at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell.h"

// The folder, without a trailing '/'; empty when neither the variable nor HOME is set.
std::string userFolder(StoreKind kind);

// The file's contents (at most 16 MiB), or nothing when it is missing or cannot be read.
std::optional<std::string> readUserFile(StoreKind kind, std::string_view name);

// Makes the folder (private to the user) when it is missing and writes the file atomically.
bool writeUserFile(StoreKind kind, std::string_view name, std::string_view contents);

void removeUserFile(StoreKind kind, std::string_view name);

// The same for a plain file name in the given folder.
std::optional<std::string> readKeptFile(const std::string& folder, std::string_view name);
bool writeKeptFile(const std::string& folder, std::string_view name, std::string_view contents);
void removeKeptFile(const std::string& folder, std::string_view name);

// Makes every missing folder of path, private to the user. False when one cannot be made.
bool makePrivateFolders(const std::string& path);

// The names of the files in the folder, in no particular order; not the hidden ones (temporary
// files of writes under way).
std::vector<std::string> keptFileNames(const std::string& folder);
std::vector<std::string> userFileNames(StoreKind kind);
