#pragma once
// Exact money: a signed 64-bit count of ten-thousandths.
#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

namespace value {

class Currency {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromUnits(std::int64_t units) { Currency c; c.units_ = units; return c; }
    static constexpr Currency fromWhole(std::int64_t whole) { return fromUnits(whole * kScale); }
    // Parses "1234.56", "-0,5", "1.234,56" is NOT accepted here: the decimal mark
    // is the given one and no grouping is allowed. Rounds half away from zero past
    // four decimals. Empty or malformed text gives nothing.
    static std::optional<Currency> parse(const QString &text, QChar decimalMark = QLatin1Char('.'));
    // Screen form in Brazilian Portuguese: "1.234,56" (two decimals, rounded).
    static std::optional<Currency> parseBr(const QString &text);

    constexpr std::int64_t units() const { return units_; }
    double toDouble() const { return double(units_) / kScale; }

    // "#######0.00" with "." as decimal mark: the form amounts are written into SQL.
    QString toSql() const;
    // "##,###,##0.00" in Brazilian Portuguese: "1.234,56", "-0,50".
    QString toBr() const;
    // Shortest exact text with "." ("12.5", "-3", "0.0001").
    QString toPlain() const;

    constexpr Currency operator-() const { return fromUnits(-units_); }
    constexpr Currency operator+(Currency o) const { return fromUnits(units_ + o.units_); }
    constexpr Currency operator-(Currency o) const { return fromUnits(units_ - o.units_); }
    Currency &operator+=(Currency o) { units_ += o.units_; return *this; }
    Currency &operator-=(Currency o) { units_ -= o.units_; return *this; }
    constexpr auto operator<=>(const Currency &) const = default;

private:
    std::int64_t units_ = 0;
};

} // namespace value
