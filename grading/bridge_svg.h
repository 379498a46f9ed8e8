// A bridge drawn small for a page of results: an inline SVG element whose user units are feet
// on the board, y up, so that every line's ends are its joints' coordinates.
#pragma once

#include <string>

#include "model/bridge_model.h"

// Members as lines (class "member", data-member its number; failed ones also "failed", in red
// when showFailures), the 400 ft span between the two supports as a grey line under them, and
// the supports as triangles. The drawing is widthPx wide, its height in proportion; strokes keep
// their width in pixels at any scale. No namespace, prolog, ids or text: the element is for an HTML
// page, where many share the document.
std::string bridgeSvg(const BridgeModel& model, bool showFailures, int widthPx = 180);
