// Recordset rows after a delete, rows gone under the recordset, relation
// errors by side, and amounts that meet whole numbers, parameters and text.
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <limits>

using namespace dao;
using value::Currency;
using value::DataType;
using value::Value;
using testsupport::errorOf;
namespace E = err::db;

namespace {

constexpr long kRecordDeleted = 3167;
constexpr long kInvalidBookmark = 3159;

QString u(const char *s) { return QString::fromUtf8(s); }

class RowsAndAmounts : public ::testing::Test {
protected:
    void SetUp() override {
        db = DBEngine::CreateDatabase(tmp.file(u("r.mdb")), u(";pwd=segredo"));
        db->CreateTable({u("T"),
                         {{u("Id"), DataType::Long, 0, dbAutoIncrField, true, false, std::nullopt},
                          {u("Nome"), DataType::Text, 20, 0, true, false, std::nullopt},
                          {u("Valor"), DataType::Currency, 0, 0, false, false, Value(0)},
                          {u("N"), DataType::Long, 0, 0, false, false, std::nullopt},
                          {u("Dt"), DataType::Date, 0, 0, false, false, std::nullopt},
                          {u("D"), DataType::Double, 0, 0, false, false, std::nullopt}},
                         {{u("PrimaryKey"), {u("Id")}, true, true, true, false}}});
        // A relation without cascade: a row of T that F refers to cannot go.
        db->CreateTable({u("F"),
                         {{u("Id"), DataType::Long, 0, dbAutoIncrField, true, false, std::nullopt},
                          {u("IdT"), DataType::Long, 0, 0, true, false, std::nullopt}},
                         {{u("PrimaryKey"), {u("Id")}, true, true, true, false}}});
        db->CreateRelation({u("T_F"), u("T"), u("F"), {{u("Id"), u("IdT")}}, 0});
        for (const char *n : {"ANA", "BIA", "CAIO", "DORA"})
            db->Execute(u("INSERT INTO T (Nome, Valor, N) VALUES ('%1', 12.5, 3)").arg(u(n)), dbFailOnError);
    }
    QStringList names() {
        auto rs = db->OpenRecordset(u("SELECT Nome FROM T ORDER BY Id"), dbOpenSnapshot);
        QStringList out;
        for (; !rs->Eof(); rs->MoveNext()) out << rs->Field(0).toString();
        return out;
    }
    // The first column of the first row, as text, with its type.
    QString first(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dbOpenSnapshot);
        return rs->Field(0).toString() + u("|") + QString::number(int(rs->FieldType(0)));
    }
    testsupport::TempDir tmp;
    std::unique_ptr<Database> db;
};

} // namespace

TEST_F(RowsAndAmounts, DeletingInALoopVisitsEveryRow) {
    auto rs = db->OpenRecordset(u("T"), dbOpenDynaset);
    QStringList seen;
    for (; !rs->Eof(); rs->MoveNext()) {
        const QString n = rs->Field(u("Nome")).toString();
        seen << n;
        if (n == u("BIA") || n == u("CAIO") || n == u("DORA")) {
            rs->Delete();
            EXPECT_EQ(errorOf([&] { rs->Field(u("Nome")); }), kRecordDeleted) << "a deleted row reads as deleted";
            EXPECT_FALSE(rs->Eof()) << "nothing moves until the program moves";
            EXPECT_EQ(rs->AbsolutePosition(), -1);
        }
    }
    EXPECT_EQ(seen, (QStringList{u("ANA"), u("BIA"), u("CAIO"), u("DORA")})) << "the row after a deleted one is not skipped";
    EXPECT_EQ(names(), QStringList{u("ANA")});
    rs->MoveFirst();
    rs->Delete();
    rs->MovePrevious();
    EXPECT_TRUE(rs->Bof());
}

TEST_F(RowsAndAmounts, BookmarksKeepTheirRowsAcrossDeletesAndAdds) {
    auto rs = db->OpenRecordset(u("T"), dbOpenDynaset);
    rs->MoveLast();
    const Bookmark dora = rs->GetBookmark();
    rs->MoveFirst();
    rs->Delete();
    rs->AddNew();
    rs->SetField(u("Nome"), u("EVA"));
    rs->Update();
    rs->MoveLast();
    const Bookmark eva = rs->GetBookmark();
    rs->SetBookmark(dora);
    EXPECT_EQ(rs->Field(u("Nome")).toString(), u("DORA"));
    rs->SetBookmark(eva);
    EXPECT_EQ(rs->Field(u("Nome")).toString(), u("EVA"));
    rs->Requery();
    EXPECT_EQ(errorOf([&] { rs->SetBookmark(dora); }), kInvalidBookmark) << "bookmarks do not outlive a Requery";
}

