#include "platform/jetsql/Emitter.h"

namespace jetsql::gen {

// ---- value shapes ------------------------------------------------------

Ex Emitter::value(Ex e) {
    if (!e.cond) return e;
    e.sql = QStringLiteral("(-(%1))").arg(e.sql);
    e.cond = false;
    e.type = DataType::Boolean;
    e.lit = Ex::Lit::None;
    return e;
}

QString Emitter::cond(const Ex &e) {
    if (e.cond) return e.sql;
    if (e.lit == Ex::Lit::Bool) return e.iv ? QStringLiteral("1") : QStringLiteral("0");
    return QStringLiteral("(%1 <> 0)").arg(e.sql);
}

Ex Emitter::literalInt(long long v) {
    Ex e;
    e.lit = Ex::Lit::Int;
    e.iv = v;
    e.type = DataType::Long;
    e.sql = QString::number(v);
    return e;
}

Ex Emitter::literalCur(long long units) {
    Ex e;
    e.lit = Ex::Lit::Cur;
    e.iv = units;
    e.type = DataType::Currency;
    e.sql = QString::number(units);
    return e;
}

// A whole or Boolean number in money units.
Ex Emitter::scale(Ex e) {
    e = value(e);
    if (e.lit == Ex::Lit::Int || e.lit == Ex::Lit::Bool) return literalCur(e.iv * kScale);
    if (e.lit == Ex::Lit::Null) return e;
    if (e.lit == Ex::Lit::Dbl) {
        e.dv *= double(kScale);
        e.sql = QString::number(e.dv, 'g', 17);
        e.type = DataType::Currency;
        return e;
    }
    Ex o;
    o.sql = QStringLiteral("(%1 * %2)").arg(e.sql).arg(kScale);
    o.type = DataType::Currency;
    o.agg = e.agg;
    return o;
}

Ex Emitter::toDouble(Ex e) {
    e = value(e);
    if (e.type != DataType::Currency) return e;
    Ex o;
    o.sql = e.lit == Ex::Lit::Cur ? QString::number(double(e.iv) / double(kScale), 'g', 17)
                                  : QStringLiteral("(%1 / 10000.0)").arg(e.sql);
    o.type = DataType::Double;
    o.agg = e.agg;
    return o;
}

// Text form of a value, as Jet gives it when joining texts.
QString Emitter::textOf(const Ex &in) {
    const Ex e = value(in);
    switch (e.lit) {
    case Ex::Lit::Null: return QStringLiteral("NULL");
    case Ex::Lit::Int: return quoteStr(QString::number(e.iv));
    case Ex::Lit::Cur: return quoteStr(value::Currency::fromUnits(e.iv).toPlain());
    case Ex::Lit::Bool: return quoteStr(QString::number(e.iv));
    default: break;
    }
    switch (e.type) {
    case DataType::Currency:
    case DataType::Date:
    case DataType::Double:
    case DataType::Single:
    case DataType::Boolean:
        return QStringLiteral("jet_str(%1, %2)").arg(e.sql).arg(int(e.type));
    default:
        return e.sql;
    }
}

// Two values that may come out as one (IIF, Nz): when one is text the
// other is given as text too, the way it shows (12.5, 31/01/2024), and
// not in its storage form (125000, 2024-01-31 00:00:00) nor read as money.
void Emitter::textAlike(Ex &a, Ex &b) {
    auto typedNonText = [](const Ex &e) {
        return e.lit != Ex::Lit::Null && e.type != DataType::Null && e.type != DataType::Text;
    };
    for (auto [x, y] : {std::pair<Ex *, Ex *>{&a, &b}, {&b, &a}}) {
        if (x->type != DataType::Text || !typedNonText(*y)) continue;
        Ex t;
        t.sql = textOf(*y);
        t.type = DataType::Text;
        t.agg = y->agg;
        *y = t;
    }
}

// Brings two numbers to a common scale for + - comparisons, IIF and unions.
void Emitter::unify(Ex &a, Ex &b) {
    a = value(a);
    b = value(b);
    const bool ca = a.type == DataType::Currency, cb = b.type == DataType::Currency;
    if (ca == cb) return;
    Ex &other = ca ? b : a;
    if (isWhole(other.type) || other.lit == Ex::Lit::Int || other.lit == Ex::Lit::Dbl) {
        other = scale(other);
    } else if (other.type == DataType::Double || other.type == DataType::Single) {
        // A computed double times 10000 is often not whole (0.57 gives
        // 5699.999999999999): the amount meets it as a double instead,
        // so that equal values compare equal and no fraction of a unit
        // reaches a money column.
        Ex &money = ca ? a : b;
        money = toDouble(money);
    }
}

DataType Emitter::commonType(DataType a, DataType b) {
    if (a == DataType::Null) return b;
    if (b == DataType::Null) return a;
    if (a == b) return a;
    if (a == DataType::Currency || b == DataType::Currency) {
        if (isNumber(a) && isNumber(b)) return DataType::Currency;
    }
    if (isNumber(a) && isNumber(b)) {
        if (a == DataType::Double || b == DataType::Double || a == DataType::Single || b == DataType::Single)
            return DataType::Double;
        return DataType::Long;
    }
    return a;
}

// Converts a value to the storage form of a column type.
Ex Emitter::convertTo(Ex e, DataType target) {
    if (e.lit == Ex::Lit::Null) return e;
    switch (target) {
    case DataType::Currency:
        if (e.cond || isWhole(e.type) || e.lit == Ex::Lit::Int) return scale(e);
        if (e.type == DataType::Double || e.type == DataType::Single) {
            Ex o;
            o.sql = QStringLiteral("CAST(round(%1 * 10000) AS INTEGER)").arg(e.sql);
            o.type = DataType::Currency;
            return o;
        }
        return e;
    case DataType::Boolean:
        if (e.cond) return value(e);
        if (e.lit == Ex::Lit::Int || e.lit == Ex::Lit::Cur) {
            Ex o = literalInt(e.iv ? -1 : 0);
            o.type = DataType::Boolean;
            return o;
        }
        if (isNumber(e.type) && e.type != DataType::Boolean) {
            Ex c;
            c.cond = true;
            c.sql = QStringLiteral("(%1 <> 0)").arg(e.sql);
            return value(c);
        }
        return e;
    case DataType::Byte:
    case DataType::Integer:
    case DataType::Long:
        e = value(e);
        if (e.type == DataType::Currency) {
            Ex o;
            // Money becomes a whole number by banker's rounding (12.5 -> 12),
            // here as in the program's own conversions of field values.
            o.sql = e.lit == Ex::Lit::Cur ? QString::number(value::Value(value::Currency::fromUnits(e.iv)).toInt())
                                          : QStringLiteral("jet_money_whole(%1)").arg(e.sql);
            o.type = target;
            return o;
        }
        if (e.type == DataType::Double || e.type == DataType::Single) {
            Ex o;
            o.sql = QStringLiteral("CAST(round(%1) AS INTEGER)").arg(e.sql);
            o.type = target;
            return o;
        }
        return e;
    case DataType::Double:
    case DataType::Single:
        return toDouble(e);
    case DataType::Text:
        if (e.type == DataType::Text || e.type == DataType::Null) return e;
        {
            Ex o;
            o.sql = textOf(e);
            o.type = DataType::Text;
            return o;
        }
    default:
        return value(e);
    }
}

QString Emitter::collated(const Ex &e) {
    if (e.type == DataType::Text && !e.baseText) return QStringLiteral("%1 COLLATE JETTEXT").arg(e.sql);
    return e.sql;
}

} // namespace jetsql::gen
