// Reversing from the pending list: one posting, and both legs of a transfer.
#include "PendenciasFixture.h"

#include "db/Schema.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Workspace.h"
#include "platform/ui/Input.h"
#include "core/escrita/HistoricoDeEstorno.h"
#include "core/escrita/Permissoes.h"

#include <sqlite3.h>

using testsupport::Script;

namespace {
const QString kNaoEstornou = QStringLiteral(
    "Não foi possível estornar o lançamento selecionado. Uma possível causa é que ele já tenha sido estornado por outro "
    "usuário ou baixado como não realizado. Verifique.");
}

TEST_F(Pendencias, ReversingAPostingWritesItsCompensationAndAppendsItsRow) {
    plano();
    const QDate d = hoje().addDays(-5);
    const long alvo = lancar("001.001", "003", 15000, d, QStringLiteral("NF'7"));
    const long semDoc = lancar("002", "004", -2500, d.addDays(1));
    lancar("001", "004", -100, d.addDays(2));
    auto *f = abrirLista();
    Script s;
    selecionar(f, alvo);
    s.yes().text(QStringLiteral("  volta de caixa ")).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts(), (QStringList{QStringLiteral("Confirma o estorno do lançamento selecionado?"),
                                           core::escrita::kPromptHistoricoEstorno, QStringLiteral("Estorno realizado com sucesso!")}));
    const long novo = serial();
    EXPECT_EQ(texto(QStringLiteral("SELECT Historico FROM Lancamentos WHERE Id = %1").arg(novo)), QStringLiteral("  VOLTA DE CAIXA "));
    EXPECT_EQ(texto(QStringLiteral("SELECT Documento FROM Lancamentos WHERE Id = %1").arg(novo)), QStringLiteral("NF'7"));
    EXPECT_EQ(codigo(alvo), QStringLiteral("E"));
    const int r = f->Fgrid->Rows() - 1;
    EXPECT_EQ(f->Fgrid->RowSel(), r) << "the reversal's row is selected";
    const QStringList esperado{QString(), QStringLiteral("E"), d.toString(QStringLiteral("dd/MM/yyyy")), QStringLiteral("-150,00"),
                               QStringLiteral("CAIXA EMPRESA"), QStringLiteral("SALARIO"), QStringLiteral("NF'7"),
                               QStringLiteral("  VOLTA DE CAIXA ")};
    for (int c = 0; c < 8; ++c) EXPECT_EQ(f->Fgrid->TextMatrix(r, c), esperado[c]) << c;
    EXPECT_EQ(f->Fgrid->TextMatrix(linhaDe(f, alvo), 1), QStringLiteral("E"));
    const core::escrita::CRowData reg = f->Linhas().value(QString::number(f->Fgrid->RowData(r)));
    EXPECT_TRUE(reg.Estorno);
    EXPECT_EQ(reg.Serial, novo);
    EXPECT_EQ(reg.DataId, core::escrita::MontarDataId(d, novo));
    oraculo();
    // Neither row can be reversed again; a posting without document gives a NULL one.
    s.clear();
    s.ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), QStringLiteral("Este lançamento já é um estorno e estornos não podem ser estornados. Faça "
                                                    "um novo lançamento normal para compensar o estorno."));
    selecionar(f, alvo);
    s.ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), QStringLiteral("Este lançamento já foi estornado."));
    selecionar(f, semDoc);
    s.yes().text(QStringLiteral("X")).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Id = %1 AND Documento IS NULL").arg(serial())), 1);
    oraculo();
}

