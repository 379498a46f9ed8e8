// What the DXF and VRML exports share: writing the text of a file to disk so that a failed export never
// leaves a half-written file under the chosen name.
#pragma once

#include <string>

#include "files/text_output.h"

// The one notice an export shows when its file cannot be written (empty caption, information icon).
inline constexpr char CANNOT_WRITE_MESSAGE[] = "Error: Cannot write to file";

struct ExportResult {
    bool ok;
    std::string path;     // the file written, or the one that could not be written
    const char* message;  // "" when ok, otherwise CANNOT_WRITE_MESSAGE for the caller to show
    int error = 0;        // why it could not be written (an errno value); 0 when ok
};

// Writes text to chosenPath with its short extension replaced by extension (".DXF", ".WRL"),
// the rule of the save commands: "x.BRG" and "x" both give "x.DXF".
ExportResult writeExport(const char* chosenPath, const char* extension, const std::string& text);

// Writes text to exactly path, whatever its extension.
ExportResult writeExportTo(const char* path, const std::string& text);
