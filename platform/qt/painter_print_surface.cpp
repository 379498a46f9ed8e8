// PrintSurface on QPainter. Logical units (0.01 inch, y up) are mapped to device pixels (y down)
// by hand rather than by a flipping world transform, so that glyphs stay upright and text stays
// text in PDF output.
#include "platform/qt/painter_print_surface.h"

#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace {

// Logical units per inch (MM_LOENGLISH).
constexpr double UNITS_PER_INCH = 100.0;
// The report face; fontconfig offers another fixed-pitch face when it is missing.
const char REPORT_FACE[] = "DejaVu Sans Mono";
// PDF files: the printable area a typical printer leaves, so the page looks as if printed.
constexpr double PDF_MARGIN_INCH = 0.25;

// While a program without a display borrows an offscreen application, Qt's notes about the
// desktop environment it lacks (no runtime folder, no session) are noise; only its critical and
// fatal messages are passed on.
void criticalMessagesOnly(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

QColor toQColor(Color color) {
    return QColor::fromRgb(static_cast<QRgb>(color));
}

using NameDocument = void (*)(QPagedPaintDevice& device, const QString& name);
// Why a device refused to start a document, in words for the user.
using ExplainRefusal = std::string (*)(QPagedPaintDevice& device);

// A printer refuses a job when it cannot write its file (print to file) or its queue will not take it.
std::string printerRefusal(QPagedPaintDevice& device) {
    const auto& printer = static_cast<QPrinter&>(device);
    const QString file = printer.outputFileName();
    if (file.isEmpty()) {
        const std::string name = printer.printerName().toStdString();
        return name.empty() ? std::string("the printer did not take the job")
                            : "the printer " + name + " did not take the job";
    }
    const QByteArray path = QFile::encodeName(file);
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    errno = 0;
    const bool exists = ::access(path.constData(), F_OK) == 0;
    const bool writable = ::access(exists ? path.constData() : folder.constData(), W_OK) == 0;
    std::string reason = "the file " + path.toStdString() + " cannot be written";
    if (!writable && errno != 0) reason += std::string(": ") + std::strerror(errno);
    return reason;
}

class PainterPrintSurface final : public PrintSurface {
  public:
    PainterPrintSurface(std::unique_ptr<QPagedPaintDevice> device, NameDocument nameDocument,
                        ExplainRefusal explainRefusal)
        : device_(std::move(device)), nameDocument_(nameDocument), explainRefusal_(explainRefusal) {
        scaleX_ = device_->logicalDpiX() / UNITS_PER_INCH;
        scaleY_ = device_->logicalDpiY() / UNITS_PER_INCH;
    }

    ~PainterPrintSurface() override {
        if (painter_.isActive()) painter_.end();
    }

    bool startDocument(std::string_view name) override {
        nameDocument_(*device_, QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        pagesStarted_ = 0;
        if (painter_.begin(device_.get())) return true;
        refusal_ = explainRefusal_(*device_);
        return false;
    }

    std::string refusal() const override { return refusal_; }

    // QPainter::begin opened the first page; every later one is asked for.
    void startPage() override {
        if (!painter_.isActive()) return;
        if (pagesStarted_ > 0) device_->newPage();
        ++pagesStarted_;
        origin_ = {};
        position_ = {};
        pen_ = Pen{BLACK, 0};
        painter_.setFont(QFont());
    }

    void endPage() override {}

    void endDocument() override {
        if (painter_.isActive()) painter_.end();
    }

    // The cell (ascent plus descent) is made heightUnits high; the face's own proportions decide
    // the advance. Before the document starts this only tells whether the font can be made.
    bool selectFont(int heightUnits) override {
        QFont font(QString::fromLatin1(REPORT_FACE));
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        font.setKerning(false);
        const double cellPixels = heightUnits * scaleY_;
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(cellPixels))));
        const double measured = QFontMetricsF(font).height();
        if (measured <= 0.0) return false;
        font.setPixelSize(
            std::max(1, static_cast<int>(std::lround(cellPixels * font.pixelSize() / measured))));
        if (!QFontInfo(font).fixedPitch()) return false;
        if (painter_.isActive()) painter_.setFont(font);
        return true;
    }

    void setWindowOrigin(int x, int y) override { origin_ = {x, y}; }

    Pen selectPen(Pen pen) override { return std::exchange(pen_, pen); }

    void moveTo(int x, int y) override { position_ = {x, y}; }

    void lineTo(int x, int y) override {
        const Point from = std::exchange(position_, Point{x, y});
        if (!painter_.isActive()) return;
        painter_.setPen(linePen());
        painter_.drawLine(toDevice(from.x, from.y), toDevice(x, y));
    }

    void rectangle(int left, int top, int right, int bottom) override {
        if (!painter_.isActive()) return;
        painter_.setPen(linePen());
        painter_.setBrush(Qt::white);
        painter_.drawRect(box(left, top, right, bottom));
    }

    void ellipse(int left, int top, int right, int bottom) override {
        if (!painter_.isActive()) return;
        painter_.setPen(linePen());
        painter_.setBrush(Qt::white);
        painter_.drawEllipse(box(left, top, right, bottom));
    }

    void textOut(int x, int y, std::string_view text) override {
        if (!painter_.isActive() || text.empty()) return;
        const QString s = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        const QFontMetricsF metrics(painter_.font(), device_.get());
        const QPointF corner = toDevice(x, y);
        painter_.fillRect(QRectF(corner, QSizeF(metrics.horizontalAdvance(s), metrics.height())), Qt::white);
        painter_.setPen(QPen(Qt::black));
        painter_.drawText(QPointF(corner.x(), corner.y() + metrics.ascent()), s);
    }

  private:
    QPointF toDevice(int x, int y) const { return {(x - origin_.x) * scaleX_, (origin_.y - y) * scaleY_}; }

    QRectF box(int left, int top, int right, int bottom) const {
        return QRectF(toDevice(left, top), toDevice(right, bottom)).normalized();
    }

    // Width 0 is the thinnest line the device draws.
    QPen linePen() const {
        QPen pen(toQColor(pen_.color), pen_.width * scaleX_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        if (pen_.width == 0) pen.setCosmetic(true);
        return pen;
    }

    std::unique_ptr<QPagedPaintDevice> device_;
    NameDocument nameDocument_;
    ExplainRefusal explainRefusal_;
    std::string refusal_;
    QPainter painter_;
    double scaleX_ = 1.0;  // device pixels per logical unit
    double scaleY_ = 1.0;
    int pagesStarted_ = 0;
    Point origin_{};
    Point position_{};
    Pen pen_{BLACK, 0};
};

}  // namespace

