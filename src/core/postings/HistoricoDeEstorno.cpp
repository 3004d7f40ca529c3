#include "core/postings/HistoricoDeEstorno.h"

#include "core/postings/Operacoes.h"
#include "platform/app/Application.h"
#include "platform/ui/MsgBox.h"
#include "ui/MsgBox.h"

namespace postings {

std::optional<QString> PedirHistoricoDeEstorno() {
    QString h;
    for (;;) {
        h = ui::InputBox(kPromptHistoricoEstorno, platform::App::Title()).toUpper();
        if (h.contains(QLatin1Char('"')) || h.contains(QLatin1Char('\''))) {
            fin::MsgBox(kMsgAspasHistorico);
            continue;
        }
        // The history column holds 50 characters: a longer answer is asked for again.
        if (h.size() > kMaxHistorico) {
            fin::MsgBox(kMsgHistoricoEstornoLongo);
            continue;
        }
        break;
    }
    if (h.trimmed().isEmpty()) {
        fin::MsgBox(kMsgHistoricoEstornoVazio);
        return std::nullopt;
    }
    return h;
}

} // namespace postings
