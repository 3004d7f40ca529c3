#pragma once
// The main window: the program's only top-level window, an MDI frame that
// carries the menus, the toolbar and the two context menus it lends to child
// windows, and hosts every working window. Closing it closes the database and
// ends the program.
#include "platform/ui/Form.h"

#include <QPointer>
#include <QString>

class QAction;
class QMainWindow;
class QMdiArea;
class QMenu;
class QToolBar;

namespace shell {

class MainForm : public platform::ui::Form {
    Q_OBJECT
    // Windows below the main window set it by name before they pop up mnuPopup2.
    Q_PROPERTY(QObject *ActivePermissions READ activePermissions WRITE setActivePermissions)
public:
    explicit MainForm(QWidget *parent = nullptr);

    QMainWindow *Janela() const { return janela_; }
    QMdiArea *AreaMDI() const { return mdi_; }

    // Menus, in display order. The top-level ones are shown and hidden through
    // their menu action; mnuPopup and mnuPopup2 never sit in the menu bar.
    QMenu *mnuCadastros = nullptr;
    QAction *mnuCadContas = nullptr, *mnuCadTiposRecDesp = nullptr, *mnuArqBar2 = nullptr, *mnuCadSair = nullptr;
    QMenu *mnuOperacoes = nullptr;
    QAction *mnuOperLancamentos = nullptr, *mnuOperPendencias = nullptr, *mnuOperPesqDoc = nullptr,
            *mnuOperBar1 = nullptr, *mnuOperExtratosContas = nullptr, *mnuOperExtratosRecDesp = nullptr,
            *mnuOperBar2 = nullptr, *mnuOperBalContas = nullptr, *mnuOperBalRecDesp = nullptr,
            *mnuOperBar3 = nullptr, *mnuOperPesqSaldosContas = nullptr, *mnuOperPesqSaldosRecDesp = nullptr,
            *mnuOperBar4 = nullptr, *mnuOperSair = nullptr;
    QMenu *mnuSeguranca = nullptr;
    QAction *mnuSegContas = nullptr;
    QMenu *mnuBD = nullptr;
    QAction *mnuBDCaminho = nullptr, *mnuBDNew = nullptr;
    QMenu *mnuAjuda = nullptr;
    QAction *mnuAjuConteudo = nullptr, *mnuAjuSobre = nullptr, *mnuAjuBrisaverde = nullptr;
    QAction *mnuFluxometria = nullptr; // a top-level item without entries
    QMenu *mnuPopup = nullptr;
    QAction *mnuPopNovo = nullptr, *mnuPopAlterar = nullptr, *mnuPopDesativar = nullptr, *mnuPopExcluir = nullptr;
    QMenu *mnuPopup2 = nullptr;
    QAction *mnuPop2Total = nullptr, *mnuPop2Gravar = nullptr, *mnuPop2Ler = nullptr, *mnuPop2Sem = nullptr;

    QToolBar *tb = nullptr;

    // A menu entry by its name ("mnuCadContas"); a menu by its name gives its
    // menu action ("mnuCadastros"). Null for an unknown name.
    QAction *Item(const QString &nome) const;
    // A toolbar button by its key ("CONTAS"); null for an unknown key.
    QAction *Botao(const QString &key) const;

    // The permission editor that last opened mnuPopup2; its entries call back
    // into it. Never cleared.
    QPointer<QObject> ActivePermissions;
    QObject *activePermissions() const { return ActivePermissions; }
    void setActivePermissions(QObject *janela) { ActivePermissions = janela; }

    // Commands, one per menu entry.
    void mnuCadContas_Click();
    void mnuCadTiposRecDesp_Click();
    void mnuCadSair_Click();
    void mnuOperLancamentos_Click();
    void mnuOperPendencias_Click();
    void mnuOperPesqDoc_Click();
    void mnuOperExtratosContas_Click();
    void mnuOperExtratosRecDesp_Click();
    void mnuOperBalContas_Click();
    void mnuOperBalRecDesp_Click();
    void mnuOperPesqSaldosContas_Click();
    void mnuOperPesqSaldosRecDesp_Click();
    void mnuOperSair_Click();
    void mnuSegContas_Click();
    void mnuBDCaminho_Click();
    void mnuBDNew_Click();
    void mnuAjuConteudo_Click();
    void mnuAjuSobre_Click();
    void mnuAjuBrisaverde_Click();
    void mnuFluxometria_Click();
    void mnuPopNovo_Click();
    void mnuPopAlterar_Click();
    void mnuPopDesativar_Click();
    void mnuPopExcluir_Click();
    void mnuPop2Total_Click();
    void mnuPop2Gravar_Click();
    void mnuPop2Ler_Click();
    void mnuPop2Sem_Click();

    // Runs the command of the toolbar button with that key, as its menu entry
    // would, whatever the entry's state; an unknown key does nothing.
    void tb_ButtonClick(const QString &key);

protected:
    void Form_Load() override;
    void Form_Unload(bool &cancel) override;

private:
    // The menu tree, the toolbar and the context menus, in the states the
    // window is created with; the menu permissions change them at load.
    void CriarMenus();
    void CriarBarraDeFerramentas();
    // Menu permissions: decides once, at load, what the signed-in user reaches.
    void AjustaAPermissoes();
    void HabilitaTudo();

    // One of the six report commands: the data-present bit it needs, its
    // message when that bit is clear, and the report Mode it opens.
    void ComandoDeRelatorio(const char *procedimento, long bit, const QString &mensagem, int mode);
    // Calls a context-menu procedure on the window that opened the menu.
    void ChamarMenuDeContexto(const char *procedimento, QObject *alvo, const char *metodo);
    // Closes the window by its usual path, so the program ends.
    void Fechar();

    QMainWindow *janela_;
    QMdiArea *mdi_;
};

// The main window while it is loaded; null before start-up shows it and after
// it closed.
shell::MainForm *JanelaPrincipal();

// Creates the main window, shows it maximised and makes its client area the
// home of the child windows. False when its load failed and it closes again.
bool MostrarJanelaPrincipal();

} // namespace shell
