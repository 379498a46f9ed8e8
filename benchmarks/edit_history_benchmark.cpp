// Undo's memory and time over 1000 steps on the largest bridge the limits allow (60 joints, 150
// members): small steps (a member's size changed, a joint moved) and the largest there are (the
// whole bridge replaced, as New and Open do). The "bytes" counter is what the kept steps take.
#include <benchmark/benchmark.h>

#include <memory>

#include "analysis/member_sizes.h"
#include "app/edit_history.h"
#include "tests/analysis/analysis_bridges.h"

namespace {

constexpr int kSteps = 1000;

enum class Edit { Size, Move, Replace };

void steps(benchmark::State& state, Edit edit) {
    const TestBridge largest = largestLegalBridge(JointOrder::DeckFirst);
    auto sizes = std::make_unique<MemberSizeTable>();
    initMemberSizes(*sizes);
    auto model = std::make_unique<BridgeModel>(largest.model);
    auto empty = std::make_unique<BridgeModel>();
    initBridgeModel(*empty);
    size_t bytes = 0;
    for (auto _ : state) {
        EditHistory history;
        for (int i = 1; i <= kSteps; ++i) {
            history.begin(*model);
            switch (edit) {
                case Edit::Size: {
                    Member& m = model->members[1 + i % model->memberCount];
                    m.size = int8_t(1 + (m.size % 12));
                    break;
                }
                case Edit::Move: {
                    Joint& j = model->joints[1 + i % model->jointCount];
                    j.screenY = int16_t(j.screenY + (i % 2 == 0 ? 1 : -1));
                    break;
                }
                case Edit::Replace:
                    *model = i % 2 == 0 ? largest.model : *empty;
                    break;
            }
            updateGeometry(*model, *sizes);
            history.end(*model);
        }
        bytes = history.bytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
    state.counters["steps"] = kSteps;
}

void BM_ThousandSizeChanges(benchmark::State& state) {
    steps(state, Edit::Size);
}
BENCHMARK(BM_ThousandSizeChanges)->Unit(benchmark::kMillisecond);

void BM_ThousandJointMoves(benchmark::State& state) {
    steps(state, Edit::Move);
}
BENCHMARK(BM_ThousandJointMoves)->Unit(benchmark::kMillisecond);

void BM_ThousandWholeBridgesReplaced(benchmark::State& state) {
    steps(state, Edit::Replace);
}
BENCHMARK(BM_ThousandWholeBridgesReplaced)->Unit(benchmark::kMillisecond);

}  // namespace
