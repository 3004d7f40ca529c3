// Settling and taking a settlement back: the guarded change of Realizado and
// the balances of the posting itself and of every later one, checked against
// the balance oracle after every write.
#include "ui/AppContext.h"
#include "db/CDaoTrans.h"
#include "db/ConstruirBanco.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/err/AppError.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "core/escrita/Permissoes.h"
#include "support/ErrorOf.h"
#include "support/Oracle.h"
#include "support/LivroSemJanelas.h"

#include <sqlite3.h>

using core::escrita::Baixa;
using core::escrita::Desfecho;
using value::Currency;

namespace {

Currency reais(qint64 centavos) { return Currency::fromUnits(centavos * 100); }
const core::escrita::Chamador kOnde{"frmTeste", "cmdBaixar_Click"};

class Baixas : public testsupport::LivroSemJanelas {
protected:
    void SetUp() override {
        LivroSemJanelas::SetUp();
        for (const char *c : {"001", "001.001", "001.001.001", "001.002", "002"}) item("Contas", "DesConta", c);
        for (const char *t : {"003", "003.001", "003.001.001", "004"}) item("TiposMovimentacoes", "DesMovimentacao", t);
    }
    void TearDown() override {
        oraculo();
        LivroSemJanelas::TearDown();
    }
    void oraculo() { EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), ""); }
    void item(const char *tabela, const char *campo, const char *codigo) {
        const QString c = QString::fromLatin1(codigo);
        db->Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai) VALUES ('D %3', '%3', '%4')")
                        .arg(QString::fromLatin1(tabela), QString::fromLatin1(campo), c, CodigoPai(c)));
    }
    long lancar(const char *conta, const char *tipo, qint64 centavos, QDate d) {
        core::escrita::NovoLancamento l;
        l.codConta = QString::fromLatin1(conta);
        l.codRecDesp = QString::fromLatin1(tipo);
        l.valor = reais(centavos);
        l.data = d;
        l.historico = QStringLiteral("H");
        core::escrita::Feito f;
        EXPECT_EQ(core::escrita::Lancar(*db, kOnde, l, 1, &f), Desfecho::Gravado);
        return f.id;
    }
    core::escrita::TransferenciaFeita transferir(const char *de, const char *para, qint64 centavos, QDate d) {
        core::escrita::Transferencia t;
        t.codContaOrig = QString::fromLatin1(de);
        t.codContaDest = QString::fromLatin1(para);
        t.valor = reais(centavos);
        t.data = d;
        t.historicoSaida = QStringLiteral("SAI");
        t.historicoEntrada = QStringLiteral("ENTRA");
        core::escrita::TransferenciaFeita f;
        EXPECT_EQ(core::escrita::Transferir(*db, kOnde, t, 1, &f), Desfecho::Gravado);
        return f;
    }
    // Postings before, on the same day and after, on the branches and beside them.
    void vizinhos(QDate d) {
        lancar("001", "003", 1000, d.addDays(-3));
        lancar("001.001.001", "003.001.001", -250, d.addDays(-1));
        lancar("001.002", "004", 777, d);
        lancar("002", "003.001", -90, d.addDays(2));
        lancar("001.001", "003", 12345, d.addDays(5));
        transferir("002", "001.001", 5000, d.addDays(1));
    }
    QString codigo(long id) { return texto(QStringLiteral("SELECT Realizado FROM Lancamentos WHERE Id = %1").arg(id)); }
    QString texto(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        return rs->Eof() ? QString() : rs->Field(0).toString();
    }
    // Every stored column of every posting, to see that nothing moved.
    QStringList livro() {
        QStringList linhas;
        auto rs = db->OpenRecordset(QStringLiteral("SELECT * FROM Lancamentos ORDER BY Id"), dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext()) {
            QStringList l;
            for (int i = 0; i < rs->FieldCount(); ++i) l << rs->Field(i).toString();
            linhas << l.join(QLatin1Char('|'));
        }
        return linhas;
    }
    Baixa mudar(long id, long outra, const char *antigo, const char *novo) {
        db::CDaoTrans t;
        t.BegTrans();
        const Baixa b = core::escrita::MudarRealizado(*db, id, outra, QString::fromLatin1(antigo), QString::fromLatin1(novo));
        if (b == Baixa::Mudada) t.ComTrans();
        return b;
    }
    void setRealizado(long id, const char *c) {
        db->Execute(QStringLiteral("UPDATE Lancamentos SET Realizado = '%1' WHERE Id = %2").arg(QString::fromLatin1(c)).arg(id));
    }
};

} // namespace

