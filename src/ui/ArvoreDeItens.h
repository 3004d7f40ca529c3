#pragma once
// Showing an item tree (ui/ItemDaArvore.h) in a tree control: the permission
// trees of the two permission editors, each node painted with its
// permission's picture, and the selection trees of the statement dialogs,
// each node with the chart's picture; the pictures of the permission values;
// and repainting a node's subtree.
//
// A node's key is "_" + the item's code, its text the description, its tag
// the item's tag in decimal; every node keeps its children sorted by text;
// the node "_000" ends expanded and selected.
#include "ui/ItemDaArvore.h"

#include <QIcon>
#include <QString>
#include <QStringList>

namespace widgets {
class ImageList;
class Node;
class TreeView;
} // namespace widgets

namespace ui {

// The picture of a permission value (0 none, 1 reading, 2 postings, 3 all);
// another value gives "".
QString ImagemDePermissao(long valor);
// The four permission keys, their pictures, and adding them to an image list.
QStringList ChavesDePermissao();
QIcon IconeDePermissao(const QString &chave);
void AdicionarImagensDePermissao(widgets::ImageList &lista);

// The item and its whole subtree, depth first, below the node "_" + codPai
// (empty: at the top, showing the chart's picture: "IMG_RECDESP" when the
// window holding the tree is the types permission editor "frmPermMov",
// otherwise "IMG_CONTA").
void CarregarNaArvoreDePermissoes(widgets::TreeView &tv, const ItemDaArvore &item, const QString &codPai);
// The same with every node showing the chart's picture: "IMG_RECDESP" when
// the window holding the tree is the types selection dialog "frmExtraRec".
void CarregarNaArvoreDePesquisa(widgets::TreeView &tv, const ItemDaArvore &item, const QString &codPai);

// Sets the three pictures of the node and of every node below it.
void UpdateNodeIcons(widgets::Node &node, const QString &chave);

} // namespace ui
