#pragma once
// Routines shared by every printed report: paper and orientation, the number
// of lines that fit, wrapping a text into a fixed-pitch column, and stopping
// the job on an error path. They report nothing themselves: their errors go
// up with their location.
#include "platform/print/Printer.h"

#include <QDateTime>
#include <QStringList>
#include <functional>

namespace ui {

// Sets A4 and the orientation (1 portrait, 2 landscape) on the printer and
// gives the unprintable strips at the left and at the top, in twips.
void ConfigurarImpressora(long &offsetX, long &offsetY, long orientacao,
                          print::Printer &impressora = print::ThePrinter());

// The sheet of a fixed-pitch report, set up by PrepararFolha: A4 in the
// orientation asked, a bottom reserve of 900 twips unless the unprintable
// strip at the foot is wider, the page header `alturaDoCabecalho` twips from
// the paper's top edge (less the strip at the top), and the measures of a
// Courier New 8 character, the font the printer is left with.
struct FolhaDeRelatorio {
    long offsetX = 0; // unprintable strip at the left, in twips
    long topo = 0;
    double reservaInferior = 0;
    double larguraCaractere = 0, alturaCaractere = 0;
};
FolhaDeRelatorio PrepararFolha(print::Printer &impressora, long orientacao, long alturaDoCabecalho = 500);

// The top line of a report's page at y = topo: the page number in Times New
// Roman 8 at xNumero, the title in 12 bold underlined centred on the paper
// and the report's time at the right edge. A title too wide for the room
// between the page number and the time goes on in further centred lines,
// broken at blanks, and the current line is left that many title lines lower.
// Leaves Times New Roman 8 bold for the column headings below.
void ImprimirTopoDaPagina(print::Printer &impressora, double topo, double xNumero, long pagina, const QString &titulo,
                          long offsetX, const QDateTime &hora);

// How many further lines of the given height a caller may print in the area:
// one less than the whole lines that fit.
long CalculaLimiteDeLinhas(float alturaLinha, float area);

// The text in lines no wider than the field, measured as characters times
// the character width. A word wider than the field is refused with a message.
QStringList QuebraLinha(const QString &texto, float larguraCampo, float larguraCaractere);

// Starts the fixed-pitch body below the page header just printed: Courier New
// 8 plain, the current line 100 twips below the header. Gives how many
// further lines of the given height fit above the bottom reserve
// (CalculaLimiteDeLinhas).
long IniciarCorpo(print::Printer &impressora, float alturaLinha, double reservaInferior);

// Starts a page of a report's fixed-pitch body: a new page unless none was
// started yet (a page that cannot be started stops the job with its error),
// the page header, then Courier New 8 plain.
// Gives where the body starts (100 below the header) and how many lines of
// the given height the page holds: the whole lines that fit above the bottom
// reserve, minus 2. A page that holds none stops the job (PararPaginaPequena).
struct PaginaDeCorpo {
    double topo = 0;
    long linhas = 0;
};
PaginaDeCorpo IniciarPaginaDeCorpo(print::Printer &impressora, long paginasFeitas, const std::function<void()> &cabecalho,
                                   float alturaLinha, float reservaInferior);
// Whether a row of a report's body whose foot (its lowest line with the 20
// twips that follow it) falls at yPe stays within the printable area, above
// the bottom reserve. The line counts leave each row's own 20-twip lead out,
// so a full page of rows can run past its foot; a row that fails this goes
// whole to the next page.
bool CabeNaPagina(const print::Printer &impressora, double yPe, double reservaInferior);

// Message of a job whose page cannot hold a single row of the report.
inline const QString kMsgPaginaPequena =
    QStringLiteral("A área de impressão da página não comporta uma linha do relatório.");
// Stops such a job: shows the message and raises the silent cancel error, so
// the report's error path ends the job instead of starting pages without end.
[[noreturn]] void PararPaginaPequena();

// Prints the whole text so that it ends at xFim (a column's right edge), on
// the line at y.
void ImprimirADireita(print::Printer &impressora, const QString &texto, double xFim, double y);

// Prints an amount whole, ending at xFim, inside a field `larguraCampo`
// twips wide: in the current font when it fits, else in the same face at the
// largest size (in tenths of a point) that fits, on the line's baseline. The
// field never spills over its neighbours, whatever amount the book holds; the
// font and the next line are left as a print in the current font leaves them.
void ImprimirValor(print::Printer &impressora, const QString &texto, double xFim, double y, double larguraCampo);

// A fixed-pitch text in lines of at most `caracteres` characters, broken at
// blanks, a longer word broken where the line ends: a column that must never
// refuse its text (a document). A text that fits is returned unchanged.
QStringList QuebraNaColuna(const QString &texto, int caracteres);

// Ends the document being composed; never fails.
void CancelarImpressao(print::Printer &impressora = print::ThePrinter());

} // namespace ui
