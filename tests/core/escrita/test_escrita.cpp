// The posting write and the opening balance, checked against the balance oracle.
#include "ui/AppContext.h"
#include "db/CDaoTrans.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "core/escrita/SaldoInicial.h"
#include "support/Book.h"
#include "support/ErrorOf.h"
#include "support/Oracle.h"
#include "support/LivroSemJanelas.h"
#include "support/TransactionStatements.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <random>

using value::Currency;

namespace {

Currency reais(double v) { return Currency::fromUnits(qint64(std::llround(v * 10000))); }

class Escrita : public testsupport::LivroSemJanelas {
protected:
    void SetUp() override {
        LivroSemJanelas::SetUp();
    }
    void TearDown() override {
        EXPECT_EQ(testsupport::CheckBookText(*db, oracle).toStdString(), "");
        LivroSemJanelas::TearDown();
    }
    void conta(const QString &codigo, bool inativa = false) {
        const QString pai = CodigoPai(codigo);
        db->Execute(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai, Inativa) VALUES ('C %1', '%1', '%2', %3)")
                        .arg(codigo, pai, inativa ? QStringLiteral("True") : QStringLiteral("False")));
    }
    void tipo(const QString &codigo) {
        const QString pai = CodigoPai(codigo);
        db->Execute(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai, Inativo) "
                                   "VALUES ('T %1', '%1', '%2', False)").arg(codigo, pai));
    }
    core::escrita::Resultado lancar(const QString &c, const QString &t, Currency v, QDate d, core::escrita::Gravado *g = nullptr) {
        core::escrita::Lancamento l;
        l.codConta = c;
        l.codRecDesp = t;
        l.valor = v;
        l.data = d;
        l.historico = QStringLiteral("HISTORICO");
        l.idUsuario = 1;
        db::CDaoTrans trans;
        trans.BegTrans();
        const auto r = core::escrita::GravarLancamento(*db, l, g);
        if (r == core::escrita::Resultado::Gravado) trans.ComTrans();
        return r;
    }
    long inicial(const QString &c, Currency v, QDate d) {
        db::CDaoTrans trans;
        trans.BegTrans();
        QString recusa;
        const long id = core::escrita::LancarSaldoInicial(*db, c, v, d, 1, recusa);
        EXPECT_EQ(recusa, QString());
        trans.ComTrans();
        return id;
    }
    struct Linha {
        Currency valor, saldoConta, saldoRecDesp, saldoGlobal;
        QString realizado, codRecDesp, historico, dataId;
    };
    Linha linha(long id) {
        auto rs = db->OpenRecordset(QStringLiteral("SELECT * FROM Lancamentos WHERE Id = %1").arg(id), dao::dbOpenSnapshot);
        EXPECT_FALSE(rs->Eof());
        return {rs->Field(QStringLiteral("Valor")).toCurrency(), rs->Field(QStringLiteral("SaldoConta")).toCurrency(),
                rs->Field(QStringLiteral("SaldoRecDesp")).toCurrency(), rs->Field(QStringLiteral("SaldoGlobal")).toCurrency(),
                rs->Field(QStringLiteral("Realizado")).toString(), rs->Field(QStringLiteral("CodRecDesp")).toString(),
                rs->Field(QStringLiteral("Historico")).toString(), rs->Field(QStringLiteral("DataId")).toString()};
    }
    qint64 contagem(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        return rs->Field(0).toInt();
    }
    testsupport::OracleOptions oracle;
};

} // namespace

TEST(TextoValor, AmountsAreWrittenWithPointAndNeverRounded) {
    const struct { qint64 units; const char *texto; } casos[] = {
        {1000000, "100.00"}, {-500000, "-50.00"}, {0, "0.00"}, {999999999900, "99999999.99"},
        {12345, "1.2345"}, {-1, "-0.0001"}, {123456789000, "12345678.90"},
    };
    for (const auto &c : casos)
        EXPECT_EQ(core::escrita::TextoValor(Currency::fromUnits(c.units)), QString::fromLatin1(c.texto)) << c.units;
    EXPECT_EQ(core::escrita::MontarDataId(QDate(2008, 3, 10), 42), QStringLiteral("20080310000000042"));
}

