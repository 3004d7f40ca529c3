#pragma once
// One user's permission trees, read from the database: every item of the
// chart (root, inactive items and, for types, the system types included) as
// a CPermissao below its parent, in code order, with the user's stored value
// (mode 2) or 0 and no row (any other mode, a user being created).
//
// The root is placed in `arvore` before the rows are read, so a load that
// fails part way leaves the partial tree there. A stored value the parent
// rule refuses (another copy changed the rows meanwhile) stops the load
// there, its item in the tree without it, and gives the message to show;
// a whole load gives "".
#include "core/permissoes/CPermissao.h"

#include <QString>
#include <memory>

namespace core::permissoes {

// The accounts tree (the window holds the busy pointer meanwhile).
[[nodiscard]] QString CarregarPermissoesEmContas(long mode, long idUsuario, std::shared_ptr<CPermissao> &arvore);
// The income/expense types tree.
[[nodiscard]] QString CarregarPermissoesEmMovimentacoes(long mode, long idUsuario, std::shared_ptr<CPermissao> &arvore);

} // namespace core::permissoes
