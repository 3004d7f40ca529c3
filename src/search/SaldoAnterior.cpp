#include "search/SaldoAnterior.h"

#include "db/Module1.h"
#include "db/SqlTexto.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"

namespace search {

std::optional<value::Currency> SaldoGlobalAntesDe(dao::Database &db, const QString &dataId) {
    std::unique_ptr<dao::Recordset> rs =
        db.OpenRecordset(QStringLiteral("SELECT TOP 1 SaldoGlobal FROM Lancamentos WHERE DataId < ") +
                             db::SqlTexto(dataId) + QStringLiteral(" ORDER BY DataId DESC"),
                         dao::dbOpenSnapshot);
    std::optional<value::Currency> saldo;
    if (!rs->Eof()) saldo = rs->Field(0).toCurrency();
    db::FecharRecordset(rs);
    return saldo;
}

} // namespace search
