// The printed statement and the printed search.
#include "search/frmRetPesq.h"

namespace search {

void frmRetPesq::cmdImprimir_Click() {}
void frmRetPesq::ImprimeExtrato(print::Printer &impressora) { (void)impressora; }
void frmRetPesq::ImprimePesquisa(print::Printer &impressora) { (void)impressora; }
void frmRetPesq::ImprimeRelatorio(print::Printer &impressora, bool pesquisa) { (void)impressora; (void)pesquisa; }

} // namespace search
