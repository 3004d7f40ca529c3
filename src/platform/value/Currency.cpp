#include "platform/value/Currency.h"

#include "platform/err/AppError.h"

#include <cmath>

namespace value {
namespace {

QString formatUnits(std::int64_t units, int decimals, QChar point, QChar group) {
    // Round to the wanted decimals, half away from zero.
    std::int64_t div = 1;
    for (int i = decimals; i < 4; ++i) div *= 10;
    const bool neg = units < 0;
    std::uint64_t mag = neg ? std::uint64_t(-(units + 1)) + 1 : std::uint64_t(units);
    mag = (mag + std::uint64_t(div / 2)) / std::uint64_t(div);
    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const std::uint64_t whole = mag / scale;
    const std::uint64_t frac = mag % scale;
    QString w = QString::number(whole);
    if (!group.isNull()) {
        for (int i = w.size() - 3; i > 0; i -= 3) w.insert(i, group);
    }
    QString out = (neg && mag != 0) ? QStringLiteral("-") : QString();
    out += w;
    if (decimals > 0) out += point + QString::number(frac).rightJustified(decimals, QLatin1Char('0'));
    return out;
}

} // namespace

std::optional<Currency> Currency::parse(const QString &textIn, QChar decimalMark) {
    const QString text = textIn.trimmed();
    if (text.isEmpty()) return std::nullopt;
    int i = 0;
    bool neg = false;
    if (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')) { neg = text[i] == QLatin1Char('-'); ++i; }
    std::int64_t whole = 0;
    int wholeDigits = 0;
    while (i < text.size() && text[i].isDigit()) {
        if (whole > (INT64_MAX / kScale) / 10) return std::nullopt;
        whole = whole * 10 + text[i].digitValue();
        ++i; ++wholeDigits;
    }
    std::int64_t frac = 0;
    int fracDigits = 0;
    bool roundUp = false;
    if (i < text.size() && text[i] == decimalMark) {
        ++i;
        while (i < text.size() && text[i].isDigit()) {
            if (fracDigits < 4) { frac = frac * 10 + text[i].digitValue(); ++fracDigits; }
            else if (fracDigits == 4) { roundUp = text[i].digitValue() >= 5; ++fracDigits; }
            ++i;
        }
    }
    if (i != text.size() || (wholeDigits == 0 && fracDigits == 0)) return std::nullopt;
    for (int k = std::min(fracDigits, 4); k < 4; ++k) frac *= 10;
    // The magnitude is built unsigned (at most 922337203685479.9999 here, well
    // inside 64 unsigned bits) and refused when the signed range cannot hold
    // it: the negative side holds one unit more than the positive one.
    const std::uint64_t mag = std::uint64_t(whole) * std::uint64_t(kScale) + std::uint64_t(frac) + (roundUp ? 1u : 0u);
    const std::uint64_t limite = std::uint64_t(INT64_MAX) + (neg ? 1u : 0u);
    if (mag > limite) return std::nullopt;
    if (!neg) return fromUnits(std::int64_t(mag));
    return fromUnits(mag == limite ? INT64_MIN : -std::int64_t(mag));
}

Currency Currency::fromDouble(double amount) {
    const double units = std::round(amount * double(kScale));
    // 2^63 is exact as a double: everything below it in magnitude converts.
    if (!(units >= -9223372036854775808.0 && units < 9223372036854775808.0)) overflow();
    return fromUnits(std::int64_t(units));
}

void Currency::overflow() {
    throw err::AppError(err::db::kNumericOverflow, QStringLiteral("Currency"), err::db::numericOverflowText());
}

std::optional<Currency> Currency::parseBr(const QString &textIn) {
    QString t = textIn.trimmed();
    t.remove(QLatin1Char('.'));
    return parse(t, QLatin1Char(','));
}

QString Currency::toSql() const { return formatUnits(units_, 2, QLatin1Char('.'), QChar()); }
QString Currency::toBr() const { return formatUnits(units_, 2, QLatin1Char(','), QLatin1Char('.')); }

QString Currency::toPlain() const {
    QString s = formatUnits(units_, 4, QLatin1Char('.'), QChar());
    while (s.endsWith(QLatin1Char('0'))) s.chop(1);
    if (s.endsWith(QLatin1Char('.'))) s.chop(1);
    return s;
}

} // namespace value
