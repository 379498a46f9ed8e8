// The assignment reader on arbitrary bytes, which also stand for the file name a title may come
// from. UTF-8 is checked here by decoding to code points, independently of the reader's own check.
#include <cstdlib>
#include <optional>
#include <vector>

#include "files/assignment_file.h"
#include "fuzz/fuzz_targets.h"

namespace {

// The code points of strict UTF-8 text, or nothing when it is not: sequences cut short, overlong
// forms, surrogates and code points above U+10FFFF are refused.
std::optional<std::u32string> decoded(std::string_view s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const size_t n = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : lead >> 3 == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return std::nullopt;
        char32_t c = n == 1 ? lead : lead & (0xFF >> (n + 1));
        for (size_t k = 1; k < n; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if (next >> 6 != 2) return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[n] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return std::nullopt;
        out += c;
        i += n;
    }
    return out;
}

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// A text shown to the user: strict UTF-8 without any control character.
std::string shownTextFault(const char* what, std::string_view text) {
    const std::optional<std::u32string> code = decoded(text);
    if (!code) return std::string(what) + " is not UTF-8";
    for (const char32_t c : *code) {
        if (isControl(c)) return std::string(what) + " holds the control character " + std::to_string(c);
    }
    return "";
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t at = 0; at <= text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::string refusalFault(const AssignmentRead& read, size_t lineCount) {
    const unsigned long line =
        std::strtoul(read.reason.c_str() + std::min<size_t>(5, read.reason.size()), nullptr, 10);
    if (read.reason.rfind("line ", 0) != 0 || line < 1 || line > lineCount)
        return "a refusal naming no line of the text: " + read.reason;
    return shownTextFault("the reason", read.reason);
}

std::string takenFault(const AssignmentRead& read, const std::vector<std::string_view>& lines) {
    for (std::string_view line : lines) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::optional<std::u32string> code = decoded(line);
        if (!code) return "a line that is not UTF-8 was taken";
        for (const char32_t c : *code) {
            if (isControl(c) && c != '\t') return "a line with a control character was taken";
        }
    }
    const std::string& title = read.assignment.title;
    if (title.empty() || title.size() > 120) return "a title of " + std::to_string(title.size()) + " bytes";
    // Each key on the line the reader says it is on: grade names that line.
    for (const auto& [key, number] : read.keyLines) {
        if (number < 1 || size_t(number) > lines.size()) return "the key " + key + " on no line of the text";
        std::string_view line = lines[size_t(number) - 1];
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (line.rfind(key, 0) != 0) return "the key " + key + " is not on line " + std::to_string(number);
    }
    return shownTextFault("the title", title);
}

}  // namespace

std::string checkAssignmentInput(std::string_view bytes) {
    // The start of the bytes also names the file, for a title from a name of any bytes.
    const AssignmentRead read = readAssignmentText(bytes, bytes.substr(0, 130));
    std::string_view text = bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::vector<std::string_view> lines = linesOf(text);
    return read.ok ? takenFault(read, lines) : refusalFault(read, lines.size());
}