TEST_F(Baixas, EveryCodeChangeOfASinglePostingKeepsEveryBalanceTrue) {
    // old code x new code, for an income and an expense on nested accounts and
    // types; the oracle recomputes the balances from the codes alone.
    const char *codigos[] = {"?", "S", "N"};
    const struct { const char *conta, *tipo; qint64 centavos; } postagens[] = {
        {"001.001", "003.001", 15000}, {"001.001.001", "003.001.001", -4321}, {"002", "004", -999999999}};
    const QDate d(2024, 3, 10);
    vizinhos(d);
    for (const auto &p : postagens) {
        const long id = lancar(p.conta, p.tipo, p.centavos, d);
        for (const char *de : codigos) {
            for (const char *para : codigos) {
                setRealizado(id, "?");
                if (QString::fromLatin1(de) == QStringLiteral("N")) {
                    ASSERT_EQ(mudar(id, 0, "?", "N"), Baixa::Mudada);
                } else {
                    setRealizado(id, de);
                }
                ASSERT_EQ(mudar(id, 0, de, para), Baixa::Mudada) << de << " -> " << para;
                EXPECT_EQ(codigo(id), QString::fromLatin1(para));
                ASSERT_EQ(testsupport::CheckBookText(*db).toStdString(), "") << p.conta << " " << de << " -> " << para;
                if (QString::fromLatin1(para) == QStringLiteral("N")) {
                    ASSERT_EQ(mudar(id, 0, "N", "?"), Baixa::Mudada);
                }
            }
        }
    }
}

TEST_F(Baixas, SettlingAsNotRealisedTakesThePostingOutOfItsOwnBalancesToo) {
    const QDate d(2024, 3, 10);
    lancar("001", "003", 10000, d.addDays(-1));
    const long id = lancar("001.001", "003.001", -2500, d);
    const long depois = lancar("002", "004", 100, d.addDays(1));
    ASSERT_EQ(mudar(id, 0, "?", "N"), Baixa::Mudada);
    auto saldo = [&](long i, const char *campo) {
        return texto(QStringLiteral("SELECT %1 FROM Lancamentos WHERE Id = %2").arg(QString::fromLatin1(campo)).arg(i));
    };
    EXPECT_EQ(saldo(id, "SaldoConta"), QStringLiteral("0"));
    EXPECT_EQ(saldo(id, "SaldoRecDesp"), QStringLiteral("0"));
    EXPECT_EQ(saldo(id, "SaldoGlobal"), QStringLiteral("100"));
    EXPECT_EQ(saldo(depois, "SaldoGlobal"), QStringLiteral("101"));
}

TEST_F(Baixas, GuardLeavesAPostingNoLongerInTheStateShown) {
    const QDate d(2024, 3, 10);
    vizinhos(d);
    const long aberto = lancar("001", "003", 500, d);
    const long estornado = lancar("001", "003", 700, d);
    core::escrita::Estorno e;
    ASSERT_EQ(core::escrita::Estornar(*db, kOnde, estornado, QStringLiteral("E"), 1, &e), Desfecho::Gravado);
    const QStringList antes = livro();
    const struct { const char *nome; long id; const char *antigo; } casos[] = {
        {"window shows another code", aberto, "S"},
        {"reversed", estornado, "E"},
        {"reversed, shown as unsettled", estornado, "?"},
        {"a reversal", e.id, "E"},
        {"gone", 9999, "?"},
    };
    for (const auto &c : casos) {
        EXPECT_EQ(mudar(c.id, 0, c.antigo, "N"), Baixa::NaoOcorreu) << c.nome;
        EXPECT_EQ(core::escrita::Baixar(*db, kOnde, c.id, 0, QString::fromLatin1(c.antigo), QStringLiteral("S")),
                  Desfecho::NaoOcorreu) << c.nome;
        EXPECT_EQ(livro(), antes) << c.nome;
    }
}

TEST_F(Baixas, RefusesToWriteOutsideATransactionAndRefusesUnknownCodes) {
    const long id = lancar("001", "003", 500, QDate(2024, 1, 1));
    EXPECT_EQ(testsupport::errorOf([&] { core::escrita::MudarRealizado(*db, id, 0, QStringLiteral("?"), QStringLiteral("N")); }),
              err::db::kNotInTransaction);
    db::CDaoTrans t;
    t.BegTrans();
    EXPECT_EQ(testsupport::errorOf([&] { core::escrita::MudarRealizado(*db, id, 0, QStringLiteral("?"), QStringLiteral("E")); }),
              err::kErrGeneric);
    t.RollBack();
    EXPECT_EQ(codigo(id), QStringLiteral("?"));
}

