// Pixel tests of the raster on small surfaces: the thin-line rules, the 4 x 4 joint ring, sprite
// compositing, text cells, wide pens, and clipping at every edge.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/raster/surface.h"

namespace {

constexpr Color BG = rgb(10, 20, 30);  // a background no primitive draws by itself
constexpr Color RED = rgb(255, 0, 0);

// The surface as rows of characters: '#' black, '.' white, ' ' background, 'o' anything else.
std::vector<std::string> picture(const Surface& s) {
    std::vector<std::string> rows;
    for (int y = 0; y < s.height(); ++y) {
        std::string row;
        for (int x = 0; x < s.width(); ++x) {
            const Color c = s.pixel(x, y);
            row += c == BLACK ? '#' : c == WHITE ? '.' : c == BG ? ' ' : 'o';
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<Point> blackPixels(const Surface& s) {
    std::vector<Point> points;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            if (s.pixel(x, y) == BLACK) points.push_back({x, y});
        }
    }
    return points;
}

std::vector<Point> lineOnLargeSurface(Point from, Point to) {
    Surface s(40, 40, BG);
    s.moveTo(from.x, from.y);
    s.lineTo(to.x, to.y);
    return blackPixels(s);
}

bool samePixels(const Surface& a, const Surface& b, int offsetX, int offsetY) {
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x + offsetX, y + offsetY)) return false;
        }
    }
    return true;
}

}  // namespace

TEST(Raster, ThinLinesFollowTheDiamondRule) {
    // Horizontal, vertical and diagonal lines in every direction light their start and stop one
    // pixel before their end; a line to the current position draws nothing.
    const Point centre{20, 20};
    const Point directions[] = {{6, 0}, {-6, 0}, {0, 6}, {0, -6}, {6, 6}, {-6, 6}, {6, -6}, {-6, -6}};
    for (const Point d : directions) {
        const std::vector<Point> lit = lineOnLargeSurface(centre, {centre.x + d.x, centre.y + d.y});
        ASSERT_EQ(lit.size(), 6u) << "direction " << d.x << "," << d.y;
        const int sx = d.x > 0 ? 1 : d.x < 0 ? -1 : 0;
        const int sy = d.y > 0 ? 1 : d.y < 0 ? -1 : 0;
        for (int i = 0; i < 6; ++i) {
            const Point expected{centre.x + i * sx, centre.y + i * sy};
            EXPECT_NE(std::find(lit.begin(), lit.end(), expected), lit.end()) << "step " << i;
        }
    }
    EXPECT_TRUE(lineOnLargeSurface(centre, centre).empty());

    // A shallow line: one pixel per column, the nearest to the ideal line, the end point absent.
    Surface s(12, 5, BG);
    s.moveTo(0, 0);
    s.lineTo(11, 4);
    EXPECT_EQ(picture(s), (std::vector<std::string>{"##          ",  //
                                                    "  ###       ",  //
                                                    "     ##     ",  //
                                                    "       ###  ",  //
                                                    "          # "}));
    EXPECT_EQ(s.currentPosition(), (Point{11, 4}));

    // A line of slope 2/5 and its seven mirror images (steep ones included) light the mirrored
    // pixels: no step falls on a tie, so direction makes no difference.
    const std::vector<Point> base = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}};
    for (const int mx : {1, -1}) {
        for (const int my : {1, -1}) {
            for (const bool swap : {false, true}) {
                const auto map = [&](Point p) {
                    const Point q{p.x * mx, p.y * my};
                    return swap ? Point{centre.x + q.y, centre.y + q.x}
                                : Point{centre.x + q.x, centre.y + q.y};
                };
                std::vector<Point> lit = lineOnLargeSurface(map({0, 0}), map({5, 2}));
                std::vector<Point> expected;
                for (const Point p : base) expected.push_back(map(p));
                const auto order = [](Point a, Point b) { return a.y != b.y ? a.y < b.y : a.x < b.x; };
                std::sort(lit.begin(), lit.end(), order);
                std::sort(expected.begin(), expected.end(), order);
                EXPECT_EQ(lit, expected) << "mirror " << mx << "," << my << (swap ? " steep" : "");
            }
        }
    }

    // A tie between two pixels goes to the smaller coordinate, whichever way the line runs.
    EXPECT_EQ(lineOnLargeSurface({0, 0}, {2, 1}), (std::vector<Point>{{0, 0}, {1, 0}}));
    EXPECT_EQ(lineOnLargeSurface({2, 1}, {0, 0}), (std::vector<Point>{{1, 0}, {2, 1}}));
    EXPECT_EQ(lineOnLargeSurface({0, 0}, {1, 2}), (std::vector<Point>{{0, 0}, {0, 1}}));
    EXPECT_EQ(lineOnLargeSurface({0, 2}, {4, 1}), (std::vector<Point>{{2, 1}, {3, 1}, {0, 2}, {1, 2}}));
}

