// Where a chart is drawn: the same calls write an SVG document or pixels on a raster surface.
// Coordinates are pixels, x to the right and y downward, in both. Text is sized for the raster's
// 8 x 14 font, so a layout made for one fits the other.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/raster/surface.h"

constexpr int CHART_CHAR_WIDTH = 8;    // pixels per character of chart text
constexpr int CHART_TEXT_HEIGHT = 14;  // pixels

enum class TextAnchor { Start, Middle, End };

struct ChartPoint {
    double x;
    double y;
};

// Each mark carries a role, which the SVG writes as the element's class so that a reader can find
// the axes, allowables and forces again; the raster ignores roles and groups.
class ChartCanvas {
  public:
    virtual ~ChartCanvas() = default;

    // Groups the marks that follow until endGroup; attributes are SVG attributes written as they
    // are (class="..." data-...="...").
    virtual void beginGroup(const std::string& attributes) = 0;
    virtual void endGroup() = 0;

    virtual void line(ChartPoint from, ChartPoint to, Color color, int width, bool dashed,
                      const char* role) = 0;
    virtual void polyline(const std::vector<ChartPoint>& points, Color color, int width,
                          const char* role) = 0;
    // A disc (filled) or a ring of the given radius around a point.
    virtual void dot(ChartPoint centre, double radius, Color color, bool filled, const char* role) = 0;
    // One line of text, vertically centred on y.
    virtual void text(ChartPoint at, std::string_view text, Color color, TextAnchor anchor,
                      const char* role) = 0;
};

// Collects an SVG 1.1 document of the given size on a white background.
class SvgCanvas final : public ChartCanvas {
  public:
    SvgCanvas(int width, int height);
    // Closes the document and returns it; the canvas takes no more marks afterwards.
    std::string finish();

    void beginGroup(const std::string& attributes) override;
    void endGroup() override;
    void line(ChartPoint from, ChartPoint to, Color color, int width, bool dashed, const char* role) override;
    void polyline(const std::vector<ChartPoint>& points, Color color, int width, const char* role) override;
    void dot(ChartPoint centre, double radius, Color color, bool filled, const char* role) override;
    void text(ChartPoint at, std::string_view text, Color color, TextAnchor anchor,
              const char* role) override;

  private:
    std::string out_;
};

// Draws into a surface with the raster's thin and wide pens and its 8 x 14 font. Dashes are drawn
// as short lines.
class RasterCanvas final : public ChartCanvas {
  public:
    explicit RasterCanvas(Surface& surface) : surface_(surface) {}

    void beginGroup(const std::string&) override {}
    void endGroup() override {}
    void line(ChartPoint from, ChartPoint to, Color color, int width, bool dashed, const char* role) override;
    void polyline(const std::vector<ChartPoint>& points, Color color, int width, const char* role) override;
    void dot(ChartPoint centre, double radius, Color color, bool filled, const char* role) override;
    void text(ChartPoint at, std::string_view text, Color color, TextAnchor anchor,
              const char* role) override;

  private:
    Surface& surface_;
};