TEST_F(RowsAndAmounts, ARowDeletedUnderTheRecordsetIsNotWrittenBlindly) {
    auto rs = db->OpenRecordset(u("T"), dbOpenDynaset);
    db->Execute(u("DELETE FROM T WHERE Nome = 'ANA'"), dbFailOnError);
    rs->Edit();
    rs->SetField(u("N"), Value(9));
    EXPECT_EQ(errorOf([&] { rs->Update(); }), kRecordDeleted);
    rs->CancelUpdate();
    EXPECT_EQ(rs->Field(u("Nome")).toString(), u("ANA")) << "the row read stays readable";
    EXPECT_EQ(errorOf([&] { rs->Delete(); }), kRecordDeleted);
    EXPECT_EQ(names(), (QStringList{u("BIA"), u("CAIO"), u("DORA")}));
}

TEST_F(RowsAndAmounts, RelationErrorsTellWhichSideRefused) {
    db->Execute(u("INSERT INTO F (IdT) VALUES (1)"), dbFailOnError);
    EXPECT_EQ(errorOf([&] { db->Execute(u("DELETE FROM T WHERE Id = 1"), dbFailOnError); }), E::kCascadeBlocked);
    auto rs = db->OpenRecordset(u("T"), dbOpenTable);
    EXPECT_EQ(errorOf([&] { rs->Delete(); }), E::kCascadeBlocked);
    EXPECT_EQ(errorOf([&] { db->Execute(u("INSERT INTO F (IdT) VALUES (99)"), dbFailOnError); }), E::kNoRelatedRecord);
}

TEST_F(RowsAndAmounts, FindFirstOrdersTextAsTheColumnsDo) {
    db->Execute(u("INSERT INTO T (Nome) VALUES ('D''AVILA')"), dbFailOnError);
    db->Execute(u("INSERT INTO T (Nome) VALUES ('ÁBACO')"), dbFailOnError);
    auto rs = db->OpenRecordset(u("SELECT Nome FROM T ORDER BY Nome"), dbOpenSnapshot);
    rs->FindFirst(u("Nome = 'd''avila'"));
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Field(0).toString(), u("D'AVILA"));
    rs->FindFirst(u("Nome > 'BIA'"));
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Field(0).toString(), u("CAIO")) << "'ÁBACO' sorts among the a's";
}

