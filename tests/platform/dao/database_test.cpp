#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Sqlite.h"
#include "platform/dao/Workspace.h"
#include "platform/err/AppError.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

#include <sqlite3.h>

using namespace dao;
using value::Currency;
using value::DataType;
using value::Value;
namespace E = err::db;

namespace {

const QString kPwd = QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=segredo");
const QString kConnect = QStringLiteral("MS Access;PWD=segredo");

using testsupport::errorOf;

TableDef pessoas() {
    return {QStringLiteral("Pessoas"),
            {{QStringLiteral("Id"), DataType::Long, 0, dbAutoIncrField, true, false, std::nullopt},
             {QStringLiteral("Nome"), DataType::Text, 10, 0, true, false, std::nullopt},
             {QStringLiteral("Apelido"), DataType::Text, 10, 0, false, true, std::nullopt},
             {QStringLiteral("Saldo"), DataType::Currency, 0, 0, true, false, Value(0)},
             {QStringLiteral("Nasc"), DataType::Date, 0, 0, false, false, std::nullopt},
             {QStringLiteral("Ativo"), DataType::Boolean, 0, 0, false, false, Value(0)},
             {QStringLiteral("Situacao"), DataType::Text, 1, 0, false, false, Value(QStringLiteral("'?'"))}},
            {{QStringLiteral("Nome"), {QStringLiteral("Nome")}, false, true, true, false},
             {QStringLiteral("PrimaryKey"), {QStringLiteral("Id")}, true, true, true, false}}};
}

TableDef notas() {
    return {QStringLiteral("Notas"),
            {{QStringLiteral("Id"), DataType::Long, 0, dbAutoIncrField, true, false, std::nullopt},
             {QStringLiteral("IdPessoa"), DataType::Long, 0, 0, true, false, std::nullopt},
             {QStringLiteral("Texto"), DataType::Text, 20, 0, false, true, std::nullopt}},
            {{QStringLiteral("PrimaryKey"), {QStringLiteral("Id")}, true, true, true, false}}};
}

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = tmp.file(QStringLiteral("t.mdb"));
        db = DBEngine::CreateDatabase(path, kPwd);
        db->CreateTable(pessoas());
        db->CreateTable(notas());
        db->CreateRelation({QStringLiteral("PESSOAS_NOTAS"), QStringLiteral("Pessoas"), QStringLiteral("Notas"),
                            {{QStringLiteral("Id"), QStringLiteral("IdPessoa")}}, dbRelationDeleteCascade});
    }
    long insertPessoa(const QString &nome) {
        auto rs = db->OpenRecordset(QStringLiteral("Pessoas"), dbOpenTable);
        rs->AddNew();
        rs->SetField(QStringLiteral("Nome"), nome);
        rs->Update();
        rs->MoveLast();
        return long(rs->Field(QStringLiteral("Id")).toInt());
    }
    testsupport::TempDir tmp;
    QString path;
    std::unique_ptr<Database> db;
};

} // namespace

TEST(Engine, OpeningChecksFileAndPasswordAtOnce) {
    testsupport::TempDir tmp;
    const QString path = tmp.file(QStringLiteral("a.mdb"));
    EXPECT_EQ(errorOf([&] { DBEngine::OpenDatabase(path, false, false, kConnect); }), E::kFileNotFound);
    EXPECT_FALSE(QFile::exists(path)) << "opening must never create the file";
    EXPECT_EQ(errorOf([&] { DBEngine::OpenDatabase(tmp.path(), false, false, kConnect); }), E::kFileNotFound);

    DBEngine::CreateDatabase(path, kPwd)->CreateTable(notas());
    EXPECT_EQ(errorOf([&] { DBEngine::OpenDatabase(path, false, false, QStringLiteral("MS Access;PWD=outra")); }), E::kNotADatabase);
    EXPECT_EQ(errorOf([&] { DBEngine::OpenDatabase(path, false, false, QString()); }), E::kNotADatabase);
    EXPECT_EQ(errorOf([&] { DBEngine::CreateDatabase(path, kPwd); }), 3204);
    auto db = DBEngine::OpenDatabase(path, false, false, kConnect);
    EXPECT_TRUE(db->TableNames().contains(QStringLiteral("Notas")));

    // The file is unreadable without the key.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_FALSE(f.readAll().contains("Notas"));

    const QString empty = tmp.file(QStringLiteral("vazio.mdb"));
    QFile(empty).open(QIODevice::WriteOnly);
    EXPECT_EQ(errorOf([&] { DBEngine::OpenDatabase(empty, false, false, kConnect); }), E::kNotADatabase);
    const QString text = tmp.file(QStringLiteral("texto.mdb"));
    {
        QFile t(text);
        t.open(QIODevice::WriteOnly);
        t.write(QByteArray(4096, 'x'));
    }
    EXPECT_NE(errorOf([&] { DBEngine::OpenDatabase(text, false, false, kConnect); }), 0);
}

