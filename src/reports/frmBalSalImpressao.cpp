// The printed balance report: the window's tree as it stands, one line per
// item right-aligned to 67 columns, the total line first (unless omitted),
// a header on every page.
#include "reports/frmBalSal.h"

#include "platform/app/Application.h"
#include "platform/print/Printer.h"
#include "ui/CHourGlass.h"
#include "ui/Errors.h"
#include "ui/Impressao.h"
#include "ui/MsgBox.h"

#include <QLabel>

namespace reports {

namespace {
constexpr int kColunas = 67;
}

void frmBalSal::cmdImprimir_Click() {
    try {
        ImprimeRelatorio(print::ThePrinter());
    } catch (...) {
        FIN_TRAP_REPORT("frmBalSal", "cmdImprimir_Click");
    }
}

void frmBalSal::ImprimeRelatorio(print::Printer &p) {
    try {
        if (tv->Count() == 0) {
            ui::MsgBox(QStringLiteral("Nada há para ser impresso."), platform::ui::vbOKOnly);
            return;
        }
        ui::CHourGlass hg;
        hg.Show(true);
        const ui::FolhaDeRelatorio folha = ui::PrepararFolha(p, print::vbPRORPortrait);
        offsetX_ = folha.offsetX;
        reservaInferior_ = float(folha.reservaInferior);
        topo_ = folha.topo;
        larguraCaractere_ = float(folha.larguraCaractere);
        alturaCaractere_ = float(folha.alturaCaractere);
        pagina_ = 0;
        horaRelatorio_ = QDateTime::currentDateTime();
        long linha = 999;
        float altura = 0;
        // The 67-column block is centred on the sheet.
        esquerdaBloco_ = float((p.Width() - kColunas * double(larguraCaractere_)) / 2 - offsetX_);
        float esquerda = esquerdaBloco_;
        for (widgets::Node *n : tv->TopNodes()) ImprimeNo(p, n, esquerda, altura, linha);
        // The composed job goes to the printer only now; a failure to send
        // it is reported, not followed by the closing message.
        p.EndDoc();
        hg.Show(false);
        ui::MsgBox(QStringLiteral("Impressão concluída."), platform::ui::vbInformation, platform::App::Title());
    } catch (...) {
        ui::Trap("frmBalSal", "ImprimeRelatorio", __LINE__);
        ui::CancelarImpressao(p);
        ui::Reraise();
    }
}

void frmBalSal::ImprimeNo(print::Printer &p, widgets::Node *no, float &esquerda, float &altura, long &linha) {
    try {
        if (linha > linhasPorPagina_) {
            // The whole lines of character height + 20 that fit, minus 2 (the
            // routine takes the line height first).
            const ui::PaginaDeCorpo c =
                ui::IniciarPaginaDeCorpo(p, pagina_, [&] { ImprimeCabecalho(p); }, alturaCaractere_ + 20, reservaInferior_);
            altura = float(c.topo);
            linhasPorPagina_ = c.linhas;
            linha = 1;
            if (pagina_ == 1 && TagDoTotal() != QStringLiteral("OMITIR")) {
                p.setCurrentX(esquerda);
                p.setCurrentY(altura);
                p.Print(lblDesTotal->text());
                altura = float(p.CurrentY() + 20);
                ++linha;
            }
        }
        const QString texto = no->Text();
        p.setCurrentX(esquerda);
        p.setCurrentY(altura);
        p.Print(QString(std::max(0, kColunas - int(texto.size())), QLatin1Char(' ')) + texto);
        altura = float(p.CurrentY() + 20);
        ++linha;
        for (widgets::Node *f : no->ChildList()) ImprimeNo(p, f, esquerda, altura, linha);
    } catch (...) {
        FIN_TRAP_RERAISE("frmBalSal", "ImprimeNo");
    }
}

void frmBalSal::ImprimeCabecalho(print::Printer &p) {
    try {
        ++pagina_;
        const float margem = offsetX_ < 900 ? float(900 - offsetX_) : 0.0f;
        TituloRelatorio = TituloRelatorio.toUpper();
        ui::ImprimirTopoDaPagina(p, topo_, 2 * double(larguraCaractere_) + margem, pagina_, TituloRelatorio, offsetX_,
                                 horaRelatorio_);
        const double cabecalho = p.CurrentY() + 300 + 300;
        p.setCurrentX(esquerdaBloco_);
        p.setCurrentY(cabecalho);
        p.Print(lblContas->text().trimmed().toUpper());
        const QString valor = lblValor->text().trimmed().toUpper();
        p.setCurrentX(esquerdaBloco_ + kColunas * double(larguraCaractere_) - p.TextWidth(valor));
        p.setCurrentY(cabecalho);
        p.Print(valor);
        p.setDrawWidth(2);
        p.Line(esquerdaBloco_, p.CurrentY(), esquerdaBloco_ + kColunas * double(larguraCaractere_), p.CurrentY());
    } catch (...) {
        FIN_TRAP_RERAISE("frmBalSal", "ImprimeCabecalho");
    }
}

} // namespace reports
