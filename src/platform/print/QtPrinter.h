#pragma once
// The printer object over QPrinter and QPainter: the system's default printer,
// or a PDF file.
//
// A job is composed whole before anything reaches the device: texts, lines
// and page breaks are kept until EndDoc, which hands the finished document to
// the printer; KillDoc drops it, so a report stopped part-way sends nothing
// (the print server cannot be trusted to cancel a job it has started to
// receive). The device is looked up when a job starts, so every job goes to
// the default printer of that moment; with no default printer (no queue at
// all, or queues none of which is the default) the job stops with the
// printer error (482), never sent to some other queue.
#include "platform/print/Printer.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QPrinter;

namespace print {

// The machine's print queues as a job finds them when it starts.
struct FilasDeImpressao {
    QStringList instaladas;
    QString padrao; // the default queue; empty when none is
};
// How the print layer learns them: the system's print server unless a test
// has put its own answer in place. An empty function puts the system's back;
// returns the one it replaces (empty: the system's).
using ConsultaDeFilas = std::function<FilasDeImpressao()>;
ConsultaDeFilas TrocarConsultaDeFilas(ConsultaDeFilas consulta);

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

    // The name of the printer the job being composed goes to (empty for a
    // PDF file or when no job has started).
    QString PrinterName() const;

protected:
    // The device that prints to the named queue, or none when the queue
    // cannot take a job.
    virtual std::unique_ptr<QPrinter> dispositivoDaFila(const QString &fila) const;

    void drawText(double x, double y, const QString &text) override;
    void drawLine(double x1, double y1, double x2, double y2) override;

private:
    // One composed output, in twips. Fonts are kept once in fonts_, texts one
    // after another in text_: a long report holds hundreds of thousands.
    struct Stroke {
        enum Kind : unsigned char { Text, Line, Page } kind = Text;
        int font = 0; // Text: index in fonts_; Line: pen width
        float x = 0, y = 0, x2 = 0, y2 = 0;
        qsizetype at = 0; // Text: where it starts in text_, and its length
        int length = 0;
    };
    struct Face {
        QString name;
        double size = 0;
        bool bold = false, underline = false;
    };

    QPrinter &device() const;
    void applyLayout() const;
    int currentFace();
    void deliver();
    void endJob();

    QString pdfPath_;
    mutable std::unique_ptr<QPrinter> printer_; // the job's device; none between jobs
    mutable QString fila_;                      // the queue it prints to
    std::deque<Stroke> strokes_;
    QString text_;
    std::vector<Face> fonts_;
};

} // namespace print
