#include "platform/jetsql/Emitter.h"

namespace jetsql::gen {

// ---- FROM ----------------------------------------------------------------

QString Emitter::tableSql(const TableRef &t, const Scope *outer, Scope &scope) {
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
        // Without an alias no qualifier names it (an empty name matches
        // none); SQLite still gets a name of its own.
        Source src;
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

QOut Emitter::savedQuery(const QString &name, int pos) {
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

} // namespace jetsql::gen
