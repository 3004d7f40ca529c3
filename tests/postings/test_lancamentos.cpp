// The posting window: validation, the posting command, reversals, transfers
// and their reversal, the choosers and the view hints; every write ends with
// the balance oracle (fixture teardown).
#include "LancamentosFixture.h"

#include "ui/Views.h"
#include "db/CDaoTrans.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Workspace.h"
#include "platform/ui/Input.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "postings/frmTrans.h"
#include "db/Schema.h"
#include "platform/err/AppError.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <sqlite3.h>

using testsupport::Script;
using value::Currency;

namespace {

Currency reais(qint64 centavos) { return Currency::fromUnits(centavos * 100); }

} // namespace

// ---- Validar ------------------------------------------------------------------------

TEST_F(Lancamentos, ValidarChecksInOrderAndStopsAtTheFirstFault) {
    plano();
    auto *f = abrir();
    struct Caso {
        const char *nome;
        QString conta, contaTexto, tipo, tipoTexto, data, doc, entrada, saida, hist;
        QString msg;
        int estilo;
        QWidget *foco;
    };
    const QString ok = QStringLiteral("CAIXA"), sal = QStringLiteral("SALARIO"), d = QStringLiteral("10/03/2008");
    const QString h = QStringLiteral("H");
    const std::vector<Caso> casos = {
        {"nothing chosen", {}, {}, {}, {}, {}, {}, {}, {}, {}, QStringLiteral("Faltando informar a conta."), 64, f->cbContas},
        {"account blanks", {}, QStringLiteral("   "), {}, {}, d, {}, {}, {}, h, QStringLiteral("Faltando informar a conta."), 64, f->cbContas},
        {"account text", {}, QStringLiteral("XYZ"), {}, QStringLiteral("Q"), d, {}, {}, {}, h, QStringLiteral("Conta inválida."), 0, f->cbContas},
        {"type text", ok, {}, {}, QStringLiteral("Q"), d, {}, {}, {}, h, QStringLiteral("Receita/Despesa inválida."), 0, f->cbTiposMov},
        {"type missing", ok, {}, {}, {}, d, {}, {}, {}, h, QStringLiteral("Faltando informar o tipo de receita/despesa."), 64, f->cbTiposMov},
        {"date of 9", ok, {}, sal, {}, QStringLiteral("10/03/200"), {}, QStringLiteral("1,00"), {}, h,
         QStringLiteral("Data incompleta. Deve ser no formato dd/mm/aaaa ou dd/mm/aa."), 0, f->txtData},
        {"no date", ok, {}, sal, {}, {}, {}, QStringLiteral("1,00"), {}, h,
         QStringLiteral("Data incompleta. Deve ser no formato dd/mm/aaaa ou dd/mm/aa."), 0, f->txtData},
        {"31 feb", ok, {}, sal, {}, QStringLiteral("31/02/2008"), {}, QStringLiteral("1,00"), {}, h, QStringLiteral("Data inválida."), 0, f->txtData},
        {"doc apostrophe", ok, {}, sal, {}, d, QStringLiteral("N'1"), QStringLiteral("1,00"), {}, h,
         QStringLiteral("Caracteres de aspas duplas ou simples não são permitidos em documento."), 0, f->txtDoc},
        {"doc quote", ok, {}, sal, {}, d, QStringLiteral("N\"1"), QStringLiteral("1,00"), {}, h,
         QStringLiteral("Caracteres de aspas duplas ou simples não são permitidos em documento."), 0, f->txtDoc},
        {"no amount", ok, {}, sal, {}, d, {}, {}, {}, h, QStringLiteral("Faltando informar valor."), 0, nullptr},
        {"both amounts", ok, {}, sal, {}, d, {}, QStringLiteral("1,00"), QStringLiteral("2,00"), h,
         QStringLiteral("Erro: valor deve ser informado ou para entrada ou para saída, nunca para ambos."), 0, nullptr},
        {"income too big", ok, {}, sal, {}, d, {}, QStringLiteral("100.000.000,00"), {}, h,
         QStringLiteral("O valor máximo para entrada é de 99.999.999,99"), 64, f->txtEntrada},
        {"expense too big", ok, {}, sal, {}, QStringLiteral("10/03/08"), {}, {}, QStringLiteral("100.000.000,00"), h,
         QStringLiteral("O valor máximo para saída é de 99.999.999,99"), 64, f->txtSaida},
        // The maximum holds for the magnitude: a minus sign does not pass it.
        {"negative income too big", ok, {}, sal, {}, d, {}, QStringLiteral("-999999999999"), {}, h,
         QStringLiteral("O valor máximo para entrada é de 99.999.999,99"), 64, f->txtEntrada},
        {"negative income one cent past", ok, {}, sal, {}, d, {}, QStringLiteral("-100000000,00"), {}, h,
         QStringLiteral("O valor máximo para entrada é de 99.999.999,99"), 64, f->txtEntrada},
        {"negative expense too big", ok, {}, sal, {}, d, {}, {}, QStringLiteral("-922337203685"), h,
         QStringLiteral("O valor máximo para saída é de 99.999.999,99"), 64, f->txtSaida},
        {"negative income at the maximum", ok, {}, sal, {}, d, {}, QStringLiteral("-99999999,99"), {}, h, {}, 0, nullptr},
        {"negative expense at the maximum", ok, {}, sal, {}, d, {}, {}, QStringLiteral("-99.999.999,99"), h, {}, 0, nullptr},
        {"history blanks", ok, {}, sal, {}, d, {}, QStringLiteral("99.999.999,99"), {}, QStringLiteral("  "),
         QStringLiteral("Faltando informar histórico."), 0, f->txtHistorico},
        {"history apostrophe", ok, {}, sal, {}, d, {}, {}, QStringLiteral("1,00"), QStringLiteral("D'AGUA"),
         QStringLiteral("Caracteres de aspas duplas ou simples não são permitidos em histórico. Favor tentar novamente."), 0,
         f->txtHistorico},
        {"all good", ok, {}, sal, {}, QStringLiteral("10/03/08"), QStringLiteral("NF 1"), {}, QStringLiteral("99.999.999,99"), h,
         {}, 0, nullptr},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        f->Limpar();
        preencher(f, c.conta, c.tipo, c.data, c.entrada, c.saida, c.hist, c.doc);
        if (!c.contaTexto.isEmpty()) f->cbContas->setText(c.contaTexto);
        if (!c.tipoTexto.isEmpty()) f->cbTiposMov->setText(c.tipoTexto);
        f->txtHistorico->setFocus();
        QWidget *antes = f->focusWidget();
        Script s;
        if (!c.msg.isEmpty()) s.ok();
        EXPECT_EQ(f->Validar(), c.msg.isEmpty());
        if (c.msg.isEmpty()) continue;
        ASSERT_EQ(s.shown().size(), 1u);
        EXPECT_EQ(s.shown()[0].text, c.msg);
        EXPECT_EQ(s.shown()[0].style, c.estilo);
        EXPECT_EQ(f->focusWidget(), c.foco ? c.foco : antes);
    }
}