TEST_F(Escrita, RefusesToWriteOutsideATransaction) {
    conta(QStringLiteral("001"));
    tipo(QStringLiteral("003"));
    core::escrita::Lancamento l;
    l.codConta = QStringLiteral("001");
    l.codRecDesp = QStringLiteral("003");
    l.valor = reais(10);
    l.data = QDate(2020, 1, 1);
    EXPECT_EQ(testsupport::errorOf([&] { core::escrita::GravarLancamento(*db, l); }), err::db::kNotInTransaction);
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), 0);
}

TEST_F(Escrita, PostingMovesLaterBalancesOfItsBranchesOnly) {
    for (const char *c : {"001", "001.001", "001.002", "002"}) conta(QString::fromLatin1(c));
    for (const char *t : {"003", "003.001", "004"}) tipo(QString::fromLatin1(t));
    const QDate d0(2020, 1, 10);
    // Postings on the ancestor, the sibling, below, elsewhere; later dates.
    ASSERT_EQ(lancar("001", "003", reais(10), d0.addDays(5)), core::escrita::Resultado::Gravado);
    ASSERT_EQ(lancar("001.002", "003.001", reais(-3.5), d0.addDays(6)), core::escrita::Resultado::Gravado);
    ASSERT_EQ(lancar("002", "004", reais(7), d0.addDays(7)), core::escrita::Resultado::Gravado);
    ASSERT_EQ(lancar("001.001", "003.001", reais(1.25), d0.addDays(8)), core::escrita::Resultado::Gravado);
    // Back-dated, then same date as an existing one, then after all.
    core::escrita::Gravado g;
    ASSERT_EQ(lancar("001.001", "003.001", reais(100), d0, &g), core::escrita::Resultado::Gravado);
    EXPECT_EQ(g.dataId, core::escrita::MontarDataId(d0, 5));
    ASSERT_EQ(lancar("001.002", "004", reais(-50), d0.addDays(6)), core::escrita::Resultado::Gravado);
    ASSERT_EQ(lancar("001", "003", reais(0.01), d0.addDays(30), &g), core::escrita::Resultado::Gravado);
    EXPECT_EQ(g.saldoGlobal, reais(10 - 3.5 + 7 + 1.25 + 100 - 50 + 0.01));
    EXPECT_EQ(g.saldoConta, reais(10 - 3.5 + 1.25 + 100 - 50 + 0.01));
}

TEST_F(Escrita, GuardRefusesInactiveAccountOrType) {
    conta(QStringLiteral("001"));
    conta(QStringLiteral("002"), true);
    tipo(QStringLiteral("003"));
    db->Execute(QStringLiteral("UPDATE TiposMovimentacoes SET Inativo = True WHERE Codigo = '002'"));
    EXPECT_EQ(lancar("002", "003", reais(1), QDate(2020, 1, 1)), core::escrita::Resultado::Recusado);
    EXPECT_EQ(lancar("001", "002", reais(1), QDate(2020, 1, 1)), core::escrita::Resultado::Recusado);
    EXPECT_EQ(lancar("009", "003", reais(1), QDate(2020, 1, 1)), core::escrita::Resultado::Recusado);
    // Rolled back: the counter did not move.
    EXPECT_EQ(contagem(QStringLiteral("SELECT Serial FROM Serial")), 0);
    EXPECT_EQ(lancar("001", "003", reais(1), QDate(2020, 1, 1)), core::escrita::Resultado::Gravado);
    EXPECT_EQ(contagem(QStringLiteral("SELECT Serial FROM Serial")), 1);
    // Before the stored posting (its balances would move) and after it (the
    // latest, written without a level of its own): refused alike, nothing written.
    for (const QDate &d : {QDate(2019, 12, 31), QDate(2020, 2, 1)}) {
        SCOPED_TRACE(d.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(lancar("002", "003", reais(1), d), core::escrita::Resultado::Recusado);
        EXPECT_EQ(lancar("001", "002", reais(1), d), core::escrita::Resultado::Recusado);
        EXPECT_EQ(contagem(QStringLiteral("SELECT Serial FROM Serial")), 1);
        EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), 1);
    }
}

