// The write-ahead log keeps within its bound while several copies of the
// program share the file: two writers and a reader that always holds a
// snapshot of the log, each on its own connection, in one thread. The
// reader finishes its read whenever a writer waits for it (the writers' busy
// handler lets it), as a copy reading briefly does while another waits, and
// reads again after each commit.
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <sqlite3.h>

using namespace dao;
using value::DataType;

namespace {

const QString kConnect = QStringLiteral("MS Access;PWD=segredo");
constexpr int kBound = 64;              // pages
constexpr qint64 kFrame = 4096 + 24;    // a page in the log and its frame header
constexpr int kRowsPerCommit = 150;     // about ten pages

// A copy that is always reading: a read transaction left open, so its
// snapshot of the log stays until it ends; it reads again after each commit.
struct Leitor {
    sqlite3 *h = nullptr;
    bool cede = true;   // finishes its read when a writer waits for it
    bool lendo = false;
    int esperas = 0;    // times a writer waited
    void ler() {
        ASSERT_EQ(sqlite3_exec(h, "BEGIN; SELECT count(*) FROM Linhas;", nullptr, nullptr, nullptr), SQLITE_OK);
        lendo = true;
    }
    void soltar() {
        if (lendo) {
            ASSERT_EQ(sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        lendo = false;
    }
    void reler() {
        soltar();
        ler();
    }
};

// The writers' busy handler in place of the busy timeout: in one thread the
// reader cannot finish while a writer sleeps, so it finishes here instead.
int aguardar(void *ctx, int vezes) {
    auto *l = static_cast<Leitor *>(ctx);
    ++l->esperas;
    if (!l->cede || vezes > 50) return 0;
    l->soltar();
    return 1;
}

struct Copias {
    testsupport::TempDir dir;
    QString path = dir.file(QStringLiteral("log.mdb"));
    Workspace wsA, wsB, wsR;
    std::unique_ptr<Database> a, b, r;
    Leitor leitor;
    int escritos = 0;

    Copias() {
        DBEngine::CreateDatabase(path, QStringLiteral(";pwd=segredo"))
            ->CreateTable({QStringLiteral("Linhas"), {{QStringLiteral("Texto"), DataType::Text, 255, 0, false, true, std::nullopt}}, {}});
        a = DBEngine::OpenDatabase(path, false, false, kConnect, wsA);
        b = DBEngine::OpenDatabase(path, false, false, kConnect, wsB);
        r = DBEngine::OpenDatabase(path, false, false, kConnect, wsR);
        leitor.h = r->handle();
        for (Database *w : {a.get(), b.get()}) {
            w->SetWalBound(kBound);
            sqlite3_busy_handler(w->handle(), &aguardar, &leitor);
        }
    }
    ~Copias() { leitor.soltar(); }

    // One commit of about ten pages by the given writer.
    void escrever(Database &w) {
        w.workspace().BeginTrans();
        for (int i = 0; i < kRowsPerCommit; ++i)
            w.Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('%1')").arg(QString(250, QLatin1Char('a' + i % 26))));
        w.workspace().CommitTrans();
        ++escritos;
    }
    qint64 log() const { return QFileInfo(path + QStringLiteral("-wal")).size(); }
    long linhas() const {
        return long(r->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Linhas"), dbOpenSnapshot)->Field(0).toInt());
    }
};

} // namespace

TEST(LogBound, TheLogKeepsWithinItsBoundWhileAnotherCopyIsAlwaysReading) {
    Copias c;
    c.leitor.ler();
    qint64 maior = 0;
    for (int i = 0; i < 60; ++i) {
        c.escrever(i % 2 ? *c.b : *c.a);
        // The reader takes a new snapshot after every commit: at any commit
        // there is one on an older part of the log.
        c.leitor.reler();
        maior = std::max(maior, c.log());
    }
    // About 600 pages written: a log that only grew would hold them all.
    EXPECT_LE(maior, 2 * kBound * kFrame) << "the largest log seen, in bytes";
    EXPECT_GT(c.leitor.esperas, 0) << "the copy waited for the reader";
    c.leitor.soltar();
    EXPECT_EQ(c.linhas(), long(c.escritos) * kRowsPerCommit);
}

TEST(LogBound, AReaderThatStaysLetsTheLogGrowWithoutFailingAWriteAndTheLogComesBackOnceItLeaves) {
    Copias c;
    c.leitor.cede = false; // a long read: the copy past the bound gives up at once
    c.leitor.ler();
    for (int i = 0; i < 20; ++i) c.escrever(i % 2 ? *c.b : *c.a);
    EXPECT_GT(c.log(), kBound * kFrame) << "nothing could be copied past the reader's snapshot";
    EXPECT_GT(c.leitor.esperas, 0) << "each commit past the bound tried again";
    c.leitor.soltar();
    EXPECT_EQ(c.linhas(), 20L * kRowsPerCommit) << "every commit stood";
    // The next commit, with no reader left, brings the log back.
    c.escrever(*c.a);
    EXPECT_LE(c.log(), kBound * kFrame);
    EXPECT_EQ(c.a->WalPages(), 0);
    // And every copy goes on writing into the emptied log.
    c.escrever(*c.b);
    EXPECT_EQ(c.linhas(), 22L * kRowsPerCommit);
}
