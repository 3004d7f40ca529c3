#pragma once
// What a balance asks for, and the rows it gives: the one description from
// which both the query text and the computed result set are built, so that
// the two can be compared.
#include "platform/value/Currency.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace core::consultas {

struct PedidoBalanco {
    enum class Tipo {
        Periodo, // balance over a period (Modes 3 and 4)
        Data,    // balances at a date (Modes 6 and 7)
        Cruzado, // one item of the other chart over a period (cross balance)
    };
    Tipo tipo = Tipo::Periodo;
    bool contas = true;      // the chart listed: accounts, else income/expense types
    QDate dataIni, dataFim;  // the period, or the date (dataFim) of Tipo::Data
    QStringList codigos;     // the marked items
    bool comSubItens = false;
    bool balSemSubs = false;
    bool soNaoRealizados = false;
    QString historico;       // filter on the history; empty: none
    long tipoUsuario = 1;    // db::kAdministrador: nothing is filtered
    long idUsuario = 0;
    // Cross balance: the item of the other chart and whether its sub-items count.
    QString codigoOutro;
    bool somenteOutro = false;
};

// One row of a balance: an item (ordem 0) or the total (ordem 1, code "9999").
struct LinhaBalanco {
    int ordem = 0;
    QString desObjeto;
    QString codigo;
    value::Currency valor;
    bool operator==(const LinhaBalanco &) const = default;
};

using LinhasBalanco = std::vector<LinhaBalanco>;

} // namespace core::consultas
