// The grade command. One run is allocated and reused for every file, so grading a folder of a
// thousand bridges costs little more than the analyses themselves; each file leaves its row and
// its design behind, and the designs are compared once all are in.
#include "grading/grade.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <string_view>

#include "analysis/member_evaluation.h"
#include "files/file_paths.h"
#include "grading/bridge_run.h"
#include "grading/bridge_svg.h"
#include "grading/force_chart.h"
#include "grading/json_writer.h"
#include "grading/lighten.h"
#include "grading/similarity.h"
#include "model/format_significant.h"

namespace fs = std::filesystem;

namespace {

bool hasBridgeExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return ext == ".BRG";
}

GradeRow rowOf(const std::string& file, const BridgeRun& run) {
    GradeRow r;
    r.file = file;
    r.readable = true;
    r.name = run.model.bridgeName;
    r.joints = run.model.jointCount;
    r.members = run.model.memberCount;
    r.weight = run.model.totalWeight;
    r.result = verdictOf(run);
    r.analysed = run.check == nullptr;
    r.standing = Standing::NotAnalysed;
    if (r.analysed) {
        r.maxDeflection = run.results.maxDeflection;
        r.stable = !run.results.bridgeUnstable;
        r.standing = !r.stable                  ? Standing::Unstable
                     : run.results.bridgeFailed ? Standing::Failed
                                                : Standing::PassedWithinRules;
        if (r.stable) {
            r.efficiency = overallEfficiency(run.model);
            r.worst = run.worstMember();
            if (r.worst != 0) r.worstRatio = run.model.members[r.worst].forceRatio;
        }
    }
    return r;
}

