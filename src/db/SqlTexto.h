#pragma once
// Text that goes into SQL between apostrophes: every apostrophe is doubled,
// so typed text can never end the literal early.
#include <QString>

namespace db {

inline QString SqlTexto(const QString &texto) {
    QString t = texto;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

} // namespace db
