#pragma once
// What the pending list's files share: its messages and the quiet way out of
// a command whose refusal the user has already read.
#include "platform/err/AppError.h"

#include <QString>

namespace pending {

inline const QString kPerguntaRealizou = QStringLiteral("A previsão do lançamento se realizou?");

[[noreturn]] inline void cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

} // namespace pending
