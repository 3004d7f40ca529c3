// A character of two UTF-16 units (an emoji) pasted at a box's length limit:
// the box ends before it, and so does what is stored.
#include "LancamentosFixture.h"

using testsupport::Script;

// An emoji pasted as the 50th character of a 50-character history: the
// limit would keep half of it, which the book stores as "?"; the history ends
// before it instead.
TEST_F(Lancamentos, CaractereDeDuasUnidadesNoLimiteDaCaixaFicaDeFora) {
    plano();
    auto *f = abrir();
    const QString antes(49, QLatin1Char('A'));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"), QStringLiteral("1,00"), {}, antes);
    testsupport::Colar(f->txtHistorico, emoji);
    EXPECT_EQ(f->txtHistorico->text(), antes);
    Script s;
    f->cmdConfirmar_Click();
    EXPECT_TRUE(s.shown().empty());
    EXPECT_EQ(texto(QStringLiteral("SELECT Historico FROM Lancamentos")), antes);
    // Inside the limit the whole character goes in.
    f->txtHistorico->setText(QStringLiteral("AB"));
    testsupport::Colar(f->txtHistorico, emoji);
    EXPECT_EQ(f->txtHistorico->text(), QStringLiteral("AB") + emoji);
}
