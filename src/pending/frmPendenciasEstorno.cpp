// Reversing the selected posting, or both legs of a transfer, from the list.
#include "pending/frmPendencias.h"

#include "db/Schema.h"
#include "pending/frmPendenciasComum.h"
#include "ui/AppContext.h"
#include "ui/CHourGlass.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/HistoricoDeEstorno.h"
#include "ui/PerguntarAte.h"
#include "core/escrita/Operacoes.h"
#include "core/escrita/Permissoes.h"
#include "platform/app/Application.h"
#include "platform/ui/Messages.h"
#include "platform/widgets/FlexGrid.h"

namespace pending {

using core::escrita::Desfecho;

void frmPendencias::cmdEstornar_Click() {
    try {
        core::escrita::CRowData *reg = registroSelecionado();
        if (!reg) return;
        if (reg->Estornado) {
            ui::MsgBox(QStringLiteral("Este lançamento já foi estornado."));
            return;
        }
        if (reg->Estorno) {
            ui::MsgBox(QStringLiteral("Este lançamento já é um estorno e estornos não podem ser estornados. Faça um novo "
                                      "lançamento normal para compensar o estorno."));
            return;
        }
        // Only Yes goes on.
        if (ui::MsgBox(QStringLiteral("Confirma o estorno do lançamento selecionado?"), platform::ui::vbYesNo,
                       platform::App::Title()) != platform::ui::vbYes)
            return;
        if (reg->Transferencia > 0) {
            if (podeTransferir_) EstornoDeTransferencia(*reg);
            else
                informar(QStringLiteral("O lançamento refere-se a uma transferência e você não tem permissão para "
                                        "estornar uma transferência."));
            return;
        }
        if (ui::gTipoUsuario != db::kAdministrador &&
            core::escrita::PermissoesDeGravacao(*ui::gDB, ui::gIdUsuario, reg->CodConta, reg->CodRecDesp) < 2) {
            ui::MsgBox(core::escrita::kMsgSemPermissaoGravacao);
            return;
        }
        const std::optional<QString> historico = ui::PerguntarAte(
            core::escrita::kPromptHistoricoEstorno, [](const QString &r) { return core::escrita::AvaliarHistoricoDeEstorno(r); });
        if (!historico) return;
        const int linha = Fgrid->RowSel();
        ui::CHourGlass hg;
        hg.Show(true);
        core::escrita::Estorno e;
        const Desfecho d = core::escrita::Estornar(*ui::gDB, {"frmPendencias", "cmdEstornar_Click"}, reg->Serial,
                                                   *historico, ui::gIdUsuario, &e);
        if (d != Desfecho::Gravado) {
            hg.Show(false);
            if (d == Desfecho::Invalido) ui::MsgBox(e.recusa, platform::ui::vbInformation);
            else ui::MsgBox(core::escrita::MensagemDeEstornoRecusado(d, QString(), e.barrado));
            return;
        }
        reg->Estornado = true;
        reg->Realizado = QStringLiteral("E");
        Fgrid->setTextMatrix(linha, 1, QStringLiteral("E"));
        core::escrita::CRowData r;
        r.CodConta = e.codConta;
        r.CodRecDesp = e.codRecDesp;
        r.Serial = e.id;
        r.Estorno = true;
        r.DataId = e.dataId;
        r.Realizado = QStringLiteral("E");
        adicionarLinha({QString(), QStringLiteral("E"), e.data.toString(QStringLiteral("dd/MM/yyyy")), e.valor.toBr(),
                        Fgrid->TextMatrix(linha, 4), Fgrid->TextMatrix(linha, 5), Fgrid->TextMatrix(linha, 6), *historico},
                       r);
        mostrarUltimaLinha();
        hg.Show(false);
        informar(QStringLiteral("Estorno realizado com sucesso!"));
        long hint = ui::kHintLancamentos;
        ui::UpdateAllViews(hint, this);
        Fgrid->setFocus();
    } catch (...) {
        FIN_TRAP_REPORT("frmPendencias", "cmdEstornar_Click");
    }
}

void frmPendencias::EstornoDeTransferencia(core::escrita::CRowData &registro) {
    try {
        informar(registro.Transferencia == 1
                     ? QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de destino "
                                      "também será estornado e com o mesmo histórico que você informar aqui.")
                     : QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de origem "
                                      "também será estornado e com o mesmo histórico que você informar aqui."));
        const auto pernas = core::escrita::LerPernas(*ui::gDB, registro.Serial, ui::gIdUsuario, int(ui::gTipoUsuario));
        if (const std::optional<QString> recusa =
                core::escrita::RecusaDaTransferencia(pernas, int(ui::gTipoUsuario), core::escrita::OperacaoEmTransferencia::Estorno)) {
            informar(*recusa);
            cancelar();
        }
        const std::optional<QString> historico = ui::PerguntarAte(
            core::escrita::kPromptHistoricoEstorno, [](const QString &r) { return core::escrita::AvaliarHistoricoDeEstorno(r); });
        if (!historico) return;
        ui::CHourGlass hg;
        hg.Show(true);
        core::escrita::EstornoDeTransferenciaFeito feito;
        int perna = 0;
        QString desConta;
        const Desfecho d = core::escrita::EstornarTransferencia(*ui::gDB, {"frmPendencias", "EstornoDeTransferencia"},
                                                                registro.Serial, *historico, ui::gIdUsuario, &feito, &perna,
                                                                &desConta);
        if (d != Desfecho::Gravado) {
            // The pending list closes also when the file was busy before the second leg.
            const core::escrita::FimDeEstornoRecusado fim =
                core::escrita::FimDeEstornoDeTransferencia(d, perna, desConta, feito, true);
            hg.Show(false);
            ui::MsgBox(fim.mensagem, fim.informacao ? platform::ui::vbInformation : platform::ui::vbOKOnly);
            if (fim.fechaJanela) cancelar();
            return;
        }
        registro.Estornado = true;
        registro.Realizado = QStringLiteral("E");
        Fgrid->setTextMatrix(Fgrid->RowSel(), 1, QStringLiteral("E"));
        marcarLinha(registro.Serial == feito.b.idEstornado ? feito.a.idEstornado : feito.b.idEstornado,
                    QStringLiteral("E"), true);
        // The second leg's reversal first, then the first leg's.
        for (const core::escrita::Estorno *e : {&feito.b, &feito.a}) {
            core::escrita::CRowData r;
            r.CodConta = e->codConta;
            r.CodRecDesp = core::escrita::kTipoTransferencia;
            r.Serial = e->id;
            r.Estorno = true;
            r.Transferencia = e == &feito.a ? 1 : 2;
            r.Realizado = QStringLiteral("E");
            r.DataId = e->dataId;
            adicionarLinha({QString(), QStringLiteral("E"), e->data.toString(QStringLiteral("dd/MM/yyyy")),
                            core::escrita::TextoValor(e->valor), e->desConta, core::escrita::kDesTransferencia,
                            e->documento.value_or(QString()), *historico},
                           r);
        }
        mostrarUltimaLinha();
        long hint = ui::kHintLancamentos;
        ui::UpdateAllViews(hint, this);
    } catch (...) {
        ui::Trap("frmPendencias", "EstornoDeTransferencia", __LINE__);
        platform::ui::PostMessage(this, platform::ui::WM_CLOSE);
        ui::Reraise();
    }
}

} // namespace pending
