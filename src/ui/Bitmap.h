#pragma once
// The background pictures of the main window's client area: a tiled texture
// and the product logo, drawn by the program itself, and where they go.
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <vector>

class QPainter;
class QWidget;

namespace ui {

constexpr int kLogoLargura = 302, kLogoAltura = 188;
constexpr int kTexturaLargura = 116, kTexturaAltura = 111;

QPixmap BitmapLogo();
QPixmap BitmapTextura();

// Top-left of the logo for a main window of the given outer size (pixels):
// centred horizontally, 60 pixels above the vertical centre; halves go to even.
QPoint PosicaoBitmapA(const QSize &janela, int w, int h);
// Top-left corners of the tiles: rows from 0 to H + h and columns from 0 to
// W + w, both inclusive, so the tiles always run beyond the window.
std::vector<QPoint> PosicoesBitmapB(const QSize &janela, int w, int h);

// Draws the bitmap once at PosicaoBitmapA / tiled at PosicoesBitmapB, for the
// outer size of the main window.
void DesenharBitmapA(QWidget *mainWindow, QPainter &p, const QPixmap &bmp, int w, int h);
void DesenharBitmapB(QWidget *mainWindow, QPainter &p, const QPixmap &bmp, int w, int h);

} // namespace ui
