#include "core/escrita/HistoricoDeEstorno.h"

#include "core/escrita/Operacoes.h"

namespace core::escrita {

ui::Avaliacao AvaliarHistoricoDeEstorno(const QString &resposta, const PedidoDeHistorico &pedido) {
    using Passo = ui::Avaliacao::Passo;
    const QString h = resposta.toUpper();
    if (h.contains(QLatin1Char('"')) || h.contains(QLatin1Char('\'')))
        return {Passo::PedeDeNovo, kMsgAspasHistorico, {}};
    // The history column holds 50 characters: a longer answer is asked for
    // again, or refused when the window asks only once.
    if (h.size() > kMaxHistorico && pedido.longoPedeDeNovo)
        return {Passo::PedeDeNovo, kMsgHistoricoEstornoLongo, {}};
    if (pedido.soBrancosVale ? h.isEmpty() : h.trimmed().isEmpty())
        return {Passo::Recusa, kMsgHistoricoEstornoVazio, {}};
    if (h.size() > kMaxHistorico) return {Passo::Recusa, kMsgHistoricoComMaisDe50, {}};
    return {Passo::Aceita, {}, h};
}

} // namespace core::escrita
