#pragma once
// The one place where the main window's commands create the working windows
// they lead to. Each opener creates a new window and shows it; the checks and
// messages that come before (data present, a document typed) stay with the
// command.
#include <QString>

namespace shell {

// Chart of accounts editor (frmContas), modeless.
void AbrirCadastroDeContas();
// Income/expense types editor (frmMovimentacoes), modeless.
void AbrirCadastroDeTiposRecDesp();
// Posting window (frmLancamentos), modeless; every call opens one more.
void AbrirLancamentos();
// User list (frmUsuarios), modeless.
void AbrirUsuarios();
// Pending list (frmPendencias) with the query of the signed-in user's
// unsettled postings, modeless.
void AbrirPendencias();
// Search results (frmRetPesq, Mode 5) for the document typed by the user.
void AbrirPesquisaPorDocumento(const QString &documento);
// A report: the selection dialog of the Mode shown modally and, unless it was
// cancelled, its result window in the same Mode (1 and 2 statements, 3 and 4
// balances over a period, 6 and 7 balances at a date).
void AbrirRelatorio(int mode);

} // namespace shell
