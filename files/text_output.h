// Files are built as text in memory and written whole; these append to that text.
#pragma once

#include <string>

// printf onto the end of out; a piece of any length is appended whole.
void appendFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Appends text and a line break (LF).
inline void appendLine(std::string& out, const char* text) {
    out += text;
    out += '\n';
}
