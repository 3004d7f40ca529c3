// What a common user may do with postings and transfers, the legs of a
// transfer as every user reads them, the verdict on a reversal history and
// what a reversal of a posting without a document stores.
#include "ui/AppContext.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/HistoricoDeEstorno.h"
#include "core/escrita/Operacoes.h"
#include "core/escrita/Permissoes.h"
#include "support/Oracle.h"
#include "support/LivroSemJanelas.h"

using core::escrita::Desfecho;
using value::Currency;

namespace {

const core::escrita::Chamador kOnde{"frmTeste", "cmdEstornar_Click"};
constexpr long kComum = 2;

class Permissoes : public testsupport::LivroSemJanelas {
protected:
    void SetUp() override {
        LivroSemJanelas::SetUp();
        db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('ZE','ZE','X',2)"));
        for (const char *c : {"001", "001.001", "002"}) item("Contas", "DesConta", c);
        item("TiposMovimentacoes", "DesMovimentacao", "003");
    }
    void TearDown() override {
        EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
        LivroSemJanelas::TearDown();
    }
    long item(const char *tabela, const char *campo, const char *codigo) {
        const QString c = QString::fromLatin1(codigo);
        db->Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai) VALUES ('D %3', '%3', '%4')")
                        .arg(QString::fromLatin1(tabela), QString::fromLatin1(campo), c, CodigoPai(c)));
        return id(tabela, codigo);
    }
    long id(const char *tabela, const char *codigo) {
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Id FROM %1 WHERE Codigo = '%2'")
                                        .arg(QString::fromLatin1(tabela), QString::fromLatin1(codigo)),
                                    dao::dbOpenSnapshot);
        return long(rs->Field(0).toInt());
    }
    void permissao(int tipoObjeto, long idObjeto, int valor) {
        db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                                   "VALUES (%1, %2, %3, %4)").arg(kComum).arg(idObjeto).arg(tipoObjeto).arg(valor));
    }
    core::escrita::TransferenciaFeita transferir(const char *de, const char *para) {
        core::escrita::Transferencia t;
        t.codContaOrig = QString::fromLatin1(de);
        t.codContaDest = QString::fromLatin1(para);
        t.valor = Currency::fromUnits(1000000);
        t.data = QDate(2024, 5, 1);
        t.historicoSaida = QStringLiteral("SAI");
        t.historicoEntrada = QStringLiteral("ENTRA");
        core::escrita::TransferenciaFeita f;
        EXPECT_EQ(core::escrita::Transferir(*db, kOnde, t, 1, &f), Desfecho::Gravado);
        return f;
    }
};

} // namespace

TEST_F(Permissoes, WriteRightsCountTheExactAccountAndTypeOnly) {
    const long conta = id("Contas", "001"), filha = id("Contas", "001.001"), tipo = id("TiposMovimentacoes", "003");
    permissao(1, conta, 3);
    permissao(1, filha, 1);
    permissao(2, tipo, 2);
    const struct { const char *conta, *tipo; long total; } casos[] = {
        {"001", "003", 2}, {"001.001", "003", 1}, {"002", "003", 1}, {"001", "004", 1}};
    for (const auto &c : casos)
        EXPECT_EQ(core::escrita::PermissoesDeGravacao(*db, kComum, QString::fromLatin1(c.conta), QString::fromLatin1(c.tipo)), c.total)
            << c.conta << " " << c.tipo;
}

TEST_F(Permissoes, TransfersNeedWritingOnTheTransferType) {
    EXPECT_TRUE(core::escrita::PodeOperarTransferencias(*db, 1, 1));
    EXPECT_FALSE(core::escrita::PodeOperarTransferencias(*db, kComum, 2));
    permissao(2, 2, 1);
    EXPECT_FALSE(core::escrita::PodeOperarTransferencias(*db, kComum, 2)) << "reading is not enough";
    db->Execute(QStringLiteral("UPDATE PermissoesDeUsuarios SET Permissoes = 2"));
    EXPECT_TRUE(core::escrita::PodeOperarTransferencias(*db, kComum, 2));
}

TEST_F(Permissoes, LegsComeOutgoingFirstForEveryUserWithTheCommonUsersRights) {
    permissao(1, id("Contas", "002"), 3);
    // The outgoing leg stored with the greater Id, so that a read in Id order
    // gives the incoming leg first.
    const auto t = transferir("001", "002");
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Transferencia = 3 - Transferencia, Valor = -Valor"));
    db->Execute(QStringLiteral("UPDATE Transferencias SET SerialSai = %1, SerialEntra = %2").arg(t.idEntrada).arg(t.idSaida));
    for (int tipoUsuario : {1, 2}) {
        for (long serial : {t.idSaida, t.idEntrada}) {
            const auto pernas = core::escrita::LerPernas(*db, serial, tipoUsuario == 1 ? 1 : kComum, tipoUsuario);
            ASSERT_EQ(pernas.size(), 2u);
            EXPECT_TRUE(core::escrita::PernasCompletas(pernas));
            EXPECT_EQ(pernas[0].id, t.idEntrada) << tipoUsuario;
            EXPECT_EQ(pernas[0].codConta, QStringLiteral("002"));
            EXPECT_EQ(pernas[0].desConta, QStringLiteral("D 002"));
            EXPECT_EQ(pernas[1].dataId, core::escrita::MontarDataId(QDate(2024, 5, 1), t.idSaida));
            if (tipoUsuario == 2) {
                EXPECT_TRUE(pernas[0].podeGravar());
                EXPECT_FALSE(pernas[1].podeGravar()) << "no row on the account";
                EXPECT_FALSE(pernas[1].permissoes.has_value());
            }
        }
    }
    db->Execute(QStringLiteral("DELETE FROM Lancamentos WHERE Id = %1").arg(t.idSaida));
    EXPECT_FALSE(core::escrita::PernasCompletas(core::escrita::LerPernas(*db, t.idEntrada, 1, 1)));
    db->Execute(QStringLiteral("DELETE FROM Lancamentos"));
    db->Execute(QStringLiteral("DELETE FROM Transferencias"));
    db->Execute(QStringLiteral("UPDATE Serial SET Serial = 0"));
}

