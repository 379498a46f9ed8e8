// The widget that shows the window surface: a blitter that copies board pixels to the screen, each
// board pixel as a square of whole device pixels, and turns mouse input back into board pixels.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "platform/shell.h"

// Where the view sends the pointer and key messages it makes.
class PointerSink {
  public:
    virtual ~PointerSink() = default;
    virtual void pointerMessage(const WindowMessage& message) = 0;
};

// The number of device pixels across one board pixel for a screen of this device pixel ratio:
// the largest whole number the ratio allows, and at least 1 (1 at 1.0 and 1.5, 2 at 2.0 and 2.5).
int boardScaleFor(double devicePixelRatio);

class BoardView final : public QWidget {
  public:
    BoardView(const Surface& surface, PointerSink& sink, QWidget* parent);

    // Takes the surface's size and the screen's scale; called after either changes.
    void fitToSurface();

    // Device pixels per board pixel on the current screen: the screen's whole scale times the zoom.
    int scale() const;

    // Shows every board pixel zoom x zoom times larger than the screen's own scale does (1 to
    // MAX_BOARD_SCALE), and takes the size that needs.
    void setZoom(int zoom);
    int zoom() const { return zoom_; }

    // The board pixel under a position in the view's own (logical) coordinates. Positions outside
    // the view give board pixels outside the surface.
    Point boardPixelAt(QPointF position) const;

    // Repaints the given board pixels now, before returning.
    void repaintBoard(Rect area);

    // Called once, after the first paint that put the surface on the screen.
    void setFirstFrameObserver(std::function<void()> observer) { firstFrame_ = std::move(observer); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The board's keys (KeyName) become Key messages; Tab stays on the board.
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;

  private:
    // The window system's own position of the mouse event now being handled, as its window saw
    // it: Qt rounds what it passes on to widgets to whole logical pixels, which at a scale of 2
    // would put every other device pixel into the next board pixel.
    struct WindowPosition {
        quint64 timestamp = 0;
        QPointF position;  // logical pixels in the top-level window
        bool valid = false;
    };

    void sendPointer(MessageKind kind, QMouseEvent* event);
    // Logical pixels across one board pixel.
    double logicalPerBoardPixel() const;
    // Copies the board pixels of area into enlarged_ as s x s squares.
    void enlarge(QRect area, int s);

    const Surface& surface_;
    PointerSink& sink_;
    std::function<void()> firstFrame_;
    QImage enlarged_;  // the surface at s device pixels per board pixel, when s > 1
    QObject* watchedWindow_ = nullptr;
    int zoom_ = 1;
    WindowPosition windowPosition_;
};
