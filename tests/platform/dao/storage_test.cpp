// How files are stored: the page size of new and earlier files, the
// write-ahead log copied back into the file, rows kept in their key's order.
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/err/AppError.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <functional>
#include <random>
#include <vector>
#include <sqlite3.h>

using namespace dao;
using value::DataType;
using value::Value;

namespace {

const QString kConnect = QStringLiteral("MS Access;PWD=segredo");

int pageSize(Database &db) {
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db.handle(), "PRAGMA page_size", -1, &st, nullptr);
    sqlite3_step(st);
    const int n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return n;
}

// A file as an earlier layout wrote it: encrypted pages of the given size.
void earlierFile(const QString &path, int pageSize) {
    sqlite3 *h = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &h), SQLITE_OK);
    const QByteArray sql = QStringLiteral("PRAGMA key = 'segredo'; PRAGMA cipher_compatibility = 3; PRAGMA cipher_page_size = %1; PRAGMA journal_mode = WAL; "
                                          "CREATE TABLE Linhas (Texto TEXT); INSERT INTO Linhas VALUES ('antiga');")
                               .arg(pageSize)
                               .toUtf8();
    ASSERT_EQ(sqlite3_exec(h, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(h);
}

TEST(Storage, NewFilesUseFourKilobytePagesOnEveryOpen) {
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("novo.mdb"));
    {
        auto db = DBEngine::CreateDatabase(path, QStringLiteral(";pwd=segredo"));
        db->CreateTable({QStringLiteral("Linhas"), {{QStringLiteral("Texto"), DataType::Text, 20, 0, false, true, std::nullopt}}, {}});
        db->Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('nova')"));
        EXPECT_EQ(pageSize(*db), 4096);
    }
    auto db = DBEngine::OpenDatabase(path, false, false, kConnect);
    EXPECT_EQ(pageSize(*db), 4096);
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("SELECT Texto FROM Linhas"), dbOpenSnapshot)->Field(0).toString(),
              QStringLiteral("nova"));
    EXPECT_EQ(testsupport::errorOf([&] { DBEngine::OpenDatabase(path, false, false, QStringLiteral("MS Access;PWD=outra")); }),
              err::db::kNotADatabase);
}

// Files of every earlier layout (1 KB and 4 KB pages), and of the sizes the
// page-size study wrote.
class EarlierPageSize : public ::testing::TestWithParam<int> {};

TEST_P(EarlierPageSize, AFileOfAnEarlierPageSizeOpensAndStaysWritable) {
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("antigo.mdb"));
    earlierFile(path, GetParam());
    {
        auto db = DBEngine::OpenDatabase(path, false, false, kConnect);
        EXPECT_EQ(pageSize(*db), GetParam());
        EXPECT_EQ(db->OpenRecordset(QStringLiteral("SELECT Texto FROM Linhas"), dbOpenSnapshot)->Field(0).toString(),
                  QStringLiteral("antiga"));
        db->Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('depois')"));
    }
    auto db = DBEngine::OpenDatabase(path, false, false, kConnect);
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Linhas"), dbOpenSnapshot)->Field(0).toInt(), 2);
    // With a wrong password it is refused in Portuguese, as any other file.
    try {
        DBEngine::OpenDatabase(path, false, false, QStringLiteral("MS Access;PWD=outra"));
        ADD_FAILURE() << "opened with a wrong password";
    } catch (const err::AppError &e) {
        EXPECT_EQ(e.number(), err::db::kNotADatabase);
        EXPECT_TRUE(e.description().contains(QStringLiteral("danificado ou não é um banco de dados deste sistema")));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, EarlierPageSize, ::testing::Values(1024, 4096, 8192, 16384, 32768));

