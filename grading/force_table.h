// The force in each member for every position of the truck, as the analysis computed it, with the
// member's allowable forces: the data of the forces chart and its CSV table, and the truck position
// that governs each member's design force.
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "model/bridge_model.h"

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

// From a bridge that was analysed and found stable, with the options it was analysed with.
// member 0 takes every member, otherwise only that one (1..memberCount).
ForceTable forceTableOf(const BridgeModel& model, const AnalysisResults& results,
                        const AnalysisOptions& options, int member);

// The truck positions of the bridge's load cases, left to right (by x, then joint number).
std::vector<TruckPosition> truckPositionsOf(const BridgeModel& model);

// A header line, then one row per member: member, startJoint, endJoint, size, allowableTension,
// allowableCompression, and one force per position, headed "joint J at X ft". Numbers are the
// shortest text that reads back as the same double.
std::string forcesCsv(const ForceTable& table);
