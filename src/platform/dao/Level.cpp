#include "platform/dao/Level.h"

#include "platform/dao/Sqlite.h"

namespace dao {

namespace level {

bool begin(sqlite3 *db, const QString &name) {
    const bool outermost = sqlite3_get_autocommit(db) != 0;
    sqlite::exec(db, outermost ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT ") + name);
    return outermost;
}

void commit(sqlite3 *db, const QString &name, bool outermost) {
    sqlite::exec(db, outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + name);
}

void rollback(sqlite3 *db, const QString &name, bool outermost) {
    if (sqlite3_get_autocommit(db)) return;
    // A savepoint rolled back is still open: it is released too, so the level ends.
    sqlite::exec(db, outermost ? QStringLiteral("ROLLBACK") : QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(name));
}

void undo(sqlite3 *db, const QString &name, bool outermost) noexcept {
    try {
        rollback(db, name, outermost);
    } catch (...) {
    }
}

} // namespace level

Level::Level(sqlite3 *db, QString name) : db_(db), name_(std::move(name)), outermost_(level::begin(db_, name_)) {}

void Level::commit() {
    level::commit(db_, name_, outermost_);
    open_ = false;
}

void Level::undo() noexcept {
    if (!open_) return;
    open_ = false;
    level::undo(db_, name_, outermost_);
}

} // namespace dao
