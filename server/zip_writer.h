// A .zip archive of stored (uncompressed) files, written whole in memory: the teacher's download
// of every team's best bridge. Sizes stay far below the 4 GiB the plain format allows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ZipEntry {
    std::string name;  // a plain file name, as zipFileName makes it
    std::string data;
};

// The CRC-32 (IEEE 802.3, the one zip and PNG use) of bytes.
uint32_t crc32Of(std::string_view bytes);

// A file name made from a team's name: letters, digits, blanks, '-' and '_' kept, any other
// character '_', at most 60 bytes, never empty, never starting with '.'; then extension. Names
// already in taken get " (2)", " (3)"... before the extension, and the result joins taken.
std::string zipFileName(std::string_view teamName, const char* extension, std::vector<std::string>& taken);

// The archive's bytes; every entry dated 1980-01-01.
std::string zipArchive(const std::vector<ZipEntry>& entries);
