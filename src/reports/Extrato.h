#pragma once
// The statement commands up to their result window: the selection dialog of
// the Mode (1 accounts, 2 types) shown modally, and what the result window is
// then given, in the order it takes them.
#include <QDate>
#include <QString>
#include <optional>

namespace reports {

struct Extrato {
    QString expressaoNoHistorico; // the history filter, trimmed
    bool soNaoRealizados = false;
    QDate dataIni, dataFim;
    QString titulo;
    QString sql;
    QString contas; // the marked codes, quoted and separated by commas; empty: none marked
    long mode = 1;
};

// Nothing when the user cancelled the dialog.
std::optional<Extrato> PedirExtrato(long mode);

} // namespace reports