TEST_F(DatabaseTest, ColumnRulesAreEnforcedWithTheEngineNumbers) {
    struct Case { const char *what; const char *sql; long error; };
    insertPessoa(QStringLiteral("ANA"));
    const Case cases[] = {
        {"text over its width", "INSERT INTO Pessoas (Nome) VALUES ('ABCDEFGHIJK')", E::kTextTooLong},
        {"required left null", "INSERT INTO Pessoas (Apelido) VALUES ('X')", E::kRequiredNull},
        {"zero length refused", "INSERT INTO Pessoas (Nome) VALUES ('')", E::kZeroLength},
        {"duplicate ignoring case", "INSERT INTO Pessoas (Nome) VALUES ('ana')", E::kDuplicateKey},
        {"no related record", "INSERT INTO Notas (IdPessoa) VALUES (99)", E::kNoRelatedRecord},
        {"width counts characters", "INSERT INTO Pessoas (Nome) VALUES ('ÇÃOÇÃOÇÃOÇ')", 0},
        {"zero length allowed", "INSERT INTO Pessoas (Nome, Apelido) VALUES ('BIA', '')", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(errorOf([&] { db->Execute(QString::fromUtf8(c.sql), dbFailOnError); }), c.error);
    }
    auto rs = db->OpenRecordset(QStringLiteral("SELECT Nome FROM Pessoas ORDER BY Nome"), dbOpenSnapshot);
    EXPECT_EQ(rs->RecordCount(), 3) << "nothing of a refused statement is stored";
}

TEST_F(DatabaseTest, AccentedLettersIgnoreCaseInUniqueIndexes) {
    insertPessoa(QStringLiteral("AÇÃO"));
    EXPECT_EQ(errorOf([&] { insertPessoa(QStringLiteral("ação")); }), E::kDuplicateKey);
    EXPECT_EQ(errorOf([&] { insertPessoa(QStringLiteral("ACAO")); }), 0) << "accents still tell words apart";
}

TEST_F(DatabaseTest, DefaultsAndTypesReadBack) {
    db->Execute(QStringLiteral("INSERT INTO Pessoas (Nome, Saldo, Nasc) VALUES ('ANA', -12.50, #12/09/2026#)"), dbFailOnError);
    EXPECT_EQ(db->RecordsAffected(), 1);
    auto rs = db->OpenRecordset(QStringLiteral("Pessoas"), dbOpenTable);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Field(QStringLiteral("saldo")).toCurrency(), Currency::fromUnits(-125000));
    EXPECT_EQ(rs->Field(QStringLiteral("Saldo")).type(), DataType::Currency);
    EXPECT_EQ(rs->Field(QStringLiteral("Nasc")).toDate(), value::makeDate(2026, 12, 9));
    EXPECT_EQ(rs->Field(QStringLiteral("Ativo")).type(), DataType::Boolean);
    EXPECT_FALSE(rs->Field(QStringLiteral("Ativo")).toBool());
    EXPECT_EQ(rs->Field(QStringLiteral("Situacao")).toString(), QStringLiteral("?"));
    EXPECT_TRUE(rs->Field(QStringLiteral("Apelido")).isNull());
    EXPECT_EQ(rs->Field(1).toString(), QStringLiteral("ANA"));
    EXPECT_EQ(errorOf([&] { rs->Field(QStringLiteral("NaoExiste")); }), E::kItemNotFound);
}

