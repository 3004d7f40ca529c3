#include "platform/jetsql/Emitter.h"

namespace jetsql::gen {

// ---- SELECT ----------------------------------------------------------------

QOut Emitter::query(const Query &q, const Scope *outer, const std::vector<DataType> *targets,
                    std::vector<DataType> forced) {
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

QOut Emitter::member(const Query::Member &m, const Scope *outer, const std::vector<DataType> *targets) {
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

QString Emitter::compoundOrder(const Query &q, const std::vector<ResultColumn> &cols) {
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
bool Emitter::minMaxOnly(const Expr &x, bool inside, int &found) {
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

ExprP Emitter::seekMinMax(const ExprP &x, const Select &s) {
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

std::optional<Select> Emitter::asSeeks(const Select &s) const {
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

QOut Emitter::select(const Select &s, const Scope *outer, const std::vector<DataType> *targets) {
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

} // namespace jetsql::gen