// ---- the posting command ---------------------------------------------------------------

TEST_F(Lancamentos, PostingsKeepSignsBalancesAndTheGrid) {
    plano();
    auto *f = abrir();
    EXPECT_EQ(f->Fgrid->Rows(), 2);
    EXPECT_EQ(f->Fgrid->RowData(1), 0);
    Script s;
    preencher(f, QStringLiteral("CAIXA EMPRESA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"),
              QStringLiteral("-100,00"), {}, QStringLiteral("SALARIO DE MARCO"));
    f->cmdConfirmar_Click();
    // The first row replaces the empty one.
    EXPECT_EQ(f->Fgrid->Rows(), 2);
    EXPECT_EQ(f->Fgrid->RowData(1), 1);
    EXPECT_EQ(f->Fgrid->TextMatrix(1, 2), QStringLiteral("100,00"));
    EXPECT_EQ(f->Fgrid->TextMatrix(1, 3), QStringLiteral("CAIXA EMPRESA"));
    EXPECT_TRUE(f->cmdEstornar->isEnabled());
    EXPECT_EQ(f->cbContas->ListIndex(), -1) << "fields cleared";
    EXPECT_EQ(f->txtHistorico->text(), QString());
    // An expense typed positive is stored negative; back-dated it moves the later one.
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("MERCADO"), QStringLiteral("01/03/2008"), {},
              QStringLiteral("30,50"), QStringLiteral("FEIRA"), QStringLiteral("NF 9"));
    f->cmdConfirmar_Click();
    EXPECT_EQ(f->Fgrid->Rows(), 3);
    EXPECT_EQ(f->Fgrid->TextMatrix(2, 2), QStringLiteral("-30,50"));
    EXPECT_EQ(f->Fgrid->Row(), 2);
    EXPECT_TRUE(s.shown().empty());
    EXPECT_EQ(numero(QStringLiteral("SELECT Valor * 100 FROM Lancamentos WHERE Id = 1")), 10000);
    EXPECT_EQ(numero(QStringLiteral("SELECT Valor * 100 FROM Lancamentos WHERE Id = 2")), -3050);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Id = 1 AND Documento IS NULL")), 1);
    EXPECT_EQ(texto(QStringLiteral("SELECT Documento FROM Lancamentos WHERE Id = 2")), QStringLiteral("NF 9"));
    // The earlier expense on the parent moves the global balance, not the child's branch.
    EXPECT_EQ(numero(QStringLiteral("SELECT SaldoConta * 100 FROM Lancamentos WHERE Id = 1")), 10000);
    EXPECT_EQ(numero(QStringLiteral("SELECT SaldoGlobal * 100 FROM Lancamentos WHERE Id = 1")), 10000 - 3050);
    EXPECT_EQ(f->Linhas().value(QStringLiteral("2")).Serial, 2);
}

TEST_F(Lancamentos, RepeatedDocumentAsksAndNoClearsWithoutWriting) {
    plano();
    auto *f = abrir();
    Script s;
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"), QStringLiteral("5,00"),
              {}, QStringLiteral("A"), QStringLiteral("NF 1"));
    f->cmdConfirmar_Click();
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("11/03/2008"), QStringLiteral("6,00"),
              {}, QStringLiteral("B"), QStringLiteral("NF 1"));
    s.no();
    f->cmdConfirmar_Click();
    ASSERT_EQ(s.shown().size(), 1u);
    EXPECT_EQ(s.shown()[0].style, 36);
    EXPECT_EQ(lancamentos(), 1);
    EXPECT_EQ(f->txtDoc->text(), QString()) << "No empties the fields";
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("11/03/2008"), QStringLiteral("6,00"),
              {}, QStringLiteral("B"), QStringLiteral("NF 1"));
    s.yes();
    f->cmdConfirmar_Click();
    EXPECT_EQ(lancamentos(), 2);
}

