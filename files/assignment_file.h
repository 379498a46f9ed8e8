// A class contest's rules: a small UTF-8 text file, NAME.trussmill-assignment, of "key = value"
// lines with '#' comments, that fixes analysis options and limits the bridge. The program and the
// grader both read it here, so a student sees the teacher's rules before handing a bridge in.
//
//     title = Spring bridge contest
//     dead_load = yes            # Include Truss Dead Load
//     max_joints = 40
//     max_weight = 150           # kips
//     due = 2027-03-01           # shown, not enforced
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis.h"
#include "model/bridge_model.h"

// The extension the file's name ends with (any case).
inline constexpr char ASSIGNMENT_EXTENSION[] = ".trussmill-assignment";
constexpr size_t ASSIGNMENT_MAX_BYTES = 64u << 10;

struct Assignment {
    std::string title;  // UTF-8; never empty once read (the file's name stands in for it)
    // The options the assignment fixes; nothing where it leaves them to the student.
    std::optional<bool> deadLoad;
    std::optional<bool> deckWeight;
    std::optional<bool> extraLiveLoad;
    std::optional<bool> minMemberForce;
    std::optional<int> maxJoints;
    std::optional<int> maxMembers;
    std::optional<double> maxWeight;  // kips
    std::optional<std::string> due;   // YYYY-MM-DD
};

struct AssignmentRead {
    bool ok = false;
    std::string reason;  // one line for the user when not ok: "line 4: unknown key 'max_wieght'"
    Assignment assignment;
    std::map<std::string, int, std::less<>> keyLines;  // the line each key is given on, 1 first
};

// Parses the text of an assignment file: UTF-8 (surrogates, overlong forms and bytes that start no
// character refused) with no control character but the tab, an optional byte order mark, LF or
// CR LF line ends; a fault is refused with its line. fallbackTitle (a file name: any bytes) names
// the assignment when it has no title line, shown as printable text and cut between characters.
AssignmentRead readAssignmentText(std::string_view text, std::string_view fallbackTitle);

// Reads the file at path (at most ASSIGNMENT_MAX_BYTES); its title defaults to its file name. The
// file's text goes to text when given, for a caller that keeps it.
AssignmentRead loadAssignmentFile(const char* path, std::string* text = nullptr);

// Whether path names an assignment by its extension.
bool isAssignmentPath(std::string_view path);

// The options an analysis uses under the assignment: its fixed ones, the others as given.
AnalysisOptions optionsUnder(const Assignment& assignment, AnalysisOptions options);

// Every limit the bridge breaks, one sentence each ("This bridge has 44 joints; the assignment
// allows 40."); the weight is the bridge's total weight as the geometry last computed it.
std::vector<std::string> brokenLimits(const Assignment& assignment, const BridgeModel& model);

// The rules as short lines for people ("Include Truss Dead Load: yes", "At most 40 joints").
std::vector<std::string> describeRules(const Assignment& assignment);
