// The teacher and student tools run as a user would: grade naming copied designs and judging a
// class under an assignment, lighten writing a passing bridge, the forces and lighten commands
// refusing what they cannot use, and their help.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "files/file_paths.h"
#include "grading/grade.h"
#include "tests/analysis/analysis_bridges.h"
#include "tests/support/bridge_edits.h"
#include "tests/support/cli_run.h"

namespace {

std::string scratch(const char* name) {
    return scratchFolder(std::string("tools-") + name);
}

bool save(const std::string& path, TestBridge bridge) {
    return saveBridgeFile(path.c_str(), bridge.model);
}

TEST(TeacherTools, UsageAndHelp) {
    for (const char* command :
         {"grade --csv --json x.BRG", "forces x.BRG", "forces --review a b", "lighten a.BRG",
          "lighten --member 3 a b", "analyze --lighten x.BRG", "render --member 2 a b",
          "grade --html a --html b x.BRG", "grade x.BRG --assignment", "analyze --assignment a x.BRG"}) {
        const CliRun r = cli(command);
        EXPECT_EQ(r.status, 2) << command;
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << command;
    }
    const CliRun help = cli("--help");
    for (const char* word :
         {"forces", "lighten", "--member", "--lighten", "similar_to", "--json", "--assignment", "--html"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
}

TEST(TeacherTools, UnreadableFilesAreRefusedAndNothingIsWritten) {
    const std::string dir = scratch("unreadable");
    write(dir + "/short.BRG", "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n");
    for (const std::string& file : {dir + "/short.BRG", dir + "/nothere.BRG"}) {
        for (const std::string& command :
             {"forces " + file + " " + dir + "/out.csv", "lighten " + file + " " + dir + "/out.BRG"}) {
            const CliRun r = cli(command);
            EXPECT_EQ(r.status, 1) << command;
            EXPECT_EQ(r.err.rfind("trussmill-cli: " + file + ": ", 0), 0u) << r.err;
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
            EXPECT_TRUE(r.out.empty()) << command;
        }
    }
    EXPECT_FALSE(exists(dir + "/out.csv") || exists(dir + "/out.BRG"));
}

TEST(TeacherTools, GradeFindsCopiedDesigns) {
    const std::string dir = scratch("copies");
    const std::string cls = dir + "/class";
    ::mkdir(cls.c_str(), 0755);
    std::mt19937 rng(3);
    const TestBridge pratt = sample("PRATT.BRG");
    // ann drew the Pratt truss; bob copied it renumbered and mirrored, under another modulus; carl
    // moved a joint; dave and erin drew other trusses, dave's with as many members.
    TestBridge bob = mirrored(renumbered(pratt, rng));
    bob.model.elasticModulus = 30000.0;
    ASSERT_TRUE(save(cls + "/ann.BRG", pratt));
    ASSERT_TRUE(save(cls + "/bob.BRG", bob));
    ASSERT_TRUE(save(cls + "/carl.BRG", moved(pratt, 12, 0, 5)));
    ASSERT_TRUE(save(cls + "/dave.BRG", sample("HOWE.BRG")));
    ASSERT_TRUE(save(cls + "/erin.BRG", sample("WARREN.BRG")));
    write(cls + "/fred.BRG", "not a bridge");
    ASSERT_NE(slurp(cls + "/ann.BRG"), slurp(cls + "/bob.BRG"));

    const CliRun r = cli("grade --csv " + cls);
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream rows(r.out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(rows, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 7u) << r.out;
    auto similarTo = [](const std::string& row) { return row.substr(row.rfind(',') + 1); };
    EXPECT_EQ(similarTo(lines[1]), "same:" + cls + "/bob.BRG;near:" + cls + "/carl.BRG");
    EXPECT_EQ(similarTo(lines[2]), "same:" + cls + "/ann.BRG;near:" + cls + "/carl.BRG");
    EXPECT_EQ(similarTo(lines[3]), "near:" + cls + "/ann.BRG;near:" + cls + "/bob.BRG");
    EXPECT_EQ(similarTo(lines[4]), "");
    EXPECT_EQ(similarTo(lines[5]), "");
    EXPECT_NE(lines[6].find("unreadable"), std::string::npos);

    // The table names them on a line of their own.
    const CliRun table = cli("grade " + cls);
    EXPECT_NE(table.out.find("    same design as: " + cls + "/bob.BRG\n    near: " + cls + "/carl.BRG\n"),
              std::string::npos)
        << table.out;
}

// The CSV's rows as their file names (the first field) and the field under heading.
std::vector<std::pair<std::string, std::string>> csvColumn(const std::string& csv,
                                                           const std::string& heading) {
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);
    const size_t column = std::count(line.begin(), line.begin() + line.find("," + heading + ",") + 1, ',');
    std::vector<std::pair<std::string, std::string>> rows;
    while (std::getline(in, line)) {
        std::vector<std::string> fields(1);
        for (char c : line) {
            if (c == ',') {
                fields.emplace_back();
            } else {
                fields.back() += c;
            }
        }
        const std::string& file = fields[0];
        rows.push_back({file.substr(file.rfind('/') + 1), fields.at(column)});
    }
    return rows;
}

TEST(TeacherTools, GradeUnderAnAssignment) {
    const std::string dir = scratch("assignment");
    const std::string cls = dir + "/class";
    ::mkdir(cls.c_str(), 0755);
    // Under the truss's own weight the Pratt truss passes and the others fail; heavy is the Pratt
    // truss with every member a size larger, which passes too but weighs more than the limit.
    TestBridge heavy = sample("PRATT.BRG");
    for (int i = 1; i <= heavy.model.memberCount; ++i)
        heavy = resized(heavy, i, std::min(12, heavy.model.members[i].size + 1));
    ASSERT_TRUE(save(cls + "/a_deck.BRG", sample("DECK.BRG")));
    write(cls + "/b_junk.BRG", "not a bridge");
    ASSERT_TRUE(save(cls + "/c_warren.BRG", sample("WARREN.BRG")));
    ASSERT_TRUE(save(cls + "/d_heavy.BRG", heavy));
    ASSERT_TRUE(save(cls + "/e_howe.BRG", sample("HOWE.BRG")));
    ASSERT_TRUE(save(cls + "/f_pratt.BRG", sample("PRATT.BRG")));
    const std::string rules = dir + "/contest.trussmill-assignment";
    write(rules,
          "\xEF\xBB\xBF  deck_weight = no  # not this year\ntitle = Spring contest\ndead_load = yes\n"
          "max_joints = 16\nmax_weight = 120\n");

    // The options are the assignment's: Howe passes alone and fails under its own weight. Rows are
    // ranked: passing within the rules, passing against them, failed, unreadable; lightest first.
    EXPECT_NE(cli("grade --csv " + cls).out.find("e_howe.BRG,e_howe,16,29,115.41,passed,"),
              std::string::npos);
    const CliRun graded = cli("grade --csv --assignment " + rules + " " + cls);
    ASSERT_EQ(graded.status, 0) << graded.err;
    const std::string joints = "This bridge has 17 joints; the assignment allows 16.";
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"f_pratt.BRG", "ok"},    {"d_heavy.BRG", "This bridge weighs "}, {"e_howe.BRG", "ok"},
        {"c_warren.BRG", joints}, {"a_deck.BRG", "This bridge weighs "},  {"b_junk.BRG", ""}};
    const auto column = csvColumn(graded.out, "rules");
    ASSERT_EQ(column.size(), expected.size()) << graded.out;
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(column[k].first, expected[k].first) << graded.out;
        EXPECT_EQ(column[k].second.rfind(expected[k].second, 0), 0u) << column[k].second;
    }
    const auto results = csvColumn(graded.out, "result");
    EXPECT_EQ(results[1].second + results[2].second, "passedfailed") << graded.out;
    // The table gives "broken" and the sentences under the row; JSON the same text.
    EXPECT_NE(cli("grade --assignment " + rules + " " + cls).out.find(" FAIL broken\n    " + joints + "\n"),
              std::string::npos);
    EXPECT_NE(cli("grade --json --assignment " + rules + " " + cls + "/c_warren.BRG")
                  .out.find("\"rules\":\"" + joints +
                            " This bridge weighs 132.2 kips; the assignment allows 120.\",\"similar_to\""),
              std::string::npos);

