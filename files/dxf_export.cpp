// Writes the DXF text: group codes and values alternate, one per line, without leading blanks.
#include "files/dxf_export.h"

#include <cmath>

namespace {

// Header variables that never change: limits (0, 0)-(12, 9), extents (0, -420)-(1800, 480).
// Then the empty TABLES and BLOCKS sections and the start of the entities.
constexpr char kHead[] =
    "0\nSECTION\n2\nHEADER\n"
    "9\n$LTSCALE\n40\n0.5\n"
    "9\n$LIMMIN\n10\n0\n20\n0\n"
    "9\n$LIMMAX\n10\n12\n20\n9\n"
    "9\n$EXTMIN\n10\n0\n20\n-420\n"
    "9\n$EXTMAX\n10\n1800\n20\n480\n"
    "0\nENDSEC\n"
    "0\nSECTION\n2\nTABLES\n0\nENDSEC\n"
    "0\nSECTION\n2\nBLOCKS\n0\nENDSEC\n"
    "0\nSECTION\n2\nENTITIES\n";

constexpr char kTail[] = "0\nENDSEC\n0\nEOF\n";

// Feet to whole inches, truncated toward zero. Every joint on the board gives a value well inside
// 16 bits; a joint further out (a hand-edited file) keeps its true value rather than wrapping.
long inches(float feet) {
    return static_cast<long>(std::trunc(static_cast<double>(feet) * 12.0));
}

}  // namespace

std::string dxfText(const BridgeModel& model) {
    std::string out;
    out.reserve(512 + 64 * static_cast<size_t>(model.memberCount));
    out += kHead;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Joint& start = model.joints[model.members[i].startJoint];
        const Joint& end = model.joints[model.members[i].endJoint];
        appendFormat(out, "0\nLINE\n8\n0\n10\n%ld\n20\n%ld\n30\n0\n11\n%ld\n21\n%ld\n31\n0\n",
                     inches(start.x), inches(start.y), inches(end.x), inches(end.y));
    }
    out += kTail;
    return out;
}

ExportResult exportDxf(const char* chosenPath, const BridgeModel& model) {
    return writeExport(chosenPath, ".DXF", dxfText(model));
}

ExportResult exportDxfTo(const char* path, const BridgeModel& model) {
    return writeExportTo(path, dxfText(model));
}
