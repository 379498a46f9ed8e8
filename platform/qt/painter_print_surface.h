// The report surface of the desktop program: a PrintSurface that draws with QPainter on a printer
// chosen in the print dialog, which may be Qt's PDF printer, or on a PDF file made in memory.
// Text is upright and selectable, in DejaVu Sans Mono (or another fixed-pitch face where that is
// missing), embedded in PDF output.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/print_surface.h"

class QPrinter;

// Takes over a printer that the print dialog has set up; the document starts on startDocument.
std::unique_ptr<PrintSurface> makePrinterSurface(std::unique_ptr<QPrinter> printer);

// Runs draw on a PDF printer of US Letter paper with a printable area 0.25 inch inside the edges,
// and returns the finished file's bytes: empty when draw started no document. Works without a
// display: when the program has no Qt application yet, one on the offscreen platform lives for the
// duration of the call. Writing the bytes to disk is the caller's business.
std::string printToPdf(const std::function<void(PrintSurface&)>& draw);
