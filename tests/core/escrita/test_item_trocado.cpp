// Two copies on one book: a posting or a transfer names its account and type
// by code, and a code comes back once its item is deleted. Copy A (a second
// connection) changes the chart after copy B chose its items; B's write goes
// in only on the items B loaded, and tells why it did not.
#include "core/arvores/Arvores.h"
#include "core/escrita/Operacoes.h"
#include "db/Planos.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "support/LivroSemJanelas.h"
#include "support/Oracle.h"

#include <functional>

using core::escrita::Barrado;
using core::escrita::Desfecho;
using value::Currency;

namespace {

const core::escrita::Chamador kOnde{"frmTeste", "cmdConfirmar_Click"};

Currency reais(qint64 r) { return Currency::fromUnits(r * 10000); }

class ItemTrocado : public testsupport::LivroSemJanelas {
protected:
    void SetUp() override {
        LivroSemJanelas::SetUp();
        a = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), wsA);
        item(*db, true, QStringLiteral("001"), QStringLiteral("CAIXA"));
        item(*db, true, QStringLiteral("002"), QStringLiteral("BANCOS"));
        item(*db, true, QStringLiteral("002.001"), QStringLiteral("CONTA DE B"));
        item(*db, false, QStringLiteral("003"), QStringLiteral("SALARIO"));
        item(*db, false, QStringLiteral("004"), QStringLiteral("MERCADO"));
        // A posting in June 2020, so that one date is the book's latest and
        // the other moves a later posting: both ways of writing are guarded.
        core::escrita::NovoLancamento l{QStringLiteral("001"), QStringLiteral("003"), reais(100), QDate(2020, 6, 1),
                                        QString(), QStringLiteral("ANTES")};
        EXPECT_EQ(core::escrita::Lancar(*db, kOnde, l, 1), Desfecho::Gravado);
    }
    void TearDown() override {
        a.reset();
        EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
        LivroSemJanelas::TearDown();
    }
    static void item(dao::Database &c, bool conta, const QString &codigo, const QString &des) {
        c.Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai) VALUES ('%3', '%4', '%5')")
                      .arg(conta ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes"),
                           conta ? QStringLiteral("DesConta") : QStringLiteral("DesMovimentacao"), des, codigo,
                           CodigoPai(codigo)));
    }
    long id(bool conta, const QString &codigo) {
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Id FROM %1 WHERE Codigo = '%2'")
                                        .arg(conta ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes"), codigo),
                                    dao::dbOpenSnapshot);
        return rs->Eof() ? 0 : long(rs->Field(0).toInt());
    }
    qint64 numero(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        return rs->Field(0).toInt();
    }
    // What copy A does to the chart: delete the item and, when `novo` is
    // given, make a new one, which takes the same code.
    void excluir(bool conta, const QString &codigo, const QString &novo = QString()) {
        a->Execute(QStringLiteral("DELETE FROM %1 WHERE Codigo = '%2'")
                       .arg(conta ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes"), codigo));
        if (!novo.isEmpty()) item(*a, conta, codigo, novo);
    }
    void desativar(bool conta, const QString &codigo) {
        a->Execute(conta ? QStringLiteral("UPDATE Contas SET Inativa = True WHERE Codigo = '%1'").arg(codigo)
                         : QStringLiteral("UPDATE TiposMovimentacoes SET Inativo = True WHERE Codigo = '%1'").arg(codigo));
    }

    dao::Workspace wsA;
    std::unique_ptr<dao::Database> a; // copy A
};

struct CasoLancamento {
    const char *nome;
    std::function<void()> copiaA;
    Desfecho desfecho;
    Barrado barrado;
};

} // namespace

