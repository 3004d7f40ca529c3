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
    static constexpr Currency fromWhole(std::int64_t whole) {
        std::int64_t r = 0;
        if (__builtin_mul_overflow(whole, kScale, &r)) overflow();
        return fromUnits(r);
    }
    // The nearest amount to a floating value (half away from zero); raises the
    // numeric overflow for one past the range of money, or no number at all.
    static Currency fromDouble(double amount);
    // Parses "1234.56", "-0,5", "1.234,56" is NOT accepted here: the decimal mark
    // is the given one and no grouping is allowed. Rounds half away from zero past
    // four decimals. Empty or malformed text gives nothing, and so does an amount
    // past the range of money (from -922337203685477.5808 to 922337203685477.5807).
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

    // Money arithmetic never wraps. The checked forms give nothing for a result
    // past the range of money; the operators raise the engine's numeric
    // overflow (3349) for it, so a total that cannot be held is told, never
    // shown as a wrapped figure.
    static constexpr std::optional<Currency> checkedAdd(Currency a, Currency b) {
        std::int64_t r = 0;
        if (__builtin_add_overflow(a.units_, b.units_, &r)) return std::nullopt;
        return fromUnits(r);
    }
    static constexpr std::optional<Currency> checkedSub(Currency a, Currency b) {
        std::int64_t r = 0;
        if (__builtin_sub_overflow(a.units_, b.units_, &r)) return std::nullopt;
        return fromUnits(r);
    }
    constexpr Currency operator-() const { return checked(checkedSub(Currency(), *this)); }
    constexpr Currency operator+(Currency o) const { return checked(checkedAdd(*this, o)); }
    constexpr Currency operator-(Currency o) const { return checked(checkedSub(*this, o)); }
    Currency &operator+=(Currency o) { return *this = *this + o; }
    Currency &operator-=(Currency o) { return *this = *this - o; }
    constexpr auto operator<=>(const Currency &) const = default;

private:
    [[noreturn]] static void overflow();
    static constexpr Currency checked(std::optional<Currency> c) {
        if (!c) overflow();
        return *c;
    }

    std::int64_t units_ = 0;
};

} // namespace value
