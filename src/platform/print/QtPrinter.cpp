#include "platform/print/QtPrinter.h"

#include "platform/err/AppError.h"

#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace print {
namespace {
[[noreturn]] void erroDeImpressora() {
    throw err::AppError(482, QStringLiteral("Printer"), QStringLiteral("Erro de impressora"));
}

ConsultaDeFilas &consultaDeFilas() {
    static ConsultaDeFilas c;
    return c;
}

FilasDeImpressao filasDoSistema() {
    return {QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName()};
}
} // namespace

ConsultaDeFilas TrocarConsultaDeFilas(ConsultaDeFilas consulta) {
    ConsultaDeFilas antiga = std::move(consultaDeFilas());
    consultaDeFilas() = std::move(consulta);
    return antiga;
}

QtPrinter::QtPrinter() = default;
QtPrinter::QtPrinter(const QString &pdfPath) : pdfPath_(pdfPath) {}
QtPrinter::~QtPrinter() = default;

// The first use in a job picks the device: the default printer as it is now,
// or the PDF file. Without a default printer the job cannot start: the print
// system would hand it to the first queue it knows, which is nobody's choice.
QPrinter &QtPrinter::device() const {
    if (!printer_) {
        std::unique_ptr<QPrinter> p;
        QString fila;
        if (!pdfPath_.isEmpty()) {
            p = std::make_unique<QPrinter>(QPrinter::HighResolution);
            p->setOutputFormat(QPrinter::PdfFormat);
            p->setOutputFileName(pdfPath_);
            p->setPageMargins(QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
        } else {
            const FilasDeImpressao filas = consultaDeFilas() ? consultaDeFilas()() : filasDoSistema();
            fila = filas.padrao;
            if (fila.isEmpty() || !filas.instaladas.contains(fila)) erroDeImpressora();
            p = dispositivoDaFila(fila);
            if (!p) erroDeImpressora();
        }
        printer_ = std::move(p);
        fila_ = fila;
        applyLayout();
    }
    return *printer_;
}

std::unique_ptr<QPrinter> QtPrinter::dispositivoDaFila(const QString &fila) const {
    // Given a queue it does not find, the device takes another one itself:
    // only a device of that very queue will do.
    auto p = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(fila), QPrinter::HighResolution);
    if (p->outputFormat() != QPrinter::NativeFormat || p->printerName() != fila || !p->isValid()) return nullptr;
    return p;
}

void QtPrinter::applyLayout() const {
    if (!printer_)
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

QString QtPrinter::PrinterName() const { return printer_ ? fila_ : QString(); }

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

int QtPrinter::currentFace() {
    const Face f{FontName(), FontSize(), FontBold(), FontUnderline()};
    for (std::size_t i = fonts_.size(); i-- > 0;) {
        const Face &g = fonts_[i];
        if (g.name == f.name && g.size == f.size && g.bold == f.bold && g.underline == f.underline)
            return int(i);
    }
    fonts_.push_back(f);
    return int(fonts_.size() - 1);
}

void QtPrinter::drawText(double x, double y, const QString &text) {
    Stroke s;
    s.kind = Stroke::Text;
    s.font = currentFace();
    s.x = float(x);
    s.y = float(y);
    s.at = text_.size();
    s.length = int(text.size());
    text_ += text;
    strokes_.push_back(s);
}

void QtPrinter::drawLine(double x1, double y1, double x2, double y2) {
    Stroke s;
    s.kind = Stroke::Line;
    s.font = DrawWidth();
    s.x = float(x1);
    s.y = float(y1);
    s.x2 = float(x2);
    s.y2 = float(y2);
    strokes_.push_back(s);
}

void QtPrinter::NewPage() {
    Stroke s;
    s.kind = Stroke::Page;
    strokes_.push_back(s);
    ++page_;
    setCurrentX(0);
    setCurrentY(0);
}

// Draws the composed job on the device, which sends it when the painter ends.
void QtPrinter::deliver() {
    QPrinter &dev = device();
    applyLayout();
    QPainter painter;
    if (!painter.begin(&dev))
        erroDeImpressora();
    const double px = 1.0 / TwipsPerPixelX(), py = 1.0 / TwipsPerPixelY();
    bool ok = true;
    int face = -1;
    double ascent = 0;
    for (const Stroke &s : strokes_) {
        if (s.kind == Stroke::Page) {
            if (!dev.newPage()) {
                ok = false;
                break;
            }
        } else if (s.kind == Stroke::Text) {
            if (s.font != face) {
                face = s.font;
                const Face &f = fonts_[std::size_t(face)];
                painter.setFont(FontOf(f.name, f.size, f.bold, f.underline));
                painter.setPen(QPen(Qt::black));
                ascent = painter.fontMetrics().ascent();
            }
            painter.drawText(QPointF(s.x * px, s.y * py + ascent), text_.mid(s.at, s.length));
        } else {
            painter.setPen(QPen(Qt::black, s.font));
            painter.drawLine(QPointF(s.x * px, s.y * py), QPointF(s.x2 * px, s.y2 * py));
            face = -1; // the pen changed
        }
    }
    if (!ok) {
        // Nothing more goes out; a file already begun is not left behind.
        dev.abort();
        painter.end();
        if (!pdfPath_.isEmpty())
            QFile::remove(pdfPath_);
        erroDeImpressora();
    }
    if (!painter.end())
        erroDeImpressora();
}

void QtPrinter::endJob() {
    std::deque<Stroke>().swap(strokes_);
    text_ = QString();
    fonts_.clear();
    printer_.reset();
    fila_.clear();
    resetDocument();
}

void QtPrinter::EndDoc() {
    try {
        if (!strokes_.empty())
            deliver();
    } catch (...) {
        endJob();
        throw;
    }
    endJob();
}

void QtPrinter::KillDoc() { endJob(); }

} // namespace print
