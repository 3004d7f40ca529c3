// What an open does to the file and beside it: files that may not be written
// are refused before the engine creates anything; a file that is refused is
// left as it was; a file on a network file system keeps the rollback journal;
// the encryption settings are those every book has always had.
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <QTemporaryDir>

#include <sqlite3.h>
#include <unistd.h>

using namespace dao;
using value::DataType;

namespace {

const QString kConnect = QStringLiteral("MS Access;PWD=segredo");

// Puts a file-system check in place for one test.
class CheckGuard {
public:
    explicit CheckGuard(FileSystemCheck c) : previous_(DBEngine::SetFileSystemCheck(std::move(c))) {}
    ~CheckGuard() { DBEngine::SetFileSystemCheck(previous_); }

private:
    FileSystemCheck previous_;
};

// Makes a file or folder immutable (even the administrator may not write it)
// for as long as it lives; false when this file system has no such thing.
class Immutable {
public:
    explicit Immutable(QString path) : path_(std::move(path)) {
        on_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~Immutable() { release(); }
    void release() {
        if (on_) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        on_ = false;
    }
    bool on() const { return on_; }

private:
    QString path_;
    bool on_ = false;
};

QString newBook(const testsupport::TempDir &dir, const QString &name) {
    const QString path = dir.file(name);
    auto db = DBEngine::CreateDatabase(path, QStringLiteral(";pwd=segredo"));
    db->CreateTable({QStringLiteral("Linhas"), {{QStringLiteral("Texto"), DataType::Text, 20, 0, false, true, std::nullopt}}, {}});
    db->Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('um')"));
    db->Close();
    return path;
}

QStringList sideFiles(const QString &path) {
    QStringList out;
    for (const char *s : {"-wal", "-shm", "-journal"})
        if (QFileInfo::exists(path + QLatin1String(s))) out << path + QLatin1String(s);
    return out;
}

QByteArray digest(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString journalMode(Database &db) {
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db.handle(), "PRAGMA journal_mode", -1, &st, nullptr);
    sqlite3_step(st);
    const QString mode = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return mode;
}

TEST(Files, WhatMayNotBeWrittenIsRefusedNamedBeforeAnythingIsCreatedBesideIt) {
    testsupport::TempDir dir;
    const QString book = newBook(dir, QStringLiteral("livro.mdb"));
    const QString folder = QFileInfo(book).absolutePath();
    struct Case {
        const char *name;
        QString refused;       // the path the check says may not be written
        bool sideFileFirst;    // a side file is there before the open
        QString named;         // the file the message names
        const char *reason;
    };
    const Case cases[] = {
        {"the book", book, false, book, "ele é somente leitura"},
        {"its folder", folder, false, book, "a sua pasta"},
        {"a side file left there", book + QStringLiteral("-shm"), true, book + QStringLiteral("-shm"),
         "ele é somente leitura"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.sideFileFirst) {
            QFile f(book + QStringLiteral("-shm"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        CheckGuard guard({[&](const QString &p) { return QFileInfo(p).absoluteFilePath() != QFileInfo(c.refused).absoluteFilePath(); }, {}});
        const QByteArray before = digest(book);
        try {
            DBEngine::OpenDatabase(book, false, false, kConnect);
            ADD_FAILURE() << "opened";
        } catch (const err::AppError &e) {
            EXPECT_EQ(e.number(), err::db::kReadOnly);
            EXPECT_TRUE(e.description().contains(QStringLiteral("'%1'").arg(c.named))) << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.reason))) << e.description().toStdString();
            if (c.refused == folder) {
                EXPECT_TRUE(e.description().contains(folder)) << e.description().toStdString();
            }
        }
        EXPECT_EQ(digest(book), before);
        EXPECT_EQ(sideFiles(book), c.sideFileFirst ? QStringList{book + QStringLiteral("-shm")} : QStringList{});
        QFile::remove(book + QStringLiteral("-shm"));
    }
}

// The user's own case: a book he may not write is refused, and once he may
// write it again it opens, with nothing left beside it in between.
TEST(Files, ABookThatMayNotBeWrittenOpensOnceItMayBeAgain) {
    testsupport::TempDir dir;
    const QString book = newBook(dir, QStringLiteral("livro.mdb"));
    {
        Immutable lock(book);
        if (!lock.on()) GTEST_SKIP() << "no immutable files here (chattr)";
        EXPECT_EQ(testsupport::errorOf([&] { DBEngine::OpenDatabase(book, false, false, kConnect); }), err::db::kReadOnly);
        EXPECT_TRUE(sideFiles(book).isEmpty()) << sideFiles(book).join(QLatin1Char(' ')).toStdString();
        // Were the check to say yes, the engine opens the file for reading
        // only and makes the log's files; the refusal takes them away.
        CheckGuard yes({[](const QString &) { return true; }, {}});
        const Recognizer refuseReadOnly = [](const Database &db) -> std::optional<err::AppError> {
            if (db.ReadOnly()) return err::AppError(err::db::kReadOnly, QString(), QStringLiteral("somente leitura"));
            return std::nullopt;
        };
        EXPECT_EQ(testsupport::errorOf([&] { DBEngine::OpenDatabase(book, false, false, kConnect, refuseReadOnly); }),
                  err::db::kReadOnly);
        EXPECT_TRUE(sideFiles(book).isEmpty()) << sideFiles(book).join(QLatin1Char(' ')).toStdString();
    }
    auto db = DBEngine::OpenDatabase(book, false, false, kConnect);
    db->Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('dois')"));
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Linhas"), dbOpenSnapshot)->Field(0).toInt(), 2);
}

// The user's case as he meets it, with the file's and the folder's modes:
// for a user without the right to write (the administrator writes anyway,
// so under him the test runs itself again as the user nobody).
void refusedByModesAndOpenedOnceWritable() {
    testsupport::TempDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("pasta"));
    const QString folder = dir.file(QStringLiteral("pasta"));
    const QString book = newBook(dir, QStringLiteral("pasta/livro.mdb"));
    struct Case {
        const char *name;
        QString path;
        QFile::Permissions readOnly;
        const char *reason;
    };
    const auto r = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto x = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    const Case cases[] = {
        {"a file of mode 0444", book, r, "ele é somente leitura"},
        {"a folder of mode 0555", folder, r | x, "a sua pasta"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QFile::Permissions was = QFile::permissions(c.path);
        ASSERT_TRUE(QFile::setPermissions(c.path, c.readOnly));
        try {
            DBEngine::OpenDatabase(book, false, false, kConnect);
            ADD_FAILURE() << "opened";
        } catch (const err::AppError &e) {
            EXPECT_EQ(e.number(), err::db::kReadOnly);
            EXPECT_TRUE(e.description().contains(QStringLiteral("'%1' não pode ser gravado").arg(book)));
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.reason))) << e.description().toStdString();
        }
        EXPECT_TRUE(sideFiles(book).isEmpty()) << sideFiles(book).join(QLatin1Char(' ')).toStdString();
        ASSERT_TRUE(QFile::setPermissions(c.path, was));
        auto db = DBEngine::OpenDatabase(book, false, false, kConnect);
        db->Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('mais')"));
    }
}

