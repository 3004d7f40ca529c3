// Saved queries: kept in a table of their own inside the file.
#include "platform/dao/DatabaseCatalog.h"
#include "platform/dao/QueryDef.h"

namespace dao {

namespace E = err::db;

std::optional<QString> Database::queryText(const QString &name) const { return catalog_->savedQuery(name); }

std::unique_ptr<QueryDef> Database::CreateQueryDef(const QString &name, const QString &jetSql) {
    requireOpen(db_);
    if (!name.isEmpty()) {
        if (catalog_->savedQuery(name) || catalog_->table(name))
            throw err::AppError(E::kObjectExists, QStringLiteral("DAO.Database"),
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
} // namespace dao
