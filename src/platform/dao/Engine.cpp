#include "platform/dao/Engine.h"

#include "platform/dao/Database.h"
#include "platform/dao/Sqlite.h"
#include "platform/dao/Workspace.h"
#include "platform/jetsql/SqliteFunctions.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <unistd.h>

namespace dao {

namespace E = err::db;

namespace {

const QString kSource = QStringLiteral("DAO.DBEngine");

std::mutex gOpenMutex;
std::atomic<long> gKeyed{0};
std::multiset<QString> gOpenFiles; // canonical paths open in this process

QString canonical(const QString &path) {
    const QFileInfo fi(path);
    const QString c = fi.canonicalFilePath();
    return c.isEmpty() ? fi.absoluteFilePath() : c;
}

QString NaoEBanco(const QString &path) {
    return QStringLiteral("O arquivo '%1' está danificado ou não é um banco de dados deste sistema.").arg(path);
}

QString passwordFrom(const QString &shape) {
    static const QRegularExpression re(QStringLiteral(";\\s*pwd\\s*=([^;]*)"), QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(QLatin1Char(';') + shape);
    return m.hasMatch() ? m.captured(1) : QString();
}

// Files are written in pages of kPageSize bytes; files of the earlier layout
// used kPreviousPageSize. The encryption fixes the page size of a file for
// good, and every connection must name it before its first read.
constexpr int kPageSize = 4096;
constexpr int kPreviousPageSize = 1024;

// Decrypted pages kept in memory: at least the size of the file (a
// back-dated posting rewrites the balances of every later posting, and a
// page read twice is decrypted twice), within a floor and a ceiling.
constexpr qint64 kCacheFloorKiB = 64 * 1024;
constexpr qint64 kCacheCeilingKiB = 1024 * 1024;

qint64 cacheKiB(const QString &path) {
    const qint64 fileKiB = QFileInfo(path).size() / 1024;
    return std::clamp(fileKiB + fileKiB / 4, kCacheFloorKiB, kCacheCeilingKiB);
}

sqlite3 *openHandle(const QString &path, bool create, bool readOnly) {
    sqlite3 *db = nullptr;
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (create) flags |= SQLITE_OPEN_CREATE;
    // The program uses each connection from its one thread only (copies of
    // the program share a file through the engine's file locks, which no
    // mode changes): no mutex around every call.
    flags |= SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        throw err::AppError(E::kFileNotFound, kSource, QStringLiteral("Não foi possível abrir o arquivo '%1'.").arg(path));
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

// Keys the connection with the given page size and reads the schema: the
// engine's code of that first read (SQLITE_NOTADB when the key or the page
// size does not fit the file).
int keyAndProbe(sqlite3 *db, const QByteArray &key, int pageSize) {
    if (!key.isEmpty()) {
        ++gKeyed;
        sqlite3_key(db, key.constData(), int(key.size()));
        sqlite3_exec(db, QStringLiteral("PRAGMA cipher_page_size = %1").arg(pageSize).toUtf8().constData(), nullptr,
                     nullptr, nullptr);
    } else {
        sqlite3_exec(db, QStringLiteral("PRAGMA page_size = %1").arg(pageSize).toUtf8().constData(), nullptr, nullptr,
                     nullptr);
    }
    return sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
}

// Opens the connection and sets it up the same way for every database:
// key and page size, collation and functions, foreign keys, shared-file
// settings.
sqlite3 *connect(const QString &path, const QString &password, bool create, bool readOnly) {
    const bool novo = create && !QFileInfo::exists(path);
    sqlite3 *db = openHandle(path, create, readOnly);
    const QByteArray key = password.toUtf8();
    // The probe read: a wrong password (or a file that is no database) shows here.
    int rc = keyAndProbe(db, key, kPageSize);
    if ((rc & 0xff) == SQLITE_NOTADB && !novo && !key.isEmpty()) {
        // A file of the earlier page size opens with that size.
        sqlite3_close_v2(db);
        db = openHandle(path, false, readOnly);
        rc = keyAndProbe(db, key, kPreviousPageSize);
    }
    auto fail = [&](const err::AppError &e) {
        sqlite3_close_v2(db);
        throw e;
    };
    if (rc != SQLITE_OK) {
        // An encrypted file read with another key looks like any file that
        // is no database at all; the program never asks the user for the
        // file's password, so both are told as what they are to the user.
        if ((rc & 0xff) == SQLITE_NOTADB)
            fail(err::AppError(E::kNotADatabase, kSource, NaoEBanco(path)));
        fail(sqlite::error(db, sqlite3_extended_errcode(db), path));
    }
    if (jetsql::registerSqliteFunctions(db) != SQLITE_OK)
        fail(err::AppError(E::kEngine, kSource, QStringLiteral("Falha ao preparar a conexão.")));
    try {
        sqlite::exec(db, QStringLiteral("PRAGMA foreign_keys = ON"));
        sqlite::exec(db, QStringLiteral("PRAGMA cache_size = -%1").arg(cacheKiB(path)));
        if (!readOnly) {
            sqlite::exec(db, QStringLiteral("PRAGMA journal_mode = WAL"));
            sqlite::exec(db, QStringLiteral("PRAGMA synchronous = NORMAL"));
            // The log is copied back into the file when the program is idle
            // or when it grows past a bound (Database), never inside the
            // commit of a posting; once copied, it shrinks back.
            sqlite::exec(db, QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
            sqlite::exec(db, QStringLiteral("PRAGMA journal_size_limit = %1").arg(kWalKeptBytes));
        }
    } catch (const err::AppError &e) {
        fail(e);
    }
    return db;
}

} // namespace

Workspace &DBEngine::DefaultWorkspace() {
    // Lives for the whole process and is never destroyed: a database kept in a
    // static of its own may be closed at exit after every other static is gone,
    // and closing detaches it from this workspace.
    static Workspace *ws = new Workspace;
    return *ws;
}

std::unique_ptr<Database> DBEngine::CreateDatabase(const QString &path, const QString &localeAndPassword) {
    return CreateDatabase(path, localeAndPassword, DefaultWorkspace());
}

std::unique_ptr<Database> DBEngine::CreateDatabase(const QString &path, const QString &localeAndPassword,
                                                   Workspace &ws) {
    if (QFileInfo::exists(path))
        throw err::AppError(3204, kSource, QStringLiteral("O banco de dados já existe."));
    sqlite3 *db = connect(path, passwordFrom(localeAndPassword), true, false);
    std::unique_ptr<Database> out(new Database(db, path, ws));
    std::lock_guard lock(gOpenMutex);
    gOpenFiles.insert(canonical(path));
    return out;
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                 const QString &connectSpec) {
    return OpenDatabase(path, exclusive, readOnly, connectSpec, DefaultWorkspace());
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString &path, bool /*exclusive*/, bool readOnly,
                                                 const QString &connectSpec, Workspace &ws) {
    const QFileInfo fi(path);
    if (path.trimmed().isEmpty() || !fi.exists() || fi.isDir())
        throw err::AppError(E::kFileNotFound, kSource, QStringLiteral("Não foi possível encontrar o arquivo '%1'.").arg(path));
    if (fi.size() == 0)
        throw err::AppError(E::kNotADatabase, kSource, NaoEBanco(path));
    sqlite3 *db = connect(path, passwordFrom(QLatin1Char(';') + connectSpec), false, readOnly);
    std::unique_ptr<Database> out(new Database(db, path, ws));
    std::lock_guard lock(gOpenMutex);
    gOpenFiles.insert(canonical(path));
    return out;
}

void releaseOpenFile(const QString &path) {
    std::lock_guard lock(gOpenMutex);
    auto it = gOpenFiles.find(canonical(path));
    if (it != gOpenFiles.end()) gOpenFiles.erase(it);
}

long DBEngine::KeyedConnections() { return gKeyed; }

bool DBEngine::FileInUse(const QString &path) {
    if (!QFileInfo::exists(path)) return false;
    {
        std::lock_guard lock(gOpenMutex);
        if (gOpenFiles.count(canonical(path))) return true;
    }
    // Another process with the file open holds a shared lock on the engine's
    // lock bytes of the file (or on its shared-memory index).
    auto lockedByOther = [](const QString &p) {
        const int fd = ::open(QFile::encodeName(p).constData(), O_RDWR);
        if (fd < 0) return false;
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = 0;
        fl.l_len = 0; // the whole file
        const bool busy = ::fcntl(fd, F_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
        ::close(fd);
        return busy;
    };
    const QString shm = path + QStringLiteral("-shm");
    return lockedByOther(path) || (QFileInfo::exists(shm) && lockedByOther(shm));
}

} // namespace dao
