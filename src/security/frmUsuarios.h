#pragma once
// The user list: active and inactive users in two read-only grids, one in
// front at a time; new and changed users through the user dialog;
// deactivation, reactivation and deletion under their guards (never
// oneself, never the last active administrator, never a user with
// postings). Every change is broadcast with hint 4, on which the window
// reloads its lists. While it is open the main window's entry that opens it
// is disabled.
#include "platform/ui/Form.h"
#include "platform/widgets/DataControl.h"
#include "platform/widgets/DataGrid.h"
#include "ui/Views.h"

#include <QRect>
#include <QSize>
#include <utility>
#include <vector>

class QLabel;
class QMdiArea;
class QPushButton;
class QRadioButton;

namespace security {

class frmDetUsuario;

class frmUsuarios : public platform::ui::Form, public ui::IUpdateView {
    Q_OBJECT
public:
    explicit frmUsuarios(QWidget *parent = nullptr);
    ~frmUsuarios() override;

    // Hint 4 reloads both lists; any other hint does nothing.
    void UpdateView(long &msg) override;

    widgets::DataControl *dtUsu[2] = {nullptr, nullptr};
    widgets::DataGrid *DBGrid1[2] = {nullptr, nullptr};
    QRadioButton *opUsuarios[2] = {nullptr, nullptr};
    QLabel *lblUsuarios[2] = {nullptr, nullptr};
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdAlterar = nullptr;
    QPushButton *cmdDesativar = nullptr;
    QPushButton *cmdExcluir = nullptr;
    QPushButton *cmdFechar = nullptr;

    void cmdAdd_Click();
    void cmdAlterar_Click();
    void cmdDesativar_Click();
    void cmdExcluir_Click();
    void cmdFechar_Click();
    void opUsuarios_Click(int i);
    void DBGrid1_SelChange(int i);

    // The list in front (0 active users, 1 inactive ones).
    int Frente() const { return frente_; }

protected:
    void Form_Load() override;
    void Form_Unload(bool &cancel) override;
    bool eventFilter(QObject *o, QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void AtualizarDados();
    void ajustarColunaDoNome();
    void HabilitarDesabilitar();
    void broadcast();
    void entradaDoMenu(bool habilitada);
    // Makes the first selected row of the list in front current; false when none is selected.
    bool linhaSelecionada();
    dao::Recordset &linha() const;
    void desativar();
    void reativar();
    void aposMudanca();
    // Shows the user dialog; a confirmed one reloads the lists and tells the other windows.
    void mostrar(frmDetUsuario &dlg);

    int frente_ = 0;
    // The designed size, each control's designed place and the user column's width.
    QSize desenho_;
    std::vector<std::pair<QWidget *, QRect>> lugares_;
    int larguraUsuario_ = 0;
};

inline const QString kMsgUltimoAdministrador = QStringLiteral(
    "Este é o último usuário ativo com permissões de administrador e por isto não pode ser desativado.");

// Opened by the main window's "&Contas de Usuários": shown modelessly in the MDI area.
frmUsuarios *AbrirUsuarios(QMdiArea *area = nullptr);

} // namespace security
