// Files are built as text in memory and written whole; these append to that text. And the one
// UTF-8 check of the program: what the assignment reader takes and the class page passes through.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// printf onto the end of out; a piece of any length is appended whole.
void appendFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Appends text and a line break (LF).
inline void appendLine(std::string& out, const char* text) {
    out += text;
    out += '\n';
}

// The length of the valid UTF-8 sequence that starts at s[i], 0 when none does: a stray
// continuation byte, a lead byte C0, C1 or F5-FF, an overlong form, a surrogate (U+D800-U+DFFF), a
// code point above U+10FFFF, or a sequence cut short. Precondition: i < s.size().
size_t utf8Length(std::string_view s, size_t i);

// The code point of the valid sequence of length n (utf8Length) at s[i].
char32_t utf8CodePoint(std::string_view s, size_t i, size_t n);
