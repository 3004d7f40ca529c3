#include "db/ConstruirBanco.h"
#include "db/SavedQueries.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "support/Book.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace dao;
using testsupport::Posting;
using value::Currency;
using value::Value;

namespace {

struct Saldos {
    qint64 serial;
    Currency conta, recDesp, global;
    bool operator==(const Saldos &) const = default;
};

class Queries : public ::testing::Test {
protected:
    void SetUp() override {
        path = tmp.file(QStringLiteral("q.mdb"));
        db = db::ConstruirBancoDeDados(path);
    }
    Saldos saldos(const QString &conta, const QString &tipo, const QDate &data) {
        auto q = db->QueryDefs(QStringLiteral("ParQrySerialESaldos"));
        q->SetParameter(0, conta);
        q->SetParameter(1, tipo);
        q->SetParameter(2, QDateTime(data, QTime(0, 0), Qt::UTC));
        auto rs = q->OpenRecordset(dbOpenSnapshot);
        EXPECT_EQ(rs->RecordCount(), 1);
        return {rs->Field(QStringLiteral("Serial")).toInt(), rs->Field(QStringLiteral("SaldoConta")).toCurrency(),
                rs->Field(QStringLiteral("SaldoRecDesp")).toCurrency(), rs->Field(QStringLiteral("saldoglobal")).toCurrency()};
    }
    void useSubSelectForm() {
        db->DeleteQueryDef(QStringLiteral("ParQrySerialESaldos"));
        db->CreateQueryDef(QStringLiteral("ParQrySerialESaldos"))->SetSQL(db::ParQrySerialESaldosSubSelect());
    }
    void chart(const char *table, const char *des, std::initializer_list<const char *> codes) {
        for (const char *c : codes) {
            const QString code = QString::fromUtf8(c);
            const int dot = code.lastIndexOf(QLatin1Char('.'));
            db->Execute(QStringLiteral("INSERT INTO %1 (Codigo, CodPai, %2) VALUES ('%3', '%4', 'D%3')")
                            .arg(QString::fromUtf8(table), QString::fromUtf8(des), code, dot < 0 ? QStringLiteral("000") : code.left(dot)));
        }
    }
    testsupport::TempDir tmp;
    QString path;
    std::unique_ptr<Database> db;
};

Saldos expected(std::vector<Posting> book, qint64 serial, const QString &conta, const QString &tipo, const QDate &d) {
    // The balances a new posting dated d would follow: everything dated up to d.
    Posting probe;
    probe.id = serial + 1;
    probe.codConta = conta;
    probe.codRecDesp = tipo;
    probe.data = d;
    book.push_back(probe);
    testsupport::computeBalances(book);
    const Posting &p = book.back();
    return {serial, p.saldoConta, p.saldoRecDesp, p.saldoGlobal};
}

} // namespace

TEST_F(Queries, EmptyBookGivesTheCounterAndZeroBalances) {
    const Saldos zero{0, {}, {}, {}};
    EXPECT_EQ(saldos(QStringLiteral("001"), QStringLiteral("003"), QDate(2026, 1, 1)), zero);
    useSubSelectForm();
    EXPECT_EQ(saldos(QStringLiteral("999"), QStringLiteral(""), QDate(1900, 1, 1)), zero);
}

TEST_F(Queries, BothFormsMatchTheIndependentBalancesOnARandomBook) {
    testsupport::BookShape shape;
    shape.postings = 400;
    shape.accountsPerLevel = 3;
    shape.levels = 3;
    shape.days = 60;
    const auto book = testsupport::writeBook(*db, shape);
    std::mt19937 rng(7);
    std::vector<std::tuple<QString, QString, QDate>> probes;
    for (int i = 0; i < 40; ++i) {
        probes.emplace_back(book.accounts[int(rng() % book.accounts.size())], book.types[int(rng() % book.types.size())],
                            shape.first.addDays(int(rng() % (shape.days + 10)) - 5));
    }
    std::vector<Saldos> joined;
    for (const auto &[c, t, d] : probes) {
        joined.push_back(saldos(c, t, d));
        SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(c, t, d.toString()).toStdString());
        EXPECT_EQ(joined.back(), expected(book.postings, shape.postings, c, t, d));
    }
    useSubSelectForm();
    for (std::size_t i = 0; i < probes.size(); ++i) {
        const auto &[c, t, d] = probes[i];
        EXPECT_EQ(saldos(c, t, d), joined[i]);
    }
}

