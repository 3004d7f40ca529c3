#pragma once
// The pending list: the unsettled postings up to today that the user may
// see, read once at the first activation, oldest first. From it a posting is
// settled as realised or not realised, has its settlement taken back or is
// reversed (both legs of a transfer together), and the list is printed as
// shown. Several may be open at once; view hints change nothing here: rows
// change only through the window's own commands.
#include "ui/SubCls.h"
#include "ui/Views.h"
#include "core/escrita/CRowData.h"
#include "platform/ui/Form.h"

#include <QDateTime>
#include <QHash>
#include <vector>

class QMdiArea;
class QPushButton;

namespace print {
class Printer;
}
namespace widgets {
class FlexGrid;
}

namespace pending {

inline const QString kMsgNadaPendente = QStringLiteral("Não há lançamentos pendentes para baixa no momento.");
inline const QString kFormatoGridPendencias = QStringLiteral(
    "     |^Realizado|Data                |>                 Valor|<Conta                  |<Receita/Despesa"
    "|<Documento                 |<Histórico                                                                                   ");

class frmPendencias : public platform::ui::Form, public ui::IUpdateView, public ui::IResizeGridReceiver {
    Q_OBJECT
public:
    explicit frmPendencias(QWidget *parent = nullptr);
    ~frmPendencias() override;

    // The list's SELECT, set by the opener after the load and before the show.
    QString SQL() const { return sql_; }
    void setSQL(const QString &sql) { sql_ = sql; }
    void UpdateView(long &msg) override;
    void ResizeGrid() override;
    // The designed client area, 10035 x 5340 twips: what a new window opens with.
    QSize sizeHint() const override;

    // Controls.
    widgets::FlexGrid *Fgrid = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdImprimir = nullptr;
    QPushButton *cmdEstornar = nullptr;
    QPushButton *cmdBaixar = nullptr;
    QWidget *picBotton = nullptr;
    QPushButton *cmdRemBaixa = nullptr;

    // Commands.
    void cmdBaixar_Click();
    void cmdRemBaixa_Click();
    void cmdEstornar_Click();
    void cmdImprimir_Click();
    void cmdCancel_Click();
    void Fgrid_SelChange();

    // Prints the list as the grid shows it.
    void ImprimePendencias(print::Printer &impressora);

    // State, readable by tests.
    const QHash<QString, core::escrita::CRowData> &Linhas() const { return linhas_; }
    long ContadorDeLinhas() const { return contador_; }
    bool PodeTransferir() const { return podeTransferir_; }
    bool JaAtivada() const { return jaAtivada_; }

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool &cancel) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    long AjustarColunas(long dentro); // dentro: the width inside the grid, in twips
    void ajustarGrade();
    void medirTexto(int coluna, const QString &texto);
    bool linhaAVista(int linha) const;
    void trazerLinha(int linha);
    void ConfigurarGrid();
    void ExibirPendencias();
    void Form_Resize();
    void arrumarBotoes();
    void BaixaDeTransferencia(core::escrita::CRowData &registro);
    void RemocaoBaixaDeTransferencia(core::escrita::CRowData &registro);
    void EstornoDeTransferencia(core::escrita::CRowData &registro);
    // The selected row's record, or nullptr for a row that carries no posting.
    core::escrita::CRowData *registroSelecionado();
    long adicionarLinha(const QStringList &celulas, const core::escrita::CRowData &registro);
    void mostrarUltimaLinha();
    // Column 1 and the record of the grid row showing the posting `serial`.
    void marcarLinha(long serial, const QString &codigo, bool estornado);
    // Settling and taking back share every step but the question and texts.
    void mudarBaixa(bool remover);
    void mudarBaixaDeTransferencia(core::escrita::CRowData &registro, bool remover);
    // Printing.
    void ImprimeCabecalho(print::Printer &p, long margemEsquerda, double topo, int pagina);
    void ImprimeLinhaPendencias(print::Printer &p, long &linha, long margemEsquerda);

    QString sql_;
    QHash<QString, core::escrita::CRowData> linhas_;
    long contador_ = 0;
    bool jaAtivada_ = false;
    bool ativacaoTentada_ = false; // the first activation has begun
    bool podeTransferir_ = false;
    std::vector<long> larguras_; // each column's width as the format gives it, in twips
    std::vector<long> conteudo_ = std::vector<long>(8, 0); // the width each column's widest text needs, in twips
    bool selecionando_ = false;
    // Print state of the print in progress.
    QDateTime dataImpressao_;
    double larguraCaractere_ = 0, alturaLinha_ = 0;
    long linhaAtual_ = 1;
    double margemInferior_ = 0;
    long linhasPorPagina_ = 0;
};

// Opens one more pending list on the query, modelessly, in the MDI area.
frmPendencias *AbrirPendencias(const QString &sql, QMdiArea *area = nullptr);

} // namespace pending
