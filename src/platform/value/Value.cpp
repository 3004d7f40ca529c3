#include "platform/value/Value.h"

#include <cmath>

namespace value {

DataType Value::type() const {
    switch (v_.index()) {
    case 0: return DataType::Null;
    case 1: return DataType::Boolean;
    case 2: return DataType::Byte;
    case 3: return DataType::Long;
    case 4: return DataType::Long;
    case 5: return DataType::Double;
    case 6: return DataType::Currency;
    case 7: return DataType::Date;
    default: return DataType::Text;
    }
}

bool Value::toBool() const {
    if (auto s = std::get_if<QString>(&v_)) {
        const QString t = s->trimmed().toUpper();
        return t == QStringLiteral("TRUE") || t == QStringLiteral("VERDADEIRO") || (t.toLongLong() != 0);
    }
    return toDouble() != 0.0;
}

std::int64_t Value::toInt() const {
    return std::visit(
        [](const auto &x) -> std::int64_t {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) return 0;
            else if constexpr (std::is_same_v<T, bool>) return x ? -1 : 0;
            else if constexpr (std::is_same_v<T, double>) return std::int64_t(std::llround(x));
            else if constexpr (std::is_same_v<T, Currency>) {
                // Banker's rounding, as the engine converts money to whole numbers.
                const std::int64_t q = x.units() / Currency::kScale, r = x.units() % Currency::kScale;
                if (r * 2 > Currency::kScale || (r * 2 == Currency::kScale && (q & 1))) return q + 1;
                if (r * 2 < -Currency::kScale || (r * 2 == -Currency::kScale && (q & 1))) return q - 1;
                return q;
            } else if constexpr (std::is_same_v<T, QDateTime>) return std::int64_t(zeroDate().daysTo(x));
            else if constexpr (std::is_same_v<T, QString>) return x.trimmed().toLongLong();
            else return std::int64_t(x);
        },
        v_);
}

double Value::toDouble() const {
    return std::visit(
        [](const auto &x) -> double {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) return 0.0;
            else if constexpr (std::is_same_v<T, bool>) return x ? -1.0 : 0.0;
            else if constexpr (std::is_same_v<T, Currency>) return x.toDouble();
            else if constexpr (std::is_same_v<T, QDateTime>) return double(zeroDate().secsTo(x)) / 86400.0;
            else if constexpr (std::is_same_v<T, QString>) return x.trimmed().toDouble();
            else return double(x);
        },
        v_);
}

Currency Value::toCurrency() const {
    return std::visit(
        [](const auto &x) -> Currency {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) return Currency();
            else if constexpr (std::is_same_v<T, bool>) return Currency::fromWhole(x ? -1 : 0);
            else if constexpr (std::is_same_v<T, Currency>) return x;
            else if constexpr (std::is_same_v<T, double>) return Currency::fromDouble(x);
            else if constexpr (std::is_same_v<T, QDateTime>) return Currency();
            else if constexpr (std::is_same_v<T, QString>) return Currency::parse(x).value_or(Currency());
            else return Currency::fromWhole(std::int64_t(x));
        },
        v_);
}

QDateTime Value::toDate() const {
    if (auto d = std::get_if<QDateTime>(&v_)) return *d;
    if (auto s = std::get_if<QString>(&v_)) {
        if (auto d = fromStorage(*s)) return *d;
        if (auto d = parseBr(*s)) return *d;
        return zeroDate();
    }
    if (isNull()) return zeroDate();
    return zeroDate().addSecs(std::int64_t(std::llround(toDouble() * 86400.0)));
}

QString Value::toString() const {
    return std::visit(
        [](const auto &x) -> QString {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) return QString();
            else if constexpr (std::is_same_v<T, bool>) return x ? QStringLiteral("True") : QStringLiteral("False");
            else if constexpr (std::is_same_v<T, Currency>) return x.toPlain();
            else if constexpr (std::is_same_v<T, QDateTime>) {
                return x.time() == QTime(0, 0) ? toBr(x) : x.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
            } else if constexpr (std::is_same_v<T, QString>) return x;
            else if constexpr (std::is_same_v<T, double>) return QString::number(x, 'g', 15);
            else return QString::number(x);
        },
        v_);
}

} // namespace value
