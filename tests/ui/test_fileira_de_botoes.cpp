// The least width of a window with a row of command buttons: the width at
// which the row takes no more rows than asked, every button whole.
#include "ui/FileiraDeBotoes.h"

#include "platform/ui/GuiTest.h"

#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(FileiraDeBotoes, TheLeastWidthTakesNoMoreRowsThanAskedAndOnePixelLessTakesMore) {
    testsupport::qtApp();
    QWidget janela;
    auto *painel = new QWidget(&janela);
    QList<QPushButton *> botoes;
    for (const char *t : {"&Baixar", "&Remover Baixa", "Est&ornar", "&Imprimir", "&Atualizar Pesquisa", "&Fechar"})
        botoes << new QPushButton(QString::fromUtf8(t), painel);
    const ui::MedidasDosBotoes m{.esquerda = 8, .direita = 8, .espaco = 5, .entre = 5, .topo = 7, .baixo = 8,
                                 .altura = 25, .largura = 105, .ar = 24};
    // Made that wide and laid out: the width the window keeps and the rows
    // its buttons take there (none when a button is cut by its edge).
    struct Leiaute {
        int largura, fileiras;
    };
    auto arrumar = [&](int largura) {
        janela.setMinimumWidth(0);
        janela.resize(largura, 300);
        ui::ArrumarBotoes(painel, botoes, m);
        std::set<int> linhas;
        for (QPushButton *b : botoes) {
            if (b->isHidden()) continue;
            if (b->geometry().right() > janela.width() - 1) return Leiaute{janela.width(), 0};
            linhas.insert(b->y());
        }
        return Leiaute{janela.width(), int(linhas.size())};
    };
    for (bool semUm : {false, true}) {
        SCOPED_TRACE(semUm ? "one button hidden" : "all shown");
        botoes[1]->setHidden(semUm);
        // One row: the least width for it, and one pixel less takes two.
        const int uma = ui::LarguraMinima(botoes, m, 1);
        EXPECT_EQ(arrumar(uma).fileiras, 1);
        EXPECT_EQ(arrumar(uma - 1).fileiras, 2);
        // Two rows, the most the rule allows: the window is held there.
        const int duas = ui::LarguraMinima(botoes, m, 2);
        EXPECT_LT(duas, uma);
        EXPECT_EQ(arrumar(duas).largura, duas);
        EXPECT_EQ(arrumar(duas).fileiras, 2);
        const Leiaute menos = arrumar(duas - 40);
        EXPECT_EQ(menos.largura, duas) << "held at the width of two rows";
        EXPECT_EQ(menos.fileiras, 2);
    }
    // A window that lays itself out only from a greater width is held there.
    botoes[1]->setHidden(false);
    auto largo = m;
    largo.larguraDoLeiaute = 600;
    janela.resize(1000, 300);
    ui::ArrumarBotoes(painel, botoes, largo);
    EXPECT_EQ(janela.minimumWidth(), 600);
}

} // namespace
