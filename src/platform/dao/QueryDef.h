#pragma once
// A saved query of the database, or a temporary one: its parameters are set
// by position (declaration order) or by name (without regard to case).
#include "platform/jetsql/Translator.h"
#include "platform/value/Value.h"

#include <QString>
#include <map>
#include <memory>

namespace dao {

class Database;
class Recordset;

class QueryDef {
public:
    QueryDef(Database &db, QString name, QString sql);

    const QString &Name() const { return name_; }
    const QString &SQL() const { return sql_; }
    void SetSQL(const QString &jetSql); // stored at once for a named query

    int ParameterCount();
    QString ParameterName(int i);
    void SetParameter(int position, const value::Value &v);
    void SetParameter(const QString &name, const value::Value &v);

    std::unique_ptr<Recordset> OpenRecordset(int type = 2);
    void Execute(long options = 0);
    // Translates the text and prepares its statement now, keeping both for
    // the next run of the same text on this database; runs nothing. A writer
    // calls it before it takes the write lock.
    void Prepare();
    long RecordsAffected() const { return recordsAffected_; }

private:
    // The translation of the text, kept while the schema it was made against
    // stands: setting a parameter or running the query again does not look
    // the whole text up once more.
    const jetsql::Translation &translation();
    const jetsql::Parameter *parameter(const QString &name);

    Database *db_;
    QString name_;
    QString sql_;
    std::shared_ptr<const jetsql::Translation> translation_;
    quint64 schemaGeneration_ = 0;
    std::map<QString, value::Value> values_; // upper-case name -> value
    long recordsAffected_ = 0;
};

} // namespace dao
