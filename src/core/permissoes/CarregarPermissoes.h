#pragma once
// One user's permission trees, read from the database: every item of the
// chart (root, inactive items and, for types, the system types included) as
// a CPermissao below its parent, in code order, with the user's stored value
// (mode 2) or 0 and no row (any other mode, a user being created).
//
// The root is placed in `arvore` before the rows are read, so a load that
// fails part way leaves the partial tree there.
#include "core/permissoes/CPermissao.h"

#include <memory>

namespace security {

// The accounts tree (the window holds the busy pointer meanwhile).
void CarregarPermissoesEmContas(long mode, long idUsuario, std::shared_ptr<CPermissao> &arvore);
// The income/expense types tree.
void CarregarPermissoesEmMovimentacoes(long mode, long idUsuario, std::shared_ptr<CPermissao> &arvore);

} // namespace security
