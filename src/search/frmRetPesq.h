#pragma once
// The search results: a list of postings from an account statement (Mode 1),
// a type statement (Mode 2) or the search by document (Mode 5), in a grid
// bound to the query's recordset with one selected row. Unfiltered
// statements show the global balance before the first row. From the selected
// row the user settles, takes a settlement back and reverses (both legs of a
// transfer), refreshes and prints. The window runs its query at its first
// activation, after its opener set the public values (Mode last), and again
// on every view hint: at once when it is the active child, else when it is
// next activated.
#include "core/escrita/Operacoes.h"
#include "platform/ui/Form.h"
#include "platform/value/Currency.h"
#include "ui/SubCls.h"
#include "ui/Views.h"

#include <QDateTime>
#include <QString>

class QLabel;
class QMdiArea;
class QPushButton;

namespace dao {
class Recordset;
}
namespace print {
class Printer;
}
namespace widgets {
class DataControl;
class DataGrid;
} // namespace widgets

namespace search {

inline const QString kTituloPesquisaPorDocumento = QStringLiteral("PESQUISA DE LANÇAMENTOS POR DOCUMENTO");
inline const QString kRotuloSaldoAnterior = QStringLiteral("ÚLTIMO SALDO GLOBAL ANTERIOR: R$ ");
inline const QString kMsgSemLancamentos = QStringLiteral("NÃO HÁ LANÇAMENTOS NO PERÍODO INFORMADO");

class frmRetPesq : public platform::ui::Form,
                   public ui::IUpdateView,
                   public ui::IResizeGridReceiver,
                   public ui::ISelCurLineReceiver {
    Q_OBJECT
public:
    explicit frmRetPesq(QWidget *parent = nullptr);
    ~frmRetPesq() override;

    // Public values, set by the opener before the window is shown.
    QString SQL;
    QString Contas;               // quoted code list of the chosen items; empty: none chosen
    bool SoNaoRealizados = false; // only postings settled 'N' or reversed
    QString ExpressaoNoHistorico; // history filter; empty: none
    QDateTime DataIni, DataFim;   // kept for the opener
    QString TituloRelatorio;

    long Mode() const { return mode_; }
    void setMode(long mode); // lays the window out; set after the values above

    // Controls.
    QWidget *picTop = nullptr;
    QLabel *lblTop = nullptr;
    widgets::DataControl *Data1 = nullptr;
    widgets::DataGrid *DBGrid1 = nullptr;
    QWidget *picBotton = nullptr;
    QPushButton *cmdBaixar = nullptr;
    QPushButton *cmdRemBaixa = nullptr;
    QPushButton *cmdEstornar = nullptr;
    QPushButton *cmdImprimir = nullptr;
    QPushButton *cmdAtualizar = nullptr;
    QPushButton *cmdCancel = nullptr;

    // Called by name.
    void UpdateView(long &msg) override;
    void ResizeGrid() override;
    void SelCurLine(long &lngRow) override;
    void Form_Resize();

    // Commands.
    void cmdBaixar_Click();
    void cmdRemBaixa_Click();
    void cmdEstornar_Click();
    void cmdImprimir_Click();
    void cmdAtualizar_Click();
    void cmdCancel_Click();

    // Grid events.
    void DBGrid1_SelChange();
    void DBGrid1_MouseDown(int button, int shift, int x, int y);
    void DBGrid1_MouseUp(int button, int shift, int x, int y);

    // State the commands and the printing read.
    dao::Recordset *Recordset() const;
    value::Currency SaldoGlobalAnterior() const { return saldoGlobalAnterior_; }
    bool PodeOperarTransferencias() const { return podeOperarTransferencias_; }
    bool AtualizacaoPendente() const { return atualizacaoPendente_; }
    bool JaAtivado() const { return jaAtivado_; }
    // Whether the grid shows the global balance column.
    bool ColunaGlobalVisivel() const;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool &cancel) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void FazConsulta();
    void LerSaldoAnterior();
    // Does nothing, by design: this window enables no button by the selected
    // row; each command checks the state of its row itself. Kept because the
    // selection routines call it, as in the other list windows.
    void HabilitarDesabilitar() {}
    void ocultarTopo();
    void arrumarBotoes();

    // Settling and taking back (frmRetPesqOperacoes.cpp).
    void BaixaDeTransferencia();
    void RemocaoBaixaDeTransferencia();
    void concluirBaixa(core::escrita::Desfecho desfecho, const QString &recusa, const QString &sucesso,
                       const QString &naoOcorreu);
    // Reversal of a transfer (frmRetPesqOperacoes.cpp).
    void EstornoDeTransferencia();
    // Printing (frmRetPesqImpressao.cpp): the statement (Modes 1 and 2) and
    // the search (Mode 5) share the page loop and differ in their header and
    // row layout.
    void ImprimeExtrato(print::Printer &impressora);
    void ImprimePesquisa(print::Printer &impressora);
    void imprimirPaginas(print::Printer &impressora, bool pesquisa);
    void ImprimeCabecalho(print::Printer &impressora, long offsetX, long topo, long &pagina, bool pesquisa);
    void ImprimeLinha(print::Printer &impressora, long &linha, dao::Recordset &rs, long offsetX, bool pesquisa);
    // Positions the recordset on the selected row; false (after the message) when none is selected.
    bool posicionarNaSelecao(const QString &mensagemSemSelecao);

    long mode_ = 0;
    bool atualizacaoPendente_ = false;
    bool jaAtivado_ = false;
    value::Currency saldoGlobalAnterior_;
    QString rotuloSaldoAnterior_;
    bool podeOperarTransferencias_ = false;
    int consultasSemLinhaVisivel_ = 0;
    QDateTime dataImpressao_;
    float larguraCaractere_ = 0, alturaLinha_ = 0, margemInferior_ = 0;
    long linhasPorPagina_ = 0;
    QDate ultimaDataImpressa_;
};

// Opens a new result window of the search by document for the typed text (Mode 5).
frmRetPesq *AbrirPesquisaPorDocumento(QMdiArea *area, const QString &documento);

// The query of the search by document: the postings whose document matches
// the typed text as a LIKE pattern (its wildcards kept, its apostrophes
// doubled), of the accounts and types the user may search.
QString SqlPesquisaPorDocumento(const QString &texto, long tipoUsuario, long idUsuario);

} // namespace search
