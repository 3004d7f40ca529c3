// Settling, taking a settlement back and reversing the selected posting. The
// writes are the write core's; the window refuses what it may not do, asks,
// says how it ended and refreshes itself and the other windows.
#include "core/escrita/Escrita.h"
#include "db/Schema.h"
#include "core/escrita/HistoricoDeEstorno.h"
#include "ui/PerguntarAte.h"
#include "core/escrita/Operacoes.h"
#include "core/escrita/Permissoes.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"
#include "platform/ui/Messages.h"
#include "platform/ui/MessageBox.h"
#include "search/frmRetPesq.h"
#include "ui/AppContext.h"
#include "ui/CHourGlass.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"

namespace search {

using core::escrita::AvaliarHistoricoDeEstorno;
using core::escrita::Baixar;
using core::escrita::Desfecho;
using core::escrita::DocumentoAusente;
using core::escrita::Estornar;
using core::escrita::EstornarTransferencia;
using core::escrita::Estorno;
using core::escrita::EstornoDeTransferenciaFeito;
using core::escrita::FimDeEstornoDeTransferencia;
using core::escrita::FimDeEstornoRecusado;
using core::escrita::LerPernas;
using core::escrita::MensagemDeEstornoRecusado;
using core::escrita::OperacaoEmTransferencia;
using core::escrita::PedidoDeHistorico;
using core::escrita::PermissoesDeGravacao;
using core::escrita::PernaDeTransferencia;
using core::escrita::RecusaDaTransferencia;
using core::escrita::kMsgBaixaNaoOcorreu;
using core::escrita::kMsgBloqueio;
using core::escrita::kMsgFaltaPerna;
using core::escrita::kMsgRemocaoDeBaixaNaoOcorreu;
using core::escrita::kMsgSemPermissaoGravacao;

namespace {

[[noreturn]] void cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

const QString kMsgSemGravacaoConta = QStringLiteral("Você não tem permissão de gravação nesta conta.");
const QString kMsgEstornoFeito = QStringLiteral("Estorno realizado com sucesso!");

int informar(const QString &texto) { return ui::MsgBox(texto, platform::ui::vbInformation); }

// The write permissions a common user needs on the row's account and type
// (on the account alone for the type "000"); refused with the message and the
// silent cancel error.
void exigirGravacao(dao::Recordset &rs, const QString &msgContaETipo, const QString &msgConta) {
    if (ui::gTipoUsuario == db::kAdministrador) return;
    const QString codRecDesp = rs.Field(QStringLiteral("CodRecDesp")).toString();
    const long total = PermissoesDeGravacao(*ui::gDB, ui::gIdUsuario, rs.Field(QStringLiteral("CodConta")).toString(),
                                            codRecDesp);
    if (codRecDesp != QStringLiteral("000") ? total < 2 : total == 0) {
        ui::MsgBox(codRecDesp != QStringLiteral("000") ? msgContaETipo : msgConta);
        cancelar();
    }
}

// Both legs of the transfer of posting `id`, checked: a missing leg, or a leg
// on an account the common user may not write to, ends with the message and
// the silent cancel error before anything is written.
std::vector<PernaDeTransferencia> pernasVerificadas(long id, OperacaoEmTransferencia operacao) {
    std::vector<PernaDeTransferencia> pernas = LerPernas(*ui::gDB, id, ui::gIdUsuario, int(ui::gTipoUsuario));
    if (const std::optional<QString> recusa = RecusaDaTransferencia(pernas, int(ui::gTipoUsuario), operacao)) {
        informar(*recusa);
        cancelar();
    }
    return pernas;
}

const PernaDeTransferencia &perna(const std::vector<PernaDeTransferencia> &pernas, int transferencia) {
    return pernas[0].transferencia == transferencia ? pernas[0] : pernas[1];
}

long idDe(dao::Recordset &rs) { return long(rs.Field(QStringLiteral("id")).toInt()); }
} // namespace

// ---- settling ----------------------------------------------------------------------------

// What follows a settlement or its removal, single or for a transfer: the
// outcome's message, and on success the refreshed results and the broadcast.
void frmRetPesq::concluirBaixa(Desfecho desfecho, const QString &recusa, const QString &sucesso,
                               const QString &naoOcorreu) {
    switch (desfecho) {
    case Desfecho::Gravado: {
        FazConsulta();
        informar(sucesso);
        HabilitarDesabilitar();
        long hint = ui::kHintLancamentos;
        ui::UpdateAllViews(hint, this);
        return;
    }
    case Desfecho::Bloqueio:
        ui::MsgBox(kMsgBloqueio);
        return;
    case Desfecho::Incompleta:
        informar(kMsgFaltaPerna);
        return;
    case Desfecho::Invalido:
        informar(recusa);
        return;
    default:
        informar(naoOcorreu);
        return;
    }
}

void frmRetPesq::cmdBaixar_Click() {
    try {
        if (!posicionarNaSelecao(QStringLiteral("Nenhum lançamento está selecionado para baixa. Clique sobre um "
                                                "lançamento para selecioná-lo.")))
            return;
        dao::Recordset &rs = *Recordset();
        if (rs.Field(QStringLiteral("Estornado")).toBool()) {
            ui::MsgBox(QStringLiteral("Este lançamento foi estornado e não pode ser baixado."));
            return;
        }
        if (rs.Field(QStringLiteral("Estorno")).toBool()) {
            ui::MsgBox(QStringLiteral("Este lançamento é um estorno e estornos não podem ser baixados."));
            return;
        }
        if (rs.Field(QStringLiteral("Transferencia")).toInt() > 0) {
            if (podeOperarTransferencias_) BaixaDeTransferencia();
            else
                informar(QStringLiteral("O lançamento refere-se a uma transferência e você não tem permissão para "
                                        "baixar uma transferência."));
            return;
        }
        exigirGravacao(rs, kMsgSemPermissaoGravacao, kMsgSemGravacaoConta);
        const int resposta = ui::MsgBox(QStringLiteral("A previsão do lançamento se realizou?"), platform::ui::vbYesNo);
        // Only the two answers settle: a box closed any other way writes nothing.
        if (resposta != platform::ui::vbYes && resposta != platform::ui::vbNo) return;
        const QString novo = resposta == platform::ui::vbYes ? QStringLiteral("S") : QStringLiteral("N");
        const QString antigo = rs.Field(QStringLiteral("Realizado")).toString();
        QString recusa;
        const Desfecho desfecho =
            Baixar(*ui::gDB, {"frmRetPesq", "cmdBaixar_Click"}, idDe(rs), 0, antigo, novo, &recusa);
        concluirBaixa(desfecho, recusa, QStringLiteral("Baixa realizada com sucesso!"),
                      kMsgBaixaNaoOcorreu);
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "cmdBaixar_Click");
    }
}

