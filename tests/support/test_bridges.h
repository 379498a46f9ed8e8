// Small bridges built straight into the tables, for tests of every area.
#pragma once

#include <initializer_list>
#include <utility>

#include "analysis/member_sizes.h"
#include "model/bridge_model.h"

struct TestBridge {
    BridgeModel model;
    MemberSizeTable sizes;

    TestBridge() {
        initBridgeModel(model);
        initMemberSizes(sizes);
    }

    // Appends a joint at (x, y) ft; returns its index.
    int joint(int xFt, int yFt) {
        const int j = ++model.jointCount;
        model.joints[j] = Joint{};
        model.joints[j].screenX = static_cast<int16_t>(columnFromFeet(xFt));
        model.joints[j].screenY = static_cast<int16_t>(rowFromFeet(yFt));
        model.joints[j].x = static_cast<float>(xFt);
        model.joints[j].y = static_cast<float>(yFt);
        return j;
    }

    // Appends a member between joints a and b; returns its index.
    int member(int a, int b, int size = 5) {
        const int i = ++model.memberCount;
        model.members[i] = Member{};
        model.members[i].startJoint = static_cast<int16_t>(a);
        model.members[i].endJoint = static_cast<int16_t>(b);
        model.members[i].size = static_cast<int8_t>(size);
        return i;
    }

    void members(std::initializer_list<std::pair<int, int>> ends, int size = 5) {
        for (auto [a, b] : ends) member(a, b, size);
    }

    void update() { updateGeometry(model, sizes); }
};

// Four 100 ft panels, 50 ft deep, every member of size 5: the hand-solved truss whose load-case
// forces are known. Joints 1..5 along the deck, 6..8 on top.
inline TestBridge workedExampleBridge() {
    TestBridge b;
    b.joint(0, 0);
    b.joint(100, 0);
    b.joint(200, 0);
    b.joint(300, 0);
    b.joint(400, 0);
    b.joint(100, 50);
    b.joint(200, 50);
    b.joint(300, 50);
    b.members({{1, 2},
               {2, 3},
               {3, 4},
               {4, 5},
               {6, 7},
               {7, 8},
               {1, 6},
               {8, 5},
               {2, 6},
               {3, 7},
               {4, 8},
               {6, 3},
               {8, 3}});
    b.update();
    return b;
}
