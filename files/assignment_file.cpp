// Reading an assignment file, and what its rules say about a bridge.
#include "files/assignment_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/file_paths.h"
#include "files/text_output.h"
#include "model/format_significant.h"

namespace {

enum class Key {
    Title,
    DeadLoad,
    DeckWeight,
    ExtraLiveLoad,
    MinMemberForce,
    MaxJoints,
    MaxMembers,
    MaxWeight,
    Due
};

struct KeyName {
    Key key;
    const char* name;
};

constexpr KeyName kKeys[] = {
    {Key::Title, "title"},
    {Key::DeadLoad, "dead_load"},
    {Key::DeckWeight, "deck_weight"},
    {Key::ExtraLiveLoad, "extra_live_load"},
    {Key::MinMemberForce, "min_member_force"},
    {Key::MaxJoints, "max_joints"},
    {Key::MaxMembers, "max_members"},
    {Key::MaxWeight, "max_weight"},
    {Key::Due, "due"},
};

constexpr size_t kMaxTitleBytes = 120;

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// A '#' at the start of a line or after a blank starts a comment, so "contest#2" keeps its '#'.
std::string_view withoutComment(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) return line.substr(0, i);
    }
    return line;
}

std::string failure(int line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

// A piece of a line (valid UTF-8) quoted in a message: cut short between characters, and with a
// tab, the one control character a line may hold, shown as '?' so that the message stays one
// printable line.
std::string quoted(std::string_view s) {
    size_t cut = std::min<size_t>(s.size(), 40);
    while (cut < s.size() && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    std::string shown(s.substr(0, cut));
    for (char& c : shown) {
        if (c == '\t') c = '?';
    }
    return "'" + shown + (cut < s.size() ? "...'" : "'");
}

// C0 and C1 controls and DEL: a terminal or a title bar would obey them or show nothing.
bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Why the line cannot be read as text, or empty: every character valid UTF-8, and none a control
// character but the tab (a CR ending the line is its CR LF end, taken off before).
std::string textFault(std::string_view line) {
    for (size_t i = 0; i < line.size();) {
        const size_t n = utf8Length(line, i);
        if (n == 0) return "not UTF-8 text";
        const char32_t c = utf8CodePoint(line, i, n);
        if (isControl(c) && c != '\t') {
            char code[8];
            std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(c));
            return std::string("a control character (U+") + code + ") in the line";
        }
        i += n;
    }
    return {};
}

// A title made from a file name, which may hold any bytes: what is not a printable character
// shows as '?', and it is cut to kMaxTitleBytes between characters.
std::string titleFromName(std::string_view name) {
    std::string title;
    for (size_t i = 0; i < name.size();) {
        const size_t n = utf8Length(name, i);
        const char32_t c = n == 0 ? 0 : utf8CodePoint(name, i, n);
        const bool printable = n != 0 && !isControl(c);
        const size_t shown = printable ? n : 1;
        if (title.size() + shown > kMaxTitleBytes) break;
        title += printable ? name.substr(i, n) : "?";
        i += n == 0 ? 1 : n;
    }
    return title;
}

std::optional<int> wholeNumber(std::string_view s, int low, int high) {
    if (s.empty() || s.size() > 6) return std::nullopt;
    int value = 0;
    for (const char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool validDate(std::string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
    const std::optional<int> y = wholeNumber(s.substr(0, 4), 1900, 9999);
    const std::optional<int> m = wholeNumber(s.substr(5, 2), 1, 12);
    const std::optional<int> d = wholeNumber(s.substr(8, 2), 1, 31);
    if (!y || !m || !d) return false;
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return *d <= kDays[*m - 1] + (*m == 2 && isLeapYear(*y) ? 1 : 0);
}

// Sets one key from its value; returns the reason when the value does not fit the key.
std::string setKey(Assignment& a, Key key, const char* name, std::string_view value) {
    auto yesNo = [&](std::optional<bool>& field) -> std::string {
        if (value == "yes" || value == "no") {
            field = value == "yes";
            return {};
        }
        return std::string(name) + " must be yes or no, not " + quoted(value);
    };
    auto count = [&](std::optional<int>& field, int most) -> std::string {
        field = wholeNumber(value, 1, most);
        if (field) return {};
        return std::string(name) + " must be a whole number from 1 to " + std::to_string(most) + ", not " +
               quoted(value);
    };
    switch (key) {
        case Key::Title:
            if (value.empty()) return "the title is empty";
            if (value.size() > kMaxTitleBytes)
                return "the title is longer than " + std::to_string(kMaxTitleBytes) + " bytes";
            a.title = std::string(value);
            std::replace(a.title.begin(), a.title.end(), '\t', ' ');  // a title bar shows no tab
            return {};
        case Key::DeadLoad:
            return yesNo(a.deadLoad);
        case Key::DeckWeight:
            return yesNo(a.deckWeight);
        case Key::ExtraLiveLoad:
            return yesNo(a.extraLiveLoad);
        case Key::MinMemberForce:
            return yesNo(a.minMemberForce);
        case Key::MaxJoints:
            return count(a.maxJoints, MAX_JOINTS);
        case Key::MaxMembers:
            return count(a.maxMembers, MAX_MEMBERS);
        case Key::MaxWeight: {
            const std::string text(value);
            char* end = nullptr;
            errno = 0;
            const double kips = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
            const bool plain = text.find_first_not_of("0123456789.") == std::string::npos;
            if (!plain || end == nullptr || *end != '\0' || errno != 0 || !(kips > 0.0) || kips > 1e6)
                return "max_weight must be a weight in kips above 0, not " + quoted(value);
            a.maxWeight = kips;
            return {};
        }
        case Key::Due:
            if (!validDate(value)) return "due must be a date written YYYY-MM-DD, not " + quoted(value);
            a.due = std::string(value);
            return {};
    }
    return {};
}

// A weight in kips as the panels write numbers (4 significant digits), without a trailing point.
std::string kipsText(double kips) {
    std::string text = formatSignificant(kips, 4).c_str();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

}  // namespace

AssignmentRead readAssignmentText(std::string_view text, std::string_view fallbackTitle) {
    AssignmentRead read;
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int lineNumber = 0;
    for (size_t at = 0; at <= text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        std::string_view raw = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        if (const std::string fault = textFault(raw); !fault.empty()) {
            read.reason = failure(lineNumber, fault);
            return read;
        }
        const std::string_view line = trimmed(withoutComment(raw));
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            read.reason = failure(lineNumber, "expected key = value, not " + quoted(line));
            return read;
        }
        const std::string_view name = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        size_t k = 0;
        while (k < std::size(kKeys) && name != kKeys[k].name) ++k;
        if (k == std::size(kKeys)) {
            read.reason = failure(lineNumber, "unknown key " + quoted(name));
            return read;
        }
        const auto [given, first] = read.keyLines.emplace(kKeys[k].name, lineNumber);
        if (!first) {
            read.reason = failure(lineNumber, std::string(kKeys[k].name) + " is given twice (first on line " +
                                                  std::to_string(given->second) + ")");
            return read;
        }
        const std::string bad = setKey(read.assignment, kKeys[k].key, kKeys[k].name, value);
        if (!bad.empty()) {
            read.reason = failure(lineNumber, bad);
            return read;
        }
    }
    if (read.assignment.title.empty()) read.assignment.title = titleFromName(fallbackTitle);
    if (read.assignment.title.empty()) read.assignment.title = "Assignment";
    read.ok = true;
    return read;
}

bool isAssignmentPath(std::string_view path) {
    const size_t n = std::strlen(ASSIGNMENT_EXTENSION);
    if (path.size() <= n) return false;
    const std::string_view tail = path.substr(path.size() - n);
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) != ASSIGNMENT_EXTENSION[i]) return false;
    }
    return true;
}

