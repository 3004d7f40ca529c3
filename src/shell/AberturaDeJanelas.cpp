// The windows these openers create come with the subsystems that own them;
// until one is part of the program its command opens nothing.
#include "shell/AberturaDeJanelas.h"

#include "charts/frmPlano.h"
#include "postings/frmLancamentos.h"
#include "security/frmUsuarios.h"
#include "shell/MainForm.h"

namespace fin {

namespace {
QMdiArea *area() { return JanelaPrincipal() ? JanelaPrincipal()->AreaMDI() : nullptr; }
} // namespace

void AbrirCadastroDeContas() { charts::AbrirCadastroDeContas(area()); }

void AbrirCadastroDeTiposRecDesp() { charts::AbrirCadastroDeTiposRecDesp(area()); }

void AbrirLancamentos() { postings::AbrirLancamentos(area()); }

void AbrirUsuarios() { security::AbrirUsuarios(area()); }

void AbrirPendencias() {}

void AbrirPesquisaPorDocumento(const QString &documento) { (void)documento; }

void AbrirRelatorio(int mode) { (void)mode; }

} // namespace fin