TEST_F(Lancamentos, AnotherCopyHoldingTheWriteLockGivesTheLockMessageAndWritesNothing) {
    plano();
    auto *f = abrir();
    dao::Workspace ws;
    auto outra = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), ws);
    // The other copy posted after this window read its lists: the counter moved.
    {
        db::CDaoTrans t(ws);
        t.BegTrans();
        core::escrita::Lancamento l;
        l.codConta = QStringLiteral("002");
        l.codRecDesp = QStringLiteral("004");
        l.valor = reais(-700);
        l.data = QDate(2008, 3, 20);
        l.historico = QStringLiteral("OUTRA COPIA");
        l.idUsuario = 1;
        ASSERT_EQ(core::escrita::GravarLancamento(*outra, l), core::escrita::Resultado::Gravado);
        t.ComTrans();
    }
    // ... and now holds the write lock in the middle of its own transaction.
    ws.BeginTrans();
    outra->Execute(QStringLiteral("UPDATE Serial SET Serial = Serial"));
    sqlite3_busy_timeout(db->handle(), 50);
    Script s;
    s.ok();
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"), QStringLiteral("5,00"),
              {}, QStringLiteral("A"));
    f->cmdConfirmar_Click();
    ASSERT_EQ(s.shown().size(), 1u);
    EXPECT_EQ(s.shown()[0].text, core::escrita::kMsgBloqueio);
    EXPECT_EQ(f->txtHistorico->text(), QStringLiteral("A")) << "fields kept for another try";
    ws.Rollback();
    EXPECT_EQ(lancamentos(), 1);
    EXPECT_EQ(serial(), 1);
    // Confirming again succeeds, after the other copy's posting.
    f->cmdConfirmar_Click();
    EXPECT_EQ(serial(), 2);
    EXPECT_EQ(numero(QStringLiteral("SELECT SaldoGlobal * 100 FROM Lancamentos WHERE Id = 1")), -700 + 500);
}

TEST_F(Lancamentos, AccountDeactivatedMeanwhileWritesNothing) {
    plano();
    auto *f = abrir();
    db->Execute(QStringLiteral("UPDATE Contas SET Inativa = True WHERE Codigo = '002'"));
    Script s;
    s.ok();
    preencher(f, QStringLiteral("BANCO"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"), QStringLiteral("5,00"),
              {}, QStringLiteral("A"));
    f->cmdConfirmar_Click();
    ASSERT_EQ(s.shown().size(), 1u);
    EXPECT_EQ(s.shown()[0].text,
              QStringLiteral("Não foi possível incluir o lançamento.\nPossível causa: a conta foi desativada."));
    EXPECT_EQ(serial(), 0);
    EXPECT_EQ(lancamentos(), 0);
}

// A window that counts the broadcasts it receives.
class Espiao : public platform::ui::Form, public ui::IUpdateView {
public:
    std::vector<long> dicas;
    void UpdateView(long &msg) override { dicas.push_back(msg); }
};

TEST_F(Lancamentos, AFailingScreenUpdateAfterTheCommitIsNotReportedAsNothingSaved) {
    plano();
    auto *f = abrir();
    Espiao espiao;
    espiao.Load();
    f->AposGravar = [] { throw err::AppError(err::kErrGeneric, QString(), QStringLiteral("grade indisponível")); };
    Script s;
    s.ok();
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"), QStringLiteral("5,00"),
              {}, QStringLiteral("A"));
    f->cmdConfirmar_Click();
    ASSERT_EQ(s.shown().size(), 1u);
    EXPECT_TRUE(s.shown()[0].text.startsWith(QStringLiteral("A operação foi gravada"))) << s.shown()[0].text.toStdString();
    EXPECT_TRUE(s.shown()[0].text.contains(QStringLiteral("grade indisponível")));
    EXPECT_EQ(lancamentos(), 1);
    EXPECT_EQ(espiao.dicas, std::vector<long>{ui::kHintLancamentos}) << "the other windows are still told";
    // Confirming again does not post it twice.
    s.ok();
    f->cmdConfirmar_Click();
    EXPECT_EQ(lancamentos(), 1);
    espiao.Unload();
}

// ---- reversal -------------------------------------------------------------------------

TEST_F(Lancamentos, ReversalWritesTheCompensationAndRefusesTwiceAndReversals) {
    plano();
    auto *f = abrir();
    Script s;
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"), QStringLiteral("100,00"),
              {}, QStringLiteral("A"), QStringLiteral("NF 3"));
    f->cmdConfirmar_Click();
    preencher(f, QStringLiteral("BANCO"), QStringLiteral("MERCADO"), QStringLiteral("20/03/2008"), {},
              QStringLiteral("10,00"), QStringLiteral("B"));
    f->cmdConfirmar_Click();
    f->Fgrid->setRow(1);
    // A confirmation closed without Yes or No writes nothing.
    s.push(platform::ui::ModalAnswer::Button(0));
    f->cmdEstornar_Click();
    EXPECT_EQ(lancamentos(), 2);
    // A quote and an over-long history are asked for again; lower case is stored upper.
    s.yes().text(QStringLiteral("D'AGUA")).ok().text(QString(51, QLatin1Char('X'))).ok().text(QStringLiteral("devolvido"));
    f->cmdEstornar_Click();
    EXPECT_EQ(s.pending(), 0u);
    EXPECT_EQ(lancamentos(), 3);
    EXPECT_EQ(texto(QStringLiteral("SELECT Historico FROM Lancamentos WHERE Id = 3")), QStringLiteral("DEVOLVIDO"));
    EXPECT_EQ(numero(QStringLiteral("SELECT Valor * 100 FROM Lancamentos WHERE Id = 3")), -10000);
    EXPECT_EQ(texto(QStringLiteral("SELECT Documento FROM Lancamentos WHERE Id = 3")), QStringLiteral("NF 3"));
    EXPECT_EQ(texto(QStringLiteral("SELECT DataId FROM Lancamentos WHERE Id = 3")), QStringLiteral("20080310000000003"));
    EXPECT_EQ(numero(QStringLiteral("SELECT SaldoGlobal * 100 FROM Lancamentos WHERE Id = 2")), -1000);
    EXPECT_EQ(f->Fgrid->Rows(), 4);
    EXPECT_EQ(f->Fgrid->TextMatrix(3, 2), QStringLiteral("-100,00"));
    s.clear();
    // The same row again, then the reversal's row.
    f->Fgrid->setRow(1);
    s.ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shown().back().text,
              QStringLiteral("Este lançamento já foi estornado. Veja o lançamento seguinte a ele na lista."));
    f->Fgrid->setRow(3);
    s.ok();
    f->cmdEstornar_Click();
    EXPECT_TRUE(s.shown().back().text.startsWith(QStringLiteral("Este lançamento já é um estorno")));
    // Empty history: nothing.
    f->Fgrid->setRow(2);
    s.yes().text(QStringLiteral("   ")).ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shown().back().text, QStringLiteral("Erro: histórico de estorno não informado."));
    EXPECT_EQ(lancamentos(), 3);
}

