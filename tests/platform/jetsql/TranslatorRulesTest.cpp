#include "Fixture.h"

#include "platform/err/AppError.h"
#include "platform/jetsql/JetText.h"

#include <gtest/gtest.h>

namespace jetsql::testing {
namespace {

using value::DataType;

QString u(const char *s) { return QString::fromUtf8(s); }

long errorOf(Translator &tr, const QString &jet, QString *description = nullptr) {
    try {
        tr.translate(jet);
    } catch (const err::AppError &e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}

TEST(TranslatorRefusals, SyntaxErrorsNameThePlace) {
    struct R {
        const char *jet;
        const char *near; // text the description must quote
    };
    const R refused[] = {
        {"SELECT * FROM Contas -- WHERE 1", "-- WHERE 1"},
        {"SELECT * FROM Contas /* x */", "/* x */"},
        {"SELECT * FROM Contas WHERE Codigo = '1'; DELETE FROM Contas", "DELETE FROM Contas"},
        {"SELECT * FROM Contas;;", ";"},
        {"SELECT Shell(Codigo) FROM Contas", "Shell(Codigo)"},
        {"SELECT FROM WHERE", "FROM WHERE"},
        {"SELECT Codigo FROM Contas WHERE Codigo = 'abc", "'abc"},
        {"SELECT Codigo FROM Contas WHERE", "<end>"},
        {"SELECT * FROM Contas RIGHT JOIN Lancamentos ON 1 = 1", "RIGHT JOIN"},
        {"SELECT Codigo FROM Contas WHERE Data = #31/31/2025#", "#31/31/2025#"},
        {"SELECT Forms!x FROM Contas", "!x"},
        {"SELECT Id FROM Lancamentos WHERE Id = 1 UNION SELECT Id, Codigo FROM Contas", ""},
    };
    TestCatalog catalog;
    Translator tr(catalog);
    for (const R &r : refused) {
        QString d;
        EXPECT_EQ(errorOf(tr, u(r.jet), &d), err::db::kSyntax) << r.jet;
        EXPECT_TRUE(d.contains(QStringLiteral("position"))) << d.toStdString();
        EXPECT_TRUE(d.contains(u(r.near))) << r.jet << " -> " << d.toStdString();
    }
}

TEST(TranslatorRefusals, UnknownTableOrQuery) {
    TestCatalog catalog;
    Translator tr(catalog);
    EXPECT_EQ(errorOf(tr, u("SELECT * FROM Nada")), err::db::kUnknownTable);
    EXPECT_EQ(errorOf(tr, u("SELECT (Select x From Nada) AS Y FROM Contas")), err::db::kUnknownTable);
    EXPECT_EQ(errorOf(tr, u("DELETE FROM Nada WHERE Id = 1")), err::db::kUnknownTable);
    catalog.setSavedQuery(u("QryBroken"), u("SELECT * FROM Inexistente"));
    EXPECT_EQ(errorOf(tr, u("SELECT * FROM QryBroken")), err::db::kUnknownTable);
    catalog.setSavedQuery(u("QryLoop"), u("SELECT * FROM QryLoop"));
    EXPECT_EQ(errorOf(tr, u("SELECT * FROM QryLoop")), err::db::kSyntax);
}

TEST(TranslatorParameters, DeclaredFirstThenUndeclaredOnePlaceholderPerName) {
    TestCatalog catalog;
    Translator tr(catalog);
    const auto t = tr.translate(u("PARAMETERS [x] Text ( 255 ), [y] Long, [d] DateTime, [b] Byte;"
                                  "SELECT * FROM Contas WHERE Codigo = [X] OR Id = [z] OR DesConta = x OR Id = [Y] OR Id = [b] OR [d] IS NULL"));
    ASSERT_EQ(t->parameters.size(), 5u);
    const std::vector<std::pair<QString, DataType>> want = {
        {u("x"), DataType::Text}, {u("y"), DataType::Long}, {u("d"), DataType::Date}, {u("b"), DataType::Byte}, {u("z"), DataType::Null}};
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(t->parameters[i].name, want[i].first);
        EXPECT_EQ(t->parameters[i].type, want[i].second);
        EXPECT_EQ(t->parameters[i].declared, i < 4);
    }
    ASSERT_EQ(t->bindOrder.size(), 5u);
    EXPECT_EQ(t->bindOrder[0].toLower(), u("x"));
    EXPECT_EQ(t->bindOrder[1].toLower(), u("z"));
    EXPECT_FALSE(t->sql.contains(u("?6")));
}

TEST(TranslatorColumns, NamesAndTypesAsTheProgramReadsThem) {
    TestCatalog catalog;
    Translator tr(catalog);
    const auto t = tr.translate(u("SELECT L.Id, L.Valor, C.DesConta AS Nome, Count(*), L.Data + 1, Abs(L.Id = 1), L.Estorno, "
                                  "Sum(L.SaldoConta) AS S, L.Valor * 2, L.Valor / 2, 'x' & L.Id FROM Lancamentos AS L INNER JOIN Contas AS C ON L.CodConta = C.Codigo "
                                  "GROUP BY L.Id, L.Valor, C.DesConta, L.Data, L.Estorno"));
    const std::vector<std::pair<QString, DataType>> want = {
        {u("Id"), DataType::Long},       {u("Valor"), DataType::Currency}, {u("Nome"), DataType::Text},
        {u("Expr1000"), DataType::Long}, {u("Expr1001"), DataType::Date},  {u("Expr1002"), DataType::Long},
        {u("Estorno"), DataType::Boolean}, {u("S"), DataType::Currency},   {u("Expr1003"), DataType::Currency},
        {u("Expr1004"), DataType::Double}, {u("Expr1005"), DataType::Text}};
    ASSERT_EQ(t->columns.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(t->columns[i].name, want[i].first) << i;
        EXPECT_EQ(t->columns[i].type, want[i].second) << i;
    }
    const auto derived = tr.translate(u("SELECT X.* FROM (SELECT L.Id, L.Valor AS V FROM Lancamentos AS L) AS X"));
    ASSERT_EQ(derived->columns.size(), 2u);
    EXPECT_EQ(derived->columns[1].name, u("V"));
    EXPECT_EQ(derived->columns[1].type, DataType::Currency);
}

TEST(TranslatorCache, SameTextSameTranslation) {
    TestCatalog catalog;
    Translator tr(catalog);
    const auto a = tr.translate(u("SELECT Id FROM Contas"));
    EXPECT_EQ(a.get(), tr.translate(u("SELECT Id FROM Contas")).get());
    tr.clearCache();
    EXPECT_NE(a.get(), tr.translate(u("SELECT Id FROM Contas")).get());
}

// Texts with values written in are translated once each: the cache keeps the
// ones used most recently, up to its bound, so a text in steady use stays
// while a stream of one-off texts passes through.
TEST(TranslatorCache, KeepsTheTextsUsedMostRecentlyUpToItsBound) {
    TestCatalog catalog;
    Translator tr(catalog);
    const QString emUso = u("SELECT Id FROM Contas");
    const auto kept = tr.translate(emUso);
    const auto oneOff = [](std::size_t i) { return u("SELECT Id FROM Contas WHERE Id = %1").arg(i); };
    const auto first = tr.translate(oneOff(0));
    for (std::size_t i = 1; i < 3 * Translator::kMaxCachedTexts; ++i) {
        tr.translate(oneOff(i));
        if (i % 100 == 0) tr.translate(emUso);
        ASSERT_LE(tr.cachedTexts(), Translator::kMaxCachedTexts);
    }
    EXPECT_EQ(tr.cachedTexts(), Translator::kMaxCachedTexts);
    EXPECT_EQ(tr.translate(emUso).get(), kept.get()) << "the text in steady use was never dropped";
    EXPECT_NE(tr.translate(oneOff(0)).get(), first.get()) << "the oldest one-off text was dropped and is translated anew";
    EXPECT_EQ(tr.translate(oneOff(0))->sql, first->sql);
}

// The hot lookups must still use the indexes of the text columns.
TEST(TranslatorPlans, TextKeysKeepTheirIndexes) {
    TestCatalog catalog;
    Db db(catalog);
    Translator tr(catalog);
    const char *const hot[] = {
        "SELECT Id FROM Lancamentos WHERE DataId = '20250110000000003'",
        "SELECT Id FROM Lancamentos WHERE CodConta LIKE '001.001*'",
        "PARAMETERS [c] Text ( 255 ); SELECT Id FROM Contas WHERE Codigo = [c]",
    };
    for (const char *jet : hot) {
        const QString plan = db.query(u("EXPLAIN QUERY PLAN ") + tr.translate(u(jet))->sql);
        EXPECT_TRUE(plan.contains(u("INDEX"))) << jet << "\n" << plan.toStdString();
    }
}

// ParQrySerialESaldos exists in two forms (joins of saved queries, and
// scalar sub-selects); both must give the same row.
TEST(BalanceQuery, BothFormsAgree) {
    const QString subSelectForm = u(
        "PARAMETERS [CODCON] Text ( 255 ), [CODRECDES] Text ( 255 ), [DATAOP] DateTime;SELECT S.Serial, "
        "(Select USaldoConta From ParQryUltSaldoConta) AS SaldoConta, (Select USaldoRecDesp from ParQryUltSaldoRecDesp) AS SaldoRecDesp, "
        "(Select SaldoTotal From ParQryLastSaldoGlobal) AS SaldoGlobal FROM SERIAL AS S;");
    struct Probe {
        const char *con, *rec, *date, *expected;
    };
    const Probe probes[] = {
        {"001.002", "003", "2025-01-31 00:00:00", "6|-125000|-123000|874000"},
        {"001", "001", "2025-03-01 00:00:00", nullptr},
        {"001.001", "003.001", "2025-01-05 00:00:00", nullptr},
        {"002", "002", "2024-12-31 00:00:00", "6|0|0|0"},
        {"000", "000", "2025-02-01 00:00:00", nullptr},
    };
    for (const bool notN : {false, true}) {
        TestCatalog catalog;
        if (notN) {
            for (const char *q : {"ParQryUltSaldoConta", "ParQryUltSaldoRecDesp"}) {
                QString text = *catalog.savedQuery(u(q));
                text.replace(u("(L2.Realizado ='S' OR L2.Realizado = '?')"), u("L2.Realizado <> 'N'"));
                catalog.setSavedQuery(u(q), text);
            }
        }
        Db db(catalog);
        Translator tr(catalog);
        const auto created = tr.translate(*catalog.savedQuery(u("ParQrySerialESaldos")));
        const auto sub = tr.translate(subSelectForm);
        for (const auto *t : {created.get(), sub.get()}) {
            ASSERT_EQ(t->parameters.size(), 3u);
            EXPECT_EQ(t->parameters[0].name, u("CODCON"));
            EXPECT_EQ(t->parameters[2].type, DataType::Date);
            ASSERT_EQ(t->columns.size(), 4u);
            EXPECT_EQ(t->columns[1].name.toLower(), u("saldoconta"));
            EXPECT_EQ(t->columns[3].type, DataType::Currency);
        }
        for (const Probe &p : probes) {
            const Params params = {{u("CODCON"), u(p.con)}, {u("CODRECDES"), u(p.rec)}, {u("DATAOP"), u(p.date)}};
            const QString a = db.run(*created, params);
            EXPECT_EQ(a, db.run(*sub, params)) << p.con << " " << p.date;
            if (p.expected) {
                EXPECT_EQ(a.toStdString(), std::string(p.expected));
            }
        }
    }
}

TEST(JetText, Order) {
    struct O {
        const char *a, *b;
        int sign;
    };
    const O cases[] = {
        {"ção", "ÇÃO", 0},      {"abc", "ABC", 0},        {"cao", "ção", -1},     {"ção", "cap", -1},
        {"Ávila", "avila", 1},  {"Ávila", "AVILB", -1},   {"001.002", "001.01", -1}, {"001", "001.001", -1},
        {"", "a", -1},          {"é", "f", -1},           {"banco a", "bancos", -1}, {"Zé", "ze", 1},
    };
    for (const O &c : cases) {
        const int r = text::compare(u(c.a), u(c.b));
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
        const int back = text::compare(u(c.b), u(c.a));
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
    }
}

TEST(JetText, Like) {
    struct L {
        const char *value, *pattern;
        bool match;
    };
    const L cases[] = {
        {"001.002", "001*", true},    {"001.002", "001", false},     {"ABC", "a?c", true},      {"ac", "a?c", false},
        {"a1c", "a#c", true},         {"abc", "a#c", false},         {"b", "[abc]", true},      {"d", "[!abc]", true},
        {"b", "[!abc]", false},       {"m", "[a-z]", true},          {"M", "[a-z]", true},      {"ÇÃO", "ção", true},
        {"cao", "ção", false},        {"x*y", "x[*]y", true},        {"abcabd", "*ab?", true},  {"", "*", true},
        {"CAFÉ COM LEITE", "*com*", true}, {"aaa", "a*a*a*a", false},
    };
    for (const L &c : cases) EXPECT_EQ(text::LikePattern(u(c.pattern)).matches(u(c.value)), c.match) << c.value << " LIKE " << c.pattern;
}

} // namespace
} // namespace jetsql::testing
