#pragma once
// The posting window: the user chooses an account and an income/expense type
// (typing the start of the description or from the trees, Ctrl+O / Ctrl+R),
// gives the date, document, income or expense and history, and confirms;
// every posting made here becomes a row of the grid, from which it can be
// reversed (a transfer leg reverses both legs); transfers between accounts
// start here. Several may be open at once. The lists refill on the view
// hints 1 (accounts) and 3 (types); with nothing left to post to the window
// says so and closes.
#include "ui/Views.h"
#include "platform/ui/Form.h"
#include "platform/widgets/TreeView.h"
#include "core/escrita/CRowData.h"

#include <QHash>
#include <functional>
#include <memory>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QMdiArea;
class QPushButton;
class QToolButton;

namespace dao {
class Recordset;
}
namespace widgets {
class AmountBox;
class DateBox;
class EditCombo;
class FlexGrid;
class UpperLineEdit;
} // namespace widgets

namespace postings {

inline const QString kMsgSemContas = QStringLiteral(
    "Nenhuma conta no cadastro de contas com permissão de gravação para este usuário ou ainda não há contas no "
    "Cadastro de Contas.");
inline const QString kMsgSemRecDesp = QStringLiteral(
    "Não foi encontrado nenhum tipo de receita/despesa cadastrado com permissão de gravação para este usuário.");
inline const QString kFormatoGrid = QStringLiteral(
    "     |Data                |>                 Valor|<Conta                  |<Receita/Despesa|<Documento"
    "                 |<Histórico                                                                                   ");

class frmLancamentos : public platform::ui::Form, public ui::IUpdateView {
    Q_OBJECT
public:
    explicit frmLancamentos(QWidget *parent = nullptr);
    ~frmLancamentos() override;

    // Controls.
    widgets::EditCombo *cbContas = nullptr;
    widgets::EditCombo *cbTiposMov = nullptr;
    widgets::DateBox *txtData = nullptr;
    widgets::UpperLineEdit *txtDoc = nullptr;
    widgets::AmountBox *txtEntrada = nullptr;
    widgets::AmountBox *txtSaida = nullptr;
    widgets::UpperLineEdit *txtHistorico = nullptr;
    QPushButton *cmdConfirmar = nullptr;
    QPushButton *cmdTransferencia = nullptr;
    QPushButton *cmdEstornar = nullptr;
    widgets::FlexGrid *Fgrid = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdLimpar = nullptr;
    QToolButton *cmdArvContas = nullptr;
    QToolButton *cmdArvRecDesp = nullptr;
    QGroupBox *frContas = nullptr;
    QGroupBox *frRecDesp = nullptr;
    widgets::TreeView *tvContas = nullptr;
    widgets::TreeView *tvRecDesp = nullptr;

    // Commands.
    void cmdConfirmar_Click();
    void cmdEstornar_Click();
    void cmdTransferencia_Click();
    void cmdLimpar_Click();
    void cmdCancel_Click();
    void cmdArvContas_Click();
    void cmdArvRecDesp_Click();

    // Checks the entry fields; on the first fault shows its message, moves
    // the focus to the field and answers false.
    bool Validar();
    void Limpar();

    void UpdateView(long &msg) override;

    // Ctrl+O / Ctrl+R (shift 2 = Ctrl alone); sets keyCode to 0 when handled.
    void Form_KeyDown(int &keyCode, int shift);
    void FGrid_SelChange();
    void tvContas_KeyDown(int &keyCode, int shift);
    void tvRecDesp_KeyDown(int &keyCode, int shift);
    void tvContas_Expand(widgets::Node *node);
    void tvContas_Collapse(widgets::Node *node);
    void tvRecDesp_Expand(widgets::Node *node);
    void tvRecDesp_Collapse(widgets::Node *node);

    // State, readable by tests and by the windows that share the row record.
    const QHash<QString, core::escrita::CRowData> &Linhas() const { return linhas_; }
    long ContadorDeLinhas() const { return contador_; }
    int IndiceConta() const;
    int IndiceRecDesp() const;

    // Runs after a write was committed and before the screen follows it
    // (a seam for tests of a failing screen update).
    std::function<void()> AposGravar;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool &cancel) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void EncheListaContas();
    void EncheListaRecDesp();
    void InicializarArvoreDeContas();
    void InicializarArvoreDeRecDesp();
    void ConfigurarGrid();
    void EstornoDeTransferencia(long serial, long transferencia, core::escrita::CRowData &registro);
    void arvore(QGroupBox *fr, widgets::TreeView *tv, widgets::EditCombo *cb);
    void escolherNaArvore(widgets::TreeView *tv, widgets::EditCombo *cb, int &keyCode);
    void expandir(widgets::TreeView *tv, widgets::Node *node, bool contas);
    void recolher(widgets::TreeView *tv, widgets::Node *node, bool contas);
    void inicializarArvore(bool contas);
    void encherLista(bool contas);
    // Adds a row and its record; returns the row's number.
    long adicionarLinha(const QString &celulas, const core::escrita::CRowData &registro);
    void removerLinhaVazia();
    void mostrarUltimaLinha(bool selecionarColunas);
    // After a commit: the screen follows, the other windows are told, and a
    // failure on the way is reported as such, never as a failed write.
    void depoisDeGravar(const std::function<void()> &tela);

    QHash<QString, core::escrita::CRowData> linhas_;
    long contador_ = 0;
    bool jaAtivada_ = false;
    bool selecionando_ = false;
    bool expandindoContas_ = false, expandindoRecDesp_ = false;
    std::unique_ptr<dao::Recordset> rsContas, rsRecDesp;
    widgets::ImageList iml_;
};

// Opens one more posting window, modelessly, in the MDI area.
frmLancamentos *AbrirLancamentos(QMdiArea *area = nullptr);

} // namespace postings