TEST_F(Lancamentos, ReversalGuardUsesTheStoredPosting) {
    plano();
    auto *f = abrir();
    Script s;
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"), QStringLiteral("1,00"),
              {}, QStringLiteral("A"));
    f->cmdConfirmar_Click();
    // Settled as not realised elsewhere (balances follow, as the pending list does).
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Realizado = 'N', SaldoConta = SaldoConta - Valor, "
                               "SaldoRecDesp = SaldoRecDesp - Valor, SaldoGlobal = SaldoGlobal - Valor WHERE Id = 1"));
    f->Fgrid->setRow(1);
    s.yes().text(QStringLiteral("X")).ok();
    f->cmdEstornar_Click();
    EXPECT_TRUE(s.shown().back().text.startsWith(QStringLiteral("Não foi possível estornar o lançamento selecionado.")));
    EXPECT_EQ(serial(), 1);
    // A stored reversal is refused even when the caller does not know it is one.
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Realizado = '?', SaldoConta = SaldoConta + Valor, "
                               "SaldoRecDesp = SaldoRecDesp + Valor, SaldoGlobal = SaldoGlobal + Valor WHERE Id = 1"));
    ASSERT_EQ(core::escrita::Estornar(*db, {"frmLancamentos", "cmdEstornar_Click"}, 1, QStringLiteral("E1"), 1), core::escrita::Desfecho::Gravado);
    EXPECT_EQ(core::escrita::Estornar(*db, {"frmLancamentos", "cmdEstornar_Click"}, 2, QStringLiteral("E2"), 1), core::escrita::Desfecho::JaEstornado);
    EXPECT_EQ(core::escrita::Estornar(*db, {"frmLancamentos", "cmdEstornar_Click"}, 1, QStringLiteral("E3"), 1), core::escrita::Desfecho::JaEstornado);
    EXPECT_EQ(core::escrita::Estornar(*db, {"frmLancamentos", "cmdEstornar_Click"}, 1, QString(51, QLatin1Char('X')), 1), core::escrita::Desfecho::HistoricoLongo);
    EXPECT_EQ(serial(), 2);
}

// ---- transfers ------------------------------------------------------------------------

namespace {

struct DadosTransf {
    QString orig, dest, docSai = {}, docEntra = {}, data = QStringLiteral("05/03/2008"), valor = QStringLiteral("40,00");
    QString histSai = QStringLiteral("SAIDA"), histEntra = QStringLiteral("ENTRADA");
};

void transferirCampos(postings::frmTrans &t, const DadosTransf &d) {
    t.txtData->setText(d.data);
    t.txtValor->setValueText(d.valor);
    t.cbContaOrig->setListIndex(t.cbContaOrig->FindString(d.orig));
    t.cbContaDest->setListIndex(t.cbContaDest->FindString(d.dest));
    t.txtDocSaida->setText(d.docSai);
    t.txtDocEntrada->setText(d.docEntra);
    t.txtHistSaida->setText(d.histSai);
    t.txtHistEntrada->setText(d.histEntra);
}

void transferir(Script &s, const DadosTransf &d) {
    s.act([d](QWidget &w) {
        auto &t = static_cast<postings::frmTrans &>(w);
        transferirCampos(t, d);
        t.cmdOK_Click();
    });
}

} // namespace

TEST_F(Lancamentos, BackDatedTransferWritesBothLegsAndTheirLink) {
    plano();
    auto *f = abrir();
    Script s;
    preencher(f, QStringLiteral("CAIXA EMPRESA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"),
              QStringLiteral("100,00"), {}, QStringLiteral("A"));
    f->cmdConfirmar_Click();
    transferir(s, {QStringLiteral("CAIXA EMPRESA"), QStringLiteral("BANCO"), QStringLiteral("T'1"), {}});
    f->cmdTransferencia_Click();
    EXPECT_EQ(lancamentos(), 3);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Transferencias WHERE SerialSai = 2 AND SerialEntra = 3")), 1);
    EXPECT_EQ(texto(QStringLiteral("SELECT Documento FROM Lancamentos WHERE Id = 2")), QStringLiteral("T'1"));
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Id = 3 AND Documento IS NULL")), 1);
    // The later posting: its branch lost 40, the whole book did not change.
    EXPECT_EQ(numero(QStringLiteral("SELECT SaldoConta * 100 FROM Lancamentos WHERE Id = 1")), 6000);
    EXPECT_EQ(numero(QStringLiteral("SELECT SaldoGlobal * 100 FROM Lancamentos WHERE Id = 1")), 10000);
    EXPECT_EQ(f->Fgrid->Rows(), 4);
    EXPECT_EQ(f->Fgrid->TextMatrix(2, 2), QStringLiteral("-40,00"));
    EXPECT_EQ(f->Fgrid->TextMatrix(3, 4), core::escrita::kDesTransferencia);
    EXPECT_EQ(f->Linhas().value(QString::number(f->Fgrid->RowData(3))).Transferencia, 2);
    // The first transfer in a fresh window replaces the empty row.
    auto *g = abrir();
    transferir(s, {QStringLiteral("BANCO"), QStringLiteral("BANCO")});
    g->cmdTransferencia_Click();
    EXPECT_EQ(g->Fgrid->Rows(), 3);
    EXPECT_NE(g->Fgrid->RowData(1), 0);
    EXPECT_EQ(numero(QStringLiteral("SELECT SaldoConta * 100 FROM Lancamentos WHERE Id = 5")), 4000)
        << "same account both sides: its balance is what it was";
    EXPECT_TRUE(s.shown().size() == 2u) << "only the two dialogs";
}

