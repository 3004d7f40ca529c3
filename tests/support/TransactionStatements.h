#pragma once
// The transaction statements (BEGIN, SAVEPOINT, RELEASE, COMMIT, ROLLBACK) a
// connection runs while this lives: a test sees whether a write opened a
// level of its own, which no row it leaves can tell.
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

namespace testsupport {

class TransactionStatements {
public:
    explicit TransactionStatements(sqlite3 *db) : db_(db) { sqlite3_trace_v2(db_, SQLITE_TRACE_STMT, &seen, this); }
    ~TransactionStatements() { sqlite3_trace_v2(db_, 0, nullptr, nullptr); }
    TransactionStatements(const TransactionStatements &) = delete;
    TransactionStatements &operator=(const TransactionStatements &) = delete;

    const QStringList &texts() const { return texts_; }

private:
    static int seen(unsigned, void *self, void *, void *text) {
        static const QRegularExpression re(QStringLiteral("^\\s*(BEGIN|SAVEPOINT|RELEASE|COMMIT|END|ROLLBACK)\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
        const QString sql = QString::fromUtf8(static_cast<const char *>(text));
        if (re.match(sql).hasMatch()) static_cast<TransactionStatements *>(self)->texts_ << sql.trimmed();
        return 0;
    }
    sqlite3 *db_;
    QStringList texts_;
};

} // namespace testsupport
