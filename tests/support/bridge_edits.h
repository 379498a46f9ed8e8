// Edited copies of bridges, the way students copy a design: renumbered, mirrored, joints moved,
// members resized or removed; and the sample bridges loaded from examples/.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "files/bridge_file.h"
#include "tests/support/test_bridges.h"

// A bridge of examples/ by file name; a sample that does not load is a broken checkout.
inline TestBridge sample(const char* name) {
    TestBridge b;
    const std::string path = std::string(TRUSSMILL_SOURCE_DIR) + "/examples/" + name;
    if (!loadBridgeFile(path.c_str(), b.model, b.sizes).ok()) {
        std::fprintf(stderr, "cannot load the sample bridge %s\n", path.c_str());
        std::abort();
    }
    return b;
}

// The same bridge with joints and members in a random order and some member ends swapped.
inline TestBridge renumbered(const TestBridge& src, std::mt19937& rng) {
    const BridgeModel& m = src.model;
    std::vector<int> order(m.jointCount);
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), rng);
    TestBridge b;
    std::vector<int> newIndex(m.jointCount + 1);
    for (int j : order) newIndex[j] = b.joint(int(m.joints[j].x), int(m.joints[j].y));
    std::vector<int> members(m.memberCount);
    std::iota(members.begin(), members.end(), 1);
    std::shuffle(members.begin(), members.end(), rng);
    for (int i : members) {
        int a = newIndex[m.members[i].startJoint], e = newIndex[m.members[i].endJoint];
        if (rng() % 2) std::swap(a, e);
        b.member(a, e, m.members[i].size);
    }
    b.update();
    return b;
}

inline TestBridge mirrored(const TestBridge& src) {
    TestBridge b = src;
    for (int j = 1; j <= b.model.jointCount; ++j) {
        Joint& joint = b.model.joints[j];
        joint.x = float(SPAN_FT) - joint.x;
        joint.screenX = static_cast<int16_t>(columnFromFeet(joint.x));
    }
    b.update();
    return b;
}

inline TestBridge moved(const TestBridge& src, int joint, int dxFt, int dyFt) {
    TestBridge b = src;
    Joint& j = b.model.joints[joint];
    j.x += float(dxFt);
    j.y += float(dyFt);
    j.screenX = static_cast<int16_t>(columnFromFeet(j.x));
    j.screenY = static_cast<int16_t>(rowFromFeet(j.y));
    b.update();
    return b;
}

inline TestBridge resized(const TestBridge& src, int member, int size) {
    TestBridge b = src;
    b.model.members[member].size = static_cast<int8_t>(size);
    b.update();
    return b;
}

inline TestBridge withoutMember(const TestBridge& src, int member) {
    TestBridge b = src;
    for (int i = member; i < b.model.memberCount; ++i) b.model.members[i] = b.model.members[i + 1];
    --b.model.memberCount;
    b.update();
    return b;
}

// One edit of a kind students make, chosen at random: renumbered, mirrored, a joint moved by up
// to maxMoveFt across and up, a member resized, removed (from bridges of more than minMembers) or
// added between two joints.
inline TestBridge randomlyEdited(const TestBridge& src, std::mt19937& rng, int maxMoveFt, int minMembers) {
    auto pick = [&](int count) { return 1 + int(rng() % unsigned(count)); };
    TestBridge b = src;
    switch (rng() % 6) {
        case 0:
            return renumbered(b, rng);
        case 1:
            return mirrored(b);
        case 2: {
            const int span = 2 * maxMoveFt + 1;
            return moved(b, pick(b.model.jointCount), int(rng() % span) - maxMoveFt,
                         int(rng() % span) - maxMoveFt);
        }
        case 3:
            return resized(b, pick(b.model.memberCount), pick(MEMBER_SIZE_COUNT));
        case 4:
            return b.model.memberCount > minMembers ? withoutMember(b, pick(b.model.memberCount)) : b;
        default:
            b.member(pick(b.model.jointCount), pick(b.model.jointCount));
            b.update();
            return b;
    }
}
