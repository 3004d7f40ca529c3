// Book creation beside other files: what killed creations left is removed by
// the next creation in the folder, what a running creation holds is not; the
// creation tool takes options as options.
#include "db/ConstruirBanco.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "GanchoDeCriacao.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void touch(const QString &path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

// Another process that holds a creation file as a running creation does
// (a write lock of its open file), until it is killed.
class RunningCreation {
public:
    explicit RunningCreation(const QString &path) {
        int ready[2], hold[2];
        if (::pipe(ready) != 0 || ::pipe(hold) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            const char ok = fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &fl) == 0 ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            char c;
            (void)!::read(hold[0], &c, 1); // until killed
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        holdFd_ = hold[1];
        char ok = '0';
        locked_ = ::read(ready[0], &ok, 1) == 1 && ok == '1';
        ::close(ready[0]);
    }
    ~RunningCreation() { kill(); }
    bool locked() const { return locked_; }
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        ::close(holdFd_);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int holdFd_ = -1;
    bool locked_ = false;
};

TEST(Creation, LeftoversOfCreationsNoLongerRunningAreRemovedByTheNextCreation) {
    testsupport::TempDir dir;
    const QDir folder(dir.path());
    const QStringList sides = {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};
    auto leftover = [&](const QString &base) {
        for (const QString &s : sides) touch(folder.filePath(base + s));
    };
    leftover(QStringLiteral(".k.mdb.0123abcd.criando"));
    leftover(QStringLiteral(".outro livro.mdb.ffffffff.criando"));
    touch(folder.filePath(QStringLiteral(".k.mdb.89abcdef.criando-wal"))); // its creation file already gone
    leftover(QStringLiteral(".vivo.mdb.00000001.criando"));
    // Names that only look alike are not the creation's.
    const QStringList strangers = {QStringLiteral(".k.mdb.criando"), QStringLiteral("k.mdb.0123abcd.criando"),
                                   QStringLiteral(".k.mdb.0123ABCD.criando"), QStringLiteral(".k.mdb.0123abcd.criando.bak"),
                                   QStringLiteral("k.mdb")};
    for (const QString &n : strangers) touch(folder.filePath(n));

    RunningCreation running(folder.filePath(QStringLiteral(".vivo.mdb.00000001.criando")));
    ASSERT_TRUE(running.locked()) << "no locks on this file system";

    db::ConstruirBancoDeDados(folder.filePath(QStringLiteral("novo.mdb")))->Close();
    QStringList expected = strangers;
    expected << QStringLiteral("novo.mdb");
    for (const QString &s : sides) expected << QStringLiteral(".vivo.mdb.00000001.criando") + s;
    expected.sort();
    QStringList found = folder.entryList(QDir::Files | QDir::Hidden);
    found.sort();
    EXPECT_EQ(found, expected);

    // Killed, it no longer holds its file: the next creation removes it.
    running.kill();
    db::ConstruirBancoDeDados(folder.filePath(QStringLiteral("outro.mdb")))->Close();
    expected = strangers;
    expected << QStringLiteral("novo.mdb") << QStringLiteral("outro.mdb");
    expected.sort();
    found = folder.entryList(QDir::Files | QDir::Hidden);
    found.sort();
    EXPECT_EQ(found, expected);
}

// A creation whose file has just appeared in the folder, the book not yet
// written into it, is running: another creation started at that very moment
// sweeps what killed creations left but leaves that file alone, and both
// make their books.
TEST(Creation, ACreationStartedWhileAnotherMakesItsFileLeavesThatFileAlone) {
    testsupport::TempDir dir;
    const QDir folder(dir.path());
    touch(folder.filePath(QStringLiteral(".velho.mdb.0123abcd.criando"))); // a killed creation's
    touch(folder.filePath(QStringLiteral(".velho.mdb.0123abcd.criando-wal")));
    QString arquivoDoPrimeiro;
    bool ficou = false;
    testsupport::GanchoDeCriacao gancho([&](const QString &arquivo) {
        db::TrocarGanchoDeCriacao({}); // the second creation runs without it
        arquivoDoPrimeiro = arquivo;
        db::ConstruirBancoDeDados(folder.filePath(QStringLiteral("segundo.mdb")))->Close();
        ficou = QFile::exists(arquivo);
    });
    std::unique_ptr<dao::Database> primeiro;
    ASSERT_NO_THROW(primeiro = db::ConstruirBancoDeDados(folder.filePath(QStringLiteral("primeiro.mdb"))));
    primeiro->Close();
    ASSERT_FALSE(arquivoDoPrimeiro.isEmpty());
    EXPECT_TRUE(ficou) << "the running creation's file was swept";
    QStringList found = folder.entryList(QDir::Files | QDir::Hidden);
    found.sort();
    EXPECT_EQ(found, (QStringList{QStringLiteral("primeiro.mdb"), QStringLiteral("segundo.mdb")}));
    for (const char *livro : {"primeiro.mdb", "segundo.mdb"}) {
        auto banco = dao::DBEngine::OpenDatabase(folder.filePath(QString::fromUtf8(livro)), false, false,
                                                 db::ConnectString(db::kSenhaBanco));
        auto rs = banco->OpenRecordset(QStringLiteral("SELECT IdLogin FROM Usuarios"), dao::dbOpenSnapshot);
        EXPECT_EQ(rs->Field(QStringLiteral("IdLogin")).toString(), QStringLiteral("ADMIN")) << livro;
        rs->Close();
        banco->Close();
    }
}

TEST(Creation, TheCreationToolTakesOptionsAsOptions) {
    struct Case {
        const char *name;
        QStringList args;
        int exitCode;
        const char *made; // the book the tool made, if any
        bool usage;
    };
    const Case cases[] = {
        {"help", {QStringLiteral("--help")}, 0, nullptr, true},
        {"no argument", {}, 2, nullptr, true},
        {"unknown option", {QStringLiteral("--sobrescrever"), QStringLiteral("a.mdb")}, 2, nullptr, true},
        {"a short unknown option", {QStringLiteral("-x")}, 2, nullptr, true},
        {"two files", {QStringLiteral("a.mdb"), QStringLiteral("b.mdb")}, 2, nullptr, true},
        {"a file", {QStringLiteral("a.mdb")}, 0, "a.mdb", false},
        {"a file starting with '-' after '--'", {QStringLiteral("--"), QStringLiteral("-x.mdb")}, 0, "-x.mdb", false},
        {"'--help' as a file after '--'", {QStringLiteral("--"), QStringLiteral("--help")}, 0, "--help", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(FIN_MKDB), c.args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), c.exitCode);
        const QString said = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        EXPECT_EQ(said.contains(QStringLiteral("uso: finoteca-mkdb")), c.usage) << said.toStdString();
        const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(files, c.made ? QStringList{QString::fromUtf8(c.made)} : QStringList{}) << said.toStdString();
    }
}

} // namespace
