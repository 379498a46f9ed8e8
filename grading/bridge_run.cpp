// Calculate without a window: the same steps in the same order as the menu command.
#include "grading/bridge_run.h"

#include <algorithm>

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

void BridgeRun::clear() {
    initBridgeModel(model);
    results = AnalysisResults{};
    deflection.caseCount = 0;
    mechanismFound = false;
    check = nullptr;
    analysed = false;
}

BridgeFileResult BridgeRun::load(const char* path) {
    clear();
    return loadBridgeFile(path, model, sizes);
}

BridgeFileResult BridgeRun::loadText(std::string_view text, std::string_view name) {
    clear();
    const BridgeFileResult r = readBridgeText(text, model, sizes);
    if (r.ok()) {
        const size_t n = std::min(name.size(), sizeof model.bridgeName - 1);
        name.copy(model.bridgeName, n);
        model.bridgeName[n] = '\0';
    }
    return r;
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
    mechanismFound = findMechanism(model, results, workspace, mechanism);
    analysed = true;
}

int BridgeRun::worstMember() const {
    int worst = 0;
    for (int i = 1; i <= model.memberCount; ++i) {
        if (worst == 0 || model.members[i].forceRatio > model.members[worst].forceRatio) worst = i;
    }
    return worst;
}

std::string verdictOf(const BridgeRun& run) {
    if (run.check != nullptr) return run.check;
    if (run.results.bridgeUnstable) return "unstable";
    return run.results.bridgeFailed ? "failed" : "passed";
}
