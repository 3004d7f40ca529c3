#include "platform/jetsql/Emitter.h"

#include <algorithm>

namespace jetsql::gen {

// ---- INSERT / UPDATE / DELETE ---------------------------------------------

const TableDef &Emitter::targetTable(const QString &name, int pos) {
    const TableDef *def = catalog_.table(name);
    if (!def) {
        if (catalog_.savedQuery(name)) fail(pos, QStringLiteral("Operation must use an updateable query"), err::db::kNotUpdatableQuery);
        fail(pos, QStringLiteral("Could not find output table '%1'").arg(name), err::db::kUnknownTable);
    }
    return *def;
}

const ColumnDef *Emitter::column(const TableDef &def, const QString &name) {
    for (const ColumnDef &c : def.columns)
        if (same(c.name, name)) return &c;
    return nullptr;
}

QString Emitter::insert(const Statement &st, QString &target) {
    const TableDef &def = targetTable(st.table, st.tablePos);
    target = def.name;
    aliases_.insert(def.name.toLower());
    std::vector<const ColumnDef *> cols;
    for (const auto &[n, pos] : st.insertCols) {
        const ColumnDef *c = column(def, n);
        if (!c) fail(pos, QStringLiteral("The INSERT INTO statement contains the following unknown field name: '%1'").arg(n), err::db::kUnknownInsertField);
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
        if (const int k = rowOrderIndex(def, cols); k >= 0) {
            names << QStringLiteral("rowid");
            vals << rowKey(def, vals[k]);
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
            if (!c) fail(st.query->pos, QStringLiteral("The INSERT INTO statement contains the following unknown field name: '%1'").arg(rc.name), err::db::kUnknownInsertField);
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
    if (const int k = rowOrderIndex(def, cols); k >= 0) {
        // The selected rows are named column by column so that the row's
        // place can be computed from the ordering column among them.
        QStringList inner;
        for (size_t i = 0; i < cols.size(); ++i) inner << QStringLiteral("c%1").arg(i);
        return QStringLiteral("WITH \"__linhas\"(%1) AS (%2) INSERT INTO %3 (%4, rowid) SELECT %1, %5 FROM \"__linhas\"")
            .arg(inner.join(QStringLiteral(", ")), q.sql, quoteId(def.name), names.join(QStringLiteral(", ")),
                 rowKey(def, QStringLiteral("c%1").arg(k)));
    }
    return QStringLiteral("INSERT INTO %1 (%2) %3").arg(quoteId(def.name), names.join(QStringLiteral(", ")), q.sql);
}

// Rows of a clustered table: a key of as many digits as its column holds is
// the row's rowid, so rowids follow the keys' order; any other key goes after
// every such rowid.
static int rowOrderSize(const TableDef &def) {
    for (const ColumnDef &c : def.columns)
        if (same(c.name, def.rowOrder)) return std::clamp(c.size, 1, 18);
    return 18;
}

static QString largestKey(const TableDef &def) { return QString(rowOrderSize(def), QLatin1Char('9')); }

QString Emitter::rowKey(const TableDef &def, const QString &key) {
    return QStringLiteral("coalesce(jet_rowkey(%1, %2), max(%3 + 1, coalesce((SELECT max(rowid) FROM %4), 0) + 1))")
        .arg(key)
        .arg(rowOrderSize(def))
        .arg(largestKey(def), quoteId(def.name));
}

// "key > x" (or >=) among the WHERE's conditions of a clustered table, with x
// known before the statement runs: the same rows lie past x's rowid, so the
// table is read from there instead of through the key's index.
QString Emitter::rowOrderRange(const TableDef &def, const Expr &where, Scope &scope) {
    if (def.rowOrder.isEmpty()) return {};
    if (where.k == Expr::K::Binary && where.text == QLatin1String("AND")) {
        const QString l = rowOrderRange(def, *where.args[0], scope);
        return l.isEmpty() ? rowOrderRange(def, *where.args[1], scope) : l;
    }
    if (where.k != Expr::K::Binary || (where.text != QLatin1String(">") && where.text != QLatin1String(">=")))
        return {};
    const Expr &col = *where.args[0], &bound = *where.args[1];
    if (col.k != Expr::K::Name || !same(col.text, def.rowOrder)) return {};
    const bool known = bound.k == Expr::K::Str || (bound.k == Expr::K::Name && !column(def, bound.text));
    if (!known) return {};
    const QString x = to(expr(bound, &scope), DataType::Text).sql;
    return QStringLiteral("rowid %1 min(coalesce(jet_rowkey(%2, %3), -1), %4)")
        .arg(where.text, x)
        .arg(rowOrderSize(def))
        .arg(largestKey(def));
}

// The place of the column that also orders the table's rows on disk among
// the columns written, or -1.
int Emitter::rowOrderIndex(const TableDef &def, const std::vector<const ColumnDef *> &cols) {
    if (def.rowOrder.isEmpty()) return -1;
    for (size_t i = 0; i < cols.size(); ++i)
        if (same(cols[i]->name, def.rowOrder)) return int(i);
    return -1;
}

// The written table of an UPDATE/DELETE: the only table, or the one named.
const Source &Emitter::writtenSource(const Scope &scope, const QString &qual, int pos) {
    if (qual.isEmpty()) {
        if (scope.sources.size() == 1 && scope.sources[0].base) return scope.sources[0];
        fail(pos, QStringLiteral("Specify the table containing the records you want to change"));
    }
    for (const Source &s : scope.sources)
        if (same(s.name, qual)) {
            if (!s.base) fail(pos, QStringLiteral("Operation must use an updateable query"), err::db::kNotUpdatableQuery);
            return s;
        }
    fail(pos, QStringLiteral("Unknown table '%1'").arg(qual));
}

// The one table an UPDATE or DELETE writes, as its conditions name it. SQLite
// has no alias there: the table's own name stands for it.
Source Emitter::writtenTable(const TableDef &def, const TableRef &ref) {
    Source src;
    src.name = ref.alias.isEmpty() ? ref.name : ref.alias;
    src.sqlAlias = def.name;
    src.base = true;
    src.table = def.name;
    for (const ColumnDef &c : def.columns) src.cols.push_back({c.name, c.type});
    return src;
}

QString Emitter::update(const Statement &st, QString &target) {
    const bool simple = st.target->k == TableRef::K::Named;
    if (simple) {
        const TableDef &def = targetTable(st.target->name, st.target->pos);
        // SQLite has no alias on UPDATE: the table's own name stands for it.
        aliases_.insert(def.name.toLower());
        Scope scope;
        scope.sources.push_back(writtenTable(def, *st.target));
        target = def.name;
        QStringList sets;
        for (const auto &[t, v] : st.sets) {
            const ColumnDef *c = setTarget(def, scope, *t);
            storing_ = true;
            const Ex val = expr(*v, &scope);
            storing_ = false;
            sets << quoteId(c->name) + QStringLiteral(" = ") + to(val, c->type).sql;
        }
        QString sql = QStringLiteral("UPDATE %1 SET %2").arg(quoteId(def.name), sets.join(QStringLiteral(", ")));
        if (st.where) {
            sql += QStringLiteral(" WHERE ") + cond(expr(*st.where, &scope));
            const QString range = rowOrderRange(def, *st.where, scope);
            if (!range.isEmpty()) {
                // The rows are read in place, from the range's start on.
                sql.replace(0, QStringLiteral("UPDATE %1 ").arg(quoteId(def.name)).size(),
                            QStringLiteral("UPDATE %1 NOT INDEXED ").arg(quoteId(def.name)));
                sql += QStringLiteral(" AND ") + range;
            }
        }
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
        storing_ = true;
        const Ex raw = expr(*v, &scope);
        storing_ = false;
        const Ex val = to(raw, c->type);
        sets << QStringLiteral("%1 = (SELECT %2 FROM %3 WHERE %4%5 LIMIT 1)")
                    .arg(quoteId(c->name), val.sql, from, rowMatch,
                         where.isEmpty() ? QString() : QStringLiteral(" AND ") + where);
    }
    return QStringLiteral("UPDATE %1 SET %2 WHERE rowid IN (SELECT %3.rowid FROM %4%5)")
        .arg(quoteId(def.name), sets.join(QStringLiteral(", ")), quoteId(written->sqlAlias), from,
             where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
}

// The written table's own name must stay free for the outer statement.
void Emitter::reserveTableNames(const TableRef &t) {
    if (t.k == TableRef::K::Named) {
        if (const TableDef *d = catalog_.table(t.name)) aliases_.insert(d->name.toLower());
    } else if (t.k == TableRef::K::Join) {
        reserveTableNames(*t.left);
        reserveTableNames(*t.right);
    }
}

const ColumnDef *Emitter::setTarget(const TableDef &def, const Scope &scope, const Expr &t, const Source *written) {
    if (!t.qual.isEmpty()) {
        bool ok = false;
        for (const Source &s : scope.sources)
            if (same(s.name, t.qual) && (!written || &s == written)) ok = true;
        if (!ok) fail(t.pos, QStringLiteral("Only the columns of the updated table can be set"));
    }
    const ColumnDef *c = column(def, t.text);
    if (!c) fail(t.pos, QStringLiteral("Unknown field '%1' in SET").arg(t.text), err::db::kUnknownInsertField);
    return c;
}

QString Emitter::del(const Statement &st, QString &target) {
    if (st.target->k == TableRef::K::Named) {
        const TableDef &def = targetTable(st.target->name, st.target->pos);
        if (!st.deleteQual.isEmpty() && !same(st.deleteQual, st.target->name) && !same(st.deleteQual, st.target->alias))
            fail(st.target->pos, QStringLiteral("Unknown table '%1'").arg(st.deleteQual));
        aliases_.insert(def.name.toLower());
        Scope scope;
        scope.sources.push_back(writtenTable(def, *st.target));
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

} // namespace jetsql::gen
