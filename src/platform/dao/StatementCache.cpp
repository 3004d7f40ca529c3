#include "platform/dao/StatementCache.h"

#include "platform/dao/Sqlite.h"

#include <sqlite3.h>

namespace dao {

StatementCache::Lease StatementCache::acquire(const QString &sql) {
    if (!db_)
        throw err::AppError(err::db::kInvalidObject, QStringLiteral("DAO.Database"),
                            QStringLiteral("O objeto é inválido ou não está mais definido."));
    // A statement in use is out of the cache, so a nested run of the same
    // text prepares a second one instead of disturbing the first.
    if (sqlite3_stmt *st = idle_.take(sql)) return Lease(*this, sql, st);
    sqlite3_stmt *st = sqlite::prepare(db_, sql);
    ++prepared_;
    return Lease(*this, sql, st);
}

void StatementCache::prepareAhead(const QString &sql) {
    if (!db_)
        throw err::AppError(err::db::kInvalidObject, QStringLiteral("DAO.Database"),
                            QStringLiteral("O objeto é inválido ou não está mais definido."));
    if (idle_.contains(sql)) return;
    sqlite3_stmt *st = sqlite::prepare(db_, sql);
    ++prepared_;
    keep(sql, st);
}

void StatementCache::giveBack(const QString &sql, sqlite3_stmt *st) {
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (idle_.contains(sql)) {
        sqlite3_finalize(st);
        return;
    }
    keep(sql, st);
}

void StatementCache::keep(const QString &sql, sqlite3_stmt *st) {
    // Full of statements run once (texts with their values written in): they
    // go, so that the statements run again and again keep being reused.
    if (idle_.size() >= kMaxIdle) clear();
    idle_.insert(sql, st);
}

void StatementCache::close() {
    clear();
    db_ = nullptr;
}

void StatementCache::clear() {
    for (sqlite3_stmt *st : std::as_const(idle_)) sqlite3_finalize(st);
    idle_.clear();
}

StatementCache::Lease::~Lease() { cache_->giveBack(sql_, st_); }

bool StatementCache::Lease::step() { return sqlite::step(cache_->db(), st_, sql_); }

} // namespace dao
