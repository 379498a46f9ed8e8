// Grading a class: every bridge file given, or found in the folders given, checked and analysed
// one after another, one row each, with the other files that hold the same or nearly the same
// design, on request the lightest weight the bridge's own geometry passes with, and under an
// assignment the limits each bridge breaks and the class ranked.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "files/assignment_file.h"
#include "grading/command_result.h"
#include "grading/similarity.h"

// The files to grade, in the order given; a folder stands for every .BRG file under it (any
// case), sorted by path. Names that do not exist are kept, so that they get a row of their own.
std::vector<std::string> collectBridgeFiles(const std::vector<std::string>& arguments);

enum class GradeFormat { Table, Csv, Json, None };

struct GradeSettings {
    AnalysisOptions options{};  // already under the assignment's, when there is one
    GradeFormat format = GradeFormat::Table;
    bool lighten = false;                    // add the lightest weight found for each bridge's geometry
    bool progress = false;                   // "grading n of N" on standard error while the files are read
    const Assignment* assignment = nullptr;  // its limits judge every bridge; the rows are ranked
    bool ranked = false;    // rows by standing and weight rather than in the order of the files
    bool pictures = false;  // draw each bridge and the worst member's forces, for the class page
};

// How a row ranks, best first. A bridge that breaks no limit, or is graded without an assignment,
// counts as within the rules.
enum class Standing { PassedWithinRules, PassedBreakingRules, Failed, Unstable, NotAnalysed, Unreadable };

struct SimilarFile {
    int row;  // index in GradedClass::rows
    Likeness likeness;
};

struct GradeRow {
    std::string file;
    bool readable = false;
    std::string name;
    int joints = 0, members = 0;
    double weight = 0.0;         // kips
    std::string result;          // verdict, check message, or "unreadable: " and the reason
    bool analysed = false;       // the check passed and the analysis ran
    bool stable = false;         // ... and found the truss stable
    double maxDeflection = 0.0;  // inches
    double efficiency = 0.0;     // percent
    int worst = 0;               // member with the highest ratio, 0 when none
    double worstRatio = 0.0;
    bool lightened = false;  // a lightest weight was asked for and found
    double lightestWeight = 0.0;
    std::vector<std::string> brokenLimits;  // one sentence each, under an assignment
    Standing standing = Standing::Unreadable;
    std::vector<SimilarFile> similar;
    // With pictures: the bridge as an inline <svg> element (readable files), and for a failed
    // bridge the force chart of its worst member as an SVG document.
    std::string drawing;
    std::string worstChart;
    Design design;  // of a readable file, for comparing it with bridges graded later
};

struct GradedClass {
    std::vector<GradeRow> rows;  // in the order of the files
    std::vector<int> order;      // indices of rows in the order they are written
    int unreadable = 0;
};

// Reads and analyses every file. Ranked, the order is by standing, then by weight (lightest first),
// then by the order of the files; unreadable files keep theirs, last.
GradedClass gradeClass(const std::vector<std::string>& files, const GradeSettings& settings);

// A bridge file's text held in memory, graded under a label that stands for its path.
struct BridgeText {
    std::string label;
    std::string text;
};

// gradeClass for texts instead of files: the label is each row's file and its bridge's name.
GradedClass gradeTexts(const std::vector<BridgeText>& texts, const GradeSettings& settings);
// The same in a run the caller keeps for the next texts (its options become the settings').
struct BridgeRun;
GradedClass gradeTexts(const std::vector<BridgeText>& texts, const GradeSettings& settings, BridgeRun& run);

// Writes one row per file to out, as a table, CSV or a JSON array, in the class's order. A file
// that could not be read has a row with the reason. Under an assignment every row says "ok" or
// the limits it breaks, in a rules column.
void printGrades(const GradedClass& graded, const GradeSettings& settings, FILE* out);

// gradeClass then printGrades. Returns how many files could not be read.
int gradeFiles(const std::vector<std::string>& files, const GradeSettings& settings, FILE* out);

// The options an analysis uses under the assignment at path, for the options given as flags. An
// assignment that cannot be read is a file error naming its line; a flag for an option the
// assignment turns off is a usage error naming the flag and the line that turns it off. A flag
// for an option it turns on says nothing new and is taken.
CommandResult readAssignmentFor(const std::string& path, const AnalysisOptions& flags, Assignment& assignment,
                                AnalysisOptions& options);

// "ok", or the broken limits joined by blanks: the rules column of the table, CSV and JSON.
std::string rulesText(const GradeRow& row);
