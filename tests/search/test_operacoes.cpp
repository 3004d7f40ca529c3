// Settling, taking back and reversing from the results, as the user does it
// in an account statement; the balance oracle after every write.
#include "RetPesqFixture.h"

#include "core/escrita/Escrita.h"
#include "support/Oracle.h"

#include <QPushButton>

#include <functional>
#include <limits>

namespace {

const QString kSucessoBaixa = QStringLiteral("Baixa realizada com sucesso!");
const QString kNaoOcorreu = QStringLiteral("A baixa do lançamento não ocorreu. Um motivo pode ser o de outro usuário "
                                           "ter acabado de estorná-lo ou baixá-lo.\nAtualize sua pesquisa.");
const QString kNaoEstornou = QStringLiteral(
    "Não foi possível estornar o lançamento selecionado. Uma possível causa é que ele já tenha sido estornado por "
    "outro usuário ou baixado como não realizado. Verifique.");
const QString kHistoricoLongo = QStringLiteral("Erro: histórico com mais de 50 caracteres.");

class Operacoes : public RetPesq {
protected:
    void SetUp() override {
        RetPesq::SetUp();
        plano();
        antes = lancar("001.001", "003.001", QDate(2024, 1, 5), 10000, "A");
        despesa = lancar("001.001", "004", QDate(2024, 2, 1), -1250, "");
        depois = lancar("001", "003", QDate(2024, 3, 1), 500, "B");
        t = transferir("002", "001.001", QDate(2024, 2, 10), 3000);
        outro = abrirExtrato();
        janela = abrirExtrato();
    }
    search::frmRetPesq *abrirExtrato() {
        Abertura a;
        a.sql = extrato(QStringLiteral("#01/01/2020#"), QStringLiteral("#12/31/2030#"));
        return abrir(a);
    }
    void oraculo() { EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), ""); }
    // The code the window's grid shows for a posting after its refresh.
    QString naGrade(long id) {
        auto c = janela->Recordset()->Clone();
        c->FindFirst(QStringLiteral("Id = %1").arg(id));
        return c->NoMatch() ? QStringLiteral("<fora>") : c->Field(QStringLiteral("Realizado")).toString();
    }
    qint64 soma() { return numero(u("SELECT Sum(SaldoConta) * 100 + Sum(SaldoGlobal) FROM Lancamentos")); }
    void deComum(bool transferencias) {
        db->Execute(u("INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo) VALUES ('COMUM', 'COMUM', 'X', 2)"));
        ui::gIdUsuario = long(numero(u("SELECT Id FROM Usuarios WHERE IdLogin = 'COMUM'")));
        ui::gTipoUsuario = 2;
        if (transferencias) permissao(2, u("001"), 3); // the type whose Id is 2
    }
    void permissao(int tipoObjeto, const QString &codigo, int valor) {
        const QString tabela = tipoObjeto == 1 ? u("Contas") : u("TiposMovimentacoes");
        const long id = long(numero(u("SELECT Id FROM %1 WHERE Codigo = '%2'").arg(tabela, codigo)));
        db->Execute(u("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) VALUES (%1, %2, %3, %4)")
                        .arg(ui::gIdUsuario).arg(id).arg(tipoObjeto).arg(valor));
    }
    void permissaoTransferencia() {
        db->Execute(u("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) VALUES (%1, 2, 2, 3)")
                        .arg(ui::gIdUsuario));
    }

    long antes = 0, despesa = 0, depois = 0;
    core::escrita::TransferenciaFeita t;
    search::frmRetPesq *outro = nullptr;
    search::frmRetPesq *janela = nullptr;
};

TEST_F(Operacoes, BaixarComoTabelaDeTransicoesDeUmLancamentoEDeTransferenciaPorQualquerPerna) {
    struct Caso {
        const char *inicial;
        bool sim;
        const char *final;
    };
    const Caso casos[] = {{"?", true, "S"}, {"?", false, "N"}, {"S", true, "S"}, {"S", false, "N"},
                          {"N", true, "S"}, {"N", false, "N"}};
    for (long id : {despesa, t.idSaida, t.idEntrada}) {
        const bool transferencia = id != despesa;
        for (const Caso &c : casos) {
            SCOPED_TRACE(std::to_string(id) + c.inicial + (c.sim ? " sim" : " nao"));
            const long outra = !transferencia ? 0 : id == t.idSaida ? t.idEntrada : t.idSaida;
            const long a = transferencia ? t.idSaida : despesa, b = transferencia ? t.idEntrada : 0;
            ASSERT_EQ(core::escrita::Baixar(*db, {"teste", "preparar"}, a, b, realizado(id), u(c.inicial)),
                      core::escrita::Desfecho::Gravado);
            janela->cmdAtualizar_Click();
            selecionar(janela, id);
            testsupport::Script s;
            if (transferencia) s.ok();
            (c.sim ? s.yes() : s.no()).ok();
            janela->cmdBaixar_Click();
            EXPECT_EQ(s.shownTexts().last(), kSucessoBaixa);
            EXPECT_EQ(realizado(id), u(c.final));
            if (outra) {
                EXPECT_EQ(realizado(outra), u(c.final));
            }
            EXPECT_EQ(naGrade(id), u(c.final));
            EXPECT_EQ(campoSelecionado(janela, "Id"), QString::number(id)); // still selected after the refresh
            EXPECT_TRUE(outro->AtualizacaoPendente()); // the other windows are told
            oraculo();
        }
    }
}

