#pragma once
// A level of a transaction on one connection, and the one place that writes
// the engine's transaction statements.
//
// A level begun on a connection in no transaction is the transaction itself,
// begun IMMEDIATE: the writer holds the write lock from its first statement,
// so two copies of the program never interleave, and a copy that finds the
// lock taken waits and is then told the file is locked (3218). A level begun
// inside a transaction is a savepoint of the caller's name, which undoes only
// what was written since it began. Failures come as the program's errors.
#include <QString>

struct sqlite3;

namespace dao {

namespace level {

// Begins a level on the connection; true when it is the outermost (the
// transaction itself).
bool begin(sqlite3 *db, const QString &name);
// Keeps what the level wrote: COMMIT for the outermost, RELEASE otherwise.
// When the engine refuses, the level stays open.
void commit(sqlite3 *db, const QString &name, bool outermost);
// Undoes what the level wrote and ends it. Nothing when the connection is in
// no transaction any more: the engine undid it already, after a failure such
// as a full disk.
void rollback(sqlite3 *db, const QString &name, bool outermost);
// The same, for a caller already leaving with an error of its own: the
// engine's refusal, if any, is not told.
void undo(sqlite3 *db, const QString &name, bool outermost) noexcept;

} // namespace level

// A level tied to the scope that begins it: undone when the scope ends
// without commit(), however it ends.
class Level {
public:
    Level(sqlite3 *db, QString name);
    ~Level() { undo(); }
    Level(const Level &) = delete;
    Level &operator=(const Level &) = delete;

    bool outermost() const { return outermost_; }
    // Throws when the engine refuses; the level then stays open.
    void commit();
    // Undoes the level now, if still open; the engine's refusal is not told.
    void undo() noexcept;

private:
    sqlite3 *db_;
    QString name_;
    bool outermost_;
    bool open_ = true;
};

} // namespace dao
