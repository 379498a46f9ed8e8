// Formatted appends to the text of a file being built in memory.
#include "files/text_output.h"

#include <cstdarg>
#include <cstdio>

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
