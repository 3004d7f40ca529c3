#include "platform/dao/Database.h"

#include "platform/dao/Engine.h"
#include "platform/dao/Exec.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Sqlite.h"
#include "platform/dao/StatementCache.h"
#include "platform/dao/Workspace.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QHash>
#include <QThread>
#include <QTimer>
#include <QRegularExpression>

namespace dao {

void releaseOpenFile(const QString &path); // Engine.cpp

using value::DataType;
using value::Value;
namespace E = err::db;

// A copy of the log waits this long after the commit that asked for it.
constexpr int kIdleCheckpointDelayMs = 200;

// Saved queries live in a table of their own inside the file.
static const QString kQueryTable = QStringLiteral("__querydefs");
// So does the column that orders each clustered table's rows on disk.
static const QString kOrderTable = QStringLiteral("__ordemfisica");

static DataType typeFromDecl(const QString &declIn, int *size) {
    const QString decl = declIn.trimmed().toUpper();
    *size = 0;
    if (decl.startsWith(QStringLiteral("TEXT"))) {
        static const QRegularExpression re(QStringLiteral("\\((\\d+)\\)"));
        const auto m = re.match(decl);
        *size = m.hasMatch() ? m.captured(1).toInt() : 255;
        return DataType::Text;
    }
    if (decl == QStringLiteral("BOOLEAN")) return DataType::Boolean;
    if (decl == QStringLiteral("BYTE")) return DataType::Byte;
    if (decl == QStringLiteral("SHORT")) return DataType::Integer;
    if (decl == QStringLiteral("LONG") || decl == QStringLiteral("INTEGER")) return DataType::Long;
    if (decl == QStringLiteral("CURRENCY")) return DataType::Currency;
    if (decl == QStringLiteral("DATETIME")) return DataType::Date;
    if (decl == QStringLiteral("DOUBLE")) return DataType::Double;
    if (decl == QStringLiteral("SINGLE")) return DataType::Single;
    return DataType::Text;
}

class Database::CatalogImpl : public jetsql::Catalog {
public:
    explicit CatalogImpl(sqlite3 *db) : db_(db) {}

    const jetsql::TableDef *table(const QString &name) const override {
        load();
        auto it = tables_.constFind(name.toUpper());
        return it == tables_.cend() ? nullptr : &it.value();
    }
    std::optional<QString> savedQuery(const QString &name) const override {
        load();
        auto it = queries_.constFind(name.toUpper());
        if (it == queries_.cend()) return std::nullopt;
        return it.value().second;
    }
    QStringList tableNames() const {
        load();
        QStringList out;
        for (const auto &t : tables_) out << t.name;
        return out;
    }
    QStringList queryNames() const {
        load();
        QStringList out;
        for (const auto &q : queries_) out << q.first;
        out.sort(Qt::CaseInsensitive);
        return out;
    }
    // The name as stored, for a name given in any case.
    QString storedQueryName(const QString &name) const {
        load();
        auto it = queries_.constFind(name.toUpper());
        return it == queries_.cend() ? name : it.value().first;
    }
    void invalidate() { loaded_ = false; }

private:
    void load() const {
        if (loaded_) return;
        tables_.clear();
        queries_.clear();
        QStringList names;
        {
            sqlite::Statement st(db_, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND "
                                                     "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND name NOT LIKE '\\_\\_%' ESCAPE '\\'"));
            while (st.step()) names << st.columnText(0);
        }
        for (const QString &n : names) {
            jetsql::TableDef t;
            t.name = n;
            sqlite::Statement st(db_, QStringLiteral("PRAGMA table_info(%1)").arg(sqlite::quoteIdent(n)));
            while (st.step()) {
                jetsql::ColumnDef c;
                c.name = st.columnText(1);
                c.type = typeFromDecl(st.columnText(2), &c.size);
                t.columns.push_back(c);
            }
            tables_.insert(n.toUpper(), t);
        }
        auto exists = [this](const QString &table) {
            sqlite::Statement has(db_, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?1"));
            has.bindText(1, table);
            has.step();
            return sqlite3_column_int(has.get(), 0) > 0;
        };
        if (exists(kQueryTable)) {
            sqlite::Statement st(db_, QStringLiteral("SELECT Name, Sql FROM %1").arg(kQueryTable));
            while (st.step()) queries_.insert(st.columnText(0).toUpper(), {st.columnText(0), st.columnText(1)});
        }
        if (exists(kOrderTable)) {
            sqlite::Statement st(db_, QStringLiteral("SELECT Tabela, Coluna FROM %1").arg(kOrderTable));
            while (st.step()) {
                auto it = tables_.find(st.columnText(0).toUpper());
                if (it != tables_.end()) it->rowOrder = st.columnText(1);
            }
        }
        loaded_ = true;
    }