AssignmentRead loadAssignmentFile(const char* path, std::string* kept) {
    std::string read;
    std::string& text = kept != nullptr ? *kept : read;
    uint64_t fileBytes = 0;
    errno = 0;
    if (!readWholeFile(path, text, ASSIGNMENT_MAX_BYTES, &fileBytes)) {
        AssignmentRead refused;
        refused.reason = readRefusal(errno, fileBytes, ASSIGNMENT_MAX_BYTES);
        return refused;
    }
    std::string title = fileTitle(path);
    if (isAssignmentPath(title)) title.resize(title.size() - std::strlen(ASSIGNMENT_EXTENSION));
    return readAssignmentText(text, title);
}

AnalysisOptions optionsUnder(const Assignment& a, AnalysisOptions options) {
    if (a.deadLoad) options.includeDeadLoad = *a.deadLoad ? 1 : 0;
    if (a.deckWeight) options.includeDeckWeight = *a.deckWeight ? 1 : 0;
    if (a.extraLiveLoad) options.includeExtraLiveLoad = *a.extraLiveLoad ? 1 : 0;
    if (a.minMemberForce) options.useMinMemberForce = *a.minMemberForce ? 1 : 0;
    return options;
}

std::vector<std::string> brokenLimits(const Assignment& a, const BridgeModel& model) {
    std::vector<std::string> broken;
    if (a.maxJoints && model.jointCount > *a.maxJoints) {
        broken.push_back("This bridge has " + std::to_string(model.jointCount) +
                         " joints; the assignment allows " + std::to_string(*a.maxJoints) + ".");
    }
    if (a.maxMembers && model.memberCount > *a.maxMembers) {
        broken.push_back("This bridge has " + std::to_string(model.memberCount) +
                         " members; the assignment allows " + std::to_string(*a.maxMembers) + ".");
    }
    if (a.maxWeight && model.totalWeight > *a.maxWeight) {
        broken.push_back("This bridge weighs " + kipsText(model.totalWeight) +
                         " kips; the assignment allows " + kipsText(*a.maxWeight) + ".");
    }
    return broken;
}

std::vector<std::string> describeRules(const Assignment& a) {
    std::vector<std::string> rules;
    auto option = [&](const std::optional<bool>& value, const char* what) {
        if (value) rules.push_back(std::string(what) + ": " + (*value ? "yes" : "no"));
    };
    option(a.deadLoad, "Include Truss Dead Load");
    option(a.deckWeight, "Include Deck Weight");
    option(a.extraLiveLoad, "Additional Live Load");
    option(a.minMemberForce, "Use Min. Member Force");
    if (a.maxJoints) rules.push_back("At most " + std::to_string(*a.maxJoints) + " joints");
    if (a.maxMembers) rules.push_back("At most " + std::to_string(*a.maxMembers) + " members");
    if (a.maxWeight) rules.push_back("At most " + kipsText(*a.maxWeight) + " kips");
    if (a.due) rules.push_back("Due " + *a.due);
    return rules;
}