TEST(Files, AUserWithoutTheRightToWriteIsRefusedAndLaterServed) {
    if (::geteuid() != 0) {
        refusedByModesAndOpenedOnceWritable();
        return;
    }
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/fin-nobody-XXXXXX"));
    ASSERT_TRUE(scratch.isValid());
    QFile::setPermissions(scratch.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                              QFile::WriteOther | QFile::ExeOther);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FIN_TEST_TMP"), scratch.path());
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("setpriv"),
            {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
             QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(),
             QStringLiteral("--gtest_filter=Files.AUserWithoutTheRightToWriteIsRefusedAndLaterServed")});
    if (!p.waitForStarted()) GTEST_SKIP() << "no setpriv to run as a user without the right to write";
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString said = QString::fromLocal8Bit(p.readAll());
    if (p.exitCode() == 127 || said.contains(QStringLiteral("setpriv:")))
        GTEST_SKIP() << "cannot run as the user nobody here: " << said.toStdString();
    EXPECT_EQ(p.exitCode(), 0) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("[  PASSED  ] 1 test"))) << said.toStdString();
}

TEST(Files, ABookInAFolderThatMayNotBeWrittenIsRefusedNamingTheFolder) {
    testsupport::TempDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("pasta"));
    const QString folder = dir.file(QStringLiteral("pasta"));
    const QString book = newBook(dir, QStringLiteral("pasta/livro.mdb"));
    Immutable lock(folder);
    if (!lock.on()) GTEST_SKIP() << "no immutable folders here (chattr)";
    try {
        DBEngine::OpenDatabase(book, false, false, kConnect);
        ADD_FAILURE() << "opened";
    } catch (const err::AppError &e) {
        EXPECT_EQ(e.number(), err::db::kReadOnly);
        EXPECT_EQ(e.description(), QStringLiteral("O arquivo '%1' não pode ser gravado: a sua pasta '%2' é somente "
                                                  "leitura. Escolha outro arquivo ou peça permissão de gravação.")
                                       .arg(book, folder));
    }
}