TEST_F(Lancamentos, TransferToAnInactiveAccountRollsBackBothLegs) {
    plano();
    auto *f = abrir();
    Script s;
    // Deactivated by someone else while the dialog is open.
    s.act([this](QWidget &w) {
        auto &t = static_cast<postings::frmTrans &>(w);
        t.txtData->setText(QStringLiteral("05/03/2008"));
        t.txtValor->setValueText(QStringLiteral("40,00"));
        t.cbContaOrig->setListIndex(t.cbContaOrig->FindString(QStringLiteral("CAIXA")));
        t.cbContaDest->setListIndex(t.cbContaDest->FindString(QStringLiteral("BANCO")));
        t.txtHistSaida->setText(QStringLiteral("S"));
        t.txtHistEntrada->setText(QStringLiteral("E"));
        db->Execute(QStringLiteral("UPDATE Contas SET Inativa = True WHERE Codigo = '002'"));
        t.cmdOK_Click();
    });
    s.ok();
    f->cmdTransferencia_Click();
    EXPECT_EQ(s.shown().back().text, QStringLiteral("Não foi possível fazer o lançamento de entrada. Transferência "
                                                    "cancelada.\nPossível causa: a conta foi desativada."));
    EXPECT_EQ(lancamentos(), 0);
    EXPECT_EQ(serial(), 0);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Transferencias")), 0);
}

TEST_F(Lancamentos, SameDocumentOnBothSidesAsksTwiceBeforeWriting) {
    plano();
    auto *f = abrir();
    Script s;
    transferir(s, {QStringLiteral("CAIXA"), QStringLiteral("BANCO"), QStringLiteral("DOC"), QStringLiteral("DOC")});
    s.no();
    f->cmdTransferencia_Click();
    ASSERT_EQ(s.shown().size(), 2u);
    EXPECT_EQ(s.shown()[1].text, QStringLiteral("Consta informação de que um lançamento com o documento 'DOC' já foi "
                                                "feito. Tem certeza de que quer fazer este novo lançamento?"));
    EXPECT_EQ(lancamentos(), 0);
    transferir(s, {QStringLiteral("CAIXA"), QStringLiteral("BANCO"), QStringLiteral("DOC"), QStringLiteral("DOC")});
    s.yes();
    f->cmdTransferencia_Click();
    EXPECT_EQ(lancamentos(), 2);
}

TEST_F(Lancamentos, TransferLockConflictWritesNothing) {
    plano();
    auto *f = abrir();
    dao::Workspace ws;
    auto outra = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), ws);
    ws.BeginTrans();
    outra->Execute(QStringLiteral("UPDATE Serial SET Serial = Serial"));
    sqlite3_busy_timeout(db->handle(), 50);
    Script s;
    transferir(s, {QStringLiteral("CAIXA"), QStringLiteral("BANCO")});
    s.ok();
    f->cmdTransferencia_Click();
    EXPECT_EQ(s.shown().back().text, core::escrita::kMsgBloqueio);
    ws.Rollback();
    EXPECT_EQ(lancamentos(), 0);
}

TEST_F(Lancamentos, TransferDialogRefusesAHistoryLongerThanTheColumn) {
    plano();
    auto *f = abrir();
    Script s;
    DadosTransf d{QStringLiteral("CAIXA"), QStringLiteral("BANCO")};
    d.histEntra = QString(51, QLatin1Char('E'));
    s.act([d](QWidget &w) {
        auto &t = static_cast<postings::frmTrans &>(w);
        t.txtData->setText(d.data);
        t.txtValor->setValueText(QStringLiteral("10,505"));
        t.txtHistSaida->setText(d.histSai);
        t.txtHistEntrada->setText(d.histEntra);
        t.cmdOK_Click(); // too many decimals
        t.txtValor->setValueText(d.valor);
        t.cmdOK_Click(); // long history
        EXPECT_EQ(t.focusWidget(), t.txtHistEntrada);
        t.cmdOK_Click(); // still long
        t.txtHistEntrada->setText(QStringLiteral("OK"));
        t.cmdOK_Click(); // no origin
        t.cbContaOrig->setText(QStringLiteral("ZZZ"));
        t.cmdOK_Click(); // invalid origin
        t.cmdCancel_Click();
    });
    s.ok().ok().ok().ok().ok();
    f->cmdTransferencia_Click();
    QStringList t = s.shownTexts();
    ASSERT_EQ(t.size(), 6);
    EXPECT_EQ(t[1], QStringLiteral("Excesso de dígitos após a vírgula."));
    EXPECT_EQ(t[2], QStringLiteral("O histórico de entrada não pode ter mais de 50 caracteres."));
    EXPECT_EQ(t[4], QStringLiteral("Informar conta de orígem."));
    EXPECT_EQ(t[5], QStringLiteral("Conta de origem inválida."));
    EXPECT_EQ(lancamentos(), 0);
}

TEST_F(Lancamentos, TransferDialogRefusesAnEmptyAmount) {
    plano();
    auto *f = abrir();
    Script s;
    DadosTransf d{QStringLiteral("CAIXA"), QStringLiteral("BANCO")};
    d.valor = QString();
    s.act([d](QWidget &w) {
        auto &t = static_cast<postings::frmTrans &>(w);
        transferirCampos(t, d);
        t.cmdOK_Click();
        EXPECT_EQ(t.focusWidget(), t.txtValor);
        EXPECT_TRUE(t.IsLoaded());
        t.cmdCancel_Click();
    });
    s.ok();
    f->cmdTransferencia_Click();
    EXPECT_EQ(s.shownTexts().value(1), QStringLiteral("Valor não numérico."));
    EXPECT_EQ(lancamentos(), 0);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Transferencias")), 0);
}