TEST_F(DatabaseTest, NavigationBookmarksFindAndClone) {
    for (const char *n : {"CARLA", "ANA", "BIA"}) insertPessoa(QString::fromUtf8(n));
    auto rs = db->OpenRecordset(QStringLiteral("SELECT Id, Nome FROM Pessoas ORDER BY Nome"), dbOpenSnapshot);
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(rs->AbsolutePosition(), 0);
    EXPECT_EQ(rs->Field(QStringLiteral("nome")).toString(), QStringLiteral("ANA"));
    rs->MoveNext();
    const Bookmark bia = rs->GetBookmark();
    rs->MoveLast();
    EXPECT_EQ(rs->Field(QStringLiteral("Nome")).toString(), QStringLiteral("CARLA"));
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->AbsolutePosition(), -1);
    EXPECT_EQ(errorOf([&] { rs->Field(QStringLiteral("Nome")); }), E::kNoCurrentRecord);
    rs->SetBookmark(bia);
    EXPECT_EQ(rs->Field(QStringLiteral("Nome")).toString(), QStringLiteral("BIA"));
    rs->SetAbsolutePosition(0);
    EXPECT_EQ(rs->Field(QStringLiteral("Nome")).toString(), QStringLiteral("ANA"));

    rs->FindFirst(QStringLiteral("Nome ='carla'"));
    EXPECT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    rs->FindFirst(QStringLiteral("Nome ='ZECA'"));
    EXPECT_TRUE(rs->NoMatch());
    EXPECT_EQ(rs->AbsolutePosition(), 2) << "a failed search leaves the current row";

    auto clone = rs->Clone();
    clone->MoveLast();
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    clone->MoveFirst();
    EXPECT_EQ(rs->AbsolutePosition(), 2);

    insertPessoa(QStringLiteral("DORA"));
    EXPECT_EQ(rs->RecordCount(), 3) << "rows are read when the recordset opens";
    rs->Requery();
    EXPECT_EQ(rs->RecordCount(), 4);
    rs->Close();
    EXPECT_NE(errorOf([&] { rs->MoveFirst(); }), 0);

    auto none = db->OpenRecordset(QStringLiteral("SELECT * FROM Pessoas WHERE Nome = 'X'"), dbOpenSnapshot);
    EXPECT_TRUE(none->Eof());
    EXPECT_TRUE(none->Bof());
    EXPECT_EQ(none->RecordCount(), 0);
}

// Texts that repeat along the rows are kept once; a column whose texts keep
// differing is read one by one from some row on. Either way each row reads its
// own text, a change to one row leaves the rows that had the same text alone,
// and a search still compares as the columns' collation does.
TEST_F(DatabaseTest, RepeatedAndVariedTextsReadBackRowByRow) {
    const int n = 1500;
    for (int i = 0; i < n; ++i)
        db->Execute(QStringLiteral("INSERT INTO Pessoas (Nome, Apelido) VALUES ('N%1', '%2')")
                        .arg(i).arg(i % 3 == 0 ? QStringLiteral("AÇÃO") : QStringLiteral("X")),
                    dbFailOnError);
    auto rs = db->OpenRecordset(QStringLiteral("Pessoas"), dbOpenDynaset);
    ASSERT_EQ(rs->RecordCount(), n);
    for (int i = 0; i < n; ++i, rs->MoveNext()) {
        ASSERT_EQ(rs->Field(QStringLiteral("Nome")).toString(), QStringLiteral("N%1").arg(i));
        ASSERT_EQ(rs->Field(QStringLiteral("Apelido")).toString(), i % 3 == 0 ? QStringLiteral("AÇÃO") : QStringLiteral("X"));
    }
    rs->SetAbsolutePosition(3);
    rs->Edit();
    rs->SetField(QStringLiteral("Apelido"), Value(QStringLiteral("Y")));
    rs->Update();
    rs->SetAbsolutePosition(6);
    EXPECT_EQ(rs->Field(QStringLiteral("Apelido")).toString(), QStringLiteral("AÇÃO"));
    rs->FindFirst(QStringLiteral("Apelido = 'ação'"));
    EXPECT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->AbsolutePosition(), 0);
    rs->FindNext(QStringLiteral("Apelido = 'ação'"));
    EXPECT_EQ(rs->AbsolutePosition(), 6) << "the changed row no longer matches";
    rs->FindFirst(QStringLiteral("Nome = 'n1499' AND Apelido <> 'Y'"));
    EXPECT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->AbsolutePosition(), n - 1);
    rs->FindFirst(QStringLiteral("Nome > 'n998'"));
    EXPECT_EQ(rs->Field(QStringLiteral("Nome")).toString(), QStringLiteral("N999"));
}

