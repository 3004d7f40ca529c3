#include "platform/jetsql/Translator.h"

#include "platform/err/AppError.h"
#include "platform/jetsql/JetText.h"
#include "platform/jetsql/Parser.h"
#include "platform/value/Currency.h"
#include "platform/value/Value.h"

#include <QSet>
#include <functional>

namespace jetsql {
namespace {

using namespace ast;
using value::DataType;
using value::isWhole;

constexpr long long kScale = value::Currency::kScale;

QString quoteId(const QString &n) {
    QString q = n;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString quoteStr(const QString &s) {
    QString q = s;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

bool same(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// An emitted expression with what the emitter knows about it.
struct Ex {
    enum class Lit { None, Null, Int, Cur, Dbl, Str, Bool, Date };
    QString sql;
    DataType type = DataType::Null;
    bool cond = false;     // an SQLite truth value (1/0/NULL), not yet a Jet Boolean (-1/0)
    bool baseText = false; // a plain column of a table, declared with the JETTEXT collation
    bool agg = false;
    Lit lit = Lit::None;
    int param = -1;        // an undeclared parameter: its place among them
    long long iv = 0;      // Int: value; Cur: units; Bool: -1/0
    double dv = 0;
    QString sv;            // Str
};

struct Col {
    QString name;
    DataType type = DataType::Null;
};

struct Source {
    QString name;     // as the statement refers to it (alias or table name)
    QString sqlAlias; // as the emitted SQL refers to it
    std::vector<Col> cols;
    bool base = false;
    QString table;    // base table's catalog name
};

struct Scope {
    std::vector<Source> sources;
    const Scope *parent = nullptr;
};

struct QOut {
    QString sql;
    std::vector<ResultColumn> cols;
};

bool isNumber(DataType t) { return value::isNumeric(t); }

class Emitter {
public:
    Emitter(const Catalog &catalog, const QString &text) : catalog_(catalog), text_(text) {}

    Translation run(const Statement &st) {
        declare(st.params, true);
        Translation t;
        switch (st.k) {
        case Statement::K::Select: {
            t.kind = StatementKind::Select;
            QOut q = query(*st.query, nullptr, nullptr);
            t.sql = q.sql;
            t.columns = q.cols;
            break;
        }
        case Statement::K::Insert: t.kind = StatementKind::Insert; t.sql = insert(st, t.targetTable); break;
        case Statement::K::Update: t.kind = StatementKind::Update; t.sql = update(st, t.targetTable); break;
        case Statement::K::Delete: t.kind = StatementKind::Delete; t.sql = del(st, t.targetTable); break;
        }
        for (const Parameter &p : declared_) t.parameters.push_back(p);
        for (const Parameter &p : undeclared_) {
            bool dup = false;
            for (const Parameter &d : declared_) dup = dup || same(d.name, p.name);
            if (!dup) t.parameters.push_back(p);
        }
        t.bindOrder = bindOrder_;
        return t;
    }

private:
    const Catalog &catalog_;
    const QString &text_;
    std::vector<Parameter> declared_, undeclared_;
    std::vector<QString> bindOrder_;
    QSet<QString> aliases_; // lower-case names already given to sources in the emitted SQL
    QStringList expanding_; // saved queries being expanded (to refuse cycles)

    [[noreturn]] void fail(int pos, const QString &what, long number = err::db::kSyntax) const {
        const QString near = text_.mid(pos, 30).simplified();
        throw err::AppError(number, QStringLiteral("jetsql"),
                            QStringLiteral("%1 at position %2 near '%3'.").arg(what).arg(pos + 1).arg(near));
    }

    // ---- parameters -------------------------------------------------------
    void declare(const std::vector<ParamDecl> &decls, bool outer) {
        for (const ParamDecl &d : decls) {
            bool known = false;
            for (const Parameter &p : declared_) known = known || same(p.name, d.name);
            if (known) {
                if (outer) fail(0, QStringLiteral("Parameter '%1' declared twice").arg(d.name));
                continue;
            }
            declared_.push_back({d.name, d.type, true});
        }
    }

    Ex param(const QString &name) {
        Ex e;
        int idx = -1;
        for (size_t i = 0; i < bindOrder_.size(); ++i)
            if (same(bindOrder_[i], name)) idx = int(i);
        if (idx < 0) {
            bindOrder_.push_back(name);
            idx = int(bindOrder_.size()) - 1;
        }
        e.sql = QStringLiteral("?%1").arg(idx + 1);
        for (const Parameter &p : declared_)
            if (same(p.name, name)) { e.type = p.type; return e; }
        for (size_t i = 0; i < undeclared_.size(); ++i)
            if (same(undeclared_[i].name, name)) e.param = int(i);
        if (e.param < 0) {
            undeclared_.push_back({name, DataType::Null, false});
            e.param = int(undeclared_.size()) - 1;
        }
        e.type = undeclared_[size_t(e.param)].bindAs;
        return e;
    }

    // An undeclared parameter takes the type of what it meets (the first
    // such use decides for all of them).
    void infer(Ex &p, DataType t) {
        if (p.param < 0 || p.type != DataType::Null || t == DataType::Null) return;
        Parameter &u = undeclared_[size_t(p.param)];
        if (u.bindAs == DataType::Null) u.bindAs = t;
        p.type = u.bindAs;
    }
    void inferPair(Ex &a, Ex &b) {
        infer(a, b.type);
        infer(b, a.type);
    }
    Ex to(Ex e, DataType target) {
        infer(e, target);
        return convertTo(e, target);
    }

    QString uniqueAlias(const QString &base) {
        QString a = base;
        for (int n = 2; aliases_.contains(a.toLower()); ++n) a = base + QStringLiteral("_%1").arg(n);
        aliases_.insert(a.toLower());
        return a;
    }

    // ---- value shapes ------------------------------------------------------
    static Ex value(Ex e) {
        if (!e.cond) return e;
        e.sql = QStringLiteral("(-(%1))").arg(e.sql);
        e.cond = false;
        e.type = DataType::Boolean;
        e.lit = Ex::Lit::None;
        return e;
    }

    static QString cond(const Ex &e) {
        if (e.cond) return e.sql;
        if (e.lit == Ex::Lit::Bool) return e.iv ? QStringLiteral("1") : QStringLiteral("0");
        return QStringLiteral("(%1 <> 0)").arg(e.sql);
    }

    static Ex literalInt(long long v) {
        Ex e;
        e.lit = Ex::Lit::Int;
        e.iv = v;
        e.type = DataType::Long;
        e.sql = QString::number(v);
        return e;
    }
    static Ex literalCur(long long units) {
        Ex e;
        e.lit = Ex::Lit::Cur;
        e.iv = units;
        e.type = DataType::Currency;
        e.sql = QString::number(units);
        return e;
    }

    // A whole or Boolean number in money units.
    static Ex scale(Ex e) {
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

    static Ex toDouble(Ex e) {
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
    static QString textOf(const Ex &in) {
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
    static void textAlike(Ex &a, Ex &b) {
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
    static void unify(Ex &a, Ex &b) {
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

    static DataType commonType(DataType a, DataType b) {
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
    static Ex convertTo(Ex e, DataType target) {
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

    static QString collated(const Ex &e) {
        if (e.type == DataType::Text && !e.baseText) return QStringLiteral("%1 COLLATE JETTEXT").arg(e.sql);
        return e.sql;
    }

    // ---- expressions -------------------------------------------------------
    Ex resolveName(const Expr &x, const Scope *scope) {
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
            if (found > 1) fail(x.pos, QStringLiteral("The field '%1' could refer to more than one table").arg(x.text), 3079);
            if (found == 1) return hit;
        }
        return param(x.qual.isEmpty() ? x.text : x.qual + QLatin1Char('.') + x.text);
    }

    Ex expr(const Expr &x, const Scope *scope) {
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
            if (a.lit == Ex::Lit::Int || a.lit == Ex::Lit::Cur) {
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
                // the chart is read through the index, not the whole table.
                const QString pt = textOf(p);
                s = QStringLiteral("(likelihood(%1 >= jet_like_low(%2), 0.9) AND likelihood(%1 < jet_like_high(%2), 0.9) AND %3)").arg(a.sql, pt, s);
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

    Ex compareOp(const QString &op, Ex a, Ex b) {
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

    Ex binary(const Expr &x, const Scope *scope) {
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
                if (a.lit == Ex::Lit::Cur && b.lit == Ex::Lit::Cur)
                    return literalCur(op == QLatin1String("+") ? a.iv + b.iv : a.iv - b.iv);
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

    Ex function(const Expr &x, const Scope *scope) {
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

    // ---- FROM ----------------------------------------------------------------
    QString tableSql(const TableRef &t, const Scope *outer, Scope &scope) {
        switch (t.k) {
        case TableRef::K::Named: {
            Source src;
            src.name = t.alias.isEmpty() ? t.name : t.alias;
            if (const TableDef *def = catalog_.table(t.name)) {
                src.base = true;
                src.table = def->name;
                for (const ColumnDef &c : def->columns) src.cols.push_back({c.name, c.type});
                src.sqlAlias = uniqueAlias(src.name);
                scope.sources.push_back(src);
                return quoteId(def->name) + QStringLiteral(" AS ") + quoteId(src.sqlAlias);
            }
            const QOut q = savedQuery(t.name, t.pos);
            for (const ResultColumn &c : q.cols) src.cols.push_back({c.name, c.type});
            src.sqlAlias = uniqueAlias(src.name);
            scope.sources.push_back(src);
            return QStringLiteral("(%1) AS %2").arg(q.sql, quoteId(src.sqlAlias));
        }
        case TableRef::K::Derived: {
            const QOut q = query(*t.sub, outer, nullptr);
            Source src;
            // Without an alias no qualifier names it (an empty name matches
            // none); SQLite still gets a name of its own.
            src.name = t.alias;
            for (const ResultColumn &c : q.cols) src.cols.push_back({c.name, c.type});
            src.sqlAlias = uniqueAlias(t.alias.isEmpty() ? QStringLiteral("Derivada") : src.name);
            scope.sources.push_back(src);
            return QStringLiteral("(%1) AS %2").arg(q.sql, quoteId(src.sqlAlias));
        }
        case TableRef::K::Join: {
            const QString l = tableSql(*t.left, outer, scope);
            const bool nested = t.right->k == TableRef::K::Join;
            const QString r = tableSql(*t.right, outer, scope);
            // ON may name any table of the join, so it is resolved after both sides.
            const Ex on = expr(*t.on, &scope);
            return QStringLiteral("%1 %2 JOIN %3 ON %4")
                .arg(l, t.join == QLatin1String("LEFT") ? QStringLiteral("LEFT") : QStringLiteral("INNER"),
                     nested ? QStringLiteral("(%1)").arg(r) : r, cond(on));
        }
        }
        return {};
    }

    QOut savedQuery(const QString &name, int pos) {
        const auto text = catalog_.savedQuery(name);
        if (!text) fail(pos, QStringLiteral("The database engine cannot find the input table or query '%1'").arg(name), err::db::kUnknownTable);
        for (const QString &n : expanding_)
            if (same(n, name)) fail(pos, QStringLiteral("Query '%1' refers to itself").arg(name));
        Statement inner;
        try {
            inner = ast::parse(*text);
        } catch (const err::AppError &e) {
            throw err::AppError(e.number(), e.source(), QStringLiteral("In saved query '%1': %2").arg(name, e.description()));
        }
        if (inner.k != Statement::K::Select) fail(pos, QStringLiteral("Saved query '%1' is not a SELECT").arg(name));
        // The inner query's parameters are the outer statement's parameters of the same name.
        declare(inner.params, false);
        expanding_.push_back(name);
        QOut q = query(*inner.query, nullptr, nullptr);
        expanding_.pop_back();
        return q;
    }

    // ---- SELECT ----------------------------------------------------------------
    QOut query(const Query &q, const Scope *outer, const std::vector<DataType> *targets,
               std::vector<DataType> forced = {}) {
        if (!forced.empty()) targets = &forced;
        if (q.members.size() == 1 && q.members[0].sel) return select(*q.members[0].sel, outer, targets);
        if (q.members.size() == 1) {
            QOut inner = query(*q.members[0].paren, outer, targets);
            if (q.orderBy.empty()) return inner;
            return QOut{QStringLiteral("SELECT * FROM (%1)%2").arg(inner.sql, compoundOrder(q, inner.cols)), inner.cols};
        }
        // Members of a union: first learn every member's column types, then
        // emit them again converted to the common type (money scaled alike).
        std::vector<DataType> common;
        std::vector<ResultColumn> cols;
        if (targets) {
            common = *targets;
        } else {
            const QSet<QString> saved = aliases_;
            for (size_t i = 0; i < q.members.size(); ++i) {
                const QOut m = member(q.members[i], outer, nullptr);
                if (i == 0) {
                    for (const ResultColumn &c : m.cols) common.push_back(c.type);
                } else {
                    if (m.cols.size() != common.size())
                        fail(q.pos, QStringLiteral("The number of columns in the two selected tables or queries of a union query do not match"));
                    for (size_t c = 0; c < common.size(); ++c) common[c] = commonType(common[c], m.cols[c].type);
                }
            }
            aliases_ = saved;
        }
        QString sql;
        for (size_t i = 0; i < q.members.size(); ++i) {
            const QOut m = member(q.members[i], outer, &common);
            if (i == 0) {
                cols = m.cols;
                for (size_t c = 0; c < cols.size() && c < common.size(); ++c) cols[c].type = common[c];
            } else {
                sql += q.unionAll[i - 1] ? QStringLiteral(" UNION ALL ") : QStringLiteral(" UNION ");
            }
            sql += m.sql;
        }
        sql += compoundOrder(q, cols);
        return QOut{sql, cols};
    }

    QOut member(const Query::Member &m, const Scope *outer, const std::vector<DataType> *targets) {
        if (m.sel) {
            if (!m.sel->orderBy.empty() || m.sel->top) {
                QOut o = select(*m.sel, outer, targets);
                o.sql = QStringLiteral("SELECT * FROM (%1)").arg(o.sql);
                return o;
            }
            return select(*m.sel, outer, targets);
        }
        // SQLite takes no parentheses or ORDER BY on a union member: wrap it.
        QOut o = query(*m.paren, outer, targets);
        o.sql = QStringLiteral("SELECT * FROM (%1)").arg(o.sql);
        return o;
    }

    QString compoundOrder(const Query &q, const std::vector<ResultColumn> &cols) {
        if (q.orderBy.empty()) return {};
        QStringList terms;
        for (const OrderItem &o : q.orderBy) {
            int position = -1;
            if (o.e->k == Expr::K::Int) {
                position = o.e->text.toInt();
            } else if (o.e->k == Expr::K::Name) {
                for (size_t i = 0; i < cols.size(); ++i)
                    if (same(cols[i].name, o.e->text)) { position = int(i) + 1; break; }
            }
            if (position < 1 || position > int(cols.size()))
                fail(o.e->pos, QStringLiteral("ORDER BY of a union must name one of its columns"));
            terms << QString::number(position) + (o.desc ? QStringLiteral(" DESC") : QString());
        }
        return QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
    }

    // "SELECT Max(c) ... FROM T WHERE w" with nothing but Max/Min of plain
    // columns in its list reads every row that w selects; written as a sorted
    // scalar sub-select per aggregate, the engine seeks the index instead.
    // Same result: one row, the greatest (least) non-Null value or Null.
    static bool minMaxOnly(const Expr &x, bool inside, int &found) {
        if (x.k == Expr::K::Func) {
            const QString f = x.text.toUpper();
            if (f == QLatin1String("MAX") || f == QLatin1String("MIN")) {
                if (inside || x.star || x.args.size() != 1 || x.args[0]->k != Expr::K::Name) return false;
                ++found;
                return true;
            }
            if (f == QLatin1String("COUNT") || f == QLatin1String("SUM") || f == QLatin1String("AVG")) return false;
        }
        if (x.k == Expr::K::Name || x.k == Expr::K::Sub || x.k == Expr::K::Exists || x.k == Expr::K::InSub) return false;
        for (const ExprP &a : x.args)
            if (!minMaxOnly(*a, inside, found)) return false;
        return true;
    }
    static ExprP seekMinMax(const ExprP &x, const Select &s) {
        if (x->k == Expr::K::Func) {
            const QString f = x->text.toUpper();
            if (f == QLatin1String("MAX") || f == QLatin1String("MIN")) {
                auto inner = std::make_shared<Select>();
                inner->items.push_back(SelItem{x->args[0], QString(), false, QString(), x->pos});
                inner->from = s.from;
                auto notNull = std::make_shared<Expr>();
                notNull->k = Expr::K::IsNull;
                notNull->negated = true;
                notNull->args = {x->args[0]};
                if (s.where) {
                    auto both = std::make_shared<Expr>();
                    both->k = Expr::K::Binary;
                    both->text = QStringLiteral("AND");
                    both->args = {s.where, notNull};
                    inner->where = both;
                } else {
                    inner->where = notNull;
                }
                inner->orderBy.push_back(OrderItem{x->args[0], f == QLatin1String("MAX")});
                inner->top = 1;
                inner->pos = s.pos;
                auto q = std::make_shared<Query>();
                q->members.push_back(Query::Member{inner, nullptr});
                q->pos = s.pos;
                auto sub = std::make_shared<Expr>();
                sub->k = Expr::K::Sub;
                sub->pos = x->pos;
                sub->sub = q;
                return sub;
            }
        }
        if (x->args.empty()) return x;
        auto copy = std::make_shared<Expr>(*x);
        for (ExprP &a : copy->args) a = seekMinMax(a, s);
        return copy;
    }
    std::optional<Select> asSeeks(const Select &s) const {
        if (s.distinct || s.top || !s.groupBy.empty() || s.having || !s.orderBy.empty() || s.from.size() != 1 ||
            s.from[0]->k != TableRef::K::Named || !catalog_.table(s.from[0]->name) || s.items.empty())
            return std::nullopt;
        int found = 0;
        for (const SelItem &it : s.items)
            if (it.star || !minMaxOnly(*it.e, false, found)) return std::nullopt;
        if (found == 0) return std::nullopt;
        Select out;
        out.pos = s.pos;
        int exprNo = 1000;
        for (const SelItem &it : s.items) {
            SelItem r = it;
            r.e = seekMinMax(it.e, s);
            // The column keeps the name the aggregate would have had.
            if (r.alias.isEmpty()) r.alias = QStringLiteral("Expr%1").arg(exprNo++);
            out.items.push_back(r);
        }
        return out;
    }

    QOut select(const Select &s, const Scope *outer, const std::vector<DataType> *targets) {
        if (auto seeks = asSeeks(s)) return select(*seeks, outer, targets);
        Scope scope;
        scope.parent = outer;
        QStringList from;
        for (const TableRefP &t : s.from) from << tableSql(*t, outer, scope);

        struct Item {
            Ex e;
            QString name;
        };
        std::vector<Item> items;
        int exprNo = 1000;
        for (const SelItem &it : s.items) {
            if (it.star) {
                bool any = false;
                for (const Source &src : scope.sources) {
                    if (!it.starQual.isEmpty() && !same(src.name, it.starQual)) continue;
                    any = true;
                    for (const Col &c : src.cols) {
                        Ex e;
                        e.sql = quoteId(src.sqlAlias) + QLatin1Char('.') + quoteId(c.name);
                        e.type = c.type;
                        e.baseText = src.base && c.type == DataType::Text;
                        QString name = c.name;
                        for (const Item &prev : items)
                            if (same(prev.name, name)) { name = src.name + QLatin1Char('.') + c.name; break; }
                        items.push_back({e, name});
                    }
                }
                if (!any) fail(it.pos, QStringLiteral("Unknown table '%1' in the select list").arg(it.starQual));
                continue;
            }
            Ex e = value(expr(*it.e, &scope));
            QString name = it.alias;
            if (name.isEmpty() && it.e->k == Expr::K::Name && !e.sql.startsWith(QLatin1Char('?'))) name = it.e->text;
            if (name.isEmpty()) name = QStringLiteral("Expr%1").arg(exprNo++);
            // A bare column keeps its catalog spelling.
            if (it.alias.isEmpty() && it.e->k == Expr::K::Name) {
                const int dot = int(e.sql.lastIndexOf(QStringLiteral(".\"")));
                if (dot > 0) name = e.sql.mid(dot + 2, e.sql.size() - dot - 3).replace(QStringLiteral("\"\""), QStringLiteral("\""));
            }
            items.push_back({e, name});
        }
        if (targets && targets->size() != items.size())
            fail(s.pos, QStringLiteral("The number of query values and destination fields are not the same"));

        QStringList sel;
        std::vector<ResultColumn> cols;
        for (size_t i = 0; i < items.size(); ++i) {
            Ex e = items[i].e;
            if (targets) e = to(e, (*targets)[i]);
            // Text that is not a plain column gets the collation explicitly, so
            // DISTINCT, UNION and outer comparisons treat it like the columns.
            QString sql = e.sql;
            if (e.type == DataType::Text && !e.baseText) sql = QStringLiteral("(%1) COLLATE JETTEXT").arg(sql);
            sel << sql + QStringLiteral(" AS ") + quoteId(items[i].name);
            cols.push_back({items[i].name, e.lit == Ex::Lit::Null ? DataType::Null : e.type});
        }

        QString sql = QStringLiteral("SELECT ");
        if (s.distinct) sql += QStringLiteral("DISTINCT ");
        sql += sel.join(QStringLiteral(", "));
        if (!from.isEmpty()) sql += QStringLiteral(" FROM ") + from.join(QStringLiteral(", "));
        if (s.where) sql += QStringLiteral(" WHERE ") + cond(expr(*s.where, &scope));
        if (!s.groupBy.empty()) {
            QStringList g;
            for (const ExprP &x : s.groupBy) g << collated(value(expr(*x, &scope)));
            sql += QStringLiteral(" GROUP BY ") + g.join(QStringLiteral(", "));
        }
        if (s.having) sql += QStringLiteral(" HAVING ") + cond(expr(*s.having, &scope));
        if (!s.orderBy.empty()) {
            QStringList o;
            for (const OrderItem &oi : s.orderBy) {
                QString term;
                if (oi.e->k == Expr::K::Int) {
                    const int n = oi.e->text.toInt();
                    if (n < 1 || n > int(items.size())) fail(oi.e->pos, QStringLiteral("ORDER BY position out of range"));
                    term = QString::number(n);
                } else {
                    bool isColumn = false;
                    if (oi.e->k == Expr::K::Name && oi.e->qual.isEmpty()) {
                        for (const Source &src : scope.sources)
                            for (const Col &c : src.cols) isColumn = isColumn || same(c.name, oi.e->text);
                        if (!isColumn) {
                            for (size_t i = 0; i < items.size(); ++i)
                                if (same(items[i].name, oi.e->text)) { term = QString::number(i + 1); break; }
                        }
                    }
                    if (term.isEmpty()) term = collated(value(expr(*oi.e, &scope)));
                }
                o << term + (oi.desc ? QStringLiteral(" DESC") : QString());
            }
            sql += QStringLiteral(" ORDER BY ") + o.join(QStringLiteral(", "));
        }
        if (s.top) sql += QStringLiteral(" LIMIT %1").arg(*s.top);
        return QOut{sql, cols};
    }

    // ---- INSERT / UPDATE / DELETE ---------------------------------------------
    const TableDef &targetTable(const QString &name, int pos) {
        const TableDef *def = catalog_.table(name);
        if (!def) {
            if (catalog_.savedQuery(name)) fail(pos, QStringLiteral("Operation must use an updateable query"), 3073);
            fail(pos, QStringLiteral("Could not find output table '%1'").arg(name), err::db::kUnknownTable);
        }
        return *def;
    }

    static const ColumnDef *column(const TableDef &def, const QString &name) {
        for (const ColumnDef &c : def.columns)
            if (same(c.name, name)) return &c;
        return nullptr;
    }

    QString insert(const Statement &st, QString &target) {
        const TableDef &def = targetTable(st.table, st.tablePos);
        target = def.name;
        aliases_.insert(def.name.toLower());
        std::vector<const ColumnDef *> cols;
        for (const auto &[n, pos] : st.insertCols) {
            const ColumnDef *c = column(def, n);
            if (!c) fail(pos, QStringLiteral("The INSERT INTO statement contains the following unknown field name: '%1'").arg(n), 3127);
            cols.push_back(c);
        }
        if (!st.values.empty()) {
            if (cols.empty())
                for (const ColumnDef &c : def.columns) cols.push_back(&c);
            if (cols.size() != st.values.size())
                fail(st.tablePos, QStringLiteral("The number of query values and destination fields are not the same"));
            Scope none;
            QStringList vals, names;
            for (size_t i = 0; i < cols.size(); ++i) {
                names << quoteId(cols[i]->name);
                vals << to(expr(*st.values[i], &none), cols[i]->type).sql;
            }
            return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoteId(def.name), names.join(QStringLiteral(", ")), vals.join(QStringLiteral(", ")));
        }
        if (cols.empty()) {
            // Without a column list Jet fills the columns by the names of the
            // selected values, not by their order.
            const QSet<QString> saved = aliases_;
            const QOut probe = query(*st.query, nullptr, nullptr);
            aliases_ = saved;
            for (const ResultColumn &rc : probe.cols) {
                const ColumnDef *c = column(def, rc.name);
                if (!c) fail(st.query->pos, QStringLiteral("The INSERT INTO statement contains the following unknown field name: '%1'").arg(rc.name), 3127);
                cols.push_back(c);
            }
        }
        std::vector<DataType> types;
        QStringList names;
        for (const ColumnDef *c : cols) {
            types.push_back(c->type);
            names << quoteId(c->name);
        }
        const QOut q = query(*st.query, nullptr, &types);
        return QStringLiteral("INSERT INTO %1 (%2) %3").arg(quoteId(def.name), names.join(QStringLiteral(", ")), q.sql);
    }

    // The written table of an UPDATE/DELETE: the only table, or the one named.
    const Source &writtenSource(const Scope &scope, const QString &qual, int pos) {
        if (qual.isEmpty()) {
            if (scope.sources.size() == 1 && scope.sources[0].base) return scope.sources[0];
            fail(pos, QStringLiteral("Specify the table containing the records you want to change"));
        }
        for (const Source &s : scope.sources)
            if (same(s.name, qual)) {
                if (!s.base) fail(pos, QStringLiteral("Operation must use an updateable query"), 3073);
                return s;
            }
        fail(pos, QStringLiteral("Unknown table '%1'").arg(qual));
    }

    QString update(const Statement &st, QString &target) {
        const bool simple = st.target->k == TableRef::K::Named;
        if (simple) {
            const TableDef &def = targetTable(st.target->name, st.target->pos);
            // SQLite has no alias on UPDATE: the table's own name stands for it.
            aliases_.insert(def.name.toLower());
            Scope scope;
            Source src;
            src.name = st.target->alias.isEmpty() ? st.target->name : st.target->alias;
            src.sqlAlias = def.name;
            src.base = true;
            src.table = def.name;
            for (const ColumnDef &c : def.columns) src.cols.push_back({c.name, c.type});
            scope.sources.push_back(src);
            target = def.name;
            QStringList sets;
            for (const auto &[t, v] : st.sets) {
                const ColumnDef *c = setTarget(def, scope, *t);
                sets << quoteId(c->name) + QStringLiteral(" = ") + to(expr(*v, &scope), c->type).sql;
            }
            QString sql = QStringLiteral("UPDATE %1 SET %2").arg(quoteId(def.name), sets.join(QStringLiteral(", ")));
            if (st.where) sql += QStringLiteral(" WHERE ") + cond(expr(*st.where, &scope));
            return sql;
        }
        // UPDATE ... INNER JOIN ... SET: only the rows the join yields change;
        // each new value comes from the joined row (a correlated sub-select).
        Scope scope;
        QString qual;
        for (const auto &[t, v] : st.sets) {
            (void)v;
            if (!t->qual.isEmpty()) { qual = t->qual; break; }
        }
        reserveTableNames(*st.target);
        const QString from = tableSql(*st.target, nullptr, scope);
        const Source *written = nullptr;
        if (!qual.isEmpty()) {
            written = &writtenSource(scope, qual, st.target->pos);
        } else {
            // Unqualified targets: the one table that has all of them.
            for (const Source &s : scope.sources) {
                if (!s.base) continue;
                bool all = true;
                for (const auto &[t, v] : st.sets) {
                    (void)v;
                    bool has = false;
                    for (const Col &c : s.cols) has = has || same(c.name, t->text);
                    all = all && has;
                }
                if (all) {
                    if (written) fail(st.target->pos, QStringLiteral("Specify the table containing the records you want to change"));
                    written = &s;
                }
            }
            if (!written) fail(st.target->pos, QStringLiteral("Unknown field in SET"));
        }
        const TableDef &def = targetTable(written->table, st.target->pos);
        target = def.name;
        const QString where = st.where ? cond(expr(*st.where, &scope)) : QString();
        const QString rowMatch = QStringLiteral("%1.rowid = %2.rowid").arg(quoteId(written->sqlAlias), quoteId(def.name));
        QStringList sets;
        for (const auto &[t, v] : st.sets) {
            const ColumnDef *c = setTarget(def, scope, *t, written);
            const Ex val = to(expr(*v, &scope), c->type);
            sets << QStringLiteral("%1 = (SELECT %2 FROM %3 WHERE %4%5 LIMIT 1)")
                        .arg(quoteId(c->name), val.sql, from, rowMatch,
                             where.isEmpty() ? QString() : QStringLiteral(" AND ") + where);
        }
        return QStringLiteral("UPDATE %1 SET %2 WHERE rowid IN (SELECT %3.rowid FROM %4%5)")
            .arg(quoteId(def.name), sets.join(QStringLiteral(", ")), quoteId(written->sqlAlias), from,
                 where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
    }

    // The written table's own name must stay free for the outer statement.
    void reserveTableNames(const TableRef &t) {
        if (t.k == TableRef::K::Named) {
            if (const TableDef *d = catalog_.table(t.name)) aliases_.insert(d->name.toLower());
        } else if (t.k == TableRef::K::Join) {
            reserveTableNames(*t.left);
            reserveTableNames(*t.right);
        }
    }

    const ColumnDef *setTarget(const TableDef &def, const Scope &scope, const Expr &t, const Source *written = nullptr) {
        if (!t.qual.isEmpty()) {
            bool ok = false;
            for (const Source &s : scope.sources)
                if (same(s.name, t.qual) && (!written || &s == written)) ok = true;
            if (!ok) fail(t.pos, QStringLiteral("Only the columns of the updated table can be set"));
        }
        const ColumnDef *c = column(def, t.text);
        if (!c) fail(t.pos, QStringLiteral("Unknown field '%1' in SET").arg(t.text), 3127);
        return c;
    }

    QString del(const Statement &st, QString &target) {
        if (st.target->k == TableRef::K::Named) {
            const TableDef &def = targetTable(st.target->name, st.target->pos);
            if (!st.deleteQual.isEmpty() && !same(st.deleteQual, st.target->name) && !same(st.deleteQual, st.target->alias))
                fail(st.target->pos, QStringLiteral("Unknown table '%1'").arg(st.deleteQual));
            aliases_.insert(def.name.toLower());
            Scope scope;
            Source src;
            src.name = st.target->alias.isEmpty() ? st.target->name : st.target->alias;
            src.sqlAlias = def.name;
            src.base = true;
            src.table = def.name;
            for (const ColumnDef &c : def.columns) src.cols.push_back({c.name, c.type});
            scope.sources.push_back(src);
            target = def.name;
            QString sql = QStringLiteral("DELETE FROM %1").arg(quoteId(def.name));
            if (st.where) sql += QStringLiteral(" WHERE ") + cond(expr(*st.where, &scope));
            return sql;
        }
        Scope scope;
        reserveTableNames(*st.target);
        const QString from = tableSql(*st.target, nullptr, scope);
        const Source &written = writtenSource(scope, st.deleteQual, st.target->pos);
        const TableDef &def = targetTable(written.table, st.target->pos);
        target = def.name;
        QString sub = QStringLiteral("SELECT %1.rowid FROM %2").arg(quoteId(written.sqlAlias), from);
        if (st.where) sub += QStringLiteral(" WHERE ") + cond(expr(*st.where, &scope));
        return QStringLiteral("DELETE FROM %1 WHERE rowid IN (%2)").arg(quoteId(def.name), sub);
    }
};

} // namespace

Translator::Translator(const Catalog &catalog) : catalog_(catalog) {}
Translator::~Translator() = default;

std::shared_ptr<const Translation> Translator::translate(const QString &jetText) {
    if (auto it = cache_.constFind(jetText); it != cache_.constEnd()) return it.value();
    const Statement st = ast::parse(jetText);
    Emitter em(catalog_, jetText);
    auto t = std::make_shared<const Translation>(em.run(st));
    cache_.insert(jetText, t);
    return t;
}

void Translator::clearCache() { cache_.clear(); }

} // namespace jetsql
