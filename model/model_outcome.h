// What a model operation asks the application to show: the messages in the order they are due,
// the joint or member to mark in red, and whether the board needs a full repaint. The model
// itself never shows anything; the application turns an outcome into message boxes and marks.
#pragma once

#include <cassert>

// Room for the most messages one operation produces, five: a new member can trip the roadbed,
// joint and member limits and then leave a zero-length member and a loose joint behind.
constexpr int MAX_OUTCOME_MESSAGES = 8;

// The fixed texts the model reports. Blanks are significant: the first zero-length text has two
// blanks after the dash, the second one. Compare them as text: a translation unit may hold its
// own copy of a literal.
namespace ModelMessage {
inline constexpr const char* MaxRoadbedJoints = "Max. Roadbed Joints = 30";
inline constexpr const char* MaxJoints = "Max. Joints = 60";
inline constexpr const char* MaxMembers = "Max. members = 150";
inline constexpr const char* ZeroLengthMember = "Deleting zero length member.";
inline constexpr const char* ShortMember = "Deleting short member.";
inline constexpr const char* UnattachedJointDeleted = "Deleting unattached joint.";
inline constexpr const char* MemberTooLong = "Member exceeds maximum length.";
inline constexpr const char* SameJointMember =
    "Pre-Analysis (1) -  There is a zero length member in the model.";
inline constexpr const char* SameSpotMember =
    "Pre-Analysis (1) - There is a zero length member in the model.";
inline constexpr const char* NoProperties = "Pre-Analysis (2) - A member in the model has no properties";
inline constexpr const char* RoadbedMissing = "Part of the roadbed is missing!";
inline constexpr const char* UnattachedJoint = "Unattached joint.";
}  // namespace ModelMessage

struct ModelOutcome {
    const char* messages[MAX_OUTCOME_MESSAGES] = {};  // static texts, in the order to show them
    int messageCount = 0;
    int markedJoint = 0;   // joint to mark in red on the board, 0 = none
    int markedMember = 0;  // member to mark in red on the board, 0 = none
    bool redraw = false;   // the whole board is due for a repaint (no erase)

    void report(const char* message) {
        assert(messageCount < MAX_OUTCOME_MESSAGES && "raise MAX_OUTCOME_MESSAGES for the new message path");
        if (messageCount < MAX_OUTCOME_MESSAGES) messages[messageCount++] = message;
    }
};
