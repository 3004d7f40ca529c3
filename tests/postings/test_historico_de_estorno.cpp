// The history of a reversal as the windows ask for it: the box again until
// the answer is taken, each message shown in between.
#include "core/escrita/HistoricoDeEstorno.h"
#include "platform/ui/GuiTest.h"
#include "ui/PerguntarAte.h"

using testsupport::Script;

namespace {

std::optional<QString> pedir() {
    return fin::PerguntarAte(postings::kPromptHistoricoEstorno,
                             [](const QString &r) { return postings::AvaliarHistoricoDeEstorno(r); });
}

} // namespace

TEST(HistoricoDeEstorno, AsksAgainUntilTheAnswerFitsAndKeepsItsBlanks) {
    testsupport::qtApp();
    Script s;
    s.text(QStringLiteral("d'agua")).ok().text(QStringLiteral("a \"b\"")).ok().text(QString(51, QLatin1Char('x'))).ok()
        .text(QStringLiteral("  volta ao caixa "));
    EXPECT_EQ(pedir(), std::optional<QString>(QStringLiteral("  VOLTA AO CAIXA ")));
    EXPECT_EQ(s.shownTexts(), (QStringList{postings::kPromptHistoricoEstorno, postings::kMsgAspasHistorico,
                                           postings::kPromptHistoricoEstorno, postings::kMsgAspasHistorico,
                                           postings::kPromptHistoricoEstorno, postings::kMsgHistoricoEstornoLongo,
                                           postings::kPromptHistoricoEstorno}));
    s.clear();
    s.text(QString(50, QLatin1Char('y')));
    EXPECT_EQ(pedir(), std::optional<QString>(QString(50, QLatin1Char('Y'))));
    for (const QString &vazio : {QString(), QStringLiteral("   ")}) {
        s.clear();
        s.text(vazio).ok();
        EXPECT_EQ(pedir(), std::nullopt);
        EXPECT_EQ(s.shownTexts().last(), postings::kMsgHistoricoEstornoVazio);
    }
}