TEST_F(Pendencias, ReversalRefusalsAndConflictsWriteNothing) {
    plano();
    const long a = lancar("001", "003", 100, hoje());
    const long b = lancar("002", "004", 200, hoje());
    const long c = lancar("001", "004", 300, hoje());
    auto *f = abrirLista();
    const qint64 antes = lancamentos();
    Script s;
    // No, a blank history, a long one asked again then blank.
    selecionar(f, a);
    s.no();
    f->cmdEstornar_Click();
    s.yes().text(QStringLiteral("   ")).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), core::escrita::kMsgHistoricoEstornoVazio);
    s.yes().text(QString(51, QLatin1Char('a'))).ok().text(QString()).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(lancamentos(), antes);
    // Settled 'N' meanwhile by another copy: the guarded mark refuses.
    ASSERT_EQ(core::escrita::Baixar(*db, kOnde, a, 0, QStringLiteral("?"), QStringLiteral("N")), core::escrita::Desfecho::Gravado);
    s.clear();
    s.yes().text(QStringLiteral("H")).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), kNaoEstornou);
    EXPECT_EQ(serial(), antes) << "the counter's advance is undone";
    // The account deactivated after the list was read.
    db->Execute(QStringLiteral("UPDATE Contas SET Inativa = True WHERE Codigo = '002'"));
    selecionar(f, b);
    s.clear();
    s.yes().text(QStringLiteral("H")).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), QStringLiteral("Não foi possível incluir o estorno.\nPossível causa: a conta foi desativada."));
    EXPECT_EQ(codigo(b), QStringLiteral("?"));
    EXPECT_EQ(f->Fgrid->TextMatrix(linhaDe(f, b), 1), QStringLiteral("?"));
    // Another copy holds the file.
    dao::Workspace ws;
    auto outra = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), ws);
    ws.BeginTrans();
    outra->Execute(QStringLiteral("UPDATE Serial SET Serial = Serial"));
    sqlite3_busy_timeout(db->handle(), 50);
    selecionar(f, c);
    s.clear();
    s.yes().text(QStringLiteral("H")).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), core::escrita::kMsgBloqueio);
    ws.Rollback();
    EXPECT_EQ(lancamentos(), antes);
    EXPECT_TRUE(f->IsLoaded());
    // A common user without write permission on the type is refused before the prompt.
    comum();
    permissao(1, QStringLiteral("001"), 3);
    permissao(2, QStringLiteral("004"), 1);
    auto *g = abrirLista();
    selecionar(g, c);
    s.clear();
    s.yes().ok();
    g->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), core::escrita::kMsgSemPermissaoGravacao);
    EXPECT_EQ(lancamentos(), antes);
}

TEST_F(Pendencias, ReversingATransferFromEitherLegReversesBothInOneGo) {
    plano();
    const QDate d = hoje().addDays(-3);
    lancar("002", "003", 90000, d.addDays(-1));
    for (bool pelaEntrada : {true, false}) {
        const auto t = transferir("001.001", "002", 20000, d, QStringLiteral("TR'1"));
        lancar("001", "004", -700, d.addDays(1));
        auto *f = abrirLista();
        const qint64 s0 = serial();
        Script s;
        selecionar(f, pelaEntrada ? t.idEntrada : t.idSaida);
        s.yes().ok().text(QStringLiteral("desfaz"));
        f->cmdEstornar_Click();
        EXPECT_EQ(s.shownTexts()[1],
                  pelaEntrada ? QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de "
                                               "origem também será estornado e com o mesmo histórico que você informar aqui.")
                              : QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de "
                                               "destino também será estornado e com o mesmo histórico que você informar aqui."));
        EXPECT_EQ(s.shownTexts().size(), 3) << "no success message";
        // The outgoing leg's reversal first: Transferencia 1, the smaller Id.
        EXPECT_EQ(numero(QStringLiteral("SELECT Transferencia FROM Lancamentos WHERE Id = %1").arg(s0 + 1)), 1);
        EXPECT_EQ(numero(QStringLiteral("SELECT Valor FROM Lancamentos WHERE Id = %1").arg(s0 + 1)), 200);
        EXPECT_EQ(numero(QStringLiteral("SELECT Transferencia FROM Lancamentos WHERE Id = %1").arg(s0 + 2)), 0);
        EXPECT_EQ(texto(QStringLiteral("SELECT Documento FROM Lancamentos WHERE Id = %1").arg(s0 + 1)), QStringLiteral("TR'1"));
        for (long id : {t.idSaida, t.idEntrada}) {
            EXPECT_EQ(codigo(id), QStringLiteral("E"));
            EXPECT_EQ(f->Fgrid->TextMatrix(linhaDe(f, id), 1), QStringLiteral("E"));
            EXPECT_TRUE(f->Linhas().value(QString::number(f->Fgrid->RowData(linhaDe(f, id)))).Estornado);
        }
        const int n = f->Fgrid->Rows();
        EXPECT_EQ(f->Fgrid->TextMatrix(n - 2, 3), QStringLiteral("-200.00")) << "the incoming leg's reversal first";
        EXPECT_EQ(f->Fgrid->TextMatrix(n - 2, 5), QStringLiteral("TRANSFERÊNCIAS ENTRE CONTAS"));
        EXPECT_EQ(f->Fgrid->TextMatrix(n - 1, 3), QStringLiteral("200.00"));
        EXPECT_EQ(f->Fgrid->TextMatrix(n - 1, 4), QStringLiteral("CAIXA EMPRESA"));
        EXPECT_EQ(f->Fgrid->TextMatrix(n - 1, 6), QStringLiteral("TR'1"));
        EXPECT_EQ(f->Fgrid->TextMatrix(n - 1, 7), QStringLiteral("DESFAZ"));
        EXPECT_EQ(f->Linhas().value(QString::number(f->Fgrid->RowData(n - 1))).Transferencia, 1);
        EXPECT_EQ(f->Linhas().value(QString::number(f->Fgrid->RowData(n - 2))).Transferencia, 2);
        oraculo();
        f->Unload();
    }
}

