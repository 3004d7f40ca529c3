#pragma once
// The history of a reversal, judged the same way for every window that
// reverses postings; the window asks (ui::PerguntarAte) and shows the texts.
#include "ui/Avaliacao.h"

#include <QString>

namespace core::escrita {

inline const QString kPromptHistoricoEstorno = QStringLiteral("Entre com o histórico para o estorno (máx. 50 caracteres):");
inline const QString kMsgAspasHistorico = QStringLiteral(
    "Caracteres de aspas duplas ou simples não são permitidos em histórico. Favor tentar novamente.");
inline const QString kMsgHistoricoEstornoLongo = QStringLiteral(
    "O histórico do estorno não pode ter mais de 50 caracteres. Favor tentar novamente.");
inline const QString kMsgHistoricoEstornoVazio = QStringLiteral("Erro: histórico de estorno não informado.");
inline const QString kMsgHistoricoComMaisDe50 = QStringLiteral("Erro: histórico com mais de 50 caracteres.");

// How a window asks: the search results keep their own prompt and refuse a
// long answer instead of asking again; their reversal of a single posting
// takes an answer of blanks only as it is.
struct PedidoDeHistorico {
    QString prompt = kPromptHistoricoEstorno;
    bool longoPedeDeNovo = true; // false: kMsgHistoricoComMaisDe50 and nothing
    bool soBrancosVale = false;  // true: only an empty answer is refused
};

// The verdict on one answer: taken in upper case, it may hold no quote
// character and must fit the history column (a longer one is asked for again,
// or refused with kMsgHistoricoComMaisDe50 when the window asks only once); an
// answer of blanks only (or a cancelled box) is refused with
// kMsgHistoricoEstornoVazio. The history keeps its blanks.
ui::Avaliacao AvaliarHistoricoDeEstorno(const QString &resposta, const PedidoDeHistorico &pedido = {});

} // namespace core::escrita
