// Calculate without a window: the same steps in the same order as the menu command.
#include "cli/bridge_run.h"

#include "model/model_outcome.h"
#include "model/validation.h"

std::unique_ptr<BridgeRun> BridgeRun::create(const AnalysisOptions& options) {
    auto run = std::make_unique<BridgeRun>();
    initBridgeModel(run->model);
    initMemberSizes(run->sizes);
    run->options = options;
    run->results = AnalysisResults{};
    run->check = nullptr;
    run->analysed = false;
    return run;
}

BridgeFileResult BridgeRun::load(const char* path) {
    initBridgeModel(model);
    results = AnalysisResults{};
    deflection.caseCount = 0;
    check = nullptr;
    analysed = false;
    return loadBridgeFile(path, model, sizes);
}

void BridgeRun::calculate() {
    check = nullptr;
    analysed = false;
    if (model.memberCount == 0) {
        check = "No Bridge!";
        return;
    }
    ModelOutcome outcome;
    if (checkBeforeAnalysis(model, sizes, outcome)) {
        check = outcome.messageCount > 0 ? outcome.messages[0] : "The bridge cannot be analysed.";
        return;
    }
    updateGeometry(model, sizes);
    analyzeBridge(model, options, results, workspace);
    collectCaseDisplacements(model, results, workspace, deflection);
    analysed = true;
}

int BridgeRun::worstMember() const {
    int worst = 0;
    for (int i = 1; i <= model.memberCount; ++i) {
        if (worst == 0 || model.members[i].forceRatio > model.members[worst].forceRatio) worst = i;
    }
    return worst;
}
