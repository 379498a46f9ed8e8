// Grading a class: every bridge file given, or found in the folders given, checked and analysed
// one after another, one row each.
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis.h"

// The files to grade, in the order given; a folder stands for every .BRG file under it (any
// case), sorted by path. Names that do not exist are kept, so that they get a row of their own.
std::vector<std::string> collectBridgeFiles(const std::vector<std::string>& arguments);

// Writes one row per file to standard output, as a table or as CSV. A file that cannot be read
// gets a row with the reason and the others go on. Returns how many files could not be read.
int gradeFiles(const std::vector<std::string>& files, const AnalysisOptions& options, bool csv,
               bool progress);
