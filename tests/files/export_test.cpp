// The DXF and VRML exports: byte-exact against reference files worked out by hand, the pieces
// whose formats are easy to get subtly wrong, the panel points, and writing to disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "files/dxf_export.h"
#include "files/file_paths.h"
#include "files/panel_points.h"
#include "files/vrml_export.h"
#include "tests/files/export_bridges.h"
#include "tests/support/scratch_folder.h"

namespace {

std::string reference(const char* name) {
    std::string text;
    const std::string path = std::string(TRUSSMILL_SOURCE_DIR) + "/tests/files/reference/" + name;
    EXPECT_TRUE(readWholeFile(path.c_str(), text, 1 << 20)) << path;
    return text;
}

int occurrences(const std::string& text, const std::string& piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

TEST(Exports, MatchTheReferenceFiles) {
    // The empty bridge: complete files with nothing in the entities, bents or stringers.
    TestBridge empty;
    EXPECT_EQ(dxfText(empty.model), reference("empty.dxf"));
    EXPECT_EQ(vrmlText(empty.model), reference("empty.wrl"));

    // One member, turned round by the geometry update; no deck joint, so no panel points.
    const TestBridge single = singleMemberBridge();
    EXPECT_EQ(dxfText(single.model), reference("single_member.dxf"));
    EXPECT_EQ(vrmlText(single.model), reference("single_member.wrl"));

    // Chords, posts, hangers, a 21 ft and a 20 ft top, a joint 15 ft up without a floor beam.
    const TestBridge chords = chordBridge();
    EXPECT_EQ(dxfText(chords.model), reference("chords.dxf"));
    EXPECT_EQ(vrmlText(chords.model), reference("chords.wrl"));
}

TEST(Exports, MemberBlockFormats) {
    // Size 12, 20 ft long from (100, 0) at 0.5 rad: the translation, rotation, half length and
    // thickness as printed.
    TestBridge b;
    b.joint(100, 0);
    b.joint(117, 10);
    b.member(1, 2, 12);
    b.update();
    Member& m = b.model.members[1];
    m.length = 20.0;
    m.angle = 0.5;
    const std::string text = vrmlText(b.model);
    EXPECT_NE(text.find("#Member #   1 \nSeparator\n{Material{diffuseColor  1 .5 0\n"
                        "          emissiveColor 1 .5 0}\n"
                        "  Translation{translation  100.0000 0.0000  0 }\n"
                        "   Rotation{rotation 0 0 1  -1.0708  }\n"
                        "   Translation{translation 0  10.0000  0 }\n\n  Cube \n"
                        "    {width  1.5000 \n     height  20.0000 \n     depth  1.5000 }\n   }\n"),
              std::string::npos);

    // Member numbers: two columns up to 99, wider from 100 on (the writer does not mind repeats).
    TestBridge many;
    many.joint(0, 60);
    many.joint(30, 60);
    for (int k = 1; k <= 100; ++k) many.member(1, 2);
    many.update();
    const std::string manyText = vrmlText(many.model);
    EXPECT_EQ(occurrences(manyText, "#Member #   9 \n"), 2);
    EXPECT_EQ(occurrences(manyText, "#Member #  99 \n"), 2);
    EXPECT_EQ(occurrences(manyText, "#Member #  100 \n"), 2);

    // Coordinates in whole inches, truncated toward zero, even beyond what 16 bits hold.
    TestBridge far;
    far.joint(0, -5);
    far.joint(3000, 0);
    far.member(1, 2);
    far.update();
    EXPECT_NE(dxfText(far.model).find("10\n0\n20\n-60\n30\n0\n11\n36000\n21\n0\n31\n0\n"), std::string::npos);
}

TEST(Exports, PanelPoints) {
    // Thirty roadbed joints and both supports: 32 panel points in x order, 31 stringer panels.
    const TestBridge many = manyPanelsBridge();
    PanelPointList points;
    collectPanelPoints(many.model, points);
    ASSERT_EQ(points.count, 32);
    for (int i = 1; i < points.count; ++i) EXPECT_LT(points.entry[i].deckX, points.entry[i + 1].deckX);
    EXPECT_EQ(points.entry[32].deckX, 400.0f);
    EXPECT_EQ(occurrences(vrmlText(many.model), "# end of stringer transform separator"), 31);

    // Every joint slot on the deck line: the list takes them all.
    TestBridge full;
    for (int j = 1; j <= LAST_JOINT_SLOT; ++j) full.joint(400 - (j - 1) * 6, 0);
    full.member(1, 2);
    full.update();
    collectPanelPoints(full.model, points);
    ASSERT_EQ(points.count, LAST_JOINT_SLOT);
    EXPECT_EQ(points.entry[1].deckJoint, LAST_JOINT_SLOT);
    EXPECT_EQ(points.entry[LAST_JOINT_SLOT].deckJoint, 1);

    // No supports: the panels run between the deck joints there are, nothing else.
    TestBridge loose;
    loose.joint(250, 0);
    loose.joint(100, 0);
    loose.joint(100, 30);
    loose.members({{1, 2}, {2, 3}, {3, 1}});
    loose.update();
    const std::string looseText = vrmlText(loose.model);
    EXPECT_EQ(occurrences(looseText, "# end of stringer transform separator"), 1);
    EXPECT_NE(looseText.find(" Translation{translation  175.0000  0 0 }\n"), std::string::npos);
    EXPECT_NE(looseText.find("   height  150.0000 \n"), std::string::npos);
    EXPECT_EQ(occurrences(looseText, "Rotation{rotation 1 0 0 1.5707963 }"), 1);  // one sway strut

    // A post whose top joint was made before its deck joint is not that panel point's post.
    TestBridge early;
    early.joint(0, 0);
    early.joint(100, 30);
    early.joint(100, 0);
    early.joint(400, 0);
    early.members({{1, 3}, {3, 4}, {3, 2}, {1, 2}, {2, 4}});
    early.update();
    collectPanelPoints(early.model, points);
    ASSERT_EQ(points.count, 3);
    EXPECT_EQ(points.entry[2].topJoint, 3);
    EXPECT_EQ(points.entry[2].hasPost, 0);
    EXPECT_EQ(occurrences(vrmlText(early.model), "1.5707963 }"), 0);

    // Two joints at one spot on the deck make a panel of no length: still numbers, never nan.
    TestBridge twin;
    twin.joint(0, 0);
    twin.joint(100, 0);
    twin.joint(100, 0);
    twin.joint(100, 20);
    twin.joint(200, 20);
    twin.members({{1, 2}, {3, 4}, {4, 5}});
    twin.update();
    const std::string twinText = vrmlText(twin.model);
    EXPECT_EQ(twinText.find("nan"), std::string::npos);
    EXPECT_EQ(occurrences(twinText, "   height  0.0000 \n"), 11);
}

TEST(Exports, WriteFiles) {
    const std::string dir = scratchFolder("exports");
    const TestBridge chords = chordBridge();

    // The chosen name's short extension gives way to .DXF or .WRL; the bridge file is not touched.
    const std::string bridgePath = dir + "/CHORDS.BRG";
    ASSERT_TRUE(writeFileAtomically(bridgePath.c_str(), "bridge"));
    ExportResult r = exportDxf(bridgePath.c_str(), chords.model);
    EXPECT_TRUE(r.ok);
    EXPECT_STREQ(r.message, "");
    EXPECT_EQ(r.path, dir + "/CHORDS.DXF");
    std::string written;
    ASSERT_TRUE(readWholeFile(r.path.c_str(), written, 1 << 20));
    EXPECT_EQ(written, reference("chords.dxf"));
    r = exportVrml((dir + "/chords.v2").c_str(), chords.model);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.path, dir + "/chords.WRL");
    ASSERT_TRUE(readWholeFile(r.path.c_str(), written, 1 << 20));
    EXPECT_EQ(written, reference("chords.wrl"));
    ASSERT_TRUE(readWholeFile(bridgePath.c_str(), written, 1 << 20));
    EXPECT_EQ(written, "bridge");

    // The exact-path forms keep the name as given.
    r = exportVrmlTo((dir + "/scene.vrml").c_str(), chords.model);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.path, dir + "/scene.vrml");
    EXPECT_TRUE(exportDxfTo((dir + "/drawing").c_str(), chords.model).ok);
    EXPECT_TRUE(exists(dir + "/drawing"));

    // Failures carry the notice and leave nothing under the chosen name; an earlier file stays.
    r = exportDxf((dir + "/no/such/folder/x.BRG").c_str(), chords.model);
    EXPECT_FALSE(r.ok);
    EXPECT_STREQ(r.message, "Error: Cannot write to file");
    EXPECT_FALSE(exists(dir + "/no/such/folder/x.DXF"));
    ::mkdir((dir + "/FOLDER.WRL").c_str(), 0755);
    r = exportVrml((dir + "/FOLDER").c_str(), chords.model);
    EXPECT_FALSE(r.ok);
    EXPECT_STREQ(r.message, CANNOT_WRITE_MESSAGE);
    r = exportVrmlTo(nullptr, chords.model);
    EXPECT_FALSE(r.ok);
    const std::string tooLong = dir + "/" + std::string(FILE_PATH_CHARS, 'x');
    EXPECT_FALSE(exportDxf(tooLong.c_str(), chords.model).ok);
}

}  // namespace
