// Reading replay scripts. Every line is checked before anything runs, so a mistake at the end of
// a long demonstration is found before its first event.
#include "cli/replay_script.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>

#include "platform/menu_text.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Cuts a comment off: a '#' at the start or after a blank. Paths may hold '#' inside a word.
std::string_view withoutComment(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || isBlank(line[i - 1]))) return line.substr(0, i);
    }
    return line;
}

// The first word of text, and what follows it with its leading blanks removed.
std::string_view splitWord(std::string_view text, std::string_view& rest) {
    size_t end = 0;
    while (end < text.size() && !isBlank(text[end])) ++end;
    rest = trim(text.substr(end));
    return text.substr(0, end);
}

bool parseNumber(std::string_view word, long low, long high, long& value) {
    if (word.empty() || word.size() > 12) return false;
    const std::string digits(word);
    char* end = nullptr;
    errno = 0;
    value = std::strtol(digits.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

// Client coordinates may lie outside the window (a release after dragging off it).
constexpr long kCoordinateLimit = 32767;
// Member numbers in table events: any a table could hold.
constexpr long LAST_MEMBER = 152;

bool parseLine(std::string_view text, ReplayEvent& event, std::string& reason) {
    std::string_view rest;
    const std::string_view word = splitWord(text, rest);
    struct Pointer {
        std::string_view word;
        ReplayEventKind kind;
    };
    static constexpr Pointer kPointerEvents[] = {{"press", ReplayEventKind::Press},
                                                 {"release", ReplayEventKind::Release},
                                                 {"move", ReplayEventKind::Move},
                                                 {"drag", ReplayEventKind::Drag}};
    for (const Pointer& p : kPointerEvents) {
        if (word != p.word) continue;
        std::string_view after;
        const std::string_view xWord = splitWord(rest, after);
        std::string_view end;
        const std::string_view yWord = splitWord(after, end);
        long x = 0;
        long y = 0;
        if (!parseNumber(xWord, -kCoordinateLimit, kCoordinateLimit, x) ||
            !parseNumber(yWord, -kCoordinateLimit, kCoordinateLimit, y) || !end.empty()) {
            reason = std::string(word) + " takes two whole numbers X Y";
            return false;
        }
        event.kind = p.kind;
        event.x = static_cast<int>(x);
        event.y = static_cast<int>(y);
        return true;
    }
    if (word == "command" || word == "wait") {
        const bool command = word == "command";
        if (!parseNumber(rest, 0, command ? 65535 : INT_MAX, event.value)) {
            reason = command ? "command takes a menu command id, a whole number"
                             : "wait takes a number of milliseconds";
            return false;
        }
        event.kind = command ? ReplayEventKind::Command : ReplayEventKind::Wait;
        return true;
    }
    if (word == "answer") {
        if (rest != "ok" && rest != "yes" && rest != "no" && rest != "cancel") {
            reason = "answer takes ok, yes, no or cancel";
            return false;
        }
        event.kind = ReplayEventKind::Answer;
        event.text = std::string(rest);
        return true;
    }
    if (word == "print") {
        if (rest != "yes" && rest != "no") {
            reason = "print takes yes or no";
            return false;
        }
        event.kind = ReplayEventKind::Print;
        event.value = rest == "yes" ? 1 : 0;
        return true;
    }
    if (word == "choose" || word == "png") {
        if (rest.empty()) {
            reason = std::string(word) + " takes a path";
            return false;
        }
        event.kind = word == "choose" ? ReplayEventKind::Choose : ReplayEventKind::Png;
        event.text = std::string(rest);
        return true;
    }
    if (word == "cancel-file" || word == "close") {
        if (!rest.empty()) {
            reason = std::string(word) + " takes nothing after it";
            return false;
        }
        event.kind = word == "close" ? ReplayEventKind::Close : ReplayEventKind::CancelFile;
        return true;
    }
    if (word == "key") {
        // A shortcut chooses its menu command, as the window turns it into one.
        for (const MenuShortcut& shortcut : menuShortcuts()) {
            if (rest != shortcut.keys) continue;
            event.kind = ReplayEventKind::Command;
            event.value = shortcut.command;
            return true;
        }
        std::string_view name = rest;
        const bool shift = name.starts_with("Shift+");
        if (shift) name.remove_prefix(6);
        static constexpr std::string_view kKeys[] = {"Left", "Right", "Up", "Down", "Enter", "Escape", "Tab"};
        for (size_t i = 0; i < std::size(kKeys); ++i) {
            if (name != kKeys[i]) continue;
            event.kind = ReplayEventKind::Key;
            event.value = static_cast<long>(i) + 1;  // KeyName::Left is 1
            event.x = shift ? 1 : 0;
            return true;
        }
        reason =
            "key takes Left, Right, Up, Down, Enter, Escape or Tab (Shift+ in front or not), or a menu "
            "shortcut";
        return false;
    }
    if (word == "table") {
        std::string_view after;
        const std::string_view action = splitWord(rest, after);
        std::string_view sizeWord;
        const std::string_view memberWord = splitWord(after, sizeWord);
        long member = 0;
        long size = 0;
        const bool close = action == "close" && after.empty();
        const bool sized = action == "size" && parseNumber(memberWord, 1, LAST_MEMBER, member) &&
                           parseNumber(sizeWord, 1, 12, size);
        const bool named = (action == "select" || action == "open") &&
                           parseNumber(memberWord, 1, LAST_MEMBER, member) && sizeWord.empty();
        if (!close && !sized && !named) {
            reason = "table takes select N, open N, size N SIZE or close";
            return false;
        }
        event.kind = ReplayEventKind::Table;
        event.text = std::string(action);
        event.x = static_cast<int>(member);
        event.value = size;
        return true;
    }
    reason = "unknown event \"" + std::string(word.substr(0, 32)) + "\"";
    return false;
}

}  // namespace

bool parseReplayScript(std::string_view script, std::vector<ReplayEvent>& events, int& badLine,
                       std::string& reason) {
    int lineNumber = 0;
    while (!script.empty()) {
        ++lineNumber;
        const size_t end = script.find('\n');
        const std::string_view line = script.substr(0, end);
        script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
        const std::string_view text = trim(withoutComment(line));
        if (text.empty()) continue;
        ReplayEvent event{};
        event.line = lineNumber;
        if (text.find('\0') != std::string_view::npos) {
            badLine = lineNumber;
            reason = "the line holds a NUL character";
            return false;
        }
        if (!parseLine(text, event, reason)) {
            badLine = lineNumber;
            return false;
        }
        events.push_back(std::move(event));
    }
    return true;
}
