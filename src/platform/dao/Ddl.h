#pragma once
// Definitions of tables, indexes and relations, as the creation of a new
// database file describes them.
#include "platform/value/Value.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace dao {

using value::DataType;

// Field attribute and relation attribute values the program passes.
constexpr long dbAutoIncrField = 16;
constexpr long dbRelationDeleteCascade = 4096;

struct FieldDef {
    QString name;
    DataType type = DataType::Text;
    int size = 0;                // characters, for Text
    long attributes = 0;         // dbAutoIncrField
    bool required = false;
    bool allowZeroLength = false; // the engine's default for text fields
    std::optional<value::Value> defaultValue;
};

struct IndexDef {
    QString name;
    QStringList fields;
    bool primary = false;
    bool unique = false;
    bool required = false;
    bool ignoreNulls = false;
    // The rows are kept on disk in this index's order (one unique text
    // column of digits).
    bool clustered = false;
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
};

struct RelationDef {
    QString name;
    QString table;        // the side that holds the key
    QString foreignTable; // the side that refers to it
    std::vector<std::pair<QString, QString>> fields; // key column, foreign column
    long attributes = 0;  // dbRelationDeleteCascade
};

} // namespace dao
