// The printed reports as recorded by the headless printer: the frame, the picture, the summary,
// the tables and where they break onto new pages, the texts and formats, and the font failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/member_evaluation.h"
#include "model/format_significant.h"
#include "platform/headless/headless_shell.h"
#include "platform/web/svg_print_surface.h"
#include "print/reports.h"
#include "tests/analysis/analysis_bridges.h"
#include "tests/support/test_bridges.h"

namespace {

const LocalTime kMorning{2024, 3, 15, 9, 5, 0};

struct PrintedText {
    int page;  // from 1
    int x;
    int y;
    std::string text;
};

struct Recorded {
    PrintOutcome outcome;
    std::vector<PrintOp> ops;

    int pages() const {
        return static_cast<int>(std::count_if(
            ops.begin(), ops.end(), [](const PrintOp& op) { return op.kind == PrintOpKind::StartPage; }));
    }

    std::vector<PrintedText> texts() const {
        std::vector<PrintedText> out;
        int page = 0;
        for (const PrintOp& op : ops) {
            if (op.kind == PrintOpKind::StartPage) ++page;
            if (op.kind == PrintOpKind::TextOut) out.push_back({page, op.a, op.b, op.text});
        }
        return out;
    }

    // Every text on the page at height y, left to right.
    std::vector<std::string> row(int page, int y) const {
        std::vector<PrintedText> found;
        for (const PrintedText& t : texts()) {
            if (t.page == page && t.y == y) found.push_back(t);
        }
        std::sort(found.begin(), found.end(),
                  [](const PrintedText& a, const PrintedText& b) { return a.x < b.x; });
        std::vector<std::string> out;
        for (const PrintedText& t : found) out.push_back(t.text);
        return out;
    }

    // The leftmost text on the page at height y.
    PrintedText at(int page, int y) const {
        PrintedText best{0, 0, 0, ""};
        for (const PrintedText& t : texts()) {
            if (t.page == page && t.y == y && (best.page == 0 || t.x < best.x)) best = t;
        }
        return best;
    }

    // The rightmost text on the page at height y.
    PrintedText last(int page, int y) const {
        PrintedText best{0, 0, 0, ""};
        for (const PrintedText& t : texts()) {
            if (t.page == page && t.y == y && (best.page == 0 || t.x > best.x)) best = t;
        }
        return best;
    }

    // The first text equal to text, or page 0 when there is none.
    PrintedText find(const std::string& text) const {
        for (const PrintedText& t : texts()) {
            if (t.text == text) return t;
        }
        return {0, 0, 0, ""};
    }

    int count(const std::string& text) const {
        const std::vector<PrintedText> all = texts();
        return static_cast<int>(
            std::count_if(all.begin(), all.end(), [&](const PrintedText& t) { return t.text == text; }));
    }

    // How many table rows (texts at the given x below the heading lines) each page has.
    std::vector<int> rowsPerPage(int x) const {
        std::vector<int> rows(pages(), 0);
        for (const PrintedText& t : texts()) {
            const int headingBottom = t.page == 1 ? -600 : -120;
            if (t.x == x && t.y < headingBottom) ++rows[t.page - 1];
        }
        return rows;
    }
};

// Prints through the headless shell's print dialog, as the Print command does.
template <class Draw>
Recorded record(Draw draw, bool fontsAvailable = true) {
    HeadlessOptions options;
    options.printerFontsAvailable = fontsAvailable;
    HeadlessShell shell(options);
    shell.answerPrintDialog(true);
    std::unique_ptr<PrintSurface> printer = shell.printDialog("");
    Recorded r;
    r.outcome = draw(*printer);
    printer.reset();
    r.ops = shell.printJobs().at(0).ops;
    return r;
}

Recorded dataReport(TestBridge& b, const LocalTime& date = kMorning, bool fontsAvailable = true) {
    return record([&](PrintSurface& p) { return printData(p, b.model, b.sizes, date); }, fontsAvailable);
}

struct Analysed {
    TestBridge bridge;
    AnalysisOptions options{};
    std::unique_ptr<AnalysisResults> results = std::make_unique<AnalysisResults>();
    std::unique_ptr<AnalysisWorkspace> workspace = std::make_unique<AnalysisWorkspace>();

