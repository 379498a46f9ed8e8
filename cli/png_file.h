// Writes a surface as a PNG file through libpng.
#pragma once

#include "platform/raster/surface.h"

// RGB, 8 bits per channel. The file is written whole or not at all.
bool writePngFile(const char* path, const Surface& surface);
