// Finding same and near designs. Same: one canonical form per design (the smaller of its two
// views), sorted, so equal forms sit side by side. Near: designs are indexed by the parts an edit
// of the allowed size cannot all touch, and only designs sharing such a part are compared.
#include "grading/similarity.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "analysis/member_sizes.h"

namespace {

constexpr int64_t kPointBias = int64_t(1) << 31;

DesignPoint pointAt(int xFt, int yFt) {
    return (uint64_t(int64_t(xFt) + kPointBias) << 32) | uint64_t(int64_t(yFt) + kPointBias);
}
int64_t xOf(DesignPoint p) {
    return int64_t(p >> 32) - kPointBias;
}
int64_t yOf(DesignPoint p) {
    return int64_t(p & 0xFFFFFFFFu) - kPointBias;
}

uint64_t mix(uint64_t x) {  // splitmix64's finaliser
    x += 0x9E3779B97F4A7C15u;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}
uint64_t combine(uint64_t hash, uint64_t value) {
    return mix(hash ^ mix(value));
}

std::pair<DesignPoint, DesignPoint> endsOf(const DesignMember& m) {
    return {m.a, m.b};
}

// The view the design is known by: the smaller of the two in (joints, members) order.
int canonicalView(const Design& d) {
    return std::tie(d.joints[1], d.members[1]) < std::tie(d.joints[0], d.members[0]) ? 1 : 0;
}

bool sameDesign(const Design& x, const Design& y) {
    const int vx = canonicalView(x), vy = canonicalView(y);
    return x.joints[vx] == y.joints[vy] && x.members[vx] == y.members[vy];
}

// At most NEAR_CHANGED_MEMBERS members added, removed or resized between the two lists.
bool nearByMembers(const std::vector<DesignMember>& x, const std::vector<DesignMember>& y) {
    if (std::abs(int(x.size()) - int(y.size())) > NEAR_CHANGED_MEMBERS) return false;
    int changes = 0;
    size_t i = 0, j = 0;
    while (i < x.size() || j < y.size()) {
        if (j == y.size() || (i < x.size() && endsOf(x[i]) < endsOf(y[j]))) {
            ++i;  // only in x
            ++changes;
        } else if (i == x.size() || endsOf(y[j]) < endsOf(x[i])) {
            ++j;  // only in y
            ++changes;
        } else {
            changes += x[i].size != y[j].size ? 1 : 0;
            ++i;
            ++j;
        }
        if (changes > NEAR_CHANGED_MEMBERS) return false;
    }
    return true;
}

// The positions held by one sorted list and not the other, as far as NEAR_MOVED_JOINTS of each;
// false when there are more.
bool jointDifference(const std::vector<DesignPoint>& x, const std::vector<DesignPoint>& y,
                     std::vector<DesignPoint>& onlyX, std::vector<DesignPoint>& onlyY) {
    size_t i = 0, j = 0;
    while (i < x.size() || j < y.size()) {
        if (j == y.size() || (i < x.size() && x[i] < y[j])) {
            onlyX.push_back(x[i++]);
        } else if (i == x.size() || y[j] < x[i]) {
            onlyY.push_back(y[j++]);
        } else {
            ++i;
            ++j;
        }
        if (onlyX.size() > size_t(NEAR_MOVED_JOINTS) || onlyY.size() > size_t(NEAR_MOVED_JOINTS))
            return false;
    }
    return true;
}

bool withinMove(DesignPoint from, DesignPoint to) {
    const int64_t dx = xOf(to) - xOf(from), dy = yOf(to) - yOf(from);
    return dx * dx + dy * dy <= int64_t(NEAR_MOVE_FT) * NEAR_MOVE_FT;
}

// x's members with the joints at from[k] moved to to[k], in sorted order.
std::vector<DesignMember> movedMembers(const std::vector<DesignMember>& members,
                                       const std::vector<DesignPoint>& from,
                                       const std::vector<DesignPoint>& to) {
    auto moved = [&](DesignPoint p) {
        for (size_t k = 0; k < from.size(); ++k) {
            if (p == from[k]) return to[k];
        }
        return p;
    };
    std::vector<DesignMember> out;
    out.reserve(members.size());
    for (const DesignMember& m : members) {
        const DesignPoint a = moved(m.a), b = moved(m.b);
        out.push_back({std::min(a, b), std::max(a, b), m.size});
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The same members between the same joints once at most NEAR_MOVED_JOINTS joints of x have
// moved by up to NEAR_MOVE_FT. A joint moved onto the old place of another moved joint is not
// recognised.
bool nearByMovedJoints(const std::vector<DesignPoint>& xJoints, const std::vector<DesignMember>& xMembers,
                       const std::vector<DesignPoint>& yJoints, const std::vector<DesignMember>& yMembers) {
    if (xJoints.size() != yJoints.size() || xMembers.size() != yMembers.size()) return false;
    std::vector<DesignPoint> from, to;
    if (!jointDifference(xJoints, yJoints, from, to)) return false;
    if (from.empty() || from.size() != to.size()) return false;
    std::sort(to.begin(), to.end());
    do {  // every way of pairing the old places with the new ones
        bool close = true;
        for (size_t k = 0; k < from.size(); ++k) close = close && withinMove(from[k], to[k]);
        if (close && movedMembers(xMembers, from, to) == yMembers) return true;
    } while (std::next_permutation(to.begin(), to.end()));
    return false;
}

bool nearDesigns(const Design& x, const Design& y) {
    for (int view = 0; view < 2; ++view) {
        if (nearByMembers(x.members[0], y.members[view]) ||
            nearByMovedJoints(x.joints[0], x.members[0], y.joints[view], y.members[view])) {
            return true;
        }
    }
    return false;
}

// ---- Index keys. Two near designs always share at least one key of the same view pair:
// members are spread over three groups by their ends, and two changes touch at most two groups
// (a resize stays in its group); joints over five groups by position, and two moves touch at
// most four. Joint keys also carry what a move cannot change: the counts and the sizes.

constexpr int kMemberGroups = NEAR_CHANGED_MEMBERS + 1;
constexpr int kJointGroups = 2 * NEAR_MOVED_JOINTS + 1;

void addKeys(const Design& d, int view, std::vector<uint64_t>& keys) {
    uint64_t memberHash[kMemberGroups] = {};
    for (const DesignMember& m : d.members[view]) {
        uint64_t& h = memberHash[combine(m.a, m.b) % kMemberGroups];
        h = combine(combine(combine(h, m.a), m.b), uint64_t(m.size));
    }
    for (int g = 0; g < kMemberGroups; ++g) keys.push_back(combine(combine(1, uint64_t(g)), memberHash[g]));

    int sizeCounts[MEMBER_SIZE_COUNT + 1] = {};
    uint64_t unchanged = combine(d.joints[view].size(), d.members[view].size());
    for (const DesignMember& m : d.members[view]) ++sizeCounts[std::clamp(m.size, 0, MEMBER_SIZE_COUNT)];
    for (int count : sizeCounts) unchanged = combine(unchanged, uint64_t(count));
    uint64_t jointHash[kJointGroups] = {};
    for (DesignPoint p : d.joints[view]) {
        uint64_t& h = jointHash[mix(p) % kJointGroups];
        h = combine(h, p);
    }
    for (int g = 0; g < kJointGroups; ++g) {
        keys.push_back(combine(combine(combine(2, uint64_t(g)), unchanged), jointHash[g]));
    }
}

}  // namespace

Design designOf(const BridgeModel& model) {
    Design d;
    for (int view = 0; view < 2; ++view) {
        std::vector<DesignPoint> at(model.jointCount + 1);
        for (int j = 1; j <= model.jointCount; ++j) {
            const int x = model.joints[j].screenX - BOARD_ORIGIN_COLUMN;
            const int y = BOARD_ORIGIN_ROW - model.joints[j].screenY;
            at[j] = pointAt(view == 0 ? x : int(SPAN_FT) - x, y);
        }
        d.joints[view].assign(at.begin() + 1, at.end());
        std::sort(d.joints[view].begin(), d.joints[view].end());
        for (int i = 1; i <= model.memberCount; ++i) {
            const Member& m = model.members[i];
            const DesignPoint p = at[m.startJoint], q = at[m.endJoint];
            d.members[view].push_back({std::min(p, q), std::max(p, q), m.size});
        }
        std::sort(d.members[view].begin(), d.members[view].end());
    }
    return d;
}

std::optional<Likeness> likenessOf(const Design& x, const Design& y) {
    if (x.members[0].empty() || y.members[0].empty()) return std::nullopt;
    if (sameDesign(x, y)) return Likeness::Same;
    if (nearDesigns(x, y)) return Likeness::Near;
    return std::nullopt;
}

std::vector<SimilarPair> findSimilarDesigns(const std::vector<Design>& designs) {
    const int n = static_cast<int>(designs.size());
    std::vector<int> order;
    for (int i = 0; i < n; ++i) {
        if (!designs[i].members[0].empty()) order.push_back(i);
    }
    auto canonicalLess = [&](int x, int y) {
        const Design& a = designs[x];
        const Design& b = designs[y];
        const int va = canonicalView(a), vb = canonicalView(b);
        return std::tie(a.joints[va], a.members[va]) < std::tie(b.joints[vb], b.members[vb]);
    };
    std::stable_sort(order.begin(), order.end(), canonicalLess);

    // Groups of same designs, each in ascending index order; the first stands for the group.
    std::vector<std::vector<int>> groups;
    for (size_t k = 0; k < order.size(); ++k) {
        if (k == 0 || !sameDesign(designs[order[k - 1]], designs[order[k]])) groups.emplace_back();
        groups.back().push_back(order[k]);
    }

    std::vector<SimilarPair> pairs;
    auto addPairs = [&](const std::vector<int>& x, const std::vector<int>& y, Likeness likeness) {
        for (int i : x) {
            for (int j : y) {
                if (i != j) pairs.push_back({std::min(i, j), std::max(i, j), likeness});
            }
        }
    };
    for (const auto& g : groups) {
        for (size_t a = 0; a < g.size(); ++a) {
            for (size_t b = a + 1; b < g.size(); ++b) pairs.push_back({g[a], g[b], Likeness::Same});
        }
    }

    // Near: one entry per group and view under each of its keys; groups sharing a key are compared.
    std::unordered_map<uint64_t, std::vector<int>> byKey;
    std::vector<uint64_t> keys;
    for (int g = 0; g < int(groups.size()); ++g) {
        keys.clear();
        const Design& d = designs[groups[g].front()];
        addKeys(d, 0, keys);
        addKeys(d, 1, keys);
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        for (uint64_t key : keys) byKey[key].push_back(g);
    }
    std::vector<uint64_t> candidates;
    for (const auto& [key, members] : byKey) {
        for (size_t a = 0; a < members.size(); ++a) {
            for (size_t b = a + 1; b < members.size(); ++b) {
                candidates.push_back((uint64_t(members[a]) << 32) | uint64_t(members[b]));
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    for (uint64_t c : candidates) {
        const auto& x = groups[c >> 32];
        const auto& y = groups[c & 0xFFFFFFFFu];
        if (nearDesigns(designs[x.front()], designs[y.front()])) addPairs(x, y, Likeness::Near);
    }

    std::sort(pairs.begin(), pairs.end(), [](const SimilarPair& p, const SimilarPair& q) {
        return std::tie(p.first, p.second) < std::tie(q.first, q.second);
    });
    return pairs;
}