// The posting of the day (the latest of the book) is written with no level of
// its own inside the caller's transaction: a level would make the engine keep
// a copy of every page it changes. A back-dated one keeps its own, so a later
// balance past the range undoes it whole.
TEST_F(Escrita, OnlyABackDatedPostingOpensALevelOfItsOwn) {
    conta(QStringLiteral("001"));
    tipo(QStringLiteral("003"));
    ASSERT_EQ(lancar("001", "003", reais(1), QDate(2020, 1, 10)), core::escrita::Resultado::Gravado);
    const struct {
        QDate data;
        bool nivelProprio;
    } casos[] = {{QDate(2020, 1, 10), false}, {QDate(2020, 1, 11), false}, {QDate(2020, 1, 1), true}};
    for (const auto &c : casos) {
        SCOPED_TRACE(c.data.toString(Qt::ISODate).toStdString());
        core::escrita::Lancamento l;
        l.codConta = QStringLiteral("001");
        l.codRecDesp = QStringLiteral("003");
        l.valor = reais(2);
        l.data = c.data;
        l.historico = QStringLiteral("HISTORICO");
        l.idUsuario = 1;
        db::CDaoTrans trans;
        trans.BegTrans();
        QStringList vistos;
        {
            testsupport::TransactionStatements instrucoes(db->handle());
            ASSERT_EQ(core::escrita::GravarLancamento(*db, l), core::escrita::Resultado::Gravado);
            vistos = instrucoes.texts();
        }
        trans.ComTrans();
        EXPECT_EQ(!vistos.isEmpty(), c.nivelProprio) << vistos.join(QStringLiteral("; ")).toStdString();
    }
}

TEST_F(Escrita, CounterLockRefusesAValueNoLongerHeld) {
    db::CDaoTrans trans;
    trans.BegTrans();
    EXPECT_FALSE(core::escrita::TravarContador(*db, 5));
    EXPECT_TRUE(core::escrita::TravarContador(*db, 0));
    trans.RollBack();
    EXPECT_EQ(contagem(QStringLiteral("SELECT Serial FROM Serial")), 0);
}

TEST_F(Escrita, TypedTextWithApostropheIsStoredAsTyped) {
    conta(QStringLiteral("001"));
    tipo(QStringLiteral("003"));
    core::escrita::Lancamento l;
    l.codConta = QStringLiteral("001");
    l.codRecDesp = QStringLiteral("003");
    l.valor = reais(1);
    l.data = QDate(2020, 1, 1);
    l.idUsuario = 1;
    l.historico = QStringLiteral("D'AGUA'); DELETE FROM Contas; --");
    l.documento = QStringLiteral("N'1");
    db::CDaoTrans trans;
    trans.BegTrans();
    ASSERT_EQ(core::escrita::GravarLancamento(*db, l), core::escrita::Resultado::Gravado);
    trans.ComTrans();
    EXPECT_EQ(linha(1).historico, l.historico);
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Contas")), 2);
}

TEST_F(Escrita, CallersStepRunsAfterTheLockAndCanAbandonTheWrite) {
    conta(QStringLiteral("001"));
    tipo(QStringLiteral("003"));
    ASSERT_EQ(lancar("001", "003", reais(5), QDate(2020, 1, 1)), core::escrita::Resultado::Gravado);
    core::escrita::Lancamento l;
    l.codConta = QStringLiteral("001");
    l.codRecDesp = QStringLiteral("003");
    l.valor = reais(-5);
    l.data = QDate(2020, 1, 1);
    l.historico = QStringLiteral("ESTORNO");
    l.estorno = true;
    l.idUsuario = 1;
    l.realizado = QStringLiteral("E");
    db::CDaoTrans trans;
    trans.BegTrans();
    qint64 serialVisto = -1;
    const auto r = core::escrita::GravarLancamento(*db, l, nullptr, [&] {
        serialVisto = contagem(QStringLiteral("SELECT Serial FROM Serial"));
        db->Execute(QStringLiteral("UPDATE LANCAMENTOS SET ESTORNADO = TRUE, REALIZADO='E' WHERE Id = 1 AND "
                                   "REALIZADO <> 'N' AND ESTORNADO = FALSE"), dao::dbFailOnError);
        return db->RecordsAffected() == 1;
    });
    ASSERT_EQ(r, core::escrita::Resultado::Gravado);
    trans.ComTrans();
    EXPECT_EQ(serialVisto, 2);
    EXPECT_EQ(linha(2).saldoGlobal, Currency());
    // A second reversal of the same posting is stopped by the caller's guard.
    db::CDaoTrans t2;
    t2.BegTrans();
    EXPECT_EQ(core::escrita::GravarLancamento(*db, l, nullptr, [&] {
                  db->Execute(QStringLiteral("UPDATE LANCAMENTOS SET ESTORNADO = TRUE, REALIZADO='E' WHERE Id = 1 AND "
                                             "REALIZADO <> 'N' AND ESTORNADO = FALSE"), dao::dbFailOnError);
                  return db->RecordsAffected() == 1;
              }),
              core::escrita::Resultado::Impedido);
}

