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
    values_.clear();
}

int QueryDef::ParameterCount() { return int(db_->translate(sql_)->parameters.size()); }

QString QueryDef::ParameterName(int i) {
    auto t = db_->translate(sql_);
    if (i < 0 || i >= int(t->parameters.size()))
        throw err::AppError(E::kItemNotFound, QStringLiteral("DAO.Parameters"), QStringLiteral("Item não encontrado nesta coleção."));
    return t->parameters[std::size_t(i)].name;
}

void QueryDef::SetParameter(int position, const Value &v) { values_[ParameterName(position).toUpper()] = v; }

void QueryDef::SetParameter(const QString &name, const Value &v) {
    auto t = db_->translate(sql_);
    for (const auto &p : t->parameters)
        if (p.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0) {
            values_[p.name.toUpper()] = v;
            return;
        }
    throw err::AppError(E::kItemNotFound, QStringLiteral("DAO.Parameters"), QStringLiteral("Item não encontrado nesta coleção."));
}

std::unique_ptr<Recordset> QueryDef::OpenRecordset(int type) {
    auto t = db_->translate(sql_);
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

void QueryDef::Execute(long /*options*/) {
    auto t = db_->translate(sql_);
    if (t->kind == jetsql::StatementKind::Select)
        throw err::AppError(E::kInvalidOperation, QStringLiteral("DAO.QueryDef"),
                            QStringLiteral("Não é possível executar uma consulta seleção."));
    recordsAffected_ = exec::action(*db_->statements(), *t, values_);
}

} // namespace dao
