// The twelve standard steel member sizes and the material constants that go with them.
// Areas in in^2, radii of gyration in in, tension capacities in kips (float32, as tabulated).
#pragma once

#include <cstdint>

constexpr double ELASTIC_MODULUS_KSI = 29000.0;
constexpr double YIELD_STRESS_KSI = 36.0;
constexpr double STEEL_LB_PER_FT_PER_SQIN = 3.402778;  // 490 lb/ft^3 over 144 in^2/ft^2
constexpr double STEEL_LB_PER_CUBIC_IN = 0.2835648;

constexpr int MEMBER_SIZE_COUNT = 12;
constexpr int8_t INITIAL_DEFAULT_MEMBER_SIZE = 5;

struct MemberSize {
    double area;              // in^2
    double radiusOfGyration;  // in
    float tensionCapacity;    // kips, the allowable tension force
};

// Entry 0 is a placeholder of 0.0001 in every field, so a member whose size was never set
// divides by a small number instead of by zero; entries 1..12 are the sizes.
struct MemberSizeTable {
    MemberSize entry[MEMBER_SIZE_COUNT + 1];
    int8_t defaultMemberSize;  // size given to every member the user draws, 1..12

    const MemberSize& operator[](int size) const;
};

// Fills the table with the fixed values and sets the default size to 5.
void initMemberSizes(MemberSizeTable& memberSizes);
