#include "reports/Extrato.h"

#include "db/Schema.h"
#include "core/consultas/Selecao.h"
#include "core/permissoes/CPermissao.h"
#include "reports/SqlExtrato.h"
#include "reports/frmExtra.h"
#include "ui/AppContext.h"


namespace reports {

using core::consultas::MarcadosDe;

std::optional<Extrato> PedirExtrato(long mode) {
    const std::unique_ptr<frmExtra> dlg = MostrarSelecao(mode);
    if (dlg->Cancelada) return std::nullopt;

    PedidoDeExtrato p;
    p.mode = mode;
    p.dataIni = dlg->DataIni;
    p.dataFim = dlg->DataFim;
    p.marcados = MarcadosDe(dlg->ContasSel());
    p.historico = dlg->Historico;
    p.soNaoRealizados = dlg->SoNaoRealizados;
    p.comSubItens = dlg->ComSubItens;
    p.usuarioComum = ui::gTipoUsuario == db::kUsuarioComum;
    p.idUsuario = ui::gIdUsuario;

    Extrato e;
    e.expressaoNoHistorico = dlg->Historico.trimmed();
    e.soNaoRealizados = dlg->SoNaoRealizados;
    e.dataIni = dlg->DataIni;
    e.dataFim = dlg->DataFim;
    e.titulo = dlg->retCaption;
    e.sql = SqlDoExtrato(p);
    e.contas = p.marcados.lista;
    e.mode = mode;
    return e;
}

} // namespace reports
