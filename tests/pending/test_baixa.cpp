// Settling and taking back from the pending list, single postings and transfers.
#include "PendenciasFixture.h"

#include "db/Schema.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Workspace.h"
#include "platform/ui/Input.h"
#include "core/escrita/Operacoes.h"

#include <sqlite3.h>

using testsupport::Script;

namespace {
const QString kFalhaBaixa = QStringLiteral(
    "A baixa do lançamento não ocorreu. Um motivo pode ser o de outro usuário ter acabado de estorná-lo ou baixá-lo.\n"
    "Atualize sua pesquisa.");
}

TEST_F(Pendencias, SettlingEachCodeByEachAnswerMovesTheBalancesAsTheOracleSays) {
    plano();
    conta(QStringLiteral("001.001.001"), QStringLiteral("CAIXA FILIAL"));
    tipo(QStringLiteral("003.001"), QStringLiteral("SALARIO EXTRA"));
    const QDate d = hoje().addDays(-30);
    lancar("001", "003", 10000, d.addDays(-1));
    const long receita = lancar("001.001.001", "003.001", 15000, d);
    const long despesa = lancar("001.001", "004", -4321, d);
    lancar("001", "003.001", 77, d.addDays(1));
    lancar("002", "004", -5, d.addDays(2));
    auto *f = abrirLista();
    struct Caso {
        const char *antes;
        int resposta;
        const char *depois;
    };
    // From '?' by Yes and No, then from what each answer left.
    const Caso casos[] = {{"?", platform::ui::vbYes, "S"}, {"S", platform::ui::vbYes, "S"}, {"S", platform::ui::vbNo, "N"},
                          {"N", platform::ui::vbNo, "N"}, {"N", platform::ui::vbYes, "S"}, {"S", platform::ui::vbNo, "N"}};
    for (long id : {receita, despesa}) {
        for (const Caso &c : casos) {
            selecionar(f, id);
            ASSERT_EQ(f->Fgrid->TextMatrix(f->Fgrid->RowSel(), 1), QString::fromLatin1(c.antes));
            Script s;
            s.push(platform::ui::ModalAnswer::Button(c.resposta)).ok();
            f->cmdBaixar_Click();
            EXPECT_EQ(s.shown()[0].text, pending::kPerguntaRealizou);
            EXPECT_EQ(s.shown()[0].style, platform::ui::vbYesNo);
            EXPECT_EQ(s.shownTexts().last(), QStringLiteral("Baixa realizada com sucesso!"));
            EXPECT_EQ(codigo(id), QString::fromLatin1(c.depois));
            EXPECT_EQ(f->Fgrid->TextMatrix(f->Fgrid->RowSel(), 1), QString::fromLatin1(c.depois));
            EXPECT_EQ(f->Linhas().value(QString::number(f->Fgrid->RowData(f->Fgrid->RowSel()))).Realizado,
                      QString::fromLatin1(c.depois));
            oraculo();
        }
    }
    // Taking back: from 'N' (balances return), from 'S', and '?' refused before the question.
    for (long id : {receita, despesa}) {
        selecionar(f, id);
        Script s;
        s.yes().ok();
        f->cmdRemBaixa_Click();
        EXPECT_EQ(s.shownTexts(), (QStringList{QStringLiteral("Confirma a remoção da baixa do lançamento selecionado?"),
                                               QStringLiteral("Remoção de baixa realizada com sucesso!")}));
        EXPECT_EQ(codigo(id), QStringLiteral("?"));
        EXPECT_EQ(f->Fgrid->TextMatrix(f->Fgrid->RowSel(), 1), QStringLiteral("?"));
        oraculo();
        s.clear();
        s.ok();
        f->cmdRemBaixa_Click();
        EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("O lançamento selecionado não foi baixado para ter sua baixa removida.")});
    }
    selecionar(f, receita);
    Script s;
    s.yes().ok().yes().ok();
    f->cmdBaixar_Click();
    f->cmdRemBaixa_Click();
    EXPECT_EQ(codigo(receita), QStringLiteral("?"));
    // No at the take-back question writes nothing.
    s.clear();
    s.no().ok();
    f->cmdBaixar_Click();
    s.no();
    f->cmdRemBaixa_Click();
    EXPECT_EQ(codigo(receita), QStringLiteral("N"));
    oraculo();
}