TEST_F(Operacoes, RemoverBaixaDeUmLancamentoEDeTransferencia) {
    for (long id : {despesa, t.idEntrada}) {
        const bool transferencia = id != despesa;
        const long a = transferencia ? t.idSaida : despesa, b = transferencia ? t.idEntrada : 0;
        for (const char *inicial : {"S", "N"}) {
            SCOPED_TRACE(std::to_string(id) + inicial);
            ASSERT_EQ(core::escrita::Baixar(*db, {"teste", "preparar"}, a, b, realizado(id), u(inicial)),
                      core::escrita::Desfecho::Gravado);
            janela->cmdAtualizar_Click();
            selecionar(janela, id);
            testsupport::Script s;
            if (transferencia) s.ok().ok(); // no question: the notice, then the success
            else s.yes().ok();
            janela->cmdRemBaixa_Click();
            EXPECT_EQ(s.shownTexts().last(),
                      transferencia ? u("Baixa removida com sucesso!") : u("Remoção de baixa realizada com sucesso!"));
            EXPECT_EQ(realizado(a), u("?"));
            if (b) {
                EXPECT_EQ(realizado(b), u("?"));
            }
            oraculo();
        }
    }
    // Unsettled: refused before the question; No writes nothing.
    selecionar(janela, despesa);
    {
        testsupport::Script s;
        s.ok();
        janela->cmdRemBaixa_Click();
        EXPECT_EQ(s.shownTexts(), QStringList{u("O lançamento selecionado não foi baixado para ter sua baixa removida.")});
    }
    ASSERT_EQ(core::escrita::Baixar(*db, {"teste", "preparar"}, despesa, 0, u("?"), u("N")), core::escrita::Desfecho::Gravado);
    janela->cmdAtualizar_Click();
    selecionar(janela, despesa);
    const qint64 saldos = soma();
    {
        testsupport::Script s;
        s.no();
        janela->cmdRemBaixa_Click();
    }
    EXPECT_EQ(realizado(despesa), u("N"));
    EXPECT_EQ(soma(), saldos);
}

TEST_F(Operacoes, RecusasNaOrdemDasRegras) {
    ASSERT_EQ(core::escrita::Estornar(*db, {"teste", "preparar"}, antes, u("VOLTA"), 1), core::escrita::Desfecho::Gravado);
    const long estorno = long(numero(u("SELECT Max(Id) FROM Lancamentos")));
    janela->cmdAtualizar_Click();
    struct Caso {
        long id;
        void (search::frmRetPesq::*comando)();
        const char *mensagem;
    };
    const Caso casos[] = {
        {0, &search::frmRetPesq::cmdBaixar_Click,
         "Nenhum lançamento está selecionado para baixa. Clique sobre um lançamento para selecioná-lo."},
        {0, &search::frmRetPesq::cmdRemBaixa_Click,
         "Nenhum lançamento está selecionado para remoção de baixa. Clique sobre um lançamento para selecioná-lo."},
        {0, &search::frmRetPesq::cmdEstornar_Click,
         "Nenhum lançamento está selecionado para estorno. Clique sobre um lançamento para selecioná-lo."},
        {antes, &search::frmRetPesq::cmdBaixar_Click, "Este lançamento foi estornado e não pode ser baixado."},
        {estorno, &search::frmRetPesq::cmdBaixar_Click,
         "Este lançamento é um estorno e estornos não podem ser baixados."},
        {antes, &search::frmRetPesq::cmdRemBaixa_Click, "Este lançamento foi estornado e não pode ser alterado."},
        {estorno, &search::frmRetPesq::cmdRemBaixa_Click,
         "Este lançamento é um estorno e estornos não podem ser alterados."},
        {antes, &search::frmRetPesq::cmdEstornar_Click, "Este lançamento já foi estornado."},
        {estorno, &search::frmRetPesq::cmdEstornar_Click,
         "Este lançamento já é um estorno e estornos não podem ser estornados. Faça um novo lançamento normal para "
         "compensar o estorno."},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.mensagem);
        auto &sel = janela->DBGrid1->SelBookmarks();
        while (sel.Count() > 0) sel.Remove(0);
        if (c.id) selecionar(janela, c.id);
        testsupport::Script s;
        s.ok();
        // Not (janela->*c.comando)(): with optimisation, GCC 12's
        // undefined-behaviour checks report that call through a member of
        // the fixture as made on a null object, though it is not.
        std::invoke(c.comando, janela);
        EXPECT_EQ(s.shownTexts(), QStringList{u(c.mensagem)});
    }
    // Settled as not realised: the reversal asks for the settlement to be taken back first.
    ASSERT_EQ(core::escrita::Baixar(*db, {"teste", "preparar"}, despesa, 0, u("?"), u("N")), core::escrita::Desfecho::Gravado);
    janela->cmdAtualizar_Click();
    selecionar(janela, despesa);
    testsupport::Script s;
    s.ok();
    janela->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts(), QStringList{u("Este lançamento já está baixado como não realizado. Para estorná-lo é "
                                            "preciso remover sua baixa antes.")});
}

