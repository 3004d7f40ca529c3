#pragma once
// The chart code rules: the code format of both charts, the next code under
// a parent and the deletion rule. Loading a chart into a tree is
// ui/CarregarArvores.h.
//
// A code is groups of three digits joined by "." ("003.001"); the root of
// each chart is "000" and is its own parent. An item and its descendants are
// the codes matching LIKE code & "*".
#include "db/Planos.h"

#include <QString>

namespace dao {
class Database;
}

namespace core::arvores {

// Longest code the columns hold (eight levels) and the highest group.
constexpr int kMaxCodigo = 31;
constexpr int kMaxGrupo = 999;

// The next code under a parent: one more than its highest child, whether
// active or not. A full level ("999") or a child deeper than the code column
// holds gives an empty code and the text to show in recusa (kMsgNivelCheio,
// kMsgProfundidade). The chart windows show it (charts/PlanoNaJanela.h).
QString NovoCodigo(db::Plano plano, const QString &codPai, QString &recusa);


// ---- the item a window loaded ------------------------------------------------------
// A window names a chart item by its code, but a code comes back: once an
// item and the siblings after it are deleted, the next new item under that
// parent takes the same code. An Id is never handed out twice. So a write
// that names an item by its code acts only while the item stored under that
// code still has the Id the window loaded; another copy of the program may
// have deleted it, or deleted it and made a new one in its place.
enum class EstadoDoItem {
    Ativo,
    Inativo,
    Mudado // no item under that code, or another one than the window loaded
};

// The state of the item stored under `codigo`, read on `db` (inside the
// caller's write transaction, so that it holds until the commit). An `id` of
// 0 asks after the code alone.
EstadoDoItem LerEstadoDoItem(dao::Database &db, db::Plano plano, const QString &codigo, long id);

// What a window says, writing nothing, when the item it shows was changed or
// removed by another user; it then reloads what it shows of the item. An
// empty description names "the selected" account or type.
QString MensagemDeItemMudado(db::Plano plano, const QString &descricao = QString());

// ---- the writes on an item a window shows -------------------------------------------
// Each acts only while the item stored under `codigo` still has the Id `id`
// the window loaded, read inside the write's own transaction together with
// its other guards; otherwise it writes nothing and answers Mudado (the
// window shows MensagemDeItemMudado and reloads the item's branch). An `id`
// of 0 names the item by its code alone.

// Deletes the item with its subtree unless postings use it or a descendant
// (for accounts, opening-balance postings do not count: they go with the
// accounts, and the balances of every later posting are moved back).
enum class Exclusao {
    Excluido,
    NadaExcluido,   // id 0 and no item under the code (already gone): nothing to say
    Bloqueio,       // the counter could not be locked: kMsgBloqueio, nothing deleted
    ComLancamentos, // postings use it: kMsgContaComLancamentos / kMsgItemComLancamentos
    Mudado,         // not the item the window loaded: nothing deleted
};
Exclusao Excluir(db::Plano plano, const QString &codigo, long id);

// The outcome of renaming, deactivating, activating an item and of adding a
// child under it.
enum class Escrita {
    Gravado,
    Mudado,     // not the item the window loaded: nothing written
    PaiInativo, // Ativar: the parent is inactive (kMsgAtivarSobInativo);
                // IncluirItem: the parent is inactive (MensagemDePaiInativo)
    Recusado,   // IncluirItem: the parent has no room left (its recusa: kMsgNivelCheio, kMsgProfundidade)
};

// Gives the item a new description (a description another item has fails
// with the duplicate-key error). An empty `codigo` names it by its Id alone.
Escrita Renomear(db::Plano plano, const QString &codigo, long id, const QString &descricao);
// Deactivates the item and every item below it.
Escrita Desativar(db::Plano plano, const QString &codigo, long id);
// Activates the item alone (its children stay as they are); refused while
// its parent is inactive.
Escrita Ativar(db::Plano plano, const QString &codigo, long id);

// Inserts a new active item with `descricao` under the parent `codPai`,
// which must still be the item `idPai` and active. `codigo` comes in as the
// code NovoCodigo gave before the transaction and goes out as the code
// written: it is read again under the write lock, since another copy may have
// added a child under the same parent meanwhile (a parent left with no room
// gives Recusado and the text in `recusa`). On Gravado `id` is the new row's
// Id. Runs inside the caller's open transaction (the account dialog writes
// the opening balance in the same one) and neither begins nor ends one: on
// any other outcome the caller rolls back.
Escrita IncluirItem(dao::Database &db, db::Plano plano, const QString &codPai, long idPai, const QString &descricao,
                    QString &codigo, long &id, QString &recusa);

// The refusal of a new child under an inactive item.
QString MensagemDePaiInativo(db::Plano plano);

// Messages.
inline const QString kMsgNivelCheio = QStringLiteral(
    "Não é possível incluir mais itens neste nível: o item pai já tem o número máximo de itens filhos (999).");
inline const QString kMsgProfundidade = QStringLiteral(
    "Não é possível incluir um item filho neste item: o número máximo de níveis (8) já foi atingido.");
inline const QString kMsgContaComLancamentos = QStringLiteral(
    "Esta conta não pode ser excluída por haver lançamentos feitos usando seu código ou o código de uma de suas "
    "subcontas.");
inline const QString kMsgItemComLancamentos = QStringLiteral(
    "Este item não pode ser excluído por haver lançamentos feitos usando seu código ou de um subitem seu.");
inline const QString kMsgAtivarSobInativo =
    QStringLiteral("Item filho de item inativo não pode ser ativado antes da ativação do item pai.");

} // namespace core::arvores