TEST_F(Pendencias, AnAnswerOtherThanYesOrNoWritesNothing) {
    plano();
    const long id = lancar("001", "003", 100, hoje());
    auto *f = abrirLista();
    for (int resposta : {0, platform::ui::vbCancel}) {
        Script s;
        s.push(platform::ui::ModalAnswer::Button(resposta));
        f->cmdBaixar_Click();
        EXPECT_EQ(codigo(id), QStringLiteral("?"));
        EXPECT_EQ(f->Fgrid->TextMatrix(1, 1), QStringLiteral("?"));
    }
    ASSERT_EQ(core::escrita::Baixar(*db, kOnde, id, 0, QStringLiteral("?"), QStringLiteral("S")), core::escrita::Desfecho::Gravado);
    f->Fgrid->setTextMatrix(1, 1, QStringLiteral("S"));
    const_cast<core::escrita::CRowData &>(*f->Linhas().find(QString::number(f->Fgrid->RowData(1)))).Realizado = QStringLiteral("S");
    Script s;
    s.push(platform::ui::ModalAnswer::Button(platform::ui::vbCancel));
    f->cmdRemBaixa_Click();
    EXPECT_EQ(codigo(id), QStringLiteral("S"));
}

TEST_F(Pendencias, RefusalsComeBeforeAnyQuestion) {
    plano();
    const long reversed = lancar("001", "003", 100, hoje());
    const long outra = lancar("002", "004", 200, hoje());
    const auto t = transferir("001", "002", 300, hoje());
    auto *f = abrirLista();
    ASSERT_EQ(core::escrita::Estornar(*db, kOnde, reversed, QStringLiteral("X"), 1), core::escrita::Desfecho::Gravado);
    Script s;
    // Reversed by another copy after the list was read: the guard answers.
    selecionar(f, reversed);
    s.yes().ok();
    f->cmdBaixar_Click();
    EXPECT_EQ(s.shownTexts().last(), kFalhaBaixa);
    EXPECT_EQ(f->Fgrid->TextMatrix(f->Fgrid->RowSel(), 1), QStringLiteral("?")) << "the grid keeps its code";
    EXPECT_TRUE(f->IsLoaded());
    // A common user without write permission on the type; without the transfer right.
    comum();
    permissao(1, QStringLiteral("002"), 3);
    permissao(2, QStringLiteral("004"), 1);
    auto *g = abrirLista();
    s.clear();
    selecionar(g, outra);
    s.ok();
    g->cmdBaixar_Click();
    EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Você não tem permissão de gravação nesta conta ou tipo de receita/despesa.")});
    EXPECT_EQ(s.shown()[0].style, 0);
    db->Execute(QStringLiteral("UPDATE PermissoesDeUsuarios SET Permissoes = 3"));
    permissao(2, QStringLiteral("001"), 1);
    auto *h = abrirLista();
    EXPECT_FALSE(h->PodeTransferir());
    s.clear();
    selecionar(h, t.idEntrada);
    s.ok();
    h->cmdBaixar_Click();
    EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("O lançamento refere-se a uma transferência e você não tem permissão "
                                                         "para baixar uma transferência.")});
    EXPECT_EQ(codigo(t.idEntrada), QStringLiteral("?"));
    EXPECT_EQ(codigo(outra), QStringLiteral("?"));
}

