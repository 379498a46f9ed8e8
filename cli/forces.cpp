// The forces command, which picks its output by the file's extension.
#include "cli/forces.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "analysis/member_evaluation.h"
#include "cli/png_file.h"
#include "files/file_paths.h"
#include "files/text_output.h"
#include "grading/force_chart.h"
#include "grading/instability.h"

namespace {

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

}  // namespace

CommandResult writeMemberForces(BridgeRun& run, const std::string& bridgePath, const std::string& outPath,
                                int member) {
    const std::string ext = lowerExtension(outPath);
    if (ext != ".csv" && ext != ".svg" && ext != ".png") {
        return CommandResult::failed(CLI_USAGE_ERROR, "",
                                     "forces writes .csv, .svg or .png files, not " + outPath);
    }
    if (member < 0 || member > run.model.memberCount) {
        return CommandResult::failed(CLI_USAGE_ERROR, "",
                                     "there is no member " + std::to_string(member) + " in " + bridgePath +
                                         " (it has " + std::to_string(run.model.memberCount) + ")");
    }
    run.calculate();
    if (run.check != nullptr) return CommandResult::failed(CLI_FILE_ERROR, bridgePath, run.check);
    if (run.results.bridgeUnstable) {
        return CommandResult::failed(CLI_FILE_ERROR, bridgePath, instabilityReason(run.model, run.results));
    }
    const ForceTable table = forceTableOf(run, member);
    bool written;
    if (ext == ".png") {
        written = writePngFile(outPath.c_str(), forcesPicture(table, run.model.bridgeName));
    } else {
        written = writeFileAtomically(
            outPath.c_str(), ext == ".csv" ? forcesCsv(table) : forcesSvg(table, run.model.bridgeName));
    }
    if (!written) return CommandResult::failed(CLI_FILE_ERROR, outPath, "Error: Cannot write to file");
    return {};
}
