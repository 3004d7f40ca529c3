#include "platform/value/Currency.h"
#include "platform/value/JetDate.h"
#include "platform/value/Value.h"

#include <gtest/gtest.h>

using value::Currency;
using value::Value;

TEST(Currency, ParsesAndFormatsExactly) {
    struct Case { const char *in; qint64 units; const char *sql; const char *br; };
    const Case cases[] = {
        {"0", 0, "0.00", "0,00"},
        {"12.5", 125000, "12.50", "12,50"},
        {"-12.50", -125000, "-12.50", "-12,50"},
        {"1234567.89", 12345678900, "1234567.89", "1.234.567,89"},
        {"0.005", 50, "0.01", "0,01"},        // half away from zero at two decimals
        {"-0.005", -50, "-0.01", "-0,01"},
        {"0.00004", 0, "0.00", "0,00"},
        {"0.00005", 1, "0.00", "0,00"},       // rounding past four decimals
        {"922337203685477.5807", INT64_MAX, "922337203685477.58", "922.337.203.685.477,58"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        auto v = Currency::parse(QString::fromUtf8(c.in));
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(v->units(), c.units);
        EXPECT_EQ(v->toSql(), QString::fromUtf8(c.sql));
        EXPECT_EQ(v->toBr(), QString::fromUtf8(c.br));
    }
    for (const char *bad : {"", "-", "1,2", "1.2.3", "abc", "12a", "."}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(Currency::parse(QString::fromUtf8(bad)).has_value());
    }
    EXPECT_EQ(Currency::parseBr(QStringLiteral("1.234,56"))->units(), 12345600);
}

TEST(Currency, MillionSmallAmountsSumExactly) {
    Currency total;
    const Currency cent = *Currency::parse(QStringLiteral("0.01"));
    for (int i = 0; i < 1000000; ++i) total += cent;
    EXPECT_EQ(total.toSql(), QStringLiteral("10000.00"));
}

TEST(JetDate, LiteralsStorageAndScreenForms) {
    EXPECT_EQ(value::toStorage(*value::parseJetLiteral(QStringLiteral("12/09/2026"))), QStringLiteral("2026-12-09 00:00:00"));
    EXPECT_EQ(value::toStorage(*value::parseJetLiteral(QStringLiteral("03/05/2027 14:07:03"))), QStringLiteral("2027-03-05 14:07:03"));
    EXPECT_EQ(value::toStorage(*value::parseJetLiteral(QStringLiteral("14:07:03"))), QStringLiteral("1899-12-30 14:07:03"));
    EXPECT_FALSE(value::parseJetLiteral(QStringLiteral("13/40/2026")).has_value());
    EXPECT_FALSE(value::parseBr(QStringLiteral("31/02/2026")).has_value());
    EXPECT_EQ(value::toBr(*value::parseBr(QStringLiteral("9/12/2026"))), QStringLiteral("09/12/2026"));
    const auto d = value::fromStorage(QStringLiteral("2026-12-10 00:00:00"));
    ASSERT_TRUE(d);
    EXPECT_EQ(*d, value::makeDate(2026, 12, 10));
    EXPECT_TRUE(value::isZeroDate(value::zeroDate()));
}

TEST(ValueConversions, NullIsApartFromEmptyText) {
    EXPECT_TRUE(Value().isNull());
    EXPECT_FALSE(Value(QString()).isNull());
    EXPECT_EQ(Value().toString(), QString());
    EXPECT_EQ(Value(true).toInt(), -1);
    EXPECT_EQ(Value(Currency::fromUnits(25000)).toInt(), 2);   // 2.5 -> 2 (to even)
    EXPECT_EQ(Value(Currency::fromUnits(35000)).toInt(), 4);   // 3.5 -> 4
    EXPECT_EQ(Value(QStringLiteral("12.34")).toCurrency().units(), 123400);
}

TEST(JetDate, StoredTextsReadBackOrRefused) {
    const struct { const char *texto; bool valida; int y, m, d, hh, mi, ss; } casos[] = {
        {"2026-12-10 14:07:03", true, 2026, 12, 10, 14, 7, 3},
        {"1899-12-30 00:00:00", true, 1899, 12, 30, 0, 0, 0},
        {"2024-02-29 23:59:59", true, 2024, 2, 29, 23, 59, 59},
        {"2026-12-10", true, 2026, 12, 10, 0, 0, 0},
        {"2025-02-29 00:00:00", false, 0, 0, 0, 0, 0, 0},
        {"2026-13-01 00:00:00", false, 0, 0, 0, 0, 0, 0},
        {"2026-12-10 24:00:00", false, 0, 0, 0, 0, 0, 0},
        {"2026-12-1x 00:00:00", false, 0, 0, 0, 0, 0, 0},
        {"2026/12/10 00:00:00", false, 0, 0, 0, 0, 0, 0},
        {"", false, 0, 0, 0, 0, 0, 0},
    };
    for (const auto &c : casos) {
        const auto d = value::fromStorage(QString::fromLatin1(c.texto));
        ASSERT_EQ(d.has_value(), c.valida) << c.texto;
        if (c.valida) {
            EXPECT_EQ(*d, value::makeDate(c.y, c.m, c.d, c.hh, c.mi, c.ss)) << c.texto;
            EXPECT_EQ(d->timeSpec(), Qt::UTC) << c.texto;
        }
    }
}
