#include "core/escrita/HistoricoDeEstorno.h"

#include "core/escrita/Operacoes.h"
#include "platform/app/Application.h"
#include "platform/ui/MessageBox.h"
#include "ui/MsgBox.h"

namespace postings {

std::optional<QString> PedirHistoricoDeEstorno(const PedidoDeHistorico &pedido) {
    QString h;
    for (;;) {
        h = platform::ui::InputBox(pedido.prompt, platform::App::Title()).toUpper();
        if (h.contains(QLatin1Char('"')) || h.contains(QLatin1Char('\''))) {
            fin::MsgBox(kMsgAspasHistorico);
            continue;
        }
        // The history column holds 50 characters: a longer answer is asked for
        // again, or refused when the window asks only once.
        if (h.size() > kMaxHistorico && pedido.longoPedeDeNovo) {
            fin::MsgBox(kMsgHistoricoEstornoLongo);
            continue;
        }
        break;
    }
    if (pedido.soBrancosVale ? h.isEmpty() : h.trimmed().isEmpty()) {
        fin::MsgBox(kMsgHistoricoEstornoVazio);
        return std::nullopt;
    }
    if (h.size() > kMaxHistorico) {
        fin::MsgBox(kMsgHistoricoComMaisDe50);
        return std::nullopt;
    }
    return h;
}

} // namespace postings
