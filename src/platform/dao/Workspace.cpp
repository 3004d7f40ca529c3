#include "platform/dao/Workspace.h"

#include "platform/dao/Database.h"
#include "platform/dao/Level.h"
#include "platform/err/AppError.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>

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
    const QString name = savepoint(level_ + 1);
    std::vector<Database *> done;
    try {
        for (Database *db : databases_) {
            level::begin(db->handle(), name);
            done.push_back(db);
        }
    } catch (...) {
        // All or none: undo the begin on the databases that took it.
        for (Database *db : done) level::undo(db->handle(), name, level_ == 0);
        throw;
    }
    ++level_;
}

void Workspace::CommitTrans() {
    if (level_ == 0)
        throw err::AppError(err::db::kNotInTransaction, kSource,
                            QStringLiteral("Você tentou confirmar ou reverter uma transação sem antes ter iniciado uma transação."));
    const QString name = savepoint(level_);
    for (Database *db : databases_) level::commit(db->handle(), name, level_ == 1);
    --level_;
}

void Workspace::Rollback() {
    if (level_ == 0)
        throw err::AppError(err::db::kNotInTransaction, kSource,
                            QStringLiteral("Você tentou confirmar ou reverter uma transação sem antes ter iniciado uma transação."));
    const QString name = savepoint(level_);
    const bool outermost = level_ == 1;
    // The level goes down even when the engine refuses: nothing is left open
    // that a later rollback could still undo.
    --level_;
    std::optional<err::AppError> first;
    for (Database *db : databases_) {
        try { level::rollback(db->handle(), name, outermost); } catch (const err::AppError &e) { if (!first) first = e; }
    }
    if (first) throw *first;
}

} // namespace dao
