// The atomic write behind both exports.
#include "files/export_file.h"

#include <cerrno>
#include <cstring>

#include "files/file_paths.h"
#include "model/bridge_model.h"

ExportResult writeExportTo(const char* path, const std::string& text) {
    if (path == nullptr) return {false, "", CANNOT_WRITE_MESSAGE, EINVAL};
    if (writeFileAtomically(path, text)) return {true, path, ""};
    return {false, path, CANNOT_WRITE_MESSAGE, errno};
}

ExportResult writeExport(const char* chosenPath, const char* extension, const std::string& text) {
    char path[FILE_PATH_CHARS + 1];
    if (chosenPath == nullptr) return {false, "", CANNOT_WRITE_MESSAGE, EINVAL};
    if (!withShortExtensionReplaced(chosenPath, extension, path, sizeof path)) {
        return {false, chosenPath, CANNOT_WRITE_MESSAGE, ENAMETOOLONG};
    }
    return writeExportTo(path, text);
}