// ---- opening balance ---------------------------------------------------------

TEST_F(Escrita, OpeningBalanceBeforeBetweenAndAfterStoredPostings) {
    struct Caso { const char *nome; QDate data; double valor; };
    const Caso casos[] = {
        {"before every posting", QDate(2019, 12, 1), 100},
        {"between postings", QDate(2020, 1, 15), -40.5},
        {"on the date of a posting", QDate(2020, 2, 1), 12.34},
        {"after every posting", QDate(2021, 1, 1), 99999999.99},
    };
    for (const char *c : {"001", "001.001", "002"}) conta(QString::fromLatin1(c));
    tipo(QStringLiteral("003"));
    ASSERT_EQ(lancar("001", "003", reais(10), QDate(2020, 1, 1)), core::escrita::Resultado::Gravado);
    ASSERT_EQ(lancar("002", "002", reais(20), QDate(2020, 2, 1)), core::escrita::Resultado::Gravado);
    ASSERT_EQ(lancar("001.001", "003", reais(-5), QDate(2020, 3, 1)), core::escrita::Resultado::Gravado);
    int n = 0;
    for (const Caso &c : casos) {
        const QString codigo = QStringLiteral("001.001.%1").arg(++n, 3, 10, QLatin1Char('0'));
        conta(codigo);
        const long id = inicial(codigo, reais(c.valor), c.data);
        const Linha l = linha(id);
        EXPECT_EQ(l.codRecDesp, QStringLiteral("002")) << c.nome;
        EXPECT_EQ(l.realizado, QStringLiteral("S")) << c.nome;
        EXPECT_EQ(l.historico, QStringLiteral("SALDO INICIAL")) << c.nome;
        EXPECT_EQ(l.saldoConta, reais(c.valor)) << c.nome;
        EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "") << c.nome;
    }
}

TEST_F(Escrita, OpeningBalanceOnInactiveAccountOrStaleCounterWritesNothing) {
    conta(QStringLiteral("001"), true);
    {
        db::CDaoTrans trans;
        trans.BegTrans();
        QString recusa;
        EXPECT_EQ(core::escrita::LancarSaldoInicial(*db, QStringLiteral("001"), reais(5), QDate(2020, 1, 1), 1, recusa), 0);
        EXPECT_EQ(recusa, core::escrita::kMsgSaldoInicialRecusado);
    }
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), 0);
    EXPECT_EQ(contagem(QStringLiteral("SELECT Serial FROM Serial")), 0);
}

TEST_F(Escrita, RandomOpeningBalancesOnNestedAccountsKeepEveryBalanceTrue) {
    testsupport::BookShape shape;
    shape.postings = 0;
    shape.accountsPerLevel = 3;
    shape.levels = 2;
    testsupport::Book b = testsupport::writeBook(*db, shape);
    QStringList contas = b.accounts;
    QHash<QString, int> filhos;
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<int> dia(0, 400), cents(-2000000, 2000000), moeda(0, 3);
    auto um = [&](const QStringList &l) { return l[std::uniform_int_distribution<int>(0, int(l.size()) - 1)(rng)]; };
    // New accounts at every depth, each opened with its balance on a random
    // date; a few ordinary postings between them, so both kinds move each other.
    for (int i = 0; i < 300; ++i) {
        const QDate d = QDate(2020, 1, 1).addDays(dia(rng));
        const Currency v = Currency::fromUnits(qint64(cents(rng)) * 100);
        if (moeda(rng) == 0) {
            ASSERT_EQ(lancar(um(contas), um(b.types), v, d), core::escrita::Resultado::Gravado);
        } else {
            QString pai = um(contas);
            while (pai.size() > 23) pai = pai.left(pai.lastIndexOf(QLatin1Char('.')));
            const QString codigo = pai + QStringLiteral(".%1").arg(++filhos[pai] + 100, 3, 10, QLatin1Char('0'));
            conta(codigo);
            contas << codigo;
            inicial(codigo, v, d);
        }
        const QString faults = testsupport::CheckBookText(*db);
        ASSERT_EQ(faults.toStdString(), "") << "after posting " << i;
    }
}

