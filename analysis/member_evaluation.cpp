// Allowable forces, the envelope and verdict of each member, and the overall efficiency ratio.
// The decimal constants are those of the steel (Fy 36 ksi, E 29000 ksi) as the results have
// always been computed; they are not re-derived from E and Fy.
#include "analysis/member_evaluation.h"

#include "analysis/member_sizes.h"

namespace {

constexpr double LIMIT_SLENDERNESS = 126.1;  // Cc = sqrt(2 pi^2 E / Fy)

struct Envelope {
    double tension;      // kips, >= 0: largest tension over the cases
    double compression;  // kips, >= 0: largest compression over the cases
};

// Zeroes the noise entries of one member's case forces and returns their envelope.
Envelope envelopeOf(double* caseForces, int caseCount) {
    double tension = 0.0;
    double minForce = 0.0;
    for (int k = 1; k <= caseCount; ++k) {
        double& force = caseForces[k];
        if (-FORCE_NOISE_KIPS < force && force < FORCE_NOISE_KIPS) force = 0.0;
        if (force > tension) tension = force;
        if (force < minForce) minForce = force;
    }
    return {tension, -minForce};
}

}  // namespace

double allowableCompressionOf(const Member& member) {
    const double s = member.length * 12.0 / member.radiusOfGyration;  // slenderness, length in inches
    double stressKsi;
    if (s < LIMIT_SLENDERNESS) {
        stressKsi = (1.0 - s * s / 31802.0) * 36.0 / (3.0 * s / 1008.8 + 1.67 - s * s * s / 16041141.0);
    } else {
        stressKsi = 149330.0 / (s * s);
    }
    return stressKsi * member.area;
}

void computeAllowables(BridgeModel& model) {
    for (int i = 1; i <= model.memberCount; ++i) {
        Member& m = model.members[i];
        m.allowableCompression = allowableCompressionOf(m);
        m.allowableTension = m.tensionCapacity;
    }
}

void evaluateMembers(BridgeModel& model, const AnalysisOptions& options, AnalysisResults& results) {
    const int caseCount = model.roadbedJointCount;
    for (int i = 1; i <= model.memberCount; ++i) {
        Member& m = model.members[i];
        Envelope e = envelopeOf(results.caseForces[i], caseCount);
        if (options.useMinMemberForce && e.compression < MIN_MEMBER_FORCE_KIPS &&
            e.tension < MIN_MEMBER_FORCE_KIPS) {
            e.compression = MIN_MEMBER_FORCE_KIPS;
        }
        const double allowableCompression = allowableCompressionOf(m);
        const double allowableTension = m.tensionCapacity;
        const double tensionRatio = e.tension / allowableTension * 100.0;
        const double compressionRatio = e.compression / allowableCompression * 100.0;

        // A ratio of exactly 100 is within the allowable. Between two passing ratios a tie goes to
        // tension, between two failing ones to compression.
        bool fails = true;
        bool compressionGoverns;
        if (tensionRatio <= 100.0 && compressionRatio <= 100.0) {
            fails = false;
            compressionGoverns = compressionRatio > tensionRatio;
        } else if (tensionRatio <= 100.0) {
            compressionGoverns = true;
        } else if (compressionRatio <= 100.0) {
            compressionGoverns = false;
        } else {
            compressionGoverns = compressionRatio >= tensionRatio;
        }

        m.force = compressionGoverns ? -e.compression : e.tension;
        if (fails) {
            m.forceRatio = FAILED_RATIO;
        } else {
            m.forceRatio = compressionGoverns ? compressionRatio : tensionRatio;
        }
        m.allowableCompression = allowableCompression;
        m.allowableTension = allowableTension;
        if (fails) results.bridgeFailed = 1;
    }
}

float overallEfficiency(const BridgeModel& model) {
    if (model.totalWeight == 0.0) return 0.0f;
    float sum = 0.0f;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        // Member weight in kips (lb per cubic inch, length in inches) times its ratio.
        sum = static_cast<float>(sum +
                                 m.area * STEEL_LB_PER_CUBIC_IN * m.length * 12.0 * m.forceRatio / 1000.0);
    }
    return static_cast<float>(sum / model.totalWeight);
}
