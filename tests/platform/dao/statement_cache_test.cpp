// Prepared statements are kept by their text and reused: also after the
// session has run more one-off texts than the cache holds.
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "support/TempDir.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// The live prepared statement whose text holds `marca`, if any.
sqlite3_stmt *vivo(sqlite3 *h, const char *marca) {
    for (sqlite3_stmt *st = sqlite3_next_stmt(h, nullptr); st; st = sqlite3_next_stmt(h, st))
        if (std::strstr(sqlite3_sql(st), marca)) return st;
    return nullptr;
}

TEST(StatementCache, ARepeatedStatementIsReusedAfterManyOneOffTexts) {
    testsupport::TempDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.file(QStringLiteral("c.mdb")), QStringLiteral(";pwd=x"));
    db->CreateTable({QStringLiteral("T"),
                     {{QStringLiteral("Id"), value::DataType::Long, 0, 0, true, false, std::nullopt}},
                     {{QStringLiteral("PrimaryKey"), {QStringLiteral("Id")}, true, true, true, false}}});
    for (int i = 0; i < 600; ++i) db->Execute(QStringLiteral("INSERT INTO T (Id) VALUES (%1)").arg(i));
    sqlite3_stmt *primeiro = nullptr;
    for (int vez = 1; vez <= 3; ++vez) {
        auto q = db->CreateQueryDef(QString(), QStringLiteral("PARAMETERS [p] Long;UPDATE T SET Id = Id WHERE Id = [p] + 12345"));
        q->SetParameter(0, value::Value(qlonglong(vez)));
        q->Execute();
        if (vez == 1) primeiro = vivo(db->handle(), "12345");
    }
    ASSERT_NE(primeiro, nullptr) << "the statement was not kept";
    EXPECT_EQ(vivo(db->handle(), "12345"), primeiro) << "the statement was prepared again";
}

} // namespace
