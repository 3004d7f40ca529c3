#include "app/frmLogin.h"

#include "ui/Errors.h"
#include "app/Inicio.h"
#include "ui/Sessao.h"
#include "ui/MsgBox.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/widgets/UpperLineEdit.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace app {

using ui::MsgBox;
using ui::PosicionarJanela;

namespace {

int Px(double twips, double porPixel) { return static_cast<int>(std::nearbyint(twips / porPixel)); }

QRect Lugar(int left, int top, int width, int height) {
    const double x = platform::Screen::TwipsPerPixelX(), y = platform::Screen::TwipsPerPixelY();
    return {Px(left, x), Px(top, y), Px(width, x), Px(height, y)};
}

// Client area of the dialog, in twips, with the first-use hint.
constexpr int kLarguraTwips = 4305;
constexpr int kAlturaTwips = 3105;

} // namespace

QString frmLogin::TextoAvisoPrimeiroUso() {
    return QStringLiteral("Para iniciar o uso do Finoteca, entre como usuário \"ADMIN\"  usando  a  senha  "
                          "\"TOQUE\".  Assim  que aprender  a  manipular contas de usuários, exclua ou modifique "
                          "a senha do usuário \"ADMIN\".");
}

frmLogin::frmLogin(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    lblWarning = new QLabel(TextoAvisoPrimeiroUso(), this);
    lblWarning->setObjectName(QStringLiteral("lblWarning"));
    lblWarning->setWordWrap(true);
    lblWarning->setGeometry(Lugar(150, 30, 4005, 825));

    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setGeometry(Lugar(990, 960, 2985, 405));

    Label1 = new QLabel(QStringLiteral("&Usuário:"), this);
    Label1->setGeometry(Lugar(960, 1470, 855, 255));
    txtUsuario = new QLineEdit(this);
    txtUsuario->setObjectName(QStringLiteral("txtUsuario"));
    txtUsuario->setMaxLength(12);
    txtUsuario->setGeometry(Lugar(1980, 1440, 1035, 315));
    Label1->setBuddy(txtUsuario);

    lblLabels = new QLabel(QStringLiteral("&Senha:"), this);
    lblLabels->setGeometry(Lugar(945, 1920, 930, 270));
    txtSenha = new QLineEdit(this);
    txtSenha->setObjectName(QStringLiteral("txtSenha"));
    txtSenha->setMaxLength(12);
    txtSenha->setEchoMode(QLineEdit::Password);
    txtSenha->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    txtSenha->setGeometry(Lugar(1980, 1860, 1035, 315));
    // The password set in the user dialog keeps its characters whole at the limit: so does what is typed here.
    for (QLineEdit *caixa : {txtUsuario, txtSenha}) widgets::CaracteresInteiros(caixa);
    lblLabels->setBuddy(txtSenha);

    // No default button: Enter belongs to the two boxes.
    cmdAplicar = new QPushButton(QStringLiteral("&OK"), this);
    cmdAplicar->setAutoDefault(false);
    cmdAplicar->setGeometry(Lugar(480, 2520, 1335, 345));
    cmdFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    cmdFechar->setAutoDefault(false);
    cmdFechar->setGeometry(Lugar(2280, 2520, 1335, 345));

    setTabOrder(txtUsuario, txtSenha);
    setTabOrder(txtSenha, cmdAplicar);
    setTabOrder(cmdAplicar, cmdFechar);

    connect(cmdAplicar, &QPushButton::clicked, this, [this] { cmdAplicar_Click(); });
    connect(cmdFechar, &QPushButton::clicked, this, [this] { cmdFechar_Click(); });
    txtUsuario->installEventFilter(this);
    txtSenha->installEventFilter(this);
    // Typed letters become capitals here (FiltrarTecla); pasted ones too.
    widgets::MaiusculasAoColar(txtUsuario);
    widgets::MaiusculasAoColar(txtSenha);

    setFixedSize(Lugar(0, 0, kLarguraTwips, kAlturaTwips).size());
    // The hint must show whole in the font of this display.
    platform::ui::AcomodarRotulo(lblWarning);
}

