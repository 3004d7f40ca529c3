#pragma once
// The history of a reversal, asked of the user the same way by every window
// that reverses postings.
#include <QString>
#include <optional>

namespace postings {

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

// Asks in an input box until the answer, in upper case, holds no quote
// character and fits the history column; an answer of blanks only (or a
// cancelled box) shows kMsgHistoricoEstornoVazio and gives nothing. The
// history keeps its blanks.
std::optional<QString> PedirHistoricoDeEstorno(const PedidoDeHistorico &pedido = {});

} // namespace postings
