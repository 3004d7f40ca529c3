#include "ui/IconesDasArvores.h"

#include "platform/widgets/TreeView.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ui {

namespace {

const QStringList kVariantes = {QString(),
                                QStringLiteral("SEL"),
                                QStringLiteral("EXP"),
                                QStringLiteral("SELEXP"),
                                QStringLiteral("EXPSEL"),
                                QStringLiteral("INAT"),
                                QStringLiteral("INATSEL"),
                                QStringLiteral("INATEXP"),
                                QStringLiteral("INATSELEXP")};

QColor cinza(const QColor &c) {
    const int g = qGray(c.rgb());
    return QColor(g, g, g);
}

QPixmap desenhar(bool conta, bool sel, bool exp, bool inat) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (sel) {
        // Selection: a soft blue halo behind the picture.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 170, 255, 140));
        p.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
    }
    QColor corpo = conta ? QColor(40, 110, 200) : QColor(225, 160, 20);
    QColor detalhe = conta ? QColor(250, 210, 60) : QColor(255, 245, 200);
    if (inat) {
        corpo = cinza(corpo).lighter(120);
        detalhe = cinza(detalhe);
    }
    p.setPen(QPen(corpo.darker(160), 1));
    p.setBrush(corpo);
    if (conta) {
        // A card; expanded, it is open like a wallet (a lighter flap on top).
        p.drawRoundedRect(QRectF(1.5, 4.5, 13, 9), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(detalhe);
        p.drawRect(QRectF(3, 7, 4, 3));
        if (exp) {
            p.setBrush(corpo.lighter(150));
            p.setPen(QPen(corpo.darker(160), 1));
            QPainterPath flap;
            flap.moveTo(1.5, 4.5);
            flap.lineTo(4.5, 1.5);
            flap.lineTo(14.5, 1.5);
            flap.lineTo(14.5, 4.5);
            flap.closeSubpath();
            p.drawPath(flap);
        }
    } else {
        // A coin with an up and a down stroke; expanded, a second coin behind it.
        if (exp) {
            p.setBrush(corpo.lighter(140));
            p.drawEllipse(QRectF(5.5, 0.5, 10, 10));
            p.setBrush(corpo);
        }
        p.drawEllipse(QRectF(1.5, 4.5, 10, 10));
        p.setPen(QPen(detalhe, 1.5));
        p.drawLine(QPointF(5, 7), QPointF(5, 12));
        p.drawLine(QPointF(8, 7), QPointF(8, 12));
    }
    if (inat) {
        p.setPen(QPen(QColor(200, 30, 30), 1.8));
        p.drawLine(QPointF(2, 14), QPointF(14, 2));
    }
    return pm;
}

} // namespace

QIcon Icone(const QString &chave) {
    QString resto;
    bool conta = false;
    if (chave.startsWith(QStringLiteral("IMG_CONTA"))) {
        conta = true;
        resto = chave.mid(9);
    } else if (chave.startsWith(QStringLiteral("IMG_RECDESP"))) {
        resto = chave.mid(11);
    } else {
        return QIcon();
    }
    if (!kVariantes.contains(resto)) return QIcon();
    const bool inat = resto.startsWith(QStringLiteral("INAT"));
    return QIcon(desenhar(conta, resto.contains(QStringLiteral("SEL")), resto.contains(QStringLiteral("EXP")), inat));
}

void AdicionarImagens(widgets::ImageList &lista, const QStringList &chaves) {
    for (const QString &k : chaves) lista.Add(k, Icone(k));
}

QStringList ChavesDoEditor(const QString &familia) {
    QStringList out;
    for (const QString &v : {QString(), QStringLiteral("SEL"), QStringLiteral("EXP"), QStringLiteral("SELEXP"),
                             QStringLiteral("INAT"), QStringLiteral("INATSEL"), QStringLiteral("INATEXP"),
                             QStringLiteral("INATSELEXP")})
        out << familia + v;
    return out;
}

} // namespace ui
