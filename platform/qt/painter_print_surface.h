// The report surface of the desktop program: a PrintSurface that draws with QPainter on a printer
// chosen in the print dialog, which may be Qt's PDF printer.
#pragma once

#include <memory>

#include "platform/print_surface.h"

class QPrinter;

// Takes over a printer that the print dialog has set up; the document starts on startDocument.
std::unique_ptr<PrintSurface> makePrinterSurface(std::unique_ptr<QPrinter> printer);