TEST(Storage, TheLogIsCopiedBackWhenTheProgramIsIdleAndCutBack) {
    int argc = 1;
    char name[] = "storage_test";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("log.mdb"));
    auto db = DBEngine::CreateDatabase(path, QStringLiteral(";pwd=segredo"));
    db->CreateTable({QStringLiteral("Linhas"), {{QStringLiteral("Texto"), DataType::Text, 255, 0, false, true, std::nullopt}}, {}});
    // About 2,000 pages in one commit: past the size that asks for a copy,
    // short of the bound that forces one inside the commit.
    db->workspace().BeginTrans();
    for (int i = 0; i < 30000; ++i)
        db->Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('%1')").arg(QString(250, QLatin1Char('a' + i % 26))));
    db->workspace().CommitTrans();
    const int logged = db->WalPages();
    EXPECT_GE(logged, kWalIdlePages);
    EXPECT_LT(logged, kWalMaxPages);
    EXPECT_GT(QFileInfo(path + QStringLiteral("-wal")).size(), qint64(logged) * 4096) << "not copied inside the commit";
    QElapsedTimer t;
    t.start();
    while (db->WalPages() != 0 && t.elapsed() < 5000) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    EXPECT_EQ(db->WalPages(), 0) << "copied once the program was idle";
    // The next commit starts the log over and cuts the file back.
    db->Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('x')"));
    EXPECT_LE(QFileInfo(path + QStringLiteral("-wal")).size(), kWalKeptBytes);
    db->Close();
    auto again = DBEngine::OpenDatabase(path, false, false, kConnect);
    EXPECT_EQ(again->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Linhas"), dbOpenSnapshot)->Field(0).toInt(), 30001);
}

namespace {
// Keeps what the database asks to run later, and runs it when told.
struct ManualScheduler final : IdleScheduler {
    std::vector<std::function<void()>> tasks;
    int delay = -1;
    bool schedule(int delayMs, std::function<void()> task) override {
        delay = delayMs;
        tasks.push_back(std::move(task));
        return true;
    }
};

// A commit of about 2,000 pages: past the size that asks for a copy, short
// of the bound that forces one inside the commit.
void commitALargeLog(Database &db) {
    db.workspace().BeginTrans();
    for (int i = 0; i < 30000; ++i)
        db.Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('%1')").arg(QString(250, QLatin1Char('a' + i % 26))));
    db.workspace().CommitTrans();
}
} // namespace

TEST(Storage, TheIdleCopyOfTheLogGoesThroughTheSchedulerAndNeedsNoEventLoop) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    ManualScheduler agenda;
    setIdleScheduler(&agenda);
    struct Restaura {
        ~Restaura() { setIdleScheduler(nullptr); }
    } restaura;
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("agenda.mdb"));
    auto db = DBEngine::CreateDatabase(path, QStringLiteral(";pwd=segredo"));
    db->CreateTable({QStringLiteral("Linhas"), {{QStringLiteral("Texto"), DataType::Text, 255, 0, false, true, std::nullopt}}, {}});
    commitALargeLog(*db);
    ASSERT_EQ(agenda.tasks.size(), 1u) << "one copy asked for";
    EXPECT_GT(agenda.delay, 0);
    EXPECT_GE(db->WalPages(), kWalIdlePages);
    // A second large commit while the first copy waits asks for no other.
    commitALargeLog(*db);
    EXPECT_EQ(agenda.tasks.size(), 1u);
    agenda.tasks.front()();
    EXPECT_EQ(db->WalPages(), 0) << "copied when the scheduler ran the task";
    // A copy still waiting when the database closes does nothing.
    commitALargeLog(*db);
    ASSERT_EQ(agenda.tasks.size(), 2u);
    db->Close();
    db.reset();
    agenda.tasks.back()();
    auto again = DBEngine::OpenDatabase(path, false, false, kConnect);
    EXPECT_EQ(again->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Linhas"), dbOpenSnapshot)->Field(0).toInt(), 90000);
}

