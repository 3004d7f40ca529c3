#pragma once
// Pieces of report SQL that the statement and balance commands share: the
// history filter, the dates typed in the selection dialogs, the list of the
// marked items and the read-permission restriction of a common user.
#include "db/Module1.h"

#include <QDate>
#include <QString>

namespace core::consultas {

// LIKE pattern text that stands for the typed text itself: "#" (any digit)
// and "[" (opens a set) are bracketed, so "NF #3" finds "NF #3".
QString TextoLiteralLike(const QString &texto);

// " AND <campo> LIKE '*<text>*' " for a history filter, or empty when the
// text is empty. The caller has refused apostrophes and double quotes.
QString FiltroDeHistorico(const QString &historico, const QString &campo = QStringLiteral("L.Historico"));

// A date typed as dd/mm/aa or dd/mm/aaaa (the input mask's "_" already
// taken out), read day first whatever the locale.
enum class EstadoDaData { Faltando, Invalida, Valida };
struct DataDigitada {
    EstadoDaData estado = EstadoDaData::Faltando;
    QDate data;
};
// Faltando: neither 8 characters (two-digit year) nor at least 10.
DataDigitada LerDataDigitada(const QString &texto);

// The marked items as "'001','002.003'" and their number; empty and 0 when
// nothing is marked.
struct ItensMarcados {
    QString lista;
    long contagem = 0;
};

// The marked items of a whole item tree (the collection and every SubItens
// below it), in tree order.
template <typename Colecao>
ItensMarcados MarcadosDe(const Colecao &itens) {
    ItensMarcados m;
    for (const auto &item : itens) db::MontaStringDeCodigosDeObjSelecionados(*item, m.lista, m.contagem);
    if (m.contagem > 0) m.lista.chop(1);
    return m;
}

// The condition that a permission lets its user read: "(<permissoes> = 1 or
// <permissoes> = 3)", for the permission column as the statement names it.
QString CondicaoDeLeitura(const QString &permissoes);

// For a common user, " AND <colunaId> IN (...)" keeping only the chart items
// (tipoObjeto 1 accounts, 2 types) he may read (permission 1 or 3); empty for
// an administrator.
QString RestricaoDeLeitura(const QString &colunaId, int tipoObjeto, bool usuarioComum, long idUsuario);

} // namespace core::consultas