std::string g(double value, int digits) {
    return formatSignificant(value, digits).c_str();
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

const char* likenessName(Likeness likeness) {
    return likeness == Likeness::Same ? "same" : "near";
}

// The columns shared by the table and CSV, as text. Empty where a value does not exist.
struct RowText {
    std::string joints, members, weight, deflection, efficiency, worst, ratio, lightest, rules;
};

RowText textOf(const GradeRow& r, bool rules) {
    RowText t;
    if (!r.readable) return t;
    t.joints = std::to_string(r.joints);
    t.members = std::to_string(r.members);
    t.weight = g(r.weight, 5);
    // A mechanism can move further than a float holds: no deflection to report.
    if (r.analysed && std::isfinite(r.maxDeflection)) t.deflection = g(r.maxDeflection, 4);
    if (r.stable) t.efficiency = g(r.efficiency, 5);
    if (r.worst != 0) {
        t.worst = std::to_string(r.worst);
        t.ratio = r.worstRatio == FAILED_RATIO ? "FAIL" : g(r.worstRatio, 3);
    }
    if (r.lightened) t.lightest = g(r.lightestWeight, 5);
    if (rules) t.rules = rulesText(r);
    return t;
}

// Which optional columns the rows carry.
struct Columns {
    bool lighten;
    bool rules;
};

void printCsv(const GradedClass& graded, Columns columns, FILE* out) {
    const std::vector<GradeRow>& rows = graded.rows;
    std::fprintf(
        out,
        "file,name,joints,members,weight,result,maxDeflection,overallEfficiency,worstMember,worstRatio%s%s"
        ",similar_to\n",
        columns.lighten ? ",lightestWeight" : "", columns.rules ? ",rules" : "");
    for (const int n : graded.order) {
        const GradeRow& r = rows[n];
        const RowText t = textOf(r, columns.rules);
        std::string similar;
        for (const SimilarFile& s : r.similar) {
            if (!similar.empty()) similar += ';';
            similar += std::string(likenessName(s.likeness)) + ":" + rows[s.row].file;
        }
        std::string line;
        for (const std::string* f : {&r.file, &r.name, &t.joints, &t.members, &t.weight, &r.result,
                                     &t.deflection, &t.efficiency, &t.worst, &t.ratio}) {
            if (f != &r.file) line += ',';
            line += csvField(*f);
        }
        if (columns.lighten) line += "," + csvField(t.lightest);
        if (columns.rules) line += "," + csvField(t.rules);
        line += "," + csvField(similar);
        std::fprintf(out, "%s\n", line.c_str());
    }
}

void printTable(const GradedClass& graded, Columns columns, FILE* out) {
    const std::vector<GradeRow>& rows = graded.rows;
    std::fprintf(out, "%-28s %-8s %6s %7s %9s %10s %10s %10s %6s %5s%s%s\n", "file", "name", "joints",
                 "members", "weight", "result", "deflection", "efficiency", "worst", "ratio",
                 columns.lighten ? "  lightest" : "", columns.rules ? " rules" : "");
    for (const int n : graded.order) {
        const GradeRow& r = rows[n];
        const RowText t = textOf(r, columns.rules);
        const char* shortResult = r.readable ? "check" : "unreadable";  // when the result is a sentence
        std::fprintf(out, "%-28s %-8s %6s %7s %9s %10s %10s %10s %6s %5s", r.file.c_str(), r.name.c_str(),
                     t.joints.c_str(), t.members.c_str(), t.weight.c_str(),
                     r.result.size() <= 10 ? r.result.c_str() : shortResult, t.deflection.c_str(),
                     t.efficiency.c_str(), t.worst.c_str(), t.ratio.c_str());
        if (columns.lighten) std::fprintf(out, " %9s", t.lightest.c_str());
        // The limits broken are sentences of their own below the row.
        if (columns.rules && r.readable) std::fprintf(out, " %s", r.brokenLimits.empty() ? "ok" : "broken");
        std::fputc('\n', out);
        if (r.result.size() > 10) std::fprintf(out, "    %s\n", r.result.c_str());
        for (const std::string& limit : r.brokenLimits) std::fprintf(out, "    %s\n", limit.c_str());
        for (Likeness likeness : {Likeness::Same, Likeness::Near}) {
            std::string names;
            for (const SimilarFile& s : r.similar) {
                if (s.likeness == likeness) names += (names.empty() ? "" : ", ") + rows[s.row].file;
            }
            if (!names.empty()) {
                std::fprintf(out, "    %s: %s\n", likeness == Likeness::Same ? "same design as" : "near",
                             names.c_str());
            }
        }
    }
}

void printJson(const GradedClass& graded, Columns columns, FILE* out) {
    const std::vector<GradeRow>& rows = graded.rows;
    std::string text = "[";
    for (const int n : graded.order) {
        const GradeRow& r = rows[n];
        text += text.size() == 1 ? "\n" : ",\n";
        JsonObject o(text);
        o.text("file", r.file.c_str());
        if (r.readable) {
            o.text("name", r.name.c_str());
        } else {
            o.key("name") += "null";
        }
        o.number("joints", r.readable, r.joints);
        o.number("members", r.readable, r.members);
        o.number("weight", r.readable, r.weight);
        o.text("result", r.result.c_str());
        o.number("maxDeflection", r.analysed, r.maxDeflection);
        o.number("overallEfficiency", r.stable, r.efficiency);
        o.number("worstMember", r.worst != 0, r.worst);
        o.number("worstRatio", r.worst != 0, r.worstRatio);
        if (columns.lighten) o.number("lightestWeight", r.lightened, r.lightestWeight);
        if (columns.rules) {
            if (r.readable) {
                o.text("rules", rulesText(r).c_str());
            } else {
                o.key("rules") += "null";
            }
        }
        o.key("similar_to") += '[';
        for (size_t k = 0; k < r.similar.size(); ++k) {
            if (k > 0) text += ',';
            JsonObject s(text);
            s.text("file", rows[r.similar[k].row].file.c_str());
            s.text("likeness", likenessName(r.similar[k].likeness));
            s.close();
        }
        text += ']';
        o.close();
    }
    text += graded.order.empty() ? "]\n" : "\n]\n";
    std::fputs(text.c_str(), out);
}

// The bridge and, when it failed, its worst member's forces, while the run still holds them.
void drawPictures(GradeRow& r, const BridgeRun& run) {
    r.drawing = bridgeSvg(run.model, r.stable);
    if (r.standing != Standing::Failed || r.worst == 0) return;
    r.worstChart = forcesSvg(forceTableOf(run, r.worst), fileTitle(r.file.c_str()));
}

}  // namespace

std::string rulesText(const GradeRow& row) {
    std::string text;
    for (const std::string& limit : row.brokenLimits) text += (text.empty() ? "" : " ") + limit;
    return text.empty() ? "ok" : text;
}

