// The printed statement (Modes 1 and 2) and the printed search (Mode 5), A4
// landscape, from a clone of the window's recordset: the grid keeps its
// position and the database is not read again.
#include "db/Module1.h"
#include "core/consultas/ModosDeRelatorio.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"
#include "platform/print/Printer.h"
#include "platform/ui/MessageBox.h"
#include "platform/widgets/DataGrid.h"
#include "search/frmRetPesq.h"
#include "ui/CHourGlass.h"
#include "ui/Errors.h"
#include "ui/Impressao.h"
#include "ui/MsgBox.h"

#include <QDateTime>

#include <cmath>

namespace search {

namespace {

// The columns of a printed row, as character positions from the left margin.
struct Colunas {
    const char *primeiraTexto, *segundaTexto; // field names
    const char *cabecalhoPrimeira, *cabecalhoSegunda;
    const char *saldo, *cabecalhoSaldo;
    int larguraHistorico;
    int valor, saldoInicio;
    bool global;
    int fimCabecalhoValor; // right edge of the "VALOR" heading
};

Colunas colunasDe(long mode, bool global, bool pesquisa) {
    Colunas c{"DesConta", "DesMovimentacao", "CONTA", "RECEITA/DESPESA", "SaldoConta", "SALDO CONTA",
              global ? 35 : 49, global ? 116 : 130, global ? 130 : 144, global, 0};
    if (!pesquisa && mode == core::consultas::kExtratoDeTipos) {
        c.primeiraTexto = "DesMovimentacao";
        c.segundaTexto = "DesConta";
        c.cabecalhoPrimeira = "RECEITA/DESPESA";
        c.cabecalhoSegunda = "CONTA";
        c.saldo = "SaldoRecDesp";
        c.cabecalhoSaldo = "SALDO REC/DESP";
    }
    c.fimCabecalhoValor = pesquisa ? 141 : c.valor + 11;
    return c;
}

// Character position n from the left margin, in twips, to the whole twip.
class Posicoes {
public:
    Posicoes(double margem, double largura) : margem_(margem), largura_(largura) {}
    double em(int n) const { return n <= 0 ? margem_ : std::round(margem_ + n * largura_); }

private:
    double margem_, largura_;
};

// Characters of a document on one printed line: its column is 16 wide.
constexpr int kLarguraDocumento = 15;

double margemEsquerda(long offsetX) { return offsetX < 900 ? 900 - offsetX : 0; }

QString valor(const value::Value &v) { return v.toCurrency().toBr(); }

} // namespace

void frmRetPesq::cmdImprimir_Click() {
    try {
        dao::Recordset *rs = Recordset();
        if (!rs || rs->RecordCount() == 0) {
            ui::MsgBox(QStringLiteral("Nada há para ser impresso."), platform::ui::vbOKOnly);
            return;
        }
        dataImpressao_ = QDateTime::currentDateTime();
        if (core::consultas::EExtrato(mode_)) ImprimeExtrato(print::ThePrinter());
        else if (mode_ == core::consultas::kPesquisaPorDocumento) ImprimePesquisa(print::ThePrinter());
    } catch (...) {
        FIN_TRAP_REPORT("frmRetPesq", "cmdImprimir_Click");
    }
}

void frmRetPesq::ImprimeExtrato(print::Printer &impressora) {
    try {
        imprimirPaginas(impressora, false);
    } catch (...) {
        ui::Trap("frmRetPesq", "ImprimeExtrato", __LINE__);
        ui::CancelarImpressao(impressora);
        ui::Reraise();
    }
}

void frmRetPesq::ImprimePesquisa(print::Printer &impressora) {
    try {
        imprimirPaginas(impressora, true);
    } catch (...) {
        ui::Trap("frmRetPesq", "ImprimePesquisa", __LINE__);
        ui::CancelarImpressao(impressora);
        ui::Reraise();
    }
}

void frmRetPesq::imprimirPaginas(print::Printer &p, bool pesquisa) {
    ui::CHourGlass hg;
    hg.Show(true);
    const ui::FolhaDeRelatorio folha = ui::PrepararFolha(p, print::vbPRORLandscape);
    const long offsetX = folha.offsetX;
    margemInferior_ = float(folha.reservaInferior);
    const long topo = folha.topo;
    std::unique_ptr<dao::Recordset> clone = Recordset()->Clone();
    clone->MoveFirst();
    long pagina = 1;
    larguraCaractere_ = float(folha.larguraCaractere);
    alturaLinha_ = float(folha.alturaCaractere);
    ultimaDataImpressa_ = QDate();
    for (;;) {
        ImprimeCabecalho(p, offsetX, topo, pagina, pesquisa);
        ++pagina;
        linhasPorPagina_ = ui::IniciarCorpo(p, alturaLinha_ + 20, margemInferior_);
        bool impressaNaPagina = false;
        for (long linha = 1; linha <= linhasPorPagina_; ++linha) {
            if (clone->Eof()) break;
            ImprimeLinha(p, linha, *clone, offsetX, pesquisa);
            if (linha > linhasPorPagina_) break; // the row goes whole to the next page
            impressaNaPagina = true;
            clone->MoveNext();
        }
        if (clone->Eof()) break;
        // A page that holds no row at all would be followed by others like it.
        if (!impressaNaPagina) ui::PararPaginaPequena();
        // A page that cannot be started ends the job with its error.
        p.NewPage();
    }
    // The composed job goes to the printer only now; a failure to send it is
    // reported, not followed by the closing message.
    p.EndDoc();
    try {
        db::FecharRecordset(clone);
    } catch (...) {
    }
    hg.Show(false);
    ui::MsgBox(QStringLiteral("Impressão concluída."), platform::ui::vbInformation);
}

void frmRetPesq::ImprimeCabecalho(print::Printer &p, long offsetX, long topo, long &pagina, bool pesquisa) {
    try {
        const double margem = margemEsquerda(offsetX);
        const bool global = !pesquisa && ColunaGlobalVisivel();
        const Colunas c = colunasDe(mode_, global, pesquisa);
        const Posicoes x(margem, double(larguraCaractere_));
        TituloRelatorio = TituloRelatorio.toUpper();
        ui::ImprimirTopoDaPagina(p, topo, 2 * double(larguraCaractere_) + margem, pagina, TituloRelatorio, offsetX,
                                 dataImpressao_);
        const double y1 = std::round(p.CurrentY()) + 300;
        if (global && (core::consultas::EExtrato(mode_))) {
            p.setCurrentX(2 * double(larguraCaractere_) + margem);
            p.setCurrentY(y1);
            p.Print(kRotuloSaldoAnterior);
            p.setCurrentX(p.TextWidth(kRotuloSaldoAnterior) + margem + 2 * double(larguraCaractere_));
            p.setCurrentY(y1);
            p.Print(saldoGlobalAnterior_.toBr());
        }
        const double y2 = y1 + 300;
        const auto titulo = [&](const char *texto, int coluna) {
            p.setCurrentX(x.em(coluna));
            p.setCurrentY(y2);
            p.Print(QString::fromUtf8(texto));
        };
        titulo(c.cabecalhoPrimeira, 2);
        titulo(c.cabecalhoSegunda, 33);
        titulo("DOCUMENTO", 64);
        titulo("HISTÓRICO", 80);
        ui::ImprimirADireita(p, QStringLiteral("VALOR"), x.em(c.fimCabecalhoValor), y2);
        ui::ImprimirADireita(p, QString::fromUtf8(c.cabecalhoSaldo), x.em(c.saldoInicio + 13), y2);
        if (global) ui::ImprimirADireita(p, QStringLiteral("SALDO GLOBAL"), x.em(144 + 13), y2);
        const double y = y2 + p.TextHeight(QStringLiteral("A")) + 10;
        p.setDrawWidth(2);
        p.Line(margem, y, p.ScaleWidth() - 150, y);
    } catch (...) {
        FIN_TRAP_RERAISE("frmRetPesq", pesquisa ? "ImprimeCabecalhoPesquisa" : "ImprimeCabecalho");
    }
}

void frmRetPesq::ImprimeLinha(print::Printer &p, long &linha, dao::Recordset &rs, long offsetX, bool pesquisa) {
    try {
        const double margem = margemEsquerda(offsetX);
        const bool global = !pesquisa && ColunaGlobalVisivel();
        const Colunas c = colunasDe(mode_, global, pesquisa);
        const Posicoes x(margem, double(larguraCaractere_));
        const float lc = larguraCaractere_;
        const QDate dia = rs.Field(QStringLiteral("Data")).toDate().date();

        // Whether the row, wrapped, fits the rest of the page.
        long n = linha + (dia != ultimaDataImpressa_ ? 1 : 0);
        const auto quebrar = [&](const char *campo, int largura, QStringList &linhas) {
            linhas = ui::QuebraLinha(rs.Field(QString::fromUtf8(campo)).toString(), float(largura) * lc, lc);
            return (linhas.size() - 1) + n <= linhasPorPagina_;
        };
        QStringList primeira, segunda, historico;
        if (!quebrar(c.primeiraTexto, 25, primeira) || !quebrar(c.segundaTexto, 25, segunda) ||
            !quebrar("Historico", c.larguraHistorico, historico)) {
            linha = linhasPorPagina_ + 1;
            return;
        }
        // The document wraps inside its own column, never refused.
        const QStringList documento = ui::QuebraNaColuna(rs.Field(QStringLiteral("Documento")).toString(), kLarguraDocumento);
        if (documento.size() - 1 + n > linhasPorPagina_) {
            linha = linhasPorPagina_ + 1;
            return;
        }
        // Where the row's foot falls, its date line included, laid out as below.
        const long m = std::max({primeira.size(), segunda.size(), historico.size(), documento.size()}) - 1;
        double yPe = p.CurrentY();
        if (dia != ultimaDataImpressa_) {
            p.setFontBold(true);
            yPe = std::round(yPe + 20) + p.TextHeight(QStringLiteral("A"));
        }
        yPe = std::round(yPe + 20) + (m + 1) * (double(alturaLinha_) + 20);
        if (!ui::CabeNaPagina(p, yPe, margemInferior_)) {
            p.setFontBold(false);
            linha = linhasPorPagina_ + 1;
            return;
        }

        if (dia != ultimaDataImpressa_) {
            ultimaDataImpressa_ = dia;
            p.setFontBold(true);
            p.setCurrentY(std::round(p.CurrentY() + 20));
            p.setCurrentX(2 * double(lc) + margem);
            p.Print(dia.toString(QStringLiteral("dd/MM/yyyy")));
            ++linha;
        }
        p.setFontBold(false);
        const double yLinha = std::round(p.CurrentY() + 20);
        const double passo = p.TextHeight(QStringLiteral("A")) + 20;
        const auto escrever = [&](double xx, double yy, const QString &texto) {
            p.setCurrentX(xx);
            p.setCurrentY(yy);
            p.Print(texto);
        };
        escrever(margem, yLinha, rs.Field(QStringLiteral("Realizado")).toString() + QLatin1Char(' ') + primeira.value(0));
        const auto demais = [&](const QStringList &linhas, int coluna) {
            for (int i = 1; i < linhas.size(); ++i) escrever(x.em(coluna), yLinha + i * passo, linhas[i]);
        };
        demais(primeira, 2);
        escrever(x.em(33), yLinha, segunda.value(0));
        demais(segunda, 33);
        escrever(x.em(64), yLinha, documento.value(0));
        demais(documento, 64);
        escrever(x.em(80), yLinha, historico.value(0));
        demais(historico, 80);
        // Amounts whole, right-aligned on their 13-character field's edge,
        // narrower when they would not fit it.
        const auto imprimirValor = [&](const QString &campo, int inicio) {
            ui::ImprimirValor(p, valor(rs.Field(campo)), x.em(inicio + 13), yLinha, 13 * double(lc));
        };
        imprimirValor(QStringLiteral("Valor"), c.valor);
        imprimirValor(QString::fromUtf8(c.saldo), c.saldoInicio);
        if (global) imprimirValor(QStringLiteral("SaldoGlobal"), 144);
        p.setCurrentY(yLinha + (m + 1) * (double(alturaLinha_) + 20));
        linha += m;
    } catch (...) {
        FIN_TRAP_RERAISE("frmRetPesq", pesquisa ? "ImprimeLinhaPesquisa" : "ImprimeLinhaExtrato");
    }
}

} // namespace search
