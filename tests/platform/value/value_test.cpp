#include "platform/value/Currency.h"
#include "platform/value/JetDate.h"
#include "platform/value/Value.h"

#include "platform/err/AppError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>

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

// Text at and past both ends of the range of money: what fits is read
// exactly, what does not is refused, never wrapped into another amount.
TEST(Currency, TextAtTheEdgesOfTheRangeIsReadOrRefused) {
    struct Case { const char *in; std::optional<qint64> units; };
    const Case cases[] = {
        {"922337203685477.5807", INT64_MAX},
        {"922337203685477.58069", INT64_MAX},        // rounds down onto the maximum
        {"922337203685477.58075", std::nullopt},     // rounds up past it
        {"922337203685477.5808", std::nullopt},      // one unit past: wrapped to the minimum before
        {"922337203685477.9999", std::nullopt},
        {"922337203685478", std::nullopt},
        {"922337203685479.9999", std::nullopt},
        {"9223372036854775807", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"-922337203685477.5807", -INT64_MAX},
        {"-922337203685477.5808", INT64_MIN},        // the negative side holds one unit more
        {"-922337203685477.58084", INT64_MIN},
        {"-922337203685477.58085", std::nullopt},
        {"-922337203685477.5809", std::nullopt},
        {"-922337203685478", std::nullopt},
        {"+922337203685477.5807", INT64_MAX},
        {"0000000000000000000000001", 10000},        // leading zeros are not magnitude
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.in);
        const auto v = Currency::parse(QString::fromLatin1(c.in));
        ASSERT_EQ(v.has_value(), c.units.has_value());
        if (v) {
            EXPECT_EQ(v->units(), *c.units);
        }
    }
    // The screen form: grouping marks are dropped, the comma is the decimal mark.
    EXPECT_FALSE(Currency::parseBr(QStringLiteral("922.337.203.685.477,5808")).has_value());
    EXPECT_EQ(Currency::parseBr(QStringLiteral("-922.337.203.685.477,5808"))->units(), INT64_MIN);
}

// Sums, differences and opposites at the edges: the checked forms answer
// nothing past the range, the operators raise the numeric overflow (3349).
TEST(Currency, ArithmeticPastTheRangeIsRefused) {
    const Currency max = Currency::fromUnits(INT64_MAX), min = Currency::fromUnits(INT64_MIN);
    const Currency um = Currency::fromUnits(1), zero;
    enum Op { Soma, Diferenca };
    struct Case { const char *nome; Currency a; Op op; Currency b; std::optional<qint64> units; };
    const Case cases[] = {
        {"max + 0", max, Soma, zero, INT64_MAX},
        {"max + 1", max, Soma, um, std::nullopt},
        {"max + max", max, Soma, max, std::nullopt},
        {"min + -1", min, Soma, -um, std::nullopt},
        {"min + min", min, Soma, min, std::nullopt},
        {"min + max", min, Soma, max, -1},
        {"max - -1", max, Diferenca, -um, std::nullopt},
        {"min - 1", min, Diferenca, um, std::nullopt},
        {"0 - min", zero, Diferenca, min, std::nullopt},
        {"-1 - max", -um, Diferenca, max, INT64_MIN},
        {"max - max", max, Diferenca, max, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.nome);
        const auto checked = c.op == Soma ? Currency::checkedAdd(c.a, c.b) : Currency::checkedSub(c.a, c.b);
        ASSERT_EQ(checked.has_value(), c.units.has_value());
        if (checked) {
            EXPECT_EQ(checked->units(), *c.units);
        }
        const auto operador = [&] { return c.op == Soma ? c.a + c.b : c.a - c.b; };
        const auto composto = [&] {
            Currency r = c.a;
            return c.op == Soma ? (r += c.b) : (r -= c.b);
        };
        for (const auto &f : {std::function<Currency()>(operador), std::function<Currency()>(composto)}) {
            if (c.units) {
                EXPECT_EQ(f().units(), *c.units);
                continue;
            }
            try {
                f();
                ADD_FAILURE() << "no error past the range";
            } catch (const err::AppError &e) {
                EXPECT_EQ(e.number(), err::db::kNumericOverflow);
                EXPECT_EQ(e.description(), err::db::numericOverflowText());
            }
        }
    }
    EXPECT_EQ((-max).units(), -INT64_MAX);
    EXPECT_THROW(-min, err::AppError);
    EXPECT_THROW(Currency::fromWhole(922337203685478), err::AppError);
    EXPECT_EQ(Currency::fromWhole(-922337203685477).units(), -9223372036854770000);
}

// A floating value read as money (a sum the engine widened past the range)
// is refused, not turned into whatever the conversion gives.
TEST(Currency, FloatingValuesPastTheRangeAreRefused) {
    EXPECT_EQ(Value(12.345).toCurrency().units(), 123450);
    EXPECT_EQ(Value(9.0e14).toCurrency().units(), 9000000000000000000);
    for (double d : {9.3e14, -9.3e14, 1e300, std::numeric_limits<double>::infinity(), std::nan("")}) {
        SCOPED_TRACE(d);
        EXPECT_THROW(Value(d).toCurrency(), err::AppError);
    }
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