TEST(Raster, EllipseInABoxWithExclusiveEdges) {
    // The joint ring: the box (x-2, y-2, x+2, y+2) gives a 4 x 4 ring with a white inside.
    Surface s(8, 8, BG);
    s.ellipse(4 - 2, 4 - 2, 4 + 2, 4 + 2);
    EXPECT_EQ(picture(s), (std::vector<std::string>{"        ",  //
                                                    "        ",  //
                                                    "   ##   ",  //
                                                    "  #..#  ",  //
                                                    "  #..#  ",  //
                                                    "   ##   ",  //
                                                    "        ",  //
                                                    "        "}));

    // With the hollow brush and a red pen only the outline is drawn; reversed corners are the same box.
    Surface hollow(8, 8, BG);
    hollow.selectBrush(Brush::Hollow);
    hollow.selectPen({RED, 1});
    hollow.ellipse(6, 6, 2, 2);
    EXPECT_EQ(hollow.pixel(3, 2), RED);
    EXPECT_EQ(hollow.pixel(2, 3), RED);
    EXPECT_EQ(hollow.pixel(3, 3), BG);
    EXPECT_EQ(hollow.pixel(2, 2), BG);

    // Larger ellipses are symmetric, closed and stay inside their box.
    Surface big(16, 12, BG);
    big.ellipse(1, 1, 15, 10);
    const std::vector<std::string> rows = picture(big);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            const char c = rows[size_t(y)][size_t(x)];
            const bool inBox = x >= 1 && x < 15 && y >= 1 && y < 10;
            EXPECT_EQ(c, rows[size_t(y)][size_t(15 - x)]) << "left-right symmetry at " << x << "," << y;
            if (inBox) {
                EXPECT_EQ(c, rows[size_t(10 - y)][size_t(x)]) << "top-bottom symmetry at " << x << "," << y;
            } else {
                EXPECT_EQ(c, ' ') << x << "," << y;
            }
        }
    }
    EXPECT_EQ(rows[1].find('#'), 5u);        // top row: the flat top of the curve
    EXPECT_EQ(rows[5], " #............# ");  // middle row: outline at the box's left and right

    // An empty box draws nothing; a one-pixel-wide box draws a column.
    Surface thin(4, 6, BG);
    thin.ellipse(1, 1, 1, 5);
    EXPECT_TRUE(blackPixels(thin).empty());
    thin.ellipse(1, 1, 2, 5);
    EXPECT_EQ(blackPixels(thin), (std::vector<Point>{{1, 1}, {1, 2}, {1, 3}, {1, 4}}));
}

TEST(Raster, BlitsCopyAndComposeSprites) {
    // AND with the mask then XOR with the image: the sprite where the mask is black, the background
    // untouched where it is white.
    Surface background(6, 3, BG);
    background.setPixel(0, 0, RED);
    Surface mask(3, 2, WHITE);
    Surface image(3, 2, BLACK);
    mask.setPixel(1, 0, BLACK);
    mask.setPixel(2, 1, BLACK);
    image.setPixel(1, 0, RED);
    image.setPixel(2, 1, WHITE);
    Surface target = background;
    blit(target, 2, 1, 3, 2, mask, 0, 0, RasterOp::And);
    blit(target, 2, 1, 3, 2, image, 0, 0, RasterOp::Xor);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            Color expected = background.pixel(x, y);
            if (x == 3 && y == 1) expected = RED;
            if (x == 4 && y == 2) expected = WHITE;
            EXPECT_EQ(target.pixel(x, y), expected) << x << "," << y;
        }
    }

    // A copy clipped by both surfaces touches only pixels inside both.
    Surface source(4, 4, BG);
    source.fill(RED);
    Surface dest(5, 5, WHITE);
    blit(dest, 3, -1, 4, 4, source, 1, 0);  // 3 columns of source exist from column 1; 2 fit in dest
    int red = 0;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            if (dest.pixel(x, y) == RED) {
                ++red;
                EXPECT_TRUE(x >= 3 && y <= 2) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(red, 2 * 3);

    // A surface blitted onto itself, shifted down and right, moves its picture as a copy would.
    Surface self(6, 6, BG);
    for (int i = 0; i < 6; ++i) self.setPixel(i, i, BLACK);
    Surface expected = self;
    blit(expected, 1, 2, 5, 4, Surface(self), 0, 0);
    blit(self, 1, 2, 5, 4, self, 0, 0);
    EXPECT_TRUE(samePixels(self, expected, 0, 0));
}

