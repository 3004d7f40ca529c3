#include "postings/frmLancamentos.h"

#include "postings/frmLancamentosComum.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "platform/dao/Database.h"
#include "platform/widgets/EditCombo.h"
#include "ui/Campos.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "postings/frmTrans.h"
#include "ui/CHourGlass.h"

#include <QPushButton>

namespace postings {

using core::escrita::CRowData;
using core::escrita::Chamador;
using core::escrita::ContarDocumento;
using core::escrita::Desfecho;
using core::escrita::Transferencia;
using core::escrita::TransferenciaFeita;
using core::escrita::Transferir;
using core::escrita::kDesTransferencia;
using core::escrita::kTipoTransferencia;

namespace {
const Chamador kOndeTransferencia{"frmLancamentos", "cmdTransferencia_Click"};
} // namespace

using value::Currency;

// ---- transfer ---------------------------------------------------------------------

void frmLancamentos::cmdTransferencia_Click() {
    try {
        std::unique_ptr<frmTrans> dlg = std::make_unique<frmTrans>();
        dlg->Load();
        if (dlg->cbContaOrig->ListCount() == 0) {
            // Nothing to offer: the dialog said so and closes without showing its fields.
            dlg->Unload();
            return;
        }
        dlg->ShowModal();
        if (dlg->Cancelado) return;
        Transferencia t;
        t.codContaOrig = dlg->CodContaOrig;
        t.codContaDest = dlg->CodContaDest;
        t.idContaOrig = dlg->IdContaOrig;
        t.idContaDest = dlg->IdContaDest;
        t.docSaida = dlg->DocSaida;
        t.docEntrada = dlg->DocEntrada;
        t.data = dlg->Data;
        t.valor = dlg->Valor;
        t.historicoSaida = dlg->HistoricoSaida;
        t.historicoEntrada = dlg->HistoricoEntrada;
        const QString desOrig = dlg->DesContaOrig, desDest = dlg->DesContaDest;
        dlg.reset();
        // Both questions come before the write begins, so that no copy of the
        // program waits on this one while it asks; the outgoing document
        // counts for the incoming one when they are the same.
        auto perguntar = [](const QString &doc, long vezes) {
            if (vezes <= 0) return true;
            return ui::MsgBox(QStringLiteral("Consta informação de que um lançamento com o documento '") + doc +
                                  QStringLiteral("' já foi feito. Tem certeza de que quer fazer este novo lançamento?"),
                              platform::ui::vbYesNo | platform::ui::vbQuestion) != platform::ui::vbNo;
        };
        if (!t.docSaida.isEmpty() && !perguntar(t.docSaida, ContarDocumento(*ui::gDB, kOndeTransferencia, t.docSaida))) return;
        if (!t.docEntrada.isEmpty() &&
            !perguntar(t.docEntrada, ContarDocumento(*ui::gDB, kOndeTransferencia, t.docEntrada) + (t.docEntrada == t.docSaida ? 1 : 0)))
            return;
        ui::CHourGlass hg;
        hg.Show(true);
        TransferenciaFeita feita;
        int perna = 0;
        const Desfecho d = Transferir(*ui::gDB, kOndeTransferencia, t, ui::gIdUsuario, &feita, &perna);
        if (!Gravou(d, feita.recusa,
                    core::escrita::MensagemDeTransferenciaRecusada(feita.barrado, perna, perna == 2 ? desDest : desOrig),
                    hg)) {
            // The account list of this window may offer the same stale account.
            if (d == Desfecho::Mudado) EncheListaContas();
            return;
        }
        const Currency abs = t.valor < Currency() ? -t.valor : t.valor;
        depoisDeGravar([&] {
            const QString data = t.data.toString(QStringLiteral("dd/MM/yyyy"));
            CRowData sai;
            sai.CodConta = t.codContaOrig;
            sai.CodRecDesp = kTipoTransferencia;
            sai.Transferencia = 1;
            sai.Serial = feita.idSaida;
            adicionarLinha(QStringList{QString(), data, (-abs).toBr(), desOrig, kDesTransferencia, t.docSaida,
                                       t.historicoSaida}
                               .join(QLatin1Char('\t')),
                           sai);
            removerLinhaVazia();
            CRowData entra;
            entra.CodConta = t.codContaDest;
            entra.CodRecDesp = kTipoTransferencia;
            entra.Transferencia = 2;
            entra.Serial = feita.idEntrada;
            adicionarLinha(QStringList{QString(), data, abs.toBr(), desDest, kDesTransferencia, t.docEntrada,
                                       t.historicoEntrada}
                               .join(QLatin1Char('\t')),
                           entra);
            cmdEstornar->setEnabled(true);
            mostrarUltimaLinha(false);
        });
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", "cmdTransferencia_Click");
    }
}

} // namespace postings
