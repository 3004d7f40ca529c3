#include "shell/ImagensDaJanelaPrincipal.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>

namespace shell {
namespace {

const QColor kTinta(0x2d, 0x4a, 0x6b);
const QColor kOuro(0xe0, 0xb5, 0x3a);
const QColor kOuroEscuro(0x8a, 0x6d, 0x1e);
const QColor kVerde(0x2e, 0x8b, 0x3e);
const QColor kVermelho(0xc0, 0x39, 0x2b);
const QColor kPapel(0xfb, 0xfa, 0xf4);

// Every picture is drawn on a 16 x 16 grid.
void Documento(QPainter &p, qreal x, qreal y, qreal w, qreal h) {
    p.setPen(QPen(kTinta, 1));
    p.setBrush(kPapel);
    p.drawRect(QRectF(x + 0.5, y + 0.5, w - 1, h - 1));
    p.setPen(QPen(QColor(0x9a, 0xa7, 0xb6), 1));
    for (qreal ly = y + 3.5; ly < y + h - 2; ly += 2)
        p.drawLine(QPointF(x + 2.5, ly), QPointF(x + w - 2.5, ly));
}
void Moeda(QPainter &p, qreal cx, qreal cy, qreal r) {
    p.setPen(QPen(kOuroEscuro, 1));
    p.setBrush(kOuro);
    p.drawEllipse(QPointF(cx, cy), r, r);
}
void Lupa(QPainter &p, qreal cx, qreal cy, qreal r) {
    p.setPen(QPen(kTinta, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cx + r * 0.7, cy + r * 0.7), QPointF(cx + r * 1.9, cy + r * 1.9));
    p.setPen(QPen(kTinta, 1.5));
    p.setBrush(QColor(0xcf, 0xe6, 0xf5));
    p.drawEllipse(QPointF(cx, cy), r, r);
}
void Seta(QPainter &p, qreal x, qreal y, bool paraCima) {
    const QColor c = paraCima ? kVerde : kVermelho;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const qreal d = paraCima ? -1 : 1;
    QPolygonF ponta;
    ponta << QPointF(x, y + d * 3) << QPointF(x - 3, y) << QPointF(x + 3, y);
    p.drawPolygon(ponta);
    p.drawRect(QRectF(x - 1, paraCima ? y : y - 4, 2, 4));
}
void Balanca(QPainter &p) {
    p.setPen(QPen(kTinta, 1.5));
    p.drawLine(QPointF(8, 2), QPointF(8, 14));
    p.drawLine(QPointF(4, 14.5), QPointF(12, 14.5));
    p.drawLine(QPointF(2, 4), QPointF(14, 4));
    p.setBrush(kOuro);
    p.setPen(QPen(kOuroEscuro, 1));
    p.drawChord(QRectF(0.5, 5, 6, 5), 0, -180 * 16);
    p.drawChord(QRectF(9.5, 5, 6, 5), 0, -180 * 16);
}
void Pessoa(QPainter &p, qreal cx, const QColor &roupa) {
    p.setPen(QPen(kTinta, 1));
    p.setBrush(QColor(0xf1, 0xc2, 0x9a));
    p.drawEllipse(QPointF(cx, 4.5), 2.5, 2.5);
    p.setBrush(roupa);
    p.drawRoundedRect(QRectF(cx - 4, 8, 8, 7), 2, 2);
}
void Predio(QPainter &p) {
    p.setPen(QPen(kTinta, 1));
    p.setBrush(QColor(0xd9, 0xd3, 0xbd));
    QPolygonF teto;
    teto << QPointF(8, 1) << QPointF(15, 5) << QPointF(1, 5);
    p.drawPolygon(teto);
    for (qreal x : {2.5, 6.5, 10.5})
        p.drawRect(QRectF(x, 6, 2, 6));
    p.drawRect(QRectF(1, 12.5, 14, 2));
}
void Check(QPainter &p) {
    p.setPen(QPen(kVerde, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF v;
    v << QPointF(6, 10) << QPointF(9, 13) << QPointF(15, 5);
    p.drawPolyline(v);
}
void Lapis(QPainter &p) {
    p.save();
    p.translate(10, 9);
    p.rotate(45);
    p.setPen(QPen(kTinta, 1));
    p.setBrush(kOuro);
    p.drawRect(QRectF(-1.5, -7, 3, 9));
    QPolygonF ponta;
    ponta << QPointF(-1.5, 2) << QPointF(1.5, 2) << QPointF(0, 5);
    p.setBrush(kPapel);
    p.drawPolygon(ponta);
    p.restore();
}
void Interrogacao(QPainter &p) {
    p.setPen(QPen(kTinta, 1));
    p.setBrush(QColor(0x3d, 0x7c, 0xc9));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
}

using Desenho = std::function<void(QPainter &)>;

const QHash<QString, Desenho> &Desenhos() {
    static const QHash<QString, Desenho> d = {
        {QStringLiteral("IMG_CONTAS"), [](QPainter &p) { Predio(p); }},
        {QStringLiteral("IMG_RECDESP"),
         [](QPainter &p) {
             Seta(p, 4.5, 7, true);
             Seta(p, 11.5, 9, false);
             p.setPen(QPen(kTinta, 1));
             p.drawLine(QPointF(1, 15.5), QPointF(15, 15.5));
         }},
        {QStringLiteral("IMG_USUARIOS"),
         [](QPainter &p) {
             Pessoa(p, 5, QColor(0x3d, 0x7c, 0xc9));
             Pessoa(p, 11, kVerde);
         }},
        {QStringLiteral("IMG_LANCAMENTOS"),
         [](QPainter &p) {
             Documento(p, 1, 1, 11, 14);
             Lapis(p);
         }},
        {QStringLiteral("IMG_BAIXAS"),
         [](QPainter &p) {
             Documento(p, 1, 1, 11, 14);
             Check(p);
         }},
        {QStringLiteral("IMG_PESQDOC"),
         [](QPainter &p) {
             Documento(p, 1, 1, 10, 13);
             Lupa(p, 9, 9, 3);
         }},
        {QStringLiteral("IMG_EXTRACON"),
         [](QPainter &p) {
             Documento(p, 1, 1, 11, 14);
             Moeda(p, 11.5, 11.5, 3.5);
         }},
        {QStringLiteral("IMG_EXTRAREC"),
         [](QPainter &p) {
             Documento(p, 1, 1, 11, 14);
             Seta(p, 11, 10, true);
             Seta(p, 14, 11, false);
         }},
        {QStringLiteral("IMG_BALCONTAS"), [](QPainter &p) { Balanca(p); }},
        {QStringLiteral("IMG_BALRECDESP"),
         [](QPainter &p) {
             Balanca(p);
             Seta(p, 3.5, 13, true);
             Seta(p, 12.5, 12, false);
         }},
        {QStringLiteral("IMG_SALDOSCONTAS"),
         [](QPainter &p) {
             Moeda(p, 5, 11, 4);
             Moeda(p, 5, 8, 4);
             Lupa(p, 10, 6, 3.5);
         }},
        {QStringLiteral("IMG_SALDOSRECDESP"),
         [](QPainter &p) {
             Seta(p, 3.5, 8, true);
             Seta(p, 3.5, 11, false);
             Lupa(p, 10, 6, 3.5);
         }},
        {QStringLiteral("IMG_AJUDA"), [](QPainter &p) { Interrogacao(p); }},
    };
    return d;
}

QPixmap Desenhar(int lado, const Desenho &desenho) {
    QPixmap pm(lado, lado);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(lado / 16.0, lado / 16.0);
    if (desenho)
        desenho(p);
    return pm;
}

void Livro(QPainter &p) {
    // An open ledger with a coin on its right page.
    p.setPen(QPen(kTinta, 1));
    p.setBrush(kPapel);
    p.drawRoundedRect(QRectF(0.5, 2.5, 7.5, 11), 1, 1);
    p.drawRoundedRect(QRectF(8, 2.5, 7.5, 11), 1, 1);
    p.setPen(QPen(QColor(0x9a, 0xa7, 0xb6), 0.6));
    for (qreal y = 5; y < 12; y += 1.5)
        p.drawLine(QPointF(2, y), QPointF(6.5, y));
    Moeda(p, 11.75, 8, 2.6);
}

} // namespace

QIcon IconePrincipal() {
    static const QIcon icone = [] {
        QIcon i;
        for (int lado : {16, 32, 48})
            i.addPixmap(Desenhar(lado, Livro));
        return i;
    }();
    return icone;
}

QPixmap ImagemDaBarra(const QString &key) { return Desenhar(16, Desenhos().value(key)); }

} // namespace shell
