// A printer page surface, handed out by the print dialog (Shell::printDialog). Coordinates are
// logical units of 0.01 inch with x to the right and y upward, so everything below the top of the
// page has negative y; the window origin names the logical point that falls on the top-left corner
// of the printable area. Rectangles and ellipses are filled white, text is drawn black on white.
#pragma once

#include <string>
#include <string_view>

#include "platform/raster/surface.h"

class PrintSurface {
  public:
    // Ends an unfinished document and releases the printer. The report code destroys the surface
    // when it is done with it, whether or not it printed anything.
    virtual ~PrintSurface() = default;

    // Called once, before the first page, with the name the print queue shows. Returns false when
    // the printer refuses the job; the caller may go on drawing, which then prints nothing.
    virtual bool startDocument(std::string_view name) = 0;

    // After startDocument returned false: why, in words for the user ("the file /tmp/x.pdf cannot
    // be written: Permission denied"); empty when the printer gave no reason.
    virtual std::string refusal() const = 0;

    // Called before drawing on each page, and endPage after it. A new page starts with the window
    // origin at (0, 0), a black pen of width 0 and no font selected (drawing text then uses the
    // printer's default font).
    virtual void startPage() = 0;
    virtual void endPage() = 0;

    // Called once after the last endPage; the document goes to the printer.
    virtual void endDocument() = 0;

    // Selects a fixed-pitch font whose characters are heightUnits high (the report font is 16, i.e.
    // 0.16 inch). Returns false when no such font can be made; the caller then stops printing.
    // Called before startDocument, it only tells whether the font can be made, so that a report
    // without its font starts nothing.
    virtual bool selectFont(int heightUnits) = 0;

    // Sets the logical point that maps to the top-left corner of the printable area; kept until the
    // page ends or it is set again.
    virtual void setWindowOrigin(int x, int y) = 0;

    // Selects a solid pen; its width is in logical units, 0 meaning the thinnest line the printer
    // draws. Returns the pen it replaces.
    virtual Pen selectPen(Pen pen) = 0;

    // Lines with the pen, from the current position to (x, y), which becomes the current position.
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;

    // A rectangle or an ellipse inscribed in it, between two opposite corners given in either
    // order: outline with the pen, inside filled white.
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    virtual void ellipse(int left, int top, int right, int bottom) = 0;

    // Text in the selected font with the top-left corner of its first character cell at (x, y);
    // the cells extend downward (toward negative y), on a white background.
    virtual void textOut(int x, int y, std::string_view text) = 0;
};