TEST_F(Queries, AReversalAfterTheAccountsLastPostingStillCounts) {
    // +100 on 001.001, +10 on 001, the first reversed, then a posting on 001:
    // the account 001 stands at 10 before it, not 110.
    chart("Contas", "DesConta", {"001", "001.001"});
    chart("TiposMovimentacoes", "DesMovimentacao", {"003"});
    auto p = [](qint64 id, const char *conta, qint64 reais, const char *real, int day) {
        Posting x;
        x.id = id;
        x.codConta = QString::fromUtf8(conta);
        x.codRecDesp = QStringLiteral("003");
        x.valor = Currency::fromWhole(reais);
        x.realizado = QString::fromUtf8(real);
        x.data = QDate(2026, 3, day);
        return x;
    };
    std::vector<Posting> book{p(1, "001.001", 100, "E", 1), p(2, "001", 10, "?", 2), p(3, "001.001", -100, "E", 3)};
    testsupport::computeBalances(book);
    testsupport::insertPostings(*db, book);
    const auto s = saldos(QStringLiteral("001"), QStringLiteral("003"), QDate(2026, 3, 4));
    EXPECT_EQ(s.conta, Currency::fromWhole(10));
    EXPECT_EQ(s.recDesp, Currency::fromWhole(10));
    EXPECT_EQ(s.global, Currency::fromWhole(10));
    useSubSelectForm();
    EXPECT_EQ(saldos(QStringLiteral("001"), QStringLiteral("003"), QDate(2026, 3, 4)).conta, Currency::fromWhole(10));
}

TEST_F(Queries, LaterDatesNeverCountAndSameDateOrdersById) {
    chart("Contas", "DesConta", {"001"});
    chart("TiposMovimentacoes", "DesMovimentacao", {"003"});
    std::vector<Posting> book(3);
    const int days[] = {5, 1, 1};
    for (int i = 0; i < 3; ++i) {
        book[std::size_t(i)].id = i + 1;
        book[std::size_t(i)].codConta = QStringLiteral("001");
        book[std::size_t(i)].codRecDesp = QStringLiteral("003");
        book[std::size_t(i)].valor = Currency::fromWhole((i + 1) * 100);
        book[std::size_t(i)].data = QDate(2026, 1, days[i]);
    }
    testsupport::computeBalances(book);
    testsupport::insertPostings(*db, book);
    const auto s = saldos(QStringLiteral("001"), QStringLiteral("003"), QDate(2026, 1, 2));
    EXPECT_EQ(s.serial, 3);
    EXPECT_EQ(s.global, Currency::fromWhole(500)) << "Id 1 is dated later; Ids 2 and 3 count";
    EXPECT_EQ(s.conta, Currency::fromWhole(500));
}

TEST_F(Queries, PermissionCountsAndMaxChild) {
    chart("Contas", "DesConta", {"001", "002"});
    chart("TiposMovimentacoes", "DesMovimentacao", {"003"});
    db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo) VALUES ('U', 'U', 'U', 2)"));
    // account 001 has Id 2, type 003 has Id 4
    db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) VALUES (2, 2, 1, 2)"));
    db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) VALUES (2, 4, 2, 3)"));
    db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) VALUES (2, 3, 1, 1)"));
    struct Case { const char *conta; const char *tipo; qint64 total; };
    for (const Case &c : {Case{"001", "003", 2}, Case{"002", "003", 1}, Case{"002", "001", 0}}) {
        auto q = db->QueryDefs(QStringLiteral("ParQryContaPermissoes"));
        q->SetParameter(QStringLiteral("paridusu"), Value(2));
        q->SetParameter(QStringLiteral("parcodcon"), QString::fromUtf8(c.conta));
        q->SetParameter(QStringLiteral("parcodrecdesp"), QString::fromUtf8(c.tipo));
        auto rs = q->OpenRecordset(dbOpenSnapshot);
        EXPECT_EQ(rs->Field(QStringLiteral("Total")).toInt(), c.total) << c.conta << " " << c.tipo;
    }
    auto mf = db->QueryDefs(QStringLiteral("ParQryMaxFilhoContas"));
    mf->SetParameter(0, QStringLiteral("000"));
    EXPECT_EQ(mf->OpenRecordset()->Field(QStringLiteral("MaxFilho")).toString(), QStringLiteral("002"));
    mf->SetParameter(0, QStringLiteral("001"));
    auto none = mf->OpenRecordset();
    ASSERT_EQ(none->RecordCount(), 1);
    EXPECT_TRUE(none->Field(QStringLiteral("MaxFilho")).isNull());
    auto pu = db->QueryDefs(QStringLiteral("ParQryPermissoesDeUsuario"));
    pu->SetParameter(0, Value(2));
    auto rs = pu->OpenRecordset();
    ASSERT_EQ(rs->RecordCount(), 3);
    rs->MoveLast();
    EXPECT_EQ(rs->Field(QStringLiteral("DESOBJETO")).toString(), QStringLiteral("D003"));
}
