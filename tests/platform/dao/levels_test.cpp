// Levels of a transaction on a connection: the workspace's, a statement's
// own, table and relation creation, and the close, on one connection and
// across two copies of the program.
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"
#include "support/TransactionStatements.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <limits>

using namespace dao;
using value::Currency;
using value::DataType;
using value::Value;
using testsupport::errorOf;
namespace E = err::db;

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

const QString kPwd = u(";pwd=segredo");
const QString kConnect = u("MS Access;PWD=segredo");

TableDef tabelaT() {
    return {u("T"),
            {{u("Id"), DataType::Long, 0, dbAutoIncrField, true, false, std::nullopt},
             {u("Nome"), DataType::Text, 20, 0, true, false, std::nullopt},
             {u("Valor"), DataType::Currency, 0, 0, false, false, Value(0)}},
            {{u("PrimaryKey"), {u("Id")}, true, true, true, false}}};
}

// A table whose second index cannot be made: it fails after the table and
// its first index were.
TableDef tabelaQueFalha(const QString &nome) {
    return {nome,
            {{u("Id"), DataType::Long, 0, 0, true, false, std::nullopt}},
            {{u("X"), {u("Id")}, false, false, false, false}, {u("X"), {u("Id")}, false, true, false, false}}};
}

TableDef tabelaSimples(const QString &nome) {
    return {nome, {{u("Id"), DataType::Long, 0, 0, true, false, std::nullopt}}, {}};
}

RelationDef relacaoTF() { return {u("T_F"), u("T"), u("F"), {{u("Id"), u("IdT")}}, 0}; }

std::unique_ptr<Database> criar(const QString &path, Workspace &ws) {
    auto db = DBEngine::CreateDatabase(path, kPwd, ws);
    db->CreateTable(tabelaT());
    db->CreateTable({u("F"),
                     {{u("Id"), DataType::Long, 0, dbAutoIncrField, true, false, std::nullopt},
                      {u("IdT"), DataType::Long, 0, 0, true, false, std::nullopt}},
                     {{u("PrimaryKey"), {u("Id")}, true, true, true, false}}});
    return db;
}

void inserir(Database &db, const char *nome) { db.Execute(u("INSERT INTO T (Nome) VALUES ('%1')").arg(u(nome)), dbFailOnError); }

QStringList nomes(Database &db) {
    auto rs = db.OpenRecordset(u("SELECT Nome FROM T ORDER BY Id"), dbOpenSnapshot);
    QStringList out;
    for (; !rs->Eof(); rs->MoveNext()) out << rs->Field(0).toString();
    return out;
}

bool semTransacao(const Database &db) { return sqlite3_get_autocommit(db.handle()) != 0; }

bool chavesEstrangeirasLigadas(const Database &db) {
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db.handle(), "PRAGMA foreign_keys", -1, &st, nullptr);
    const bool ligadas = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) == 1;
    sqlite3_finalize(st);
    return ligadas;
}

class Levels : public ::testing::Test {
protected:
    void SetUp() override { db = criar(tmp.file(u("n.mdb")), ws); }
    testsupport::TempDir tmp;
    Workspace ws;
    std::unique_ptr<Database> db;
};

} // namespace

