// Ellipses inscribed in a box whose right and bottom edges are exclusive. The outline is the union of
// one pixel per column (top and bottom) and one pixel per row (left and right), each the pixel
// nearest the ideal curve through the pixel centres, a tie going toward the centre; the inside is
// the run of pixels between the left and right outline pixels of each row. Only the top-left
// quarter is computed and the rest mirrored, so every ellipse is exactly symmetric.
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/raster/surface.h"

namespace {

// Half-widths are compared with integers after rounding; this keeps an exact tie from tipping
// either way on floating-point noise.
constexpr double TIE_SLACK = 1e-9;

struct EllipseBox {
    int64_t left, top, width, height;
    double centreX, centreY;  // pixel-centre coordinates
    double radiusX, radiusY;  // from the centre to the centre of the outermost pixel

    int64_t mirrorX(int64_t x) const { return 2 * left + width - 1 - x; }
    int64_t mirrorY(int64_t y) const { return 2 * top + height - 1 - y; }

    // Column of the left outline pixel in row y.
    int64_t leftOutlineAt(int64_t y) const {
        const int64_t upper = std::min(y, mirrorY(y));
        const double t = radiusY == 0 ? 0.0 : (double(upper) - centreY) / radiusY;
        const double halfWidth = radiusX * std::sqrt(std::max(0.0, 1.0 - t * t));
        return int64_t(std::ceil(centreX - halfWidth - 0.5 - TIE_SLACK));
    }
    // Row of the top outline pixel in column x.
    int64_t topOutlineAt(int64_t x) const {
        const int64_t leftHalf = std::min(x, mirrorX(x));
        const double t = radiusX == 0 ? 0.0 : (double(leftHalf) - centreX) / radiusX;
        const double halfHeight = radiusY * std::sqrt(std::max(0.0, 1.0 - t * t));
        return int64_t(std::ceil(centreY - halfHeight - 0.5 - TIE_SLACK));
    }
};

}  // namespace

void Surface::plotEllipseOutline(int x, int y, Color color) {
    if (pen_.width <= 1) {
        if (x >= 0 && x < width_ && y >= 0 && y < height_) *at(x, y) = color;
        return;
    }
    const int half = pen_.width / 2;
    fillRect({x - half, y - half, x - half + pen_.width, y - half + pen_.width}, color);
}

void Surface::ellipse(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    EllipseBox box;
    box.left = left;
    box.top = top;
    box.width = int64_t(right) - left;
    box.height = int64_t(bottom) - top;
    if (box.width == 0 || box.height == 0) return;
    box.radiusX = double(box.width - 1) / 2;
    box.radiusY = double(box.height - 1) / 2;
    box.centreX = double(left) + box.radiusX;
    box.centreY = double(top) + box.radiusY;

    // Clip once: only rows and columns of the box that lie on the surface are visited. A wide pen's
    // squares may reach a little beyond the box; they clip themselves.
    const int margin = pen_.width > 1 ? pen_.width : 0;
    const int64_t firstRow = std::max<int64_t>(top, -margin);
    const int64_t endRow = std::min<int64_t>(bottom, int64_t(height_) + margin);
    const int64_t firstColumn = std::max<int64_t>(left, -margin);
    const int64_t endColumn = std::min<int64_t>(right, int64_t(width_) + margin);
    if (firstRow >= endRow || firstColumn >= endColumn) return;

    if (brush_ == Brush::White) {
        for (int64_t y = std::max<int64_t>(firstRow, 0); y < std::min<int64_t>(endRow, height_); ++y) {
            const int64_t outline = box.leftOutlineAt(y);
            const int64_t from = std::max<int64_t>(outline + 1, 0);
            const int64_t to = std::min<int64_t>(box.mirrorX(outline), width_);  // exclusive
            if (from < to) std::fill_n(at(int(from), int(y)), to - from, WHITE);
        }
    }

    const Color color = pen_.color;
    for (int64_t y = firstRow; y < endRow; ++y) {
        const int64_t outline = box.leftOutlineAt(y);
        plotEllipseOutline(int(outline), int(y), color);
        plotEllipseOutline(int(box.mirrorX(outline)), int(y), color);
    }
    for (int64_t x = firstColumn; x < endColumn; ++x) {
        const int64_t outline = box.topOutlineAt(x);
        plotEllipseOutline(int(x), int(outline), color);
        plotEllipseOutline(int(x), int(box.mirrorY(outline)), color);
    }

    markDirty(intersection({left, top, right, bottom}, bounds()));
}
