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
#include <array>
#include <atomic>
#include <fcntl.h>
#include <linux/magic.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <sys/vfs.h>
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

QString SomenteLeitura(const QString &path) {
    return QStringLiteral("O arquivo '%1' não pode ser gravado: ele é somente leitura. Escolha outro arquivo ou peça "
                          "permissão de gravação.").arg(path);
}

QString PastaSomenteLeitura(const QString &path, const QString &folder) {
    return QStringLiteral("O arquivo '%1' não pode ser gravado: a sua pasta '%2' é somente leitura. Escolha outro "
                          "arquivo ou peça permissão de gravação.").arg(path, folder);
}

std::mutex gCheckMutex;
FileSystemCheck gCheck;

// Asks the check a test put in place, or the file system itself.
bool ask(std::function<bool(const QString &)> FileSystemCheck::*which, bool (*real)(const QString &),
         const QString &path) {
    std::function<bool(const QString &)> f;
    {
        std::lock_guard lock(gCheckMutex);
        f = gCheck.*which;
    }
    return f ? f(path) : real(path);
}

bool writable(const QString &path) { return ask(&FileSystemCheck::writable, &DBEngine::Writable, path); }
bool onNetwork(const QString &path) { return ask(&FileSystemCheck::onNetwork, &DBEngine::OnNetworkFileSystem, path); }

// The files the engine keeps beside a database while it is open.
const char *const kSideFiles[] = {"-wal", "-shm", "-journal"};

// A file to be written must be writable, and so must its folder (the log and
// the journal are created there) and any side file already there: the engine
// would otherwise fall back to reading, or fail with no reason given, after
// creating side files that stay unwritable when the user is given the right
// to write again.
void requireWritable(const QString &path) {
    const QFileInfo fi(path);
    if (!writable(path)) throw err::AppError(E::kReadOnly, kSource, SomenteLeitura(path));
    const QString folder = fi.absolutePath();
    if (!writable(folder)) throw err::AppError(E::kReadOnly, kSource, PastaSomenteLeitura(path, folder));
    for (const char *side : kSideFiles) {
        const QString s = path + QLatin1String(side);
        if (QFileInfo::exists(s) && !writable(s)) throw err::AppError(E::kReadOnly, kSource, SomenteLeitura(s));
    }
}

std::array<bool, 3> sideFilesPresent(const QString &path) {
    std::array<bool, 3> out{};
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = QFileInfo::exists(path + QLatin1String(kSideFiles[i]));
    return out;
}

bool openInThisProcess(const QString &path);

// Removes the side files an open that was refused created. Only when no
// connection uses them: none in this process, and none elsewhere, which the
// write lock on the whole shared-memory index tells (every connection to the
// file holds a read lock on it), taken for the time of the removal. A log or
// a journal with content is never removed.
void removeSideFilesMadeBy(const QString &path, const std::array<bool, 3> &before) {
    if (openInThisProcess(path)) return;
    const QString shm = path + QStringLiteral("-shm");
    int fd = -1;
    if (QFileInfo::exists(shm)) {
        fd = ::open(QFile::encodeName(shm).constData(), O_RDWR | O_CLOEXEC);
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        if (fd < 0 || ::fcntl(fd, F_SETLK, &fl) != 0) {
            if (fd >= 0) ::close(fd);
            return;
        }
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        const QString side = path + QLatin1String(kSideFiles[i]);
        if (before[i] || !QFileInfo::exists(side)) continue;
        if (side != shm && QFileInfo(side).size() > 0) continue;
        QFile::remove(side);
    }
    if (fd >= 0) ::close(fd);
}

QString passwordFrom(const QString &shape) {
    static const QRegularExpression re(QStringLiteral(";\\s*pwd\\s*=([^;]*)"), QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(QLatin1Char(';') + shape);
    return m.hasMatch() ? m.captured(1) : QString();
}

// Files are written in pages of kPageSize bytes. Files of the earlier layout
// used 1 KB pages, and the page-size study's copies of the benchmark books
// (FIN_BENCH_PAGINA) the larger sizes; these are tried in this order when a
// file does not open with kPageSize. (4 KB serves today's posting best: every
// commit writes whole pages to the log.) The encryption fixes the page size of
// a file for good, and every connection must name it before its first read.
constexpr int kPageSize = 4096;
constexpr int kOtherPageSizes[] = {1024, 8192, 16384, 32768};

// A file holds whole pages: a size its length is no multiple of is not
// worth a try (each try derives the key again).
bool mayHavePageSize(const QString &path, int pageSize) { return QFileInfo(path).size() % pageSize == 0; }

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

// The major version of the linked SQLCipher.
int cipherMajor() {
    static const int major = [] {
        int v = 3;
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_stmt *st = nullptr;
            if (sqlite3_prepare_v2(db, "PRAGMA cipher_version", -1, &st, nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW)
                v = std::max(3, QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)))
                                    .section(QLatin1Char('.'), 0, 0)
                                    .toInt());
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        return v;
    }();
    return major;
}

