// What a team gives a class contest with each bridge, as the contest server takes it and the
// program checks it before sending: the class's code, the team's name and the team's PIN.
#pragma once

#include <cstddef>

// A class code: CLASS_CODE_LENGTH characters of an alphabet without look-alikes (no 0, O, 1, I, L).
inline constexpr char CLASS_CODE_ALPHABET[] = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
constexpr size_t CLASS_CODE_LENGTH = 8;
// A team's name, in characters (Unicode code points) once the blanks around it are trimmed.
constexpr size_t MAX_TEAM_NAME_CHARS = 40;
// A PIN is this many decimal digits.
constexpr size_t MIN_PIN_DIGITS = 4;
constexpr size_t MAX_PIN_DIGITS = 12;
