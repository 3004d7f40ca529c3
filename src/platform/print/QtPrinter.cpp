#include "platform/print/QtPrinter.h"

#include "platform/err/AppError.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

namespace print {

QtPrinter::QtPrinter() = default;
QtPrinter::QtPrinter(const QString &pdfPath) : pdfPath_(pdfPath) {}

QtPrinter::~QtPrinter() {
    if (painter_.isActive())
        painter_.end();
}

QPrinter &QtPrinter::device() const {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!pdfPath_.isEmpty()) {
            printer_->setOutputFormat(QPrinter::PdfFormat);
            printer_->setOutputFileName(pdfPath_);
            printer_->setPageMargins(QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
        }
        applyLayout();
    }
    return *printer_;
}

void QtPrinter::applyLayout() const {
    if (!printer_ || painter_.isActive())
        return;
    printer_->setPageSize(QPageSize(paperSize_ == vbPRPSLetter ? QPageSize::Letter : QPageSize::A4));
    printer_->setPageOrientation(orientation_ == vbPRORLandscape ? QPageLayout::Landscape
                                                                 : QPageLayout::Portrait);
}

void QtPrinter::setPaperSize(int size) {
    Printer::setPaperSize(size);
    applyLayout();
}

void QtPrinter::setOrientation(int orientation) {
    Printer::setOrientation(orientation);
    applyLayout();
}

int QtPrinter::PhysicalOffsetX() const {
    QPrinter &p = device();
    return static_cast<int>(p.pageRect(QPrinter::DevicePixel).left() - p.paperRect(QPrinter::DevicePixel).left());
}
int QtPrinter::PhysicalOffsetY() const {
    QPrinter &p = device();
    return static_cast<int>(p.pageRect(QPrinter::DevicePixel).top() - p.paperRect(QPrinter::DevicePixel).top());
}
double QtPrinter::TwipsPerPixelX() const { return 1440.0 / device().resolution(); }
double QtPrinter::TwipsPerPixelY() const { return 1440.0 / device().resolution(); }
// One point is twenty twips.
double QtPrinter::Width() const { return device().paperRect(QPrinter::Point).width() * 20.0; }
double QtPrinter::Height() const { return device().paperRect(QPrinter::Point).height() * 20.0; }
double QtPrinter::ScaleWidth() const { return device().pageRect(QPrinter::Point).width() * 20.0; }
double QtPrinter::ScaleHeight() const { return device().pageRect(QPrinter::Point).height() * 20.0; }

QPainter &QtPrinter::painter() {
    if (!painter_.isActive()) {
        applyLayout();
        if (!painter_.begin(&device()))
            throw err::AppError(482, QStringLiteral("Printer"), QStringLiteral("Erro de impressora"));
    }
    return painter_;
}

void QtPrinter::drawText(double x, double y, const QString &text) {
    QPainter &p = painter();
    p.setFont(CurrentFontOf(*this));
    const double ascent = p.fontMetrics().ascent();
    p.setPen(QPen(Qt::black));
    p.drawText(QPointF(x / TwipsPerPixelX(), y / TwipsPerPixelY() + ascent), text);
}

void QtPrinter::drawLine(double x1, double y1, double x2, double y2) {
    QPainter &p = painter();
    p.setPen(QPen(Qt::black, DrawWidth()));
    p.drawLine(QPointF(x1 / TwipsPerPixelX(), y1 / TwipsPerPixelY()),
               QPointF(x2 / TwipsPerPixelX(), y2 / TwipsPerPixelY()));
}

void QtPrinter::NewPage() {
    painter();
    device().newPage();
    ++page_;
    setCurrentX(0);
    setCurrentY(0);
}

void QtPrinter::EndDoc() {
    if (painter_.isActive())
        painter_.end();
    resetDocument();
}

void QtPrinter::KillDoc() {
    if (painter_.isActive()) {
        device().abort();
        painter_.end();
    }
    resetDocument();
}

} // namespace print
