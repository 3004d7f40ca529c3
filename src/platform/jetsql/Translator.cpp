#include "platform/jetsql/Translator.h"

#include "platform/jetsql/Emitter.h"

namespace jetsql {
namespace gen {

Translation Emitter::run(const Statement &st) {
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
    for (const QString &name : bindOrder_) {
        t.bindKeys.push_back(name.toUpper());
        DataType ty = DataType::Null;
        for (const Parameter &p : t.parameters)
            if (p.name.compare(t.bindKeys.back(), Qt::CaseInsensitive) == 0) ty = p.declared ? p.type : p.bindAs;
        t.bindTypes.push_back(ty);
    }
    t.checksMoney = checksMoney_;
    return t;
}

void Emitter::fail(int pos, const QString &what, long number) const {
    const QString near = text_.mid(pos, 30).simplified();
    throw err::AppError(number, QStringLiteral("jetsql"),
                        QStringLiteral("%1 at position %2 near '%3'.").arg(what).arg(pos + 1).arg(near));
}

// ---- parameters -------------------------------------------------------

void Emitter::declare(const std::vector<ParamDecl> &decls, bool outer) {
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

Ex Emitter::param(const QString &name) {
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
void Emitter::infer(Ex &p, DataType t) {
    if (p.param < 0 || p.type != DataType::Null || t == DataType::Null) return;
    Parameter &u = undeclared_[size_t(p.param)];
    if (u.bindAs == DataType::Null) u.bindAs = t;
    p.type = u.bindAs;
}

void Emitter::inferPair(Ex &a, Ex &b) {
    infer(a, b.type);
    infer(b, a.type);
}

Ex Emitter::to(Ex e, DataType target) {
    infer(e, target);
    return convertTo(e, target);
}

QString Emitter::uniqueAlias(const QString &base) {
    QString a = base;
    for (int n = 2; aliases_.contains(a.toLower()); ++n) a = base + QStringLiteral("_%1").arg(n);
    aliases_.insert(a.toLower());
    return a;
}

} // namespace gen

using ast::Statement;
using gen::Emitter;

Translator::Translator(const Catalog &catalog) : catalog_(catalog) {}
Translator::~Translator() = default;

std::shared_ptr<const Translation> Translator::translate(const QString &jetText) {
    if (auto it = cache_.find(jetText); it != cache_.end()) {
        uses_.splice(uses_.begin(), uses_, it->use);
        return it->translation;
    }
    ++made_;
    const Statement st = ast::parse(jetText);
    Emitter em(catalog_, jetText);
    auto t = std::make_shared<const Translation>(em.run(st));
    if (std::size_t(cache_.size()) >= kMaxCachedTexts) {
        cache_.remove(uses_.back());
        uses_.pop_back();
    }
    uses_.push_front(jetText);
    cache_.insert(jetText, Entry{t, uses_.begin()});
    return t;
}

void Translator::clearCache() {
    cache_.clear();
    uses_.clear();
}

} // namespace jetsql