void frmLogin::Form_Load() {
    Cancelado = true;
    PosicionarJanela(this, true);
}

void frmLogin::Form_Activate() {
    if (!FirstActivation())
        return;
    try {
        setWindowTitle(Title.isEmpty() ? platform::App::Title() + QStringLiteral(" - Login") : Title);
        lblMsg->setText(Message);
        txtUsuario->setFocus();
    } catch (...) {
        FIN_TRAP_REPORT("frmLogin", "Form_Activate");
    }
}

void frmLogin::SetSenha(const QString &v) { senha_ = v; }
void frmLogin::SetIdLogin(const QString &v) { idLogin_ = v; }

void frmLogin::SetLoginBeginner(bool v) {
    try {
        Load();
        beginner_ = v;
        if (v)
            return;
        if (lblWarning->isHidden())
            return; // already taken out
        const int altura = lblWarning->height();
        for (QWidget *w : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (w != lblWarning)
                w->move(w->x(), w->y() - altura);
        lblWarning->hide();
        setFixedSize(width(), height() - altura);
    } catch (...) {
        FIN_TRAP_RERAISE("frmLogin", "LoginBeginner");
    }
}

void frmLogin::cmdAplicar_Click() {
    try {
        const QString senha = txtSenha->text();
        const QString login = txtUsuario->text();
        const QString titulo = platform::App::Title();
        if (senha.trimmed().isEmpty() || db::TemCaractereRecusadoNoLogin(senha)) {
            MsgBox(QStringLiteral("Senha inválida. Por favor, tente novamente!"), platform::ui::vbOKOnly, titulo);
            txtSenha->setFocus();
            return;
        }
        if (login.trimmed().isEmpty() || db::TemCaractereRecusadoNoLogin(login)) {
            MsgBox(QStringLiteral("Informação de usuário inválida. Por favor, tente novamente!"), platform::ui::vbOKOnly,
                   titulo);
            txtUsuario->setFocus();
            return;
        }
        senha_ = senha.trimmed();
        idLogin_ = login.trimmed();
        Cancelado = false;
        Unload(platform::ui::vbFormCode);
    } catch (...) {
        FIN_TRAP_REPORT("frmLogin", "cmdAplicar_Click");
    }
}

void frmLogin::cmdFechar_Click() { Unload(platform::ui::vbFormCode); }

void frmLogin::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Escape) {
        cmdFechar_Click();
        return;
    }
    platform::ui::Form::keyPressEvent(e);
}

void frmLogin::Colorir(QLineEdit *box, const QColor &cor) {
    QPalette p = box->palette();
    p.setColor(QPalette::Base, cor);
    box->setPalette(p);
}

bool frmLogin::FiltrarTecla(QLineEdit *box, QKeyEvent *e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (box == txtUsuario)
            QCoreApplication::postEvent(txtUsuario, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
        else
            cmdAplicar_Click();
        return true;
    }
    if (e->key() == Qt::Key_Escape) {
        cmdFechar_Click();
        return true;
    }
    const QString t = e->text();
    if (t.size() != 1 || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QChar c = t.at(0);
    if (db::CaractereProibido(c.unicode())) {
        MsgBox(QStringLiteral("Caractere inválido: ") + c + QStringLiteral(" ."), platform::ui::vbOKOnly,
               platform::App::Title());
        box->setFocus();
        return true;
    }
    const QString maiuscula = t.toUpper();
    if (maiuscula != t) {
        box->insert(maiuscula);
        return true;
    }
    return false;
}

bool frmLogin::eventFilter(QObject *watched, QEvent *e) {
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (box && (box == txtUsuario || box == txtSenha)) {
        switch (e->type()) {
        case QEvent::KeyPress:
            return FiltrarTecla(box, static_cast<QKeyEvent *>(e));
        case QEvent::FocusIn:
            Colorir(box, QColor(255, 255, 0));
            box->selectAll();
            break;
        case QEvent::FocusOut:
            Colorir(box, QColor(255, 255, 255));
            break;
        default:
            break;
        }
    }
    return platform::ui::Form::eventFilter(watched, e);
}

} // namespace app
