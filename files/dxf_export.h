// The DXF drawing of the truss: a fixed header, empty tables and blocks, and one LINE on layer "0"
// per member, from its start joint to its end joint, in whole inches with the left support at the
// origin. The drawing does not depend on anything but the joints and members.
#pragma once

#include <string>

#include "files/export_file.h"
#include "model/bridge_model.h"

// The whole file, LF line ends. Callers bring the geometry up to date first (updateGeometry), so
// every line runs left to right.
std::string dxfText(const BridgeModel& model);

// Make DXF: writes the drawing to chosenPath with its short extension replaced by ".DXF" ("x.BRG"
// gives "x.DXF", so the bridge file is never touched). On failure nothing is left under that name
// and the result carries "Error: Cannot write to file".
ExportResult exportDxf(const char* chosenPath, const BridgeModel& model);

// As exportDxf, but to exactly path.
ExportResult exportDxfTo(const char* path, const BridgeModel& model);
