// The VRML 1.0 scene of the bridge, in feet: the truss twice, as planes at z = 0 and z = 50,
// joined by a concrete deck slab, floor beams, stringers and red bracing, all built from boxes.
#pragma once

#include <string>

#include "files/export_file.h"
#include "model/bridge_model.h"

// The whole file, LF line ends. Callers run updateGeometry first: the scene is built from the
// member order, lengths and angles it leaves, and the joint kinds it sets are the ones the scene
// takes the deck line by, so the model is only read.
std::string vrmlText(const BridgeModel& model);

// Make VRML: writes the scene to chosenPath with its short extension replaced by ".WRL". On
// failure nothing is left under that name and the result carries "Error: Cannot write to file".
ExportResult exportVrml(const char* chosenPath, const BridgeModel& model);

// As exportVrml, but to exactly path.
ExportResult exportVrmlTo(const char* path, const BridgeModel& model);
