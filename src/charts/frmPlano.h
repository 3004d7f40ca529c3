#pragma once
// The two chart editor windows: frmContas (accounts) and frmMovimentacoes
// (income/expense types). Each shows its chart as a lazily loaded tree under
// the chart's root and offers: add a child item, rename, deactivate or
// reactivate, delete, print and close; the first four also from the main
// window's context menu (mnuPopNovo, mnuPopAlterar, mnuPopDesativar,
// mnuPopExcluir, callable by name). After every change the window updates its
// own tree in place and broadcasts the chart's hint to the other windows.
#include "charts/PlanoNaJanela.h"
#include "platform/ui/Form.h"
#include "platform/widgets/TreeView.h"

#include <QDateTime>
#include <memory>

class QLabel;
class QMdiArea;
class QMenu;
class QPushButton;

namespace print {
class Printer;
}

namespace charts {

class frmPlano : public platform::ui::Form {
    Q_OBJECT
public:
    ~frmPlano() override;

    QLabel *lblAjuda = nullptr; // Label1 (types) / lblHelp (accounts)
    widgets::TreeView *tv = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdAlterar = nullptr;
    QPushButton *cmdDesativar = nullptr;
    QPushButton *cmdExcluir = nullptr;
    QPushButton *cmdImprimir = nullptr;
    QPushButton *cmdFechar = nullptr;

    db::Plano plano() const { return plano_; }

    // The context menu shown on a right click: the main window's mnuPopup
    // when it has one, else the window's own with the same four entries.
    QMenu *MenuDeContexto();

public slots:
    void mnuPopAlterar();
    void mnuPopDesativar();
    void mnuPopExcluir();
    void mnuPopNovo();

public:
    Q_INVOKABLE void tv_Collapse(widgets::Node *node);
    void tv_Expand(widgets::Node *node);
    void tv_NodeClick(widgets::Node *node);
    void tv_MouseDown(int button, int shift, const QPoint &pos);

    void cmdAdd_Click();
    void cmdAlterar_Click();
    void cmdDesativar_Click();
    void cmdExcluir_Click();
    void cmdImprimir_Click();
    void cmdFechar_Click();

    // Printing: the whole chart on the printer.
    void ImprimeContas(print::Printer &impressora);
    // The subtree under codPai, one line per item, indented by level.
    void ImprimeItensFilhosOrdenados(print::Printer &impressora, const QString &codPai, long &x0, long &y, long &linha);

protected:
    frmPlano(db::Plano plano, QWidget *parent);
    void Form_Load() override;
    void Form_Unload(bool &cancel) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    QString img(const QString &sufixo) const;
    bool ativo(const widgets::Node *n) const;
    widgets::Node *selecionado() const;
    void focoNaArvore();
    void broadcast();
    void entradaDoMenu(bool habilitada);
    void itemMudado(widgets::Node *n);
    void recarregar(widgets::Node *n);
    void ImprimeCabecalho(print::Printer &impressora);
    const char *nome() const;

    db::Plano plano_;
    bool expandindo_ = false;
    widgets::ImageList imagens_;
    QMenu *menuProprio_ = nullptr;
    // Print state.
    long offsetX_ = 0, topo_ = 0, linhasPorPagina_ = 0, pagina_ = 0;
    float reservaInferior_ = 0, larguraCaractere_ = 0, alturaLinha_ = 0;
    QDateTime dataImpressao_;
};

class frmContas : public frmPlano {
    Q_OBJECT
public:
    explicit frmContas(QWidget *parent = nullptr);
};

class frmMovimentacoes : public frmPlano {
    Q_OBJECT
public:
    explicit frmMovimentacoes(QWidget *parent = nullptr);
};

// Opened by the main window's commands "&Cadastro de Contas de Capital
// (bancárias, cartões, etc)" and "Cadastro de &Tipos de Receitas e Despesas":
// a new window each time, shown modelessly in the MDI area. While one is open
// it disables its menu entry (mnuCadContas / mnuCadTiposRecDesp, found by
// object name in the main window).
frmContas *AbrirCadastroDeContas(QMdiArea *area = nullptr);
frmMovimentacoes *AbrirCadastroDeTiposRecDesp(QMdiArea *area = nullptr);

} // namespace charts
