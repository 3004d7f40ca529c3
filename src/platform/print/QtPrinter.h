#pragma once
// The printer object over QPrinter and QPainter: the system's default printer,
// or a PDF file.
#include "platform/print/Printer.h"

#include <QPainter>
#include <memory>

class QPrinter;

namespace print {

class QtPrinter : public Printer {
public:
    // The default printer.
    QtPrinter();
    // A PDF file with an unprintable strip of a quarter inch on every side.
    explicit QtPrinter(const QString &pdfPath);
    ~QtPrinter() override;

    void setPaperSize(int size) override;
    void setOrientation(int orientation) override;
    int PhysicalOffsetX() const override;
    int PhysicalOffsetY() const override;
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;
    double Width() const override;
    double Height() const override;
    double ScaleWidth() const override;
    double ScaleHeight() const override;
    void NewPage() override;
    void EndDoc() override;
    void KillDoc() override;

protected:
    void drawText(double x, double y, const QString &text) override;
    void drawLine(double x1, double y1, double x2, double y2) override;

private:
    QPrinter &device() const;
    void applyLayout() const;
    QPainter &painter();

    QString pdfPath_;
    mutable std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
};

} // namespace print