TEST_F(Pendencias, TransferReversalFailuresCloseTheWindowOrKeepItAsEachCaseAsks) {
    plano();
    const auto t = transferir("001", "002", 5000, hoje());
    comum();
    permissao(1, QStringLiteral("001"), 3);
    permissao(1, QStringLiteral("002"), 1);
    permissao(2, QStringLiteral("001"), 3);
    // A common user: refused naming the account he may not write to; the window closes.
    auto *f = abrirLista();
    Script s;
    selecionar(f, t.idEntrada);
    s.yes().ok().ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(),
              QStringLiteral("Você não pode fazer este estorno por não ter permissão de gravação na conta 'BANCO' de um dos "
                             "lançamentos criados na tranferência que está sendo estornada."));
    platform::ui::DoEvents();
    EXPECT_FALSE(f->IsLoaded());
    // The destination account deactivated: everything undone, the window stays.
    ui::gIdUsuario = 1;
    ui::gTipoUsuario = 1;
    f = abrirLista();
    db->Execute(QStringLiteral("UPDATE Contas SET Inativa = True WHERE Codigo = '002'"));
    s.clear();
    selecionar(f, t.idSaida);
    s.yes().ok().text(QStringLiteral("H")).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), QStringLiteral("Não foi possível incluir o estorno.\nPossível causa: a conta 'BANCO' foi desativada."));
    EXPECT_EQ(lancamentos(), 2);
    platform::ui::DoEvents();
    EXPECT_TRUE(f->IsLoaded());
    db->Execute(QStringLiteral("UPDATE Contas SET Inativa = False"));
    // A blank history keeps it open; the first leg reversed meanwhile closes it.
    s.clear();
    s.yes().ok().text(QString()).ok();
    f->cmdEstornar_Click();
    platform::ui::DoEvents();
    EXPECT_TRUE(f->IsLoaded());
    ASSERT_EQ(core::escrita::Baixar(*db, kOnde, t.idSaida, t.idEntrada, QStringLiteral("?"), QStringLiteral("N")),
              core::escrita::Desfecho::Gravado);
    s.clear();
    s.yes().ok().text(QStringLiteral("H")).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), kNaoEstornou);
    platform::ui::DoEvents();
    EXPECT_FALSE(f->IsLoaded());
    EXPECT_EQ(lancamentos(), 2);
}

TEST_F(Pendencias, TheReversalsRowsComeIntoViewSelected) {
    plano();
    std::vector<long> ids;
    for (int i = 0; i < 40; ++i) ids.push_back(lancar("001", "003", 100 + i, hoje().addDays(-40 + i)));
    const auto t = transferir("001", "002", 700, hoje().addDays(-50));
    auto *f = abrirLista();
    platform::ui::DoEvents();
    auto naVista = [&](int r) {
        const int y = f->Fgrid->rowViewportPosition(r);
        return y >= 0 && y + f->Fgrid->rowHeight(r) <= f->Fgrid->viewport()->height();
    };
    EXPECT_TRUE(naVista(f->Fgrid->Rows() - 1)) << "the newest row after the load";
    for (long id : {ids[0], t.idSaida}) {
        selecionar(f, id);
        f->Fgrid->scrollToTop();
        Script s;
        if (id == t.idSaida) s.yes().ok().text(QStringLiteral("H"));
        else s.yes().text(QStringLiteral("H")).ok();
        f->cmdEstornar_Click();
        EXPECT_EQ(f->Fgrid->RowSel(), f->Fgrid->Rows() - 1);
        EXPECT_TRUE(naVista(f->Fgrid->Rows() - 1)) << id;
    }
    oraculo();
}
