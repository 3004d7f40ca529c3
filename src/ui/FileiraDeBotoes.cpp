#include "ui/FileiraDeBotoes.h"

#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace ui {

void ArrumarBotoes(QWidget *painel, const QList<QPushButton *> &botoes, const MedidasDosBotoes &m) {
    QList<QPushButton *> visiveis;
    for (QPushButton *b : botoes)
        if (!b->isHidden()) visiveis << b;
    // With room, a button gets the designed width and its caption the window's
    // air; without, just what the caption needs, so that more buttons share a row.
    const auto largura = [&m](QPushButton *b, bool folgada) {
        const int texto = b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&')));
        return folgada ? std::max(m.largura, texto + std::max(16, m.ar)) : texto + 16;
    };
    const QWidget *janela = painel->parentWidget();
    const int fim = janela->width() - m.direita;
    int total = m.esquerda;
    for (QPushButton *b : visiveis) total += largura(b, true) + m.espaco;
    const bool folgada = total - m.espaco <= fim;
    int x = m.esquerda, y = m.topo;
    for (QPushButton *b : visiveis) {
        const int w = largura(b, folgada);
        if (x > m.esquerda && x + w > fim) {
            x = m.esquerda;
            y += m.altura + m.entre;
        }
        b->setGeometry(x, y, w, m.altura);
        x += w + m.espaco;
    }
    const int altura = y + m.altura + m.baixo;
    painel->setGeometry(0, janela->height() - altura, janela->width(), altura);
}

} // namespace ui
