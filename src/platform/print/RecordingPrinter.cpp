#include "platform/print/RecordingPrinter.h"

#include <algorithm>



namespace print {
namespace {
// A4 and Letter, portrait, in twips.
constexpr double kA4W = 11906, kA4H = 16838, kLetterW = 12240, kLetterH = 15840;
} // namespace

int RecordingPrinter::PhysicalOffsetX() const { return landscape() ? dev_.topPx : dev_.leftPx; }
int RecordingPrinter::PhysicalOffsetY() const { return landscape() ? dev_.rightPx : dev_.topPx; }

double RecordingPrinter::Width() const {
    const bool letter = paperSize_ == vbPRPSLetter;
    return landscape() ? (letter ? kLetterH : kA4H) : (letter ? kLetterW : kA4W);
}
double RecordingPrinter::Height() const {
    const bool letter = paperSize_ == vbPRPSLetter;
    return landscape() ? (letter ? kLetterW : kA4W) : (letter ? kLetterH : kA4H);
}
double RecordingPrinter::ScaleWidth() const {
    const int strips = landscape() ? dev_.topPx + dev_.bottomPx : dev_.leftPx + dev_.rightPx;
    return Width() - strips * dev_.twipsPerPixel;
}
double RecordingPrinter::ScaleHeight() const {
    const int strips = landscape() ? dev_.leftPx + dev_.rightPx : dev_.topPx + dev_.bottomPx;
    return Height() - strips * dev_.twipsPerPixel;
}

PrintOp RecordingPrinter::op(PrintOp::Kind k) const {
    PrintOp o;
    o.kind = k;
    o.page = page_;
    o.font = FontName();
    o.size = FontSize();
    o.bold = FontBold();
    o.underline = FontUnderline();
    o.drawWidth = DrawWidth();
    return o;
}

void RecordingPrinter::drawText(double x, double y, const QString &text) {
    PrintOp o = op(PrintOp::Text);
    o.x = x;
    o.y = y;
    o.text = text;
    ops_.push_back(o);
}

void RecordingPrinter::drawLine(double x1, double y1, double x2, double y2) {
    PrintOp o = op(PrintOp::Line);
    o.x = x1;
    o.y = y1;
    o.x2 = x2;
    o.y2 = y2;
    ops_.push_back(o);
}

void RecordingPrinter::NewPage() {
    ops_.push_back(op(PrintOp::NewPage));
    ++page_;
    setCurrentX(0);
    setCurrentY(0);
}

void RecordingPrinter::EndDoc() {
    ops_.push_back(op(PrintOp::EndDoc));
    ++endDocs_;
    resetDocument();
}

void RecordingPrinter::KillDoc() {
    ops_.push_back(op(PrintOp::KillDoc));
    resetDocument();
}

double RecordingPrinter::lowestInk(int page) const {
    double low = 0;
    for (const PrintOp &o : ops_) {
        if (page > 0 && o.page != page) continue;
        if (o.kind == PrintOp::Line) {
            low = std::max({low, o.y, o.y2});
        } else if (o.kind == PrintOp::Text) {
            RecordingPrinter measure;
            measure.setFontName(o.font);
            measure.setFontSize(o.size);
            measure.setFontBold(o.bold);
            measure.setFontUnderline(o.underline);
            low = std::max(low, o.y + measure.TextHeight(o.text));
        }
    }
    return low;
}

QList<QString> RecordingPrinter::texts(int page) const {
    QList<QString> out;
    for (const PrintOp &o : ops_)
        if (o.kind == PrintOp::Text && (page == 0 || o.page == page))
            out << o.text;
    return out;
}

} // namespace print
