// Copied designs in a class: which bridge files hold the same design up to numbering, member
// ends and mirroring, and which are one small edit away from each other. Positions are in the
// whole feet the program works in.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/bridge_model.h"

// A joint position (x, y) in whole feet, packed so that packed values sort as (x, y) do.
using DesignPoint = uint64_t;

struct DesignMember {
    DesignPoint a;  // the lower of the two end positions
    DesignPoint b;
    int size;  // 1..12 (0 for a member the file left without one)
    friend auto operator<=>(const DesignMember&, const DesignMember&) = default;
};

// One bridge seen both ways round: [0] as drawn and [1] mirrored about the centre line
// (x -> 400 - x). Both lists of each view are sorted, so joint and member numbers, the order of a
// member's ends, the file and bridge names and the modulus line leave no trace.
struct Design {
    std::vector<DesignPoint> joints[2];
    std::vector<DesignMember> members[2];
};

// Builds the design from the board coordinates of the model's joints and its members' ends and
// sizes; no geometry update is needed.
Design designOf(const BridgeModel& model);

// How far two near designs may be apart.
constexpr int NEAR_MOVED_JOINTS = 2;
constexpr int NEAR_MOVE_FT = 10;  // how far each moved joint may have gone, straight-line
constexpr int NEAR_CHANGED_MEMBERS = 2;

enum class Likeness : uint8_t {
    Same,  // equal up to numbering, member ends and mirroring; sizes count
    // Not the same, but the same after moving at most NEAR_MOVED_JOINTS joints by up to
    // NEAR_MOVE_FT each, or after adding, removing or resizing at most NEAR_CHANGED_MEMBERS
    // members (joints without members are not compared then).
    Near,
};

struct SimilarPair {
    int first;  // indices into the designs given, first < second
    int second;
    Likeness likeness;
};

// How two designs compare, one pair at a time; nothing when they are neither same nor near.
std::optional<Likeness> likenessOf(const Design& x, const Design& y);

// Every similar pair among the designs, sorted by first and then second. Designs without
// members take part in no pair. Same designs are found by sorting one canonical form per design;
// near ones by comparing only designs that share an untouched part (a third of the members, a
// fifth of the joints), so a class of a thousand takes milliseconds.
std::vector<SimilarPair> findSimilarDesigns(const std::vector<Design>& designs);
