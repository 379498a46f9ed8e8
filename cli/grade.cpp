// The grade command. One run is allocated and reused for every file, so grading a folder of a
// thousand bridges costs little more than the analyses themselves.
#include "cli/grade.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "analysis/member_evaluation.h"
#include "cli/bridge_run.h"
#include "cli/reports.h"
#include "model/format_significant.h"

namespace fs = std::filesystem;

namespace {

bool hasBridgeExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return ext == ".BRG";
}

struct Row {
    std::string file, name, joints, members, weight, result, deflection, efficiency, worst, ratio;
    const char* shortResult = "";  // what the table shows when the result is a whole sentence
};

Row rowOf(const std::string& file, const BridgeRun& run) {
    Row r;
    r.file = file;
    r.name = run.model.bridgeName;
    r.joints = std::to_string(run.model.jointCount);
    r.members = std::to_string(run.model.memberCount);
    r.weight = formatSignificant(run.model.totalWeight, 5).c_str();
    r.result = verdictOf(run);
    r.shortResult = "check";
    if (run.check == nullptr) {
        r.deflection = formatSignificant(run.results.maxDeflection, 4).c_str();
        if (!run.results.bridgeUnstable) {
            r.efficiency = formatSignificant(overallEfficiency(run.model), 5).c_str();
            if (const int worst = run.worstMember(); worst != 0) {
                const double ratio = run.model.members[worst].forceRatio;
                r.worst = std::to_string(worst);
                r.ratio = ratio == FAILED_RATIO ? "FAIL" : formatSignificant(ratio, 3).c_str();
            }
        }
    }
    return r;
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

void printRow(const Row& r, bool csv) {
    if (csv) {
        const std::string* fields[] = {&r.file,   &r.name,       &r.joints,     &r.members, &r.weight,
                                       &r.result, &r.deflection, &r.efficiency, &r.worst,   &r.ratio};
        std::string line;
        for (const std::string* f : fields) {
            if (!line.empty() || f != fields[0]) line += ',';
            line += csvField(*f);
        }
        std::printf("%s\n", line.c_str());
        return;
    }
    std::printf("%-28s %-8s %6s %7s %9s %10s %10s %10s %6s %5s\n", r.file.c_str(), r.name.c_str(),
                r.joints.c_str(), r.members.c_str(), r.weight.c_str(),
                r.result.size() <= 10 ? r.result.c_str() : r.shortResult, r.deflection.c_str(),
                r.efficiency.c_str(), r.worst.c_str(), r.ratio.c_str());
    if (r.result.size() > 10) std::printf("    %s\n", r.result.c_str());
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

int gradeFiles(const std::vector<std::string>& files, const AnalysisOptions& options, bool csv,
               bool progress) {
    if (csv) {
        std::printf(
            "file,name,joints,members,weight,result,maxDeflection,overallEfficiency,worstMember,"
            "worstRatio\n");
    } else {
        std::printf("%-28s %-8s %6s %7s %9s %10s %10s %10s %6s %5s\n", "file", "name", "joints", "members",
                    "weight", "result", "deflection", "efficiency", "worst", "ratio");
    }
    auto run = BridgeRun::create(options);
    int unreadable = 0;
    for (size_t n = 0; n < files.size(); ++n) {
        const std::string& file = files[n];
        if (progress) std::fprintf(stderr, "\rgrading %zu of %zu", n + 1, files.size());
        const BridgeFileResult loaded = run->load(file.c_str());
        if (!loaded.ok()) {
            ++unreadable;
            Row r;
            r.file = file;
            r.result = std::string("unreadable: ") + loaded.reason;
            r.shortResult = "unreadable";
            printRow(r, csv);
            continue;
        }
        run->calculate();
        printRow(rowOf(file, *run), csv);
    }
    if (progress) std::fprintf(stderr, "\r%-40s\r", "");
    return unreadable;
}
