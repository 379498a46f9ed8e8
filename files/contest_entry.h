// What a team gives a class contest with each bridge, as the contest server takes it and the
// program checks it before sending: the class's code, the team's name and the team's PIN.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A class code: CLASS_CODE_LENGTH characters of an alphabet without look-alikes (no 0, O, 1, I, L).
inline constexpr char CLASS_CODE_ALPHABET[] = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
constexpr size_t CLASS_CODE_LENGTH = 8;
// A team's name, in characters (Unicode code points) once the blanks around it are trimmed.
constexpr size_t MAX_TEAM_NAME_CHARS = 40;
// A PIN is this many decimal digits.
constexpr size_t MIN_PIN_DIGITS = 4;
constexpr size_t MAX_PIN_DIGITS = 12;

bool isClassCode(std::string_view text);
bool isPin(std::string_view pin);

// Without the blanks (spaces, tabs, line breaks) around it.
std::string_view withoutBlanks(std::string_view text);

// The team name as stored: blanks trimmed; empty when the name is not valid UTF-8 of 1 to
// MAX_TEAM_NAME_CHARS characters without control characters.
std::string cleanTeamName(std::string_view name);
