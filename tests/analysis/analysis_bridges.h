// Trusses for the analysis tests and benchmarks: parallel-chord trusses of any panel count, the
// largest bridge the limits allow, and random bridges (stable, mechanisms, odd numberings).
#pragma once

#include <algorithm>
#include <initializer_list>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

#include "tests/support/test_bridges.h"

using Points = std::initializer_list<std::pair<int, int>>;
using Ends = std::initializer_list<std::pair<int, int>>;

// How the joints of a generated truss are numbered.
enum class JointOrder {
    DeckFirst,    // the roadbed line left to right, then the top chord (as a bridge is usually drawn)
    LeftToRight,  // panel by panel, bottom then top
};

// A parallel-chord truss: deck joints at the given x (first 0, last 400), a top joint above every
// deck joint but the first and last `firstTop` ones, verticals, both diagonals in every top panel
// when crossBraced (else one, alternating), end posts from the deck joints without a top joint up
// to the nearest top joint, and `extra` diagonals spanning two panels. Members in a fixed order:
// deck, top, verticals, end posts, diagonals.
inline TestBridge chordTruss(const std::vector<int>& deckX, int heightFt, bool crossBraced, int extra,
                             JointOrder order, int size = 5, int firstTop = 1) {
    TestBridge b;
    const int deckCount = static_cast<int>(deckX.size());
    const int lastTop = deckCount - 1 - firstTop;
    std::vector<int> deck(deckCount), top(deckCount, 0);
    if (order == JointOrder::DeckFirst) {
        for (int i = 0; i < deckCount; ++i) deck[i] = b.joint(deckX[i], 0);
        for (int i = firstTop; i <= lastTop; ++i) top[i] = b.joint(deckX[i], heightFt);
    } else {
        for (int i = 0; i < deckCount; ++i) {
            deck[i] = b.joint(deckX[i], 0);
            if (i >= firstTop && i <= lastTop) top[i] = b.joint(deckX[i], heightFt);
        }
    }
    for (int i = 0; i + 1 < deckCount; ++i) b.member(deck[i], deck[i + 1], size);
    for (int i = firstTop; i < lastTop; ++i) b.member(top[i], top[i + 1], size);
    for (int i = firstTop; i <= lastTop; ++i) b.member(deck[i], top[i], size);
    for (int i = 0; i < firstTop; ++i) {
        b.member(deck[i], top[firstTop], size);
        b.member(top[lastTop], deck[deckCount - 1 - i], size);
    }
    for (int i = firstTop; i < lastTop; ++i) {
        if (crossBraced || i % 2 == 0) b.member(deck[i], top[i + 1], size);
        if (crossBraced || i % 2 == 1) b.member(top[i], deck[i + 1], size);
    }
    const int span = std::max(1, lastTop - firstTop - 1);  // panels where i + 2 still has a top joint
    for (int e = 0; e < extra; ++e) {
        const int i = firstTop + e % span;
        if ((e / span) % 2 == 0) {
            b.member(deck[i], top[i + 2], size);
        } else {
            b.member(top[i], deck[i + 2], size);
        }
    }
    b.update();
    return b;
}

// Deck x positions of `panels` panels over the 400 ft span, as even as whole feet allow.
inline std::vector<int> evenPanels(int panels) {
    std::vector<int> x(panels + 1);
    for (int i = 0; i <= panels; ++i) x[i] = i * 400 / panels;
    return x;
}

// The largest bridge the limits allow: 60 joints (30 roadbed joints, 2 supports, 28 on top) and
// 150 members, 31 panels 30 ft deep, cross-braced, six members spanning two panels.
inline TestBridge largestLegalBridge(JointOrder order) {
    return chordTruss(evenPanels(31), 30, true, 6, order, 5, 2);
}

// 62 joints (40 of them roadbed joints, so 40 load cases) and 151 members: the most the tables hold.
inline TestBridge fullTableBridge() {
    return chordTruss(evenPanels(41), 20, true, 11, JointOrder::DeckFirst, 6, 11);
}

