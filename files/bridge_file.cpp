// Reading and writing .BRG files. The reader scans whitespace-separated tokens, so line breaks
// (LF or CR LF) are not significant, and it parses into a copy of the model that replaces the
// original only when the whole file was taken.
#include "files/bridge_file.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "analysis/member_sizes.h"
#include "files/file_paths.h"
#include "files/text_output.h"

namespace {

constexpr char kMagic[] = "RADIV40";

BridgeFileResult result(BridgeFileStatus status, const char* format = "", ...) {
    BridgeFileResult r{status, {}};
    va_list args;
    va_start(args, format);
    std::vsnprintf(r.reason, sizeof r.reason, format, args);
    va_end(args);
    return r;
}

// Hands out the file's tokens in order, with the line each one stands on.
class TokenScanner {
  public:
    explicit TokenScanner(std::string_view text) : text_(text) {}

    bool next(std::string_view& token) {
        while (pos_ < text_.size() && isBlank(text_[pos_])) {
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
        if (pos_ >= text_.size()) return false;
        const size_t start = pos_;
        while (pos_ < text_.size() && !isBlank(text_[pos_])) ++pos_;
        token = text_.substr(start, pos_ - start);
        tokenLine_ = line_;
        return true;
    }
    int line() const { return tokenLine_; }

  private:
    static bool isBlank(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
    int tokenLine_ = 1;
};

// A whole token as an integer or a finite real; anything else in the token is refused.
bool parseInt(std::string_view token, long& value) {
    char buffer[32];
    if (token.empty() || token.size() >= sizeof buffer) return false;
    std::memcpy(buffer, token.data(), token.size());
    buffer[token.size()] = '\0';
    char* end = nullptr;
    errno = 0;
    value = std::strtol(buffer, &end, 10);
    return errno == 0 && *end == '\0';
}

bool parseReal(std::string_view token, double& value) {
    char buffer[64];
    if (token.empty() || token.size() >= sizeof buffer) return false;
    std::memcpy(buffer, token.data(), token.size());
    buffer[token.size()] = '\0';
    char* end = nullptr;
    value = std::strtod(buffer, &end);
    return *end == '\0' && std::isfinite(value);
}

// The start of a token as the user may see it quoted in a message: the file is anybody's, so
// control characters (a terminal would obey them) and bytes beyond ASCII show as '?'.
template <size_t N>
void printableCopy(std::string_view token, char (&out)[N]) {
    size_t n = 0;
    for (; n < token.size() && n + 1 < N; ++n) {
        const auto byte = static_cast<unsigned char>(token[n]);
        out[n] = byte >= 0x20 && byte < 0x7f ? token[n] : '?';
    }
    out[n] = '\0';
}

// Reads the numeric fields of one record; kinds is a string of 'd' (integer) and 'f' (real).
class RecordReader {
  public:
    explicit RecordReader(TokenScanner& scanner) : scanner_(scanner) {}

    bool read(const char* kinds, const char* what, double* values, BridgeFileResult& failure) {
        for (int i = 0; kinds[i] != '\0'; ++i) {
            std::string_view token;
            if (!scanner_.next(token)) {
                failure = result(BridgeFileStatus::Malformed, "the file ends inside the %s", what);
                return false;
            }
            long integer = 0;
            double real = 0.0;
            const bool ok = kinds[i] == 'd' ? parseInt(token, integer) : parseReal(token, real);
            if (!ok) {
                char shown[25];
                printableCopy(token, shown);
                failure = result(BridgeFileStatus::Malformed, "line %d: \"%s\" in the %s is not %s",
                                 scanner_.line(), shown, what,
                                 kinds[i] == 'd' ? "a whole number" : "a finite number");
                return false;
            }
            values[i] = kinds[i] == 'd' ? static_cast<double>(integer) : real;
        }
        return true;
    }
    int line() const { return scanner_.line(); }

  private:
    TokenScanner& scanner_;
};

bool fitsInt16(double v) {
    return v >= INT16_MIN && v <= INT16_MAX;
}

}  // namespace

void writeBridgeFile(const BridgeModel& model, std::string& out) {
    appendFormat(out, "RADIV40 DATA FILE\n");
    appendFormat(out, "%d %d %d %f 1 1\n", model.memberCount, model.jointCount, 1, model.elasticModulus);
    for (int j = 1; j <= model.jointCount; ++j) {
        const Joint& joint = model.joints[j];
        appendFormat(out, "%d %f %f%s%s%s\n", j, static_cast<double>(joint.x), static_cast<double>(joint.y),
                     joint.fileFlag1 != 0 ? " 1" : " 0", joint.fileFlag2 != 0 ? " 1" : " 0",
                     joint.fileFlag3 != 0 ? " 1" : " 0");
    }
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        appendFormat(out, "%d %d %d 3 %f %d 29000\n", i, m.startJoint, m.endJoint, m.area, m.size);
    }
}

BridgeFileResult readBridgeText(std::string_view text, BridgeModel& model,
                                const MemberSizeTable& memberSizes) {
    TokenScanner scanner(text);
    std::string_view token;
    if (!scanner.next(token)) return result(BridgeFileStatus::Empty, "the file is empty");
    if (token.size() < 7 || token.substr(0, 7) != kMagic) {
        return result(BridgeFileStatus::NotBridgeFile, "not a bridge file (it does not begin with RADIV40)");
    }
    if (!scanner.next(token) || !scanner.next(token)) {
        return result(BridgeFileStatus::NoHeader, "the file ends after its first word");
    }

    BridgeFileResult failure{};
    RecordReader reader(scanner);
    double header[6];
    if (!reader.read("dddfdd", "header", header, failure)) return failure;
    // header: memberCount jointCount 1 modulus 1 1
    if (header[0] < 0 || header[0] > LAST_MEMBER_SLOT) {
        return result(BridgeFileStatus::Malformed, "line %d: %.0f members (at most %d fit)", reader.line(),
                      header[0], LAST_MEMBER_SLOT);
    }
    if (header[1] < 0 || header[1] > LAST_JOINT_SLOT) {
        return result(BridgeFileStatus::Malformed, "line %d: %.0f joints (at most %d fit)", reader.line(),
                      header[1], LAST_JOINT_SLOT);
    }

    // Read as a float and kept as a double; one beyond a float's range would be written back as
    // "inf", which no reader takes, so the file is refused now rather than after the next save.
    const float modulus = static_cast<float>(header[3]);
    if (!std::isfinite(modulus))
        return result(BridgeFileStatus::Malformed, "line %d: the modulus %g is out of range", reader.line(),
                      header[3]);

    BridgeModel staged = model;
    staged.memberCount = static_cast<int16_t>(header[0]);
    staged.jointCount = static_cast<int16_t>(header[1]);
    staged.elasticModulus = modulus;

    for (int j = 1; j <= staged.jointCount; ++j) {
        double f[6];  // number x y flag1 flag2 flag3
        if (!reader.read("dffddd", "joint lines", f, failure)) return failure;
        const float x = static_cast<float>(f[1]);
        const float y = static_cast<float>(f[2]);
        const double column = std::trunc(static_cast<double>(x)) + BOARD_ORIGIN_COLUMN;
        const double row = BOARD_ORIGIN_ROW - std::trunc(static_cast<double>(y));
        if (!std::isfinite(x) || !std::isfinite(y) || !fitsInt16(column) || !fitsInt16(row)) {
            return result(BridgeFileStatus::Malformed, "line %d: joint %d lies off the board", reader.line(),
                          j);
        }
        Joint& joint = staged.joints[j];
        joint.x = x;
        joint.y = y;
        joint.screenX = static_cast<int16_t>(column);
        joint.screenY = static_cast<int16_t>(row);
        joint.fileFlag1 = static_cast<uint8_t>(static_cast<long>(f[3]) & 0xFF);
        joint.fileFlag2 = static_cast<uint8_t>(static_cast<long>(f[4]) & 0xFF);
        joint.fileFlag3 = static_cast<uint8_t>(static_cast<long>(f[5]) & 0xFF);
    }
    for (int i = 1; i <= staged.memberCount; ++i) {
        double f[7];  // number start end 3 area size 29000
        if (!reader.read("ddddfdf", "member lines", f, failure)) return failure;
        if (f[1] < 1 || f[1] > staged.jointCount || f[2] < 1 || f[2] > staged.jointCount) {
            return result(BridgeFileStatus::Malformed,
                          "line %d: member %d joins joints %.0f and %.0f (the file has %d)", reader.line(), i,
                          f[1], f[2], staged.jointCount);
        }
        if (f[5] < 0 || f[5] > MEMBER_SIZE_COUNT) {
            return result(BridgeFileStatus::Malformed, "line %d: member %d has size %.0f (sizes are 0 to %d)",
                          reader.line(), i, f[5], MEMBER_SIZE_COUNT);
        }
        Member& m = staged.members[i];
        m.startJoint = static_cast<int16_t>(f[1]);
        m.endJoint = static_cast<int16_t>(f[2]);
        m.size = static_cast<int8_t>(f[5]);
    }

    clearResults(staged);
    staged.savedFlag = 1;
    updateGeometry(staged, memberSizes);
    model = staged;
    return result(BridgeFileStatus::Ok);
}

BridgeFileResult loadBridgeFile(const char* path, BridgeModel& model, const MemberSizeTable& memberSizes) {
    if (std::strlen(path) > FILE_PATH_CHARS)
        return result(BridgeFileStatus::CannotOpen, "the path is too long");
    std::string text;
    uint64_t fileBytes = 0;
    errno = 0;
    if (!readWholeFile(path, text, BRIDGE_FILE_MAX_BYTES, &fileBytes)) {
        return result(BridgeFileStatus::CannotOpen, "%s",
                      readRefusal(errno, fileBytes, BRIDGE_FILE_MAX_BYTES).c_str());
    }
    BridgeFileResult r = readBridgeText(text, model, memberSizes);
    if (r.ok()) {
        std::snprintf(model.filePath, sizeof model.filePath, "%s", path);
        bridgeNameFromPath(path, model.bridgeName);
    }
    return r;
}

bool saveBridgeFile(const char* path, BridgeModel& model) {
    if (std::strlen(path) > FILE_PATH_CHARS) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::string text;
    writeBridgeFile(model, text);
    if (!writeFileAtomically(path, text)) return false;
    if (model.filePath != path) std::snprintf(model.filePath, sizeof model.filePath, "%s", path);
    bridgeNameFromPath(path, model.bridgeName);
    model.savedFlag = 1;
    return true;
}
