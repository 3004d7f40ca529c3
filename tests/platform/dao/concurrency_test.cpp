// Several copies of the program on one file: separate processes writing
// through the database layer at the same time.
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/err/AppError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace dao;
using value::DataType;
using value::Value;

namespace {

const QString kPwd = QStringLiteral(";pwd=segredo");
const QString kConnect = QStringLiteral("MS Access;PWD=segredo");

void makeFile(const QString &path) {
    auto db = DBEngine::CreateDatabase(path, kPwd);
    db->CreateTable({QStringLiteral("Contador"), {{QStringLiteral("Valor"), DataType::Long, 0, 0, true, false, Value(0)}}, {}});
    db->CreateTable({QStringLiteral("Linhas"),
                     {{QStringLiteral("Id"), DataType::Long, 0, 0, true, false, std::nullopt},
                      {QStringLiteral("Quem"), DataType::Long, 0, 0, true, false, std::nullopt}},
                     {{QStringLiteral("PrimaryKey"), {QStringLiteral("Id")}, true, true, true, false}}});
    db->Execute(QStringLiteral("INSERT INTO Contador (Valor) VALUES (0)"));
}

// Each write reads the counter, advances it only while it still holds the
// value read, and inserts the row numbered after it, all in one transaction.
int writer(const QString &path, int who, int count) {
    try {
        Workspace ws;
        auto db = DBEngine::OpenDatabase(path, false, false, kConnect, ws);
        for (int i = 0; i < count; ++i) {
            for (;;) {
                ws.BeginTrans();
                try {
                    auto rs = db->OpenRecordset(QStringLiteral("SELECT Valor FROM Contador"), dbOpenSnapshot);
                    const qint64 v = rs->Field(0).toInt();
                    db->Execute(QStringLiteral("UPDATE Contador SET Valor = Valor + 1 WHERE Valor = %1").arg(v));
                    if (db->RecordsAffected() != 1) { ws.Rollback(); continue; }
                    db->Execute(QStringLiteral("INSERT INTO Linhas (Id, Quem) VALUES (%1, %2)").arg(v + 1).arg(who));
                    ws.CommitTrans();
                    break;
                } catch (const err::AppError &e) {
                    if (ws.level() > 0) ws.Rollback();
                    if (e.number() != err::db::kLocked) return 3;
                }
            }
        }
    } catch (...) {
        return 2;
    }
    return 0;
}

} // namespace

TEST(Concurrency, TwoProcessesWriteOneFileWithoutLosingRows) {
    testsupport::TempDir tmp;
    const QString path = tmp.file(QStringLiteral("c.mdb"));
    makeFile(path);
    constexpr int kProcs = 3, kEach = 150;
    std::vector<pid_t> kids;
    for (int p = 0; p < kProcs; ++p) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) _exit(writer(path, p, kEach));
        kids.push_back(pid);
    }
    for (pid_t pid : kids) {
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    auto db = DBEngine::OpenDatabase(path, false, false, kConnect);
    auto rs = db->OpenRecordset(QStringLiteral("SELECT Count(*) AS N, Max(Id) AS M FROM Linhas"), dbOpenSnapshot);
    EXPECT_EQ(rs->Field(QStringLiteral("N")).toInt(), kProcs * kEach);
    EXPECT_EQ(rs->Field(QStringLiteral("M")).toInt(), kProcs * kEach);
    auto c = db->OpenRecordset(QStringLiteral("SELECT Valor FROM Contador"), dbOpenSnapshot);
    EXPECT_EQ(c->Field(0).toInt(), kProcs * kEach);
}

TEST(Concurrency, AReaderDoesNotBlockAWriter) {
    testsupport::TempDir tmp;
    const QString path = tmp.file(QStringLiteral("r.mdb"));
    makeFile(path);
    Workspace wsReader, wsWriter;
    auto reader = DBEngine::OpenDatabase(path, false, false, kConnect, wsReader);
    auto writerDb = DBEngine::OpenDatabase(path, false, false, kConnect, wsWriter);
    auto kept = reader->OpenRecordset(QStringLiteral("SELECT * FROM Contador"), dbOpenDynaset);
    wsReader.BeginTrans(); // a copy in the middle of its own transaction, which holds the write lock
    wsReader.Rollback();
    wsWriter.BeginTrans();
    writerDb->Execute(QStringLiteral("UPDATE Contador SET Valor = 5"));
    auto whileWriting = reader->OpenRecordset(QStringLiteral("SELECT Valor FROM Contador"), dbOpenSnapshot);
    EXPECT_EQ(whileWriting->Field(0).toInt(), 0) << "readers see the last committed state";
    wsWriter.CommitTrans();
    kept->Requery();
    EXPECT_EQ(kept->Field(QStringLiteral("Valor")).toInt(), 5);
}

TEST(Concurrency, FileInUseSeesThisAndOtherProcesses) {
    testsupport::TempDir tmp;
    const QString path = tmp.file(QStringLiteral("u.mdb"));
    makeFile(path);
    EXPECT_FALSE(DBEngine::FileInUse(path));
    {
        auto db = DBEngine::OpenDatabase(path, false, false, kConnect);
        EXPECT_TRUE(DBEngine::FileInUse(path));
    }
    EXPECT_FALSE(DBEngine::FileInUse(path));
    int toChild[2], toParent[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(toParent), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        Workspace ws;
        auto db = DBEngine::OpenDatabase(path, false, false, kConnect, ws);
        db->OpenRecordset(QStringLiteral("SELECT * FROM Contador"), dbOpenSnapshot);
        char c = 'r';
        (void)!write(toParent[1], &c, 1);
        (void)!read(toChild[0], &c, 1);
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    EXPECT_TRUE(DBEngine::FileInUse(path)) << "open in another copy of the program";
    (void)!write(toChild[1], &c, 1);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_FALSE(DBEngine::FileInUse(path));
}
