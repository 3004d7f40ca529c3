// An open database: opening and closing, running statements and opening
// recordsets. The catalog, saved queries, table and relation creation and the
// copies of the log live in the Database*.cpp beside this one.
#include "platform/dao/Database.h"

#include "platform/dao/DatabaseCatalog.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Exec.h"
#include "platform/dao/Level.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/StatementCache.h"
#include "platform/dao/Workspace.h"

namespace dao {

void releaseOpenFile(const QString &path); // Engine.cpp

namespace E = err::db;

Database::Database(sqlite3 *db, QString path, Workspace &ws)
    : db_(db), path_(std::move(path)), ws_(&ws), catalog_(std::make_unique<CatalogImpl>(db)),
      translator_(std::make_unique<jetsql::Translator>(*catalog_)), statements_(std::make_shared<StatementCache>(db)),
      walBoundPages_(kWalMaxPages) {
    ws_->attach(this);
    if (!sqlite3_db_readonly(db_, "main")) sqlite3_wal_hook(db_, &Database::walHook, this);
}

Database::~Database() { Close(); }

bool Database::ReadOnly() const { return db_ && sqlite3_db_readonly(db_, "main") == 1; }

void Database::Close() {
    if (!db_) return;
    idleToken_.reset();
    ws_->detach(this);
    // Whatever is still open on this connection, every level of it, is undone.
    level::undo(db_, QString(), true);
    statements_->close();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    releaseOpenFile(path_);
}

std::shared_ptr<const jetsql::Translation> Database::translate(const QString &jetSql) {
    requireOpen(db_);
    return translator_->translate(jetSql);
}

void Database::invalidateSchema() {
    ++schemaGeneration_;
    catalog_->invalidate();
    translator_->clearCache();
    statements_->clear();
}

void Database::Execute(const QString &jetSql, long /*options*/) {
    // Every failure raises, whatever the options: the program always asks for
    // fail-on-error, and a half-reported failure would be worse.
    auto t = translate(jetSql);
    if (t->kind == jetsql::StatementKind::Select)
        throw err::AppError(E::kInvalidOperation, QStringLiteral("DAO.Database"),
                            QStringLiteral("Não é possível executar uma consulta seleção."));
    recordsAffected_ = 0;
    recordsAffected_ = exec::action(*statements_, *t, {});
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QString &source, int type) {
    requireOpen(db_);
    const QString name = source.trimmed();
    if (const jetsql::TableDef *td = catalog_->table(name)) {
        // A table: every column, read with its declared type, writable through rowid.
        auto t = std::make_shared<jetsql::Translation>();
        QStringList cols;
        for (const auto &c : td->columns) {
            cols << sqlite::quoteIdent(c.name);
            t->columns.push_back({c.name, c.type});
        }
        t->sql = QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(cols.join(QStringLiteral(", ")),
                                                                           sqlite::quoteIdent(td->name));
        auto cache = statements_;
        return std::make_unique<Recordset>(
            *this, [cache, t] { return exec::select(*cache, *t, {}, true); }, type, td->name);
    }
    if (catalog_->savedQuery(name)) return QueryDefs(name)->OpenRecordset(type);
    if (type == dbOpenTable)
        throw err::AppError(E::kUnknownTable, QStringLiteral("DAO.Database"),
                            QStringLiteral("Não foi possível encontrar a tabela '%1'.").arg(name));
    auto t = translate(source);
    if (t->kind != jetsql::StatementKind::Select)
        throw err::AppError(E::kInvalidOperation, QStringLiteral("DAO.Database"),
                            QStringLiteral("Operação inválida: a instrução não retorna registros."));
    auto cache = statements_;
    return std::make_unique<Recordset>(*this, [cache, t] { return exec::select(*cache, *t, {}); }, type);
}

} // namespace dao
