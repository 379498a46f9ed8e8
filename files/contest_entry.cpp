#include "files/contest_entry.h"

#include "files/text_output.h"

bool isClassCode(std::string_view text) {
    if (text.size() != CLASS_CODE_LENGTH) return false;
    for (const char c : text) {
        if (c == '\0' || std::string_view(CLASS_CODE_ALPHABET).find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

bool isPin(std::string_view pin) {
    if (pin.size() < MIN_PIN_DIGITS || pin.size() > MAX_PIN_DIGITS) return false;
    for (const char c : pin) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::string_view withoutBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string cleanTeamName(std::string_view name) {
    name = withoutBlanks(name);
    size_t chars = 0;
    for (size_t i = 0; i < name.size(); ++chars) {
        const size_t n = utf8Length(name, i);
        if (n == 0) return {};
        const char32_t c = utf8CodePoint(name, i, n);
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029) return {};
        i += n;
    }
    if (chars == 0 || chars > MAX_TEAM_NAME_CHARS) return {};
    return std::string(name);
}
