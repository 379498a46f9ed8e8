// The class page. Everything a reader needs is in the one file: the style sheet, the bridge
// drawings and charts as inline SVG, and a few lines of script that only add sorting by column;
// without the script the rows stay in the class's order. Text from files and paths is escaped
// here; the charts escape their own.
#include "grading/class_report.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "analysis/member_evaluation.h"
#include "files/file_paths.h"
#include "files/text_output.h"
#include "model/format_significant.h"

namespace {

// UTF-8 as appendHtmlText makes it; with escape false the markup characters pass as they are.
void appendUtf8(std::string& out, std::string_view bytes, bool escape) {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    for (size_t i = 0; i < bytes.size();) {
        const char c = bytes[i];
        const size_t n = utf8Length(bytes, i);
        if (n > 1 && !(n == 2 && static_cast<unsigned char>(c) == 0xC2 &&
                       static_cast<unsigned char>(bytes[i + 1]) < 0xA0)) {
            out.append(bytes, i, n);  // a character at or above U+00A0
        } else if (n > 1) {
            out += kReplacement;  // a C1 control written as UTF-8
        } else if (n == 0) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0xA0) {
                out += kReplacement;
            } else {
                out += char(0xC0 | (b >> 6));
                out += char(0x80 | (b & 0x3F));
            }
            i += 1;
            continue;
        } else if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') || c == 0x7F) {
            out += kReplacement;
        } else if (escape && c == '&') {
            out += "&amp;";
        } else if (escape && c == '<') {
            out += "&lt;";
        } else if (escape && c == '>') {
            out += "&gt;";
        } else if (escape && c == '"') {
            out += "&quot;";
        } else if (escape && c == '\'') {
            out += "&#39;";
        } else {
            out += c;
        }
        i += n;
    }
}

std::string html(std::string_view bytes) {
    std::string out;
    appendHtmlText(out, bytes);
    return out;
}

