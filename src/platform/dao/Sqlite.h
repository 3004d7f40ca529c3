#pragma once
// Small RAII helpers over the SQLite C interface, and the mapping of its
// failures to the engine error numbers the program knows.
#include "platform/err/AppError.h"
#include "platform/value/Value.h"

#include <sqlite3.h>

#include <QString>

namespace dao::sqlite {

class Statement {
public:
    Statement(sqlite3 *db, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    sqlite3_stmt *get() const { return stmt_; }
    // Steps once: true while a row is available. Throws on failure.
    bool step();
    void reset();
    void bindText(int index, const QString &text);
    void bindInt(int index, qint64 v);
    void bindNull(int index);
    int columnCount() const { return sqlite3_column_count(stmt_); }
    QString columnText(int i) const;

private:
    sqlite3 *db_;
    sqlite3_stmt *stmt_ = nullptr;
    QString sql_;
};

// The one way every statement of ours is prepared and stepped (Statement
// here, the statement cache's leases): prepare throws the program's error for
// a text the engine refuses; step is true while a row is available, false at
// the end, and on failure resets the statement and throws the program's error.
sqlite3_stmt *prepare(sqlite3 *db, const QString &sql);
bool step(sqlite3 *db, sqlite3_stmt *st, const QString &sql);

// Runs one statement without results; throws on failure.
void exec(sqlite3 *db, const QString &sql);

// Builds the program's error for an SQLite failure on the connection.
err::AppError error(sqlite3 *db, int rc, const QString &context);

QString quoteIdent(const QString &name);
QString quoteText(const QString &text);

} // namespace dao::sqlite
