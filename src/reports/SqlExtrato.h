#pragma once
// The SELECT of a statement: the postings of the marked accounts (Mode 1) or
// income/expense types (Mode 2) over a period, with their users, accounts and
// types, DISTINCT and ordered by DataId. Fields, in order: Id, Transferencia,
// CodConta, CodRecDesp, Documento, Valor, Data, Historico, Estorno, DataId,
// SaldoConta (types: SaldoRecDesp), SaldoGlobal, Estornado, Realizado,
// IdLogin, DesConta, DesMovimentacao.
#include "core/consultas/Selecao.h"

#include <QDate>
#include <QString>

namespace reports {

struct PedidoDeExtrato {
    int mode = 1; // 1 accounts, 2 types
    QDate dataIni, dataFim;
    core::consultas::ItensMarcados marcados; // none: every item
    QString historico;      // empty: no filter
    bool soNaoRealizados = false; // only postings settled 'N' or reversed ('E')
    bool comSubItens = false;     // the items below each marked one too
    bool usuarioComum = false;    // filtered by the user's read permissions
    long idUsuario = 0;
};

QString SqlDoExtrato(const PedidoDeExtrato &p);

} // namespace reports