    sqlite3 *db_;
    mutable bool loaded_ = false;
    mutable QHash<QString, jetsql::TableDef> tables_;
    mutable QHash<QString, std::pair<QString, QString>> queries_;
};

Database::Database(sqlite3 *db, QString path, Workspace &ws)
    : db_(db), path_(std::move(path)), ws_(&ws), catalog_(std::make_unique<CatalogImpl>(db)),
      translator_(std::make_unique<jetsql::Translator>(*catalog_)), statements_(std::make_shared<StatementCache>(db)) {
    ws_->attach(this);
    if (!sqlite3_db_readonly(db_, "main")) sqlite3_wal_hook(db_, &Database::walHook, this);
}

// After every commit: a log past its bound is copied back at once; a log of
// some size is copied when the event loop next has nothing to do, so that
// the user's posting never waits for it.
int Database::walHook(void *self, sqlite3 *, const char *, int pages) {
    auto *d = static_cast<Database *>(self);
    d->walPages_ = pages;
    if (pages >= kWalMaxPages) {
        d->Checkpoint();
    } else if (pages >= kWalIdlePages && !d->idleCheckpointDue_ && QCoreApplication::instance() &&
               QThread::currentThread() == QCoreApplication::instance()->thread()) {
        d->idleCheckpointDue_ = true;
        if (!d->idleGuard_) d->idleGuard_ = std::make_unique<QObject>();
        QTimer::singleShot(kIdleCheckpointDelayMs, d->idleGuard_.get(), [d] {
            d->idleCheckpointDue_ = false;
            if (d->db_ && sqlite3_get_autocommit(d->db_)) d->Checkpoint();
        });
    }
    return SQLITE_OK;
}

void Database::Checkpoint() {
    if (!db_) return;
    int logged = 0, copied = 0;
    if (sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logged, &copied) == SQLITE_OK &&
        logged >= 0 && copied >= logged)
        walPages_ = 0;
}

Database::~Database() { Close(); }

bool Database::ReadOnly() const { return db_ && sqlite3_db_readonly(db_, "main") == 1; }

void Database::Close() {
    if (!db_) return;
    idleGuard_.reset();
    ws_->detach(this);
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    statements_->close();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    releaseOpenFile(path_);
}

static void requireOpen(sqlite3 *db) {
    if (!db)
        throw err::AppError(E::kInvalidOperation, QStringLiteral("DAO.Database"),
                            QStringLiteral("Operação inválida: o banco de dados está fechado."));
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

std::optional<QString> Database::queryText(const QString &name) const { return catalog_->savedQuery(name); }

std::unique_ptr<QueryDef> Database::CreateQueryDef(const QString &name, const QString &jetSql) {
    requireOpen(db_);
    if (!name.isEmpty()) {
        if (catalog_->savedQuery(name) || catalog_->table(name))
            throw err::AppError(3012, QStringLiteral("DAO.Database"),
                                QStringLiteral("O objeto '%1' já existe.").arg(name));
        sqlite::exec(db_, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Name TEXT PRIMARY KEY COLLATE JETTEXT, "
                                         "Sql TEXT NOT NULL)").arg(kQueryTable));
        sqlite::Statement st(db_, QStringLiteral("INSERT INTO %1 (Name, Sql) VALUES (?1, ?2)").arg(kQueryTable));
        st.bindText(1, name);
        st.bindText(2, jetSql);
        st.step();
        invalidateSchema();
    }
    return std::make_unique<QueryDef>(*this, name, jetSql);
}

