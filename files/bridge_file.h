// The .BRG bridge file: a magic line, a header with the counts and the modulus, one line per joint
// (feet and three flags) and one per member (end joints and size). Everything else is rebuilt by
// updateGeometry after reading. A file is taken whole or not at all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/bridge_model.h"

struct MemberSizeTable;

// The largest file the reader takes; anything longer is refused unread, with both sizes.
constexpr size_t BRIDGE_FILE_MAX_BYTES = 16u << 20;  // far above any bridge the tables can hold

// Outcome codes of reading a file; the numbers match what File/Open returns.
enum class BridgeFileStatus : int {
    Ok = 0,
    CannotOpen = 1,     // the file cannot be opened or read, or is too large
    Empty = 2,          // no first token
    NotBridgeFile = 3,  // the first token does not begin with "RADIV40"
    NoHeader = 4,       // the two tokens after the magic are missing
    Malformed = 5,      // counts, numbers or indices the tables cannot take
};

struct BridgeFileResult {
    BridgeFileStatus status;
    char reason[160];  // one line for the user; empty when Ok
    bool ok() const { return status == BridgeFileStatus::Ok; }
};

// Appends the file text of the current tables: member ends in their current order and the
// areas as last computed (no geometry update first).
void writeBridgeFile(const BridgeModel& model, std::string& out);

// Parses a whole bridge file. On success the joint and member tables, the counts, the flags and
// the modulus are replaced, board coordinates come from the truncated feet, results are cleared,
// savedFlag becomes 1 and the geometry is updated. On failure the model is left exactly as it was.
// Name and path are not touched here.
BridgeFileResult readBridgeText(std::string_view text, BridgeModel& model,
                                const MemberSizeTable& memberSizes);

// Reads path as above and, on success, makes it the current file: filePath and bridgeName.
BridgeFileResult loadBridgeFile(const char* path, BridgeModel& model, const MemberSizeTable& memberSizes);

// Writes the bridge to path as writeFileAtomically does (files/file_paths.h). On success filePath
// and bridgeName follow path and savedFlag becomes 1; on failure nothing in the model changes, any
// earlier file stays whole, and errno says why.
bool saveBridgeFile(const char* path, BridgeModel& model);
