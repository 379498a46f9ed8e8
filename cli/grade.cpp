// The grade command. One run is allocated and reused for every file, so grading a folder of a
// thousand bridges costs little more than the analyses themselves; each file leaves its row and
// its design behind, and the designs are compared once all are in.
#include "cli/grade.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string_view>

#include "analysis/member_evaluation.h"
#include "cli/bridge_run.h"
#include "cli/json_writer.h"
#include "cli/lighten.h"
#include "cli/reports.h"
#include "cli/similarity.h"
#include "model/format_significant.h"

namespace fs = std::filesystem;

namespace {

bool hasBridgeExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return ext == ".BRG";
}

struct SimilarFile {
    int row;
    Likeness likeness;
};

struct Row {
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
    std::vector<SimilarFile> similar;
};

Row rowOf(const std::string& file, const BridgeRun& run) {
    Row r;
    r.file = file;
    r.readable = true;
    r.name = run.model.bridgeName;
    r.joints = run.model.jointCount;
    r.members = run.model.memberCount;
    r.weight = run.model.totalWeight;
    r.result = verdictOf(run);
    r.analysed = run.check == nullptr;
    if (r.analysed) {
        r.maxDeflection = run.results.maxDeflection;
        r.stable = !run.results.bridgeUnstable;
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
    std::string joints, members, weight, deflection, efficiency, worst, ratio, lightest;
};

RowText textOf(const Row& r) {
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
    return t;
}

void printCsv(const std::vector<Row>& rows, bool lighten, FILE* out) {
    std::fprintf(
        out,
        "file,name,joints,members,weight,result,maxDeflection,overallEfficiency,worstMember,worstRatio%s"
        ",similar_to\n",
        lighten ? ",lightestWeight" : "");
    for (const Row& r : rows) {
        const RowText t = textOf(r);
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
        if (lighten) line += "," + csvField(t.lightest);
        line += "," + csvField(similar);
        std::fprintf(out, "%s\n", line.c_str());
    }
}

void printTable(const std::vector<Row>& rows, bool lighten, FILE* out) {
    std::fprintf(out, "%-28s %-8s %6s %7s %9s %10s %10s %10s %6s %5s%s\n", "file", "name", "joints",
                 "members", "weight", "result", "deflection", "efficiency", "worst", "ratio",
                 lighten ? "  lightest" : "");
    for (const Row& r : rows) {
        const RowText t = textOf(r);
        const char* shortResult = r.readable ? "check" : "unreadable";  // when the result is a sentence
        std::fprintf(out, "%-28s %-8s %6s %7s %9s %10s %10s %10s %6s %5s", r.file.c_str(), r.name.c_str(),
                     t.joints.c_str(), t.members.c_str(), t.weight.c_str(),
                     r.result.size() <= 10 ? r.result.c_str() : shortResult, t.deflection.c_str(),
                     t.efficiency.c_str(), t.worst.c_str(), t.ratio.c_str());
        if (lighten) std::fprintf(out, " %9s", t.lightest.c_str());
        std::fputc('\n', out);
        if (r.result.size() > 10) std::fprintf(out, "    %s\n", r.result.c_str());
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

void printJson(const std::vector<Row>& rows, bool lighten, FILE* out) {
    std::string text = "[";
    for (size_t n = 0; n < rows.size(); ++n) {
        const Row& r = rows[n];
        text += n == 0 ? "\n" : ",\n";
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
        if (lighten) o.number("lightestWeight", r.lightened, r.lightestWeight);
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
    text += rows.empty() ? "]\n" : "\n]\n";
    std::fputs(text.c_str(), out);
}

}  // namespace

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

int gradeFiles(const std::vector<std::string>& files, const GradeSettings& settings, FILE* out) {
    auto run = BridgeRun::create(settings.options);
    std::vector<Row> rows;
    std::vector<Design> designs;
    std::vector<int> rowOfDesign;
    int unreadable = 0;
    for (size_t n = 0; n < files.size(); ++n) {
        const std::string& file = files[n];
        if (settings.progress) std::fprintf(stderr, "\rgrading %zu of %zu", n + 1, files.size());
        const BridgeFileResult loaded = run->load(file.c_str());
        if (!loaded.ok()) {
            ++unreadable;
            Row r;
            r.file = file;
            r.result = std::string("unreadable: ") + loaded.reason;
            rows.push_back(std::move(r));
            continue;
        }
        designs.push_back(designOf(run->model));
        rowOfDesign.push_back(static_cast<int>(rows.size()));
        run->calculate();
        rows.push_back(rowOf(file, *run));
        if (settings.lighten && run->check == nullptr) {
            const LightenResult lightest = lightenBridge(*run);
            rows.back().lightened = lightest.found;
            rows.back().lightestWeight = lightest.weightAfter;
        }
    }
    if (settings.progress) std::fprintf(stderr, "\r%-40s\r", "");

    for (const SimilarPair& p : findSimilarDesigns(designs)) {
        const int a = rowOfDesign[p.first], b = rowOfDesign[p.second];
        rows[a].similar.push_back({b, p.likeness});
        rows[b].similar.push_back({a, p.likeness});
    }
    for (Row& r : rows) {
        std::sort(r.similar.begin(), r.similar.end(),
                  [](const SimilarFile& x, const SimilarFile& y) { return x.row < y.row; });
    }

    switch (settings.format) {
        case GradeFormat::Table:
            printTable(rows, settings.lighten, out);
            break;
        case GradeFormat::Csv:
            printCsv(rows, settings.lighten, out);
            break;
        case GradeFormat::Json:
            printJson(rows, settings.lighten, out);
            break;
    }
    return unreadable;
}
