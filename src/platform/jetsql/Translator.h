#pragma once
// Translates the Jet SQL text the program writes into SQLite SQL.
//
// Storage conventions the translation relies on (the database layer keeps them):
//   Boolean  INTEGER -1 (true) / 0 (false)
//   Byte, Long  INTEGER
//   Currency INTEGER count of ten-thousandths (exact money)
//   Date     TEXT "yyyy-MM-dd hh:mm:ss"
//   Text     TEXT, column collation JETTEXT (case-insensitive, Portuguese order)
// Parameters are written as ?NNN placeholders; Translation::bindOrder names the
// parameter behind each one, and the caller binds values in storage form.
#include "platform/value/DataType.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <vector>

namespace jetsql {

using value::DataType;

struct ColumnDef {
    QString name;
    DataType type = DataType::Text;
    int size = 0; // characters, for Text
};

struct TableDef {
    QString name;
    std::vector<ColumnDef> columns;
    // A unique text column of digits whose value also places the row in the
    // table's storage order (its rowid); empty when rows go in insert order.
    QString rowOrder;
};

// What the translator needs to know of the database. Lookups ignore letter case.
class Catalog {
public:
    virtual ~Catalog() = default;
    virtual const TableDef *table(const QString &name) const = 0;
    // The stored Jet text of a saved query, PARAMETERS clause included.
    virtual std::optional<QString> savedQuery(const QString &name) const = 0;
};

struct Parameter {
    QString name;      // as declared or as written (the DAO matches without regard to case)
    DataType type = DataType::Null; // declared type; Null when undeclared
    bool declared = false;
    // Undeclared: the type the statement gives it where it is first compared,
    // added, assigned or joined to a typed value (Null when nothing does). Its
    // value is bound in that type's storage form, so that 3 compared with or
    // written to an amount means 3.00, not three ten-thousandths.
    DataType bindAs = DataType::Null;
};

struct ResultColumn {
    QString name;      // as the program reads it: alias, or the bare column name
    DataType type = DataType::Null;
};

enum class StatementKind { Select, Insert, Update, Delete };

struct Translation {
    StatementKind kind = StatementKind::Select;
    QString sql;                         // one SQLite statement, no trailing ';'
    std::vector<Parameter> parameters;   // declared ones in declaration order, then undeclared ones
    std::vector<QString> bindOrder;      // bindOrder[i] is the parameter behind ?(i+1)
    // For each placeholder: its parameter's name in upper case and the type
    // its value is bound as, worked out once with the translation.
    std::vector<QString> bindKeys;
    std::vector<DataType> bindTypes;
    std::vector<ResultColumn> columns;   // Select only
    QString targetTable;                 // Insert, Update, Delete: the table written
    bool checksMoney = false;            // may fail midway on a money sum past the range
};

// Translates and caches per text, keeping the texts used most recently (a
// program that writes values into its texts would otherwise keep every one
// of them for as long as it runs). Throws err::AppError: 3075 (syntax, with the
// position and the text near it), 3078 (unknown table or query).
class Translator {
public:
    explicit Translator(const Catalog &catalog);
    ~Translator();
    std::shared_ptr<const Translation> translate(const QString &jetText);
    void clearCache();
    std::size_t cachedTexts() const { return std::size_t(cache_.size()); }
    // Texts translated afresh (not found among those kept) so far.
    std::uint64_t translationsMade() const { return made_; }
    static constexpr std::size_t kMaxCachedTexts = 1024;

private:
    struct Entry {
        std::shared_ptr<const Translation> translation;
        std::list<QString>::iterator use; // its place in uses_
    };
    const Catalog &catalog_;
    QHash<QString, Entry> cache_;
    std::list<QString> uses_; // most recently used first
    std::uint64_t made_ = 0;
};

} // namespace jetsql
