#include "platform/jetsql/Emitter.h"
#include "platform/jetsql/JetText.h"

#include <functional>
#include <limits>

namespace jetsql::gen {

// ---- expressions -------------------------------------------------------

Ex Emitter::resolveName(const Expr &x, const Scope *scope) {
    for (const Scope *s = scope; s; s = s->parent) {
        int found = 0;
        Ex hit;
        for (const Source &src : s->sources) {
            if (!x.qual.isEmpty() && !same(src.name, x.qual)) continue;
            for (const Col &c : src.cols) {
                if (!same(c.name, x.text)) continue;
                ++found;
                hit.sql = quoteId(src.sqlAlias) + QLatin1Char('.') + quoteId(c.name);
                hit.type = c.type;
                hit.baseText = src.base && c.type == DataType::Text;
            }
        }
        if (found > 1) fail(x.pos, QStringLiteral("The field '%1' could refer to more than one table").arg(x.text), err::db::kAmbiguousField);
        if (found == 1) return hit;
    }
    return param(x.qual.isEmpty() ? x.text : x.qual + QLatin1Char('.') + x.text);
}

Ex Emitter::expr(const Expr &x, const Scope *scope) {
    Ex e;
    switch (x.k) {
    case Expr::K::Null:
        e.lit = Ex::Lit::Null;
        e.sql = QStringLiteral("NULL");
        return e;
    case Expr::K::Int: {
        bool ok = false;
        const long long v = x.text.toLongLong(&ok);
        if (ok && v <= 2147483647LL) return literalInt(v);
        e.lit = Ex::Lit::Dbl;
        e.dv = x.text.toDouble();
        e.sql = QString::number(e.dv, 'g', 17);
        e.type = DataType::Double;
        return e;
    }
    case Expr::K::Dec: {
        const auto c = value::Currency::parse(x.text);
        const int dot = int(x.text.indexOf(QLatin1Char('.')));
        const bool exp = x.text.contains(QLatin1Char('e'), Qt::CaseInsensitive);
        if (c && !exp && (dot < 0 || x.text.size() - dot - 1 <= 4)) return literalCur(c->units());
        e.lit = Ex::Lit::Dbl;
        e.dv = x.text.toDouble();
        e.sql = QString::number(e.dv, 'g', 17);
        e.type = DataType::Double;
        return e;
    }
    case Expr::K::Str:
        e.lit = Ex::Lit::Str;
        e.sv = x.text;
        e.sql = quoteStr(x.text);
        e.type = DataType::Text;
        return e;
    case Expr::K::Date:
        e.lit = Ex::Lit::Date;
        e.sv = x.text;
        e.sql = quoteStr(x.text);
        e.type = DataType::Date;
        return e;
    case Expr::K::Bool:
        e = literalInt(x.b ? -1 : 0);
        e.lit = Ex::Lit::Bool;
        e.type = DataType::Boolean;
        return e;
    case Expr::K::Name:
        return resolveName(x, scope);
    case Expr::K::Unary: {
        Ex a = expr(*x.args[0], scope);
        if (x.text == QLatin1String("NOT")) {
            e.cond = true;
            e.sql = QStringLiteral("(NOT %1)").arg(cond(a));
            e.agg = a.agg;
            return e;
        }
        a = value(a);
        if (x.text == QLatin1String("+")) return a;
        // The most negative whole number has no opposite: left to the engine.
        if ((a.lit == Ex::Lit::Int || a.lit == Ex::Lit::Cur) && a.iv != std::numeric_limits<long long>::min()) {
            e = a;
            e.iv = -a.iv;
            e.sql = QString::number(e.iv);
            return e;
        }
        if (a.lit == Ex::Lit::Dbl) {
            e = a;
            e.dv = -a.dv;
            e.sql = QString::number(e.dv, 'g', 17);
            return e;
        }
        e.sql = QStringLiteral("(-%1)").arg(a.sql);
        e.type = a.type == DataType::Boolean ? DataType::Long : a.type;
        e.agg = a.agg;
        return e;
    }
    case Expr::K::Binary:
        return binary(x, scope);
    case Expr::K::Func:
        return function(x, scope);
    case Expr::K::Like: {
        Ex a = expr(*x.args[0], scope);
        Ex p = expr(*x.args[1], scope);
        infer(a, DataType::Text);
        infer(p, DataType::Text);
        QString s = QStringLiteral("jet_like(%1, %2)").arg(textOf(a), textOf(p));
        if (a.baseText && p.lit == Ex::Lit::Str) {
            // A literal prefix lets the index on the column narrow the rows first.
            // The bound above is the last code point, past any letter that
            // can follow the prefix (U+FFFF would cut off those beyond it).
            const QString prefix = text::LikePattern::literalPrefix(p.sv);
            if (!prefix.isEmpty()) {
                s = QStringLiteral("(%1 >= %2 AND %1 < %3 AND %4)")
                        .arg(a.sql, quoteStr(prefix), quoteStr(prefix + QString::fromUcs4(U"\U0010FFFF")), s);
            }
        } else if (a.baseText && p.lit == Ex::Lit::None && !a.agg && !p.agg) {
            // A pattern known only when the statement runs ([CODCON] & '*'):
            // its fixed start bounds the column all the same, so a branch of
            // the chart is read through the index, not the whole table. A
            // branch is a small part of its table: told so, the planner
            // reads it through this bound rather than through another index.
            const QString pt = textOf(p);
            s = QStringLiteral("(likelihood(%1 >= jet_like_low(%2), 0.05) AND likelihood(%1 < jet_like_high(%2), 0.05) AND %3)").arg(a.sql, pt, s);
        }
        e.cond = true;
        e.sql = x.negated ? QStringLiteral("(NOT %1)").arg(s) : s;
        e.agg = a.agg || p.agg;
        return e;
    }
    case Expr::K::Between: {
        Ex a = value(expr(*x.args[0], scope)), lo = value(expr(*x.args[1], scope)), hi = value(expr(*x.args[2], scope));
        inferPair(a, lo);
        inferPair(a, hi);
        inferPair(lo, hi);
        unify(a, lo);
        unify(a, hi);
        unify(lo, hi);
        const bool text = (a.type == DataType::Text || lo.type == DataType::Text) && !a.baseText;
        e.cond = true;
        e.sql = QStringLiteral("(%1%2 %3BETWEEN %4 AND %5)")
                    .arg(a.sql, text ? QStringLiteral(" COLLATE JETTEXT") : QString(),
                         x.negated ? QStringLiteral("NOT ") : QString(), lo.sql, hi.sql);
        e.agg = a.agg || lo.agg || hi.agg;
        return e;
    }
    case Expr::K::InList: {
        Ex a = value(expr(*x.args[0], scope));
        std::vector<Ex> values;
        for (size_t i = 1; i < x.args.size(); ++i) {
            values.push_back(value(expr(*x.args[i], scope)));
            inferPair(a, values.back());
        }
        bool text = a.type == DataType::Text;
        bool money = a.type == DataType::Currency;
        for (const Ex &v : values) {
            text = text || v.type == DataType::Text;
            money = money || v.type == DataType::Currency;
        }
        // One amount in the list puts the value and every item in money
        // units, whichever item it is.
        auto asMoney = [](Ex &v) {
            if (v.type != DataType::Currency &&
                (isWhole(v.type) || v.lit == Ex::Lit::Int || v.type == DataType::Double || v.type == DataType::Single))
                v = scale(v);
        };
        if (money) asMoney(a);
        QStringList items;
        for (Ex &it : values) {
            if (money) asMoney(it);
            items << it.sql;
        }
        e.cond = true;
        e.sql = QStringLiteral("(%1%2 %3IN (%4))")
                    .arg(a.sql, text && !a.baseText ? QStringLiteral(" COLLATE JETTEXT") : QString(),
                         x.negated ? QStringLiteral("NOT ") : QString(), items.join(QStringLiteral(", ")));
        e.agg = a.agg;
        return e;
    }
    case Expr::K::InSub: {
        Ex a = value(expr(*x.args[0], scope));
        QOut q = query(*x.sub, scope, nullptr);
        if (q.cols.size() != 1) fail(x.pos, QStringLiteral("The sub-select after IN must return one column"));
        infer(a, q.cols[0].type);
        if (a.type == DataType::Currency && isWhole(q.cols[0].type)) {
            QOut scaled = query(*x.sub, scope, nullptr, {DataType::Currency});
            q.sql = scaled.sql;
        } else if (q.cols[0].type == DataType::Currency && isWhole(a.type)) {
            a = scale(a);
        }
        e.cond = true;
        e.sql = QStringLiteral("(%1%2 %3IN (%4))")
                    .arg(a.sql, a.type == DataType::Text && !a.baseText ? QStringLiteral(" COLLATE JETTEXT") : QString(),
                         x.negated ? QStringLiteral("NOT ") : QString(), q.sql);
        return e;
    }
    case Expr::K::Exists: {
        const QOut q = query(*x.sub, scope, nullptr);
        e.cond = true;
        e.sql = QStringLiteral("(EXISTS (%1))").arg(q.sql);
        return e;
    }
    case Expr::K::IsNull: {
        const Ex a = value(expr(*x.args[0], scope));
        e.cond = true;
        e.sql = QStringLiteral("(%1 IS %2NULL)").arg(a.sql, x.negated ? QStringLiteral("NOT ") : QString());
        e.agg = a.agg;
        return e;
    }
    case Expr::K::Sub: {
        const QOut q = query(*x.sub, scope, nullptr);
        if (q.cols.size() != 1) fail(x.pos, QStringLiteral("A sub-select used as a value must return one column"));
        e.sql = QStringLiteral("(%1)").arg(q.sql);
        e.type = q.cols[0].type;
        return e;
    }
    }
    fail(x.pos, QStringLiteral("Unsupported expression"));
}

Ex Emitter::compareOp(const QString &op, Ex a, Ex b) {
    a = value(a);
    b = value(b);
    inferPair(a, b);
    unify(a, b);
    Ex e;
    e.cond = true;
    e.agg = a.agg || b.agg;
    const bool text = a.type == DataType::Text || b.type == DataType::Text;
    // Texts compare by the column's JETTEXT collation; expressions that are
    // not a plain column would fall back to BINARY, so name it explicitly.
    const QString right = (text && !a.baseText && !b.baseText) ? b.sql + QStringLiteral(" COLLATE JETTEXT") : b.sql;
    e.sql = QStringLiteral("(%1 %2 %3)").arg(a.sql, op, right);
    return e;
}

Ex Emitter::binary(const Expr &x, const Scope *scope) {
    const QString &op = x.text;
    Ex a = expr(*x.args[0], scope);
    Ex b = expr(*x.args[1], scope);
    Ex e;
    e.agg = a.agg || b.agg;
    if (op == QLatin1String("AND") || op == QLatin1String("OR")) {
        e.cond = true;
        e.sql = QStringLiteral("(%1 %2 %3)").arg(cond(a), op, cond(b));
        return e;
    }
    if (op == QLatin1String("=") || op == QLatin1String("<>") || op == QLatin1String("<") ||
        op == QLatin1String(">") || op == QLatin1String("<=") || op == QLatin1String(">=")) {
        Ex c = compareOp(op, a, b);
        c.agg = e.agg;
        return c;
    }
    if (op == QLatin1String("&")) {
        // Flatten a & b & c into one call: Null only when every part is Null.
        QStringList parts;
        std::function<void(const Expr &)> collect = [&](const Expr &n) {
            if (n.k == Expr::K::Binary && n.text == QLatin1String("&")) {
                collect(*n.args[0]);
                collect(*n.args[1]);
            } else {
                Ex p = expr(n, scope);
                infer(p, DataType::Text);
                e.agg = e.agg || p.agg;
                parts << textOf(p);
            }
        };
        collect(x);
        e.sql = QStringLiteral("jet_cat(%1)").arg(parts.join(QStringLiteral(", ")));
        e.type = DataType::Text;
        return e;
    }
    a = value(a);
    b = value(b);
    if (op == QLatin1String("+") || op == QLatin1String("-")) {
        // A number of days beside a date; otherwise the other operand's type.
        infer(a, b.type == DataType::Date ? DataType::Double : b.type);
        infer(b, a.type == DataType::Date ? DataType::Double : a.type);
    } else if (op == QLatin1String("*") || op == QLatin1String("/")) {
        // A factor or divisor: any number, an amount included.
        infer(a, DataType::Double);
        infer(b, DataType::Double);
    } else {
        infer(a, DataType::Long);
        infer(b, DataType::Long);
    }
    if (op == QLatin1String("+") && a.type == DataType::Text && b.type == DataType::Text) {
        e.sql = QStringLiteral("(%1 || %2)").arg(a.sql, b.sql);
        e.type = DataType::Text;
        return e;
    }
    if ((op == QLatin1String("+") || op == QLatin1String("-")) &&
        (a.type == DataType::Date || b.type == DataType::Date)) {
        if (a.type == DataType::Date && b.type == DataType::Date && op == QLatin1String("-")) {
            e.sql = QStringLiteral("jet_datediff(%1, %2)").arg(a.sql, b.sql);
            e.type = DataType::Double;
            return e;
        }
        const Ex &d = a.type == DataType::Date ? a : b;
        const Ex n = toDouble(a.type == DataType::Date ? b : a);
        if (op == QLatin1String("-") && a.type != DataType::Date) fail(x.pos, QStringLiteral("Cannot subtract a date from a number"));
        e.sql = QStringLiteral("jet_dateadd(%1, %2%3)").arg(d.sql, op == QLatin1String("-") ? QStringLiteral("-") : QString(), n.sql);
        e.type = DataType::Date;
        return e;
    }
    const bool ca = a.type == DataType::Currency, cb = b.type == DataType::Currency;
    const bool da = a.type == DataType::Double || a.type == DataType::Single;
    const bool db = b.type == DataType::Double || b.type == DataType::Single;
    if (op == QLatin1String("+") || op == QLatin1String("-")) {
        if ((ca && db) || (cb && da)) {
            a = toDouble(a);
            b = toDouble(b);
            e.type = DataType::Double;
        } else if (ca || cb) {
            unify(a, b);
            e.type = DataType::Currency;
            // Two amounts are summed here when the sum is money; past the
            // range it is left to the statement, which checks or widens it.
            long long soma = 0;
            if (a.lit == Ex::Lit::Cur && b.lit == Ex::Lit::Cur &&
                !(op == QLatin1String("+") ? __builtin_add_overflow(a.iv, b.iv, &soma) : __builtin_sub_overflow(a.iv, b.iv, &soma)))
                return literalCur(soma);
            if (storing_) {
                checksMoney_ = true;
                e.sql = QStringLiteral("%1(%2, %3)")
                            .arg(op == QLatin1String("+") ? QStringLiteral("jet_money_add") : QStringLiteral("jet_money_sub"),
                                 a.sql, b.sql);
                return e;
            }
        } else {
            e.type = (da || db) ? DataType::Double : (a.type == DataType::Null && b.type == DataType::Null ? DataType::Null : DataType::Long);
        }
        e.sql = QStringLiteral("(%1 %2 %3)").arg(a.sql, op, b.sql);
        return e;
    }
    if (op == QLatin1String("*")) {
        if (ca && cb) {
            e.sql = QStringLiteral("CAST(round(%1 * %2 / 10000.0) AS INTEGER)").arg(a.sql, b.sql);
            e.type = DataType::Currency;
        } else if ((ca && db) || (cb && da)) {
            e.sql = QStringLiteral("(%1 * %2)").arg(toDouble(a).sql, toDouble(b).sql);
            e.type = DataType::Double;
        } else {
            // Money times a count stays money: the units are multiplied as they are.
            e.sql = QStringLiteral("(%1 * %2)").arg(a.sql, b.sql);
            e.type = (ca || cb) ? DataType::Currency
                                : ((da || db) ? DataType::Double : DataType::Long);
        }
        return e;
    }
    if (op == QLatin1String("/")) {
        if (ca && cb) e.sql = QStringLiteral("(CAST(%1 AS REAL) / %2)").arg(a.sql, b.sql);
        else e.sql = QStringLiteral("(CAST(%1 AS REAL) / %2)").arg(toDouble(a).sql, toDouble(b).sql);
        e.type = DataType::Double;
        return e;
    }
    if (op == QLatin1String("\\") || op == QLatin1String("MOD")) {
        auto whole = [](const Ex &v) {
            if (v.type == DataType::Currency) return QStringLiteral("jet_money_whole(%1)").arg(v.sql);
            if (v.type == DataType::Double || v.type == DataType::Single) return QStringLiteral("CAST(round(%1) AS INTEGER)").arg(v.sql);
            return v.sql;
        };
        e.sql = QStringLiteral("(%1 %2 %3)").arg(whole(a), op == QLatin1String("MOD") ? QStringLiteral("%") : QStringLiteral("/"), whole(b));
        e.type = DataType::Long;
        return e;
    }
    fail(x.pos, QStringLiteral("Unsupported operator '%1'").arg(op));
}

Ex Emitter::function(const Expr &x, const Scope *scope) {
    const QString f = x.text.toUpper();
    auto argc = [&](size_t lo, size_t hi) {
        if (x.star || x.args.size() < lo || x.args.size() > hi)
            fail(x.pos, QStringLiteral("Wrong number of arguments used with function '%1'").arg(x.text));
    };
    std::vector<Ex> a;
    if (!x.star)
        for (const ExprP &p : x.args) a.push_back(expr(*p, scope));
    bool anyAgg = false;
    for (const Ex &v : a) anyAgg = anyAgg || v.agg;
    Ex e;
    e.agg = anyAgg;
    if (f == QLatin1String("COUNT")) {
        if (x.star) {
            if (!x.args.empty()) fail(x.pos, QStringLiteral("Count(*) takes no other argument"));
            e.sql = QStringLiteral("count(*)");
        } else {
            argc(1, 1);
            e.sql = QStringLiteral("count(%1)").arg(value(a[0]).sql);
        }
        e.type = DataType::Long;
        e.agg = true;
        return e;
    }
    if (f == QLatin1String("SUM") || f == QLatin1String("MAX") || f == QLatin1String("MIN") || f == QLatin1String("AVG")) {
        argc(1, 1);
        Ex v = value(a[0]);
        e.agg = true;
        if (f == QLatin1String("AVG")) {
            e.sql = QStringLiteral("avg(%1)").arg(toDouble(v).sql);
            e.type = DataType::Double;
            return e;
        }
        if (f == QLatin1String("SUM")) {
            // Money sums stay exact: SQLite adds the integer units.
            e.sql = QStringLiteral("sum(%1)").arg(v.sql);
            e.type = (v.type == DataType::Boolean || v.type == DataType::Byte || v.type == DataType::Integer)
                         ? DataType::Long : v.type;
            return e;
        }
        e.sql = QStringLiteral("%1(%2)").arg(f.toLower(), collated(v));
        e.type = v.type;
        return e;
    }
    if (f == QLatin1String("IIF")) {
        argc(3, 3);
        Ex t = value(a[1]), o = value(a[2]);
        inferPair(t, o);
        textAlike(t, o);
        unify(t, o);
        e.sql = QStringLiteral("(CASE WHEN %1 THEN %2 ELSE %3 END)").arg(cond(a[0]), t.sql, o.sql);
        e.type = commonType(t.lit == Ex::Lit::Null ? DataType::Null : t.type, o.lit == Ex::Lit::Null ? DataType::Null : o.type);
        return e;
    }
    if (f == QLatin1String("NZ")) {
        argc(1, 2);
        Ex v = value(a[0]);
        Ex d = literalInt(0);
        if (a.size() > 1) d = value(a[1]);
        else if (v.type == DataType::Text) { d.sql = QStringLiteral("''"); d.type = DataType::Text; d.lit = Ex::Lit::Str; }
        textAlike(v, d);
        unify(v, d);
        e.sql = QStringLiteral("coalesce(%1, %2)").arg(v.sql, d.sql);
        e.type = commonType(v.type, d.type);
        return e;
    }
    if (f == QLatin1String("ISNULL")) {
        argc(1, 1);
        e.cond = true;
        e.sql = QStringLiteral("(%1 IS NULL)").arg(value(a[0]).sql);
        return e;
    }
    if (f == QLatin1String("ABS")) {
        argc(1, 1);
        if (a[0].cond) { // Abs of a comparison: 1 when true
            e.sql = a[0].sql;
            e.type = DataType::Long;
            return e;
        }
        const Ex v = value(a[0]);
        e.sql = QStringLiteral("abs(%1)").arg(v.sql);
        e.type = v.type == DataType::Boolean ? DataType::Long : v.type;
        return e;
    }
    if (f == QLatin1String("LEN")) {
        argc(1, 1);
        e.sql = QStringLiteral("length(%1)").arg(textOf(a[0]));
        e.type = DataType::Long;
        return e;
    }
    if (f == QLatin1String("UCASE") || f == QLatin1String("LCASE")) {
        argc(1, 1);
        e.sql = QStringLiteral("jet_%1(%2)").arg(f.toLower(), textOf(a[0]));
        e.type = DataType::Text;
        return e;
    }
    if (f == QLatin1String("TRIM") || f == QLatin1String("LTRIM") || f == QLatin1String("RTRIM")) {
        argc(1, 1);
        e.sql = QStringLiteral("%1(%2, ' ')").arg(f.toLower(), textOf(a[0]));
        e.type = DataType::Text;
        return e;
    }
    if (f == QLatin1String("LEFT") || f == QLatin1String("RIGHT")) {
        argc(2, 2);
        const QString s = textOf(a[0]), n = to(a[1], DataType::Long).sql;
        e.sql = f == QLatin1String("LEFT")
                    ? QStringLiteral("substr(%1, 1, %2)").arg(s, n)
                    : QStringLiteral("(CASE WHEN %2 <= 0 THEN '' ELSE substr(%1, -(%2)) END)").arg(s, n);
        e.type = DataType::Text;
        return e;
    }
    if (f == QLatin1String("MID")) {
        argc(2, 3);
        e.sql = a.size() == 3 ? QStringLiteral("substr(%1, %2, %3)")
                                    .arg(textOf(a[0]), to(a[1], DataType::Long).sql, to(a[2], DataType::Long).sql)
                              : QStringLiteral("substr(%1, %2)").arg(textOf(a[0]), to(a[1], DataType::Long).sql);
        e.type = DataType::Text;
        return e;
    }
    if (f == QLatin1String("INSTR")) {
        argc(2, 2);
        e.sql = QStringLiteral("instr(jet_lcase(%1), jet_lcase(%2))").arg(textOf(a[0]), textOf(a[1]));
        e.type = DataType::Long;
        return e;
    }
    if (f == QLatin1String("CSTR")) {
        argc(1, 1);
        e.sql = textOf(a[0]);
        e.type = DataType::Text;
        return e;
    }
    static const QHash<QString, QPair<int, int>> dateParts = {
        {QStringLiteral("YEAR"), {1, 4}},   {QStringLiteral("MONTH"), {6, 2}},  {QStringLiteral("DAY"), {9, 2}},
        {QStringLiteral("HOUR"), {12, 2}},  {QStringLiteral("MINUTE"), {15, 2}}, {QStringLiteral("SECOND"), {18, 2}},
    };
    if (dateParts.contains(f)) {
        argc(1, 1);
        const auto part = dateParts.value(f);
        e.sql = QStringLiteral("CAST(substr(%1, %2, %3) AS INTEGER)").arg(value(a[0]).sql).arg(part.first).arg(part.second);
        e.type = DataType::Long;
        return e;
    }
    if (f == QLatin1String("NOW") || f == QLatin1String("DATE")) {
        argc(0, 0);
        e.sql = QStringLiteral("jet_%1()").arg(f.toLower());
        e.type = DataType::Date;
        return e;
    }
    fail(x.pos, QStringLiteral("Undefined function '%1' in expression").arg(x.text));
}

} // namespace jetsql::gen
