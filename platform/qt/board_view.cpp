// The board view. When the device pixel ratio is a whole number (the program asks Qt to round the
// screen's scale down to one) a board pixel is one logical pixel and Qt's nearest-neighbour scaling
// does the rest; any other ratio is drawn in device pixels, scale x scale per board pixel.
#include "platform/qt/board_view.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// A ratio within this of a whole number counts as that number (ratios come from divisions).
constexpr double RATIO_SLACK = 1e-6;

bool wholeRatio(double ratio) {
    return std::abs(ratio - std::round(ratio)) < RATIO_SLACK;
}

}  // namespace

int boardScaleFor(double devicePixelRatio) {
    return std::max(1, int(std::floor(devicePixelRatio + RATIO_SLACK)));
}

BoardView::BoardView(const Surface& surface, PointerSink& sink, QWidget* parent)
    : QWidget(parent), surface_(surface), sink_(sink) {
    setMouseTracking(true);                 // pointer moves without a button held
    setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel comes from the surface
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    fitToSurface();
}

int BoardView::scale() const {
    return boardScaleFor(devicePixelRatioF()) * zoom_;
}

void BoardView::setZoom(int zoom) {
    zoom_ = std::clamp(zoom, 1, MAX_BOARD_SCALE);
    fitToSurface();
}

double BoardView::logicalPerBoardPixel() const {
    return scale() / devicePixelRatioF();
}

void BoardView::fitToSurface() {
    const double ratio = devicePixelRatioF();
    const int s = scale();
    // Logical size that holds width * scale device pixels; exact for whole ratios.
    const int width = int(std::ceil(surface_.width() * s / ratio - RATIO_SLACK));
    const int height = int(std::ceil(surface_.height() * s / ratio - RATIO_SLACK));
    setFixedSize(width, height);
    update();
}

Point BoardView::boardPixelAt(QPointF position) const {
    const double perBoardPixel = logicalPerBoardPixel();
    return {int(std::floor(position.x() / perBoardPixel + RATIO_SLACK)),
            int(std::floor(position.y() / perBoardPixel + RATIO_SLACK))};
}

void BoardView::repaintBoard(Rect area) {
    const Rect shown = intersection(area, surface_.bounds());
    if (shown.empty()) return;
    if (wholeRatio(devicePixelRatioF())) {
        // With a whole ratio a board pixel is a whole number of logical pixels.
        const int z = int(std::lround(logicalPerBoardPixel()));
        repaint(shown.left * z, shown.top * z, shown.width() * z, shown.height() * z);
    } else {
        repaint();
    }
}

void BoardView::paintEvent(QPaintEvent* event) {
    // Shares the surface's pixels: 0xFFRRGGBB words are what Format_RGB32 holds.
    const QImage image(reinterpret_cast<const uchar*>(surface_.pixels().data()), surface_.width(),
                       surface_.height(), surface_.width() * 4, QImage::Format_RGB32);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const double ratio = devicePixelRatioF();
    if (wholeRatio(ratio) && scale() == 1) {
        const QRect area = event->rect().intersected(image.rect());
        painter.drawImage(area, image, area);
    } else if (wholeRatio(ratio)) {
        // Qt's own scaling of an image is slow; whole squares are quick to make here, and the
        // squares then go to the screen one to one. z logical pixels make a board pixel.
        const int s = scale();
        const int z = int(std::lround(logicalPerBoardPixel()));
        const QRect asked = event->rect();
        const QRect area =
            QRect(QPoint(asked.left() / z, asked.top() / z), QPoint(asked.right() / z, asked.bottom() / z))
                .intersected(image.rect());
        enlarge(area, s);
        painter.drawImage(QRectF(area.x() * z, area.y() * z, area.width() * z, area.height() * z), enlarged_,
                          QRectF(area.x() * s, area.y() * s, area.width() * s, area.height() * s));
    } else {
        painter.fillRect(rect(), Qt::white);
        painter.scale(1.0 / ratio, 1.0 / ratio);
        const int s = scale();
        painter.drawImage(QRect(0, 0, surface_.width() * s, surface_.height() * s), image);
    }
    painter.end();
    if (firstFrame_) std::exchange(firstFrame_, nullptr)();
}

