#pragma once
// An open database file: statements, recordsets, saved queries, schema.
#include "platform/dao/Ddl.h"
#include "platform/jetsql/Translator.h"
#include "platform/value/Value.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

struct sqlite3;

namespace dao {

class Recordset;
class QueryDef;
class Workspace;
class StatementCache;

// Runs a task later, when the program has nothing else to do. After a commit
// that leaves a log of some size the database asks for one to copy the log
// back into the file, so the database layer itself needs no event loop.
class IdleScheduler {
public:
    virtual ~IdleScheduler() = default;
    // Runs the task after about delayMs, once idle. False when it cannot (the
    // log then waits for its bound, an explicit Checkpoint() or a later ask).
    virtual bool schedule(int delayMs, std::function<void()> task) = 0;
};
// The scheduler every database asks from now on; nullptr gives back the
// default one, which runs the task from the Qt event loop of the thread that
// owns the application object and refuses in any other thread or without one.
void setIdleScheduler(IdleScheduler *scheduler);

enum RecordsetTypeEnum { dbOpenTable = 1, dbOpenDynaset = 2, dbOpenSnapshot = 4, dbOpenForwardOnly = 8 };
constexpr long dbFailOnError = 128;

class Database {
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const QString &Name() const { return path_; }
    bool isOpen() const { return db_ != nullptr; }
    // True when the engine could open the file for reading only (the file or
    // its folder cannot be written to): every write would fail.
    bool ReadOnly() const;
    void Close();

    // Runs one action statement. RecordsAffected() tells the rows it matched.
    void Execute(const QString &jetSql, long options = 0);
    long RecordsAffected() const { return recordsAffected_; }

    // From SQL text, a table name or a saved query's name.
    std::unique_ptr<Recordset> OpenRecordset(const QString &source, int type = dbOpenDynaset);

    // Saved queries kept inside the file.
    std::unique_ptr<QueryDef> CreateQueryDef(const QString &name, const QString &jetSql = QString());
    std::unique_ptr<QueryDef> QueryDefs(const QString &name);
    void DeleteQueryDef(const QString &name);
    QStringList QueryDefNames() const;

    // Schema.
    void CreateTable(const TableDef &def);
    void CreateRelation(const RelationDef &def);
    QStringList TableNames() const;
    const jetsql::TableDef *tableInfo(const QString &name) const;

    // Copies the write-ahead log back into the file now (without waiting for
    // other copies' readers). Runs by itself when the program is idle.
    void Checkpoint();
    // Pages in the log since its last copy, as the last commit left it.
    int WalPages() const { return walPages_; }
    // The log's bound in pages (kWalMaxPages unless changed): the commit that
    // takes the log past it copies the whole log back and empties it. A test
    // sets a small one so that a few commits reach it.
    int WalBound() const { return walBoundPages_; }
    void SetWalBound(int pages) { walBoundPages_ = pages; }

    Workspace &workspace() const { return *ws_; }
    sqlite3 *handle() const { return db_; }

    // Internal: used by query definitions and recordsets.
    std::shared_ptr<const jetsql::Translation> translate(const QString &jetSql);
    const std::shared_ptr<StatementCache> &statements() const { return statements_; }
    // Texts translated afresh on this database so far.
    std::uint64_t translationsMade() const { return translator_->translationsMade(); }
    // Changes whenever the tables or saved queries change: a translation kept
    // from before is made again.
    quint64 schemaGeneration() const { return schemaGeneration_; }
    void setQueryText(const QString &name, const QString &jetSql);
    std::optional<QString> queryText(const QString &name) const;

private:
    friend class DBEngine;
    Database(sqlite3 *db, QString path, Workspace &ws);
    void invalidateSchema();
    static int walHook(void *self, sqlite3 *db, const char *name, int pages);
    void emptyTheLog();
    class CatalogImpl;

    sqlite3 *db_ = nullptr;
    QString path_;
    Workspace *ws_;
    long recordsAffected_ = 0;
    std::unique_ptr<CatalogImpl> catalog_;
    std::unique_ptr<jetsql::Translator> translator_;
    std::shared_ptr<StatementCache> statements_;
    int walPages_ = 0;
    int walBoundPages_;
    quint64 schemaGeneration_ = 0;
    bool idleCheckpointDue_ = false;
    std::shared_ptr<int> idleToken_ = std::make_shared<int>(); // a pending idle copy runs only while it lives
};

} // namespace dao