TEST_F(ItemTrocado, APostingGoesInOnlyOnTheItemsTheWindowLoadedAndSaysWhyNot) {
    const QString conta = QStringLiteral("002.001"), tipo = QStringLiteral("004");
    const std::vector<CasoLancamento> casos = {
        {"account deleted and its code given to A's new account",
         [&] { excluir(true, conta, QStringLiteral("NOVA DE A")); }, Desfecho::Mudado, Barrado::ContaMudada},
        {"account deleted", [&] { excluir(true, conta); }, Desfecho::Mudado, Barrado::ContaMudada},
        {"type deleted and its code given to A's new type",
         [&] { excluir(false, tipo, QStringLiteral("NOVO DE A")); }, Desfecho::Mudado, Barrado::TipoMudado},
        {"type deleted", [&] { excluir(false, tipo); }, Desfecho::Mudado, Barrado::TipoMudado},
        {"account deactivated", [&] { desativar(true, conta); }, Desfecho::Recusado, Barrado::ContaInativa},
        {"type deactivated", [&] { desativar(false, tipo); }, Desfecho::Recusado, Barrado::TipoInativo},
        {"both deactivated: the account is named", [&] { desativar(true, conta), desativar(false, tipo); },
         Desfecho::Recusado, Barrado::ContaInativa},
    };
    for (const QDate data : {QDate(2021, 1, 1), QDate(2020, 1, 1)}) {
        for (const CasoLancamento &c : casos) {
            SCOPED_TRACE(std::string(c.nome) + (data.year() == 2021 ? ", latest posting" : ", back-dated"));
            // B chose its items before A changed the chart.
            core::escrita::NovoLancamento l{conta, tipo, reais(10000), data, QString(), QStringLiteral("DE B")};
            l.idConta = id(true, conta);
            l.idRecDesp = id(false, tipo);
            c.copiaA();
            core::escrita::Feito f;
            EXPECT_EQ(core::escrita::Lancar(*db, kOnde, l, 1, &f), c.desfecho);
            EXPECT_EQ(f.barrado, c.barrado);
            EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), 1) << "nothing written";
            EXPECT_EQ(numero(QStringLiteral("SELECT Serial FROM Serial")), 1);
            // The chart as it was, for the next case.
            a->Execute(QStringLiteral("DELETE FROM Contas WHERE Codigo = '002.001'"));
            a->Execute(QStringLiteral("DELETE FROM TiposMovimentacoes WHERE Codigo = '004'"));
            a->Execute(QStringLiteral("UPDATE Contas SET Inativa = False"));
            item(*a, true, conta, QStringLiteral("CONTA DE B"));
            item(*a, false, tipo, QStringLiteral("MERCADO"));
        }
    }
    // The items as loaded now: the posting goes in.
    core::escrita::NovoLancamento l{conta, tipo, reais(10), QDate(2020, 1, 1), QString(), QStringLiteral("DE B")};
    l.idConta = id(true, conta);
    l.idRecDesp = id(false, tipo);
    EXPECT_EQ(core::escrita::Lancar(*db, kOnde, l, 1), Desfecho::Gravado);
}

TEST_F(ItemTrocado, ATransferGoesInOnlyOnBothAccountsTheDialogLoaded) {
    for (const int perna : {1, 2}) {
        for (const QDate data : {QDate(2021, 1, 1), QDate(2020, 1, 1)}) {
            SCOPED_TRACE(QStringLiteral("leg %1, %2").arg(perna).arg(data.toString(Qt::ISODate)).toStdString());
            const QString orig = perna == 1 ? QStringLiteral("002.001") : QStringLiteral("001");
            const QString dest = perna == 1 ? QStringLiteral("001") : QStringLiteral("002.001");
            core::escrita::Transferencia t{orig, dest, QString(), QString(), data, reais(40), QStringLiteral("S"),
                                           QStringLiteral("E")};
            t.idContaOrig = id(true, orig);
            t.idContaDest = id(true, dest);
            excluir(true, QStringLiteral("002.001"), QStringLiteral("NOVA DE A"));
            core::escrita::TransferenciaFeita feita;
            int refusada = 0;
            EXPECT_EQ(core::escrita::Transferir(*db, kOnde, t, 1, &feita, &refusada), Desfecho::Mudado);
            EXPECT_EQ(refusada, perna);
            EXPECT_EQ(feita.barrado, Barrado::ContaMudada);
            EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), 1) << "neither leg";
            EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Transferencias")), 0);
            EXPECT_EQ(numero(QStringLiteral("SELECT Serial FROM Serial")), 1);
        }
    }
    // An account deactivated keeps its own outcome.
    desativar(true, QStringLiteral("001"));
    core::escrita::Transferencia t{QStringLiteral("002.001"), QStringLiteral("001"), QString(), QString(),
                                   QDate(2021, 1, 1), reais(40), QStringLiteral("S"), QStringLiteral("E")};
    t.idContaOrig = id(true, t.codContaOrig);
    t.idContaDest = id(true, t.codContaDest);
    core::escrita::TransferenciaFeita feita;
    int refusada = 0;
    EXPECT_EQ(core::escrita::Transferir(*db, kOnde, t, 1, &feita, &refusada), Desfecho::Recusado);
    EXPECT_EQ(refusada, 2);
    EXPECT_EQ(feita.barrado, Barrado::ContaInativa);
}