TEST_F(Operacoes, UsuarioComumSemDireitoDeGravacaoOuDeTransferencia) {
    deComum(false);
    permissao(1, u("001"), 1);
    permissao(2, u("004"), 3);
    janela = abrirExtrato();
    // Without the transfer right.
    for (auto comando : {&search::frmRetPesq::cmdBaixar_Click, &search::frmRetPesq::cmdEstornar_Click}) {
        selecionar(janela, t.idEntrada);
        testsupport::Script s;
        if (comando == &search::frmRetPesq::cmdEstornar_Click) s.yes();
        s.ok();
        std::invoke(comando, janela);
        EXPECT_TRUE(s.shownTexts().last().startsWith(u("O lançamento refere-se a uma transferência e você não tem permissão")));
    }
    // Read permission on the account only: refused silently after the message.
    selecionar(janela, despesa);
    {
        testsupport::Script s;
        s.ok();
        janela->cmdBaixar_Click();
        EXPECT_EQ(s.shownTexts(), QStringList{u("Você não tem permissão de gravação nesta conta ou tipo de receita/despesa.")});
    }
    // The type "000": only the account's write permission counts.
    // Dated before every other posting: the balance read of the root type adds up
    // the first-level types when the root has no posting of its own yet.
    const long raiz = lancar("001", "000", QDate(2023, 1, 2), 100, "R");
    janela = abrirExtrato();
    selecionar(janela, raiz);
    {
        testsupport::Script s;
        s.ok();
        janela->cmdRemBaixa_Click(); // unsettled: refused before the permissions
        s.ok();
        janela->cmdBaixar_Click();
        EXPECT_EQ(s.shownTexts().last(), u("Você não tem permissão de gravação nesta conta."));
    }
    permissao(1, u("001"), 2);
    {
        testsupport::Script s;
        s.yes().ok();
        janela->cmdBaixar_Click();
        EXPECT_EQ(s.shownTexts().last(), u("Baixa realizada com sucesso!"));
    }
    // With the transfer right, a leg on an account without write permission is named.
    permissaoTransferencia();
    permissao(1, u("001.001"), 2);
    janela = abrirExtrato();
    selecionar(janela, t.idEntrada);
    testsupport::Script s;
    s.ok().ok();
    janela->cmdBaixar_Click();
    EXPECT_EQ(s.shownTexts().last(), u("Você não pode fazer esta baixa por não ter permissão de gravação na conta "
                                       "'BANCO' de um dos lançamentos criados na tranferência que está sendo baixada."));
    EXPECT_EQ(realizado(t.idEntrada), u("?"));
    EXPECT_TRUE(janela->IsLoaded());
}