std::vector<std::string> collectBridgeFiles(const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (!fs::is_directory(argument, error)) {
            files.push_back(argument);
            continue;
        }
        std::vector<std::string> found;
        for (fs::recursive_directory_iterator
                 it(argument, fs::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error)) {
            if (it->is_regular_file(error) && hasBridgeExtension(it->path()))
                found.push_back(it->path().string());
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

namespace {

// Grades count bridges, the n-th loaded into the run by load(n, run) and named by fileOf(n).
template <typename File, typename Load>
GradedClass gradeEach(size_t count, File fileOf, Load load, const GradeSettings& settings, BridgeRun* run) {
    run->options = settings.options;
    GradedClass graded;
    std::vector<GradeRow>& rows = graded.rows;
    std::vector<Design> designs;
    std::vector<int> rowOfDesign;
    for (size_t n = 0; n < count; ++n) {
        const std::string& file = fileOf(n);
        if (settings.progress) std::fprintf(stderr, "\rgrading %zu of %zu", n + 1, count);
        const BridgeFileResult loaded = load(n, *run);
        if (!loaded.ok()) {
            ++graded.unreadable;
            GradeRow r;
            r.file = file;
            r.result = std::string("unreadable: ") + loaded.reason;
            rows.push_back(std::move(r));
            continue;
        }
        designs.push_back(designOf(run->model));
        rowOfDesign.push_back(static_cast<int>(rows.size()));
        run->calculate();
        rows.push_back(rowOf(file, *run));
        GradeRow& r = rows.back();
        r.design = designs.back();
        if (settings.assignment) {
            r.brokenLimits = brokenLimits(*settings.assignment, run->model);
            if (r.standing == Standing::PassedWithinRules && !r.brokenLimits.empty())
                r.standing = Standing::PassedBreakingRules;
        }
        if (settings.pictures) drawPictures(r, *run);
        if (settings.lighten && run->check == nullptr) {
            const LightenResult lightest = lightenBridge(*run);
            r.lightened = lightest.found;
            r.lightestWeight = lightest.weightAfter;
        }
    }
    if (settings.progress) std::fprintf(stderr, "\r%-40s\r", "");

    for (const SimilarPair& p : findSimilarDesigns(designs)) {
        const int a = rowOfDesign[p.first], b = rowOfDesign[p.second];
        rows[a].similar.push_back({b, p.likeness});
        rows[b].similar.push_back({a, p.likeness});
    }
    for (GradeRow& r : rows) {
        std::sort(r.similar.begin(), r.similar.end(),
                  [](const SimilarFile& x, const SimilarFile& y) { return x.row < y.row; });
    }

    graded.order.resize(rows.size());
    std::iota(graded.order.begin(), graded.order.end(), 0);
    if (settings.ranked) {
        // Unreadable rows have no weight (0), so their ties keep the order of the files.
        std::stable_sort(graded.order.begin(), graded.order.end(), [&](int a, int b) {
            if (rows[a].standing != rows[b].standing) return rows[a].standing < rows[b].standing;
            return rows[a].weight < rows[b].weight;
        });
    }
    return graded;
}

}  // namespace

GradedClass gradeClass(const std::vector<std::string>& files, const GradeSettings& settings) {
    return gradeEach(
        files.size(), [&](size_t n) -> const std::string& { return files[n]; },
        [&](size_t n, BridgeRun& run) { return run.load(files[n].c_str()); }, settings,
        BridgeRun::create(settings.options).get());
}

GradedClass gradeTexts(const std::vector<BridgeText>& texts, const GradeSettings& settings) {
    return gradeTexts(texts, settings, *BridgeRun::create(settings.options));
}

GradedClass gradeTexts(const std::vector<BridgeText>& texts, const GradeSettings& settings, BridgeRun& run) {
    return gradeEach(
        texts.size(), [&](size_t n) -> const std::string& { return texts[n].label; },
        [&](size_t n, BridgeRun& run) { return run.loadText(texts[n].text, texts[n].label); }, settings,
        &run);
}

void printGrades(const GradedClass& graded, const GradeSettings& settings, FILE* out) {
    const Columns columns{settings.lighten, settings.assignment != nullptr};
    switch (settings.format) {
        case GradeFormat::Table:
            printTable(graded, columns, out);
            break;
        case GradeFormat::Csv:
            printCsv(graded, columns, out);
            break;
        case GradeFormat::Json:
            printJson(graded, columns, out);
            break;
        case GradeFormat::None:
            break;
    }
}

int gradeFiles(const std::vector<std::string>& files, const GradeSettings& settings, FILE* out) {
    const GradedClass graded = gradeClass(files, settings);
    printGrades(graded, settings, out);
    return graded.unreadable;
}

CommandResult readAssignmentFor(const std::string& path, const AnalysisOptions& flags, Assignment& assignment,
                                AnalysisOptions& options) {
    const AssignmentRead read = loadAssignmentFile(path.c_str());
    if (!read.ok) return CommandResult::failed(CLI_FILE_ERROR, path, read.reason);
    assignment = read.assignment;
    const struct {
        int flag;
        const std::optional<bool>& fixed;
        const char* flagName;
        const char* key;
    } fixedOptions[] = {
        {flags.includeDeadLoad, assignment.deadLoad, "--dead-load", "dead_load"},
        {flags.includeDeckWeight, assignment.deckWeight, "--deck-weight", "deck_weight"},
        {flags.includeExtraLiveLoad, assignment.extraLiveLoad, "--live-load", "extra_live_load"},
        {flags.useMinMemberForce, assignment.minMemberForce, "--min-force", "min_member_force"},
    };
    for (const auto& o : fixedOptions) {
        if (!o.flag || !o.fixed || *o.fixed) continue;
        const auto line = read.keyLines.find(o.key);
        std::string where = path;
        if (line != read.keyLines.end()) where += ", line " + std::to_string(line->second);
        return {CLI_USAGE_ERROR, std::string(o.flagName) + " contradicts " + where + ": " + o.key + " = no"};
    }
    options = optionsUnder(assignment, flags);
    return {};
}
