// What must hold of the bridge tables whatever a user or a file did to them, and of every text the
// program writes. Each check returns what is wrong in one line, or an empty string when all holds.
// Shared by the fuzz targets, the random sessions and their tests.
#pragma once

#include <string>
#include <string_view>

#include "model/bridge_model.h"

struct AnalysisResults;
struct Mechanism;

// Where the tables came from decides what may be taken for granted.
enum class TableOrigin : uint8_t {
    // Read from a file: counts up to the table slots, sizes 0..12, joints anywhere a 16-bit board
    // coordinate reaches, members of any length, duplicates allowed.
    File,
    // Built by the program's own editing from an empty bridge or from files it wrote itself: the
    // drawing limits (a split may leave one member more), sizes 1..12, every joint inside the
    // joint area, no member from a joint to itself and no two members joining the same joints.
    Drawn,
};

struct TableCheck {
    TableOrigin origin = TableOrigin::Drawn;
    // The last member is the one being drawn (the button is still held): it runs from its start
    // joint to itself until the release, and may not exist in the count limits yet.
    bool memberOpen = false;
    // A joint being dragged with Joints / Move (0 for none): its board position runs ahead of its
    // feet until the drop.
    int draggedJoint = 0;
};

// The counts within their tables and limits, slot 0 untouched, every member's joints within
// 1..jointCount, sizes valid, feet in step with the board positions, names terminated.
std::string tableFault(const BridgeModel& model, const TableCheck& check);

// Whether two bridges are the same design: the same joints in order (board positions and the
// three file flags) and the same members in order (the same two joints, in either order, and the
// same size). Derived fields and results are not compared. Names what differs first.
std::string designDifference(const BridgeModel& expected, const BridgeModel& actual);

// The results an analysis left: a stable bridge has finite forces, allowable forces, ratios and
// load-case forces for every member and a finite deflection; an unstable one names its cause.
std::string resultsFault(const BridgeModel& model, const AnalysisResults& results);

// How an unstable truss moves, as findMechanism found it: finite, still in the supports' fixed
// directions, the joint that moves most moving 1.
std::string mechanismFault(const BridgeModel& model, const Mechanism& mechanism);

// The first number in text that is not finite ("nan", "-inf", "infinity" standing as a word of
// their own, as printf writes them), quoted with its line; empty when there is none.
std::string nonFiniteNumberIn(std::string_view text);
