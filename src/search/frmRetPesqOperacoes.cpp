// Settling, taking a settlement back and reversing the selected posting.
#include "search/frmRetPesq.h"

namespace search {

void frmRetPesq::cmdBaixar_Click() {}
void frmRetPesq::cmdRemBaixa_Click() {}
void frmRetPesq::cmdEstornar_Click() {}
void frmRetPesq::BaixaDeTransferencia() {}
void frmRetPesq::RemocaoBaixaDeTransferencia() {}
void frmRetPesq::EstornoDeTransferencia() {}

} // namespace search
