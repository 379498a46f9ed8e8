// trussmill-cli report: the PDF files read back with poppler's tools (pages, fonts, text and
// where it stands), and the bridges, paths and command lines that must write nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "files/bridge_file.h"
#include "model/format_significant.h"
#include "print/reports.h"
#include "tests/support/cli_run.h"
#include "tests/support/test_bridges.h"

namespace {

constexpr double kDegreesPerRadian = 57.2957795;

std::string scratch(const char* name) {
    return scratchFolder(std::string("cli-") + name);
}

// Runs one of poppler's tools with its output and errors caught.
CliRun runCommand(const std::string& command) {
    static int counter = 0;
    const std::string base =
        scratch("poppler") + "/" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    const int raw = std::system((command + " >" + base + ".out 2>" + base + ".err").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(base + ".out"), slurp(base + ".err")};
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

std::string g(double value, int digits) {
    return formatSignificant(value, digits).c_str();
}

std::string d(const char* format, int value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The text of every page as poppler's pdftotext lays it out.
std::string pdfText(const std::string& pdf) {
    const CliRun r = runCommand("pdftotext -layout \"" + pdf + "\" -");
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

// The page's first line without the blanks around it: the title.
std::string firstLine(const std::string& page) {
    const std::string line = page.substr(0, page.find('\n'));
    const size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? "" : line.substr(first, line.find_last_not_of(' ') - first + 1);
}

// The text page by page: pdftotext ends every page with a form feed.
std::vector<std::string> pages(const std::string& pdfText) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = pdfText.find('\f', start)) != std::string::npos; start = end + 1) {
        out.push_back(pdfText.substr(start, end - start));
    }
    return out;
}

// Expects the rows, one line each, in this order among the text's lines; other lines may come
// between them.
void expectRowsInOrder(const std::string& text, std::vector<std::string>::const_iterator first,
                       std::vector<std::string>::const_iterator last) {
    const std::vector<std::string> rows(first, last);
    std::istringstream lines(text);
    std::string line;
    size_t next = 0;
    while (next < rows.size() && std::getline(lines, line)) {
        if (words(line) == words(rows[next])) ++next;
    }
    EXPECT_EQ(next, rows.size()) << "row " << next + 1
                                 << " not found in order: " << rows[next < rows.size() ? next : 0];
}

struct LoadedBridge {
    TestBridge bridge;
    explicit LoadedBridge(const char* name) {
        EXPECT_TRUE(loadBridgeFile(example(name).c_str(), bridge.model, bridge.sizes).ok());
    }
};

TEST(CliReport, ResultsReportReadsBack) {
    const std::string dir = scratch("report");
    const std::string pdf = dir + "/pratt.pdf";
    const CliRun r = cli("report --results " + example("PRATT.BRG") + " " + pdf);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;

    // Two pages: the picture, the summary and 21 rows, then the other 8 rows.
    const std::string text = pdfText(pdf);
    const std::vector<std::string> page = pages(text);
    ASSERT_EQ(page.size(), 2u);
    for (const std::string& p : page) EXPECT_EQ(firstLine(p), "Trussmill - RESULTS - Kelvane");
    EXPECT_NE(text.find("Bridge Passed"), std::string::npos);
    EXPECT_NE(text.find("Number of members = 29"), std::string::npos);
    EXPECT_NE(text.find("Truss Dead Load Excluded"), std::string::npos);

    // Every member row with every value, in order, as the analysis gives them.
    LoadedBridge b("PRATT.BRG");
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    *results = AnalysisResults{};
    b.bridge.update();
    analyzeBridge(b.bridge.model, AnalysisOptions{}, *results, *workspace);
    std::vector<std::string> rows;
    for (int i = 1; i <= b.bridge.model.memberCount; ++i) {
        const Member& m = b.bridge.model.members[i];
        rows.push_back(d("%2.2d", i) + " " + d("%2.2d", m.size) + " " + g(m.length, 4) + " " +
                       g(m.angle * kDegreesPerRadian, 3) + " " + g(m.force, 6) + " " +
                       g(m.allowableTension, 4) + " " + g(m.allowableCompression, 4) + " " +
                       g(m.forceRatio, 3));
    }
    expectRowsInOrder(page[0], rows.begin(), rows.begin() + 21);
    expectRowsInOrder(page[1], rows.begin() + 21, rows.end());

    // The options reach the report.
    const CliRun heavy =
        cli("report --results --deck-weight --min-force " + example("PRATT.BRG") + " " + pdf);
    ASSERT_EQ(heavy.status, 0) << heavy.err;
    const std::string heavyText = pdfText(pdf);
    EXPECT_NE(heavyText.find("Deck Load Included"), std::string::npos);
    EXPECT_NE(heavyText.find("Min. Member Force = 6 kips"), std::string::npos);
    EXPECT_NE(heavyText.find("Bridge Failed"), std::string::npos);
}

TEST(CliReport, DataReportReadsBack) {
    const std::string dir = scratch("report");
    const std::string pdf = dir + "/howe-data.pdf";
    const CliRun r = cli("report " + example("HOWE.BRG") + " " + pdf);
    ASSERT_EQ(r.status, 0) << r.err;

    // More than 10 joints: the joints on page 1, the member table on page 2.
    LoadedBridge b("HOWE.BRG");
    BridgeModel& model = b.bridge.model;
    prepareDataReport(model, b.bridge.sizes);
    ASSERT_GT(model.jointCount, 10);
    ASSERT_LE(model.memberCount, 49);
    const std::vector<std::string> page = pages(pdfText(pdf));
    ASSERT_EQ(page.size(), 2u);
    for (const std::string& p : page) EXPECT_EQ(firstLine(p), "Trussmill - OUTPUT - Kelvane");
    EXPECT_NE(page[0].find("Number of joints = " + std::to_string(model.jointCount)), std::string::npos);
    EXPECT_NE(page[0].find("Joint Type"), std::string::npos);
    EXPECT_NE(page[1].find("Allow. Force"), std::string::npos);

    std::vector<std::string> joints, members;
    for (int j = 1; j <= model.jointCount; ++j) {
        const Joint& p = model.joints[j];
        joints.push_back(d("%2.0d", j) + " " + g(p.x, 4) + " " + g(p.y, 4) + " " + d("%2.0d", p.kind) + " " +
                         g(p.selfWeightLoad, 5) + " " + g(p.deckLoad, 5) + " " + g(p.liveLoad, 5));
    }
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        members.push_back(d("%3.0d", i) + " " + d("%3.0d", m.startJoint) + " " + d("%3.0d", m.endJoint) +
                          " " + d("%2.0d", m.size) + " " + g(m.length, 4) + " " +
                          g(m.angle * kDegreesPerRadian, 3) + " " + g(m.allowableTension, 4) + " " +
                          g(m.allowableCompression, 4) + " " + g(m.weight / 1000.0, 5) + " " +
                          g(m.deckLoad, 4) + " " + g(m.liveLoad, 4));
    }
    expectRowsInOrder(page[0], joints.begin(), joints.end());
    expectRowsInOrder(page[1], members.begin(), members.end());
}