std::unique_ptr<PrintSurface> makePrinterSurface(std::unique_ptr<QPrinter> printer) {
    return std::make_unique<PainterPrintSurface>(
        std::move(printer),
        [](QPagedPaintDevice& device, const QString& name) {
            static_cast<QPrinter&>(device).setDocName(name);
        },
        printerRefusal);
}

std::string printToPdf(const std::function<void(PrintSurface&)>& draw) {
    // A command-line program has no Qt application; fonts need one, and no display is wanted.
    char programName[] = "trussmill";
    char platformOption[] = "-platform";
    char platformName[] = "offscreen";
    char* arguments[] = {programName, platformOption, platformName, nullptr};
    int argumentCount = 3;
    std::optional<QGuiApplication> application;
    QtMessageHandler previousHandler = nullptr;
    if (!QCoreApplication::instance()) {
        previousHandler = qInstallMessageHandler(criticalMessagesOnly);
        application.emplace(argumentCount, arguments);
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        auto writer = std::make_unique<QPdfWriter>(&buffer);
        writer->setCreator(QStringLiteral("Trussmill"));
        writer->setPageLayout(
            QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                        QMarginsF(PDF_MARGIN_INCH, PDF_MARGIN_INCH, PDF_MARGIN_INCH, PDF_MARGIN_INCH),
                        QPageLayout::Inch));
        PainterPrintSurface surface(
            std::move(writer),
            [](QPagedPaintDevice& device, const QString& name) {
                static_cast<QPdfWriter&>(device).setTitle(name);
            },
            [](QPagedPaintDevice&) { return std::string("the document could not be started"); });
        draw(surface);
    }
    buffer.close();
    if (application) {
        application.reset();
        qInstallMessageHandler(previousHandler);
    }
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
