// The printed pending list: A4 landscape, fixed pitch, the rows as the grid
// shows them; a row whose wrapped texts do not fit the page goes whole to
// the next one.
#include "pending/frmPendencias.h"

#include "pending/frmPendenciasComum.h"
#include "ui/CHourGlass.h"
#include "ui/Errors.h"
#include "ui/Impressao.h"
#include "ui/MsgBox.h"
#include "platform/app/Application.h"
#include "platform/print/Printer.h"
#include "platform/widgets/FlexGrid.h"

#include <QDateTime>
#include <array>
#include <cmath>

namespace pending {

namespace {

// Characters of a document on one printed line: its column is 16 wide.
constexpr int kLarguraDocumento = 15;

long margemEsquerdaDe(long faixaEsquerda) { return faixaEsquerda < 1200 ? 1200 - faixaEsquerda : 0; }

// x0 date, x1 amount field (13 characters), x2 account, x3 type, x4
// document, x5 history; each rounded to whole twips after its step. Every
// column keeps one blank before the next.
std::array<double, 6> colunas(long margemEsquerda, double lc) {
    std::array<double, 6> x{};
    const double passos[] = {11, 14, 31, 31, 16};
    x[0] = std::round(2 * lc + double(margemEsquerda));
    for (int i = 1; i < 6; ++i) x[std::size_t(i)] = std::round(x[std::size_t(i - 1)] + passos[i - 1] * lc);
    return x;
}

void imprimirEm(print::Printer &p, double x, double y, const QString &texto) {
    p.setCurrentX(x);
    p.setCurrentY(y);
    p.Print(texto);
}

} // namespace

void frmPendencias::cmdImprimir_Click() {
    try {
        ImprimePendencias(print::ThePrinter());
    } catch (...) {
        FIN_TRAP_REPORT("frmPendencias", "cmdImprimir_Click");
    }
}

void frmPendencias::ImprimePendencias(print::Printer &p) {
    try {
        ui::CHourGlass hg;
        hg.Show(true);
        const ui::FolhaDeRelatorio folha = ui::PrepararFolha(p, print::vbPRORLandscape);
        const long faixaEsquerda = folha.offsetX;
        margemInferior_ = folha.reservaInferior;
        const double margemSuperior = double(folha.topo);
        linhaAtual_ = 1;
        int pagina = 1;
        larguraCaractere_ = folha.larguraCaractere;
        alturaLinha_ = folha.alturaCaractere;
        dataImpressao_ = QDateTime::currentDateTime();
        for (bool fim = false; !fim;) {
            ImprimeCabecalho(p, faixaEsquerda, margemSuperior, pagina);
            ++pagina;
            linhasPorPagina_ = ui::IniciarCorpo(p, float(alturaLinha_ + 20), margemInferior_);
            bool primeira = true;
            fim = true;
            for (long linha = 1; linha <= linhasPorPagina_; ++linha) {
                if (linhaAtual_ > Fgrid->Rows() - 1) break;
                ImprimeLinhaPendencias(p, linha, faixaEsquerda);
                if (linha > linhasPorPagina_) break; // the row goes whole to the next page
                ++linhaAtual_;
                primeira = false;
            }
            if (linhaAtual_ <= Fgrid->Rows() - 1) {
                // A page that holds not even the row waiting would start new pages without end.
                if (primeira) ui::PararPaginaPequena();
                fim = false;
                // A page that cannot be started ends the job with its error.
                p.NewPage();
            }
        }
        // The composed job goes to the printer only now; a failure to send
        // it is reported, not followed by the closing message.
        p.EndDoc();
        hg.Show(false);
        ui::MsgBox(QStringLiteral("Impressão concluída."), platform::ui::vbInformation, platform::App::Title());
    } catch (...) {
        ui::CancelarImpressao(p);
        FIN_TRAP_RERAISE("frmPendencias", "ImprimePendencias");
    }
}

void frmPendencias::ImprimeCabecalho(print::Printer &p, long faixaEsquerda, double topo, int pagina) {
    try {
        const long margem = margemEsquerdaDe(faixaEsquerda);
        const double lc = larguraCaractere_;
        const QString titulo = QStringLiteral("LANÇAMENTOS PENDENTES PARA BAIXA EM ") +
                               dataImpressao_.toString(QStringLiteral("dd/MM/yyyy"));
        ui::ImprimirTopoDaPagina(p, topo, 2 * lc + double(margem), pagina, titulo, faixaEsquerda, dataImpressao_);
        const double y = std::round(p.CurrentY() + 600);
        const auto x = colunas(margem, lc);
        imprimirEm(p, x[0], y, QStringLiteral("DATA"));
        ui::ImprimirADireita(p, QStringLiteral("VALOR"), x[1] + 13 * lc, y);
        imprimirEm(p, x[2], y, QStringLiteral("CONTA"));
        imprimirEm(p, x[3], y, QStringLiteral("RECEITA/DESPESA"));
        imprimirEm(p, x[4], y, QStringLiteral("DOCUMENTO"));
        imprimirEm(p, x[5], y, QStringLiteral("HISTÓRICO"));
        p.setDrawWidth(2);
        const double yRegua = y + p.TextHeight(QStringLiteral("A")) + 10;
        p.Line(double(margem), yRegua, p.ScaleWidth() - 200, yRegua);
    } catch (...) {
        FIN_TRAP_RERAISE("frmPendencias", "ImprimeCabecalho");
    }
}

void frmPendencias::ImprimeLinhaPendencias(print::Printer &p, long &linha, long faixaEsquerda) {
    try {
        const long margem = margemEsquerdaDe(faixaEsquerda);
        const double lc = larguraCaractere_;
        const int r = int(linhaAtual_);
        // Each wrapped text, in turn, must fit the lines left on the page.
        struct Campo {
            int coluna;
            double largura;
        };
        const Campo campos[] = {{4, 25}, {5, 25}, {7, 49}};
        // The document wraps inside its own column (15 characters and the
        // blank before the history), never refused.
        QStringList quebrados[4];
        for (int i = 0; i < 4; ++i) {
            quebrados[i] = i < 3 ? ui::QuebraLinha(Fgrid->TextMatrix(r, campos[i].coluna), float(campos[i].largura * lc), float(lc))
                                 : ui::QuebraNaColuna(Fgrid->TextMatrix(r, 6), kLarguraDocumento);
            if (linha + long(quebrados[i].size() - 1) > linhasPorPagina_) {
                linha = linhasPorPagina_ + 1;
                return;
            }
        }
        const double y = std::round(p.CurrentY() + 20);
        qsizetype extras = 0;
        for (const QStringList &q : quebrados) extras = std::max(extras, q.size() - 1);
        if (!ui::CabeNaPagina(p, y + (alturaLinha_ + 20) * double(extras + 1), margemInferior_)) {
            linha = linhasPorPagina_ + 1;
            return;
        }
        const auto x = colunas(margem, lc);
        imprimirEm(p, double(margem), y, Fgrid->TextMatrix(r, 1));
        imprimirEm(p, x[0], y, Fgrid->TextMatrix(r, 2));
        ui::ImprimirValor(p, Fgrid->TextMatrix(r, 3), x[1] + 13 * lc, y, 13 * lc);
        const double xs[] = {x[2], x[3], x[5], x[4]};
        const double passo = p.TextHeight(QStringLiteral("A")) + 20;
        for (int i = 0; i < 4; ++i)
            for (qsizetype k = 0; k < quebrados[i].size(); ++k) imprimirEm(p, xs[i], y + double(k) * passo, quebrados[i][k]);
        p.setCurrentY(y + (alturaLinha_ + 20) * double(extras + 1));
        linha += long(extras);
    } catch (...) {
        FIN_TRAP_RERAISE("frmPendencias", "ImprimeLinhaPendencias");
    }
}

} // namespace pending
