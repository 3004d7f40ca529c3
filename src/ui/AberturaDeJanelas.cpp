// The windows these openers create come with the subsystems that own them;
// until one is part of the program its command opens nothing.
#include "ui/AberturaDeJanelas.h"

namespace fin {

void AbrirCadastroDeContas() {}

void AbrirCadastroDeTiposRecDesp() {}

void AbrirLancamentos() {}

void AbrirUsuarios() {}

void AbrirPendencias() {}

void AbrirPesquisaPorDocumento(const QString &documento) { (void)documento; }

void AbrirRelatorio(int mode) { (void)mode; }

} // namespace fin
