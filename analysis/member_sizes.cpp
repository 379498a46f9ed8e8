// The member size table. The tension capacities are 21.6 ksi times the area for sizes 1..8
// and the tabulated whole numbers for 9..12; they are never recomputed from the area.
#include "analysis/member_sizes.h"

#include <cassert>

namespace {

constexpr MemberSize kSizes[MEMBER_SIZE_COUNT + 1] = {
    {0.0001, 0.0001, 0.0001f}, {2.75, 1.127, 59.4f},    {5.75, 2.35, 124.2f},    {8.75, 3.57, 189.0f},
    {11.75, 4.8, 253.8f},      {29.0, 5.92, 626.4f},    {35.0, 7.15, 756.0f},    {60.75, 8.27, 1312.2f},
    {69.75, 9.5, 1506.6f},     {104.0, 10.62, 2246.0f}, {116.0, 11.85, 2506.0f}, {189.0, 12.87, 4082.0f},
    {207.0, 14.1, 4471.0f},
};

}  // namespace

const MemberSize& MemberSizeTable::operator[](int size) const {
    assert(size >= 0 && size <= MEMBER_SIZE_COUNT && "member size must be 0..12");
    return entry[size];
}

void initMemberSizes(MemberSizeTable& memberSizes) {
    for (int i = 0; i <= MEMBER_SIZE_COUNT; ++i) memberSizes.entry[i] = kSizes[i];
    memberSizes.defaultMemberSize = INITIAL_DEFAULT_MEMBER_SIZE;
}
