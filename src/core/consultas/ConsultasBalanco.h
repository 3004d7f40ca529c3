#pragma once
// The query texts of the balances (Jet SQL, run through the translator): over
// a period, at a date, and the cross balances of one item of the other chart.
// Their rows are the balance result set: Ordem, DesObjeto, Codigo and the
// amount (Balanco over a period, Saldo at a date), ordered by Ordem, Codigo.
#include "core/consultas/PedidoBalanco.h"

#include <QString>
#include <memory>

namespace dao {
class Recordset;
}

namespace core::consultas {

// Balance over a period (pedido.tipo Periodo).
QString SqlBalancoPeriodo(const PedidoBalanco &pedido);
// Balances at pedido.dataFim (pedido.tipo Data).
QString SqlSaldosNaData(const PedidoBalanco &pedido);
// Cross balance (pedido.tipo Cruzado): every item of the listed chart over the
// postings of pedido.codigoOutro (and its sub-items unless somenteOutro).
QString SqlBalancoCruzado(const PedidoBalanco &pedido);
// The text of any of the three, by pedido.tipo.
QString SqlDoPedido(const PedidoBalanco &pedido);

// The cross balances that a right click on a period balance opens, for the
// signed-in user: types within an account (with its sub-accounts, or only it)
// and accounts within a type (with its sub-types, or only it).
PedidoBalanco PedidoBalRecDespEmConta(const QString &codigo, const QDate &ini, const QDate &fim, bool somenteOutro);
PedidoBalanco PedidoBalContaEmRecDesp(const QString &codigo, const QDate &ini, const QDate &fim, bool somenteOutro);
QString MontaConsultaBalRecDespEmConta(const QString &codigo, const QDate &ini, const QDate &fim);
QString MontaConsultaBalRecDespEmConta2(const QString &codigo, const QDate &ini, const QDate &fim);
QString MontaConsultaBalContaEmRecDesp(const QString &codigo, const QDate &ini, const QDate &fim);
QString MontaConsultaBalContaEmRecDesp2(const QString &codigo, const QDate &ini, const QDate &fim);

// The list of marked codes for an IN clause ("'001','002'"), each through the
// SQL literal routine.
QString ListaDeCodigos(const QStringList &codigos);

// Reads a balance result set; the amount field is "Balanco" or "Saldo".
LinhasBalanco LerLinhas(dao::Recordset &rs, const QString &campoValor);

} // namespace core::consultas