std::unique_ptr<QueryDef> Database::QueryDefs(const QString &name) {
    requireOpen(db_);
    auto text = catalog_->savedQuery(name);
    if (!text)
        throw err::AppError(E::kItemNotFound, QStringLiteral("DAO.QueryDefs"),
                            QStringLiteral("Item não encontrado nesta coleção."));
    return std::make_unique<QueryDef>(*this, catalog_->storedQueryName(name), *text);
}

void Database::setQueryText(const QString &name, const QString &jetSql) {
    requireOpen(db_);
    sqlite::Statement st(db_, QStringLiteral("UPDATE %1 SET Sql = ?2 WHERE Name = ?1").arg(kQueryTable));
    st.bindText(1, name);
    st.bindText(2, jetSql);
    st.step();
    invalidateSchema();
}

void Database::DeleteQueryDef(const QString &name) {
    requireOpen(db_);
    if (!catalog_->savedQuery(name))
        throw err::AppError(E::kItemNotFound, QStringLiteral("DAO.QueryDefs"),
                            QStringLiteral("Item não encontrado nesta coleção."));
    sqlite::Statement st(db_, QStringLiteral("DELETE FROM %1 WHERE Name = ?1").arg(kQueryTable));
    st.bindText(1, name);
    st.step();
    invalidateSchema();
}

QStringList Database::QueryDefNames() const { return catalog_->queryNames(); }
QStringList Database::TableNames() const { return catalog_->tableNames(); }
const jetsql::TableDef *Database::tableInfo(const QString &name) const { return catalog_->table(name); }

// ---- schema ----------------------------------------------------------------

static QString declType(const FieldDef &f) {
    switch (f.type) {
    case DataType::Boolean: return QStringLiteral("BOOLEAN");
    case DataType::Byte: return QStringLiteral("BYTE");
    case DataType::Integer: return QStringLiteral("SHORT");
    case DataType::Long: return QStringLiteral("LONG");
    case DataType::Currency: return QStringLiteral("CURRENCY");
    case DataType::Single: return QStringLiteral("SINGLE");
    case DataType::Double: return QStringLiteral("DOUBLE");
    case DataType::Date: return QStringLiteral("DATETIME");
    default: return QStringLiteral("TEXT(%1)").arg(f.size > 0 ? f.size : 255);
    }
}

static QString literal(const Value &v, DataType type) {
    if (v.isNull()) return QStringLiteral("NULL");
    switch (type) {
    case DataType::Boolean: return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case DataType::Currency: return QString::number(v.toCurrency().units());
    case DataType::Date: return sqlite::quoteText(value::toStorage(v.toDate()));
    case DataType::Text: {
        // The engine's default text is written as an expression: "'?'" means ?.
        QString s = v.toString();
        if (s.size() >= 2 && s.startsWith(QLatin1Char('\'')) && s.endsWith(QLatin1Char('\''))) s = s.mid(1, s.size() - 2);
        else if (s.size() >= 2 && s.startsWith(QLatin1Char('"')) && s.endsWith(QLatin1Char('"'))) s = s.mid(1, s.size() - 2);
        return sqlite::quoteText(s);
    }
    case DataType::Single:
    case DataType::Double: return QString::number(v.toDouble(), 'g', 17);
    default: return QString::number(v.toInt());
    }
}

