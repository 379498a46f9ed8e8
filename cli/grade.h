// Grading a class: every bridge file given, or found in the folders given, checked and analysed
// one after another, one row each, with the other files that hold the same or nearly the same
// design and, on request, the lightest weight the bridge's own geometry passes with.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analysis.h"

// The files to grade, in the order given; a folder stands for every .BRG file under it (any
// case), sorted by path. Names that do not exist are kept, so that they get a row of their own.
std::vector<std::string> collectBridgeFiles(const std::vector<std::string>& arguments);

enum class GradeFormat { Table, Csv, Json };

struct GradeSettings {
    AnalysisOptions options{};
    GradeFormat format = GradeFormat::Table;
    bool lighten = false;   // add the lightest weight found for each bridge's geometry
    bool progress = false;  // "grading n of N" on standard error while the files are read
};

// Writes one row per file to out, as a table, CSV or a JSON array; the rows come once every
// file has been read, since each names the others like it. A file that cannot be read gets a row
// with the reason and the others go on. Returns how many files could not be read.
int gradeFiles(const std::vector<std::string>& files, const GradeSettings& settings, FILE* out);