// Six panels 50 ft deep: the two left inner panels cross-braced (which makes up the member count),
// the two right ones plain rectangles. With chords and verticals the arithmetic of the sway is
// exact: the elimination meets a pivot of exactly 0 with nothing below it to swap in.
inline TestBridge swayingPanelsBridge() {
    TestBridge b;
    const std::vector<int> x = evenPanels(6);
    int deck[7], top[6];
    for (int i = 0; i <= 6; ++i) deck[i] = b.joint(x[i], 0);
    for (int i = 1; i <= 5; ++i) top[i] = b.joint(x[i], 50);
    for (int i = 0; i < 6; ++i) b.member(deck[i], deck[i + 1]);
    for (int i = 1; i < 5; ++i) b.member(top[i], top[i + 1]);
    for (int i = 1; i <= 5; ++i) b.member(deck[i], top[i]);
    b.member(deck[0], top[1]);
    b.member(top[5], deck[6]);
    for (int i = 1; i <= 2; ++i) {
        b.member(deck[i], top[i + 1]);
        b.member(top[i], deck[i + 1]);
    }
    b.update();
    return b;
}

// The last roadbed joint and the roller hang on verticals and hold each other sideways only: a
// sliding mechanism that survives the elimination (by a row swap) and shows as a huge deflection.
inline TestBridge slidingEndBridge() {
    TestBridge b;
    for (auto [x, y] :
         Points{{0, 0}, {100, 0}, {200, 0}, {100, 50}, {200, 50}, {300, 50}, {400, 50}, {400, 0}, {300, 0}}) {
        b.joint(x, y);
    }
    b.members({{1, 2},
               {2, 3},
               {4, 5},
               {5, 6},
               {6, 7},
               {1, 4},
               {2, 4},
               {3, 5},
               {2, 5},
               {4, 3},
               {3, 6},
               {9, 6},
               {9, 8},
               {8, 7},
               {1, 5}});
    b.update();
    return b;
}

// A random bridge on the 400 ft span: a truss of random panels and depth, some diagonals dropped
// or added, members of random sizes and ends, joints renumbered and members reordered at random.
// Roughly half come out stable; the rest fail one check or another.
inline TestBridge randomBridge(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int panels = pick(2, 31);
    std::vector<int> deckX(panels + 1);
    std::vector<int> cuts(panels - 1);
    std::vector<int> all(399);
    std::iota(all.begin(), all.end(), 1);
    std::shuffle(all.begin(), all.end(), rng);
    std::copy(all.begin(), all.begin() + (panels - 1), cuts.begin());
    std::sort(cuts.begin(), cuts.end());
    deckX[0] = 0;
    for (int i = 1; i < panels; ++i) deckX[i] = cuts[i - 1];
    deckX[panels] = 400;
    const int height = pick(1, 100);
    const bool cross = pick(0, 1) == 1;
    const TestBridge base = chordTruss(deckX, height, cross, 0, JointOrder::LeftToRight, pick(1, 12));

    // Rebuild with joints renumbered, members shuffled, some dropped, some sizes changed.
    const BridgeModel& src = base.model;
    std::vector<int> newIndex(src.jointCount + 1);
    std::vector<int> perm(src.jointCount);
    std::iota(perm.begin(), perm.end(), 1);
    if (pick(0, 2) > 0) std::shuffle(perm.begin(), perm.end(), rng);
    TestBridge b;
    for (int n = 0; n < src.jointCount; ++n) {
        const Joint& j = src.joints[perm[n]];
        newIndex[perm[n]] = b.joint(static_cast<int>(j.x), static_cast<int>(j.y));
    }
    std::vector<int> order(src.memberCount);
    std::iota(order.begin(), order.end(), 1);
    if (pick(0, 1)) std::shuffle(order.begin(), order.end(), rng);
    const int dropChance = pick(0, 2) == 0 ? 15 : 0;  // percent
    for (int i : order) {
        if (pick(1, 100) <= dropChance) continue;
        const Member& m = src.members[i];
        int a = newIndex[m.startJoint], e = newIndex[m.endJoint];
        if (pick(0, 1)) std::swap(a, e);
        b.member(a, e, pick(0, 3) == 0 ? pick(1, 12) : m.size);
    }
    b.update();
    return b;
}