// What the book cannot hold is refused as an outcome, with the user's words,
// before anything is written; what it can hold (a history of 50 characters
// one of which lies outside the basic plane) is written.
TEST_F(Escrita, RefusesTextsAndDatesTheBookCannotHoldWithNothingWritten) {
    conta(QStringLiteral("001"));
    tipo(QStringLiteral("003"));
    const QString estrela = QString::fromUcs4(U"\U0001F31F");
    struct Caso {
        const char *nome;
        std::function<void(core::escrita::Lancamento &)> muda;
        const char *recusa; // nullptr: written
    };
    const Caso casos[] = {
        {"NUL in the history", [](auto &l) { l.historico = QStringLiteral("AB") + QChar(u'\0') + QString(100, u'X'); },
         "O histórico contém um caractere nulo, que não pode ser gravado."},
        {"NUL in the document", [](auto &l) { l.documento = QStringLiteral("D") + QChar(u'\0') + QStringLiteral("E"); },
         "O documento contém um caractere nulo, que não pode ser gravado."},
        {"document of 21", [](auto &l) { l.documento = QString(21, u'D'); }, "O documento não pode ter mais de 20 caracteres."},
        {"history of 51", [](auto &l) { l.historico = QString(51, u'H'); }, "O histórico não pode ter mais de 50 caracteres."},
        {"empty history", [](auto &l) { l.historico.clear(); }, "Faltando informar histórico."},
        {"29/02/2021", [](auto &l) { l.data = QDate(2021, 2, 29); }, "Data inválida."},
        {"year 10000", [](auto &l) { l.data = QDate(10000, 1, 1); }, "Data inválida."},
        {"year -1", [](auto &l) { l.data = QDate(-1, 1, 1); }, "Data inválida."},
        {"no date", [](auto &l) { l.data = QDate(); }, "Data inválida."},
        {"amount without an opposite",
         [](auto &l) { l.valor = Currency::fromUnits(std::numeric_limits<std::int64_t>::min()); },
         "O valor levaria um saldo além do maior valor que o sistema registra. Nada foi gravado."},
        {"50 characters, one beyond the basic plane", [estrela](auto &l) { l.historico = QString(49, u'H') + estrela; },
         nullptr},
    };
    long escritos = 0;
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        core::escrita::Lancamento l;
        l.codConta = QStringLiteral("001");
        l.codRecDesp = QStringLiteral("003");
        l.valor = reais(10);
        l.data = QDate(2020, 1, 1);
        l.historico = QStringLiteral("HISTORICO");
        l.idUsuario = 1;
        c.muda(l);
        db::CDaoTrans trans;
        trans.BegTrans();
        core::escrita::Gravado g;
        const auto r = core::escrita::GravarLancamento(*db, l, &g);
        if (c.recusa) {
            EXPECT_EQ(r, core::escrita::Resultado::Invalido);
            EXPECT_EQ(g.recusa, QString::fromUtf8(c.recusa));
            trans.RollBack();
        } else {
            ASSERT_EQ(r, core::escrita::Resultado::Gravado);
            trans.ComTrans();
            ++escritos;
            EXPECT_EQ(linha(g.id).historico, l.historico);
        }
        EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), escritos);
        EXPECT_EQ(contagem(QStringLiteral("SELECT Serial FROM Serial")), escritos);
    }
}