// A money sum past the range fails its statement after it changed some rows;
// the statement is undone whole, and whatever levels surround it, the
// workspace's and its own, go on and end as their owners say.
TEST_F(Levels, AFailingStatementIsUndoneWholeAndTheLevelsAroundItGoOn) {
    const Currency quaseNoTopo = Currency::fromUnits(std::numeric_limits<qint64>::max() - 5000);
    struct Caso {
        const char *nome;
        int niveis;         // the workspace's levels around the statement
        bool internaMantida; // with two: the inner level is kept (or undone)
        QStringList ficam;   // besides ANA and BIA
        qint64 ana;          // ANA's amount in whole units after a checked sum that fits
    };
    const Caso casos[] = {
        {"alone: its own transaction", 0, false, {}, 2},
        {"in the workspace's transaction", 1, false, {u("EXTERNA"), u("DEPOIS")}, 2},
        {"in an inner level that is kept", 2, true, {u("EXTERNA"), u("INTERNA"), u("DEPOIS")}, 2},
        {"in an inner level that is undone", 2, false, {u("EXTERNA")}, 1},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        db->Execute(u("DELETE FROM T"), dbFailOnError);
        db->Execute(u("INSERT INTO T (Nome, Valor) VALUES ('ANA', 1)"), dbFailOnError);
        inserir(*db, "BIA");
        auto bia = db->CreateQueryDef(QString(), u("PARAMETERS [p] Currency; UPDATE T SET Valor = [p] WHERE Nome = 'BIA'"));
        bia->SetParameter(0, quaseNoTopo);
        bia->Execute(dbFailOnError);

        for (int n = 0; n < c.niveis; ++n) {
            ws.BeginTrans();
            inserir(*db, n == 0 ? "EXTERNA" : "INTERNA");
        }
        // ANA's row is changed first, then BIA's passes the range.
        EXPECT_EQ(errorOf([&] { db->Execute(u("UPDATE T SET Valor = Valor + 1"), dbFailOnError); }), E::kNumericOverflow);
        EXPECT_EQ(ws.level(), c.niveis);
        EXPECT_EQ(semTransacao(*db), c.niveis == 0) << "the failure ended no level but its own";
        db->Execute(u("UPDATE T SET Valor = Valor + 1 WHERE Nome = 'ANA'"), dbFailOnError); // a checked sum that fits
        if (c.niveis > 0) inserir(*db, "DEPOIS");
        if (c.niveis == 2) c.internaMantida ? ws.CommitTrans() : ws.Rollback();
        if (c.niveis > 0) ws.CommitTrans();

        EXPECT_EQ(ws.level(), 0);
        EXPECT_TRUE(semTransacao(*db));
        EXPECT_EQ(nomes(*db), QStringList({u("ANA"), u("BIA")}) + c.ficam);
        auto rs = db->OpenRecordset(u("SELECT Valor FROM T WHERE Nome = 'ANA'"), dbOpenSnapshot);
        EXPECT_EQ(rs->Field(0).toCurrency(), Currency::fromWhole(c.ana));
        rs = db->OpenRecordset(u("SELECT Valor FROM T WHERE Nome = 'BIA'"), dbOpenSnapshot);
        EXPECT_EQ(rs->Field(0).toCurrency(), quaseNoTopo);
    }
}

// Only a statement that checks a money sum, inside a transaction, gets a
// level of its own: any other write runs bare, as the posting of the day
// does, since a level makes the engine keep a copy of every page it changes.
TEST_F(Levels, OnlyACheckedSumInsideATransactionGetsALevelOfItsOwn) {
    inserir(*db, "ANA");
    struct Caso {
        const char *sql;
        bool emTransacao, nivelProprio;
    };
    const Caso casos[] = {
        {"UPDATE T SET Valor = Valor + 1", true, true},
        {"UPDATE T SET Valor = Valor + 1", false, false},
        {"INSERT INTO T (Nome, Valor) VALUES ('BIA', 2)", true, false},
        {"UPDATE T SET Nome = 'CAIO' WHERE Nome = 'BIA'", true, false},
        {"DELETE FROM T WHERE Nome = 'CAIO'", true, false},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.sql);
        if (c.emTransacao) ws.BeginTrans();
        QStringList vistos;
        {
            testsupport::TransactionStatements instrucoes(db->handle());
            db->Execute(u(c.sql), dbFailOnError);
            vistos = instrucoes.texts();
        }
        EXPECT_EQ(!vistos.isEmpty(), c.nivelProprio) << vistos.join(u("; ")).toStdString();
        if (c.emTransacao) ws.CommitTrans();
    }
}