TEST(MensagemDeLancamentoRecusado, NamesTheItemAndWhatHappenedToIt) {
    using core::arvores::MensagemDeItemMudado;
    const QString c = QStringLiteral("CAIXA"), t = QStringLiteral("MERCADO");
    const struct {
        Barrado barrado;
        QString esperada;
    } casos[] = {
        {Barrado::ContaMudada, MensagemDeItemMudado(db::Plano::Contas, c)},
        {Barrado::TipoMudado, MensagemDeItemMudado(db::Plano::RecDesp, t)},
        {Barrado::ContaInativa, QStringLiteral("Não foi possível incluir o lançamento.\nPossível causa: a conta foi desativada.")},
        {Barrado::TipoInativo,
         QStringLiteral("Não foi possível incluir o lançamento.\nPossível causa: o tipo de receita/despesa foi desativado.")},
    };
    for (const auto &caso : casos)
        EXPECT_EQ(core::escrita::MensagemDeLancamentoRecusado(caso.barrado, c, t), caso.esperada) << int(caso.barrado);
    EXPECT_EQ(core::escrita::MensagemDeTransferenciaRecusada(Barrado::ContaMudada, 2, c),
              MensagemDeItemMudado(db::Plano::Contas, c));
    EXPECT_EQ(core::escrita::MensagemDeTransferenciaRecusada(Barrado::ContaInativa, 2, c),
              QStringLiteral("Não foi possível fazer o lançamento de entrada. Transferência cancelada.\nPossível causa: a "
                             "conta foi desativada."));
}

TEST_F(ItemTrocado, AReversalRefusedByTheGuardNamesWhatAnotherCopyDeactivated) {
    const long serial = numero(QStringLiteral("SELECT Id FROM Lancamentos"));
    const struct {
        bool conta;
        QString codigo;
        QString esperada;
    } casos[] = {
        {false, QStringLiteral("003"),
         QStringLiteral("Não foi possível incluir o estorno.\nPossível causa: o tipo de receita/despesa foi desativado.")},
        {true, QStringLiteral("001"), QStringLiteral("Não foi possível incluir o estorno.\nPossível causa: a conta foi desativada.")},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.codigo.toStdString());
        desativar(c.conta, c.codigo);
        core::escrita::Estorno e;
        const Desfecho d = core::escrita::Estornar(*db, kOnde, serial, QStringLiteral("ESTORNO"), 1, &e);
        EXPECT_EQ(d, Desfecho::Recusado);
        EXPECT_EQ(core::escrita::MensagemDeEstornoRecusado(d, QString(), e.barrado), c.esperada);
        EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), 1) << "nothing written";
        EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Estornado = True")), 0);
        a->Execute(QStringLiteral("UPDATE Contas SET Inativa = False"));
        a->Execute(QStringLiteral("UPDATE TiposMovimentacoes SET Inativo = False"));
    }
}
