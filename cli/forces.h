// The force in each member for every position of the truck, as the analysis computed it, with the
// member's allowable forces: a table for spreadsheets (CSV) and for the chart.
#pragma once

#include <string>
#include <vector>

#include "cli/bridge_run.h"
#include "cli/command_result.h"

// One load case: the truck on a roadbed joint.
struct TruckPosition {
    int joint;
    int loadCase;  // 1..roadbedJointCount, the analysis's numbering (ascending joint number)
    double xFt;
};

struct MemberForces {
    int member;
    int startJoint;  // the end with the smaller x
    int endJoint;
    int size;
    double allowableTension;      // kips
    double allowableCompression;  // kips, as a positive number
    double force;                 // kips, the governing force (tension positive)
    bool failed;
    std::vector<double> forces;  // kips, tension positive, one per position in table order
    // The position whose force governs, or -1 when no truck position gives the governing force
    // (every force is 0, or the minimum member force option stands in for it).
    int controlling;
};

struct ForceTable {
    AnalysisOptions options;               // the loads the forces come from
    std::vector<TruckPosition> positions;  // left to right (by x, then joint number)
    std::vector<MemberForces> members;     // ascending member number
};

// From a run that was calculated and found stable. member 0 takes every member, otherwise only
// that one (1..memberCount).
ForceTable forceTableOf(const BridgeRun& run, int member);

// A header line, then one row per member: member, startJoint, endJoint, size, allowableTension,
// allowableCompression, and one force per position, headed "joint J at X ft". Numbers are the
// shortest text that reads back as the same double.
std::string forcesCsv(const ForceTable& table);

// The forces command: calculates the loaded run and writes the table to outPath, as CSV, SVG or
// PNG by its extension (any case). A bridge the check stops or the analysis finds unstable is
// refused with the reason; so is a member number the bridge does not have (a usage error).
CommandResult writeMemberForces(BridgeRun& run, const std::string& bridgePath, const std::string& outPath,
                                int member);