TEST_F(RowsAndAmounts, AmountsMeetingWholeNumbersAndText) {
    db->Execute(u("INSERT INTO T (Nome, N) VALUES ('EVA😀', 12)"), dbFailOnError);
    struct Case { const char *sql; const char *want; };
    const Case cases[] = {
        // One amount among whole numbers puts the whole list in money units.
        {"SELECT Count(*) FROM T WHERE N IN (3, 12.5)", "4|4"},
        {"SELECT Count(*) FROM T WHERE Valor IN (3, 12.5)", "4|4"},
        {"SELECT Count(*) FROM T WHERE Nome LIKE 'EVA*'", "1|4"},
        // Text beside an amount: the amount as it shows, and text not read as money.
        {"SELECT IIF(N > 5, 'x', Valor) FROM T WHERE Nome = 'ANA'", "12.5|10"},
        {"SELECT IIF(N > 5, Valor, 'x') FROM T WHERE Nome = 'ANA'", "x|10"},
        {"SELECT Nz(Valor, '') FROM T WHERE Nome = 'ANA'", "12.5|10"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(first(u(c.sql)), u(c.want));
    }
    // A whole number from money: half to even, as the program converts it.
    db->Execute(u("UPDATE T SET N = Valor WHERE Nome = 'ANA'"), dbFailOnError);
    db->Execute(u("UPDATE T SET N = Valor + 1 WHERE Nome = 'BIA'"), dbFailOnError);
    db->Execute(u("UPDATE T SET N = 2.5 WHERE Nome = 'CAIO'"), dbFailOnError);
    db->Execute(u("UPDATE T SET N = Valor \\ 1 WHERE Nome = 'DORA'"), dbFailOnError);
    EXPECT_EQ(first(u("SELECT N FROM T WHERE Nome = 'ANA'")), u("12|4"));
    EXPECT_EQ(first(u("SELECT N FROM T WHERE Nome = 'BIA'")), u("14|4"));
    EXPECT_EQ(first(u("SELECT N FROM T WHERE Nome = 'CAIO'")), u("2|4"));
    EXPECT_EQ(first(u("SELECT N FROM T WHERE Nome = 'DORA'")), u("12|4"));
}

TEST_F(RowsAndAmounts, UndeclaredParametersTakeTheTypeOfWhatTheyMeet) {
    struct Case { const char *what; const char *sql; Value v; long want; };
    const Case cases[] = {
        {"a double against an amount", "SELECT Count(*) FROM T WHERE Valor = [p]", Value(12.5), 4},
        {"a whole number against an amount", "SELECT Count(*) FROM T WHERE Valor < [p]", Value(13), 4},
        {"an amount in a sum", "SELECT Count(*) FROM T WHERE Valor + [p] = 13.5", Value(1), 4},
        {"an amount as a factor", "SELECT Count(*) FROM T WHERE Valor * [p] = 25", Value(Currency::fromWhole(2)), 4},
        {"an amount between", "SELECT Count(*) FROM T WHERE Valor BETWEEN 12 AND [hi]", Value(13), 4},
        {"an amount in a list", "SELECT Count(*) FROM T WHERE [p] IN (Valor)", Value(12.5), 4},
        {"an amount joined to text", "SELECT Count(*) FROM T WHERE 'R$ ' & [p] = 'R$ 12.5'", Value(Currency::fromUnits(125000)), 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto q = db->CreateQueryDef(QString(), u(c.sql));
        q->SetParameter(0, c.v);
        EXPECT_EQ(q->OpenRecordset()->Field(0).toInt(), c.want);
    }
    auto ins = db->CreateQueryDef(QString(), u("INSERT INTO T (Nome, Valor) VALUES ('Z', [pV])"));
    ins->SetParameter(u("pV"), Value(3));
    ins->Execute(dbFailOnError);
    EXPECT_EQ(first(u("SELECT Valor FROM T WHERE Nome = 'Z'")), u("3|5")) << "3, not three ten-thousandths";
    auto upd = db->CreateQueryDef(QString(), u("UPDATE T SET Valor = Valor + [pV] WHERE Nome = 'Z'"));
    upd->SetParameter(u("pV"), Value(0.25));
    upd->Execute(dbFailOnError);
    EXPECT_EQ(first(u("SELECT Valor FROM T WHERE Nome = 'Z'")), u("3.25|5"));
}

TEST_F(RowsAndAmounts, ARecordsetOutlivingItsDatabaseIsRefusedNotRunOnAClosedConnection) {
    auto query = db->OpenRecordset(u("SELECT Nome FROM T"), dbOpenSnapshot);
    auto table = db->OpenRecordset(u("T"), dbOpenTable);
    db->Close();
    EXPECT_EQ(query->RecordCount(), 4) << "the rows read stay readable";
    constexpr long kObjectInvalid = 3420;
    EXPECT_EQ(errorOf([&] { query->Requery(); }), kObjectInvalid);
    EXPECT_EQ(errorOf([&] { table->Requery(); }), kObjectInvalid);
    EXPECT_EQ(errorOf([&] {
                  table->AddNew();
                  table->SetField(u("Nome"), u("X"));
                  table->Update();
              }),
              kObjectInvalid);
    EXPECT_EQ(errorOf([&] { table->Delete(); }), kObjectInvalid);
    db.reset();
    EXPECT_EQ(errorOf([&] { query->Requery(); }), kObjectInvalid) << "nor once the database object is gone";
}

TEST_F(RowsAndAmounts, ADateThatIsNoDateIsStoredAsNull) {
    auto q = db->CreateQueryDef(QString(), u("PARAMETERS [pD] DateTime;INSERT INTO T (Nome, Dt) VALUES ('Q', [pD])"));
    q->SetParameter(0, Value(QDateTime(QDate(), QTime(0, 0), Qt::UTC)));
    q->Execute(dbFailOnError);
    auto rs = db->OpenRecordset(u("SELECT Dt FROM T WHERE Nome = 'Q'"), dbOpenSnapshot);
    EXPECT_TRUE(rs->Field(0).isNull()) << "not an empty text in a date column";
}

TEST_F(RowsAndAmounts, NoInnerLevelOnATransactionTheEngineGaveUp) {
    Workspace &ws = db->workspace();
    ws.BeginTrans();
    db->Execute(u("INSERT INTO T (Nome) VALUES ('OUTER')"), dbFailOnError);
    // What the engine does by itself after some failures (a full disk, an I/O error).
    sqlite3_exec(db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_EQ(errorOf([&] { ws.BeginTrans(); }), E::kEngine);
    EXPECT_EQ(ws.level(), 1);
    ws.Rollback();
    EXPECT_EQ(ws.level(), 0);
    EXPECT_EQ(names(), (QStringList{u("ANA"), u("BIA"), u("CAIO"), u("DORA")}));
}

TEST_F(RowsAndAmounts, AmountsMeetingComputedDoubles) {
    // 0.57 as a double times 10000 is 5699.999999999999.
    db->Execute(u("UPDATE T SET Valor = 0.57, D = 0.57"), dbFailOnError);
    EXPECT_EQ(first(u("SELECT Count(*) FROM T WHERE Valor = D")), u("4|4"));
    EXPECT_EQ(first(u("SELECT Count(*) FROM T WHERE D BETWEEN Valor AND Valor")), u("4|4"));
    db->Execute(u("UPDATE T SET Valor = IIF(N > 0, D, Valor) + 0 WHERE Nome = 'ANA'"), dbFailOnError);
    db->Execute(u("UPDATE T SET Valor = Nz(D * 3, Valor) WHERE Nome = 'BIA'"), dbFailOnError);
    EXPECT_EQ(first(u("SELECT Count(*) FROM T WHERE Valor = 0.57")), u("3|4")) << "no fraction of a unit was stored";
    EXPECT_EQ(first(u("SELECT Valor FROM T WHERE Nome = 'BIA'")), u("1.71|5"));
    EXPECT_EQ(first(u("SELECT Sum(Valor) FROM T")), u("3.42|5"));
}

// A money sum an UPDATE stores that would pass the range of money fails the
// statement with its own number and a Portuguese text, and the statement is
// undone whole, even inside a transaction that goes on and commits, and on a
// table whose columns carry no constraint of their own. Left unchecked, the
// engine would store a floating value in its place.
TEST_F(RowsAndAmounts, AMoneySumPastTheRangeFailsTheWholeUpdate) {
    db->CreateTable({u("M"),
                     {{u("Id"), DataType::Long, 0, dbAutoIncrField, true, false, std::nullopt},
                      {u("Saldo"), DataType::Currency, 0, 0, false, false, std::nullopt}},
                     {{u("PrimaryKey"), {u("Id")}, true, true, true, false}}});
    const qint64 maximo = std::numeric_limits<qint64>::max(), minimo = std::numeric_limits<qint64>::min();
    struct Caso {
        const char *nome, *tabela, *coluna, *conta;
        qint64 ultimo; // the last row's amount, in units; the others are small
        int p;
    };
    const Caso casos[] = {
        {"past the top, a table with constraints", "T", "Valor", "Valor + 1", maximo - 5000, 0},
        {"past the top, a table without", "M", "Saldo", "Saldo + [p]", maximo - 5000, 1},
        {"past the bottom", "M", "Saldo", "Saldo - [p]", minimo + 5000, 1},
        {"a negative amount added", "M", "Saldo", "[p] + Saldo", minimo + 5000, -1},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        const QString t = u(c.tabela), col = u(c.coluna);
        db->Execute(u("DELETE FROM M"), dbFailOnError);
        for (int i = 0; i < 3; ++i) db->Execute(u("INSERT INTO M (Saldo) VALUES (%1)").arg(i), dbFailOnError);
        sqlite3_exec(db->handle(),
                     u("UPDATE %1 SET %2 = %3 WHERE Id = (SELECT max(Id) FROM %1)").arg(t, col).arg(c.ultimo).toUtf8().constData(),
                     nullptr, nullptr, nullptr);
        auto linhas = [&] {
            QStringList out;
            auto rs = db->OpenRecordset(u("SELECT %1 FROM %2 ORDER BY Id").arg(col, t), dbOpenSnapshot);
            for (; !rs->Eof(); rs->MoveNext()) out << rs->Field(0).toString() + u("|") + QString::number(int(rs->FieldType(0)));
            return out;
        };
        const QStringList antes = linhas();
        Workspace &ws = db->workspace();
        ws.BeginTrans();
        auto q = db->CreateQueryDef(QString(), u("PARAMETERS [p] Currency; UPDATE %1 SET %2 = %3").arg(t, col, u(c.conta)));
        q->SetParameter(0, Currency::fromWhole(c.p));
        try {
            q->Execute(dbFailOnError);
            ADD_FAILURE() << "the sum was stored";
        } catch (const err::AppError &e) {
            EXPECT_EQ(e.number(), E::kNumericOverflow);
            EXPECT_TRUE(e.description().startsWith(u("Estouro de campo numérico"))) << e.description().toStdString();
        }
        ws.CommitTrans();
        EXPECT_EQ(linhas(), antes) << "the statement was undone whole";
    }
    // Within the range, and Null, it adds as before.
    db->Execute(u("DELETE FROM M"), dbFailOnError);
    db->Execute(u("INSERT INTO M (Saldo) VALUES (Null)"), dbFailOnError);
    db->Execute(u("INSERT INTO M (Saldo) VALUES (1.5)"), dbFailOnError);
    db->Execute(u("UPDATE M SET Saldo = Saldo + 2.25"), dbFailOnError);
    auto rs = db->OpenRecordset(u("SELECT Saldo FROM M ORDER BY Id"), dbOpenSnapshot);
    EXPECT_TRUE(rs->Field(0).isNull());
    rs->MoveNext();
    EXPECT_EQ(rs->Field(0).toCurrency(), Currency::fromUnits(37500));
}
