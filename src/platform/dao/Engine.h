#pragma once
// The database engine: creates and opens password-protected database files.
//
// Sharing one file between several copies of the program: files are kept in
// write-ahead-log mode, so readers never block the writer and a writer never
// waits on a reader for longer than one statement; a copy that finds the write
// lock taken waits up to kBusyTimeoutMs before the engine reports the file as
// locked (3218). Recordsets read their rows when they open, so no window holds
// a read lock while it keeps a recordset.
#include <QString>
#include <QtGlobal>
#include <memory>

namespace dao {

class Database;
class Workspace;

constexpr int kBusyTimeoutMs = 5000;

// The write-ahead log: copied back into the file once it holds
// kWalIdlePages pages and the program is idle, at once after the commit that
// takes it past kWalMaxPages; after a copy it is cut back to kWalKeptBytes.
constexpr int kWalIdlePages = 1000;
constexpr int kWalMaxPages = 65536;
constexpr qint64 kWalKeptBytes = 64LL * 1024 * 1024;

class DBEngine {
public:
    // The default workspace (Workspaces(0)).
    static Workspace &DefaultWorkspace();

    // localeAndPassword as ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=secret".
    // Refuses (3204) when a file exists at the path.
    static std::unique_ptr<Database> CreateDatabase(const QString &path, const QString &localeAndPassword);
    static std::unique_ptr<Database> CreateDatabase(const QString &path, const QString &localeAndPassword,
                                                    Workspace &ws);

    // connect as "MS Access;PWD=secret". A missing file is an error (3024),
    // never created; a wrong password, like a damaged file or one that is no
    // database, is found at once (3343).
    static std::unique_ptr<Database> OpenDatabase(const QString &path, bool exclusive = false,
                                                  bool readOnly = false, const QString &connect = QString());
    static std::unique_ptr<Database> OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                  const QString &connect, Workspace &ws);

    // Connections keyed in this process so far (each derives the key from
    // the password, the slow part of an open).
    static long KeyedConnections();

    // True while the file is open in this process or by another program.
    static bool FileInUse(const QString &path);
};

} // namespace dao
