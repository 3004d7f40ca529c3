#pragma once
// The chart code trees: the code format of both charts, the next code under
// a parent, the deletion rule, and lazy loading of a chart into a tree.
//
// A code is groups of three digits joined by "." ("003.001"); the root of
// each chart is "000" and is its own parent. An item and its descendants are
// the codes matching LIKE code & "*".
#include <QString>

namespace widgets {
class TreeView;
class Node;
} // namespace widgets

namespace charts {

// The two charts differ only in these.
enum class Plano { Contas, RecDesp };

// Longest code the columns hold (eight levels) and the highest group.
constexpr int kMaxCodigo = 31;
constexpr int kMaxGrupo = 999;

// Root building: the root node "_000" with the first level loaded, or alone
// and collapsed (through the owning window's tv_Collapse) when empty.
void CarregarArvoreContas(widgets::TreeView &tv);
void CarregarArvoreRecDesp(widgets::TreeView &tv);
// The children of one node, from the database; inactive items only when asked.
void CarregarRamoContas(widgets::TreeView &tv, widgets::Node &node, bool incluirInativos);
void CarregarRamoRecDesp(widgets::TreeView &tv, widgets::Node &node, bool incluirInativos);
void CarregarRamo(Plano plano, widgets::TreeView &tv, widgets::Node &node, bool incluirInativos);
void CarregarArvore(Plano plano, widgets::TreeView &tv);

// The placeholder child ("D" + the node's key, text "Dummy") that gives a
// node with children its expand button until it is loaded.
void AdicionarFilhoFicticio(widgets::TreeView &tv, widgets::Node &node);
// Removes every child of the node with its subtree, deepest first.
void RemoverFilhos(widgets::TreeView &tv, widgets::Node &node);

// The next code under a parent: one more than its highest child, whether
// active or not. A full level ("999") or a child deeper than the code column
// holds is refused with a message and the silent cancel error.
QString ObterNovoCodigoContas(const QString &codPai);
QString ObterNovoCodigoRecDesp(const QString &codPai);
QString ObterNovoCodigo(Plano plano, const QString &codPai);

// Deletes the item with its subtree unless postings use it or a descendant
// (for accounts, opening-balance postings do not count: they go with the
// accounts, and the balances of every later posting are moved back). A
// refusal shows its message and raises the silent cancel error.
void ExcluirConta(const QString &codigo);
void ExcluirRecDesp(const QString &codigo);

// Messages.
inline const QString kMsgNivelCheio = QStringLiteral(
    "Não é possível incluir mais itens neste nível: o item pai já tem o número máximo de itens filhos (999).");
inline const QString kMsgProfundidade = QStringLiteral(
    "Não é possível incluir um item filho neste item: o número máximo de níveis (8) já foi atingido.");

} // namespace charts