    explicit Analysed(TestBridge b) : bridge(std::move(b)) {
        *results = AnalysisResults{};
        bridge.update();
        analyzeBridge(bridge.model, options, *results, *workspace);
    }
};

Recorded resultsReport(const Analysed& a, const LocalTime& date = kMorning) {
    return record(
        [&](PrintSurface& p) { return printResults(p, a.bridge.model, a.options, *a.results, date); });
}

// A straight deck of n joints 10 ft apart from the left support; enough for the data report.
TestBridge deckOfJoints(int n) {
    TestBridge b;
    for (int i = 0; i < n; ++i) b.joint(i * 10, 0);
    for (int i = 1; i < n; ++i) b.member(i, i + 1);
    return b;
}

std::string g(double value, int digits) {
    return formatSignificant(value, digits).c_str();
}

// The widest a character of the 0.16 inch report font is, in 0.01 inch.
constexpr double kCharWidthUnits = 8.3;

// Texts of the summary and the tables neither leave the frame nor overlap on a line.
void expectInsideFrameWithoutOverlaps(const Recorded& r) {
    const std::vector<PrintedText> texts = r.texts();
    for (const PrintedText& t : texts) {
        const double right = t.x + kCharWidthUnits * static_cast<double>(t.text.size());
        EXPECT_GE(t.x, 0) << t.text;
        EXPECT_LE(right, 712.0) << t.page << " " << t.y << " " << t.text;
        EXPECT_LE(t.y, 0) << t.text;
        EXPECT_GE(t.y - 16, -980) << t.page << " " << t.text;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        for (size_t j = i + 1; j < texts.size(); ++j) {
            const PrintedText& a = texts[i];
            const PrintedText& b = texts[j];
            if (a.page != b.page || a.y > -340 || b.y > -340 || std::abs(a.y - b.y) >= 16) continue;
            const double aRight = a.x + kCharWidthUnits * static_cast<double>(a.text.size());
            const double bRight = b.x + kCharWidthUnits * static_cast<double>(b.text.size());
            EXPECT_TRUE(aRight <= b.x || bRight <= a.x)
                << "page " << a.page << ": '" << a.text << "' at " << a.x << "," << a.y << " and '" << b.text
                << "' at " << b.x << "," << b.y;
        }
    }
}

// What keeps an SVG page from being well-formed XML, or "" when nothing does: every tag closed in
// order under one root, & only as one of XML's entities, bytes above 0x7F only as the two-byte
// UTF-8 of U+0080..U+00FF (all that report text holds).
std::string xmlFault(const std::string& page) {
    std::vector<std::string> open;
    int roots = 0;
    for (size_t i = 0; i < page.size();) {
        const auto c = static_cast<unsigned char>(page[i]);
        if (c == '&') {
            const std::string entity = page.substr(i, page.find(';', i) + 1 - i);
            const std::vector<std::string> known{"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
            if (std::find(known.begin(), known.end(), entity) == known.end()) {
                return "bare & at " + std::to_string(i);
            }
            i += entity.size();
        } else if (c >= 0x80) {
            if ((c != 0xC2 && c != 0xC3) || i + 1 >= page.size() || (page[i + 1] & 0xC0) != 0x80) {
                return "bad UTF-8 at " + std::to_string(i);
            }
            i += 2;
        } else if (c != '<') {
            if (open.empty() && c != '\n') return "text outside the root at " + std::to_string(i);
            ++i;
        } else {
            const size_t end = page.find('>', i);
            if (end == std::string::npos) return "unclosed tag at " + std::to_string(i);
            std::string tag = page.substr(i + 1, end - i - 1);
            i = end + 1;
            if (tag[0] == '/') {
                if (open.empty() || open.back() != tag.substr(1)) return "stray </" + tag;
                open.pop_back();
                continue;
            }
            const bool closed = tag.back() == '/';
            if (closed) tag.pop_back();
            const std::string name = tag.substr(0, tag.find(' '));
            if (open.empty() && ++roots > 1) return "second root <" + name;
            if (!closed) open.push_back(name);
        }
    }
    return open.empty() && roots == 1 ? "" : "unclosed <" + (open.empty() ? "" : open.back());
}

TEST(PrintedReports, FrameTitleAndPageProtocol) {
    TestBridge b = workedExampleBridge();
    const Recorded r = dataReport(b);
    ASSERT_EQ(r.outcome, PrintOutcome::Printed);

    // The font is made before anything starts, then the document, the page, the font again and the
    // frame with the title; the last page ends, the document ends and the printer is released.
    ASSERT_GE(r.ops.size(), 8u);
    EXPECT_EQ(r.ops[0].kind, PrintOpKind::SelectFont);
    EXPECT_EQ(r.ops[0].a, 16);
    EXPECT_EQ(r.ops[1].kind, PrintOpKind::StartDocument);
    EXPECT_EQ(r.ops[1].text, "QX DATA");
    EXPECT_EQ(r.ops[2].kind, PrintOpKind::StartPage);
    EXPECT_EQ(r.ops[3].kind, PrintOpKind::SelectFont);
    EXPECT_EQ(r.ops[4].kind, PrintOpKind::SetWindowOrigin);
    EXPECT_EQ(r.ops[4].a, -50);
    EXPECT_EQ(r.ops[4].b, 30);
    EXPECT_EQ(r.ops[5].kind, PrintOpKind::Rectangle);
    EXPECT_EQ((std::vector<int>{r.ops[5].a, r.ops[5].b, r.ops[5].c, r.ops[5].d}),
              (std::vector<int>{0, 0, 712, -980}));
    EXPECT_EQ(r.ops[6].kind, PrintOpKind::TextOut);
    EXPECT_EQ(r.ops[6].text, "Trussmill - OUTPUT - Kelvane");
    EXPECT_EQ(r.ops[6].a, 20);
    EXPECT_EQ(r.ops[6].b, -30);
    const size_t n = r.ops.size();
    EXPECT_EQ(r.ops[n - 3].kind, PrintOpKind::EndPage);
    EXPECT_EQ(r.ops[n - 2].kind, PrintOpKind::EndDocument);
    EXPECT_EQ(r.ops[n - 1].kind, PrintOpKind::Release);

    // Every page gets the frame: as many frames and fonts (after the first check) as pages.
    const int frames = static_cast<int>(std::count_if(
        r.ops.begin(), r.ops.end(), [](const PrintOp& op) { return op.kind == PrintOpKind::Rectangle; }));
    EXPECT_EQ(frames, r.pages());
    EXPECT_EQ(r.count("Trussmill - OUTPUT - Kelvane"), r.pages());

    // The results report keeps its title at x = 20 on every page.
    Analysed big(largestLegalBridge(JointOrder::DeckFirst));
    const Recorded results = resultsReport(big);
    ASSERT_EQ(results.pages(), 4);
    for (const PrintedText& t : results.texts()) {
        if (t.text == "Trussmill - RESULTS - Kelvane") {
            EXPECT_EQ(t.x, 20);
        }
    }
    EXPECT_EQ(results.count("Trussmill - RESULTS - Kelvane"), 4);
}

TEST(PrintedReports, BridgePicture) {
    TestBridge b = workedExampleBridge();
    const Recorded r = dataReport(b);

    // Member 1 runs from (0, 0) ft to (100, 0) ft: board (150, 250) to (250, 250), printed from
    // (45, -235) to (195, -235); its label is blanked by a white circle at the midpoint and
    // written with "%3.2d", and the black pen comes back for the next member.
    auto at = std::find_if(r.ops.begin(), r.ops.end(),
                           [](const PrintOp& op) { return op.kind == PrintOpKind::MoveTo; });
    ASSERT_NE(at, r.ops.end());
    const size_t i = static_cast<size_t>(at - r.ops.begin());
    ASSERT_LT(i + 5, r.ops.size());
    EXPECT_EQ((std::vector<int>{r.ops[i].a, r.ops[i].b}), (std::vector<int>{45, -235}));
    EXPECT_EQ(r.ops[i + 1].kind, PrintOpKind::LineTo);
    EXPECT_EQ((std::vector<int>{r.ops[i + 1].a, r.ops[i + 1].b}), (std::vector<int>{195, -235}));
    EXPECT_EQ(r.ops[i + 2].kind, PrintOpKind::SelectPen);
    EXPECT_EQ(r.ops[i + 2].pen, (Pen{WHITE, 1}));
    EXPECT_EQ(r.ops[i + 3].kind, PrintOpKind::Ellipse);
    EXPECT_EQ((std::vector<int>{r.ops[i + 3].a, r.ops[i + 3].b, r.ops[i + 3].c, r.ops[i + 3].d}),
              (std::vector<int>{108, -223, 132, -247}));
    EXPECT_EQ(r.ops[i + 4].kind, PrintOpKind::SelectPen);
    EXPECT_EQ(r.ops[i + 4].pen.color, BLACK);
    EXPECT_EQ(r.ops[i + 5].kind, PrintOpKind::TextOut);
    EXPECT_EQ(r.ops[i + 5].text, " 01");
    EXPECT_EQ((std::vector<int>{r.ops[i + 5].a, r.ops[i + 5].b}), (std::vector<int>{104, -227}));

    // Data report joints: a white circle of radius 10 and the number "%2.2d" above left. Joint 6 is
    // at (100, 50) ft, board (250, 200), printed at (195, -160).
    const PrintedText six = r.find("06");
    EXPECT_EQ(six.page, 1);
    EXPECT_EQ(six.x, 185);
    EXPECT_EQ(six.y, -150);
    auto ring = std::find_if(r.ops.begin(), r.ops.end(), [](const PrintOp& op) {
        return op.kind == PrintOpKind::Ellipse && op.a == 185 && op.b == -150;
    });
    ASSERT_NE(ring, r.ops.end());
    EXPECT_EQ(ring->c, 205);
    EXPECT_EQ(ring->d, -170);

    // Printed points truncate toward zero: 1 ft right and 65 ft down give 46.5 -> 46, -332.5 -> -332.
    TestBridge odd;
    odd.joint(0, 0);
    odd.joint(1, -65);
    odd.member(1, 2);
    const Recorded low = dataReport(odd);
    EXPECT_EQ(low.find("02").x, 36);
    EXPECT_EQ(low.find("02").y, -322);

    // Results report joints: small black circles of radius 3, no numbers.
    Analysed a(workedExampleBridge());
    const Recorded results = resultsReport(a);
    EXPECT_TRUE(results.row(1, -150).empty());
    auto dot = std::find_if(results.ops.begin(), results.ops.end(), [](const PrintOp& op) {
        return op.kind == PrintOpKind::Ellipse && op.a == 192 && op.b == -157;
    });
    ASSERT_NE(dot, results.ops.end());
    EXPECT_EQ(dot->c, 198);
    EXPECT_EQ(dot->d, -163);
}

TEST(PrintedReports, DataReportSummaryAndRows) {
    TestBridge b = workedExampleBridge();
    const Recorded r = dataReport(b);

    // The summary block.
    EXPECT_EQ(r.row(1, -340), (std::vector<std::string>{"Bridge Name: UNTITLED"}));
    EXPECT_EQ(r.row(1, -360),
              (std::vector<std::string>{"Bridge Weight = " + g(b.model.totalWeight, 5) + " kips  ",
                                        "Number of members = 13 "}));
    EXPECT_EQ(r.row(1, -380), (std::vector<std::string>{"Date: 3/15/2024", "Number of joints = 8 "}));
    EXPECT_EQ(r.row(1, -400), (std::vector<std::string>{"Time: 9:5 AM"}));
    EXPECT_EQ(r.row(1, -560), (std::vector<std::string>{"Joint", "X Coord.", "Y Coord.", "Joint Type",
                                                        "Dead Load", "Deck Load", "Traffic Load"}));
    EXPECT_EQ(r.row(1, -580),
              (std::vector<std::string>{"#", "(ft.)", "(ft.)", "#", "(kips)", "(kips)", "(kips)"}));

    // Joint rows on lines 1, 2, ...; the load columns are filled whatever the options say.
    const Joint& j2 = b.model.joints[2];
    EXPECT_GT(j2.deckLoad, 0.0f);
    EXPECT_GT(j2.liveLoad, 0.0f);
    EXPECT_GT(j2.selfWeightLoad, 0.0f);
    EXPECT_EQ(r.row(1, -632), (std::vector<std::string>{" 2", "100.", "0.", " 3", g(j2.selfWeightLoad, 5),
                                                        g(j2.deckLoad, 5), g(j2.liveLoad, 5)}));

    // The member table: headings three lines below joint 8 (line 11, y = -776), the first row on
    // line 14. Member 13 joins joints 3 and 8 after the geometry update's left-to-right order.
    EXPECT_EQ(r.at(1, -776).text, "Memb.");
    EXPECT_EQ(r.last(1, -776).text, "Traffic");
    EXPECT_EQ(r.at(1, -792).text, "#");
    EXPECT_EQ(r.row(1, -792).size(), 11u);
    const Member& m = b.model.members[13];
    EXPECT_EQ(r.at(1, -600 - 16 * 21).text, "  8");  // members 1 to 8 on page 1
    EXPECT_EQ(r.row(2, -600 - 16 * -25),
              (std::vector<std::string>{" 13", "  3", "  8", " 5", g(m.length, 4), g(m.angle * 57.2957795, 3),
                                        g(m.allowableTension, 4), g(m.allowableCompression, 4),
                                        g(m.weight / 1000.0, 5), g(m.deckLoad, 4), g(m.liveLoad, 4)}));

    // A long slender member of the smallest size has less than a kip of allowable compression.
    TestBridge slender;
    slender.joint(0, 0);
    slender.joint(100, 0);
    slender.member(1, 2, 1);
    // A member under 0.1 kips prints its weight with as many digits as keep it off the next
    // column (4 ft of size 1 weigh 37.43 lb, "3.7431e-002" in five digits).
    slender.joint(104, 0);
    slender.member(2, 3, 1);
    const Recorded s = dataReport(slender);
    EXPECT_EQ(s.find("< 1.0").x, 435);
    EXPECT_LT(slender.model.members[1].allowableCompression, 1.0);
    EXPECT_EQ(s.row(1, -600 - 16 * 10).at(8), g(slender.model.members[2].weight / 1000.0, 3));
    EXPECT_EQ(g(slender.model.members[2].weight / 1000.0, 3), "3.74e-002");
    expectInsideFrameWithoutOverlaps(s);
}

TEST(PrintedReports, DataReportPageBreaks) {
    // 21 joints fill page 1 (lines 1 to 21); the member table then starts page 2 with its
    // headings at -120 and -136 and its first row at -168, under the title at x = 10.
    TestBridge b21 = deckOfJoints(21);
    const Recorded r21 = dataReport(b21);
    EXPECT_EQ(r21.at(1, -936).text, "21");
    EXPECT_EQ(r21.at(2, -120).text, "Memb.");
    EXPECT_EQ(r21.at(2, -168).text, "  1");
    EXPECT_TRUE(r21.row(2, -76).empty());
    EXPECT_EQ(r21.at(2, -30).x, 10);
    EXPECT_EQ(r21.pages(), 2);

    // The 22nd joint starts page 2 at -136 under the joint headings at -76 and -96.
    TestBridge b22 = deckOfJoints(22);
    const Recorded r22 = dataReport(b22);
    EXPECT_EQ(r22.at(2, -76).text, "Joint");
    EXPECT_EQ(r22.at(2, -96).text, "#");
    EXPECT_EQ(r22.at(2, -136).text, "22");
    EXPECT_EQ(r22.row(2, -120).size(), 0u);
    EXPECT_EQ(r22.row(2, -30), (std::vector<std::string>{"Trussmill - OUTPUT - Kelvane"}));
    EXPECT_EQ(r22.texts()[r22.texts().size() - 1].page, 2);
    // The member table follows three lines below joint 22 (line -29): headings at line -26.
    EXPECT_EQ(r22.at(2, -600 - 16 * -26).text, "Memb.");
    EXPECT_EQ(r22.at(2, -600 - 16 * -23).text, "  1");

    // With 10 joints the member table follows on page 1: headings on line 13 (y = -808), first
    // row on line 16 (y = -856); its 7th row is the first on page 2, at -136 under member headings.
    TestBridge b10 = deckOfJoints(10);
    for (int i = 1; i <= 3; ++i) b10.member(i, i + 2);
    const Recorded r10 = dataReport(b10);
    EXPECT_EQ(r10.at(1, -808).text, "Memb.");
    EXPECT_EQ(r10.at(1, -856).text, "  1");
    EXPECT_EQ(r10.at(1, -936).text, "  6");
    EXPECT_EQ(r10.at(2, -76).text, "Memb.");
    EXPECT_EQ(r10.last(2, -76).text, "Traffic");
    EXPECT_EQ(r10.at(2, -136).text, "  7");
    EXPECT_EQ(r10.at(2, -30).text, "Trussmill - OUTPUT - Kelvane");
    EXPECT_EQ(r10.at(1, -30).x, 20);
    EXPECT_EQ(r10.at(2, -30).x, 10);

    // With 11 joints the member table starts its own page.
    TestBridge b11 = deckOfJoints(11);
    const Recorded r11 = dataReport(b11);
    EXPECT_EQ(r11.rowsPerPage(22), (std::vector<int>{11, 10}));
    EXPECT_EQ(r11.at(2, -120).text, "Memb.");
    EXPECT_EQ(r11.at(2, -168).text, "  1");

    // Joint and member rows of the largest bridge land inside the frame on every page, with no
    // page left without rows.
    TestBridge big = largestLegalBridge(JointOrder::DeckFirst);
    const Recorded rb = dataReport(big);
    expectInsideFrameWithoutOverlaps(rb);
    for (int n : rb.rowsPerPage(22)) EXPECT_GT(n, 0);
    int rows = 0;
    for (int n : rb.rowsPerPage(22)) rows += n;
    EXPECT_EQ(rows, 60 + 150);
}

TEST(PrintedReports, ResultsReport) {
    // 150 members: 21 rows on page 1, 51 on pages 2 and 3, 27 on page 4.
    Analysed big(largestLegalBridge(JointOrder::DeckFirst));
    ASSERT_EQ(big.results->bridgeUnstable, 0);
    const Recorded r = resultsReport(big);
    EXPECT_EQ(r.rowsPerPage(22), (std::vector<int>{21, 51, 51, 27}));
    EXPECT_EQ(r.at(2, -136).text, "22");
    EXPECT_EQ(r.at(4, -136).text, "124");
    EXPECT_EQ(r.at(3, -76).text.substr(0, 5), "Memb.");
    EXPECT_EQ(r.at(3, -96).text.substr(0, 3), " # ");
    expectInsideFrameWithoutOverlaps(r);

    // The summary and one row, every column as the analysis left it.
    const BridgeModel& model = big.bridge.model;
    EXPECT_EQ(r.row(1, -340), (std::vector<std::string>{"Bridge Name: UNTITLED", "Bridge Passed"}));
    EXPECT_EQ(r.row(1, -400),
              (std::vector<std::string>{
                  "Time: 9:5 AM", "Max. Deflection = " + g(big.results->maxDeflection, 4) + " inches"}));
    EXPECT_EQ(r.row(1, -420),
              (std::vector<std::string>{"Overall Eff. Ratio: " + g(overallEfficiency(model), 5) + " "}));
    EXPECT_EQ(r.row(1, -440), (std::vector<std::string>{"Truss Dead Load Excluded"}));
    EXPECT_EQ(r.row(1, -500), (std::vector<std::string>{"Min. Member Force = 0 kips"}));
    const Member& m = model.members[3];
    EXPECT_EQ(r.row(1, -648),
              (std::vector<std::string>{"03", "05", g(m.length, 4), g(m.angle * 57.2957795, 3), g(m.force, 6),
                                        g(m.allowableTension, 4), g(m.allowableCompression, 4),
                                        g(m.forceRatio, 3)}));

    // Negative forces start 4 units further left; "< 1.0" and "FAIL" replace their numbers; the
    // options print as included.
    Analysed a(workedExampleBridge());
    BridgeModel& wm = a.bridge.model;
    wm.members[1].force = -12.5;
    wm.members[2].force = 12.5;
    wm.members[3].allowableCompression = 0.4;
    wm.members[4].forceRatio = FAILED_RATIO;
    wm.members[5].force = -0.0734567;  // six digits would run into the next column
    wm.members[6].force = 0.0734567;
    a.options = AnalysisOptions{1, 1, 1, 1};
    a.results->bridgeFailed = 1;
    const Recorded w = resultsReport(a);
    EXPECT_EQ(w.find("-12.5").x, 308);
    EXPECT_EQ(w.find("12.5").x, 312);
    EXPECT_EQ(w.find("-7.3457e-002").x, 308);
    EXPECT_EQ(w.find("7.3457e-002").x, 312);
    expectInsideFrameWithoutOverlaps(w);
    EXPECT_EQ(w.find("< 1.0").x, 516);
    EXPECT_EQ(w.find("< 1.0").y, -648);
    EXPECT_EQ(w.find("FAIL").x, 630);
    EXPECT_EQ(w.find("FAIL").y, -664);
    EXPECT_EQ(w.find("Bridge Failed").x, 400);
    EXPECT_EQ(w.find("Truss Dead Load Included").y, -440);
    EXPECT_EQ(w.find("Deck Load Included").y, -460);
    EXPECT_EQ(w.find("Extra Live Load Included").y, -480);
    EXPECT_EQ(w.find("Min. Member Force = 6 kips").y, -500);

    // Exactly 21 members fill page 1 and end the report there: no page of headings alone.
    // (A straight deck is a mechanism; its rows are printed here as if it had stood.)
    Analysed exact(deckOfJoints(22));
    exact.results->bridgeUnstable = 0;
    EXPECT_EQ(resultsReport(exact).pages(), 1);
}

TEST(PrintedReports, UnstableBridge) {
    // Without one diagonal the worked example is a mechanism: the two capital lines, no rows,
    // "N.A." and "Bridge Failed".
    TestBridge b = workedExampleBridge();
    b.model.memberCount = 12;
    Analysed a(b);
    ASSERT_EQ(a.results->bridgeUnstable, 1);
    const Recorded r = resultsReport(a);
    EXPECT_EQ(r.row(1, -620), (std::vector<std::string>{"THIS BRIDGE HAS UNSTABLE GEOMETRY"}));
    EXPECT_EQ(r.row(1, -640), (std::vector<std::string>{"NO NUMERICAL RESULTS AVAILABLE"}));
    EXPECT_EQ(r.find("THIS BRIDGE HAS UNSTABLE GEOMETRY").x, 238);
    EXPECT_EQ(r.row(1, -420), (std::vector<std::string>{"Overall Eff. Ratio: N.A."}));
    EXPECT_EQ(r.find("Bridge Failed").y, -340);
    EXPECT_TRUE(r.rowsPerPage(22) == std::vector<int>{0});
    EXPECT_EQ(r.pages(), 1);
}

TEST(PrintedReports, BrowserSvgPages) {
    std::vector<std::pair<std::string, std::vector<std::string>>> documents;  // name, pages
    const SvgPrintSurface::Finished keep = [&](std::string_view name, const std::vector<std::string>& pages) {
        documents.push_back({std::string(name), pages});
    };

    // Both reports of a bridge over several pages, named with XML's and Latin-1's characters: one
    // document each, page for page what the headless printer records, every page a well-formed
    // Letter sheet with the frame 0.25 inch inside the printable area's corner and each text.
    TestBridge named = largestLegalBridge(JointOrder::DeckFirst);
    setBridgeName(named.model, "a<b&\"\xE9");
    Analysed a(named);
    TestBridge data = named;
    const Recorded expected[] = {resultsReport(a), dataReport(data)};
    for (int report = 0; report < 2; ++report) {
        documents.clear();
        {
            SvgPrintSurface surface(keep);
            if (report == 0) printResults(surface, a.bridge.model, a.options, *a.results, kMorning);
            if (report == 1) printData(surface, named.model, named.sizes, kMorning);
        }
        ASSERT_EQ(documents.size(), 1u);
        EXPECT_EQ(documents[0].first, "QX DATA");
        const std::vector<std::string>& pages = documents[0].second;
        ASSERT_EQ(static_cast<int>(pages.size()), expected[report].pages());
        ASSERT_GT(pages.size(), 1u);
        for (size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(xmlFault(pages[i]), "") << "page " << i + 1;
            EXPECT_NE(pages[i].find("<rect x=\"75\" y=\"55\" width=\"712\" height=\"980\""),
                      std::string::npos);
            int texts = 0;
            for (size_t at = 0; (at = pages[i].find("<text ", at) + 1) != 0;) ++texts;
            const std::vector<PrintedText> all = expected[report].texts();
            const auto onPage = [&](const PrintedText& t) { return t.page == static_cast<int>(i) + 1; };
            EXPECT_EQ(texts, std::count_if(all.begin(), all.end(), onPage));
        }
        EXPECT_NE(pages[0].find(":\xC2\xA0"
                                "a&lt;b&amp;&quot;\xC3\xA9</text>"),
                  std::string::npos);
    }

    // A document left unfinished reaches the browser once, when the surface goes, with what was
    // drawn: the text's top-left corner on the printable area's, its baseline an ascent lower, its
    // length six cells once the control character is gone. Drawing outside a page is ignored.
    documents.clear();
    {
        SvgPrintSurface surface(keep);
        surface.textOut(0, 0, "early");
        ASSERT_TRUE(surface.startDocument("left"));
        surface.startPage();
        surface.textOut(0, 0, "a<b&c\xE9\x01");
        surface.endPage();
        surface.lineTo(100, 100);
    }
    ASSERT_EQ(documents.size(), 1u);
    ASSERT_EQ(documents[0].second.size(), 1u);
    const std::string& page = documents[0].second[0];
    EXPECT_EQ(xmlFault(page), "");
    EXPECT_NE(page.find("<text x=\"25\" y=\"37.76\" textLength=\"49.65\" lengthAdjust=\"spacingAndGlyphs\">"
                        "a&lt;b&amp;c\xC3\xA9</text>"),
              std::string::npos);
    EXPECT_EQ(page.find("early"), std::string::npos);
    EXPECT_EQ(page.find("<path"), std::string::npos);

    // A surface that was only asked for its font, or drawn on without a document, never calls.
    documents.clear();
    {
        SvgPrintSurface surface(keep);
        EXPECT_TRUE(surface.selectFont(16));
        surface.startPage();
        surface.rectangle(0, 0, 10, 10);
        surface.endPage();
        surface.endDocument();
    }
    EXPECT_TRUE(documents.empty());
}

TEST(PrintedReports, TimeOfDay) {
    TestBridge b = workedExampleBridge();
    // Only 13 to 23 o'clock become PM; noon and midnight print as they are with AM, and minutes
    // have no leading zero.
    EXPECT_EQ(dataReport(b, {2024, 6, 1, 12, 30, 0}).find("Time: 12:30 AM").x, 20);
    EXPECT_EQ(dataReport(b, {2024, 6, 1, 13, 5, 0}).find("Time: 1:5 PM").y, -400);
    EXPECT_EQ(dataReport(b, {2024, 6, 1, 23, 59, 0}).count("Time: 11:59 PM"), 1);
    EXPECT_EQ(dataReport(b, {2024, 6, 1, 0, 0, 0}).count("Time: 0:0 AM"), 1);
    EXPECT_EQ(dataReport(b, {2025, 12, 31, 8, 0, 0}).find("Date: 12/31/2025").y, -380);
}

TEST(PrintedReports, FontFailurePrintsNothing) {
    // Without the report font nothing is started: the printer is only asked for the font and
    // released, and the caller is told so that it can show its box.
    TestBridge b = workedExampleBridge();
    const Recorded r = dataReport(b, kMorning, false);
    EXPECT_EQ(r.outcome, PrintOutcome::NoFont);
    ASSERT_EQ(r.ops.size(), 2u);
    EXPECT_EQ(r.ops[0].kind, PrintOpKind::SelectFont);
    EXPECT_EQ(r.ops[1].kind, PrintOpKind::Release);
    const MessageBoxRequest box = printFontFailureBox();
    EXPECT_EQ(box.text, "Not enough memory available for printing.");
    EXPECT_EQ(box.caption, "ZAZUVI");
    EXPECT_EQ(box.modality, Modality::System);
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_FALSE(box.ownedByMainWindow);
}

}  // namespace