void frmRetPesq::BaixaDeTransferencia() {
    try {
        dao::Recordset &rs = *Recordset();
        informar(rs.Field(QStringLiteral("Transferencia")).toInt() == 1
                     ? QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de "
                                      "destino também será baixado.")
                     : QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de "
                                      "origem também será baixado."));
        const std::vector<PernaDeTransferencia> pernas = pernasVerificadas(idDe(rs), OperacaoEmTransferencia::Baixa);
        const int resposta = ui::MsgBox(QStringLiteral("A previsão do lançamento se realizou?"), platform::ui::vbYesNo);
        if (resposta != platform::ui::vbYes && resposta != platform::ui::vbNo) return;
        const QString novo = resposta == platform::ui::vbYes ? QStringLiteral("S") : QStringLiteral("N");
        const QString antigo = rs.Field(QStringLiteral("Realizado")).toString();
        // Both legs change or neither: a leg stored with another code than the
        // one shown leaves the pair as it was.
        QString recusa;
        const Desfecho desfecho = Baixar(*ui::gDB, {"frmRetPesq", "BaixaDeTransferencia"}, perna(pernas, 1).id,
                                         perna(pernas, 2).id, antigo, novo, &recusa);
        concluirBaixa(desfecho, recusa, QStringLiteral("Baixa realizada com sucesso!"),
                      kMsgBaixaNaoOcorreu);
    } catch (...) {
        FIN_TRAP_RERAISE("frmRetPesq", "BaixaDeTransferencia");
    }
}

// ---- taking a settlement back ---------------------------------------------------------

