// The bridge file reader on arbitrary bytes. The bridge the file would replace is a small drawn
// truss with unsaved changes, a name and a path, so that any write to it by a refused file shows.
#include <cstring>
#include <memory>

#include "analysis/member_sizes.h"
#include "files/bridge_file.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/model_checks.h"

namespace {

constexpr char kBoardBridge[] =
    "RADIV40 DATA FILE\n3 3 1 29000.000000 1 1\n"
    "1 0.000000 0.000000 0 0 0\n2 100.000000 0.000000 1 0 0\n3 50.000000 40.000000 0 0 1\n"
    "1 1 2 3 1.0 5 29000\n2 2 3 3 1.0 7 29000\n3 3 1 3 1.0 12 29000\n";

struct ReaderState {
    MemberSizeTable sizes;
    BridgeModel board;  // what the program holds before the file is read
    BridgeModel model;
    BridgeModel again;
    BridgeModel settled;

    ReaderState() {
        initMemberSizes(sizes);
        initBridgeModel(board);
        readBridgeText(kBoardBridge, board, sizes);
        setBridgeName(board, "ONBOARD");
        std::strcpy(board.filePath, "/home/student/ONBOARD.BRG");
        board.savedFlag = 0;
    }
};

ReaderState& state() {
    static const std::unique_ptr<ReaderState> s = std::make_unique<ReaderState>();
    return *s;
}

std::string reasonFault(const BridgeFileResult& r) {
    const void* end = std::memchr(r.reason, '\0', sizeof r.reason);
    if (end == nullptr) return "the reason is not terminated";
    if (r.reason[0] == '\0') return "a refusal without a reason";
    for (const char* c = r.reason; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte < 0x20 || byte >= 0x7f)
            return "the reason shows the byte " + std::to_string(byte) + ": " + std::string(r.reason, 40);
    }
    return "";
}

// The derived fields are those of a geometry update: running it again changes nothing.
bool geometrySettled(ReaderState& s) {
    s.settled = s.model;
    updateGeometry(s.settled, s.sizes);
    return std::memcmp(&s.settled, &s.model, sizeof s.model) == 0;
}

bool resultsCleared(const BridgeModel& model) {
    for (int i = 1; i <= LAST_MEMBER_SLOT; ++i) {
        const Member& m = model.members[i];
        if (m.force != 0.0 || m.allowableCompression != 0.0 || m.allowableTension != 0.0 ||
            m.forceRatio != 0.0)
            return false;
    }
    return true;
}

}  // namespace

std::string checkBridgeReaderInput(std::string_view bytes) {
    ReaderState& s = state();
    s.model = s.board;
    const BridgeFileResult r = readBridgeText(bytes, s.model, s.sizes);
    if (!r.ok()) {
        if (std::memcmp(&s.model, &s.board, sizeof s.model) != 0) return "a refused file changed the bridge";
        if (r.status < BridgeFileStatus::CannotOpen || r.status > BridgeFileStatus::Malformed)
            return "an unknown refusal";
        return reasonFault(r);
    }
    if (r.reason[0] != '\0') return "a taken file comes with a reason";
    std::string fault = tableFault(s.model, TableCheck{TableOrigin::File});
    if (!fault.empty()) return "taken file: " + fault;
    if (std::strcmp(s.model.bridgeName, s.board.bridgeName) != 0 ||
        std::strcmp(s.model.filePath, s.board.filePath) != 0)
        return "reading the text changed the name or the path";
    if (s.model.savedFlag != 1) return "a taken file leaves the bridge unsaved";
    if (!resultsCleared(s.model)) return "a taken file keeps old results";
    if (!geometrySettled(s)) return "a taken file leaves derived fields a geometry update would change";

    // What the program would save of it must open again as the same bridge, byte for byte.
    std::string written;
    writeBridgeFile(s.model, written);
    initBridgeModel(s.again);
    const BridgeFileResult back = readBridgeText(written, s.again, s.sizes);
    if (!back.ok()) return std::string("the bridge as saved is refused: ") + back.reason;
    // Without members the joints keep the feet as read, which the file rounds to six decimals.
    if (s.model.memberCount > 0) {
        fault = designDifference(s.model, s.again);
        if (!fault.empty()) return "the bridge as saved opens as another: " + fault;
    }
    std::string rewritten;
    writeBridgeFile(s.again, rewritten);
    if (rewritten != written) return "saving the bridge read back gives other bytes";
    return "";
}
