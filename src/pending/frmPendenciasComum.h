#pragma once
// What the pending list's files share: its messages, how it tells the user
// something, and the quiet way out of a command whose refusal the user has
// already read.
#include "platform/app/Application.h"
#include "platform/err/AppError.h"
#include "ui/MsgBox.h"

#include <QString>

namespace pending {

inline const QString kPerguntaRealizou = QStringLiteral("A previsão do lançamento se realizou?");

inline void informar(const QString &texto) { ui::MsgBox(texto, platform::ui::vbInformation, platform::App::Title()); }

[[noreturn]] inline void cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

} // namespace pending