// A table comes with its indexes or not at all, at any level, and a failed
// creation ends no level around it.
TEST_F(Levels, ATableIsCreatedWholeOrNotAtAllAtAnyLevel) {
    for (int niveis : {0, 1, 2}) {
        SCOPED_TRACE(niveis);
        const QString falha = u("Falha%1").arg(niveis), boa = u("Boa%1").arg(niveis);
        db->Execute(u("DELETE FROM T"), dbFailOnError);
        for (int n = 0; n < niveis; ++n) {
            ws.BeginTrans();
            inserir(*db, "ANTES");
        }
        EXPECT_EQ(errorOf([&] { db->CreateTable(tabelaQueFalha(falha)); }), E::kEngine);
        EXPECT_FALSE(db->TableNames().contains(falha));
        EXPECT_EQ(ws.level(), niveis);
        EXPECT_EQ(semTransacao(*db), niveis == 0);
        db->CreateTable(tabelaSimples(boa));
        for (int n = 0; n < niveis; ++n) ws.CommitTrans();
        EXPECT_TRUE(semTransacao(*db));
        EXPECT_EQ(nomes(*db), QStringList(niveis, u("ANTES")));
        EXPECT_TRUE(db->TableNames().contains(boa));
        EXPECT_FALSE(db->TableNames().contains(falha));
    }
}

// A relation rebuilds its table with foreign keys off, which the engine
// allows only outside a transaction: inside one it is refused and the
// transaction goes on untouched; outside, rows that break it undo the whole
// rebuild; foreign keys are back on whatever the outcome.
TEST_F(Levels, ARelationIsMadeOutsideATransactionWithForeignKeysOnAfterwards) {
    inserir(*db, "ANA");
    db->Execute(u("INSERT INTO F (IdT) VALUES (999)"), dbFailOnError); // refers to no row

    ws.BeginTrans();
    inserir(*db, "DENTRO");
    EXPECT_EQ(errorOf([&] { db->CreateRelation(relacaoTF()); }), E::kInvalidOperation);
    EXPECT_EQ(ws.level(), 1);
    EXPECT_FALSE(semTransacao(*db));
    EXPECT_TRUE(chavesEstrangeirasLigadas(*db));
    ws.CommitTrans();
    EXPECT_EQ(nomes(*db), QStringList({u("ANA"), u("DENTRO")}));

    EXPECT_EQ(errorOf([&] { db->CreateRelation(relacaoTF()); }), E::kRelationViolated);
    EXPECT_TRUE(semTransacao(*db));
    EXPECT_TRUE(chavesEstrangeirasLigadas(*db));
    EXPECT_EQ(errorOf([&] { db->Execute(u("INSERT INTO F (IdT) VALUES (998)"), dbFailOnError); }), 0)
        << "no relation was made";

    db->Execute(u("DELETE FROM F"), dbFailOnError);
    db->Execute(u("INSERT INTO F (IdT) SELECT Id FROM T"), dbFailOnError);
    db->CreateRelation(relacaoTF());
    EXPECT_TRUE(semTransacao(*db));
    EXPECT_TRUE(chavesEstrangeirasLigadas(*db));
    EXPECT_EQ(errorOf([&] { db->Execute(u("INSERT INTO F (IdT) VALUES (997)"), dbFailOnError); }), E::kNoRelatedRecord);
    auto rs = db->OpenRecordset(u("SELECT Count(*) FROM F"), dbOpenSnapshot);
    EXPECT_EQ(rs->Field(0).toInt(), 2) << "the rebuilt table kept its rows";
    // Inside a transaction that follows, the relation holds.
    ws.BeginTrans();
    EXPECT_EQ(errorOf([&] { db->Execute(u("DELETE FROM T WHERE Nome = 'ANA'"), dbFailOnError); }), E::kCascadeBlocked);
    ws.CommitTrans();
}