    // A flag the assignment agrees with changes nothing; one it turns off is refused in one line
    // naming the flag and the line; an assignment that cannot be read is refused with its line.
    EXPECT_EQ(cli("grade --csv --dead-load --assignment " + rules + " " + cls).out, graded.out);
    const CliRun against = cli("grade --deck-weight --assignment " + rules + " " + cls);
    EXPECT_EQ(against.status, 2);
    EXPECT_EQ(against.err,
              "trussmill-cli: --deck-weight contradicts " + rules + ", line 1: deck_weight = no\n");
    EXPECT_TRUE(against.out.empty());
    write(dir + "/typo.trussmill-assignment", "title = x\n\nmax_wieght = 3\n");
    const CliRun typo = cli("grade --assignment " + dir + "/typo.trussmill-assignment " + cls);
    EXPECT_EQ(typo.status, 1);
    EXPECT_EQ(typo.err,
              "trussmill-cli: " + dir + "/typo.trussmill-assignment: line 3: unknown key 'max_wieght'\n");
    EXPECT_TRUE(typo.out.empty());

    // Graded from the files' texts in memory, as the contest server does, the class comes out the
    // same: results, limits, standings, copies and order.
    Assignment assignment;
    AnalysisOptions options;
    ASSERT_TRUE(readAssignmentFor(rules, AnalysisOptions{}, assignment, options).error.empty());
    GradeSettings settings;
    settings.assignment = &assignment;
    settings.options = options;
    settings.ranked = true;
    const std::vector<std::string> files = collectBridgeFiles({cls});
    std::vector<BridgeText> texts;
    for (const std::string& file : files) {
        texts.push_back({file, {}});
        ASSERT_TRUE(readWholeFile(file.c_str(), texts.back().text, 1u << 20));
    }
    const GradedClass fromFiles = gradeClass(files, settings), fromTexts = gradeTexts(texts, settings);
    ASSERT_EQ(fromTexts.rows.size(), files.size());
    EXPECT_EQ(fromTexts.order, fromFiles.order);
    for (size_t k = 0; k < files.size(); ++k) {
        const GradeRow &t = fromTexts.rows[k], &f = fromFiles.rows[k];
        EXPECT_EQ(t.file + t.result + rulesText(t), f.file + f.result + rulesText(f));
        EXPECT_EQ(t.weight, f.weight);
        EXPECT_EQ(t.standing, f.standing);
        EXPECT_EQ(t.similar.size(), f.similar.size());
    }