void Database::CreateTable(const TableDef &def) {
    requireOpen(db_);
    if (catalog_->table(def.name))
        throw err::AppError(3010, QStringLiteral("DAO.TableDefs"), QStringLiteral("A tabela '%1' já existe.").arg(def.name));
    QStringList parts;
    QString autoField;
    for (const FieldDef &f : def.fields) {
        const QString q = sqlite::quoteIdent(f.name);
        QString col;
        if (f.attributes & dbAutoIncrField) {
            // Numbers are handed out once: AUTOINCREMENT never reuses a deleted row's id.
            col = q + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
            autoField = f.name;
        } else {
            col = q + QLatin1Char(' ') + declType(f);
            if (f.required) col += QStringLiteral(" NOT NULL");
            if (f.defaultValue) col += QStringLiteral(" DEFAULT ") + literal(*f.defaultValue, f.type);
            if (f.type == DataType::Text) {
                const QString tag = def.name + QLatin1Char('.') + f.name;
                col += QStringLiteral(" COLLATE JETTEXT CONSTRAINT \"jetlen:%1\" CHECK (length(%2) <= %3)")
                           .arg(tag, q).arg(f.size > 0 ? f.size : 255);
                if (!f.allowZeroLength)
                    col += QStringLiteral(" CONSTRAINT \"jetzl:%1\" CHECK (length(%2) > 0)").arg(tag, q);
            }
        }
        parts << col;
    }
    QStringList indexSql;
    for (const IndexDef &ix : def.indexes) {
        if (ix.clustered && ix.unique && ix.fields.size() == 1) {
            indexSql << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Tabela TEXT PRIMARY KEY COLLATE JETTEXT, "
                                       "Coluna TEXT NOT NULL)").arg(kOrderTable)
                     << QStringLiteral("INSERT OR REPLACE INTO %1 (Tabela, Coluna) VALUES (%2, %3)")
                            .arg(kOrderTable, sqlite::quoteText(def.name), sqlite::quoteText(ix.fields.first()));
        }
        QStringList cols;
        for (const QString &c : ix.fields) cols << sqlite::quoteIdent(c);
        if (ix.primary) {
            if (ix.fields.size() == 1 && ix.fields.first().compare(autoField, Qt::CaseInsensitive) == 0) continue;
            parts << QStringLiteral("PRIMARY KEY (%1)").arg(cols.join(QStringLiteral(", ")));
            continue;
        }
        indexSql << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                        .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(),
                             sqlite::quoteIdent(def.name + QLatin1Char('.') + ix.name), sqlite::quoteIdent(def.name),
                             cols.join(QStringLiteral(", ")));
    }
    sqlite::exec(db_, QStringLiteral("SAVEPOINT ddl"));
    try {
        sqlite::exec(db_, QStringLiteral("CREATE TABLE %1 (%2)").arg(sqlite::quoteIdent(def.name), parts.join(QStringLiteral(", "))));
        for (const QString &s : indexSql) sqlite::exec(db_, s);
        sqlite::exec(db_, QStringLiteral("RELEASE ddl"));
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK TO ddl; RELEASE ddl", nullptr, nullptr, nullptr);
        invalidateSchema();
        throw;
    }
    invalidateSchema();
}