TEST_F(DatabaseTest, AutoNumbersAreNeverReusedAndCascadesDelete) {
    const long a = insertPessoa(QStringLiteral("ANA"));
    const long b = insertPessoa(QStringLiteral("BIA"));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    db->Execute(QStringLiteral("INSERT INTO Notas (IdPessoa, Texto) VALUES (2, 'x')"), dbFailOnError);
    db->Execute(QStringLiteral("DELETE FROM Pessoas WHERE Id = 2"), dbFailOnError);
    EXPECT_EQ(db->RecordsAffected(), 1);
    auto n = db->OpenRecordset(QStringLiteral("SELECT Count(*) AS C FROM Notas"), dbOpenSnapshot);
    EXPECT_EQ(n->Field(QStringLiteral("C")).toInt(), 0);
    EXPECT_EQ(insertPessoa(QStringLiteral("CARLA")), 3);
}

TEST_F(DatabaseTest, EditWritesBackThroughTheRowKey) {
    insertPessoa(QStringLiteral("ANA"));
    insertPessoa(QStringLiteral("BIA"));
    auto rs = db->OpenRecordset(QStringLiteral("Pessoas"), dbOpenDynaset);
    rs->MoveLast();
    rs->Edit();
    rs->SetField(QStringLiteral("Apelido"), QStringLiteral("B"));
    rs->Update();
    auto check = db->OpenRecordset(QStringLiteral("SELECT Apelido FROM Pessoas WHERE Nome = 'BIA'"), dbOpenSnapshot);
    EXPECT_EQ(check->Field(0).toString(), QStringLiteral("B"));
    auto ro = db->OpenRecordset(QStringLiteral("SELECT * FROM Pessoas"), dbOpenSnapshot);
    EXPECT_EQ(errorOf([&] { ro->AddNew(); }), 3027);
}

TEST_F(DatabaseTest, SavedQueriesWithParametersByPositionAndName) {
    insertPessoa(QStringLiteral("ANA"));
    insertPessoa(QStringLiteral("BIA"));
    db->CreateQueryDef(QStringLiteral("ParQryPorNome"))
        ->SetSQL(QStringLiteral("PARAMETERS [PNOME] Text ( 255 ), [PID] Long;SELECT Id, Nome FROM Pessoas WHERE Nome = [PNOME] OR Id = [PID];"));
    db.reset();
    db = DBEngine::OpenDatabase(path, false, false, kConnect);
    auto q = db->QueryDefs(QStringLiteral("parqrypornome"));
    EXPECT_EQ(q->Name(), QStringLiteral("ParQryPorNome"));
    ASSERT_EQ(q->ParameterCount(), 2);
    EXPECT_EQ(q->ParameterName(0), QStringLiteral("PNOME"));
    q->SetParameter(0, QStringLiteral("bia"));
    q->SetParameter(QStringLiteral("pid"), Value(0));
    auto rs = q->OpenRecordset(dbOpenSnapshot);
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Field(QStringLiteral("Nome")).toString(), QStringLiteral("BIA"));

    auto unset = db->QueryDefs(QStringLiteral("ParQryPorNome"));
    EXPECT_EQ(errorOf([&] { unset->OpenRecordset(); }), E::kTooFewParameters);
    auto byName = db->OpenRecordset(QStringLiteral("SELECT Count(*) AS N FROM Pessoas"), dbOpenSnapshot);
    EXPECT_EQ(byName->Field(QStringLiteral("n")).toInt(), 2);
    db->DeleteQueryDef(QStringLiteral("ParQryPorNome"));
    EXPECT_EQ(errorOf([&] { db->QueryDefs(QStringLiteral("ParQryPorNome")); }), E::kItemNotFound);
}