    // The class page is written whole or not at all.
    const CliRun page = cli("grade --html " + dir + "/none/page.html " + cls);
    EXPECT_EQ(page.status, 1);
    EXPECT_EQ(page.err,
              "trussmill-cli: " + dir + "/none/page.html: cannot be written: No such file or directory\n");
}

TEST(TeacherTools, LightenWritesAPassingBridge) {
    const std::string dir = scratch("lighten");
    const CliRun r = cli("lighten " + example("PRATT.BRG") + " " + dir + "/LIGHT.BRG");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Weight before: 90.51 kips (passed)\nWeight after:  ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nMember sizes changed: "), std::string::npos);
    EXPECT_NE(r.out.find("\nAnalyses: "), std::string::npos);
    const CliRun light = cli("analyze " + dir + "/LIGHT.BRG");
    EXPECT_NE(light.out.find("Bridge Passed"), std::string::npos);
    // The weight printed is the weight of the file written.
    const size_t at = r.out.find("Weight after:  ") + 15;
    const std::string weight = r.out.substr(at, r.out.find(' ', at) - at);
    EXPECT_NE(light.out.find("Bridge Weight = " + weight + " kips"), std::string::npos) << light.out;

    // grade --lighten gives the same weight for the geometry, in a column of its own.
    const CliRun graded = cli("grade --csv --lighten " + example("PRATT.BRG"));
    EXPECT_NE(graded.out.find(",worstRatio,lightestWeight,similar_to\n"), std::string::npos) << graded.out;
    EXPECT_NE(graded.out.find("," + weight + ","), std::string::npos) << graded.out;

    // A truss one foot deep cannot pass with any sizes: said, exit 1, nothing written.
    ASSERT_TRUE(save(dir + "/SHALLOW.BRG", chordTruss(evenPanels(4), 1, false, 0, JointOrder::DeckFirst)));
    const CliRun refused = cli("lighten " + dir + "/SHALLOW.BRG " + dir + "/OUT.BRG");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("SHALLOW.BRG: no member sizes let this bridge pass"), std::string::npos)
        << refused.err;
    EXPECT_TRUE(refused.out.empty());
    EXPECT_FALSE(exists(dir + "/OUT.BRG"));
}

}  // namespace
