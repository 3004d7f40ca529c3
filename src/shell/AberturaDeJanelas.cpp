// The windows these openers create come with the subsystems that own them;
// until one is part of the program its command opens nothing.
#include "shell/AberturaDeJanelas.h"

#include "charts/frmPlano.h"
#include "pending/SqlPendencias.h"
#include "pending/frmPendencias.h"
#include "postings/frmLancamentos.h"
#include "search/frmRetPesq.h"
#include "ui/AppContext.h"
#include "shell/MainForm.h"

namespace fin {

namespace {
QMdiArea *area() { return JanelaPrincipal() ? JanelaPrincipal()->AreaMDI() : nullptr; }
} // namespace

void AbrirCadastroDeContas() { charts::AbrirCadastroDeContas(area()); }

void AbrirCadastroDeTiposRecDesp() { charts::AbrirCadastroDeTiposRecDesp(area()); }

void AbrirLancamentos() { postings::AbrirLancamentos(area()); }

void AbrirUsuarios() {}

void AbrirPendencias() {
    pending::AbrirPendencias(pending::SqlPendencias(gIdUsuario, int(gTipoUsuario), QDate::currentDate()), area());
}

void AbrirPesquisaPorDocumento(const QString &documento) { search::AbrirPesquisaPorDocumento(area(), documento); }

void AbrirRelatorio(int mode) { (void)mode; }

} // namespace fin