TEST(Storage, RowsOfAClusteredTableStayInTheirKeysOrderWhateverOrderTheyComeIn) {
    testsupport::TempDir dir;
    auto db = DBEngine::CreateDatabase(dir.file(QStringLiteral("ordem.mdb")), QStringLiteral(";pwd=segredo"));
    IndexDef chave{QStringLiteral("Chave"), {QStringLiteral("Chave")}, false, true, true, false};
    chave.clustered = true;
    db->CreateTable({QStringLiteral("Linhas"),
                     {{QStringLiteral("Id"), DataType::Long, 0, 0, true, false, std::nullopt},
                      {QStringLiteral("Chave"), DataType::Text, 17, 0, true, false, std::nullopt},
                      {QStringLiteral("Marca"), DataType::Long, 0, 0, false, false, Value(0)}},
                     {{QStringLiteral("PrimaryKey"), {QStringLiteral("Id")}, true, true, true, false}, chave}});
    db->CreateTable({QStringLiteral("Um"), {{QStringLiteral("X"), DataType::Long, 0, 0, false, false, std::nullopt}}, {}});
    db->Execute(QStringLiteral("INSERT INTO Um (X) VALUES (1)"));
    std::vector<int> ids(200);
    for (int i = 0; i < 200; ++i) ids[std::size_t(i)] = i + 1;
    std::shuffle(ids.begin(), ids.end(), std::mt19937(3));
    auto key = [](int id) { return QStringLiteral("2026%1%2").arg(1 + id % 12, 2, 10, QLatin1Char('0')).arg(id, 11, 10, QLatin1Char('0')); };
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const int id = ids[i];
        if (i == 50) db->Execute(QStringLiteral("INSERT INTO Linhas (Id, Chave) VALUES (998, '12')"));
        // Both ways a row comes in: a list of values and a SELECT.
        if (i % 2)
            db->Execute(QStringLiteral("INSERT INTO Linhas (Id, Chave) VALUES (%1, '%2')").arg(id).arg(key(id)));
        else
            db->Execute(QStringLiteral("INSERT INTO Linhas SELECT %1 AS Id, '%2' AS Chave FROM Um").arg(id).arg(key(id)));
    }
    // A key that is no number still goes in (after the others).
    db->Execute(QStringLiteral("INSERT INTO Linhas (Id, Chave) VALUES (999, 'X')"));
    QStringList stored, sorted;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db->handle(), "SELECT Chave FROM Linhas ORDER BY rowid", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) stored << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    ASSERT_EQ(stored.size(), 202);
    // Keys that are not a full row of digits go after the others.
    EXPECT_EQ(stored.mid(200), (QStringList{QStringLiteral("12"), QStringLiteral("X")}));
    stored = stored.mid(0, 200);
    sorted = stored;
    sorted.sort();
    EXPECT_EQ(stored, sorted);
    // Changing the rows past a key, with the key given as text or as a
    // parameter, reaches every row past it, those out of line included.
    auto contar = [&](const QString &where) {
        return db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Linhas WHERE ") + where, dbOpenSnapshot)->Field(0).toInt();
    };
    for (const QString &x : {key(77), key(1), QStringLiteral("0"), QStringLiteral("2026069"), QStringLiteral("Y")}) {
        SCOPED_TRACE(x.toStdString());
        for (const QString &op : {QStringLiteral(">"), QStringLiteral(">=")}) {
            db->Execute(QStringLiteral("UPDATE Linhas SET Marca = 0"));
            db->Execute(QStringLiteral("UPDATE Linhas SET Marca = 1 WHERE Chave %1 '%2'").arg(op, x));
            EXPECT_EQ(contar(QStringLiteral("Marca = 1")), contar(QStringLiteral("Chave %1 '%2'").arg(op, x)));
            auto q = db->CreateQueryDef(QString(), QStringLiteral("PARAMETERS [pChave] Text ( 255 );UPDATE Linhas SET Marca = 2 "
                                                                  "WHERE Marca = 1 AND Chave %1 [pChave]").arg(op));
            q->SetParameter(0, x);
            q->Execute();
            EXPECT_EQ(contar(QStringLiteral("Marca = 2")), contar(QStringLiteral("Chave %1 '%2'").arg(op, x)));
        }
    }
    // Deleting past a key takes exactly those rows.
    const long antes = contar(QStringLiteral("True")), alem = contar(QStringLiteral("Chave > '%1'").arg(key(150)));
    db->Execute(QStringLiteral("DELETE FROM Linhas WHERE Chave > '%1'").arg(key(150)));
    EXPECT_EQ(contar(QStringLiteral("True")), antes - alem);
    EXPECT_EQ(contar(QStringLiteral("Chave > '%1'").arg(key(150))), 0);
    // The key stays unique.
    EXPECT_EQ(testsupport::errorOf([&] { db->Execute(QStringLiteral("INSERT INTO Linhas (Id, Chave) VALUES (1000, '%1')").arg(key(5))); }),
              err::db::kDuplicateKey);
}

} // namespace