// Every sum a write makes stays within the range of money: the posting's own
// balances, the later balances a back-dated posting moves, the balances a
// settlement moves, and the two legs of a transfer.
TEST_F(Escrita, RefusesASumThatWouldLeaveTheRangeOfMoney) {
    conta(QStringLiteral("001"));
    conta(QStringLiteral("002"));
    tipo(QStringLiteral("003"));
    const std::int64_t maximo = std::numeric_limits<std::int64_t>::max();
    const Currency quaseTudo = Currency::fromUnits(maximo - 5000000); // 500,00 short of the top
    const QDate d(2020, 6, 1);
    core::escrita::Gravado g;
    ASSERT_EQ(lancar("001", "003", quaseTudo, d, &g), core::escrita::Resultado::Gravado);
    auto tudo = [this] {
        return contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")) * 1000 +
               contagem(QStringLiteral("SELECT Serial FROM Serial"));
    };
    const qint64 antes = tudo();
    struct Caso {
        const char *nome;
        const char *conta;
        double valor;
        QDate data;
        core::escrita::Resultado esperado;
    };
    const Caso casos[] = {
        {"its own balances", "001", 600, d.addDays(1), core::escrita::Resultado::Invalido},
        {"the later balances of a back-dated posting", "002", 600, d.addDays(-1), core::escrita::Resultado::Invalido},
        {"the other way: far below", "002", -600, d.addDays(1), core::escrita::Resultado::Gravado},
        {"fits exactly", "002", 500, d.addDays(2), core::escrita::Resultado::Gravado},
    };
    qint64 gravados = 0;
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        core::escrita::Gravado h;
        EXPECT_EQ(lancar(QString::fromLatin1(c.conta), QStringLiteral("003"), reais(c.valor), c.data, &h), c.esperado);
        if (c.esperado == core::escrita::Resultado::Invalido) {
            EXPECT_EQ(h.recusa, core::escrita::kMsgForaDoLimite);
            EXPECT_EQ(tudo(), antes + gravados * 1001) << "nothing written";
        } else {
            ++gravados;
        }
    }
    EXPECT_EQ(linha(g.id).saldoGlobal, quaseTudo) << "the first posting's balance did not move";

    // Taking a settlement 'N' back brings the posting into the balances again:
    // set aside before the big one filled the room left, it would pass the top.
    core::escrita::Gravado n;
    ASSERT_EQ(lancar("002", "003", reais(100), d.addDays(-10), &n), core::escrita::Resultado::Gravado);
    {
        db::CDaoTrans trans;
        trans.BegTrans();
        ASSERT_EQ(core::escrita::MudarRealizado(*db, n.id, 0, QStringLiteral("?"), QStringLiteral("N")), core::escrita::Baixa::Mudada);
        trans.ComTrans();
    }
    ASSERT_EQ(lancar("002", "003", reais(450), d.addDays(-5)), core::escrita::Resultado::Gravado);
    {
        db::CDaoTrans trans;
        trans.BegTrans();
        EXPECT_EQ(core::escrita::MudarRealizado(*db, n.id, 0, QStringLiteral("N"), QStringLiteral("?")),
                  core::escrita::Baixa::ForaDoLimite);
        trans.RollBack();
    }
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Realizado = 'N'")), 1);
}

TEST_F(Escrita, ATransferOfTheMostNegativeAmountIsRefusedNotWrittenAsTwoOutgoingLegs) {
    conta(QStringLiteral("001"));
    conta(QStringLiteral("002"));
    core::escrita::Transferencia t;
    t.codContaOrig = QStringLiteral("001");
    t.codContaDest = QStringLiteral("002");
    t.data = QDate(2020, 1, 1);
    t.valor = Currency::fromUnits(std::numeric_limits<std::int64_t>::min());
    t.historicoSaida = t.historicoEntrada = QStringLiteral("H");
    core::escrita::TransferenciaFeita feita;
    EXPECT_EQ(core::escrita::Transferir(*db, {"frmTeste", "cmdTransferencia_Click"}, t, 1, &feita), core::escrita::Desfecho::Invalido);
    EXPECT_EQ(feita.recusa, core::escrita::kMsgForaDoLimite);
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), 0);
    EXPECT_EQ(contagem(QStringLiteral("SELECT COUNT(*) FROM Transferencias")), 0);
}

