// Bridge files from anybody: a modulus beyond a float's range is refused when the file is read,
// not after the next save has written it as "inf"; and a word quoted in a reason shows control
// characters and bytes beyond ASCII as '?', so a terminal or a message box shows it as text.
#include <gtest/gtest.h>

#include <cstring>

#include "analysis/member_sizes.h"
#include "files/bridge_file.h"

namespace {

constexpr char kHead[] = "RADIV40 DATA FILE\n";

BridgeFileResult read(const std::string& text) {
    BridgeModel model;
    initBridgeModel(model);
    MemberSizeTable sizes;
    initMemberSizes(sizes);
    return readBridgeText(text, model, sizes);
}

TEST(HostileFiles, AModulusBeyondAFloatIsRefused) {
    EXPECT_TRUE(read(std::string(kHead) + "0 0 1 3.4e38 1 1\n").ok());
    for (const char* modulus : {"3.5e38", "-1e39", "1e300"}) {
        const BridgeFileResult r = read(std::string(kHead) + "0 0 1 " + modulus + " 1 1\n");
        EXPECT_EQ(r.status, BridgeFileStatus::Malformed) << modulus;
        EXPECT_NE(std::strstr(r.reason, "modulus"), nullptr) << r.reason;
    }
}

TEST(HostileFiles, QuotedWordsArePlainText) {
    const BridgeFileResult escape =
        read(std::string(kHead) + "1 2 1 29000 1 1\n1 \x1b]0;owned\x07 0 0 0 0\n");
    EXPECT_EQ(escape.status, BridgeFileStatus::Malformed);
    EXPECT_STREQ(escape.reason, "line 3: \"?]0;owned?\" in the joint lines is not a finite number");
    const BridgeFileResult utf8 = read(std::string(kHead) + "1 2 1 29000 1 1\n1 \xc3\xa9t\xc3\xa9 0 0 0 0\n");
    EXPECT_STREQ(utf8.reason, "line 3: \"??t??\" in the joint lines is not a finite number");
}

}  // namespace
