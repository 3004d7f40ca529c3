#pragma once
// Inside the database layer only: what the parts of Database (Database.cpp,
// DatabaseCatalog.cpp, DatabaseQueries.cpp, DatabaseTables.cpp,
// DatabaseRelations.cpp, DatabaseCheckpoint.cpp) share: the catalog of tables
// and saved queries read from the file, the names of our own tables, and the
// check that the database is still open.
#include "platform/dao/Database.h"
#include "platform/dao/Sqlite.h"
#include "platform/jetsql/Translator.h"

#include <sqlite3.h>

#include <QHash>
#include <QRegularExpression>

namespace dao {

// Saved queries live in a table of their own inside the file.
inline const QString kQueryTable = QStringLiteral("__querydefs");
// So does the column that orders each clustered table's rows on disk.
inline const QString kOrderTable = QStringLiteral("__ordemfisica");

void requireOpen(sqlite3 *db); // DatabaseCatalog.cpp

// The tables and saved queries of the file, read once and again after every
// change of the schema.
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
    void load() const;

    sqlite3 *db_;
    mutable bool loaded_ = false;
    mutable QHash<QString, jetsql::TableDef> tables_;
    mutable QHash<QString, std::pair<QString, QString>> queries_;
};

} // namespace dao
