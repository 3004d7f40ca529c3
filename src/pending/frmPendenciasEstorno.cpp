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

using postings::Desfecho;

void frmPendencias::cmdEstornar_Click() {
    try {
        postings::CRowData *reg = registroSelecionado();
        if (!reg) return;
        if (reg->Estornado) {
            fin::MsgBox(QStringLiteral("Este lançamento já foi estornado."));
            return;
        }
        if (reg->Estorno) {
            fin::MsgBox(QStringLiteral("Este lançamento já é um estorno e estornos não podem ser estornados. Faça um novo "
                                       "lançamento normal para compensar o estorno."));
            return;
        }
        // Only Yes goes on.
        if (fin::MsgBox(QStringLiteral("Confirma o estorno do lançamento selecionado?"), platform::ui::vbYesNo,
                        platform::App::Title()) != platform::ui::vbYes)
            return;
        if (reg->Transferencia > 0) {
            if (podeTransferir_) EstornoDeTransferencia(*reg);
            else
                informar(QStringLiteral("O lançamento refere-se a uma transferência e você não tem permissão para "
                                        "estornar uma transferência."));
            return;
        }
        if (fin::gTipoUsuario != db::kAdministrador &&
            postings::PermissoesDeGravacao(*fin::gDB, fin::gIdUsuario, reg->CodConta, reg->CodRecDesp) < 2) {
            fin::MsgBox(postings::kMsgSemPermissaoGravacao);
            return;
        }
        const std::optional<QString> historico = fin::PerguntarAte(
            postings::kPromptHistoricoEstorno, [](const QString &r) { return postings::AvaliarHistoricoDeEstorno(r); });
        if (!historico) return;
        const int linha = Fgrid->RowSel();
        fin::CHourGlass hg;
        hg.Show(true);
        postings::Estorno e;
        const Desfecho d = postings::Estornar(*fin::gDB, {"frmPendencias", "cmdEstornar_Click"}, reg->Serial,
                                              *historico, fin::gIdUsuario, &e);
        if (d != Desfecho::Gravado) {
            hg.Show(false);
            if (d == Desfecho::Invalido) fin::MsgBox(e.recusa, platform::ui::vbInformation);
            else fin::MsgBox(postings::MensagemDeEstornoRecusado(d));
            return;
        }
        reg->Estornado = true;
        reg->Realizado = QStringLiteral("E");
        Fgrid->setTextMatrix(linha, 1, QStringLiteral("E"));
        postings::CRowData r;
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
        long hint = fin::kHintLancamentos;
        fin::UpdateAllViews(hint, this);
        Fgrid->setFocus();
    } catch (...) {
        FIN_TRAP_REPORT("frmPendencias", "cmdEstornar_Click");
    }
}

void frmPendencias::EstornoDeTransferencia(postings::CRowData &registro) {
    try {
        informar(registro.Transferencia == 1
                     ? QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de destino "
                                      "também será estornado e com o mesmo histórico que você informar aqui.")
                     : QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de origem "
                                      "também será estornado e com o mesmo histórico que você informar aqui."));
        const auto pernas = postings::LerPernas(*fin::gDB, registro.Serial, fin::gIdUsuario, int(fin::gTipoUsuario));
        if (const std::optional<QString> recusa =
                postings::RecusaDaTransferencia(pernas, int(fin::gTipoUsuario), postings::OperacaoEmTransferencia::Estorno)) {
            informar(*recusa);
            cancelar();
        }
        const std::optional<QString> historico = fin::PerguntarAte(
            postings::kPromptHistoricoEstorno, [](const QString &r) { return postings::AvaliarHistoricoDeEstorno(r); });
        if (!historico) return;
        fin::CHourGlass hg;
        hg.Show(true);
        postings::EstornoDeTransferenciaFeito feito;
        int perna = 0;
        QString desConta;
        const Desfecho d = postings::EstornarTransferencia(*fin::gDB, {"frmPendencias", "EstornoDeTransferencia"},
                                                           registro.Serial, *historico, fin::gIdUsuario, &feito, &perna,
                                                           &desConta);
        if (d != Desfecho::Gravado) {
            // The pending list closes also when the file was busy before the second leg.
            const postings::FimDeEstornoRecusado fim =
                postings::FimDeEstornoDeTransferencia(d, perna, desConta, feito, true);
            hg.Show(false);
            fin::MsgBox(fim.mensagem, fim.informacao ? platform::ui::vbInformation : platform::ui::vbOKOnly);
            if (fim.fechaJanela) cancelar();
            return;
        }
        registro.Estornado = true;
        registro.Realizado = QStringLiteral("E");
        Fgrid->setTextMatrix(Fgrid->RowSel(), 1, QStringLiteral("E"));
        marcarLinha(registro.Serial == feito.b.idEstornado ? feito.a.idEstornado : feito.b.idEstornado,
                    QStringLiteral("E"), true);
        // The second leg's reversal first, then the first leg's.
        for (const postings::Estorno *e : {&feito.b, &feito.a}) {
            postings::CRowData r;
            r.CodConta = e->codConta;
            r.CodRecDesp = postings::kTipoTransferencia;
            r.Serial = e->id;
            r.Estorno = true;
            r.Transferencia = e == &feito.a ? 1 : 2;
            r.Realizado = QStringLiteral("E");
            r.DataId = e->dataId;
            adicionarLinha({QString(), QStringLiteral("E"), e->data.toString(QStringLiteral("dd/MM/yyyy")),
                            postings::TextoValor(e->valor), e->desConta, postings::kDesTransferencia,
                            e->documento.value_or(QString()), *historico},
                           r);
        }
        mostrarUltimaLinha();
        long hint = fin::kHintLancamentos;
        fin::UpdateAllViews(hint, this);
    } catch (...) {
        fin::Trap("frmPendencias", "EstornoDeTransferencia", __LINE__);
        platform::ui::PostMessage(this, platform::ui::WM_CLOSE);
        fin::Reraise();
    }
}

} // namespace pending
