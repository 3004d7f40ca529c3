#include "platform/dao/QueryDef.h"

#include "platform/dao/Database.h"
#include "platform/dao/Exec.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"

namespace dao {

using value::Value;
namespace E = err::db;

QueryDef::QueryDef(Database &db, QString name, QString sql) : db_(&db), name_(std::move(name)), sql_(std::move(sql)) {}

void QueryDef::SetSQL(const QString &jetSql) {
    // Stored as given: a query may name another one that is stored later,
    // so the text is checked when it runs.
    if (!name_.isEmpty()) db_->setQueryText(name_, jetSql);
    sql_ = jetSql;
    translation_.reset();
    values_.clear();
}

const jetsql::Translation &QueryDef::translation() {
    // A closed database still answers as it always has (through translate).
    if (!translation_ || !db_->isOpen() || schemaGeneration_ != db_->schemaGeneration()) {
        translation_ = db_->translate(sql_);
        schemaGeneration_ = db_->schemaGeneration();
    }
    return *translation_;
}

const jetsql::Parameter *QueryDef::parameter(const QString &name) {
    const QString wanted = name.trimmed();
    for (const auto &p : translation().parameters)
        if (p.name.compare(wanted, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

int QueryDef::ParameterCount() { return int(translation().parameters.size()); }

QString QueryDef::ParameterName(int i) {
    const auto &t = translation();
    if (i < 0 || i >= int(t.parameters.size()))
        throw err::AppError(E::kItemNotFound, QStringLiteral("DAO.Parameters"), QStringLiteral("Item não encontrado nesta coleção."));
    return t.parameters[std::size_t(i)].name;
}

void QueryDef::SetParameter(int position, const Value &v) { values_[ParameterName(position).toUpper()] = v; }

void QueryDef::SetParameter(const QString &name, const Value &v) {
    if (const jetsql::Parameter *p = parameter(name)) {
        values_[p->name.toUpper()] = v;
        return;
    }
    throw err::AppError(E::kItemNotFound, QStringLiteral("DAO.Parameters"), QStringLiteral("Item não encontrado nesta coleção."));
}

std::unique_ptr<Recordset> QueryDef::OpenRecordset(int type) {
    translation();
    auto t = translation_;
    if (t->kind != jetsql::StatementKind::Select)
        throw err::AppError(E::kInvalidOperation, QStringLiteral("DAO.QueryDef"),
                            QStringLiteral("Operação inválida: a consulta não retorna registros."));
    auto cache = db_->statements();
    auto params = values_;
    // Load once now so that a missing parameter is reported at open.
    auto first = exec::select(*cache, *t, params);
    auto loader = [cache, t, params, first]() mutable {
        if (first) return std::exchange(first, nullptr);
        return exec::select(*cache, *t, params);
    };
    return std::make_unique<Recordset>(*db_, loader, type);
}

void QueryDef::Prepare() { db_->statements()->prepareAhead(translation().sql); }

void QueryDef::Execute(long /*options*/) {
    const jetsql::Translation *t = &translation();
    if (t->kind == jetsql::StatementKind::Select)
        throw err::AppError(E::kInvalidOperation, QStringLiteral("DAO.QueryDef"),
                            QStringLiteral("Não é possível executar uma consulta seleção."));
    recordsAffected_ = exec::action(*db_->statements(), *t, values_);
}

} // namespace dao
