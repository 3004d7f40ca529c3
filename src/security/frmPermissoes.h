#pragma once
// The two permission editors: frmPermMov (income/expense types) and
// frmPermContas (accounts). Each shows a user's permission tree whole, one
// picture per value, and the children of the selected node in a list; the
// four buttons (and the main window's second context menu, through
// mnuPopTotal, mnuPopGravar, mnuPopLer, mnuPopSem) give a value to the
// list's selected items or to the tree's selected node. In mode 2 (an
// existing user) each accepted change is saved at once; in any other mode
// the changes stay in the tree the opener holds.
#include "core/permissoes/CPermissao.h"
#include "platform/ui/Form.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/TreeView.h"

#include <memory>

class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

namespace security {

class frmPermissoes : public platform::ui::Form {
    Q_OBJECT
public:
    ~frmPermissoes() override;

    long Mode() const { return mode_; }
    void setMode(long m) { mode_ = m; }
    long IdUsuario() const { return idUsuario_; }
    void setIdUsuario(long id) { idUsuario_ = id; }
    // The root item: the very tree the opener holds, set before the first activation.
    const std::shared_ptr<core::permissoes::CPermissao> &Raiz() const { return raiz_; }
    void setRaiz(std::shared_ptr<core::permissoes::CPermissao> raiz) { raiz_ = std::move(raiz); }
    // Another copy of the program deleted the user: the editor said so and
    // closed, and its opener shows him no longer.
    bool UsuarioRemovido() const { return usuarioRemovido_; }

    QLabel *Label1 = nullptr;
    widgets::TreeView *tv = nullptr;
    QLabel *Label2 = nullptr;
    widgets::ListView *lv = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *lblFrame = nullptr;
    QPushButton *cmdTudo = nullptr;
    QPushButton *cmdLancamentos = nullptr;
    QPushButton *cmdExtratos = nullptr;
    QPushButton *cmdSemPerm = nullptr;
    QPushButton *cmdFechar = nullptr;

    void cmdTudo_Click() { darPermissao(core::permissoes::kPermTodas, "cmdTudo_Click"); }
    void cmdLancamentos_Click() { darPermissao(core::permissoes::kPermLancamentos, "cmdLancamentos_Click"); }
    void cmdExtratos_Click() { darPermissao(core::permissoes::kPermPesquisa, "cmdExtratos_Click"); }
    void cmdSemPerm_Click() { darPermissao(core::permissoes::kPermNenhuma, "cmdSemPerm_Click"); }
    void cmdFechar_Click();

    void ShowNodeChildren(widgets::Node *node);
    void tv_NodeClick(widgets::Node *node);
    void tv_MouseDown(int button, int shift, const QPoint &pos);
    void lv_MouseDown(int button, int shift, const QPoint &pos);
    void lv_DblClick();

    // The context menu shown on a right click: the main window's mnuPopup2
    // when there is one, else the window's own with the same four entries.
    QMenu *MenuDeContexto();

public slots:
    void mnuPopTotal() { menuDeContexto(core::permissoes::kPermTodas, "mnuPopTotal"); }
    void mnuPopGravar() { menuDeContexto(core::permissoes::kPermLancamentos, "mnuPopGravar"); }
    void mnuPopLer() { menuDeContexto(core::permissoes::kPermPesquisa, "mnuPopLer"); }
    void mnuPopSem() { menuDeContexto(core::permissoes::kPermNenhuma, "mnuPopSem"); }

protected:
    frmPermissoes(bool recDesp, QWidget *parent);
    void Form_Load() override;
    void Form_Activate() override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    enum class Vista { Nenhuma, Arvore, Lista };
    void darPermissao(long valor, const char *procedimento);
    void aplicar(long valor);
    void menuDeContexto(long valor, const char *procedimento);
    void mostrarMenu(const QPoint &global);
    void usuarioRemovido();
    const char *nome() const;

    bool recDesp_;
    long mode_ = 0;
    long idUsuario_ = 0;
    std::shared_ptr<core::permissoes::CPermissao> raiz_;
    bool bInit_ = false;
    Vista ultima_ = Vista::Nenhuma;
    bool usuarioRemovido_ = false;
    widgets::ImageList imagens_;
    QMenu *menuProprio_ = nullptr;
};

class frmPermMov : public frmPermissoes {
    Q_OBJECT
public:
    explicit frmPermMov(QWidget *parent = nullptr);
    const std::shared_ptr<core::permissoes::CPermissao> &PermRecDesp() const { return Raiz(); }
    void setPermRecDesp(std::shared_ptr<core::permissoes::CPermissao> raiz) { setRaiz(std::move(raiz)); }
};

class frmPermContas : public frmPermissoes {
    Q_OBJECT
public:
    explicit frmPermContas(QWidget *parent = nullptr);
    const std::shared_ptr<core::permissoes::CPermissao> &PermContas() const { return Raiz(); }
    void setPermContas(std::shared_ptr<core::permissoes::CPermissao> raiz) { setRaiz(std::move(raiz)); }
};

} // namespace security
