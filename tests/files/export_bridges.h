// Bridges for the export tests and the sample files the outside DXF and VRML readers check.
// The reference files under tests/files/reference/ were worked out by hand for the first three.
#pragma once

#include "tests/support/test_bridges.h"

// Drawn from (35, 35) down to (5, -5) ft, size 10: the geometry update turns it round.
inline TestBridge singleMemberBridge() {
    TestBridge b;
    b.joint(35, 35);
    b.joint(5, -5);
    b.member(1, 2, 10);
    b.update();
    return b;
}

// Deck joints out of x order; a top chord from a 21 ft post to a 20 ft post, a bottom chord
// between two 10 ft hangers, and a joint 15 ft up that is no panel point. Some members are
// drawn right to left or downward.
inline TestBridge chordBridge() {
    TestBridge b;
    b.joint(0, 0);      // 1
    b.joint(400, 0);    // 2
    b.joint(200, 0);    // 3
    b.joint(100, 0);    // 4
    b.joint(100, 21);   // 5
    b.joint(200, 20);   // 6
    b.joint(100, -10);  // 7
    b.joint(200, -10);  // 8
    b.joint(300, 15);   // 9
    b.member(1, 4, 9);
    b.member(4, 3, 9);
    b.member(2, 3, 10);
    b.member(5, 6, 12);  // top chord
    b.member(7, 8, 11);  // bottom chord
    b.members({{4, 5}, {6, 3}, {4, 7}, {8, 3}, {1, 5}, {6, 9}, {2, 9}}, 4);
    b.update();
    return b;
}

// A ten-panel Pratt truss, 40 ft panels and 40 ft deep, hung under the middle.
inline TestBridge prattBridge() {
    TestBridge b;
    for (int x = 0; x <= 400; x += 40) b.joint(x, 0);      // 1..11
    for (int x = 40; x <= 360; x += 40) b.joint(x, 40);    // 12..20
    const int low = b.joint(200, -20);                     // 21
    for (int k = 1; k <= 10; ++k) b.member(k, k + 1, 7);   // deck
    for (int k = 12; k <= 19; ++k) b.member(k, k + 1, 9);  // top chord
    b.member(1, 12, 10);                                   // end posts
    b.member(20, 11, 10);
    for (int k = 2; k <= 10; ++k) b.member(k, k + 10, 5);  // verticals
    for (int k = 12; k <= 15; ++k) b.member(k, k - 9, 6);  // diagonals toward the middle
    for (int k = 17; k <= 20; ++k) b.member(k, k - 11, 6);
    b.member(6, low, 3);  // hanger and its ties
    b.member(5, low, 3);
    b.member(low, 7, 3);
    b.update();
    return b;
}

// Thirty roadbed joints 10 ft apart plus both supports: 32 panel points, joined along the deck.
inline TestBridge manyPanelsBridge() {
    TestBridge b;
    for (int x = 0; x <= 300; x += 10) b.joint(x, 0);
    b.joint(400, 0);
    for (int k = 1; k < b.model.jointCount; ++k) b.member(k, k + 1, 5);
    b.update();
    return b;
}