TEST(CliReport, PdfFontPageAndTextPlacement) {
    const std::string pdf = scratch("report") + "/warren.pdf";
    ASSERT_EQ(cli("report --results " + example("WARREN.BRG") + " " + pdf).status, 0);

    // Letter paper, and the report font embedded so that the file looks the same everywhere.
    const CliRun info = runCommand("pdfinfo \"" + pdf + "\"");
    EXPECT_NE(info.out.find("612 x 792 pts (letter)"), std::string::npos) << info.out;
    const CliRun fonts = runCommand("pdffonts \"" + pdf + "\"");
    ASSERT_EQ(fonts.status, 0) << fonts.err;
    const size_t face = fonts.out.find("DejaVuSansMono");
    ASSERT_NE(face, std::string::npos) << fonts.out;
    EXPECT_EQ(words(fonts.out.substr(face)).at(4), "yes")
        << fonts.out;  // name, type (2 words), encoding, emb

    // Upright, selectable text where the layout puts it: the title's cell starts at (20, -30)
    // with the origin (-50, 30) on the corner of a printable area 0.25 inch inside the paper, so
    // 0.95 inch (68.4 pt) from the left and 0.85 inch (61.2 pt) from the top.
    const CliRun boxes = runCommand("pdftotext -bbox \"" + pdf + "\" -");
    const size_t title = boxes.out.find(">Trussmill<");
    ASSERT_NE(title, std::string::npos) << boxes.out.substr(0, 400);
    const std::string tag =
        boxes.out.substr(boxes.out.rfind("<word", title), title - boxes.out.rfind("<word", title));
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    ASSERT_EQ(std::sscanf(tag.c_str(), "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &xMin,
                          &yMin, &xMax, &yMax),
              4)
        << tag;
    EXPECT_NEAR(xMin, 68.4, 1.0);
    EXPECT_NEAR(yMin, 61.2, 2.0);
    EXPECT_NEAR(yMax - yMin, 11.5, 2.0);             // a 0.16 inch cell is 11.5 pt
    EXPECT_NEAR(xMax - xMin, 9 * 0.0828 * 72, 2.0);  // nine characters of 0.0828 inch
}