void frmRetPesq::cmdRemBaixa_Click() {
    try {
        if (!posicionarNaSelecao(QStringLiteral("Nenhum lançamento está selecionado para remoção de baixa. Clique "
                                                "sobre um lançamento para selecioná-lo.")))
            return;
        dao::Recordset &rs = *Recordset();
        if (rs.Field(QStringLiteral("Estornado")).toBool()) {
            ui::MsgBox(QStringLiteral("Este lançamento foi estornado e não pode ser alterado."));
            return;
        }
        if (rs.Field(QStringLiteral("Estorno")).toBool()) {
            ui::MsgBox(QStringLiteral("Este lançamento é um estorno e estornos não podem ser alterados."));
            return;
        }
        const QString antigo = rs.Field(QStringLiteral("Realizado")).toString();
        if (antigo == QStringLiteral("?")) {
            informar(QStringLiteral("O lançamento selecionado não foi baixado para ter sua baixa removida."));
            return;
        }
        if (rs.Field(QStringLiteral("Transferencia")).toInt() > 0) {
            if (podeOperarTransferencias_) RemocaoBaixaDeTransferencia();
            else
                informar(QStringLiteral("O lançamento refere-se a uma transferência e você não tem permissão para "
                                        "remover baixa de uma transferência."));
            return;
        }
        exigirGravacao(rs, kMsgSemPermissaoGravacao, kMsgSemGravacaoConta);
        if (ui::MsgBox(QStringLiteral("Confirma a remoção da baixa do lançamento selecionado?"), platform::ui::vbYesNo) !=
            platform::ui::vbYes)
            return;
        QString recusa;
        const Desfecho desfecho = Baixar(*ui::gDB, {"frmRetPesq", "cmdRemBaixa_Click"}, idDe(rs), 0, antigo,
                                         QStringLiteral("?"), &recusa);
        concluirBaixa(desfecho, recusa, QStringLiteral("Remoção de baixa realizada com sucesso!"),
                      QStringLiteral("A remoção da baixa do lançamento não ocorreu. Um motivo pode ser o de outro "
                                    "usuário ter acabado de estorná-lo ou remover sua baixa.\nAtualize sua pesquisa."));
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "cmdRemBaixa_Click");
    }
}

void frmRetPesq::RemocaoBaixaDeTransferencia() {
    try {
        dao::Recordset &rs = *Recordset();
        informar(rs.Field(QStringLiteral("Transferencia")).toInt() == 1
                     ? QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de "
                                      "destino também terá a baixa removida.")
                     : QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de "
                                      "origem também terá a baixa removida"));
        const std::vector<PernaDeTransferencia> pernas = pernasVerificadas(idDe(rs), OperacaoEmTransferencia::Baixa);
        const QString antigo = rs.Field(QStringLiteral("Realizado")).toString();
        QString recusa;
        const Desfecho desfecho = Baixar(*ui::gDB, {"frmRetPesq", "RemocaoBaixaDeTransferencia"}, perna(pernas, 1).id,
                                         perna(pernas, 2).id, antigo, QStringLiteral("?"), &recusa);
        concluirBaixa(desfecho, recusa, QStringLiteral("Baixa removida com sucesso!"),
                      kMsgRemocaoDeBaixaNaoOcorreu);
    } catch (...) {
        FIN_TRAP_RERAISE("frmRetPesq", "RemocaoBaixaDeTransferencia");
    }
}

// ---- reversal ------------------------------------------------------------------------------