// A query definition kept and run again follows the saved queries it reads
// and the tables as they are now, not as they were when it first ran.
TEST_F(DatabaseTest, AKeptQueryFollowsAChangeOfTheSavedQueryItReads) {
    insertPessoa(QStringLiteral("ANA"));
    insertPessoa(QStringLiteral("BIA"));
    db->CreateQueryDef(QStringLiteral("QryNomes"), QStringLiteral("SELECT Id, Nome FROM Pessoas WHERE Nome = 'ANA'"));
    auto q = db->CreateQueryDef(QString(), QStringLiteral("PARAMETERS [pId] Long;SELECT Nome FROM QryNomes WHERE Id >= [pId]"));
    q->SetParameter(QStringLiteral("pId"), Value(0));
    EXPECT_EQ(q->OpenRecordset(dbOpenSnapshot)->Field(0).toString(), QStringLiteral("ANA"));
    db->QueryDefs(QStringLiteral("QryNomes"))->SetSQL(QStringLiteral("SELECT Id, Nome FROM Pessoas WHERE Nome = 'BIA'"));
    q->SetParameter(QStringLiteral("pId"), Value(0));
    EXPECT_EQ(q->OpenRecordset(dbOpenSnapshot)->Field(0).toString(), QStringLiteral("BIA"));
    db->DeleteQueryDef(QStringLiteral("QryNomes"));
    EXPECT_EQ(errorOf([&] { q->OpenRecordset(dbOpenSnapshot); }), E::kUnknownTable);
    db->Close();
    EXPECT_EQ(errorOf([&] { q->SetParameter(QStringLiteral("pId"), Value(1)); }), E::kInvalidOperation);
}

// The program has one thread: its connections take no lock around each call.
TEST_F(DatabaseTest, ConnectionsAreOpenedForOneThread) {
    EXPECT_EQ(sqlite3_db_mutex(db->handle()), nullptr);
    auto other = DBEngine::OpenDatabase(path, false, false, kConnect);
    EXPECT_EQ(sqlite3_db_mutex(other->handle()), nullptr);
}

TEST_F(DatabaseTest, NestedTransactionsOnTheWorkspace) {
    Workspace &ws = db->workspace();
    ws.BeginTrans();
    insertPessoa(QStringLiteral("ANA"));
    ws.BeginTrans();
    insertPessoa(QStringLiteral("BIA"));
    ws.Rollback(); // the inner level only
    ws.BeginTrans();
    insertPessoa(QStringLiteral("CARLA"));
    ws.CommitTrans();
    ws.CommitTrans();
    EXPECT_EQ(ws.level(), 0);
    auto rs = db->OpenRecordset(QStringLiteral("SELECT Nome FROM Pessoas ORDER BY Nome"), dbOpenSnapshot);
    ASSERT_EQ(rs->RecordCount(), 2);
    rs->MoveLast();
    EXPECT_EQ(rs->Field(0).toString(), QStringLiteral("CARLA"));
    EXPECT_EQ(errorOf([&] { ws.CommitTrans(); }), E::kNotInTransaction);

    ws.BeginTrans();
    insertPessoa(QStringLiteral("DORA"));
    ws.Rollback();
    rs->Requery();
    EXPECT_EQ(rs->RecordCount(), 2);
}

namespace {

// The error a statement raises, or none.
std::optional<err::AppError> falhaDe(const std::function<void()> &f) {
    try {
        f();
    } catch (const err::AppError &e) {
        return e;
    }
    return std::nullopt;
}

bool emPortugues(const QString &texto) {
    for (const char *ingles : {"database", "attempt", "disk", "file is", "malformed", "readonly", "SQL", "UPDATE",
                               "INSERT", "SELECT"})
        if (texto.contains(QString::fromLatin1(ingles), Qt::CaseSensitive)) return false;
    return !texto.isEmpty();
}

} // namespace