TEST_F(Operacoes, OutraCopiaPrimeiroOuPernasComCodigosDiferentesNadaEscrevem) {
    selecionar(janela, despesa);
    // Another copy settles it after this window read it.
    ASSERT_EQ(core::escrita::Baixar(*db, {"teste", "outra"}, despesa, 0, u("?"), u("S")), core::escrita::Desfecho::Gravado);
    const qint64 saldos = soma();
    {
        testsupport::Script s;
        s.no().ok();
        janela->cmdBaixar_Click();
        EXPECT_EQ(s.shownTexts().last(), kNaoOcorreu);
    }
    EXPECT_EQ(realizado(despesa), u("S"));
    EXPECT_EQ(soma(), saldos);
    // Legs stored 'S' and '?' (written by hand): settling the '?' leg as 'N'
    // would change one row; nothing is written and the user is told.
    db->Execute(u("UPDATE Lancamentos SET Realizado = 'S' WHERE Id = %1").arg(t.idSaida));
    janela->cmdAtualizar_Click();
    selecionar(janela, t.idEntrada);
    {
        testsupport::Script s;
        s.ok().no().ok();
        janela->cmdBaixar_Click();
        EXPECT_EQ(s.shownTexts().last(), kNaoOcorreu);
    }
    EXPECT_EQ(realizado(t.idSaida), u("S"));
    EXPECT_EQ(realizado(t.idEntrada), u("?"));
    EXPECT_EQ(soma(), saldos);
    db->Execute(u("UPDATE Lancamentos SET Realizado = '?' WHERE Id = %1").arg(t.idSaida));
}

TEST_F(Operacoes, EstornoDeUmLancamento) {
    // 51 characters refused, the window stays; quotes asked again; 50 accepted.
    selecionar(janela, despesa);
    {
        testsupport::Script s;
        s.yes().text(QString(51, QLatin1Char('x'))).ok();
        janela->cmdEstornar_Click();
        EXPECT_EQ(s.shownTexts().last(), kHistoricoLongo);
        EXPECT_EQ(s.shownTexts()[1], u("Entre com o histórico para o estorno (máx 50 caracteres):"));
    }
    EXPECT_EQ(realizado(despesa), u("?"));
    {
        testsupport::Script s;
        s.yes().text(u("D'AGUA")).ok().text(QString(50, QLatin1Char('y'))).ok();
        janela->cmdEstornar_Click();
        EXPECT_EQ(s.shownTexts()[2], u("Caracteres de aspas duplas ou simples não são permitidos em histórico. Favor "
                                       "tentar novamente."));
        EXPECT_EQ(s.shownTexts().last(), u("Estorno realizado com sucesso!"));
    }
    EXPECT_EQ(realizado(despesa), u("E"));
    // A posting without a document gets an empty one in its reversal.
    EXPECT_EQ(numero(u("SELECT Count(*) FROM Lancamentos WHERE Estorno = True AND Documento = '' AND Historico = '%1'")
                         .arg(QString(50, QLatin1Char('Y')))),
              1);
    EXPECT_TRUE(outro->AtualizacaoPendente());
    oraculo();
    // Blanks only are accepted; a stored document with an apostrophe is kept.
    const long comAspas = lancar("002", "004", QDate(2024, 4, 1), -700, "D'AGUA");
    janela->cmdAtualizar_Click();
    selecionar(janela, comAspas);
    {
        testsupport::Script s;
        s.yes().text(u("   ")).ok();
        janela->cmdEstornar_Click();
        EXPECT_EQ(s.shownTexts().last(), u("Estorno realizado com sucesso!"));
    }
    EXPECT_EQ(numero(u("SELECT Count(*) FROM Lancamentos WHERE Estorno = True AND Documento = 'D''AGUA' AND "
                       "Historico = '   '")),
              1);
    oraculo();
    // An inactive account: nothing written.
    db->Execute(u("UPDATE Contas SET Inativa = True WHERE Codigo = '001'"));
    const qint64 n = numero(u("SELECT Count(*) FROM Lancamentos"));
    selecionar(janela, depois);
    testsupport::Script s;
    s.yes().text(u("X")).ok();
    janela->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), u("Não foi possível incluir o estorno.\nPossível causa: a conta foi desativada."));
    EXPECT_EQ(numero(u("SELECT Count(*) FROM Lancamentos")), n);
    EXPECT_EQ(realizado(depois), u("?"));
}

