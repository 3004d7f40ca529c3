#pragma once
// The printer object: a page composed in twips (1440 per inch) with a current
// position, one font, text measuring, lines and pages. Coordinates are
// relative to the printable area's top-left corner. Two implementations: the
// real one over QPrinter (default printer or a PDF file) and a recording one
// that keeps what was laid out.
#include <QString>
#include <memory>

class QFont;

namespace print {

constexpr int vbPRPSA4 = 9;
constexpr int vbPRPSLetter = 1;
constexpr int vbPRORPortrait = 1;
constexpr int vbPRORLandscape = 2;

class Printer {
public:
    virtual ~Printer();

    // Paper and orientation: set before anything is printed.
    int PaperSize() const { return paperSize_; }
    virtual void setPaperSize(int size);
    int Orientation() const { return orientation_; }
    virtual void setOrientation(int orientation);

    // Device figures, in device pixels, and twips per device pixel.
    virtual int PhysicalOffsetX() const = 0; // unprintable strip at the left
    virtual int PhysicalOffsetY() const = 0; // unprintable strip at the top
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;

    // Sheet (Width, Height) and printable area (ScaleWidth, ScaleHeight), twips.
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;

    double CurrentX() const { return x_; }
    double CurrentY() const { return y_; }
    void setCurrentX(double x) { x_ = x; }
    void setCurrentY(double y) { y_ = y; }

    // Font. "Courier New", "Times New Roman" and "Arial" are drawn with the
    // metric-compatible Liberation Mono, Serif and Sans.
    QString FontName() const { return fontName_; }
    void setFontName(const QString &name) { fontName_ = name; }
    double FontSize() const { return fontSize_; }
    void setFontSize(double points) { fontSize_ = points; }
    bool FontBold() const { return bold_; }
    void setFontBold(bool b) { bold_ = b; }
    bool FontUnderline() const { return underline_; }
    void setFontUnderline(bool u) { underline_ = u; }
    int DrawWidth() const { return drawWidth_; }
    void setDrawWidth(int w) { drawWidth_ = w < 1 ? 1 : w; }

    // Text extent in the current font, twips. The height is one line's.
    double TextWidth(const QString &text) const;
    double TextHeight(const QString &text) const;
    // Distance from a line's top to its baseline in the current font, twips.
    double TextAscent() const;

    // Prints one line at the current position, then moves down one line and
    // back to the left edge (CurrentX = 0).
    void Print(const QString &text);
    // A line from (x1, y1) to (x2, y2); the current position moves to its end.
    void Line(double x1, double y1, double x2, double y2);
    // Starts the next page of the document being composed.
    virtual void NewPage() = 0;
    // Ends the document and sends it; the next output starts a new one. A
    // document that cannot be sent raises the printer error.
    virtual void EndDoc() = 0;
    // Abandons the document being composed: nothing of it is sent.
    virtual void KillDoc() = 0;
    // Page number of the page being composed (1 for the first).
    int Page() const { return page_; }

    // The face that stands for a font name on this system.
    static QString FaceFor(const QString &name);

protected:
    Printer();
    virtual void drawText(double x, double y, const QString &text) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;
    void resetDocument() { x_ = y_ = 0; page_ = 1; }
    int paperSize_ = vbPRPSA4;
    int orientation_ = vbPRORPortrait;
    int page_ = 1;

private:
    double x_ = 0, y_ = 0;
    QString fontName_ = QStringLiteral("Arial");
    double fontSize_ = 10;
    bool bold_ = false, underline_ = false;
    int drawWidth_ = 1;
};

// The drawing font for a font name, size in points, weight and underline.
QFont FontOf(const QString &name, double size, bool bold, bool underline);
// The drawing font for a printer's current font settings.
QFont CurrentFontOf(const Printer &p);

// The printer the program prints to: the default printer, unless a test or
// a print-to-file has put another one in its place.
Printer &ThePrinter();
// Puts a printer in place of the default one (nullptr: back to the default);
// returns the previous override.
Printer *SetThePrinter(Printer *p);

class ScopedPrinter {
public:
    explicit ScopedPrinter(Printer &p) : previous_(SetThePrinter(&p)) {}
    ~ScopedPrinter() { SetThePrinter(previous_); }
    ScopedPrinter(const ScopedPrinter &) = delete;
    ScopedPrinter &operator=(const ScopedPrinter &) = delete;

private:
    Printer *previous_;
};

} // namespace print