// Each leg of a transfer is a posting: the posting window's maximum holds,
// on the amount's magnitude (the dialog hands the absolute value over).
TEST_F(Lancamentos, TransferDialogRefusesAnAmountPastTheMaximumOfEitherSign) {
    plano();
    auto *f = abrir();
    struct Caso {
        const char *valor;
        bool aceito;
    };
    const Caso casos[] = {{"-999999999999", false}, {"100000000,00", false}, {"-100000000,00", false},
                          {"-922337203685", false}, {"99.999.999,99", true}, {"-99999999,99", true}};
    qint64 esperados = 0;
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.valor);
        Script s;
        DadosTransf d{QStringLiteral("CAIXA"), QStringLiteral("BANCO")};
        d.valor = QString::fromLatin1(c.valor);
        s.act([d, c](QWidget &w) {
            auto &t = static_cast<postings::frmTrans &>(w);
            transferirCampos(t, d);
            t.cmdOK_Click();
            if (c.aceito) return;
            EXPECT_TRUE(t.IsLoaded());
            EXPECT_EQ(t.focusWidget(), t.txtValor);
            t.cmdCancel_Click();
        });
        if (!c.aceito) s.ok();
        f->cmdTransferencia_Click();
        if (c.aceito) {
            esperados += 2;
            EXPECT_EQ(numero(QStringLiteral("SELECT Valor * 100 FROM Lancamentos WHERE Id = %1").arg(esperados)), 9999999999);
            EXPECT_EQ(numero(QStringLiteral("SELECT Valor * 100 FROM Lancamentos WHERE Id = %1").arg(esperados - 1)), -9999999999);
        } else {
            ASSERT_EQ(s.shown().size(), 2u);
            EXPECT_EQ(s.shown()[1].text, QStringLiteral("O valor máximo para transferência é de 99.999.999,99"));
            EXPECT_EQ(s.shown()[1].style, 64);
        }
        EXPECT_EQ(lancamentos(), esperados);
    }
}

// The last row lies wholly in the grid's visible area, below its fixed row,
// and is the selected one.
::testing::AssertionResult ultimaLinhaVisivelESelecionada(widgets::FlexGrid *g) {
    const int ultima = g->Rows() - 1;
    const QRect r = g->visualRect(g->model()->index(ultima, 1));
    if (g->RowSel() != ultima || g->Row() != ultima)
        return ::testing::AssertionFailure() << "selected " << g->Row() << ".." << g->RowSel() << ", last " << ultima;
    if (!g->viewport()->rect().contains(r) || r.top() < g->rowHeight(0))
        return ::testing::AssertionFailure() << "last row at y " << r.top() << " in a view " << g->viewport()->height()
                                             << " high";
    return ::testing::AssertionSuccess();
}

TEST_F(Lancamentos, AfterATransferAndItsReversalTheLastRowIsShownAndSelected) {
    plano();
    auto *f = abrir();
    f->resize(f->width(), f->height()); // the grid as laid out at opening
    Script s;
    // More rows than the grid shows.
    for (int i = 0; i < 25; ++i) {
        preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"),
                  QStringLiteral("1,00"), {}, QStringLiteral("L%1").arg(i));
        f->cmdConfirmar_Click();
    }
    ASSERT_EQ(f->Fgrid->Rows(), 26);
    f->Fgrid->setTopRow(1);
    transferir(s, {QStringLiteral("CAIXA"), QStringLiteral("BANCO")});
    f->cmdTransferencia_Click();
    ASSERT_EQ(f->Fgrid->Rows(), 28);
    EXPECT_TRUE(ultimaLinhaVisivelESelecionada(f->Fgrid)) << "after the transfer";
    f->Fgrid->setTopRow(1);
    f->Fgrid->setRow(26);
    s.clear();
    s.yes().ok().text(QStringLiteral("VOLTA"));
    f->cmdEstornar_Click();
    ASSERT_EQ(f->Fgrid->Rows(), 30);
    EXPECT_TRUE(ultimaLinhaVisivelESelecionada(f->Fgrid)) << "after the reversal of the transfer";
}

// ---- reversal of a transfer -------------------------------------------------------------

class EstornoDeTransferencia : public Lancamentos, public ::testing::WithParamInterface<int> {};

TEST_P(EstornoDeTransferencia, EitherLegReversesBoth) {
    plano();
    auto *f = abrir();
    Script s;
    transferir(s, {QStringLiteral("CAIXA"), QStringLiteral("BANCO"), QStringLiteral("T1"), {}});
    f->cmdTransferencia_Click();
    preencher(f, QStringLiteral("BANCO"), QStringLiteral("MERCADO"), QStringLiteral("30/03/2008"), {},
              QStringLiteral("1,00"), QStringLiteral("DEPOIS"));
    f->cmdConfirmar_Click();
    const int perna = GetParam();
    f->Fgrid->setRow(perna); // row 1 outgoing, row 2 incoming
    s.clear();
    s.yes().ok().text(QStringLiteral(" volta "));
    f->cmdEstornar_Click();
    ASSERT_GE(s.shown().size(), 2u);
    EXPECT_TRUE(s.shown()[1].text.startsWith(perna == 1 ? QStringLiteral("Por ser este o lançamento de origem")
                                                       : QStringLiteral("Por ser este o lançamento de destino")));
    EXPECT_EQ(lancamentos(), 5);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Id IN (1,2) AND Estornado AND Realizado = 'E'")), 2);
    EXPECT_EQ(numero(QStringLiteral("SELECT Transferencia FROM Lancamentos WHERE Id = 4")), 1);
    EXPECT_EQ(numero(QStringLiteral("SELECT Transferencia FROM Lancamentos WHERE Id = 5")), 0);
    EXPECT_EQ(texto(QStringLiteral("SELECT Historico FROM Lancamentos WHERE Id = 5")), QStringLiteral(" VOLTA "));
    EXPECT_EQ(texto(QStringLiteral("SELECT Documento FROM Lancamentos WHERE Id = 4")), QStringLiteral("T1"));
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Id = 5 AND Documento IS NULL")), 1);
    // Grid: the incoming leg's reversal first, amounts as written into SQL.
    EXPECT_EQ(f->Fgrid->Rows(), 6);
    EXPECT_EQ(f->Fgrid->TextMatrix(4, 2), QStringLiteral("-40.00"));
    EXPECT_EQ(f->Fgrid->TextMatrix(4, 3), QStringLiteral("BANCO"));
    EXPECT_EQ(f->Fgrid->TextMatrix(5, 2), QStringLiteral("40.00"));
    for (int r : {1, 2}) EXPECT_TRUE(f->Linhas().value(QString::number(f->Fgrid->RowData(r))).Estornado) << r;
    // The other leg now says it was reversed.
    f->Fgrid->setRow(3 - perna);
    s.ok();
    f->cmdEstornar_Click();
    EXPECT_TRUE(s.shown().back().text.startsWith(QStringLiteral("Este lançamento já foi estornado")));
}

