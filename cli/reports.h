// What trussmill-cli prints about one analysed bridge: a readable report, a JSON object, and
// the row of a class grading.
#pragma once

#include <string>

#include "grading/bridge_run.h"

// Verdict, weight, deflection, overall efficiency and one row per member, laid out like the
// printed results report.
std::string textReport(const BridgeRun& run);

// The whole run as one JSON object (see --help for its fields); numbers round-trip as doubles.
std::string jsonReport(const BridgeRun& run);

// The member table (display/member_table.h) of a calculated run: as the program's table shows it,
// tab-separated with a heading line; or its fields as CSV or as a JSON array (see --help).
enum class MemberTableFormat { Text, Csv, Json };
std::string memberTableReport(const BridgeRun& run, MemberTableFormat format);
