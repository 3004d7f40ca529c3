#include "postings/frmLancamentos.h"

#include "postings/frmLancamentosComum.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "ui/Campos.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/HistoricoDeEstorno.h"
#include "ui/PerguntarAte.h"
#include "core/escrita/Operacoes.h"
#include "ui/CHourGlass.h"

#include <QPushButton>

namespace postings {

using core::escrita::AvaliarHistoricoDeEstorno;
using core::escrita::CRowData;
using core::escrita::Desfecho;
using core::escrita::Estornar;
using core::escrita::EstornarTransferencia;
using core::escrita::Estorno;
using core::escrita::EstornoDeTransferenciaFeito;
using core::escrita::FimDeEstornoDeTransferencia;
using core::escrita::FimDeEstornoRecusado;
using core::escrita::MensagemDeEstornoRecusado;
using core::escrita::TextoValor;
using core::escrita::kDesTransferencia;
using core::escrita::kMsgFaltaPerna;
using core::escrita::kPromptHistoricoEstorno;
using core::escrita::kTipoTransferencia;

using value::Currency;

// ---- reversal ---------------------------------------------------------------------

void frmLancamentos::cmdEstornar_Click() {
    try {
        const long chave = Fgrid->RowData(Fgrid->RowSel());
        if (chave == 0) return;
        const int linha = Fgrid->RowSel();
        auto it = linhas_.find(QString::number(chave));
        if (it == linhas_.end()) return;
        CRowData &reg = *it;
        if (reg.Estornado) {
            ui::MsgBox(QStringLiteral("Este lançamento já foi estornado. Veja o lançamento seguinte a ele na lista."));
            return;
        }
        if (reg.Estorno) {
            ui::MsgBox(QStringLiteral("Este lançamento já é um estorno e estornos não podem ser estornados. Faça um novo "
                                      "lançamento normal para compensar o estorno."));
            return;
        }
        // Only Yes goes on: a box closed any other way writes nothing.
        if (ui::MsgBox(QStringLiteral("Confirma o estorno do lançamento selecionado?"), platform::ui::vbYesNo) != platform::ui::vbYes) return;
        if (reg.Transferencia > 0) {
            EstornoDeTransferencia(reg.Serial, long(reg.Transferencia), reg);
            return;
        }
        const std::optional<QString> historico = ui::PerguntarAte(
            kPromptHistoricoEstorno, [](const QString &r) { return AvaliarHistoricoDeEstorno(r); });
        if (!historico) return;
        const QString &hist = *historico;
        ui::CHourGlass hg;
        hg.Show(true);
        Estorno e;
        const Desfecho d = Estornar(*ui::gDB, {"frmLancamentos", "cmdEstornar_Click"}, reg.Serial, hist, ui::gIdUsuario, &e);
        if (d != Desfecho::Gravado) {
            hg.Show(false);
            if (d == Desfecho::Invalido) ui::MsgBox(e.recusa, platform::ui::vbInformation);
            else ui::MsgBox(MensagemDeEstornoRecusado(d, QString(), e.barrado));
            return;
        }
        const QString conta = Fgrid->TextMatrix(linha, 3), tipo = Fgrid->TextMatrix(linha, 4);
        const QString serialReg = QString::number(chave);
        depoisDeGravar([&] {
            linhas_[serialReg].Estornado = true;
            CRowData r;
            r.CodConta = e.codConta;
            r.CodRecDesp = e.codRecDesp;
            r.Serial = e.id;
            r.Estorno = true;
            adicionarLinha(QStringList{QString(), e.data.toString(QStringLiteral("dd/MM/yyyy")), e.valor.toBr(), conta,
                                       tipo, e.documento.value_or(QString()), hist}
                               .join(QLatin1Char('\t')),
                           r);
            mostrarUltimaLinha(false);
        });
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", "cmdEstornar_Click");
    }
}

void frmLancamentos::EstornoDeTransferencia(long serial, long transferencia, CRowData &registro) {
    try {
        ui::MsgBox(transferencia == 1
                       ? QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de "
                                        "destino também será estornado e com o mesmo histórico que você informar aqui.")
                       : QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de "
                                        "origem também será estornado e com o mesmo histórico que você informar aqui."),
                   platform::ui::vbInformation);
        {
            auto rs = ui::gDB->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Transferencias As T INNER JOIN "
                                                            "Lancamentos As L ON (L.Id = T.SerialEntra Or L.Id = "
                                                            "T.SerialSai) WHERE T.SerialSai = ") +
                                                 QString::number(serial) + QStringLiteral(" or T.SerialEntra = ") +
                                                 QString::number(serial),
                                             dao::dbOpenSnapshot);
            if (rs->Field(0).toInt() < 2) {
                ui::MsgBox(kMsgFaltaPerna, platform::ui::vbInformation);
                cancelar();
            }
        }
        const std::optional<QString> historico = ui::PerguntarAte(
            kPromptHistoricoEstorno, [](const QString &r) { return AvaliarHistoricoDeEstorno(r); });
        if (!historico) return;
        const QString &hist = *historico;
        ui::CHourGlass hg;
        hg.Show(true);
        EstornoDeTransferenciaFeito feito;
        int perna = 0;
        QString desConta;
        const Desfecho d = EstornarTransferencia(*ui::gDB, {"frmLancamentos", "EstornoDeTransferencia"}, serial, hist,
                                                 ui::gIdUsuario, &feito, &perna, &desConta);
        if (d != Desfecho::Gravado) {
            const FimDeEstornoRecusado fim = FimDeEstornoDeTransferencia(d, perna, desConta, feito);
            hg.Show(false);
            ui::MsgBox(fim.mensagem, fim.informacao ? platform::ui::vbInformation : platform::ui::vbOKOnly);
            if (fim.fechaJanela) cancelar();
            return;
        }
        depoisDeGravar([&] {
            registro.Estornado = true;
            const long outra = registro.Serial == feito.b.idEstornado ? feito.a.idEstornado : feito.b.idEstornado;
            for (int r = 1; r < Fgrid->Rows(); ++r) {
                auto it = linhas_.find(QString::number(Fgrid->RowData(r)));
                if (it != linhas_.end() && it->Serial == outra) {
                    it->Estornado = true;
                    break;
                }
            }
            for (const Estorno *e : {&feito.b, &feito.a}) {
                CRowData r;
                r.CodConta = e->codConta;
                r.CodRecDesp = kTipoTransferencia;
                r.Serial = e->id;
                r.Estorno = true;
                QString doc = e->documento.value_or(QString());
                doc.remove(QLatin1Char('\''));
                adicionarLinha(QStringList{QString(), e->data.toString(QStringLiteral("dd/MM/yyyy")),
                                           TextoValor(e->valor), e->desConta, kDesTransferencia, doc, hist}
                                   .join(QLatin1Char('\t')),
                               r);
            }
            mostrarUltimaLinha(false);
        });
    } catch (...) {
        FIN_TRAP(("frmLancamentos"), "EstornoDeTransferencia");
        platform::ui::PostMessage(this, platform::ui::WM_CLOSE);
        ui::Reraise();
    }
}

} // namespace postings
