#pragma once
// Runs a translated statement on a connection: binds parameters in storage
// form and reads rows back into values of the result columns' types.
#include "platform/dao/Recordset.h"
#include "platform/dao/StatementCache.h"
#include "platform/jetsql/Translator.h"

#include <map>

struct sqlite3;
struct sqlite3_stmt;

namespace dao::exec {

using ParamValues = std::map<QString, value::Value>; // upper-case name -> value

// Value in the form a column of the given type stores it.
void bind(sqlite3_stmt *stmt, int index, const value::Value &v, value::DataType asType);
value::Value read(sqlite3_stmt *stmt, int col, value::DataType type);

std::shared_ptr<Recordset::Data> select(StatementCache &cache, const jetsql::Translation &t, const ParamValues &params,
                                        bool withRowid = false);
long action(StatementCache &cache, const jetsql::Translation &t, const ParamValues &params);

} // namespace dao::exec