// Closing a database in the middle of the workspace's transaction undoes what
// it wrote, every level of it, and lets go of the write lock; the workspace
// goes on with the databases still open in it.
TEST(LevelsAtClose, ClosingADatabaseUndoesItsOpenLevelsAndTheWorkspaceGoesOn) {
    testsupport::TempDir tmp;
    const QString pathA = tmp.file(u("a.mdb")), pathB = tmp.file(u("b.mdb"));
    Workspace ws;
    criar(pathA, ws);
    criar(pathB, ws);
    auto a = DBEngine::OpenDatabase(pathA, false, false, kConnect, ws);
    auto b = DBEngine::OpenDatabase(pathB, false, false, kConnect, ws);
    ws.BeginTrans();
    inserir(*a, "UM");
    inserir(*b, "UM");
    ws.BeginTrans();
    inserir(*a, "DOIS");
    inserir(*b, "DOIS");

    a->Close();
    Workspace outro;
    auto outraCopia = DBEngine::OpenDatabase(pathA, false, false, kConnect, outro);
    sqlite3_busy_timeout(outraCopia->handle(), 0); // a lock still held fails at once
    EXPECT_EQ(errorOf([&] { outro.BeginTrans(); }), 0) << "the write lock was let go";
    inserir(*outraCopia, "OUTRO");
    outro.CommitTrans();
    EXPECT_EQ(nomes(*outraCopia), QStringList{u("OUTRO")});

    ws.CommitTrans();
    ws.CommitTrans();
    EXPECT_EQ(ws.level(), 0);
    EXPECT_TRUE(semTransacao(*b));
    EXPECT_EQ(nomes(*b), QStringList({u("UM"), u("DOIS")}));
}

// The outermost level takes the write lock as it begins, before anything is
// written: another copy's writes are refused as locked (3218), and each
// leaves that copy as it was.
TEST(LevelsAcrossCopies, TheOutermostLevelHoldsTheWriteLockFromItsBeginning) {
    testsupport::TempDir tmp;
    const QString path = tmp.file(u("c.mdb")), livre = tmp.file(u("livre.mdb"));
    Workspace wsA, wsB;
    criar(path, wsA);
    criar(livre, wsB);
    auto a = DBEngine::OpenDatabase(path, false, false, kConnect, wsA);
    auto c = DBEngine::OpenDatabase(livre, false, false, kConnect, wsB); // first in B's workspace
    auto b = DBEngine::OpenDatabase(path, false, false, kConnect, wsB);
    sqlite3_busy_timeout(b->handle(), 0); // fails at once instead of waiting

    wsA.BeginTrans(); // nothing written yet
    const struct {
        const char *nome;
        std::function<void()> escrita;
    } casos[] = {
        {"the workspace's transaction", [&] { wsB.BeginTrans(); }},
        {"a statement with a checked sum", [&] { b->Execute(u("UPDATE T SET Valor = Valor + 1"), dbFailOnError); }},
        {"a plain insert", [&] { inserir(*b, "B"); }},
        {"a table", [&] { b->CreateTable(tabelaSimples(u("NovaB"))); }},
        {"a relation", [&] { b->CreateRelation(relacaoTF()); }},
    };
    for (const auto &caso : casos) {
        SCOPED_TRACE(caso.nome);
        EXPECT_EQ(errorOf(caso.escrita), E::kLocked);
        EXPECT_EQ(wsB.level(), 0);
        EXPECT_TRUE(semTransacao(*b));
        EXPECT_TRUE(semTransacao(*c)) << "all or none: the free database's begin was undone";
        EXPECT_TRUE(chavesEstrangeirasLigadas(*b));
    }
    wsA.Rollback();

    wsB.BeginTrans();
    inserir(*b, "B");
    inserir(*c, "C");
    wsB.CommitTrans();
    EXPECT_EQ(nomes(*a), QStringList{u("B")});
    EXPECT_EQ(nomes(*c), QStringList{u("C")});
    EXPECT_FALSE(b->TableNames().contains(u("NovaB")));
}
