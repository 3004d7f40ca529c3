#pragma once
// What the posting window's files share: the history check (its message is
// the reversal prompt's) and the cancel error that ends a command whose
// refusal the user has already been shown.
#include "core/postings/HistoricoDeEstorno.h"
#include "platform/err/AppError.h"

#include <QString>

namespace postings {

inline bool temAspas(const QString &t) { return t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\'')); }

[[noreturn]] inline void cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

} // namespace postings
