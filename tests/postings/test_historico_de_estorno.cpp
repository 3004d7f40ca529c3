// The history of a reversal as the windows ask for it: the box again until
// the answer is taken, each message shown in between.
#include "core/escrita/HistoricoDeEstorno.h"
#include "platform/ui/GuiTest.h"
#include "ui/PerguntarAte.h"

using testsupport::Script;

namespace {

std::optional<QString> pedir() {
    return ui::PerguntarAte(core::escrita::kPromptHistoricoEstorno,
                            [](const QString &r) { return core::escrita::AvaliarHistoricoDeEstorno(r); });
}

} // namespace

TEST(HistoricoDeEstorno, AsksAgainUntilTheAnswerFitsAndKeepsItsBlanks) {
    testsupport::qtApp();
    Script s;
    s.text(QStringLiteral("d'agua")).ok().text(QStringLiteral("a \"b\"")).ok().text(QString(51, QLatin1Char('x'))).ok()
        .text(QStringLiteral("  volta ao caixa "));
    EXPECT_EQ(pedir(), std::optional<QString>(QStringLiteral("  VOLTA AO CAIXA ")));
    EXPECT_EQ(s.shownTexts(), (QStringList{core::escrita::kPromptHistoricoEstorno, core::escrita::kMsgAspasHistorico,
                                           core::escrita::kPromptHistoricoEstorno, core::escrita::kMsgAspasHistorico,
                                           core::escrita::kPromptHistoricoEstorno, core::escrita::kMsgHistoricoEstornoLongo,
                                           core::escrita::kPromptHistoricoEstorno}));
    s.clear();
    s.text(QString(50, QLatin1Char('y')));
    EXPECT_EQ(pedir(), std::optional<QString>(QString(50, QLatin1Char('Y'))));
    for (const QString &vazio : {QString(), QStringLiteral("   ")}) {
        s.clear();
        s.text(vazio).ok();
        EXPECT_EQ(pedir(), std::nullopt);
        EXPECT_EQ(s.shownTexts().last(), core::escrita::kMsgHistoricoEstornoVazio);
    }
}
