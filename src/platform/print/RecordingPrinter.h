#pragma once
// A printer that keeps what was laid out instead of printing it: every text,
// line, page break and end of document, with the position and font in force.
#include "platform/print/Printer.h"

#include <QList>
#include <QString>
#include <vector>

namespace print {

struct PrintOp {
    enum Kind { Text, Line, NewPage, EndDoc, KillDoc };
    Kind kind = Text;
    int page = 1;
    double x = 0, y = 0, x2 = 0, y2 = 0;
    QString text;
    QString font;
    double size = 0;
    bool bold = false, underline = false;
    int drawWidth = 1;
};

class RecordingPrinter : public Printer {
public:
    // Device of the recording: pixels and unprintable strips, portrait.
    struct Device {
        double twipsPerPixel = 2.4; // 600 dpi
        int leftPx = 100, topPx = 100, rightPx = 100, bottomPx = 100;
    };
    RecordingPrinter() = default;
    explicit RecordingPrinter(const Device &d) : dev_(d) {}

    void setDevice(const Device &d) { dev_ = d; }

    int PhysicalOffsetX() const override;
    int PhysicalOffsetY() const override;
    double TwipsPerPixelX() const override { return dev_.twipsPerPixel; }
    double TwipsPerPixelY() const override { return dev_.twipsPerPixel; }
    double Width() const override;
    double Height() const override;
    double ScaleWidth() const override;
    double ScaleHeight() const override;
    void NewPage() override;
    void EndDoc() override;
    void KillDoc() override;

    const std::vector<PrintOp> &ops() const { return ops_; }
    // The texts printed, in order; on one page when page > 0.
    QList<QString> texts(int page = 0) const;
    int documentsEnded() const { return endDocs_; }
    // The lowest point anything drawn reaches (a text's foot is one line of
    // its font below its top), on one page when page > 0; 0 when none.
    double lowestInk(int page = 0) const;
    void clear() { ops_.clear(); endDocs_ = 0; }

protected:
    void drawText(double x, double y, const QString &text) override;
    void drawLine(double x1, double y1, double x2, double y2) override;

private:
    PrintOp op(PrintOp::Kind k) const;
    bool landscape() const { return orientation_ == vbPRORLandscape; }
    Device dev_;
    std::vector<PrintOp> ops_;
    int endDocs_ = 0;
};

} // namespace print