TEST_F(Operacoes, EstornoDeTransferencia) {
    // 51 characters refused with the window open; blanks only refused.
    for (const QString &h : {QString(51, QLatin1Char('x')), u("   ")}) {
        selecionar(janela, t.idEntrada);
        testsupport::Script s;
        s.yes().ok().text(h).ok();
        janela->cmdEstornar_Click();
        EXPECT_EQ(s.shownTexts().last(), h.trimmed().isEmpty() ? u("Erro: histórico de estorno não informado.")
                                                                : kHistoricoLongo);
        EXPECT_EQ(s.shownTexts()[2], u("Entre com o histórico para o estorno (máx. 50 caracteres):"));
        QCoreApplication::sendPostedEvents();
        EXPECT_TRUE(janela->IsLoaded());
        EXPECT_EQ(realizado(t.idSaida), u("?"));
    }
    // The second leg refused (stored 'N' by hand): nothing written, the window stays.
    db->Execute(u("UPDATE Lancamentos SET Realizado = 'N' WHERE Id = %1").arg(t.idEntrada));
    {
        selecionar(janela, t.idSaida);
        testsupport::Script s;
        s.yes().ok().text(u("VOLTA")).ok();
        janela->cmdEstornar_Click();
        EXPECT_EQ(s.shownTexts().last(), kNaoEstornou);
        QCoreApplication::sendPostedEvents();
        EXPECT_TRUE(janela->IsLoaded());
        EXPECT_EQ(realizado(t.idSaida), u("?"));
    }
    db->Execute(u("UPDATE Lancamentos SET Realizado = '?' WHERE Id = %1").arg(t.idEntrada));
    // 50 characters: both legs.
    {
        selecionar(janela, t.idEntrada);
        testsupport::Script s;
        s.yes().ok().text(QString(50, QLatin1Char('z'))).ok();
        janela->cmdEstornar_Click();
        EXPECT_EQ(s.shownTexts().last(), u("Estorno realizado com sucesso!"));
    }
    EXPECT_EQ(realizado(t.idSaida), u("E"));
    EXPECT_EQ(realizado(t.idEntrada), u("E"));
    oraculo();
    // The first leg refused (reversed meanwhile by another copy): the window closes.
    const core::escrita::TransferenciaFeita t2 = transferir("001", "002", QDate(2024, 5, 1), 100);
    janela->cmdAtualizar_Click();
    selecionar(janela, t2.idEntrada);
    ASSERT_EQ(core::escrita::EstornarTransferencia(*db, {"teste", "outra"}, t2.idSaida, u("OUTRA"), 1),
              core::escrita::Desfecho::Gravado);
    QPointer<search::frmRetPesq> j = janela;
    testsupport::Script s;
    s.yes().ok().text(u("VOLTA")).ok();
    janela->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(), kNaoEstornou);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(j.isNull() || !j->IsLoaded());
    oraculo();
}

TEST_F(Operacoes, TransferenciaSemAOutraPernaFechaAJanela) {
    db->Execute(u("DELETE FROM Transferencias"));
    selecionar(janela, t.idSaida);
    QPointer<search::frmRetPesq> j = janela;
    testsupport::Script s;
    s.yes().ok().ok();
    janela->cmdEstornar_Click();
    EXPECT_EQ(s.shownTexts().last(),
              u("Erro: faltando informação sobre o lançamento correspondente na operação de transferência."));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(j.isNull() || !j->IsLoaded());
    // Restore the link so that the book stays sound for the oracle.
    db->Execute(u("INSERT INTO Transferencias (SerialSai, SerialEntra) VALUES (%1, %2)").arg(t.idSaida).arg(t.idEntrada));
}

} // namespace

// Taking back an 'N' past the range of money: the write core refuses and
// the window says why, for a posting and for a transfer, and writes nothing.
TEST_F(Operacoes, RemoverBaixaRecusadaDizOMotivo) {
    const long banco = lancar("002", "004", QDate(2024, 5, 1), -1250, "");
    for (auto [a, b] : {std::pair<long, long>{banco, 0}, {t.idSaida, t.idEntrada}})
        ASSERT_EQ(core::escrita::Baixar(*db, {"teste", "preparar"}, a, b, u("?"), u("N")), core::escrita::Desfecho::Gravado);
    // The account is left 10,00 above the smallest sum; the posting brought
    // back takes 12,50 from it, the transfer's outgoing leg 30,00.
    core::escrita::NovoLancamento l;
    l.codConta = u("002");
    l.codRecDesp = u("003");
    l.valor = value::Currency::fromUnits(std::numeric_limits<std::int64_t>::min() + 100000);
    l.data = QDate(2024, 6, 1);
    l.historico = u("GRANDE");
    ASSERT_EQ(core::escrita::Lancar(*db, {"teste", "lancar"}, l, 1), core::escrita::Desfecho::Gravado);
    janela->cmdAtualizar_Click();
    for (long id : {banco, t.idSaida}) {
        SCOPED_TRACE(id);
        selecionar(janela, id);
        testsupport::Script s;
        if (id == banco) s.yes().ok();
        else s.ok().ok();
        janela->cmdRemBaixa_Click();
        EXPECT_EQ(s.shownTexts().last(), core::escrita::kMsgForaDoLimite);
        EXPECT_EQ(realizado(id), u("N"));
        oraculo();
    }
}
