#pragma once
// The history filter of the balances: " AND L.Historico LIKE '*text*' ", or
// nothing for an empty text.
#include <QString>

namespace reports {

QString FiltroDeHistorico(const QString &historico);

} // namespace reports