INSTANTIATE_TEST_SUITE_P(Pernas, EstornoDeTransferencia, ::testing::Values(1, 2));

TEST_F(Lancamentos, TransferWithAMissingLinkClosesTheWindowAndWritesNothing) {
    plano();
    auto *f = abrir();
    Script s;
    transferir(s, {QStringLiteral("CAIXA"), QStringLiteral("BANCO")});
    f->cmdTransferencia_Click();
    db->Execute(QStringLiteral("DELETE FROM Transferencias"));
    db->Execute(QStringLiteral("DELETE FROM Lancamentos WHERE Id = 2"));
    db->Execute(QStringLiteral("UPDATE Lancamentos SET SaldoGlobal = 0, SaldoRecDesp = 0, SaldoConta = 0, Transferencia = 0"));
    db->Execute(QStringLiteral("UPDATE Serial SET Serial = 1"));
    f->Fgrid->setRow(1);
    s.clear();
    s.yes().ok().ok();
    f->cmdEstornar_Click();
    EXPECT_EQ(s.shown().back().text,
              QStringLiteral("Erro: faltando informação sobre o lançamento correspondente na operação de transferência."));
    platform::ui::DoEvents();
    EXPECT_FALSE(f->IsLoaded());
    EXPECT_EQ(lancamentos(), 1);
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Valor = 0"));
}

// ---- choosers -----------------------------------------------------------------------

TEST_F(Lancamentos, ListsAndTreesOfferWhatTheUserMayPostTo) {
    plano();
    conta(QStringLiteral("003"), QStringLiteral("ANTIGA"), true);
    tipo(QStringLiteral("004.001"), QStringLiteral("HORTIFRUTI"));
    auto *f = abrir();
    QStringList contas, tipos;
    for (int i = 0; i < f->cbContas->ListCount(); ++i) contas << f->cbContas->List(i);
    for (int i = 0; i < f->cbTiposMov->ListCount(); ++i) tipos << f->cbTiposMov->List(i);
    EXPECT_EQ(contas, (QStringList{QStringLiteral("BANCO"), QStringLiteral("CAIXA"), QStringLiteral("CAIXA EMPRESA")}));
    EXPECT_TRUE(tipos.contains(QStringLiteral("AJUSTES DE SALDOS")));
    EXPECT_FALSE(tipos.contains(QStringLiteral("TRANSFERÊNCIAS ENTRE CONTAS")));
    EXPECT_EQ(f->tvContas->Count(), 3) << "BANCO, CAIXA and CAIXA's placeholder";
    EXPECT_EQ(f->tvContas->Item(QStringLiteral("_000")), nullptr);
    EXPECT_NE(f->tvRecDesp->Item(QStringLiteral("_002")), nullptr);
    EXPECT_EQ(f->tvRecDesp->Item(QStringLiteral("_001")), nullptr);
    // Expanding loads the branch; Enter on a node chooses it in the list.
    f->tvContas->Item(QStringLiteral("_001"))->setExpanded(true);
    widgets::Node *filho = f->tvContas->Item(QStringLiteral("_001.001"));
    ASSERT_NE(filho, nullptr);
    f->tvContas->setSelectedItem(filho);
    int k = 13;
    f->tvContas_KeyDown(k, 0);
    EXPECT_EQ(k, 0);
    EXPECT_EQ(f->cbContas->Text(), QStringLiteral("CAIXA EMPRESA"));
    EXPECT_EQ(f->IndiceConta(), f->cbContas->ListIndex());
    f->tvContas->Item(QStringLiteral("_001"))->setExpanded(false);
    EXPECT_EQ(f->tvContas->Item(QStringLiteral("_001.001")), nullptr);
    EXPECT_NE(f->tvContas->Item(QStringLiteral("D_001")), nullptr);
}

TEST_F(Lancamentos, CommonUsersSeeOnlyTheirPermissionRows) {
    plano();
    const long caixa = long(numero(QStringLiteral("SELECT Id FROM Contas WHERE Codigo = '001.001'")));
    const long banco = long(numero(QStringLiteral("SELECT Id FROM Contas WHERE Codigo = '002'")));
    const long sal = long(numero(QStringLiteral("SELECT Id FROM TiposMovimentacoes WHERE Codigo = '003'")));
    db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('ZE','ZE','X',2)"));
    const long ze = long(numero(QStringLiteral("SELECT Id FROM Usuarios WHERE IdLogin = 'ZE'")));
    auto perm = [&](long obj, int tipoObj, int p) {
        db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                                   "VALUES (%1, %2, %3, %4)").arg(ze).arg(obj).arg(tipoObj).arg(p));
    };
    perm(caixa, 1, 2);
    perm(banco, 1, 1);
    perm(sal, 2, 3);
    ui::gIdUsuario = ze;
    ui::gTipoUsuario = 2;
    auto *f = abrir();
    ASSERT_EQ(f->cbContas->ListCount(), 1);
    EXPECT_EQ(f->cbContas->List(0), QStringLiteral("CAIXA EMPRESA"));
    EXPECT_EQ(f->tvContas->Count(), 0) << "the first-level ancestor carries no permission";
    ASSERT_EQ(f->cbTiposMov->ListCount(), 1);
    EXPECT_FALSE(f->cmdTransferencia->isEnabled());
    Script s;
    preencher(f, QStringLiteral("CAIXA EMPRESA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"),
              QStringLiteral("2,00"), {}, QStringLiteral("A"));
    f->cmdConfirmar_Click();
    EXPECT_EQ(numero(QStringLiteral("SELECT IdUsuario FROM Lancamentos WHERE Id = 1")), ze);
    ui::gIdUsuario = 1;
}