TEST_F(Permissoes, ReversalOfATransferWithLegsThatAreNotOneOfEachWritesNothing) {
    const auto t = transferir("001", "002");
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Transferencia = 2 WHERE Id = %1").arg(t.idSaida));
    EXPECT_EQ(core::escrita::EstornarTransferencia(*db, kOnde, t.idEntrada, QStringLiteral("H"), 1), Desfecho::Incompleta);
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Transferencia = 1 WHERE Id = %1").arg(t.idSaida));
    auto rs = db->OpenRecordset(QStringLiteral("SELECT COUNT(*) FROM Lancamentos"), dao::dbOpenSnapshot);
    EXPECT_EQ(rs->Field(0).toInt(), 2);
}

TEST_F(Permissoes, AReversalStoresNullOrAnEmptyDocumentAsTheCallerAsks) {
    const struct { const char *documento; core::escrita::DocumentoAusente ausente; const char *guardado; } casos[] = {
        {nullptr, core::escrita::DocumentoAusente::Nulo, nullptr},
        {nullptr, core::escrita::DocumentoAusente::Vazio, ""},
        {"N'1", core::escrita::DocumentoAusente::Vazio, "N'1"},
    };
    for (const auto &c : casos) {
        core::escrita::NovoLancamento l;
        l.codConta = QStringLiteral("001");
        l.codRecDesp = QStringLiteral("003");
        l.valor = Currency::fromUnits(50000);
        l.data = QDate(2024, 1, 2);
        l.historico = QStringLiteral("H");
        if (c.documento) l.documento = QString::fromLatin1(c.documento);
        core::escrita::Feito f;
        ASSERT_EQ(core::escrita::Lancar(*db, kOnde, l, 1, &f), Desfecho::Gravado);
        core::escrita::Estorno e;
        ASSERT_EQ(core::escrita::Estornar(*db, kOnde, f.id, QStringLiteral("VOLTA"), 1, &e, c.ausente), Desfecho::Gravado);
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Documento FROM Lancamentos WHERE Id = %1").arg(e.id), dao::dbOpenSnapshot);
        const value::Value v = rs->Field(0);
        EXPECT_EQ(v.isNull(), c.guardado == nullptr) << (c.documento ? c.documento : "(none)");
        if (c.guardado) {
            EXPECT_EQ(v.toString(), QString::fromUtf8(c.guardado));
        }
    }
}

// The verdict on each answer, without a box: the window shows the texts.
TEST(HistoricoDeEstorno, JudgesEachAnswer) {
    using Passo = ui::Avaliacao::Passo;
    core::escrita::PedidoDeHistorico umaVez;
    umaVez.longoPedeDeNovo = false;
    core::escrita::PedidoDeHistorico soVazio;
    soVazio.longoPedeDeNovo = false;
    soVazio.soBrancosVale = true;
    const struct {
        QString resposta;
        core::escrita::PedidoDeHistorico pedido;
        Passo passo;
        QString aviso, valor;
    } casos[] = {
        {QStringLiteral("d'agua"), {}, Passo::PedeDeNovo, core::escrita::kMsgAspasHistorico, {}},
        {QStringLiteral("a \"b\""), umaVez, Passo::PedeDeNovo, core::escrita::kMsgAspasHistorico, {}},
        {QString(51, QLatin1Char('x')), {}, Passo::PedeDeNovo, core::escrita::kMsgHistoricoEstornoLongo, {}},
        {QString(51, QLatin1Char('x')), umaVez, Passo::Recusa, core::escrita::kMsgHistoricoComMaisDe50, {}},
        {QStringLiteral("  volta ao caixa "), {}, Passo::Aceita, {}, QStringLiteral("  VOLTA AO CAIXA ")},
        {QString(50, QLatin1Char('y')), {}, Passo::Aceita, {}, QString(50, QLatin1Char('Y'))},
        {QString(), {}, Passo::Recusa, core::escrita::kMsgHistoricoEstornoVazio, {}},
        {QStringLiteral("   "), {}, Passo::Recusa, core::escrita::kMsgHistoricoEstornoVazio, {}},
        {QStringLiteral("   "), soVazio, Passo::Aceita, {}, QStringLiteral("   ")},
        {QString(), soVazio, Passo::Recusa, core::escrita::kMsgHistoricoEstornoVazio, {}},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.resposta.toStdString());
        const ui::Avaliacao a = core::escrita::AvaliarHistoricoDeEstorno(c.resposta, c.pedido);
        EXPECT_EQ(a.passo, c.passo);
        EXPECT_EQ(a.aviso, c.aviso);
        EXPECT_EQ(a.valor, c.valor);
    }
}
