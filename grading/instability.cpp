// The instability causes of the analysis as sentences.
#include "grading/instability.h"

#include "files/text_output.h"

std::string instabilityReason(const BridgeModel& model, const AnalysisResults& results) {
    std::string out = "unstable: ";
    switch (results.instability) {
        case InstabilityCause::TooFewMembers:
            appendFormat(out, "%d joints need at least %d members, the bridge has %d", model.jointCount,
                         2 * model.jointCount - 3, model.memberCount);
            break;
        case InstabilityCause::UnbracedJoint:
            appendFormat(out, "the members at joint %d all lie on one line", results.unbracedJoint);
            break;
        case InstabilityCause::SingularStiffness:
            out += "the truss is a mechanism (its stiffness matrix is singular)";
            break;
        case InstabilityCause::ExcessiveDeflection:
            appendFormat(out, "a joint moves more than %g inches under the loads", DEFLECTION_LIMIT_IN);
            break;
        case InstabilityCause::None:
            out += "no cause recorded";
            break;
    }
    return out;
}
