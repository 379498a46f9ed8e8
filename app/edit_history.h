// Undo and redo: every change to the bridge's contents made by one user action (a member drawn, a
// joint dragged, a delete, a size, a reflection, New, Open, a repair before an analysis) is one
// step, kept as the joint and member records it changed, before and after, and the totals, name
// and path when they changed. Analysis results and the order the geometry gives member ends are
// not contents: an analysis alone makes no step. Steps live on the heap, outside the model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/bridge_model.h"

// Whether two bridges have the same contents: joints (position and file flags), members (ends,
// either way round, and size), counts, name and elastic modulus.
bool sameBridgeContents(const BridgeModel& a, const BridgeModel& b);

class EditHistory {
  public:
    // Steps kept at the least; older ones are dropped beyond it.
    static constexpr size_t MIN_STEPS = 1000;

    EditHistory();
    ~EditHistory();

    // A user action starts: what the bridge holds now. Does nothing while one is open.
    void begin(const BridgeModel& model);
    bool isOpen() const { return open_; }

    // The action ends: when the contents changed, its step is kept and the steps that were undone
    // are dropped. Returns whether a step was kept.
    bool end(const BridgeModel& model);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }

    // Puts back the records, totals, name and path of the step before (after) the current one.
    // Results are cleared; the caller updates the geometry. Nothing happens when there is no step.
    void undo(BridgeModel& model);
    void redo(BridgeModel& model);

    // The bridge as it stands is what was last saved (or opened).
    void markSaved() { saved_ = position_; }
    // Whether the bridge stands where it was last saved.
    bool atSaved() const { return saved_ == position_; }

    // Counts every change of the bridge, so that a copy of it can be kept current.
    uint64_t version() const { return version_; }

    size_t stepCount() const { return steps_.size(); }
    // The heap memory the kept steps take, in bytes.
    size_t bytes() const;

  private:
    struct Totals {
        int16_t jointCount;
        int16_t memberCount;
        int16_t roadbedJointCount;
        double totalWeight;
        char bridgeName[BRIDGE_NAME_CHARS + 1];
        int16_t hitTolerance;
        double elasticModulus;
    };
    struct JointChange {
        int16_t slot;
        Joint before;
        Joint after;
    };
    struct MemberChange {
        int16_t slot;
        Member before;
        Member after;
    };
    struct Step {
        std::vector<JointChange> joints;
        std::vector<MemberChange> members;
        Totals before;
        Totals after;
        std::optional<std::string> pathBefore;  // only when the step changed the path
        std::optional<std::string> pathAfter;
    };

    static Totals totalsOf(const BridgeModel& model);
    static void apply(const Totals& totals, BridgeModel& model);

    std::unique_ptr<BridgeModel> begun_;  // the bridge when the open action began, results cleared
    std::unique_ptr<BridgeModel> ended_;  // scratch: the bridge when it ended, results cleared
    bool open_ = false;
    std::deque<Step> steps_;
    size_t position_ = 0;              // steps_[0 .. position_) are done
    std::optional<size_t> saved_ = 0;  // the position of the saved bridge; none when dropped
    uint64_t version_ = 0;
};
