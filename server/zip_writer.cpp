// Local headers, then the central directory, then its end record (PKWARE APPNOTE 4.3); every
// field little-endian, method 0 (stored), version 2.0 needed.
#include "server/zip_writer.h"

#include <algorithm>
#include <array>

namespace {

void put16(std::string& out, uint32_t v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

constexpr uint32_t kDosDate = (0 << 9) | (1 << 5) | 1;  // 1980-01-01

}  // namespace

uint32_t crc32Of(std::string_view bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string zipFileName(std::string_view teamName, const char* extension, std::vector<std::string>& taken) {
    std::string base;
    for (unsigned char c : teamName) {
        if (base.size() >= 60) break;
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == ' ' || c == '-' || c == '_';
        // A character of several bytes becomes one '_'.
        if (plain) {
            base += char(c);
        } else if ((c & 0xC0) != 0x80) {
            base += '_';
        }
    }
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base.empty()) base = "team";
    std::string name = base + extension;
    for (int n = 2; std::find(taken.begin(), taken.end(), name) != taken.end(); ++n)
        name = base + " (" + std::to_string(n) + ")" + extension;
    taken.push_back(name);
    return name;
}

std::string zipArchive(const std::vector<ZipEntry>& entries) {
    std::string out, directory;
    for (const ZipEntry& e : entries) {
        const uint32_t crc = crc32Of(e.data);
        const auto size = static_cast<uint32_t>(e.data.size());
        const auto offset = static_cast<uint32_t>(out.size());
        put32(out, 0x04034b50);
        put16(out, 20);  // version needed
        put16(out, 0);   // flags
        put16(out, 0);   // stored
        put16(out, 0);   // time
        put16(out, kDosDate);
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, static_cast<uint32_t>(e.name.size()));
        put16(out, 0);  // extra field
        out += e.name;
        out += e.data;

        put32(directory, 0x02014b50);
        put16(directory, 20);  // made by: MS-DOS attributes, version 2.0
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, kDosDate);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, size);
        put16(directory, static_cast<uint32_t>(e.name.size()));
        put16(directory, 0);  // extra field
        put16(directory, 0);  // comment
        put16(directory, 0);  // disk
        put16(directory, 0);  // internal attributes
        put32(directory, 0);  // external attributes
        put32(directory, offset);
        directory += e.name;
    }
    const auto directoryOffset = static_cast<uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<uint32_t>(entries.size()));
    put16(out, static_cast<uint32_t>(entries.size()));
    put32(out, static_cast<uint32_t>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);  // comment
    return out;
}