// Keys the connection with the given page size and reads the schema: the
// engine's code of that first read (SQLITE_NOTADB when the key or the page
// size does not fit the file).
int keyAndProbe(sqlite3 *db, const QByteArray &key, int pageSize) {
    if (!key.isEmpty()) {
        ++gKeyed;
        sqlite3_key(db, key.constData(), int(key.size()));
        // Books have always been written with the key derivation, message
        // authentication and page layout of SQLCipher 3; SQLCipher 4 would
        // read and write them otherwise, so a book would not move between
        // machines with one and the other. The page size is ours, set after.
        if (cipherMajor() >= 4)
            sqlite3_exec(db, "PRAGMA cipher_compatibility = 3", nullptr, nullptr, nullptr);
        sqlite3_exec(db, QStringLiteral("PRAGMA cipher_page_size = %1").arg(pageSize).toUtf8().constData(), nullptr,
                     nullptr, nullptr);
    } else {
        sqlite3_exec(db, QStringLiteral("PRAGMA page_size = %1").arg(pageSize).toUtf8().constData(), nullptr, nullptr,
                     nullptr);
    }
    return sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
}

// Opens the connection and sets it up the same way for every database:
// key and page size, collation and functions, foreign keys. Nothing here
// writes to the file.
sqlite3 *connect(const QString &path, const QString &password, bool create, bool readOnly) {
    const bool novo = create && !QFileInfo::exists(path);
    sqlite3 *db = openHandle(path, create, readOnly);
    const QByteArray key = password.toUtf8();
    // The probe read: a wrong password (or a file that is no database) shows here.
    int rc = keyAndProbe(db, key, kPageSize);
    for (const int size : kOtherPageSizes) {
        if ((rc & 0xff) != SQLITE_NOTADB || novo || key.isEmpty()) break;
        if (!mayHavePageSize(path, size)) continue;
        // A file of an earlier page size opens with that size.
        sqlite3_close_v2(db);
        db = openHandle(path, false, readOnly);
        rc = keyAndProbe(db, key, size);
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
    } catch (const err::AppError &e) {
        fail(e);
    }
    return db;
}

