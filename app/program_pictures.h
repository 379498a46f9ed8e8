// The four pictures of the board, decoded from the resources built into the program.
#pragma once

#include "display/drawing_resources.h"

// Decodes the site, the truck and its mask and the title picture. Returns false, naming the
// picture in `failed`, when one is missing or cannot be decoded.
bool loadProgramPictures(Pictures& pictures, const char** failed);
