// The openers of the working windows: each creates the window of its
// subsystem and shows it.
#include "shell/AberturaDeJanelas.h"

#include "core/consultas/ModosDeRelatorio.h"
#include "charts/frmPlano.h"
#include "pending/SqlPendencias.h"
#include "pending/frmPendencias.h"
#include "postings/frmLancamentos.h"
#include "reports/ComandosDeBalanco.h"
#include "ui/AppContext.h"
#include "reports/Extrato.h"
#include "search/frmRetPesq.h"
#include "security/frmUsuarios.h"
#include "shell/MainForm.h"

namespace shell {

using ui::gIdUsuario;
using ui::gTipoUsuario;

namespace {
QMdiArea *area() { return JanelaPrincipal() ? JanelaPrincipal()->AreaMDI() : nullptr; }
} // namespace

void AbrirCadastroDeContas() { charts::AbrirCadastroDeContas(area()); }

void AbrirCadastroDeTiposRecDesp() { charts::AbrirCadastroDeTiposRecDesp(area()); }

void AbrirLancamentos() { postings::AbrirLancamentos(area()); }

void AbrirUsuarios() { security::AbrirUsuarios(area()); }

void AbrirPendencias() {
    pending::AbrirPendencias(pending::SqlPendencias(gIdUsuario, int(gTipoUsuario), QDate::currentDate()), area());
}

void AbrirPesquisaPorDocumento(const QString &documento) { search::AbrirPesquisaPorDocumento(area(), documento); }

namespace {
// A statement: the selection dialog, then a new result window given the
// dialog's values, its Mode last (the layout reads the others).
void AbrirExtrato(int mode) {
    const std::optional<reports::Extrato> e = reports::PedirExtrato(mode);
    if (!e) return;
    if (area() && !platform::ui::Forms::mdiArea()) platform::ui::Forms::setMdiArea(area());
    auto *f = new search::frmRetPesq();
    f->Load();
    f->ExpressaoNoHistorico = e->expressaoNoHistorico;
    f->SoNaoRealizados = e->soNaoRealizados;
    f->DataIni = QDateTime(e->dataIni, QTime(0, 0));
    f->DataFim = QDateTime(e->dataFim, QTime(0, 0));
    f->TituloRelatorio = e->titulo;
    f->SQL = e->sql;
    f->Contas = e->contas;
    f->setMode(e->mode);
    f->ShowModeless();
}
} // namespace

void AbrirRelatorio(int mode) {
    if (core::consultas::EExtrato(mode)) {
        AbrirExtrato(mode);
    } else if (core::consultas::EBalanco(mode)) {
        if (area() && !platform::ui::Forms::mdiArea()) platform::ui::Forms::setMdiArea(area());
        reports::AbrirBalancoDaSelecao(mode);
    }
}

} // namespace shell
