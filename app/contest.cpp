// File / Submit to Contest...: the bridge on the board, as the text of its file, goes to the class
// contest of the server the program was opened from. The server checks and analyses it under the
// contest's assignment and answers with the verdict, the rules broken and the team's standing,
// which a message box shows. What the user typed is kept for the next submission of this run.
#include <cctype>
#include <cstdio>

#include "app/main_window.h"
#include "files/bridge_file.h"
#include "files/contest_entry.h"
#include "model/format_significant.h"
#include "resources/menu_resource.h"

namespace {

constexpr char kContestCaption[] = "Submit to Contest";

// The class code as the server knows it: capitals, without the spaces and dashes a class may be
// given it with.
std::string normalClassCode(std::string_view typed) {
    std::string code;
    for (const char c : typed) {
        if (c == ' ' || c == '-') continue;
        code += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return code;
}

// Why the server would refuse what was typed, in the user's words; empty when it would not.
const char* entryProblem(const ContestEntry& entry) {
    if (!isClassCode(entry.classCode))
        return "The class code is the 8 letters and digits your teacher gave the class.";
    if (cleanTeamName(entry.team).empty()) return "The team name must be 1 to 40 characters long.";
    if (!isPin(entry.pin)) return "The team PIN must be 4 to 12 digits.";
    return nullptr;
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

// What the server's answer means to the team, one statement a line.
std::string contestAnswerText(const ContestAnswer& answer) {
    if (!answer.reached) return "The contest server did not answer: " + answer.error + ".";
    if (answer.status != 200) {
        return "The contest server refused the bridge: " + answer.error + ".";
    }
    std::string text;
    if (answer.verdict == "passed" || answer.verdict == "failed") {
        text = "Bridge " + answer.verdict + ", " + formatSignificant(answer.weight, 4).c_str() + " kips.";
    } else if (answer.verdict == "unstable") {
        text = "Bridge unstable.";
    } else {
        text = "The bridge was not analysed: " + answer.verdict;
    }
    for (const std::string& rule : answer.brokenRules) text += "\nAgainst the rules: " + rule;
    if (answer.rank > 0) {
        text += "\nYour team ranks " + std::to_string(answer.rank) + " among the approved teams.";
    } else {
        text +=
            "\nNot ranked yet: a team is ranked once the teacher approves its name and it has a passing "
            "design within the rules.";
    }
    if (answer.best) {
        text += "\nThis is your team's best design so far.";
    } else if (answer.verdict == "passed" && answer.brokenRules.empty()) {
        text += "\nYour team's best design is still an earlier one.";
    } else {
        text += "\nOnly a design that passes within the rules counts for the standings.";
    }
    if (!answer.similarTo.empty())
        text += "\nThe same or nearly the same design as: " + joined(answer.similarTo) + ".";
    return text;
}

}  // namespace

void MainWindow::submitToContest() {
    if (!shell_.reachesContestServer()) return;
    if (program_.model.memberCount == 0) {
        notice("No Bridge!", false);
        return;
    }
    ContestEntry entry = contestEntry_;
    for (;;) {
        const std::optional<ContestEntry> typed = shell_.contestDialog(entry);
        if (!typed) return;
        entry = {normalClassCode(typed->classCode), std::string(withoutBlanks(typed->team)),
                 std::string(withoutBlanks(typed->pin))};
        const char* problem = entryProblem(entry);
        if (!problem) break;
        notice(problem, true, kContestCaption);
    }
    contestEntry_ = entry;
    std::string text;
    writeBridgeFile(program_.model, text);
    const CursorShape kept = shell_.setCursor(CursorShape::Wait);
    const ContestAnswer answer = shell_.submitToContest(entry, text);
    shell_.setCursor(kept);
    notice(contestAnswerText(answer).c_str(), true, kContestCaption);
}
