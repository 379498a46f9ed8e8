// Copied designs: renumbered, mirrored and slightly edited copies of the sample bridges are found,
// different designs are not, and the indexed search finds exactly the pairs a one-by-one
// comparison of every pair finds.
#include "grading/similarity.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/bridge_edits.h"

namespace {

std::optional<Likeness> compare(const TestBridge& x, const TestBridge& y) {
    return likenessOf(designOf(x.model), designOf(y.model));
}

// The Pratt truss made lopsided, so that its mirror image is another drawing.
TestBridge lopsided() {
    return resized(moved(sample("PRATT.BRG"), 12, 0, 6), 1, 7);
}

TEST(Similarity, CopiesAreTheSameDesign) {
    std::mt19937 rng(7);
    const TestBridge original = lopsided();
    ASSERT_NE(designOf(original.model).members[0], designOf(mirrored(original).model).members[0]);

    // Renumbered joints and members with swapped ends, mirrored, and both: the same design.
    EXPECT_EQ(compare(original, renumbered(original, rng)), Likeness::Same);
    EXPECT_EQ(compare(original, mirrored(original)), Likeness::Same);
    EXPECT_EQ(compare(mirrored(renumbered(original, rng)), original), Likeness::Same);

    // Fractions of a foot in the file are not part of the design: the program works in whole feet.
    TestBridge fraction = original;
    fraction.model.joints[12].x += 0.4f;
    EXPECT_EQ(compare(original, fraction), Likeness::Same);

    // Sizes count: one resized member makes a near design, not the same one.
    EXPECT_EQ(compare(original, resized(original, 5, 6)), Likeness::Near);
}

TEST(Similarity, SmallEditsAreNear) {
    const TestBridge pratt = sample("PRATT.BRG");
    std::mt19937 rng(11);

    // Up to two joints moved by up to 10 ft (straight-line) each, the copy renumbered or mirrored.
    EXPECT_EQ(compare(pratt, moved(pratt, 12, 6, 8)), Likeness::Near);
    EXPECT_EQ(compare(pratt, renumbered(moved(moved(pratt, 12, 0, 10), 14, -3, 4), rng)), Likeness::Near);
    EXPECT_EQ(compare(lopsided(), mirrored(moved(lopsided(), 10, 2, 2))), Likeness::Near);
    // Too far, or too many joints.
    EXPECT_EQ(compare(pratt, moved(pratt, 12, 7, 8)), std::nullopt);
    EXPECT_EQ(compare(pratt, moved(moved(moved(pratt, 11, 0, 1), 12, 0, 1), 13, 0, 1)), std::nullopt);

    // Up to two members added, removed or resized.
    EXPECT_EQ(compare(pratt, withoutMember(pratt, 20)), Likeness::Near);
    EXPECT_EQ(compare(pratt, resized(withoutMember(pratt, 20), 3, 9)), Likeness::Near);
    TestBridge added = pratt;
    added.member(2, 11);
    added.member(3, 12);
    added.update();
    EXPECT_EQ(compare(renumbered(added, rng), pratt), Likeness::Near);
    EXPECT_EQ(compare(pratt, resized(resized(resized(pratt, 1, 5), 2, 5), 3, 5)), std::nullopt);
    EXPECT_EQ(compare(pratt, withoutMember(withoutMember(withoutMember(pratt, 29), 28), 27)), std::nullopt);
}

TEST(Similarity, DifferentDesignsAreNotFound) {
    const TestBridge pratt = sample("PRATT.BRG"), howe = sample("HOWE.BRG");
    const TestBridge warren = sample("WARREN.BRG"), deck = sample("DECK.BRG");
    // Pratt and Howe: the same joints and member count, the diagonals the other way.
    ASSERT_EQ(pratt.model.memberCount, howe.model.memberCount);
    ASSERT_EQ(pratt.model.memberCount, deck.model.memberCount);
    EXPECT_EQ(compare(pratt, howe), std::nullopt);
    EXPECT_EQ(compare(pratt, deck), std::nullopt);
    EXPECT_EQ(compare(howe, warren), std::nullopt);
    const std::vector<Design> designs = {designOf(pratt.model), designOf(howe.model), designOf(warren.model),
                                         designOf(deck.model)};
    EXPECT_TRUE(findSimilarDesigns(designs).empty());

    // Bridges without members are nobody's copy, not even of each other.
    const TestBridge empty;
    EXPECT_TRUE(findSimilarDesigns({designOf(empty.model), designOf(empty.model)}).empty());
}

TEST(Similarity, IndexedSearchFindsWhatComparingEveryPairFinds) {
    // A class built from the samples: copies, copies of copies and edits of every kind, so that
    // most pairs share most of their parts and many are one or two edits apart.
    std::mt19937 rng(2024);
    std::vector<TestBridge> bridges;
    for (const char* name : {"PRATT.BRG", "HOWE.BRG", "WARREN.BRG", "DECK.BRG"})
        bridges.push_back(sample(name));
    for (int n = 0; n < 120; ++n) {
        bridges.push_back(randomlyEdited(bridges[rng() % bridges.size()], rng, 6, 20));
    }
    std::vector<Design> designs;
    for (const TestBridge& b : bridges) designs.push_back(designOf(b.model));

    std::vector<SimilarPair> expected;
    for (int i = 0; i < int(designs.size()); ++i) {
        for (int j = i + 1; j < int(designs.size()); ++j) {
            if (const auto likeness = likenessOf(designs[i], designs[j]))
                expected.push_back({i, j, *likeness});
        }
    }
    const std::vector<SimilarPair> found = findSimilarDesigns(designs);
    ASSERT_EQ(found.size(), expected.size());
    int same = 0, near = 0;
    for (size_t k = 0; k < found.size(); ++k) {
        EXPECT_EQ(found[k].first, expected[k].first);
        EXPECT_EQ(found[k].second, expected[k].second);
        EXPECT_EQ(found[k].likeness, expected[k].likeness);
        (found[k].likeness == Likeness::Same ? same : near) += 1;
    }
    // The class really holds both kinds, in numbers.
    EXPECT_GT(same, 50) << near;
    EXPECT_GT(near, 200) << same;
}

}  // namespace
