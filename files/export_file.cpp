// Formatted appends and the atomic write behind both exports.
#include "files/export_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "files/file_paths.h"
#include "model/bridge_model.h"

void appendFormat(std::string& out, const char* format, ...) {
    char piece[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(piece, sizeof piece, format, args);
    va_end(args);
    if (n >= 0 && static_cast<size_t>(n) < sizeof piece) {
        out.append(piece, static_cast<size_t>(n));
    } else if (n >= 0) {
        const size_t at = out.size();
        out.resize(at + static_cast<size_t>(n) + 1);
        std::vsnprintf(out.data() + at, static_cast<size_t>(n) + 1, format, again);
        out.resize(at + static_cast<size_t>(n));
    }
    va_end(again);
}

ExportResult writeExportTo(const char* path, const std::string& text) {
    if (path == nullptr) return {false, "", CANNOT_WRITE_MESSAGE};
    if (writeFileAtomically(path, text)) return {true, path, ""};
    return {false, path, CANNOT_WRITE_MESSAGE};
}

ExportResult writeExport(const char* chosenPath, const char* extension, const std::string& text) {
    char path[FILE_PATH_CHARS + 1];
    if (chosenPath == nullptr) return {false, "", CANNOT_WRITE_MESSAGE};
    if (!withShortExtensionReplaced(chosenPath, extension, path, sizeof path)) {
        return {false, chosenPath, CANNOT_WRITE_MESSAGE};
    }
    return writeExportTo(path, text);
}
