#pragma once
// A small database in storage form, the catalog that describes it and helpers
// to run translated statements on it.
#include "platform/jetsql/SqliteFunctions.h"
#include "platform/jetsql/Translator.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <sqlite3.h>
#include <utility>
#include <vector>

namespace jetsql::testing {

using Params = std::vector<std::pair<QString, QVariant>>; // by name, storage form

class TestCatalog : public Catalog {
public:
    TestCatalog();
    const TableDef *table(const QString &name) const override;
    std::optional<QString> savedQuery(const QString &name) const override;
    void setSavedQuery(const QString &name, const QString &text) { queries_[name.toLower()] = text; }
    const std::vector<TableDef> &tables() const { return tables_; }

private:
    std::vector<TableDef> tables_;
    QHash<QString, QString> queries_;
};

class Db {
public:
    explicit Db(const TestCatalog &catalog); // creates the tables and the fixture rows
    ~Db();
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;
    sqlite3 *handle() const { return db_; }
    // Runs raw SQLite SQL; rows as "a|b|c" lines, NULL for Null. Fails the test on error.
    QString query(const QString &sql) const;
    // Runs a translation, binding params by name. Select: the rows; others: "changes=N".
    QString run(const Translation &t, const Params &params = {}) const;
    void exec(const QString &sql) const;

private:
    sqlite3 *db_ = nullptr;
};

} // namespace jetsql::testing
