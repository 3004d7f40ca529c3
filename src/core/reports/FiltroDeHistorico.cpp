#include "core/reports/FiltroDeHistorico.h"

#include "db/SqlTexto.h"

namespace reports {

namespace {
// TROCAR: the statements' escaping routine of typed text for LIKE takes this
// place once it is in core/reports; until then the pattern characters of Jet
// are taken literally here by enclosing each in brackets.
QString TextoParaLike(const QString &texto) {
    QString s;
    for (const QChar c : texto) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('['))
            s += QLatin1Char('[') + c + QLatin1Char(']');
        else
            s += c;
    }
    return s;
}
} // namespace

QString FiltroDeHistorico(const QString &historico) {
    if (historico.isEmpty()) return {};
    return QStringLiteral(" AND L.Historico LIKE ") + fin::SqlTexto(QLatin1Char('*') + TextoParaLike(historico) + QLatin1Char('*')) +
           QLatin1Char(' ');
}

} // namespace reports
