#include "platform/dao/Workspace.h"

#include "platform/dao/Database.h"
#include "platform/dao/Sqlite.h"

#include <sqlite3.h>

#include <algorithm>

namespace dao {

namespace {

const QString kSource = QStringLiteral("DAO.Workspace");

QString savepoint(int level) { return QStringLiteral("trans_level_%1").arg(level); }

} // namespace

void Workspace::attach(Database *db) { databases_.push_back(db); }
void Workspace::detach(Database *db) { databases_.erase(std::remove(databases_.begin(), databases_.end(), db), databases_.end()); }

void Workspace::BeginTrans() {
    // An inner level on a connection that is no longer in the outer
    // transaction (the engine gave it up after a failure such as a full disk)
    // would begin a transaction of its own, whose commit would write at once
    // what the outer level was meant to keep or undo as a whole.
    if (level_ > 0)
        for (Database *db : databases_)
            if (sqlite3_get_autocommit(db->handle()))
                throw err::AppError(err::db::kEngine, kSource,
                                    QStringLiteral("A transação em andamento foi desfeita pelo mecanismo de banco de "
                                                   "dados; desfaça-a antes de continuar."));
    const QString sql = level_ == 0 ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT ") + savepoint(level_ + 1);
    std::vector<Database *> done;
    try {
        for (Database *db : databases_) {
            sqlite::exec(db->handle(), sql);
            done.push_back(db);
        }
    } catch (...) {
        // All or none: undo the begin on the databases that took it.
        const QString undo = level_ == 0 ? QStringLiteral("ROLLBACK")
                                         : QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(savepoint(level_ + 1));
        for (Database *db : done) sqlite3_exec(db->handle(), undo.toUtf8().constData(), nullptr, nullptr, nullptr);
        throw;
    }
    ++level_;
}

void Workspace::CommitTrans() {
    if (level_ == 0)
        throw err::AppError(err::db::kNotInTransaction, kSource,
                            QStringLiteral("Você tentou confirmar ou reverter uma transação sem antes ter iniciado uma transação."));
    const QString sql = level_ == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + savepoint(level_);
    for (Database *db : databases_) sqlite::exec(db->handle(), sql);
    --level_;
}

void Workspace::Rollback() {
    if (level_ == 0)
        throw err::AppError(err::db::kNotInTransaction, kSource,
                            QStringLiteral("Você tentou confirmar ou reverter uma transação sem antes ter iniciado uma transação."));
    const QString sql = level_ == 1 ? QStringLiteral("ROLLBACK")
                                    : QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(savepoint(level_));
    // The level goes down even when the engine refuses: nothing is left open
    // that a later rollback could still undo.
    --level_;
    std::optional<err::AppError> first;
    for (Database *db : databases_) {
        if (sqlite3_get_autocommit(db->handle())) continue; // the engine already rolled back
        try { sqlite::exec(db->handle(), sql); } catch (const err::AppError &e) { if (!first) first = e; }
    }
    if (first) throw *first;
}

} // namespace dao
