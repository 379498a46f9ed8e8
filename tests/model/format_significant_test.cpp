// formatSignificant against the forms the panels and reports show.
#include "model/format_significant.h"

#include <gtest/gtest.h>

namespace {

std::string g(double v, int n) {
    return formatSignificant(v, n).c_str();
}

TEST(FormatSignificant, FixedAndExponentialForms) {
    // The documented examples with four digits.
    EXPECT_EQ(g(12, 4), "12.");
    EXPECT_EQ(g(0.5, 4), "0.5");
    EXPECT_EQ(g(0, 4), "0.");
    EXPECT_EQ(g(0.05, 4), "5.e-002");
    EXPECT_EQ(g(1234, 4), "1234");
    EXPECT_EQ(g(12345, 4), "1.235e+004");
    // Negative values, fractions kept to n digits, trailing zeros dropped.
    EXPECT_EQ(g(-44.72136, 5), "-44.721");
    EXPECT_EQ(g(-160, 5), "-160.");
    EXPECT_EQ(g(19.157088, 4), "19.16");
    EXPECT_EQ(g(1.6184, 4), "1.618");
    EXPECT_EQ(g(626.4, 4), "626.4");
    EXPECT_EQ(g(0.1, 4), "0.1");
    EXPECT_EQ(g(0.0999, 4), "9.99e-002");
    EXPECT_EQ(g(1.0, 4), "1.");
    EXPECT_EQ(g(90, 3), "90.");
    EXPECT_EQ(g(100, 3), "100");
    EXPECT_EQ(g(1000, 3), "1.e+003");
    EXPECT_EQ(g(-0.0, 4), "0.");
    EXPECT_EQ(g(0.00012, 4), "1.2e-004");
    EXPECT_EQ(g(2.5e10, 5), "2.5e+010");
}

TEST(FormatSignificant, RoundingDecidesTheForm) {
    // Rounding to n digits can carry into a new leading digit; the carried value decides.
    EXPECT_EQ(g(9999.7, 4), "1.e+004");
    EXPECT_EQ(g(999.96, 4), "1000");
    EXPECT_EQ(g(0.099996, 4), "0.1");
    EXPECT_EQ(g(5, 1), "5");
    EXPECT_EQ(g(0.05, 1), "5.e-002");
}

}  // namespace
