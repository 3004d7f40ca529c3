#pragma once
// Showing an item tree (CPermissao) in a tree control: the permission trees
// of the two permission editors, each node painted with its permission's
// picture, and the selection trees of the statement dialogs, each node with
// the chart's picture; giving the item behind a node a new permission and
// repainting its subtree; and finding the item behind a node's tag.
//
// A node's key is "_" + the item's code, its text the description, its tag
// the item's Ponteiro() in decimal; every node keeps its children sorted by
// text; the node "_000" ends expanded and selected.
#include "core/permissoes/CPermissao.h"

#include <QIcon>
#include <QString>
#include <QStringList>
#include <memory>

namespace widgets {
class ImageList;
class Node;
class TreeView;
} // namespace widgets

namespace security {

// The picture of a permission value (0..3); another value gives "".
QString ImagemDePermissao(long valor);
// The four permission keys, their pictures, and adding them to an image list.
QStringList ChavesDePermissao();
QIcon IconeDePermissao(const QString &chave);
void AdicionarImagensDePermissao(widgets::ImageList &lista);

// The item and its whole subtree, depth first, below the node "_" + codPai
// (empty: at the top, showing the chart's picture: "IMG_RECDESP" when the
// window holding the tree is the types permission editor "frmPermMov",
// otherwise "IMG_CONTA").
void CarregarNaArvoreDePermissoes(widgets::TreeView &tv, CPermissao &item, const QString &codPai);
// The same with every node showing the chart's picture: "IMG_RECDESP" when
// the window holding the tree is the types selection dialog "frmExtraRec".
void CarregarNaArvoreDePesquisa(widgets::TreeView &tv, CPermissao &item, const QString &codPai);

// The item of the tree whose Ponteiro() the tag names. A tag that names no
// item of that tree any more is an error, never a stray object.
std::shared_ptr<CPermissao> ObjetoDoPonteiro(const CPermissao &arvore, const QString &tag);

// Gives the node's item the value (the parent rule may refuse it with its
// message and the silent cancel error); in mode 2 saves it at once in a
// transaction of its own, and a failed save puts the item's subtree back as
// it was; then repaints the node's subtree with the value's picture.
void UpdatePermissionsWithNode(const CPermissao &arvore, long mode, widgets::Node &node, long valor);
// Sets the three pictures of the node and of every node below it.
void UpdateNodeIcons(widgets::Node &node, const QString &chave);

// Assigns the value to the item and, in mode 2, saves it; a refused value
// changes nothing, and a failed save restores the values and write state
// of the item's subtree before the error goes on.
void AtribuirPermissao(CPermissao &item, long mode, long valor);

} // namespace security
