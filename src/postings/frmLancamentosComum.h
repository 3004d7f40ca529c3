#pragma once
// What the posting window's files share: the history check and the quiet way
// out of a command the user already had explained to him.
#include "platform/err/AppError.h"

#include <QString>

namespace postings {

inline const QString kMsgAspasHistorico = QStringLiteral(
    "Caracteres de aspas duplas ou simples não são permitidos em histórico. Favor tentar novamente.");

inline bool temAspas(const QString &t) { return t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\'')); }

[[noreturn]] inline void cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

} // namespace postings
