// The member table: one row per member with its ends, size and length and, once the bridge is
// analysed, its design force, allowable forces, efficiency and the truck position that governs.
// Every front end shows these rows: the table window, the page's table, `members --csv` and
// `--json`; they differ only in how they write them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "analysis/analysis.h"
#include "model/bridge_model.h"

// What the member results in the model stand for.
enum class RowResults : uint8_t {
    None,      // no analysis of the bridge as it stands: the result columns stay empty
    Unstable,  // analysed and found unstable: allowable forces only
    Analysed,  // analysed and stable: every column
};

struct MemberRow {
    int16_t index;
    int16_t startJoint;  // the end with the smaller x, as the geometry update leaves them
    int16_t endJoint;
    int8_t size;
    double lengthFt;
    double force;                 // kips, tension positive
    double allowableTension;      // kips
    double allowableCompression;  // kips
    double forceRatio;            // percent, as the analysis left it: exactly 1000 marks a failure
    double demandPercent;         // the force over the allowable force of its sign, percent
    int16_t governingJoint;       // the roadbed joint whose load case gives the force, else 0
    bool failed;
};

// rows[1..count], in member order. No allocation: a whole table fits in about 12 KB.
struct MemberRows {
    RowResults results;
    int count;
    MemberRow rows[MEMBER_SLOTS];
};

// A member's design force over the allowable force of its sign, percent: its efficiency ratio,
// and for a failed member (whose stored ratio only marks it) how far over it is.
double demandPercent(const Member& member);

// The member with the highest demand (the first of equals), 0 for a bridge without members.
int hardestWorkingMember(const BridgeModel& model);

// Fills the rows from the model's members and the load-case forces of results. Among the load
// cases that give a member's design force, the one with the truck furthest left governs (by x,
// then joint number); none does when every force is 0 or the minimum member force stands in.
void fillMemberRows(const BridgeModel& model, const AnalysisResults& results, RowResults state,
                    MemberRows& rows);

constexpr int MEMBER_TABLE_COLUMNS = 11;
constexpr int MEMBER_TABLE_SIZE_COLUMN = 3;

inline constexpr std::array<const char*, MEMBER_TABLE_COLUMNS> MEMBER_TABLE_HEADINGS = {
    "Member",
    "Start",
    "End",
    "Size",
    "Length (ft)",
    "Force (kips)",
    "Tension Allowed (kips)",
    "Compression Allowed (kips)",
    "Efficiency (%)",
    "Truck at Joint",
    "Status"};

// The cells of a row as the table shows them ("45.67 T", "FAIL", empty before an analysis), and the
// numbers to sort each column by (forces signed, an empty result sorted last).
std::array<std::string, MEMBER_TABLE_COLUMNS> memberRowTexts(const MemberRow& row, RowResults state);
std::array<double, MEMBER_TABLE_COLUMNS> memberRowSortKeys(const MemberRow& row, RowResults state);

// The rows as tab-separated text with a heading line, as the table's Copy puts them on the
// clipboard.
std::string memberRowsTabSeparated(const MemberRows& rows);
