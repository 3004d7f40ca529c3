#pragma once
// The collation and SQL functions that translated statements call.
// Registered on every connection the database layer opens.
struct sqlite3;

namespace jetsql {

// The error text of a statement whose money sum left the range of money
// (jet_money_add, jet_money_sub): the database layer tells it apart by it.
inline constexpr const char *kMoneyOverflow = "jet_money_overflow";

// Registers the collation JETTEXT and the jet_* functions. Returns an SQLite
// result code.
int registerSqliteFunctions(sqlite3 *db);

} // namespace jetsql
