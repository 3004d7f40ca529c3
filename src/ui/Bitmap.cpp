#include "ui/Bitmap.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QWidget>
#include <cmath>

namespace ui {

QPixmap BitmapTextura() {
    static const QPixmap tile = [] {
        QPixmap pm(kTexturaLargura, kTexturaAltura);
        pm.fill(QColor(0x6f, 0x80, 0x95));
        QPainter p(&pm);
        // A fixed-seed speckle so the tile looks like paper and repeats seamlessly.
        QRandomGenerator rng(20240501u);
        for (int i = 0; i < 900; ++i) {
            const int x = rng.bounded(kTexturaLargura), y = rng.bounded(kTexturaAltura);
            const int d = rng.bounded(-14, 15);
            p.setPen(QColor(0x6f + d, 0x80 + d, 0x95 + d));
            p.drawPoint(x, y);
        }
        return pm;
    }();
    return tile;
}

QPixmap BitmapLogo() {
    static const QPixmap logo = [] {
        QPixmap pm(kLogoLargura, kLogoAltura);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 0, kLogoAltura);
        g.setColorAt(0, QColor(0xf4, 0xf1, 0xe6));
        g.setColorAt(1, QColor(0xd9, 0xd3, 0xbd));
        p.fillRect(pm.rect(), g);
        p.setPen(QPen(QColor(0x2d, 0x4a, 0x6b), 3));
        p.drawRect(pm.rect().adjusted(2, 2, -3, -3));
        // An open ledger with a column of coins.
        p.setBrush(QColor(0xff, 0xff, 0xff));
        p.drawRoundedRect(QRectF(24, 40, 70, 92), 6, 6);
        p.drawRoundedRect(QRectF(94, 40, 70, 92), 6, 6);
        p.setPen(QPen(QColor(0x9a, 0xa7, 0xb6), 1));
        for (int y = 58; y < 124; y += 10) {
            p.drawLine(32, y, 86, y);
            p.drawLine(102, y, 156, y);
        }
        p.setPen(QPen(QColor(0x8a, 0x6d, 0x1e), 2));
        p.setBrush(QColor(0xe0, 0xb5, 0x3a));
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QRectF(200, 112 - i * 14, 70, 22));
        p.setPen(QColor(0x2d, 0x4a, 0x6b));
        QFont f(QStringLiteral("Liberation Serif"));
        f.setPixelSize(34);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 134, kLogoLargura, 46), Qt::AlignCenter, QStringLiteral("Finoteca"));
        return pm;
    }();
    return logo;
}

QPoint PosicaoBitmapA(const QSize &janela, int w, int h) {
    const double x = std::nearbyint((janela.width() - w) / 2.0);
    const double y = std::nearbyint((janela.height() - h) / 2.0 - 60.0);
    return {static_cast<int>(x), static_cast<int>(y)};
}

std::vector<QPoint> PosicoesBitmapB(const QSize &janela, int w, int h) {
    std::vector<QPoint> out;
    if (w <= 0 || h <= 0)
        return out;
    for (int y = 0; y <= janela.height() + h; y += h)
        for (int x = 0; x <= janela.width() + w; x += w)
            out.emplace_back(x, y);
    return out;
}

void DesenharBitmapA(QWidget *mainWindow, QPainter &p, const QPixmap &bmp, int w, int h) {
    if (!mainWindow)
        return;
    p.drawPixmap(QRect(PosicaoBitmapA(mainWindow->frameGeometry().size(), w, h), QSize(w, h)), bmp);
}

void DesenharBitmapB(QWidget *mainWindow, QPainter &p, const QPixmap &bmp, int w, int h) {
    if (!mainWindow)
        return;
    for (const QPoint &pt : PosicoesBitmapB(mainWindow->frameGeometry().size(), w, h))
        p.drawPixmap(QRect(pt, QSize(w, h)), bmp);
}

} // namespace ui
