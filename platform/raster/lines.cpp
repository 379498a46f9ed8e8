// Lines drawn with the pen. A thin line follows the diamond rule of one-pixel display lines: one
// pixel per step along the longer axis, the pixel nearest the ideal line, a tie between two pixels
// going to the one with the smaller coordinate, the first pixel lit and the last one not. The
// pixels depend only on the two end points, so clipping never moves a pixel.
#include <algorithm>
#include <cstdlib>

#include "platform/raster/surface.h"

namespace {

// Coordinates are 32-bit, so a line may be 2^33 steps long and 2 i minor needs 68 bits.
__extension__ typedef __int128 Wide;

Wide floorDiv(Wide a, Wide b) {  // b > 0
    const Wide q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Offset along the shorter axis at step i of a line that moves `minor` over `length` steps: the
// integer nearest to i * minor / length, a tie going to the smaller one (the bottom and right
// corners of a pixel's diamond belong to it). That is ceil((2 i minor - length) / (2 length)).
int64_t minorOffsetAt(int64_t i, int64_t minor, int64_t length) {
    return int64_t(floorDiv(2 * Wide(i) * minor + length - 1, 2 * Wide(length)));
}

// The first i in [lo, hi) for which test(i) holds, or hi; test must be false up to some i and true
// from there on.
template <typename Test>
int64_t firstStepWhere(int64_t lo, int64_t hi, Test test) {
    while (lo < hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (test(mid)) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// The geometry of a line walked along its longer axis.
struct LineWalk {
    bool xMajor;
    int64_t length;  // steps along the major axis
    int64_t majorStart, minorStart;
    int64_t majorStep;   // +1 or -1
    int64_t minorDelta;  // total change along the minor axis, signed

    LineWalk(Point from, Point to) {
        const int64_t dx = int64_t(to.x) - from.x;
        const int64_t dy = int64_t(to.y) - from.y;
        xMajor = std::llabs(dx) >= std::llabs(dy);
        length = xMajor ? std::llabs(dx) : std::llabs(dy);
        majorStart = xMajor ? from.x : from.y;
        minorStart = xMajor ? from.y : from.x;
        majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
        minorDelta = xMajor ? dy : dx;
    }
    int64_t minorAt(int64_t i) const { return minorStart + minorOffsetAt(i, minorDelta, length); }
    Point pointAt(int64_t i) const {
        const int64_t major = majorStart + i * majorStep;
        const int64_t minor = minorAt(i);
        return xMajor ? Point{int(major), int(minor)} : Point{int(minor), int(major)};
    }
};

}  // namespace

void Surface::lineTo(int x, int y) {
    const Point from = position_;
    position_ = {x, y};
    if (pen_.width <= 1) {
        drawThinLine(from, position_, pen_.color);
    } else {
        widenLine(from, position_, pen_);
    }
}

void Surface::drawThinLine(Point from, Point to, Color color) {
    if (from == to) return;
    const LineWalk walk(from, to);
    const int64_t majorLimit = walk.xMajor ? width_ : height_;
    const int64_t minorLimit = walk.xMajor ? height_ : width_;

    // Clip once: the steps whose major coordinate lies on the surface...
    int64_t lo, hi;  // steps [lo, hi); the last pixel (step `length`) is never drawn
    if (walk.majorStep > 0) {
        lo = std::max<int64_t>(0, -walk.majorStart);
        hi = std::min<int64_t>(walk.length, majorLimit - walk.majorStart);
    } else {
        lo = std::max<int64_t>(0, walk.majorStart - (majorLimit - 1));
        hi = std::min<int64_t>(walk.length, walk.majorStart + 1);
    }
    if (lo >= hi) return;
    // ...and among them those whose minor coordinate does too; it moves monotonically.
    if (walk.minorDelta >= 0) {
        lo = firstStepWhere(lo, hi, [&](int64_t i) { return walk.minorAt(i) >= 0; });
        hi = firstStepWhere(lo, hi, [&](int64_t i) { return walk.minorAt(i) >= minorLimit; });
    } else {
        lo = firstStepWhere(lo, hi, [&](int64_t i) { return walk.minorAt(i) < minorLimit; });
        hi = firstStepWhere(lo, hi, [&](int64_t i) { return walk.minorAt(i) < 0; });
    }
    if (lo >= hi) return;

    // Walk with an error term: numerator = 2 i minorDelta + length - 1 split into quotient and a
    // remainder in [0, 2 length); each step adds 2 minorDelta, at most one carry either way.
    const int64_t denominator = 2 * walk.length;
    const Wide numerator = 2 * Wide(lo) * walk.minorDelta + walk.length - 1;
    const Wide quotient = floorDiv(numerator, denominator);
    int64_t minor = walk.minorStart + int64_t(quotient);
    int64_t remainder = int64_t(numerator - quotient * denominator);
    int64_t major = walk.majorStart + lo * walk.majorStep;
    for (int64_t i = lo; i < hi; ++i) {
        if (walk.xMajor) {
            *at(int(major), int(minor)) = color;
        } else {
            *at(int(minor), int(major)) = color;
        }
        major += walk.majorStep;
        remainder += 2 * walk.minorDelta;
        if (remainder >= denominator) {
            remainder -= denominator;
            ++minor;
        } else if (remainder < 0) {
            remainder += denominator;
            --minor;
        }
    }

    const Point first = walk.pointAt(lo);
    const Point last = walk.pointAt(hi - 1);
    markDirty({std::min(first.x, last.x), std::min(first.y, last.y), std::max(first.x, last.x) + 1,
               std::max(first.y, last.y) + 1});
}

void Surface::widenLine(Point from, Point to, Pen pen) {
    if (from == to) return;
    const LineWalk walk(from, to);
    const int half = pen.width / 2;
    // Only steps whose square can reach the surface along the major axis are walked, so a line of
    // any length costs no more than the surface is wide. A wide line covers its end point too.
    const int64_t margin = pen.width;
    const int64_t majorLimit = walk.xMajor ? width_ : height_;
    int64_t lo, hi;  // steps [lo, hi]
    if (walk.majorStep > 0) {
        lo = std::max<int64_t>(0, -walk.majorStart - margin);
        hi = std::min<int64_t>(walk.length, majorLimit + margin - walk.majorStart);
    } else {
        lo = std::max<int64_t>(0, walk.majorStart - (majorLimit + margin));
        hi = std::min<int64_t>(walk.length, walk.majorStart + margin);
    }
    for (int64_t i = lo; i <= hi; ++i) {
        const Point p = walk.pointAt(i);  // fillRect clips each square
        fillRect({p.x - half, p.y - half, p.x - half + pen.width, p.y - half + pen.width}, pen.color);
    }
}