TEST(CliReport, RefusesAndWritesNothing) {
    const std::string dir = scratch("report-refused");
    const std::string out = dir + "/out.pdf";
    std::remove(out.c_str());

    // A bridge the check stops gets no results report: the check's message, exit 1, no file; an
    // earlier file of that name stays as it was.
    TestBridge b = workedExampleBridge();
    b.joint(300, 80);  // attached to nothing
    ASSERT_TRUE(saveBridgeFile((dir + "/LOOSE.BRG").c_str(), b.model));
    const CliRun loose = cli("report --results " + dir + "/LOOSE.BRG " + out);
    EXPECT_EQ(loose.status, 1);
    EXPECT_NE(loose.err.find("Unattached joint."), std::string::npos) << loose.err;
    EXPECT_NE(loose.err.find("LOOSE.BRG"), std::string::npos) << loose.err;
    EXPECT_FALSE(exists(out));
    write(out, "earlier");
    EXPECT_EQ(cli("report --results " + dir + "/LOOSE.BRG " + out).status, 1);
    EXPECT_EQ(slurp(out), "earlier");
    // Its data report is still written.
    EXPECT_EQ(cli("report " + dir + "/LOOSE.BRG " + out).status, 0);
    EXPECT_EQ(slurp(out).substr(0, 5), "%PDF-");

    // An empty bridge has no results either.
    TestBridge empty;
    ASSERT_TRUE(saveBridgeFile((dir + "/EMPTY.BRG").c_str(), empty.model));
    const CliRun none = cli("report --results " + dir + "/EMPTY.BRG " + dir + "/empty.pdf");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("No Bridge!"), std::string::npos);
    EXPECT_FALSE(exists(dir + "/empty.pdf"));

    // Unreadable bridges and unwritable outputs are file errors that name the file.
    const CliRun missing = cli("report " + dir + "/nothere.BRG " + out);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nothere.BRG"), std::string::npos);
    const std::string nowhere = dir + "/no/such/folder/x.pdf";
    const CliRun unwritable = cli("report " + example("PRATT.BRG") + " " + nowhere);
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find(nowhere + ": cannot be written"), std::string::npos) << unwritable.err;

    // Usage errors.
    for (const char* command :
         {"report", "report x.BRG", "report a b c", "report --review a b", "report --json a b"}) {
        const CliRun r = cli(command);
        EXPECT_EQ(r.status, 2) << command;
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << command;
    }
    EXPECT_NE(cli("--help").out.find("report [--results]"), std::string::npos);
}

}  // namespace