// A number as the table shows it: significant digits, no bare trailing point.
std::string number(double value, int digits) {
    std::string text = formatSignificant(value, digits).c_str();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

std::string rowId(int row) {
    return "file-" + std::to_string(row + 1);
}

std::string chartId(int row) {
    return "chart-" + std::to_string(row + 1);
}

const char* standingClass(Standing s) {
    switch (s) {
        case Standing::PassedWithinRules:
            return "passed";
        case Standing::PassedBreakingRules:
            return "passed broken";
        case Standing::Failed:
            return "failed";
        case Standing::Unstable:
            return "unstable";
        case Standing::NotAnalysed:
            return "stopped";
        case Standing::Unreadable:
            break;
    }
    return "unreadable";
}

const char* badgeOf(const GradeRow& r) {
    switch (r.standing) {
        case Standing::PassedWithinRules:
        case Standing::PassedBreakingRules:
            return "passed";
        case Standing::Failed:
            return "failed";
        case Standing::Unstable:
            return "unstable";
        case Standing::NotAnalysed:
            return "not analysed";
        case Standing::Unreadable:
            break;
    }
    return "unreadable";
}

// The page's look, for the screen and for paper. Thumbnails and charts scale with their viewBox.
const char kStyle[] = R"(
body{font:14px/1.45 system-ui,"Segoe UI",Roboto,"DejaVu Sans",sans-serif;color:#1d2330;background:#fff;
 max-width:1320px;margin:28px auto;padding:0 24px}
h1{font-size:26px;margin:0 0 2px}
h2{font-size:17px;margin:28px 0 8px}
.sub{color:#596376;margin:0 0 14px}
.summary{margin:0 0 18px;padding:0;list-style:none}
.summary li{display:inline-block;margin:0 6px 6px 0;padding:2px 11px;border-radius:12px;background:#eef1f5;
 font-size:.93em}
.summary .passed{background:#e2f3e6;color:#145c29}.summary .failed{background:#fbe3e3;color:#9b1010}
.rules{display:inline-block;border:1px solid #d6dce4;border-radius:6px;background:#f7f9fb;
 padding:10px 20px 10px 16px;margin:0 0 20px}
.rules h2{font-size:15px;margin:0 0 4px}.rules ul{margin:0;padding-left:20px}
table.grades{border-collapse:collapse;width:100%;font-size:13px}
.grades th{text-align:left;font-weight:600;border-bottom:2px solid #97a2b2;padding:6px 8px;vertical-align:bottom;
 white-space:nowrap;background:#fff}
.grades td{border-bottom:1px solid #e1e5ea;padding:5px 8px;vertical-align:middle}
.grades .num{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
.grades .unit{font-weight:400;color:#6b7587;font-size:.85em}
.grades tr:target td{background:#fff6d2}
.grades td.place{font-weight:700;font-size:1.15em;text-align:center}
.grades td.drawing{padding:3px 8px;line-height:0}
.file{min-width:9em;overflow-wrap:anywhere}.file .folder{color:#7a8494}.file .title{font-weight:600}
td.result{min-width:9em}td.limits{min-width:10em;max-width:20em}td.copied{min-width:14em}
.badge{display:inline-block;padding:1px 8px;border-radius:10px;font-weight:600;font-size:.92em;white-space:nowrap;
 background:#eceff3;color:#3d4656}
.passed .badge{background:#e2f3e6;color:#145c29}.failed .badge{background:#fbe3e3;color:#9b1010}
.unstable .badge{background:#fdeed9;color:#8a4600}
.why{display:block;color:#596376;font-size:.92em;margin-top:2px}a.why{color:#1d57b8}
.ok{color:#145c29}.broke{color:#8a4600;margin:0;padding-left:1.2em;font-size:.92em}
.fail{color:#c80000;font-weight:700}
td.copied{background:#fff3da}.copied .likeness{color:#8a4600;font-weight:600}
.copied a{white-space:nowrap}
a{color:#1d57b8}
.charts figure{margin:0 0 26px;break-inside:avoid}.charts figcaption{font-weight:600;margin:0 0 6px}
.charts svg{max-width:100%;height:auto;border:1px solid #e1e5ea}
.legend{color:#596376;font-size:.86em;margin-top:14px}
table.sortable th:not(.nosort){cursor:pointer;user-select:none}
table.sortable th:not(.nosort)::after{content:" \2195";color:#a7b0bd}
table.sortable th[aria-sort=ascending]::after{content:" \25B2";color:#1d57b8}
table.sortable th[aria-sort=descending]::after{content:" \25BC";color:#1d57b8}
@media print{
 body{max-width:none;margin:0;padding:0;font-size:11px}
 @page{margin:12mm}
 h1{font-size:20px}
 table.grades{font-size:10px}
 table.sortable th::after{content:none!important}
 .back{display:none}
 thead{display:table-header-group}
 tr,figure,.rules{break-inside:avoid}
 a{color:inherit;text-decoration:none}
 .grades tr:target td{background:none}
 .charts{break-before:page}
}
)";

// Sorting by a column: a click (or Enter) on its heading sorts by the cells' data-key, numbers as
// numbers; again reverses; empty cells stay last either way. Place sorts back to the ranking.
const char kScript[] = R"(
(function () {
  var table = document.getElementById('grades'), body = table.tBodies[0];
  var heads = table.tHead.rows[0].cells;
  table.classList.add('sortable');
  Array.prototype.forEach.call(heads, function (th, column) {
    if (th.classList.contains('nosort')) return;
    th.tabIndex = 0;
    function sort() {
      var up = th.getAttribute('aria-sort') !== 'ascending';
      Array.prototype.forEach.call(heads, function (h) { h.removeAttribute('aria-sort'); });
      th.setAttribute('aria-sort', up ? 'ascending' : 'descending');
      var rows = Array.prototype.slice.call(body.rows);
      rows.sort(function (a, b) {
        var x = a.cells[column].getAttribute('data-key'), y = b.cells[column].getAttribute('data-key');
        if (!x || !y) return (!x) - (!y);
        var d = isNaN(x) || isNaN(y) ? x.localeCompare(y) : x - y;
        return up ? d : -d;
      });
      rows.forEach(function (row) { body.appendChild(row); });
    }
    th.addEventListener('click', sort);
    th.addEventListener('keydown', function (e) {
      if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); sort(); }
    });
  });
})();
)";

void appendOptions(std::string& out, const AnalysisOptions& o) {
    std::string names;
    const struct {
        bool on;
        const char* name;
    } options[] = {{o.includeDeadLoad != 0, "Include Truss Dead Load"},
                   {o.includeDeckWeight != 0, "Include Deck Weight"},
                   {o.includeExtraLiveLoad != 0, "Additional Live Load"},
                   {o.useMinMemberForce != 0, "Use Min. Member Force"}};
    for (const auto& option : options) {
        if (option.on) names += std::string(names.empty() ? "" : ", ") + option.name;
    }
    out += names.empty() ? "the 80-kip truck alone (no options)" : "the 80-kip truck; options: " + names;
}

void appendSummary(std::string& out, const GradedClass& graded, bool underRules) {
    int count[int(Standing::Unreadable) + 1] = {};
    for (const GradeRow& r : graded.rows) ++count[int(r.standing)];
    const struct {
        Standing standing;
        const char* cssClass;
        const char* one;
        const char* many;
    } kinds[] = {
        {Standing::PassedWithinRules, "passed", underRules ? "passes within the rules" : "passes",
         underRules ? "pass within the rules" : "pass"},
        {Standing::PassedBreakingRules, "", "passes but breaks a rule", "pass but break a rule"},
        {Standing::Failed, "failed", "fails", "fail"},
        {Standing::Unstable, "", "is unstable", "are unstable"},
        {Standing::NotAnalysed, "", "cannot be analysed", "cannot be analysed"},
        {Standing::Unreadable, "", "file cannot be read", "files cannot be read"},
    };
    out += "<ul class=\"summary\">";
    for (const auto& k : kinds) {
        const int n = count[int(k.standing)];
        if (n == 0) continue;
        out += k.cssClass[0] != '\0' ? std::string("<li class=\"") + k.cssClass + "\">" : "<li>";
        appendFormat(out, "%d %s</li>", n, n == 1 ? k.one : k.many);
    }
    out += "</ul>\n";
}

void appendHead(std::string& out, bool rules, bool lighten) {
    out +=
        "<thead><tr><th class=\"num\">Place</th><th class=\"nosort\">Bridge</th><th>File</th>"
        "<th>Result</th>";
    if (rules) out += "<th>Rules</th>";
    out +=
        "<th class=\"num\">Weight<br><span class=\"unit\">kips</span></th>"
        "<th class=\"num\">Efficiency<br><span class=\"unit\">%</span></th>"
        "<th class=\"num\">Deflection<br><span class=\"unit\">in</span></th>"
        "<th class=\"num\">Worst<br><span class=\"unit\">member</span></th>"
        "<th class=\"num\">Ratio<br><span class=\"unit\">%</span></th>";
    if (lighten) out += "<th class=\"num\">Lightest<br><span class=\"unit\">kips</span></th>";
    out += "<th>Copied designs</th></tr></thead>\n";
}

// A number's cell with its sort key; empty, without a key, when the value does not exist.
void appendNumberCell(std::string& out, bool exists, double value, const std::string& text) {
    if (!exists) {
        out += "<td class=\"num\"></td>";
        return;
    }
    appendFormat(out, "<td class=\"num\" data-key=\"%.17g\">%s</td>", value, text.c_str());
}

// How the page names a file: its path after the folder every file shares.
std::string_view shownPath(const GradeRow& r, size_t sharedFolder) {
    return std::string_view(r.file).substr(sharedFolder);
}

// The length of the folder (up to and including a '/') that every path begins with.
size_t sharedFolderOf(const std::vector<GradeRow>& rows) {
    if (rows.empty()) return 0;
    const std::string& first = rows[0].file;
    size_t n = first.rfind('/') + 1;  // 0 when there is no '/'
    for (const GradeRow& r : rows) {
        while (n > 0 && r.file.compare(0, n, first, 0, n) != 0) n = n >= 2 ? first.rfind('/', n - 2) + 1 : 0;
    }
    return n;
}

void appendRow(std::string& out, const GradedClass& graded, int n, int rank, int place, bool rules,
               bool lighten, size_t sharedFolder) {
    const GradeRow& r = graded.rows[n];
    appendFormat(out, "<tr id=\"%s\" class=\"%s\">", rowId(n).c_str(), standingClass(r.standing));
    appendFormat(out, "<td class=\"place\" data-key=\"%d\">", rank);
    if (place > 0) appendFormat(out, "%d", place);
    out += "</td><td class=\"drawing\">";
    out += r.drawing;
    out += "</td>";

    const std::string_view path = shownPath(r, sharedFolder);
    const size_t title = path.rfind('/') + 1;  // 0 when there is no '/'
    out += "<td class=\"file\" data-key=\"" + html(path) + "\">";
    if (title > 0) out += "<span class=\"folder\">" + html(path.substr(0, title)) + "</span>";
    out += "<span class=\"title\">" + html(path.substr(title)) + "</span></td>";

    appendFormat(out, "<td class=\"result\" data-key=\"%d\"><span class=\"badge\">%s</span>", int(r.standing),
                 badgeOf(r));
    if (!r.readable) {
        out += "<span class=\"why\">" + html(r.result.substr(std::strlen("unreadable: "))) + "</span>";
    } else if (r.standing == Standing::NotAnalysed) {
        out += "<span class=\"why\">" + html(r.result) + "</span>";
    } else if (!r.worstChart.empty()) {
        out += "<a class=\"why\" href=\"#" + chartId(n) + "\">forces in member " + std::to_string(r.worst) +
               " &darr;</a>";
    }
    out += "</td>";

    if (rules) {
        if (!r.readable) {
            out += "<td class=\"limits\"></td>";
        } else if (r.brokenLimits.empty()) {
            out += "<td class=\"limits\" data-key=\"0\"><span class=\"ok\">ok</span></td>";
        } else {
            appendFormat(out, "<td class=\"limits\" data-key=\"%zu\"><ul class=\"broke\">",
                         r.brokenLimits.size());
            for (const std::string& limit : r.brokenLimits) out += "<li>" + html(limit) + "</li>";
            out += "</ul></td>";
        }
    }

    appendNumberCell(out, r.readable, r.weight, number(r.weight, 5));
    appendNumberCell(out, r.stable, r.efficiency, number(r.efficiency, 5));
    // A mechanism has no deflection worth showing (it may not even fit a float).
    appendNumberCell(out, r.stable && std::isfinite(r.maxDeflection), r.maxDeflection,
                     number(r.maxDeflection, 4));
    appendNumberCell(out, r.worst != 0, r.worst, std::to_string(r.worst));
    appendNumberCell(
        out, r.worst != 0, r.worstRatio,
        r.worstRatio == FAILED_RATIO ? "<span class=\"fail\">FAIL</span>" : number(r.worstRatio, 3));
    if (lighten) appendNumberCell(out, r.lightened, r.lightestWeight, number(r.lightestWeight, 5));

    if (r.similar.empty()) {
        out += "<td></td>";
    } else {
        appendFormat(out, "<td class=\"copied\" data-key=\"%zu\">", r.similar.size());
        for (const Likeness likeness : {Likeness::Same, Likeness::Near}) {
            std::string links;
            for (const SimilarFile& s : r.similar) {
                if (s.likeness != likeness) continue;
                links += links.empty() ? "" : ", ";
                links += "<a href=\"#" + rowId(s.row) + "\">" +
                         html(shownPath(graded.rows[s.row], sharedFolder)) + "</a>";
            }
            if (links.empty()) continue;
            out += "<div><span class=\"likeness\">";
            out += likeness == Likeness::Same ? "same as" : "near";
            out += "</span> " + links + "</div>";
        }
        out += "</td>";
    }
    out += "</tr>\n";
}

void appendCharts(std::string& out, const GradedClass& graded, size_t sharedFolder) {
    bool any = false;
    for (const int n : graded.order) {
        const GradeRow& r = graded.rows[n];
        if (r.worstChart.empty()) continue;
        if (!any) {
            out +=
                "<section class=\"charts\">\n<h2>Why they failed: the force in each failed bridge's worst "
                "member as the truck crosses</h2>\n";
        }
        any = true;
        appendFormat(out, "<figure id=\"%s\"><figcaption>", chartId(n).c_str());
        out += html(shownPath(r, sharedFolder));
        appendFormat(out, ", member %d <a class=\"back\" href=\"#%s\">back to its row</a></figcaption>\n",
                     r.worst, rowId(n).c_str());
        // The chart is a document of its own; inline, HTML gives it its namespace and needs no prolog.
        std::string_view chart = r.worstChart;
        chart.remove_prefix(std::min(chart.find("<svg"), chart.size()));
        const std::string_view xmlns = " xmlns=\"http://www.w3.org/2000/svg\"";
        const size_t at = chart.find(xmlns);
        if (at != std::string_view::npos) {
            appendUtf8(out, chart.substr(0, at), false);
            chart.remove_prefix(at + xmlns.size());
        }
        appendUtf8(out, chart, false);
        out += "</figure>\n";
    }
    if (any) out += "</section>\n";
}

}  // namespace

void appendHtmlText(std::string& out, std::string_view bytes) {
    appendUtf8(out, bytes, true);
}

std::string classReportHtml(const GradedClass& graded, const GradeSettings& settings) {
    const Assignment* a = settings.assignment;
    const std::string title = a ? html(a->title) : "Bridge grades";
    std::string out;
    out.reserve(graded.rows.size() * 12000 + 16000);
    out +=
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    out += title + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" + title + "</h1>\n";
    const size_t sharedFolder = sharedFolderOf(graded.rows);
    appendFormat(out, "<p class=\"sub\">%zu bridge file%s", graded.rows.size(),
                 graded.rows.size() == 1 ? "" : "s");
    if (sharedFolder > 0) out += " in " + html(std::string_view(graded.rows[0].file).substr(0, sharedFolder));
    out += ", graded with ";
    appendOptions(out, settings.options);
    out += ".</p>\n";
    appendSummary(out, graded, a != nullptr);
    if (a) {
        out += "<section class=\"rules\"><h2>Rules</h2><ul>";
        for (const std::string& rule : describeRules(*a)) out += "<li>" + html(rule) + "</li>";
        out += "</ul></section>\n";
    }

    out += "<table class=\"grades\" id=\"grades\">\n";
    appendHead(out, a != nullptr, settings.lighten);
    out += "<tbody>\n";
    // Places count only bridges that pass within the rules; equal weights share a place.
    int place = 0;
    for (size_t k = 0; k < graded.order.size(); ++k) {
        const GradeRow& r = graded.rows[graded.order[k]];
        const bool placed = r.standing == Standing::PassedWithinRules;
        if (placed && (k == 0 || graded.rows[graded.order[k - 1]].weight != r.weight)) place = int(k) + 1;
        appendRow(out, graded, graded.order[k], int(k), placed ? place : 0, a != nullptr, settings.lighten,
                  sharedFolder);
    }
    out += "</tbody>\n</table>\n";
    out += "<p class=\"legend\">Ranked: bridges that pass";
    if (a) out += " within the rules, then those that pass but break a rule";
    out +=
        "; then failed, unstable and not analysed bridges; each lightest first; last the files that cannot "
        "be read. Drawings: members in dark blue, failed members in red, the 400 ft "
        "span in grey between its two supports. Copied designs: <em>same as</em> is the same truss up "
        "to numbering and mirroring, sizes included; <em>near</em> differs by at most two joints "
        "moved 10 ft or two members added, removed or resized.</p>\n";
    appendCharts(out, graded, sharedFolder);
    out += "<script>";
    out += kScript;
    out += "</script>\n</body>\n</html>\n";
    return out;
}

CommandResult writeClassReport(const GradedClass& graded, const GradeSettings& settings,
                               const std::string& path) {
    if (!writeFileAtomically(path.c_str(), classReportHtml(graded, settings))) {
        return CommandResult::failed(CLI_FILE_ERROR, path,
                                     std::string("cannot be written: ") + std::strerror(errno));
    }
    return {};
}
