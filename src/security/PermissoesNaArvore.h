#pragma once
// What the user dialog and the permission editors do with a refusal of the
// permission rule: the core returns it, the window shows it and the action
// it interrupts ends there, as a cancelled one does; and a new permission
// given through a tree node.
#include "core/permissoes/CPermissao.h"

#include <QString>

namespace widgets {
class Node;
}

namespace security {

// A refusal ("" for none) shown as an information box, ending the action
// with the silent cancel error.
void MostrarRecusa(const QString &recusa);

// AtribuirPermissao with its message shown: a refusal ends the action with
// the silent cancel error; a user another copy of the program deleted gives
// false (the message shown, nothing saved), and nothing more can be saved
// for him.
[[nodiscard]] bool DarPermissao(core::permissoes::CPermissao &item, long mode, long valor);

// Gives the node's item the value (a refusal shown and the action ended);
// in mode 2 saves it at once in a transaction of its own, and a failed save
// puts the item's subtree back as it was; then repaints the node's subtree
// with the value's picture. False, the pictures untouched, when the user is
// gone (DarPermissao).
[[nodiscard]] bool UpdatePermissionsWithNode(const core::permissoes::CPermissao &arvore, long mode, widgets::Node &node,
                                             long valor);

} // namespace security