TEST_F(Pendencias, ATransferIsSettledAndTakenBackFromEitherLegTogether) {
    plano();
    conta(QStringLiteral("002.001"), QStringLiteral("BANCO POUPANCA"));
    const QDate d = hoje().addDays(-10);
    lancar("001", "003", 50000, d.addDays(-1));
    const auto t = transferir("001.001", "002.001", 20000, d);
    lancar("002", "004", -300, d.addDays(1));
    transferir("002.001", "001", 100, d.addDays(2));
    auto *f = abrirLista();
    struct Passo {
        bool pelaEntrada;
        bool remover;
        int resposta;
        const char *depois;
        const char *aviso;
    };
    const Passo passos[] = {
        {false, false, platform::ui::vbNo, "N", "Por ser este o lançamento de origem de uma transferência, o lançamento de destino "
                                      "também será baixado."},
        {true, false, platform::ui::vbYes, "S", "Por ser este o lançamento de destino de uma transferência, o lançamento de origem "
                                      "também será baixado."},
        {true, false, platform::ui::vbNo, "N", nullptr},
        {false, true, 0, "?", "Por ser este o lançamento de origem de uma transferência, o lançamento de destino também "
                              "terá a baixa removida."},
        {true, false, platform::ui::vbYes, "S", nullptr},
        {true, true, 0, "?", "Por ser este o lançamento de destino de uma transferência, o lançamento de origem também "
                             "terá a baixa removida"},
    };
    for (const Passo &p : passos) {
        selecionar(f, p.pelaEntrada ? t.idEntrada : t.idSaida);
        Script s;
        s.ok();
        if (!p.remover) s.push(platform::ui::ModalAnswer::Button(p.resposta));
        s.ok();
        if (p.remover) f->cmdRemBaixa_Click();
        else f->cmdBaixar_Click();
        if (p.aviso) {
            EXPECT_EQ(s.shownTexts().first(), QString::fromUtf8(p.aviso));
        }
        EXPECT_EQ(s.shownTexts().last(), p.remover ? QStringLiteral("Baixa removida com sucesso!")
                                                   : QStringLiteral("Baixa realizada com sucesso!"));
        for (long id : {t.idSaida, t.idEntrada}) {
            EXPECT_EQ(codigo(id), QString::fromLatin1(p.depois));
            EXPECT_EQ(f->Fgrid->TextMatrix(linhaDe(f, id), 1), QString::fromLatin1(p.depois));
        }
        oraculo();
    }
}

TEST_F(Pendencias, TransferLegsThatDisagreeOrAreMissingChangeNothingAndClose) {
    plano();
    const auto t = transferir("001", "002", 4000, hoje().addDays(-1));
    const auto u = transferir("002", "001", 100, hoje().addDays(-1));
    auto *f = abrirLista();
    // Origin settled 'N' behind the window's back (balances moved with it):
    // settling the destination as 'N' would change one row and move the origin twice.
    ASSERT_EQ(core::escrita::Baixar(*db, kOnde, t.idSaida, t.idEntrada, QStringLiteral("?"), QStringLiteral("N")),
              core::escrita::Desfecho::Gravado);
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Realizado = '?' WHERE Id = %1").arg(t.idEntrada));
    Script s;
    selecionar(f, t.idEntrada);
    s.ok().no().ok();
    f->cmdBaixar_Click();
    EXPECT_EQ(s.shownTexts().last(), kFalhaBaixa);
    EXPECT_EQ(codigo(t.idEntrada), QStringLiteral("?"));
    EXPECT_EQ(codigo(t.idSaida), QStringLiteral("N"));
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Realizado = 'N' WHERE Id = %1").arg(t.idEntrada));
    oraculo();
    // Two incoming legs: the missing-leg message, nothing written, the window closes.
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Transferencia = 2 WHERE Id = %1").arg(u.idSaida));
    s.clear();
    selecionar(f, u.idEntrada);
    s.ok().ok();
    f->cmdBaixar_Click();
    EXPECT_EQ(s.shownTexts().last(), core::escrita::kMsgFaltaPerna);
    EXPECT_EQ(codigo(u.idEntrada), QStringLiteral("?"));
    platform::ui::DoEvents();
    EXPECT_FALSE(f->IsLoaded());
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Transferencia = 1 WHERE Id = %1").arg(u.idSaida));
    // The other leg deleted.
    db->Execute(QStringLiteral("DELETE FROM Lancamentos WHERE Id = %1").arg(u.idSaida));
    auto *g = abrirLista();
    s.clear();
    selecionar(g, u.idEntrada);
    s.ok().ok();
    g->cmdRemBaixa_Click(); // '?': refused before the legs are read
    s.clear();
    s.ok().ok();
    g->cmdBaixar_Click();
    EXPECT_EQ(s.shownTexts().last(), core::escrita::kMsgFaltaPerna);
    platform::ui::DoEvents();
    EXPECT_FALSE(g->IsLoaded());
    // Put the book back as a whole for the oracle.
    db->Execute(QStringLiteral("DELETE FROM Lancamentos WHERE Id = %1").arg(u.idEntrada));
    db->Execute(QStringLiteral("DELETE FROM Transferencias WHERE SerialEntra = %1").arg(u.idEntrada));
    db->Execute(QStringLiteral("UPDATE Serial SET Serial = (SELECT MAX(Id) FROM Lancamentos)"));
}

