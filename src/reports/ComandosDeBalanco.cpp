#include "reports/ComandosDeBalanco.h"

#include "core/consultas/ModosDeRelatorio.h"
#include "core/permissoes/CPermissao.h"
#include "reports/frmBalSal.h"
#include "reports/frmExtra.h"
#include "ui/AppContext.h"


namespace reports {

using core::consultas::PedidoBalanco;
using core::consultas::kBalancoDeContas;
using core::consultas::kSaldosDeContas;
using core::consultas::kSaldosDeTipos;

namespace {
// The marked codes of the whole item tree, in tree order.
void marcados(const core::permissoes::CPermissoes &itens, QStringList &codigos) {
    for (const auto &item : itens) {
        if (item->Selecionada()) codigos << item->CodObjeto();
        marcados(item->SubItens(), codigos);
    }
}
} // namespace

std::optional<BalancoPedido> PedirBalanco(long mode) {
    const std::unique_ptr<frmExtra> dlg = MostrarSelecao(mode);
    if (dlg->Cancelada) return std::nullopt;

    BalancoPedido b;
    PedidoBalanco &p = b.pedido;
    p.contas = mode == kBalancoDeContas || mode == kSaldosDeContas;
    p.tipo = mode == kSaldosDeContas || mode == kSaldosDeTipos ? PedidoBalanco::Tipo::Data : PedidoBalanco::Tipo::Periodo;
    p.dataFim = dlg->DataFim;
    marcados(dlg->ContasSel(), p.codigos);
    p.comSubItens = dlg->ComSubItens;
    if (p.tipo == PedidoBalanco::Tipo::Periodo) {
        p.dataIni = dlg->DataIni;
        p.historico = dlg->Historico;
        p.soNaoRealizados = dlg->SoNaoRealizados;
        p.balSemSubs = dlg->BalSemSubs;
    }
    p.tipoUsuario = ui::gTipoUsuario;
    p.idUsuario = ui::gIdUsuario;
    b.titulo = dlg->retCaption;
    return b;
}

frmBalSal *AbrirBalancoDaSelecao(long mode) {
    const std::optional<BalancoPedido> b = PedirBalanco(mode);
    if (!b) return nullptr;
    return AbrirBalanco(mode, b->pedido, b->titulo);
}

} // namespace reports
