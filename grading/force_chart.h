// The chart of member forces along the truck's path: the truck's position (ft) along the bottom,
// the force (kips, tension up) upward, the allowable tension and compression as dashed lines, the
// controlling position ringed and failed members in red. One member gets a chart of its own;
// several get one small panel each, four to a row.
#pragma once

#include <string>

#include "grading/force_table.h"
#include "platform/raster/surface.h"

// An SVG document. Marks carry classes a reader can find them by: groups "member" (with
// data-member and data-failed), and "frame", "tick-x", "tick-x-label", "tick-y", "tick-y-label",
// "zero", "allowable-tension", "allowable-compression", "force", "force-point" and "controlling".
std::string forcesSvg(const ForceTable& table, const char* bridgeName);

// The same chart drawn with the raster, for PNG.
Surface forcesPicture(const ForceTable& table, const char* bridgeName);
