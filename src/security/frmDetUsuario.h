#pragma once
// The user dialog "Conta de Usuário": creates a user (Mode 1) or changes one
// (Mode 2). For a common user it opens the two permission editors on the
// user's trees, loaded the first time a button needs them; it validates,
// writes the user's row (and, for a new common user, his permission rows)
// in one transaction and broadcasts hint 4. An administrator made a common
// user is saved only once he has permissions in both charts, as a new common
// user. A failed confirmation leaves every field and tree as it was.
#include "core/permissoes/CPermissao.h"
#include "platform/ui/Form.h"

#include <QString>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace widgets {
class UpperLineEdit;
}

namespace security {

class frmDetUsuario : public platform::ui::Form {
    Q_OBJECT
public:
    explicit frmDetUsuario(QWidget *parent = nullptr);
    ~frmDetUsuario() override;

    // Set by the opener after the load, before the show.
    long Mode() const { return mode_; }
    void setMode(long m);
    long IdUsuario = 0;
    QString DesUsuario;
    QString IdLogin;
    QString SenhaAnterior;
    long Tipo = 0;
    // True unless a confirmation closed the dialog.
    bool Cancelado = true;
    // Another copy of the program deleted the edited user: the dialog said
    // so and closed, having written nothing; its opener reloads its lists.
    bool UsuarioRemovido = false;

    QLabel *lblNome = nullptr, *lblIdLogin = nullptr, *lblTipo = nullptr, *lblSenAnt = nullptr, *lblSenha = nullptr,
           *lblConfirmar = nullptr;
    widgets::UpperLineEdit *txtNome = nullptr;
    widgets::UpperLineEdit *txtIdLogin = nullptr;
    QComboBox *cbTipo = nullptr;
    widgets::UpperLineEdit *txtSenhaAnt = nullptr;
    widgets::UpperLineEdit *txtSenha[2] = {nullptr, nullptr};
    QPushButton *cmdPermContas = nullptr;
    QPushButton *cmdPermMov = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdPermContas_Click();
    void cmdPermMov_Click();
    bool Validar();

    // The trees as loaded or changed so far (empty until first needed).
    const std::shared_ptr<core::permissoes::CPermissao> &ArvoreContas() const { return contas_; }
    const std::shared_ptr<core::permissoes::CPermissao> &ArvoreMovimentacoes() const { return movimentacoes_; }

protected:
    void Form_Load() override;
    void Form_Activate() override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    long tipoEscolhido() const; // 0 when no entry is chosen
    void Incluir();
    // False, nothing written, when the user is no longer in the file.
    [[nodiscard]] bool Alterar();
    void usuarioRemovido(bool avisar);
    void ExibirDados();
    void LimparTudo();
    void abrirEditor(bool recDesp);

    long mode_ = 0;
    std::shared_ptr<core::permissoes::CPermissao> contas_;
    std::shared_ptr<core::permissoes::CPermissao> movimentacoes_;
};

} // namespace security
