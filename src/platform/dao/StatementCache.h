#pragma once
// Prepared statements kept per connection and reused by their text: the
// program runs the same statements again and again (the balance query at
// every posting), and preparing a long one costs more than running it.
#include <QHash>
#include <QString>
#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

namespace dao {

class StatementCache {
public:
    explicit StatementCache(sqlite3 *db) : db_(db) {}
    ~StatementCache() { clear(); }
    StatementCache(const StatementCache &) = delete;
    StatementCache &operator=(const StatementCache &) = delete;

    // A statement borrowed for one run; given back, reset, when released.
    class Lease {
    public:
        Lease(StatementCache &cache, QString sql, sqlite3_stmt *st) : cache_(&cache), sql_(std::move(sql)), st_(st) {}
        Lease(const Lease &) = delete;
        Lease &operator=(const Lease &) = delete;
        ~Lease();
        sqlite3_stmt *get() const { return st_; }
        // One step: true while a row is available. Throws on failure.
        bool step();

    private:
        StatementCache *cache_;
        QString sql_;
        sqlite3_stmt *st_;
    };

    // Throws err::AppError when the text does not prepare.
    Lease acquire(const QString &sql);
    // Prepares the text now, unless one is kept already, and keeps it for
    // the next acquire: a writer prepares what it will run before it takes
    // the write lock, so the lock is held for the writing only.
    void prepareAhead(const QString &sql);
    // Statements prepared on this connection so far.
    std::uint64_t prepared() const { return prepared_; }
    // Finalizes every idle statement (the schema changed).
    void clear();
    // The connection is closing: finalizes every idle statement and refuses
    // (3420) every later use, such as a Requery of a recordset that outlived it.
    void close();
    sqlite3 *db() const { return db_; }

private:
    void giveBack(const QString &sql, sqlite3_stmt *st);
    void keep(const QString &sql, sqlite3_stmt *st);
    static constexpr int kMaxIdle = 256;
    sqlite3 *db_;
    QHash<QString, sqlite3_stmt *> idle_;
    std::uint64_t prepared_ = 0;
};

} // namespace dao