// A file the caller does not recognise is closed before any statement that
// writes: its bytes stay as they were, nothing is left beside it.
TEST(Files, AFileTheCallerDoesNotRecogniseIsLeftAsItWas) {
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("alheio.db"));
    {
        sqlite3 *h = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &h), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(h, "PRAGMA key = 'segredo'; PRAGMA cipher_compatibility = 3; CREATE TABLE Outra (x);",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(h);
    }
    const QByteArray before = digest(path);
    const Recognizer needsLinhas = [](const Database &db) -> std::optional<err::AppError> {
        if (!db.TableNames().contains(QStringLiteral("Linhas")))
            return err::AppError(err::db::kNotADatabase, QString(), QStringLiteral("alheio"));
        return std::nullopt;
    };
    EXPECT_EQ(testsupport::errorOf([&] { DBEngine::OpenDatabase(path, false, false, kConnect, needsLinhas); }),
              err::db::kNotADatabase);
    EXPECT_EQ(digest(path), before);
    EXPECT_TRUE(sideFiles(path).isEmpty());
    // Recognised, it is opened to be written as any book.
    auto db = DBEngine::OpenDatabase(path, false, false, kConnect, [](const Database &) { return std::optional<err::AppError>(); });
    EXPECT_EQ(journalMode(*db), QStringLiteral("wal"));
}

TEST(Files, ABookOnANetworkFileSystemKeepsTheRollbackJournal) {
    testsupport::TempDir dir;
    const QString book = newBook(dir, QStringLiteral("livro.mdb")); // made on a local disk: in the log
    EXPECT_FALSE(DBEngine::OnNetworkFileSystem(dir.path())) << "the test folder is on a local disk";
    for (bool network : {true, false, true}) {
        SCOPED_TRACE(network ? "network" : "local");
        CheckGuard guard({{}, [&](const QString &p) { return network && p == book; }});
        auto db = DBEngine::OpenDatabase(book, false, false, kConnect);
        EXPECT_EQ(journalMode(*db), network ? QStringLiteral("delete") : QStringLiteral("wal"));
        db->Execute(QStringLiteral("INSERT INTO Linhas (Texto) VALUES ('mais')"));
        EXPECT_EQ(QFileInfo::exists(book + QStringLiteral("-wal")), !network);
        db->Close();
    }
    // A new book made there is in the journal from the start.
    const QString novo = dir.file(QStringLiteral("novo.mdb"));
    CheckGuard guard({{}, [](const QString &) { return true; }});
    auto db = DBEngine::CreateDatabase(novo, QStringLiteral(";pwd=segredo"));
    EXPECT_EQ(journalMode(*db), QStringLiteral("delete"));
}

// A book is written with SQLCipher 3's key derivation and authentication
// (whatever SQLCipher the program is linked with) and 4 KB pages: a file made
// with those settings spelled out opens, and a new book reads with them.
TEST(Files, BooksKeepTheEncryptionSettingsTheyHaveAlwaysHad) {
    testsupport::TempDir dir;
    // Each setting is spelled out; SQLCipher 3 ignores the ones it does not know,
    // whose values are its own.
    const char *const kV3 = "PRAGMA key = 'segredo'; PRAGMA kdf_iter = 64000; PRAGMA cipher_hmac_algorithm = HMAC_SHA1; "
                            "PRAGMA cipher_kdf_algorithm = PBKDF2_HMAC_SHA1; PRAGMA cipher_page_size = 4096; ";
    const QString made = dir.file(QStringLiteral("feito.mdb"));
    {
        sqlite3 *h = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(made).constData(), &h), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(h, (QByteArray(kV3) + "CREATE TABLE Linhas (Texto TEXT); INSERT INTO Linhas VALUES ('v3');").constData(),
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(h);
    }
    EXPECT_EQ(DBEngine::OpenDatabase(made, false, false, kConnect)
                  ->OpenRecordset(QStringLiteral("SELECT Texto FROM Linhas"), dbOpenSnapshot)
                  ->Field(0)
                  .toString(),
              QStringLiteral("v3"));
    const QString ours = newBook(dir, QStringLiteral("nosso.mdb"));
    sqlite3 *h = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(ours).constData(), &h), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(h, (QByteArray(kV3) + "SELECT count(*) FROM Linhas;").constData(), nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(h);
    sqlite3_close(h);
}

} // namespace
