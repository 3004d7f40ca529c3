#pragma once
// A field or parameter value: Null kept apart from "", money exact, dates naive.
#include "platform/value/Currency.h"
#include "platform/value/DataType.h"
#include "platform/value/JetDate.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <variant>

namespace value {

class Value {
public:
    Value() = default; // Null
    Value(std::nullptr_t) {}
    Value(bool b) : v_(b) {}
    Value(std::uint8_t b) : v_(b) {}
    Value(int i) : v_(std::int32_t(i)) {}
    Value(long i) : v_(std::int64_t(i)) {}
    Value(long long i) : v_(std::int64_t(i)) {}
    Value(double d) : v_(d) {}
    Value(Currency c) : v_(c) {}
    Value(const QDateTime &d) : v_(d) {}
    Value(const QString &s) : v_(s) {}
    Value(const char *s) : v_(QString::fromUtf8(s)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    DataType type() const;

    // Conversions as the program reads fields; a Null reads as 0, "" or false.
    bool toBool() const;
    std::int64_t toInt() const;
    double toDouble() const;
    Currency toCurrency() const;
    QDateTime toDate() const;
    QString toString() const;

    bool operator==(const Value &o) const { return v_ == o.v_; }

    using Storage = std::variant<std::monostate, bool, std::uint8_t, std::int32_t, std::int64_t, double, Currency,
                                 QDateTime, QString>;
    const Storage &storage() const { return v_; }

private:
    Storage v_;
};

} // namespace value
