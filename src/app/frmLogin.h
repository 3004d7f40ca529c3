#pragma once
// The sign-in dialog: collects a login and a password and screens them. The
// start-up creates one per attempt, shows it modally and reads its public
// values after it has closed.
#include "platform/ui/Form.h"

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {

class frmLogin : public platform::ui::Form {
    Q_OBJECT
public:
    explicit frmLogin(QWidget *parent = nullptr);

    // True until the user confirms valid input.
    bool Cancelado = true;
    // Prompt shown at the first activation.
    QString Message;
    // Caption; empty: the application's title followed by " - Login".
    QString Title;

    QString Senha() const { return senha_; }
    void SetSenha(const QString &v);
    QString IdLogin() const { return idLogin_; }
    void SetIdLogin(const QString &v);
    bool LoginBeginner() const { return beginner_; }
    // False takes the first-use hint out of the layout (and loads the dialog).
    void SetLoginBeginner(bool v);

    void cmdAplicar_Click();
    void cmdFechar_Click();

    QLabel *lblWarning;
    QLabel *lblMsg;
    QLabel *Label1;
    QLineEdit *txtUsuario;
    QLabel *lblLabels;
    QLineEdit *txtSenha;
    QPushButton *cmdAplicar;
    QPushButton *cmdFechar;

    // The first-use hint.
    static QString TextoAvisoPrimeiroUso();

protected:
    void Form_Load() override;
    void Form_Activate() override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    // Typed characters: the quotes are refused, the rest upper-cased.
    bool FiltrarTecla(QLineEdit *box, QKeyEvent *e);
    void Colorir(QLineEdit *box, const QColor &cor);

    QString senha_;
    QString idLogin_;
    bool beginner_ = true;
};

} // namespace app
