#pragma once
// What the posting window's files share: the history check (its message is
// the reversal prompt's) and the cancel error that ends a command whose
// refusal the user has already been shown.
#include "core/escrita/Escrita.h"
#include "core/escrita/HistoricoDeEstorno.h"
#include "core/escrita/Operacoes.h"
#include "platform/err/AppError.h"
#include "ui/CHourGlass.h"
#include "ui/MsgBox.h"

#include <QString>

namespace postings {

inline bool temAspas(const QString &t) { return t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\'')); }

[[noreturn]] inline void cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

// True when the write went through; otherwise the pointer comes back and the
// user is told why: the lock, the write core's reason, or the command's own
// failure text.
inline bool Gravou(core::escrita::Desfecho desfecho, const QString &recusa, const QString &falha, ui::CHourGlass &hg) {
    if (desfecho == core::escrita::Desfecho::Gravado) return true;
    hg.Show(false);
    if (desfecho == core::escrita::Desfecho::Bloqueio)
        ui::MsgBox(core::escrita::kMsgBloqueio);
    else if (desfecho == core::escrita::Desfecho::Invalido)
        ui::MsgBox(recusa, platform::ui::vbInformation);
    else
        ui::MsgBox(falha);
    return false;
}

} // namespace postings
