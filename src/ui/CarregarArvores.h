#pragma once
// Lazy loading of a chart into a tree control, shared by the chart editors
// and the posting window: the root with its first level, the children of one
// node read from the database when it is expanded, and the placeholder child
// that gives a node its expand button until then.
#include "db/Planos.h"

namespace widgets {
class TreeView;
class Node;
} // namespace widgets

namespace ui {

// Root building: the root node "_000" with the first level loaded, or alone
// and collapsed (through the owning window's tv_Collapse) when empty.
void CarregarArvoreContas(widgets::TreeView &tv);
void CarregarArvoreRecDesp(widgets::TreeView &tv);
// The children of one node, from the database; inactive items only when asked.
void CarregarRamoContas(widgets::TreeView &tv, widgets::Node &node, bool incluirInativos);
void CarregarRamoRecDesp(widgets::TreeView &tv, widgets::Node &node, bool incluirInativos);
void CarregarRamo(db::Plano plano, widgets::TreeView &tv, widgets::Node &node, bool incluirInativos);
void CarregarArvore(db::Plano plano, widgets::TreeView &tv);

// The placeholder child ("D" + the node's key, text "Dummy") that gives a
// node with children its expand button until it is loaded.
void AdicionarFilhoFicticio(widgets::TreeView &tv, widgets::Node &node);
// Removes every child of the node with its subtree, deepest first.
void RemoverFilhos(widgets::TreeView &tv, widgets::Node &node);

} // namespace ui