void frmRetPesq::cmdEstornar_Click() {
    try {
        if (!posicionarNaSelecao(QStringLiteral("Nenhum lançamento está selecionado para estorno. Clique sobre um "
                                                "lançamento para selecioná-lo.")))
            return;
        dao::Recordset &rs = *Recordset();
        if (rs.Field(QStringLiteral("Estornado")).toBool()) {
            ui::MsgBox(QStringLiteral("Este lançamento já foi estornado."));
            return;
        }
        if (rs.Field(QStringLiteral("Estorno")).toBool()) {
            ui::MsgBox(QStringLiteral("Este lançamento já é um estorno e estornos não podem ser estornados. Faça um "
                                      "novo lançamento normal para compensar o estorno."));
            return;
        }
        if (rs.Field(QStringLiteral("Realizado")).toString() == QStringLiteral("N")) {
            ui::MsgBox(QStringLiteral("Este lançamento já está baixado como não realizado. Para estorná-lo é preciso "
                                      "remover sua baixa antes."));
            return;
        }
        if (ui::MsgBox(QStringLiteral("Confirma o estorno do lançamento selecionado?"), platform::ui::vbYesNo) != platform::ui::vbYes)
            return;
        if (rs.Field(QStringLiteral("Transferencia")).toInt() > 0) {
            if (podeOperarTransferencias_) EstornoDeTransferencia();
            else
                informar(QStringLiteral("O lançamento refere-se a uma transferência e você não tem permissão para "
                                        "estornar uma transferência."));
            return;
        }
        if (ui::gTipoUsuario != db::kAdministrador &&
            PermissoesDeGravacao(*ui::gDB, ui::gIdUsuario, rs.Field(QStringLiteral("CodConta")).toString(),
                                 rs.Field(QStringLiteral("CodRecDesp")).toString()) < 2) {
            ui::MsgBox(kMsgSemPermissaoGravacao);
            cancelar();
        }
        PedidoDeHistorico pedido;
        pedido.prompt = QStringLiteral("Entre com o histórico para o estorno (máx 50 caracteres):");
        pedido.longoPedeDeNovo = false;
        pedido.soBrancosVale = true;
        const std::optional<QString> historico = ui::PerguntarAte(
            pedido.prompt, [&](const QString &r) { return AvaliarHistoricoDeEstorno(r, pedido); });
        if (!historico) return;
        ui::CHourGlass hg;
        hg.Show(true);
        // The stored posting is read inside the transaction, so a settlement
        // made meanwhile by another copy is in the balances the reversal gets.
        Estorno feito;
        const Desfecho d = Estornar(*ui::gDB, {"frmRetPesq", "cmdEstornar_Click"}, idDe(rs), *historico,
                                    ui::gIdUsuario, &feito, DocumentoAusente::Vazio);
        if (d != Desfecho::Gravado) {
            hg.Show(false);
            if (d == Desfecho::Invalido) ui::MsgBox(feito.recusa, platform::ui::vbInformation);
            else ui::MsgBox(MensagemDeEstornoRecusado(d, QString(), feito.barrado));
            return;
        }
        FazConsulta();
        hg.Show(false);
        informar(kMsgEstornoFeito);
        long hint = ui::kHintLancamentos;
        ui::UpdateAllViews(hint, this);
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "cmdEstornar_Click");
    }
}

void frmRetPesq::EstornoDeTransferencia() {
    try {
        dao::Recordset &rs = *Recordset();
        informar(rs.Field(QStringLiteral("Transferencia")).toInt() == 1
                     ? QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de "
                                      "destino também será estornado e com o mesmo histórico que você informar aqui.")
                     : QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de "
                                      "origem também será estornado e com o mesmo histórico que você informar aqui."));
        const long id = idDe(rs);
        pernasVerificadas(id, OperacaoEmTransferencia::Estorno);
        PedidoDeHistorico pedido;
        pedido.longoPedeDeNovo = false;
        const std::optional<QString> historico = ui::PerguntarAte(
            pedido.prompt, [&](const QString &r) { return AvaliarHistoricoDeEstorno(r, pedido); });
        if (!historico) return;
        ui::CHourGlass hg;
        hg.Show(true);
        int qual = 0;
        QString desConta;
        EstornoDeTransferenciaFeito feito;
        const Desfecho d = EstornarTransferencia(*ui::gDB, {"frmRetPesq", "EstornoDeTransferencia"}, id, *historico,
                                                 ui::gIdUsuario, &feito, &qual, &desConta);
        if (d != Desfecho::Gravado) {
            const FimDeEstornoRecusado fim = FimDeEstornoDeTransferencia(d, qual, desConta, feito);
            hg.Show(false);
            ui::MsgBox(fim.mensagem, fim.informacao ? platform::ui::vbInformation : platform::ui::vbOKOnly);
            if (fim.fechaJanela) cancelar();
            return;
        }
        long hint = ui::kHintLancamentos;
        ui::UpdateAllViews(hint, this);
        hg.Show(false);
        informar(kMsgEstornoFeito);
        FazConsulta();
    } catch (...) {
        FIN_TRAP(("frmRetPesq"), "EstornoDeTransferencia");
        platform::ui::PostMessage(this, platform::ui::WM_CLOSE);
        ui::Reraise();
    }
}

} // namespace search