TEST_F(Baixas, TransferFromEitherLegChangesBothAndEachLegFromItsOwnDate) {
    const QDate d(2024, 3, 10);
    vizinhos(d);
    // Legs of one transfer on nested accounts, with later postings on both branches.
    const auto t = transferir("001.001.001", "001.002", 30000, d);
    lancar("001.001", "003", 1, d.addDays(3));
    lancar("001", "004", -2, d.addDays(4));
    transferir("001.002", "002", 100, d.addDays(4));
    const struct { const char *de, *para; bool pelaEntrada; } passos[] = {
        {"?", "N", false}, {"N", "S", true}, {"S", "N", true}, {"N", "N", false}, {"N", "?", false},
        {"?", "S", true}, {"S", "S", false}, {"S", "?", true}, {"?", "?", false},
    };
    for (const auto &p : passos) {
        const long id = p.pelaEntrada ? t.idEntrada : t.idSaida, outra = p.pelaEntrada ? t.idSaida : t.idEntrada;
        ASSERT_EQ(core::escrita::Baixar(*db, kOnde, id, outra, QString::fromLatin1(p.de), QString::fromLatin1(p.para)),
                  Desfecho::Gravado) << p.de << " -> " << p.para;
        EXPECT_EQ(codigo(t.idSaida), QString::fromLatin1(p.para));
        EXPECT_EQ(codigo(t.idEntrada), QString::fromLatin1(p.para));
        ASSERT_EQ(testsupport::CheckBookText(*db).toStdString(), "") << p.de << " -> " << p.para;
    }
}

TEST_F(Baixas, ATransferWhoseLegsDisagreeOrAreNotOneOfEachChangesNothing) {
    const QDate d(2024, 3, 10);
    vizinhos(d);
    const auto t = transferir("001", "002", 4000, d);
    const long solto = lancar("001", "003", 10, d);
    const QStringList antes = livro();
    // Legs whose codes differ: settling the destination as 'N' would change
    // one row and take the origin out of the balances a second time.
    setRealizado(t.idSaida, "N");
    EXPECT_EQ(mudar(t.idEntrada, t.idSaida, "?", "N"), Baixa::NaoOcorreu);
    EXPECT_EQ(codigo(t.idEntrada), QStringLiteral("?"));
    setRealizado(t.idSaida, "?");
    EXPECT_EQ(livro(), antes);
    // Two incoming legs, a leg and an ordinary posting, a leg given alone, the same leg twice.
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Transferencia = 2 WHERE Id = %1").arg(t.idSaida));
    EXPECT_EQ(mudar(t.idSaida, t.idEntrada, "?", "N"), Baixa::Incompleta);
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Transferencia = 1 WHERE Id = %1").arg(t.idSaida));
    EXPECT_EQ(mudar(t.idSaida, solto, "?", "N"), Baixa::Incompleta);
    EXPECT_EQ(mudar(t.idSaida, 0, "?", "N"), Baixa::Incompleta);
    EXPECT_EQ(mudar(t.idSaida, t.idSaida, "?", "N"), Baixa::Incompleta);
    EXPECT_EQ(core::escrita::Baixar(*db, kOnde, t.idSaida, 9999, QStringLiteral("?"), QStringLiteral("N")), Desfecho::Incompleta);
    EXPECT_EQ(livro(), antes);
}

TEST_F(Baixas, AFileKeptBusyByAnotherCopyEndsAsALockWithNothingWritten) {
    const long id = lancar("001", "003", 500, QDate(2024, 1, 1));
    dao::Workspace ws;
    auto outra = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), ws);
    ws.BeginTrans();
    outra->Execute(QStringLiteral("UPDATE Serial SET Serial = Serial"));
    sqlite3_busy_timeout(db->handle(), 50);
    EXPECT_EQ(core::escrita::Baixar(*db, kOnde, id, 0, QStringLiteral("?"), QStringLiteral("N")), Desfecho::Bloqueio);
    ws.Rollback();
    EXPECT_EQ(codigo(id), QStringLiteral("?"));
    EXPECT_EQ(core::escrita::Baixar(*db, kOnde, id, 0, QStringLiteral("?"), QStringLiteral("N")), Desfecho::Gravado);
}

TEST_F(Baixas, AnEngineErrorGoesUpWithTheCallersLocation) {
    const long id = lancar("001", "003", 500, QDate(2024, 1, 1));
    // The engine refuses the guarded statement.
    ASSERT_EQ(sqlite3_exec(db->handle(), "CREATE TEMP TRIGGER falha BEFORE UPDATE ON Lancamentos BEGIN SELECT RAISE(ABORT, 'falha'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    try {
        core::escrita::Baixar(*db, {"frmPendencias", "BaixaDeTransferencia"}, id, 0, QStringLiteral("?"), QStringLiteral("N"));
        ADD_FAILURE() << "no error";
    } catch (const err::AppError &e) {
        EXPECT_TRUE(e.source().startsWith(QStringLiteral("em frmPendencias_BaixaDeTransferencia, linha: ")))
            << e.source().toStdString();
    }
    ASSERT_EQ(sqlite3_exec(db->handle(), "DROP TRIGGER falha", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(codigo(id), QStringLiteral("?"));
}
