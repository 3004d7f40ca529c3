#include "ui/FileiraDeBotoes.h"

#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace ui {
namespace {

QList<QPushButton *> visiveis(const QList<QPushButton *> &botoes) {
    QList<QPushButton *> v;
    for (QPushButton *b : botoes)
        if (!b->isHidden()) v << b;
    return v;
}

// With room, a button gets the designed width and its caption the window's
// air; without, just what the caption needs, so that more buttons share a row.
int largura(const QPushButton *b, bool folgada, const MedidasDosBotoes &m) {
    const int texto = b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&')));
    return folgada ? std::max(m.largura, texto + std::max(16, m.ar)) : texto + 16;
}

// Where each button stands for a parent `larguraDaJanela` wide, in the order
// of `botoes`.
QList<QRect> posicoes(const QList<QPushButton *> &botoes, const MedidasDosBotoes &m, int larguraDaJanela) {
    const int fim = larguraDaJanela - m.direita;
    int total = m.esquerda;
    for (QPushButton *b : botoes) total += largura(b, true, m) + m.espaco;
    const bool folgada = total - m.espaco <= fim;
    QList<QRect> r;
    int x = m.esquerda, y = m.topo;
    for (QPushButton *b : botoes) {
        const int w = largura(b, folgada, m);
        if (x > m.esquerda && x + w > fim) {
            x = m.esquerda;
            y += m.altura + m.entre;
        }
        r << QRect(x, y, w, m.altura);
        x += w + m.espaco;
    }
    return r;
}

int fileirasEm(const QList<QRect> &r) {
    int n = 0, y = -1;
    for (const QRect &g : r)
        if (g.y() != y) {
            y = g.y();
            ++n;
        }
    return n;
}

} // namespace

void ArrumarBotoes(QWidget *painel, const QList<QPushButton *> &botoes, const MedidasDosBotoes &m) {
    const QList<QPushButton *> v = visiveis(botoes);
    QWidget *janela = painel->parentWidget();
    // Two rows, the most the rule lets a row of buttons take.
    janela->setMinimumWidth(std::max(m.larguraDoLeiaute, LarguraMinima(v, m, 2)));
    const QList<QRect> r = posicoes(v, m, janela->width());
    for (qsizetype i = 0; i < v.size(); ++i) v[i]->setGeometry(r[i]);
    const int altura = (r.isEmpty() ? m.topo : r.last().y()) + m.altura + m.baixo;
    painel->setGeometry(0, janela->height() - altura, janela->width(), altura);
}

int LarguraMinima(const QList<QPushButton *> &botoes, const MedidasDosBotoes &m, int fileiras) {
    const QList<QPushButton *> v = visiveis(botoes);
    // Each button whole on a row of its own at the least.
    int menor = 0;
    for (QPushButton *b : v) menor = std::max(menor, m.esquerda + largura(b, false, m) + m.direita);
    // The rows only grow fewer as the window widens: the least width that
    // takes no more than `fileiras`, between one button a row and one row.
    int maior = m.esquerda + m.direita;
    for (QPushButton *b : v) maior += largura(b, true, m) + m.espaco;
    maior = std::max(menor, maior);
    if (fileiras < 1 || fileirasEm(posicoes(v, m, menor)) <= fileiras)
        return menor;
    while (maior - menor > 1) {
        const int meio = (menor + maior) / 2;
        (fileirasEm(posicoes(v, m, meio)) <= fileiras ? maior : menor) = meio;
    }
    return maior;
}

} // namespace ui
