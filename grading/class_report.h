// The class page of grade --html: one self-contained HTML document, readable without script,
// network or other files, that a teacher can open, sort by a column, and print.
#pragma once

#include <string>
#include <string_view>

#include "grading/command_result.h"
#include "grading/grade.h"

// The page for a class graded with pictures: the assignment's title and rules when there is one,
// a table of every file in the class's order (rows "file-N", N the file's place among those
// given, 1 first; copied designs link to each other's rows), each readable bridge drawn in its row,
// and the force chart of each failed bridge's worst member ("chart-N") below the table.
std::string classReportHtml(const GradedClass& graded, const GradeSettings& settings);

// Writes the page to path atomically; a file error names the path and the system's reason.
CommandResult writeClassReport(const GradedClass& graded, const GradeSettings& settings,
                               const std::string& path);

// Appends bytes as HTML text: & < > " ' as references, valid UTF-8 as it is, any other byte as
// the Latin-1 character of that code, and control characters but tab and line feed as U+FFFD.
void appendHtmlText(std::string& out, std::string_view bytes);
