// Undo and redo: every change to the bridge's contents made by one user action (a member drawn, a
// joint dragged, a delete, a size, a reflection, New, Open, a repair before an analysis) is one
// step. A step keeps, of the joints and members the action changed, only what the geometry does not
// derive (a joint's position and file flags, a member's ends and size), and the counts, name,
// modulus and path: the side of the change the bridge does not hold now. Undo and redo swap that
// side with the bridge's, and the caller updates the geometry. Analysis results and the order the
// geometry gives member ends are not contents: an analysis alone makes no step.
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

    // Puts back the contents of the bridge before (after) the current step. Results are cleared;
    // the caller updates the geometry. Nothing happens when there is no step.
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
    // What a step keeps of the bridge besides the records. The joint snap (hitTolerance) is a
    // setting of the Display menu, not contents: undo leaves it alone.
    struct Totals {
        int16_t jointCount;
        int16_t memberCount;
        char bridgeName[BRIDGE_NAME_CHARS + 1];
        double elasticModulus;
    };
    struct JointRecord {
        int16_t slot;
        int16_t screenX;
        int16_t screenY;
        uint8_t fileFlags[3];
    };
    struct MemberRecord {
        int16_t slot;
        int16_t startJoint;
        int16_t endJoint;
        int8_t size;
    };
    struct Step {
        std::vector<JointRecord> joints;
        std::vector<MemberRecord> members;
        Totals totals;
        std::optional<std::string> path;  // only when the step changed the path
    };

    static Totals totalsOf(const BridgeModel& model);
    // Exchanges the step's side of the change with the bridge's.
    static void swap(Step& step, BridgeModel& model);

    std::unique_ptr<BridgeModel> begun_;  // the bridge when the open action began
    bool open_ = false;
    std::deque<Step> steps_;
    size_t position_ = 0;              // steps_[0 .. position_) are done
    std::optional<size_t> saved_ = 0;  // the position of the saved bridge; none when dropped
    uint64_t version_ = 0;
};
