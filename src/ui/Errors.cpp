#include "ui/Errors.h"

#include "ui/AppContext.h"
#include "ui/MsgBox.h"
#include "platform/app/Application.h"
#include "platform/ui/Messages.h"

#include <QPointer>

namespace ui {

void TrataErros() {
    platform::Screen::setMousePointer(platform::vbDefault);
    switch (gErrNumero) {
    case err::kErrCancel:
    case err::kErrDialogCancel:
        return;
    case err::db::kDuplicateKey:
        MsgBox(QStringLiteral("Erro: você está tentando realizar uma operação que duplicaria uma "
                              "informação que deve ser única no banco de dados."),
               platform::ui::vbInformation, platform::App::Title());
        return;
    default:
        MsgBox(QString::number(gErrNumero) + QStringLiteral(" '") + gErrDescricao + QStringLiteral("', ") + gErrLocal,
               platform::ui::vbOKOnly, platform::App::Title());
    }
}

void TrataErrosEFecha(QObject *janela) {
    const QPointer<QObject> aberta(janela);
    TrataErros();
    if (aberta) platform::ui::PostMessage(aberta.data(), platform::ui::WM_CLOSE);
}

} // namespace ui