TEST(EditCombo, TypeAheadCompletesSelectsTheRestAndRemembers) {
    testsupport::qtApp();
    QWidget janela;
    auto *cb = new widgets::EditCombo(&janela);
    for (const char *d : {"BANCO", "CAIXA", "CAIXA EMPRESA", "CARTAO"}) cb->AddItem(QString::fromUtf8(d));
    janela.show();
    cb->setFocus();
    auto tecla = [&](const QString &t, int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, t);
        QApplication::sendEvent(cb, &e);
    };
    struct Caso {
        const char *digitado;
        int indice;
        const char *texto;
    };
    const Caso casos[] = {{"c", 1, "CAIXA"}, {"ca", 1, "CAIXA"}, {"car", 3, "CARTAO"}, {"caixa ", 2, "CAIXA EMPRESA"},
                          {"x", -1, "X"}, {"cx", -1, "CX"}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.digitado);
        cb->setListIndex(-1);
        cb->setRemembered(-1);
        const QString d = QString::fromUtf8(c.digitado);
        for (QChar ch : d) tecla(QString(ch), ch == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_A + (ch.toUpper().unicode() - 'A'));
        EXPECT_EQ(cb->ListIndex(), c.indice);
        EXPECT_EQ(cb->Remembered(), c.indice);
        EXPECT_EQ(cb->Text(), QString::fromUtf8(c.texto));
        EXPECT_EQ(cb->lineEdit()->selectionStart() < 0 ? int(cb->Text().size()) : cb->lineEdit()->selectionStart(),
                  int(d.size()));
        EXPECT_TRUE(cb->DroppedDown()) << "a key other than Enter opens the list";
        EXPECT_TRUE(cb->hasFocus() || cb->lineEdit()->hasFocus() || !janela.isActiveWindow());
    }
}

// ---- keys, hints --------------------------------------------------------------------

TEST_F(Lancamentos, CtrlOAndCtrlROpenTheTreesUnderTheirLists) {
    plano();
    auto *f = abrir();
    int k = 79;
    f->Form_KeyDown(k, 2);
    EXPECT_EQ(k, 0);
    EXPECT_TRUE(f->frContas->isVisible());
    EXPECT_EQ(f->frContas->pos(), QPoint(f->cbContas->x(), f->cbContas->y() + f->cbContas->height()));
    for (int shift : {3, 4, 0}) {
        k = 82;
        f->Form_KeyDown(k, shift);
        EXPECT_EQ(k, 82) << shift;
    }
    k = 82;
    f->Form_KeyDown(k, 2);
    EXPECT_EQ(k, 0);
    EXPECT_TRUE(f->frRecDesp->isVisible());
    // Through the window's key preview, from a field: swallowed.
    QKeyEvent ctrlO(QEvent::KeyPress, Qt::Key_O, Qt::ControlModifier, QStringLiteral("\x0f"));
    QApplication::sendEvent(f->txtHistorico, &ctrlO);
    EXPECT_EQ(f->txtHistorico->text(), QString());
    // Esc in a tree goes back to the list and leaves the window open.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(f->tvContas, &esc);
    EXPECT_TRUE(f->IsLoaded());
}

TEST_F(Lancamentos, HintsOneAndThreeRefillTheListsAndCloseWhenNothingIsLeft) {
    plano();
    auto *f = abrir();
    conta(QStringLiteral("004"), QStringLiteral("POUPANCA"));
    long dica = ui::kHintLancamentos;
    f->UpdateView(dica);
    EXPECT_EQ(f->cbContas->ListCount(), 3);
    dica = ui::kHintContas;
    f->UpdateView(dica);
    EXPECT_EQ(f->cbContas->ListCount(), 4);
    EXPECT_EQ(f->cbContas->ListIndex(), -1);
    tipo(QStringLiteral("005"), QStringLiteral("LAZER"));
    dica = ui::kHintRecDesp;
    f->UpdateView(dica);
    EXPECT_EQ(f->cbTiposMov->ListCount(), 4);
    db->Execute(QStringLiteral("UPDATE TiposMovimentacoes SET Inativo = True WHERE Codigo > '001'"));
    Script s;
    s.ok();
    long erro = 0;
    try {
        f->UpdateView(dica);
    } catch (const err::AppError &e) {
        erro = e.number();
    }
    EXPECT_EQ(erro, err::kErrCancel);
    EXPECT_EQ(s.shown().back().text, postings::kMsgSemRecDesp);
    platform::ui::DoEvents();
    EXPECT_FALSE(f->IsLoaded());
}

TEST_F(Lancamentos, NoAccountToPostToShowsTheMessageAndCloses) {
    tipo(QStringLiteral("003"), QStringLiteral("SALARIO"));
    Script s;
    s.ok();
    auto *f = new postings::frmLancamentos();
    f->Load();
    EXPECT_EQ(s.shownTexts(), QStringList{postings::kMsgSemContas});
    platform::ui::DoEvents();
    EXPECT_FALSE(f->IsLoaded());
}