// What the engine reports reaches the user as a number and a Portuguese text,
// never as the engine's English text or a piece of the statement.
TEST(EngineErrors, EveryFailureAUserCanMeetIsToldInPortugueseWithItsNumber) {
    struct Caso {
        int codigo;
        long numero;
    };
    const Caso casos[] = {
        {SQLITE_READONLY, E::kReadOnly},      {SQLITE_FULL, E::kDiskFull},
        {SQLITE_CORRUPT, E::kDamaged},        {SQLITE_NOTADB, E::kDamaged},
        {SQLITE_IOERR_WRITE, E::kDiskError},  {SQLITE_BUSY, E::kLocked},
        {SQLITE_LOCKED, E::kLocked},          {SQLITE_PERM, E::kNoPermission},
        {SQLITE_NOMEM, E::kOutOfMemory},      {SQLITE_ERROR, E::kEngine},
        {SQLITE_MISUSE, E::kEngine},          {SQLITE_TOOBIG, E::kEngine},
    };
    const QString instrucao = QStringLiteral("UPDATE Lancamentos SET SaldoConta = SaldoConta + 1 WHERE DataId > '2024'");
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.codigo);
        const err::AppError e = sqlite::error(nullptr, c.codigo, instrucao);
        EXPECT_EQ(e.number(), c.numero);
        EXPECT_TRUE(emPortugues(e.description())) << e.description().toStdString();
        EXPECT_FALSE(e.description().contains(QStringLiteral("Lancamentos"))) << "a piece of the statement";
    }
}

TEST(EngineErrors, AReadOnlyFileAndADamagedPageAreToldAsSuch) {
    testsupport::TempDir tmp;
    const QString path = tmp.file(QStringLiteral("a.mdb"));
    {
        auto db = DBEngine::CreateDatabase(path, kPwd);
        db->CreateTable(notas());
        db->Execute(QStringLiteral("INSERT INTO Notas (IdPessoa, Texto) VALUES (1, 'A')"), dbFailOnError);
        for (int i = 0; i < 12; ++i)
            db->Execute(QStringLiteral("INSERT INTO Notas (IdPessoa, Texto) SELECT IdPessoa + 1, Texto FROM Notas"),
                        dbFailOnError);
        db->Close();
    }
    {
        auto leitura = DBEngine::OpenDatabase(path, false, true, kConnect);
        EXPECT_TRUE(leitura->ReadOnly());
        const auto e = falhaDe([&] { leitura->Execute(QStringLiteral("DELETE FROM Notas"), dbFailOnError); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->number(), E::kReadOnly);
        EXPECT_TRUE(emPortugues(e->description())) << e->description().toStdString();
        EXPECT_FALSE(DBEngine::OpenDatabase(path, false, false, kConnect)->ReadOnly());
    }
    // A page in the middle of the file overwritten.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_GT(f.size(), 8 * 4096);
        f.seek(4 * 4096 + 100);
        f.write(QByteArray(512, '\x5a'));
    }
    auto db = DBEngine::OpenDatabase(path, false, false, kConnect);
    const auto e = falhaDe([&] {
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Count(*), Sum(IdPessoa) FROM Notas"), dbOpenSnapshot);
        rs->Field(0);
    });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number(), E::kDamaged);
    EXPECT_TRUE(e->description().contains(QStringLiteral("danificado"))) << e->description().toStdString();
}

TEST_F(DatabaseTest, ATextWithANulCharacterIsNeverWritten) {
    const long id = insertPessoa(QStringLiteral("ANA"));
    const QString comNul = QStringLiteral("AB") + QChar(u'\0') + QString(100, u'X');
    auto q = db->CreateQueryDef(QString(), QStringLiteral("PARAMETERS [pT] Text ( 255 ), [pId] Long;"
                                                          "INSERT INTO Notas (IdPessoa, Texto) VALUES ([pId], [pT])"));
    q->SetParameter(0, comNul);
    q->SetParameter(1, value::Value(qlonglong(id)));
    const auto e = falhaDe([&] { q->Execute(dbFailOnError); });
    ASSERT_TRUE(e);
    EXPECT_TRUE(emPortugues(e->description())) << e->description().toStdString();
    auto rs = db->OpenRecordset(QStringLiteral("Notas"), dbOpenTable);
    EXPECT_TRUE(rs->Eof()) << "nothing written";
    rs->AddNew();
    rs->SetField(QStringLiteral("IdPessoa"), value::Value(qlonglong(id)));
    rs->SetField(QStringLiteral("Texto"), comNul);
    EXPECT_TRUE(falhaDe([&] { rs->Update(); }));
}
