#pragma once
// An item tree as the tree loaders (ui/ArvoreDeItens.h) show it, whatever
// holds the items: the routines below the windows describe their trees with
// it, so that the loaders need none of their types. Data only: the header
// belongs to fin_ui_base.
#include <QString>
#include <QtGlobal>
#include <vector>

namespace ui {

struct ItemDaArvore {
    QString codigo;     // the node's key is "_" + codigo
    QString descricao;  // the node's text
    quint64 tag = 0;    // names the item behind the node; the node's tag holds it in decimal
    long permissao = 0; // the value (0..3) whose picture a permission tree shows
    std::vector<ItemDaArvore> subItens;
};

} // namespace ui
