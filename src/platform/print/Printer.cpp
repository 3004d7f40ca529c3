#include "platform/print/Printer.h"

#include "platform/print/QtPrinter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>

namespace print {
namespace {
// Text is measured on an image of 1440 dots per inch, so that one pixel of
// the font metrics is one twip, whatever device the text goes to.
const QImage &twipsDevice() {
    static QImage img = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        const int dpm = static_cast<int>(1440.0 / 0.0254 + 0.5);
        i.setDotsPerMeterX(dpm);
        i.setDotsPerMeterY(dpm);
        return i;
    }();
    return img;
}

Printer *gOverride = nullptr;
} // namespace

QFont FontOf(const QString &name, double size, bool bold, bool underline) {
    QFont f(Printer::FaceFor(name));
    f.setPointSizeF(size);
    f.setBold(bold);
    f.setUnderline(underline);
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferOutline);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

Printer::Printer() = default;
Printer::~Printer() = default;

void Printer::setPaperSize(int size) { paperSize_ = size; }
void Printer::setOrientation(int orientation) { orientation_ = orientation == vbPRORLandscape ? 2 : 1; }

QString Printer::FaceFor(const QString &name) {
    const QString n = name.trimmed();
    if (n.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0 ||
        n.compare(QLatin1String("Courier"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Mono");
    if (n.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    if (n.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ||
        n.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    return n;
}

double Printer::TextWidth(const QString &text) const {
    const QFontMetricsF fm(FontOf(fontName_, fontSize_, bold_, underline_),
                           const_cast<QImage *>(&twipsDevice()));
    return fm.horizontalAdvance(text);
}

double Printer::TextHeight(const QString &text) const {
    (void)text;
    const QFontMetricsF fm(FontOf(fontName_, fontSize_, bold_, underline_),
                           const_cast<QImage *>(&twipsDevice()));
    return fm.height();
}

double Printer::TextAscent() const {
    const QFontMetricsF fm(FontOf(fontName_, fontSize_, bold_, underline_),
                           const_cast<QImage *>(&twipsDevice()));
    return fm.ascent();
}

void Printer::Print(const QString &text) {
    drawText(x_, y_, text);
    y_ += TextHeight(text);
    x_ = 0;
}

void Printer::Line(double x1, double y1, double x2, double y2) {
    drawLine(x1, y1, x2, y2);
    x_ = x2;
    y_ = y2;
}

Printer &ThePrinter() {
    if (gOverride)
        return *gOverride;
    static QtPrinter defaultPrinter;
    return defaultPrinter;
}

Printer *SetThePrinter(Printer *p) {
    Printer *old = gOverride;
    gOverride = p;
    return old;
}

// The font the drawing implementations use for the current settings.
QFont CurrentFontOf(const Printer &p) { return FontOf(p.FontName(), p.FontSize(), p.FontBold(), p.FontUnderline()); }

} // namespace print