TEST(Raster, TextFillsCharacterCells) {
    // Opaque text fills each 8 x 14 cell: ink in the text colour, the rest in the background colour.
    Surface s(30, 18, BG);
    s.setTextColor(RED);
    s.setBackgroundColor(WHITE);
    s.textOut(2, 3, "H-");
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 30; ++x) {
            const bool inCells = x >= 2 && x < 18 && y >= 3 && y < 17;
            if (inCells) {
                EXPECT_TRUE(s.pixel(x, y) == RED || s.pixel(x, y) == WHITE) << x << "," << y;
            } else {
                EXPECT_EQ(s.pixel(x, y), BG) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(s.pixel(2 + 1, 3 + 6), RED);    // the H's left stem
    EXPECT_EQ(s.pixel(2 + 3, 3 + 3), WHITE);  // inside the H, above the bar
    EXPECT_EQ(s.pixel(2, 3), WHITE);          // cell corners are blank in this font
    EXPECT_EQ(s.pixel(17, 16), WHITE);
    EXPECT_EQ(s.currentPosition(), (Point{0, 0}));

    // Transparent text draws only the ink; blanks draw nothing at all.
    Surface t(30, 18, BG);
    t.setTextMode(TextMode::Transparent);
    t.textOut(2, 3, "H ");
    EXPECT_EQ(t.pixel(2 + 1, 3 + 6), BLACK);
    EXPECT_EQ(t.pixel(2 + 3, 3 + 3), BG);
    for (int y = 0; y < 18; ++y) {
        for (int x = 10; x < 30; ++x) EXPECT_EQ(t.pixel(x, y), BG);
    }
}

TEST(Raster, WidePensCoverASquareAroundEachPixel) {
    // A 14-pixel pen on row 424 covers rows 417 to 430: the band of one text row at 417.
    Surface s(40, 440, BG);
    s.selectPen({WHITE, 14});
    s.moveTo(10, 424);
    s.lineTo(20, 424);
    for (int y = 410; y < 440; ++y) {
        EXPECT_EQ(s.pixel(15, y) == WHITE, y >= 417 && y <= 430) << y;
    }
    EXPECT_EQ(s.pixel(3, 424), WHITE);  // the squares reach half a pen width past each end
    EXPECT_EQ(s.pixel(26, 424), WHITE);
    EXPECT_EQ(s.pixel(27, 424), BG);
}

TEST(Raster, EveryPrimitiveClipsAtEveryEdge) {
    // Writes at the corners (0, 0) and (w-1, h-1) land; one step beyond is ignored.
    Surface s(5, 4, BG);
    s.setPixel(0, 0, RED);
    s.setPixel(4, 3, RED);
    s.setPixel(-1, 0, RED);
    s.setPixel(5, 3, RED);
    s.setPixel(0, -1, RED);
    s.setPixel(4, 4, RED);
    EXPECT_EQ(s.pixel(0, 0), RED);
    EXPECT_EQ(s.pixel(4, 3), RED);
    int reds = 0;
    for (Color c : s.pixels()) reds += c == RED;
    EXPECT_EQ(reds, 2);

    // Every primitive drawn across an edge of a small surface gives exactly the pixels the same
    // primitive gives on a large surface, cut to the small one. The small surface sits at (20, 20)
    // inside the large one; shapes cross all four edges.
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coordinate(-12, 24);
    const int W = 9, H = 7, OFFSET = 20;
    for (int trial = 0; trial < 400; ++trial) {
        const int x0 = coordinate(random), y0 = coordinate(random);
        const int x1 = coordinate(random), y1 = coordinate(random);
        Surface small(W, H, BG);
        Surface large(W + 2 * OFFSET, H + 2 * OFFSET, BG);
        const int kind = trial % 4;
        for (Surface* target : {&small, &large}) {
            const int o = target == &large ? OFFSET : 0;
            if (kind == 0) {
                target->moveTo(x0 + o, y0 + o);
                target->lineTo(x1 + o, y1 + o);
            } else if (kind == 1) {
                target->ellipse(x0 + o, y0 + o, x1 + o, y1 + o);
            } else if (kind == 2) {
                target->textOut(x0 + o, y0 + o, "Wg");
            } else {
                target->selectPen({RED, 3});
                target->moveTo(x0 + o, y0 + o);
                target->lineTo(x1 + o, y1 + o);
            }
        }
        ASSERT_TRUE(samePixels(small, large, OFFSET, OFFSET))
            << "kind " << kind << " from " << x0 << "," << y0 << " to " << x1 << "," << y1;
    }

    // Coordinates far outside the surface are safe and cheap.
    Surface far(4, 4, BG);
    far.ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
    far.moveTo(-2000000000, -2000000000);
    far.lineTo(2000000000, 2000000000);
    far.textOut(-2000000000, 0, "x");
    far.textOut(2000000000, 0, "x");
    blit(far, -2000000000, 0, 2000000000, 4, Surface(4, 4, RED), 2000000000, 0);
    EXPECT_EQ(far.pixel(0, 0), BLACK);  // the diagonal passes through the surface
    EXPECT_EQ(far.pixel(3, 3), BLACK);
}

TEST(Raster, DirtyRectangleCoversWhatWasDrawn) {
    // The window shows only what changed: the bounds of everything drawn since the last look.
    Surface s(50, 50, BG);
    s.takeDirtyRect();
    EXPECT_TRUE(s.takeDirtyRect().empty());
    s.moveTo(10, 10);
    s.lineTo(20, 15);  // its last pixel, (19, 14), is the one before the end
    s.setPixel(40, 3, RED);
    s.setPixel(60, 3, RED);  // off the surface: not drawn, not dirty
    EXPECT_EQ(s.takeDirtyRect(), (Rect{10, 3, 41, 15}));
    s.textOut(45, 45, "ab");
    EXPECT_EQ(s.takeDirtyRect(), (Rect{45, 45, 50, 50}));
}
