// Relations: a foreign key added by rebuilding the referring table.
#include "platform/dao/DatabaseCatalog.h"
#include "platform/dao/Level.h"

namespace dao {

namespace E = err::db;

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
    // Foreign keys are off while the table is rebuilt (the engine takes that
    // only outside a transaction, hence the refusal above); the check below
    // stands for them, inside the transaction that does the rebuilding.
    sqlite::exec(db_, QStringLiteral("PRAGMA foreign_keys = OFF"));
    try {
        Level rebuild(db_, QStringLiteral("relacao"));
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
                throw err::AppError(E::kRelationViolated, QStringLiteral("DAO.Relations"),
                                    QStringLiteral("Não é possível criar a relação '%1': há dados que a violam.").arg(def.name));
        }
        rebuild.commit();
    } catch (...) {
        // The rebuild was undone as the level went out of scope.
        sqlite3_exec(db_, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
        invalidateSchema();
        throw;
    }
    sqlite::exec(db_, QStringLiteral("PRAGMA foreign_keys = ON"));
    invalidateSchema();
}

} // namespace dao
