#pragma once
// The database engine: creates and opens password-protected database files.
//
// Sharing one file between several copies of the program: files are kept in
// write-ahead-log mode, so readers never block the writer and a writer never
// waits on a reader for longer than one statement; a copy that finds the write
// lock taken waits up to kBusyTimeoutMs before the engine reports the file as
// locked (3218). Recordsets read their rows when they open, so no window holds
// a read lock while it keeps a recordset.
//
// The log's index lives in memory shared by the copies on one machine, which
// copies on two machines reaching one file over a network share cannot see:
// a file on a network file system is kept with the rollback journal instead,
// which relies on the share's locks.
#include "platform/err/AppError.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

namespace dao {

class Database;
class Workspace;

constexpr int kBusyTimeoutMs = 5000;

// The write-ahead log: copied back into the file once it holds
// kWalIdlePages pages and the program is idle (a copy that waits for no other
// copy); after the commit that takes it past kWalMaxPages, copied back whole
// and emptied at once, waiting for other copies' readers within the busy
// timeout, so that it keeps within its bound however many copies write.
// After a copy it is cut back to kWalKeptBytes when it starts over.
constexpr int kWalIdlePages = 1000;
constexpr int kWalMaxPages = 65536;
constexpr qint64 kWalKeptBytes = 64LL * 1024 * 1024;

// What the engine asks of the file system before it opens a file. A test puts
// answers of its own in place of the real ones (an empty member keeps the
// real one).
struct FileSystemCheck {
    // This user may write the file, or create files in the folder.
    std::function<bool(const QString &path)> writable;
    // The file lies on a network file system (NFS, SMB/CIFS, FUSE mounts such as sshfs...).
    std::function<bool(const QString &path)> onNetwork;
};

// Tells whether an opened file is the caller's kind of file (the error to
// give when it is not). It runs after the file is read and before any
// statement that writes, so a file it refuses is left as it was.
using Recognizer = std::function<std::optional<err::AppError>(const Database &)>;

class DBEngine {
public:
    // The default workspace (Workspaces(0)).
    static Workspace &DefaultWorkspace();

    // localeAndPassword as ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=secret".
    // Refuses (3204) when a file exists at the path.
    static std::unique_ptr<Database> CreateDatabase(const QString &path, const QString &localeAndPassword);
    static std::unique_ptr<Database> CreateDatabase(const QString &path, const QString &localeAndPassword,
                                                    Workspace &ws);
    // The same in an empty file the caller has just made and holds (so that
    // no one else takes its name meanwhile); a file with anything in it is
    // refused (3204), a missing one too (3024).
    static std::unique_ptr<Database> CreateDatabaseInEmptyFile(const QString &path, const QString &localeAndPassword);

    // connect as "MS Access;PWD=secret". A missing file is an error (3024),
    // never created; a wrong password, like a damaged file or one that is no
    // database, is found at once (3343).
    static std::unique_ptr<Database> OpenDatabase(const QString &path, bool exclusive = false,
                                                  bool readOnly = false, const QString &connect = QString());
    static std::unique_ptr<Database> OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                  const QString &connect, Workspace &ws);
    // A file to be written that this user may not write, or whose folder he
    // may not write, is refused (3027) before the engine creates anything
    // beside it. A file the recognizer refuses is closed unchanged. Side files
    // this open created are removed when the file is refused.
    static std::unique_ptr<Database> OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                  const QString &connect, const Recognizer &recognize);
    static std::unique_ptr<Database> OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                  const QString &connect, const Recognizer &recognize, Workspace &ws);

    // Puts `check` in place of the file-system check; returns the one it replaces.
    static FileSystemCheck SetFileSystemCheck(FileSystemCheck check);
    // The real checks.
    static bool Writable(const QString &path);
    static bool OnNetworkFileSystem(const QString &path);

    // Connections keyed in this process so far (each derives the key from
    // the password, the slow part of an open).
    static long KeyedConnections();

    // True while the file is open in this process or by another program.
    static bool FileInUse(const QString &path);

private:
    // Makes the database in the file at the path, which the engine creates
    // when there is none.
    static std::unique_ptr<Database> createIn(const QString &path, const QString &localeAndPassword, Workspace &ws);
};

} // namespace dao