// The shared-file settings of a connection that writes: the write-ahead log
// on a local disk, the rollback journal on a network file system.
void setUpForWriting(sqlite3 *db, const QString &path) {
    const bool network = onNetwork(path);
    {
        sqlite::Statement mode(db, network ? QStringLiteral("PRAGMA journal_mode = DELETE")
                                           : QStringLiteral("PRAGMA journal_mode = WAL"));
        // The engine answers with the mode in force: leaving the log needs
        // every other copy to have closed the file.
        const QString now = mode.step() ? mode.columnText(0).toLower() : QString();
        if (network && now != QStringLiteral("delete"))
            throw err::AppError(E::kLocked, kSource,
                                QStringLiteral("O arquivo '%1' está numa pasta de rede e está aberto por outra cópia "
                                               "do programa que não o trata assim; feche-a e tente de novo.")
                                    .arg(path));
    }
    // In the rollback journal only a full sync keeps a commit whole through a power cut.
    sqlite::exec(db, network ? QStringLiteral("PRAGMA synchronous = FULL") : QStringLiteral("PRAGMA synchronous = NORMAL"));
    // The log is copied back into the file when the program is idle
    // or when it grows past a bound (Database), never inside the
    // commit of a posting; once copied, it shrinks back.
    sqlite::exec(db, QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
    sqlite::exec(db, QStringLiteral("PRAGMA journal_size_limit = %1").arg(kWalKeptBytes));
}

bool openInThisProcess(const QString &path) {
    std::lock_guard lock(gOpenMutex);
    return gOpenFiles.count(canonical(path)) > 0;
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
        throw err::AppError(err::db::kDatabaseExists, kSource, QStringLiteral("O banco de dados já existe."));
    return createIn(path, localeAndPassword, ws);
}

std::unique_ptr<Database> DBEngine::CreateDatabaseInEmptyFile(const QString &path, const QString &localeAndPassword) {
    const QFileInfo fi(path);
    if (!fi.exists())
        throw err::AppError(E::kFileNotFound, kSource, QStringLiteral("Não foi possível encontrar o arquivo '%1'.").arg(path));
    if (!fi.isFile() || fi.size() != 0)
        throw err::AppError(err::db::kDatabaseExists, kSource, QStringLiteral("O banco de dados já existe."));
    return createIn(path, localeAndPassword, DefaultWorkspace());
}

std::unique_ptr<Database> DBEngine::createIn(const QString &path, const QString &localeAndPassword, Workspace &ws) {
    sqlite3 *db = connect(path, passwordFrom(localeAndPassword), true, false);
    std::unique_ptr<Database> out(new Database(db, path, ws));
    {
        std::lock_guard lock(gOpenMutex);
        gOpenFiles.insert(canonical(path));
    }
    setUpForWriting(db, path);
    // Setting the copy interval above took the database's own hook off.
    sqlite3_wal_hook(db, &Database::walHook, out.get());
    return out;
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                 const QString &connectSpec) {
    return OpenDatabase(path, exclusive, readOnly, connectSpec, Recognizer(), DefaultWorkspace());
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                 const QString &connectSpec, Workspace &ws) {
    return OpenDatabase(path, exclusive, readOnly, connectSpec, Recognizer(), ws);
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                 const QString &connectSpec, const Recognizer &recognize) {
    return OpenDatabase(path, exclusive, readOnly, connectSpec, recognize, DefaultWorkspace());
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString &path, bool /*exclusive*/, bool readOnly,
                                                 const QString &connectSpec, const Recognizer &recognize,
                                                 Workspace &ws) {
    const QFileInfo fi(path);
    if (path.trimmed().isEmpty() || !fi.exists() || fi.isDir())
        throw err::AppError(E::kFileNotFound, kSource, QStringLiteral("Não foi possível encontrar o arquivo '%1'.").arg(path));
    if (fi.size() == 0)
        throw err::AppError(E::kNotADatabase, kSource, NaoEBanco(path));
    if (!readOnly) requireWritable(path);
    const auto before = sideFilesPresent(path);
    std::unique_ptr<Database> out;
    try {
        sqlite3 *db = connect(path, passwordFrom(QLatin1Char(';') + connectSpec), false, readOnly);
        out.reset(new Database(db, path, ws));
        {
            std::lock_guard lock(gOpenMutex);
            gOpenFiles.insert(canonical(path));
        }
        if (recognize)
            if (std::optional<err::AppError> problem = recognize(*out)) throw *problem;
        if (!readOnly) {
            setUpForWriting(db, path);
            // Setting the copy interval took the database's own hook off.
            if (!out->ReadOnly()) sqlite3_wal_hook(db, &Database::walHook, out.get());
        }
    } catch (...) {
        if (out) out->Close();
        removeSideFilesMadeBy(path, before);
        throw;
    }
    return out;
}

FileSystemCheck DBEngine::SetFileSystemCheck(FileSystemCheck check) {
    std::lock_guard lock(gCheckMutex);
    std::swap(gCheck, check);
    return check;
}

bool DBEngine::Writable(const QString &path) { return ::access(QFile::encodeName(path).constData(), W_OK) == 0; }

bool DBEngine::OnNetworkFileSystem(const QString &path) {
    struct statfs st {};
    if (::statfs(QFile::encodeName(path).constData(), &st) != 0) return false;
    switch (static_cast<unsigned long>(st.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x65735546UL: // FUSE (sshfs and other file systems in user space)
    case CODA_SUPER_MAGIC:
    case AFS_SUPER_MAGIC:
    case 0x6B414653UL: // AFS (kernel client)
    case NCP_SUPER_MAGIC:
    case V9FS_MAGIC:
    case CEPH_SUPER_MAGIC:
    case 0x0BD00BD0UL: // Lustre
    case 0x013111A8UL: // IBRIX
    case 0x47504653UL: // GPFS
    case 0x7461636FUL: // OCFS2
    case 0x01161970UL: // GFS2
        return true;
    default:
        return false;
    }
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
