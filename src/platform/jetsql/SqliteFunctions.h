#pragma once
// The collation and SQL functions that translated statements call.
// Registered on every connection the database layer opens.
struct sqlite3;

namespace jetsql {

// Registers the collation JETTEXT and the jet_* functions. Returns an SQLite
// result code.
int registerSqliteFunctions(sqlite3 *db);

} // namespace jetsql
