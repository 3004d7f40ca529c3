#pragma once
// The balance commands up to their window: the selection dialog of the Mode
// shown modally (3 and 6 accounts, 4 and 7 types), the request read from it,
// and a new balance window given the request, the period and the title.
#include "core/consultas/PedidoBalanco.h"

#include <QString>
#include <optional>

namespace reports {

class frmBalSal;

struct BalancoPedido {
    core::consultas::PedidoBalanco pedido;
    QString titulo;
};

// Nothing when the user cancelled the dialog.
std::optional<BalancoPedido> PedirBalanco(long mode);

// The dialog, then the window; nullptr when cancelled.
frmBalSal *AbrirBalancoDaSelecao(long mode);

} // namespace reports
