// The one conversion of a real number to text with n significant digits, shared by the
// information panels and the printed reports ("12.", "0.5", "5.e-002", "1234", "1.235e+004").
#pragma once

struct SignificantText {
    char text[64];
    const char* c_str() const { return text; }
};

// n is 1..17. Fixed form when the first significant digit sits between the tens of the
// n-th place and the tenths; otherwise one digit, a point, n-1 digits and a three-digit
// exponent. Trailing zeros of the fraction are dropped but the point stays.
SignificantText formatSignificant(double value, int n);
