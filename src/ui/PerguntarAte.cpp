#include "ui/PerguntarAte.h"

#include "ui/MsgBox.h"
#include "platform/app/Application.h"
#include "platform/ui/MessageBox.h"

namespace ui {

std::optional<QString> PerguntarAte(const QString &prompt, const std::function<Avaliacao(const QString &)> &avaliar) {
    for (;;) {
        const Avaliacao a = avaliar(platform::ui::InputBox(prompt, platform::App::Title()));
        if (!a.aviso.isEmpty()) MsgBox(a.aviso);
        switch (a.passo) {
        case Avaliacao::Passo::Aceita: return a.valor;
        case Avaliacao::Passo::Recusa: return std::nullopt;
        case Avaliacao::Passo::PedeDeNovo: break;
        }
    }
}

} // namespace ui
