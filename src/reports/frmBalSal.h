#pragma once
// The balance window: one balance result (over a period, Modes 3 and 4, or at
// a date, Modes 6 and 7) as an indented tree of items with one amount each,
// the total line above it, refreshed on every view hint, printed as a report;
// in Modes 3 and 4 a right click on an item opens its cross balance in a new
// window of this kind.
#include "core/consultas/PedidoBalanco.h"
#include "core/permissoes/CPermissao.h"
#include "platform/ui/Form.h"
#include "platform/widgets/TreeView.h"
#include "ui/Views.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QAction;
class QPushButton;

namespace print {
class Printer;
}

namespace reports {

class frmBalSal : public platform::ui::Form, public ui::IUpdateView {
    Q_OBJECT
public:
    explicit frmBalSal(QWidget *parent = nullptr);
    ~frmBalSal() override;

    // Set by the opener before the show.
    QString SQL;
    QString Contas;
    QDate DataIni, DataFim;
    QString TituloRelatorio;
    // The same result set as SQL, computed from indexed reads (CalculoBalanco);
    // when set the window takes its rows from it instead of running SQL.
    std::optional<core::consultas::PedidoBalanco> Pedido;

    long Mode() const { return mode_; }
    void setMode(long mode);

    // The view broadcast: refresh now when active, else at the next activation.
    void UpdateView(long &msg) override;

    // One item's line: the description in 54 − 3 × level characters, then the
    // amount right-justified in 13 (a longer amount takes its extra columns
    // from the description, so the line keeps its length). The level is the
    // item's depth in the tree (0 at the first level), which the tree indents
    // by 3 characters a level: the amounts stand in one column.
    static QString LinhaDoItem(int nivel, const QString &descricao, value::Currency valor);

    void CarregarNaArvore(const std::shared_ptr<core::permissoes::CPermissao> &item, const QString &codPai);
    // Builds the items and the tree (and the total line) from result rows.
    void MostrarLinhas(const core::consultas::LinhasBalanco &linhas);
    // Prints one node and its subtree (printing state of ImprimeRelatorio).
    void ImprimeNo(print::Printer &p, widgets::Node *no, float &esquerda, float &altura, long &linha);
    void ImprimeRelatorio(print::Printer &p);

    void cmdAtualizar_Click();
    void cmdImprimir_Click();
    void cmdCancel_Click();
    void tv_MouseDown(int button, int shift, const QPoint &pos);
    void tv_Collapse(widgets::Node *node);
    void tv_Expand(widgets::Node *node);
    void mnuBalRecDespEmConta_Click();
    void mnuBalRecDespEmConta2_Click();
    void mnuBalContaEmRecDesp_Click();
    void mnuBalContaEmRecDesp2_Click();

    // Controls.
    QLabel *lblCaption = nullptr;
    QLabel *lblContas = nullptr;
    QLabel *lblValor = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblDesTotal = nullptr;
    widgets::TreeView *tv = nullptr;
    QLabel *lblAviso = nullptr;
    QPushButton *cmdImprimir = nullptr;
    QPushButton *cmdAtualizar = nullptr;
    QPushButton *cmdCancel = nullptr;
    QMenu *mnuBalAgrup = nullptr;
    QAction *mnuBalRecDespEmConta = nullptr;
    QAction *mnuBalRecDespEmConta2 = nullptr;
    QAction *mnuBalContaEmRecDesp = nullptr;
    QAction *mnuBalContaEmRecDesp2 = nullptr;

    // The tag of lblDesTotal: "OMITIR" when the total is left out.
    QString TagDoTotal() const;
    // How many times the query ran (for the refresh rules).
    int Consultas() const { return consultas_; }
    bool RefreshPendente() const { return pendente_; }
    // The key of the node remembered by the last right click ("" for none).
    QString NoLembrado() const { return noLembrado_; }

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void keyPressEvent(QKeyEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void alinharTotal();
    // Places the controls for the window's size.
    void dispor();
    // Runs the query and shows its rows; a failure is reported, the window
    // closes after the report, and false tells the caller to leave it be.
    bool FazConsulta();
    // The refresh command's work; false as FazConsulta.
    bool Atualizar();
    void CarregarEmObjetos(const core::consultas::LinhasBalanco &linhas);
    void ImprimeCabecalho(print::Printer &p);
    void abrirCruzado(const char *procedimento, bool contasNoOutro, bool somente);
    QString img(const QString &sufixo) const;

    long mode_ = 0;
    // The tree's place at the designed size (by Mode and user), and where
    // the total line starts.
    QRect arvore_;
    int esquerdaDoTotal_ = 0;
    bool pendente_ = false;
    bool carregado_ = false;
    int consultas_ = 0;
    std::unique_ptr<core::permissoes::CPermissoes> itens_;
    QHash<QString, QString> descricoes_; // code -> description as the result gave it
    QString noLembrado_;
    widgets::ImageList imagens_;
    // Print state.
    long offsetX_ = 0, topo_ = 0, linhasPorPagina_ = 0, pagina_ = 0;
    float reservaInferior_ = 0, larguraCaractere_ = 0, alturaCaractere_ = 0, esquerdaBloco_ = 0;
    QDateTime horaRelatorio_;
};

// Opens a balance window on a request (Modes 3, 4, 6 and 7): its text, its
// computed rows, the period and the title; shown modelessly.
frmBalSal *AbrirBalanco(long mode, const core::consultas::PedidoBalanco &pedido, const QString &titulo);

} // namespace reports
