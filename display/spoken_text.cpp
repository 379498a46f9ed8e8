// The spoken descriptions of the board.
#include "display/spoken_text.h"

#include <cstdio>

#include "display/member_table.h"
#include "display/result_views.h"
#include "model/format_significant.h"
#include "model/hit_tests.h"

namespace {

// A number as the panel writes it, without the point the panel keeps after whole numbers.
std::string spoken(double value, int digits) {
    std::string text = formatSignificant(value, digits).c_str();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

std::string worstMember(const BridgeModel& model) {
    const int worst = hardestWorkingMember(model);
    if (worst == 0) return "";
    return "worst member " + std::to_string(worst) + " at " + spoken(demandPercent(model.members[worst]), 3) +
           " %";
}

}  // namespace

std::string bridgeSummary(const BridgeModel& model, const AnalysisResults* results) {
    std::string text = std::string("Bridge ") + model.bridgeName + ", " + std::to_string(model.jointCount) +
                       " joints, " + std::to_string(model.memberCount) + " members, " +
                       spoken(model.totalWeight, 4) + " kips, ";
    if (results == nullptr) return text + "not analysed";
    if (results->bridgeUnstable) return text + "unstable";
    return text + (results->bridgeFailed ? "failed; " : "passed; ") + worstMember(model);
}

std::string pointSpeech(const BridgeModel& model, int column, int row) {
    std::string text = std::to_string(column - BOARD_ORIGIN_COLUMN) + " ft, " +
                       std::to_string(BOARD_ORIGIN_ROW - row) + " ft";
    const int joint = findJointAt(model, BoardPoint{column, row});
    if (joint != 0) text += ", joint " + std::to_string(joint);
    return text;
}

std::string memberAddedSpeech(const BridgeModel& model, int member) {
    const Member& m = model.members[member];
    return "Member " + std::to_string(member) + " added from joint " + std::to_string(m.startJoint) +
           " to joint " + std::to_string(m.endJoint);
}

std::string verdictSpeech(const BridgeModel& model, const AnalysisResults& results) {
    if (results.bridgeUnstable) return "Bridge unstable: " + instabilitySentence(model, results);
    return std::string("Bridge ") + (results.bridgeFailed ? "failed, " : "passed, ") +
           spoken(model.totalWeight, 4) + " kips; " + worstMember(model) + ".";
}