void Database::CreateRelation(const RelationDef &def) {
    requireOpen(db_);
    const jetsql::TableDef *key = catalog_->table(def.table);
    const jetsql::TableDef *child = catalog_->table(def.foreignTable);
    if (!key || !child)
        throw err::AppError(E::kUnknownTable, QStringLiteral("DAO.Relations"),
                            QStringLiteral("Não foi possível encontrar a tabela '%1'.").arg(key ? def.foreignTable : def.table));
    if (!sqlite3_get_autocommit(db_))
        throw err::AppError(E::kInvalidOperation, QStringLiteral("DAO.Relations"),
                            QStringLiteral("Não é possível criar uma relação dentro de uma transação."));
    const QString childName = child->name, keyName = key->name;
    QStringList keyCols, fkCols;
    for (const auto &[k, f] : def.fields) {
        keyCols << sqlite::quoteIdent(k);
        fkCols << sqlite::quoteIdent(f);
    }
    // SQLite takes foreign keys only in CREATE TABLE: rebuild the referring
    // table with the new constraint, keeping its rows, indexes and counter.
    QString createSql;
    QStringList indexSqls;
    {
        sqlite::Statement st(db_, QStringLiteral("SELECT type, sql FROM sqlite_master WHERE tbl_name = ?1 AND sql IS NOT NULL"));
        st.bindText(1, childName);
        while (st.step()) {
            if (st.columnText(0) == QStringLiteral("table")) createSql = st.columnText(1);
            else indexSqls << st.columnText(1);
        }
    }
    const QString tmp = QStringLiteral("__rebuild_") + childName;
    const QString head = QStringLiteral("CREATE TABLE ") + sqlite::quoteIdent(childName);
    if (!createSql.startsWith(head) || !createSql.endsWith(QLatin1Char(')')))
        throw err::AppError(E::kEngine, QStringLiteral("DAO.Relations"), QStringLiteral("Definição de tabela inesperada."));
    createSql = QStringLiteral("CREATE TABLE ") + sqlite::quoteIdent(tmp) + createSql.mid(head.size());
    createSql.chop(1);
    createSql += QStringLiteral(", CONSTRAINT %1 FOREIGN KEY (%2) REFERENCES %3 (%4)%5)")
                     .arg(sqlite::quoteIdent(def.name), fkCols.join(QStringLiteral(", ")), sqlite::quoteIdent(keyName),
                          keyCols.join(QStringLiteral(", ")),
                          (def.attributes & dbRelationDeleteCascade) ? QStringLiteral(" ON DELETE CASCADE") : QString());
    // The engine indexes the foreign side of every relation.
    indexSqls << QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                     .arg(sqlite::quoteIdent(childName + QLatin1Char('.') + def.name), sqlite::quoteIdent(childName),
                          fkCols.join(QStringLiteral(", ")));
    sqlite::exec(db_, QStringLiteral("PRAGMA foreign_keys = OFF"));
    try {
        sqlite::exec(db_, QStringLiteral("BEGIN IMMEDIATE"));
        qint64 seq = -1;
        {
            sqlite::Statement st(db_, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?1"));
            st.bindText(1, childName);
            try { if (st.step()) seq = sqlite3_column_int64(st.get(), 0); } catch (const err::AppError &) {}
        }
        sqlite::exec(db_, createSql);
        // The rowids go along: a clustered table's rows keep their place.
        QStringList columns;
        for (const auto &c : child->columns) columns << sqlite::quoteIdent(c.name);
        const QString rowid = child->rowOrder.isEmpty() ? QString() : QStringLiteral("rowid, ");
        sqlite::exec(db_, QStringLiteral("INSERT INTO %1 (%4%3) SELECT %4%3 FROM %2")
                              .arg(sqlite::quoteIdent(tmp), sqlite::quoteIdent(childName), columns.join(QStringLiteral(", ")), rowid));
        sqlite::exec(db_, QStringLiteral("DROP TABLE %1").arg(sqlite::quoteIdent(childName)));
        sqlite::exec(db_, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(sqlite::quoteIdent(tmp), sqlite::quoteIdent(childName)));
        for (const QString &s : indexSqls) sqlite::exec(db_, s);
        if (seq >= 0) {
            sqlite::exec(db_, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = %1").arg(sqlite::quoteText(childName)));
            sqlite::exec(db_, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (%1, %2)")
                                  .arg(sqlite::quoteText(childName)).arg(seq));
        }
        {
            sqlite::Statement chk(db_, QStringLiteral("PRAGMA foreign_key_check(%1)").arg(sqlite::quoteIdent(childName)));
            if (chk.step())
                throw err::AppError(3367, QStringLiteral("DAO.Relations"),
                                    QStringLiteral("Não é possível criar a relação '%1': há dados que a violam.").arg(def.name));
        }
        sqlite::exec(db_, QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
        invalidateSchema();
        throw;
    }
    sqlite::exec(db_, QStringLiteral("PRAGMA foreign_keys = ON"));
    invalidateSchema();
}

} // namespace dao