void BoardView::enlarge(QRect area, int s) {
    const QSize size(surface_.width() * s, surface_.height() * s);
    if (enlarged_.size() != size) {
        enlarged_ = QImage(size, QImage::Format_RGB32);
    }
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const Color* from = surface_.row(y) + area.left();
        auto* to = reinterpret_cast<Color*>(enlarged_.scanLine(y * s)) + area.left() * s;
        if (s == 2) {  // the common case, two pixels in one store
            for (int x = 0; x < area.width(); ++x) {
                const uint64_t pair = uint64_t(from[x]) * 0x0000000100000001ull;
                std::memcpy(to + 2 * x, &pair, sizeof pair);
            }
        } else {
            for (int x = 0; x < area.width(); ++x) {
                for (int k = 0; k < s; ++k) *to++ = from[x];
            }
        }
        const size_t rowBytes = size_t(area.width()) * size_t(s) * sizeof(Color);
        const uchar* first = enlarged_.constScanLine(y * s) + size_t(area.left()) * size_t(s) * sizeof(Color);
        for (int k = 1; k < s; ++k) {
            std::memcpy(enlarged_.scanLine(y * s + k) + size_t(area.left()) * size_t(s) * sizeof(Color),
                        first, rowBytes);
        }
    }
}

void BoardView::showEvent(QShowEvent* event) {
    QObject* window = this->window()->windowHandle();
    if (window != watchedWindow_) {
        if (watchedWindow_) watchedWindow_->removeEventFilter(this);
        if (window) window->installEventFilter(this);
        watchedWindow_ = window;
    }
    QWidget::showEvent(event);
}

bool BoardView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            windowPosition_ = {mouse->timestamp(), mouse->position(), true};
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void BoardView::sendPointer(MessageKind kind, QMouseEvent* event) {
    QPointF position = event->position();
    if (windowPosition_.valid && windowPosition_.timestamp == event->timestamp()) {
        const QPointF exact = windowPosition_.position - QPointF(mapTo(window(), QPoint(0, 0)));
        // The same event, unless Qt made this one up from elsewhere.
        if (std::abs(exact.x() - position.x()) <= 1 && std::abs(exact.y() - position.y()) <= 1) {
            position = exact;
        }
    }
    WindowMessage message;
    message.kind = kind;
    message.pointer = boardPixelAt(position);
    message.leftButtonDown = (event->buttons() & Qt::LeftButton) != 0;
    sink_.pointerMessage(message);
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
    sendPointer(MessageKind::PointerMove, event);
}

void BoardView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) sendPointer(MessageKind::LeftButtonDown, event);
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) sendPointer(MessageKind::LeftButtonUp, event);
}

void BoardView::keyPressEvent(QKeyEvent* event) {
    KeyName key = KeyName::None;
    switch (event->key()) {
        case Qt::Key_Left:
            key = KeyName::Left;
            break;
        case Qt::Key_Right:
            key = KeyName::Right;
            break;
        case Qt::Key_Up:
            key = KeyName::Up;
            break;
        case Qt::Key_Down:
            key = KeyName::Down;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = KeyName::Enter;
            break;
        case Qt::Key_Escape:
            key = KeyName::Escape;
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            key = KeyName::Tab;
            break;
        default:
            break;
    }
    // Keys with Ctrl or Alt belong to the menus.
    if (key == KeyName::None || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QWidget::keyPressEvent(event);
        return;
    }
    WindowMessage message;
    message.kind = MessageKind::Key;
    message.key = key;
    message.shift = (event->modifiers() & Qt::ShiftModifier) != 0 || event->key() == Qt::Key_Backtab;
    sink_.pointerMessage(message);
}

bool BoardView::focusNextPrevChild(bool) {
    return false;
}

bool BoardView::event(QEvent* event) {
    // A move to a screen of another scale changes the device pixels per board pixel.
    if (event->type() == QEvent::ScreenChangeInternal) fitToSurface();
    return QWidget::event(event);
}