namespace {

// Every row's balances and code, and the counter: what a refused write must leave as it found it.
QString estado(dao::Database &db) {
    QString out;
    auto rs = db.OpenRecordset(QStringLiteral("SELECT Id, SaldoConta, SaldoRecDesp, SaldoGlobal, Realizado FROM Lancamentos "
                                              "ORDER BY DataId"),
                               dao::dbOpenSnapshot);
    for (; !rs->Eof(); rs->MoveNext())
        for (int i = 0; i < 5; ++i) out += rs->Field(i).toString() + QLatin1Char(i == 4 ? '\n' : ' ');
    auto s = db.OpenRecordset(QStringLiteral("SELECT Serial FROM Serial"), dao::dbOpenSnapshot);
    return out + s->Field(0).toString();
}

} // namespace

// A move over many later postings where only the last would pass the top is
// refused whole, by the write itself: even a caller that commits afterwards
// finds nothing written (no posting, no counter step, no balance moved, no
// code changed).
TEST_F(Escrita, AMoveWhereOnlyTheLastLaterPostingWouldLeaveTheRangeWritesNothing) {
    conta(QStringLiteral("001"));
    tipo(QStringLiteral("003"));
    const QDate d(2020, 6, 1);
    // Settled as not realised before the others: taking that back moves it
    // and every later posting by 600,00.
    core::escrita::Gravado n;
    ASSERT_EQ(lancar("001", "003", reais(600), d, &n), core::escrita::Resultado::Gravado);
    {
        db::CDaoTrans trans;
        trans.BegTrans();
        ASSERT_EQ(core::escrita::MudarRealizado(*db, n.id, 0, QStringLiteral("?"), QStringLiteral("N")), core::escrita::Baixa::Mudada);
        trans.ComTrans();
    }
    const int poucos = 40;
    for (int i = 1; i <= poucos; ++i) ASSERT_EQ(lancar("001", "003", reais(1), d.addDays(i)), core::escrita::Resultado::Gravado);
    // The last posting ends 500,00 short of the top; every earlier balance is small.
    const std::int64_t maximo = std::numeric_limits<std::int64_t>::max();
    core::escrita::Gravado ultimo;
    ASSERT_EQ(lancar("001", "003", Currency::fromUnits(maximo - 5000000 - poucos * 10000), d.addDays(poucos + 1), &ultimo),
              core::escrita::Resultado::Gravado);
    ASSERT_EQ(linha(ultimo.id).saldoGlobal, Currency::fromUnits(maximo - 5000000));
    const QString antes = estado(*db);
    // 600,00 a day before them all.
    auto recuado = [&] {
        core::escrita::Lancamento l;
        l.codConta = QStringLiteral("001");
        l.codRecDesp = QStringLiteral("003");
        l.valor = reais(600);
        l.data = d.addDays(-1);
        l.historico = QStringLiteral("HISTORICO");
        l.idUsuario = 1;
        return l;
    };

    struct Caso {
        const char *nome;
        std::function<bool()> recusado; // runs inside the caller's transaction
    };
    const Caso casos[] = {
        {"a back-dated posting",
         [&] {
             const core::escrita::Lancamento l = recuado();
             core::escrita::Gravado g;
             return core::escrita::GravarLancamento(*db, l, &g) == core::escrita::Resultado::Invalido &&
                    g.recusa == core::escrita::kMsgForaDoLimite;
         }},
        {"a back-dated posting whose caller's own step ran",
         [&] {
             return core::escrita::GravarLancamento(*db, recuado(), nullptr, [&] {
                        db->Execute(QStringLiteral("UPDATE Lancamentos SET Historico = 'MARCADO' WHERE Id = %1").arg(n.id));
                        return true;
                    }) == core::escrita::Resultado::Invalido;
         }},
        {"a settlement taken back",
         [&] {
             return core::escrita::MudarRealizado(*db, n.id, 0, QStringLiteral("N"), QStringLiteral("S")) ==
                    core::escrita::Baixa::ForaDoLimite;
         }},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        db::CDaoTrans trans;
        trans.BegTrans();
        EXPECT_TRUE(c.recusado());
        trans.ComTrans();
        EXPECT_EQ(estado(*db), antes) << "nothing written";
        EXPECT_EQ(linha(n.id).historico, QStringLiteral("HISTORICO"));
    }
    // The same moves by less than the room left go through.
    EXPECT_EQ(lancar("001", "003", reais(500), d.addDays(-1)), core::escrita::Resultado::Gravado);
    EXPECT_EQ(linha(ultimo.id).saldoGlobal, Currency::fromUnits(maximo));
}
