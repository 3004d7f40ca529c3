#pragma once
// What the windows do with an item tree (CPermissao) beside showing it:
// describing it for the tree loaders (ui/ArvoreDeItens.h), finding the item
// behind a node's tag, and giving an item a new permission.
#include "core/permissoes/CPermissao.h"
#include "ui/ItemDaArvore.h"

#include <QString>
#include <memory>

namespace core::permissoes {

// The item and its whole subtree, as the tree loaders show them: code,
// description, Ponteiro() as the tag and the permission value.
ui::ItemDaArvore ItemParaArvore(const CPermissao &item);

// The item of the tree whose Ponteiro() the tag names. A tag that names no
// item of that tree any more is an error, never a stray object.
std::shared_ptr<CPermissao> ObjetoDoPonteiro(const CPermissao &arvore, const QString &tag);

// What giving an item a permission came to: the message to show ("" when it
// was given) and whether the user is gone, so that no more can be saved for
// him.
struct Atribuicao {
    QString mensagem;
    bool usuarioRemovido = false;
};

// Assigns the value to the item and, in mode 2, saves it. A value the parent
// rule refuses changes and saves nothing and gives the message to show; an
// accepted one gives "". A user another copy of the program deleted gives
// kMsgUsuarioNaoExisteMais: nothing saved, the item's subtree as it was. A
// failed save restores the values and write state of the item's subtree
// before the error goes on.
[[nodiscard]] Atribuicao AtribuirPermissao(CPermissao &item, long mode, long valor);

} // namespace core::permissoes
