#pragma once
// The balance result set computed from a few indexed reads instead of the
// query text: the same rows as SqlDoPedido's text gives on a sound book (the
// tests compare the two), in a fraction of the time on a large one.
//
//   over a period: one range of the postings by date, summed per code, each
//   item taking the sums of the codes at or below it;
//   at a date: per item the stored running balance of its own last posting up
//   to the date plus the counted postings of its branch after that one (read
//   in one range by date); an item without postings of its own up to the date
//   is the sum of its children.
#include "core/consultas/PedidoBalanco.h"

namespace dao {
class Database;
}

namespace core::consultas {

LinhasBalanco CalcularBalanco(dao::Database &db, const PedidoBalanco &pedido);

} // namespace core::consultas