TEST_F(Pendencias, ACommonUserIsRefusedNamingTheSameLegsAccountFromEitherLeg) {
    plano();
    const auto t = transferir("001", "002", 4000, hoje());
    comum();
    permissao(1, QStringLiteral("001"), 3);
    permissao(1, QStringLiteral("002"), 1);
    permissao(2, QStringLiteral("001"), 3);
    for (long serial : {t.idSaida, t.idEntrada}) {
        auto *f = abrirLista();
        ASSERT_TRUE(f->PodeTransferir());
        Script s;
        selecionar(f, serial);
        s.ok().ok();
        f->cmdBaixar_Click();
        EXPECT_EQ(s.shownTexts().last(),
                  QStringLiteral("Você não pode fazer esta baixa por não ter permissão de gravação na conta 'BANCO' de um "
                                 "dos lançamentos criados na tranferência que está sendo baixada."));
        EXPECT_EQ(codigo(serial), QStringLiteral("?"));
        platform::ui::DoEvents();
        EXPECT_FALSE(f->IsLoaded());
    }
}

TEST_F(Pendencias, AFileKeptBusyDuringASettlementShowsTheLockMessageAndKeepsTheWindow) {
    plano();
    const long id = lancar("001", "003", 100, hoje());
    const auto t = transferir("001", "002", 4000, hoje());
    auto *f = abrirLista();
    dao::Workspace ws;
    auto outra = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), ws);
    ws.BeginTrans();
    outra->Execute(QStringLiteral("UPDATE Serial SET Serial = Serial"));
    sqlite3_busy_timeout(db->handle(), 50);
    for (long serial : {id, t.idEntrada}) {
        Script s;
        selecionar(f, serial);
        if (serial != id) s.ok();
        s.no().ok();
        f->cmdBaixar_Click();
        EXPECT_EQ(s.shownTexts().last(), core::escrita::kMsgBloqueio);
        EXPECT_EQ(codigo(serial), QStringLiteral("?"));
        EXPECT_EQ(f->Fgrid->TextMatrix(f->Fgrid->RowSel(), 1), QStringLiteral("?"));
        platform::ui::DoEvents();
        EXPECT_TRUE(f->IsLoaded());
    }
    ws.Rollback();
    Script s;
    selecionar(f, id);
    s.no().ok();
    f->cmdBaixar_Click();
    EXPECT_EQ(codigo(id), QStringLiteral("N"));
}

// Taking back an 'N' brings the posting into the balances again; past the range
// of money the write core refuses, and the user is told why, for a single
// posting and for a transfer alike.
TEST_F(Pendencias, ARefusedSettlementTellsTheReasonAndKeepsTheCode) {
    plano();
    const QDate d = hoje().addDays(-10);
    const long sozinho = lancar("001", "003", 10000, d);
    const core::escrita::TransferenciaFeita t = transferir("001", "002", 10000, d);
    auto *f = abrirLista();
    for (long id : {sozinho, t.idSaida}) {
        selecionar(f, id);
        Script s;
        if (id == t.idSaida) s.ok(); // both legs are settled
        s.no().ok();
        f->cmdBaixar_Click();
        ASSERT_EQ(codigo(id), QStringLiteral("N"));
    }
    // Out of the balances, the two leave room for the largest sum but 50,00:
    // in the type of the single posting and in the account the transfer comes
    // into (its outgoing leg only lowers the balances it moves).
    core::escrita::NovoLancamento l;
    l.codConta = QStringLiteral("002");
    l.codRecDesp = QStringLiteral("003");
    l.valor = value::Currency::fromUnits(std::numeric_limits<std::int64_t>::max() - 500000);
    l.data = d.addDays(5);
    l.historico = QStringLiteral("GRANDE");
    ASSERT_EQ(core::escrita::Lancar(*db, kOnde, l, 1), core::escrita::Desfecho::Gravado);
    for (long id : {sozinho, t.idSaida}) {
        SCOPED_TRACE(id == sozinho ? "single posting" : "transfer");
        selecionar(f, id);
        Script s;
        if (id == t.idSaida) s.ok(); // both legs are taken back
        else s.yes();                // "Confirma a remoção ..."
        s.ok();
        f->cmdRemBaixa_Click();
        EXPECT_EQ(s.shownTexts().last(), core::escrita::kMsgForaDoLimite);
        EXPECT_EQ(codigo(id), QStringLiteral("N"));
        EXPECT_EQ(f->Fgrid->TextMatrix(f->Fgrid->RowSel(), 1), QStringLiteral("N"));
        oraculo();
    }
    EXPECT_EQ(codigo(t.idEntrada), QStringLiteral("N"));
}
