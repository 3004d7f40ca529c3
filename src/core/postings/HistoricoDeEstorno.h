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

// Asks in an input box until the answer, in upper case, holds no quote
// character and fits the history column; an answer of blanks only (or a
// cancelled box) shows kMsgHistoricoEstornoVazio and gives nothing. The
// history keeps its blanks.
std::optional<QString> PedirHistoricoDeEstorno();

} // namespace postings
