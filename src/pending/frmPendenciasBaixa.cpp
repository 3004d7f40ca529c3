// Settling a posting as realised or not realised and taking the settlement
// back, for one posting or both legs of a transfer.
#include "pending/frmPendencias.h"

#include "db/Schema.h"
#include "pending/frmPendenciasComum.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "core/escrita/Permissoes.h"
#include "platform/app/Application.h"
#include "platform/widgets/FlexGrid.h"

namespace pending {

using core::escrita::Desfecho;

namespace {

// Yes and No only: Yes realised, No not realised. Any other answer (a box
// dismissed somehow) leaves everything as it was, since No moves balances.
std::optional<QString> perguntarSeRealizou() {
    const int r = ui::MsgBox(kPerguntaRealizou, platform::ui::vbYesNo, platform::App::Title());
    if (r == platform::ui::vbYes) return QStringLiteral("S");
    if (r == platform::ui::vbNo) return QStringLiteral("N");
    return std::nullopt;
}

} // namespace

void frmPendencias::cmdBaixar_Click() {
    try {
        mudarBaixa(false);
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmPendencias", "cmdBaixar_Click");
    }
}

void frmPendencias::cmdRemBaixa_Click() {
    try {
        mudarBaixa(true);
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmPendencias", "cmdRemBaixa_Click");
    }
}

void frmPendencias::mudarBaixa(bool remover) {
    core::escrita::CRowData *reg = registroSelecionado();
    if (!reg) return;
    if (reg->Estornado) {
        ui::MsgBox(remover ? QStringLiteral("Este lançamento foi estornado e não pode ser alterado.")
                           : QStringLiteral("Este lançamento foi estornado e não pode ser baixado."));
        return;
    }
    if (reg->Estorno) {
        ui::MsgBox(remover ? QStringLiteral("Este lançamento é um estorno e estornos não podem ser alterados.")
                           : QStringLiteral("Este lançamento é um estorno e estornos não podem ser baixados."));
        return;
    }
    if (remover && reg->Realizado == QStringLiteral("?")) {
        informar(QStringLiteral("O lançamento selecionado não foi baixado para ter sua baixa removida."));
        return;
    }
    if (reg->Transferencia != 0) {
        if (podeTransferir_) {
            mudarBaixaDeTransferencia(*reg, remover);
        } else {
            informar(remover ? QStringLiteral("O lançamento refere-se a uma transferência e você não tem permissão para "
                                              "remover baixa de uma transferência.")
                             : QStringLiteral("O lançamento refere-se a uma transferência e você não tem permissão para "
                                              "baixar uma transferência."));
        }
        return;
    }
    if (ui::gTipoUsuario != db::kAdministrador &&
        core::escrita::PermissoesDeGravacao(*ui::gDB, ui::gIdUsuario, reg->CodConta, reg->CodRecDesp) < 2) {
        ui::MsgBox(core::escrita::kMsgSemPermissaoGravacao);
        return;
    }
    QString novo = QStringLiteral("?");
    if (remover) {
        if (ui::MsgBox(QStringLiteral("Confirma a remoção da baixa do lançamento selecionado?"), platform::ui::vbYesNo,
                       platform::App::Title()) != platform::ui::vbYes)
            return;
    } else {
        const std::optional<QString> resposta = perguntarSeRealizou();
        if (!resposta) return;
        novo = *resposta;
    }
    const long serial = reg->Serial;
    const QString antigo = reg->Realizado;
    const core::escrita::Chamador onde{"frmPendencias", remover ? "cmdRemBaixa_Click" : "cmdBaixar_Click"};
    QString recusa;
    switch (core::escrita::Baixar(*ui::gDB, onde, serial, 0, antigo, novo, &recusa)) {
    case Desfecho::Gravado:
        break;
    case Desfecho::Bloqueio:
        ui::MsgBox(core::escrita::kMsgBloqueio);
        return;
    case Desfecho::Invalido:
        informar(recusa);
        return;
    default:
        informar(remover ? QStringLiteral("A remoção da baixa do lançamento não ocorreu. Um motivo pode ser o de outro "
                                          "usuário ter acabado de estorná-lo ou de remover sua baixa.\nAtualize sua "
                                          "pesquisa.")
                         : core::escrita::kMsgBaixaNaoOcorreu);
        return;
    }
    reg->Realizado = novo;
    Fgrid->setTextMatrix(Fgrid->RowSel(), 1, novo);
    informar(remover ? QStringLiteral("Remoção de baixa realizada com sucesso!") : QStringLiteral("Baixa realizada com sucesso!"));
    long hint = ui::kHintLancamentos;
    ui::UpdateAllViews(hint, this);
    Fgrid->setFocus();
}

void frmPendencias::BaixaDeTransferencia(core::escrita::CRowData &registro) { mudarBaixaDeTransferencia(registro, false); }

void frmPendencias::RemocaoBaixaDeTransferencia(core::escrita::CRowData &registro) { mudarBaixaDeTransferencia(registro, true); }

void frmPendencias::mudarBaixaDeTransferencia(core::escrita::CRowData &registro, bool remover) {
    const char *procedimento = remover ? "RemocaoBaixaDeTransferencia" : "BaixaDeTransferencia";
    try {
        const bool origem = registro.Transferencia == 1;
        if (remover)
            informar(origem ? QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de "
                                             "destino também terá a baixa removida.")
                            : QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de "
                                             "origem também terá a baixa removida"));
        else
            informar(origem ? QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de "
                                             "destino também será baixado.")
                            : QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de "
                                             "origem também será baixado."));
        const auto pernas = core::escrita::LerPernas(*ui::gDB, registro.Serial, ui::gIdUsuario, int(ui::gTipoUsuario));
        // One outgoing and one incoming leg: with any other pair one leg's
        // balances would move from the wrong date, or twice.
        if (const std::optional<QString> recusa =
                core::escrita::RecusaDaTransferencia(pernas, int(ui::gTipoUsuario), core::escrita::OperacaoEmTransferencia::Baixa)) {
            informar(*recusa);
            cancelar();
        }
        QString novo = QStringLiteral("?");
        if (!remover) {
            const std::optional<QString> resposta = perguntarSeRealizou();
            if (!resposta) return;
            novo = *resposta;
        }
        const QString antigo = registro.Realizado;
        QString recusa;
        switch (core::escrita::Baixar(*ui::gDB, {"frmPendencias", procedimento}, pernas[0].id, pernas[1].id, antigo, novo,
                                      &recusa)) {
        case Desfecho::Gravado:
            break;
        case Desfecho::Bloqueio:
            ui::MsgBox(core::escrita::kMsgBloqueio);
            return;
        case Desfecho::Incompleta:
            informar(core::escrita::kMsgFaltaPerna);
            cancelar();
        case Desfecho::Invalido:
            informar(recusa);
            return;
        default:
            informar(remover ? core::escrita::kMsgRemocaoDeBaixaNaoOcorreu : core::escrita::kMsgBaixaNaoOcorreu);
            return;
        }
        registro.Realizado = novo;
        Fgrid->setTextMatrix(Fgrid->RowSel(), 1, novo);
        marcarLinha(registro.Serial == pernas[0].id ? pernas[1].id : pernas[0].id, novo, false);
        informar(remover ? QStringLiteral("Baixa removida com sucesso!") : QStringLiteral("Baixa realizada com sucesso!"));
        long hint = ui::kHintLancamentos;
        ui::UpdateAllViews(hint, this);
    } catch (...) {
        FIN_TRAP_RERAISE("frmPendencias", procedimento);
    }
}

} // namespace pending
