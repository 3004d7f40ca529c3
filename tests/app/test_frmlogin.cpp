// The sign-in dialog on its own: typing, checks of the OK command, the ways
// out, the first-use hint and the focus colours.
#include "app/frmLogin.h"
#include "platform/ui/GuiTest.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QScreen>
#include <QTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <memory>

using testsupport::Script;

namespace {

class LoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        f = std::make_unique<app::frmLogin>();
        f->Load();
    }
    static void Digitar(QWidget *box, const QString &texto) {
        for (const QChar c : texto) {
            QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(box, &e);
        }
    }
    static void Tecla(QWidget *w, int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
    std::unique_ptr<app::frmLogin> f;
};

} // namespace

TEST_F(LoginTest, TypingRefusesQuotesAndUpperCasesTheRest) {
    struct Case { const char *name; QString digitado; QString fica; QStringList mensagens; };
    const Case cases[] = {
        {"lower case", QStringLiteral("admin"), QStringLiteral("ADMIN"), {}},
        {"accented", QStringLiteral("joão"), QStringLiteral("JOÃO"), {}},
        {"digits and blanks", QStringLiteral("a 1"), QStringLiteral("A 1"), {}},
        {"apostrophe", QStringLiteral("a'b"), QStringLiteral("AB"), {QStringLiteral("Caractere inválido: ' .")}},
        {"double quote", QStringLiteral("\"x"), QStringLiteral("X"), {QStringLiteral("Caractere inválido: \" .")}},
        // Only the OK command refuses the semicolon.
        {"semicolon is typed", QStringLiteral("a;b"), QStringLiteral("A;B"), {}},
        {"at most twelve", QStringLiteral("abcdefghijklmn"), QStringLiteral("ABCDEFGHIJKL"), {}},
    };
    for (const Case &c : cases) {
        for (QLineEdit *box : {f->txtUsuario, f->txtSenha}) {
            SCOPED_TRACE(std::string(c.name) + " in " + box->objectName().toStdString());
            box->clear();
            Script s;
            for (int i = 0; i < c.mensagens.size(); ++i)
                s.ok();
            Digitar(box, c.digitado);
            EXPECT_EQ(box->text(), c.fica);
            EXPECT_EQ(s.shownTexts(), c.mensagens);
        }
    }
}

// Pasted, the letters turn to capitals as typed ones do.
TEST_F(LoginTest, PastedTextIsUpperCasedAsTypedText) {
    for (QLineEdit *box : {f->txtUsuario, f->txtSenha}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("toque"));
        QKeyEvent e(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        QCoreApplication::sendEvent(box, &e);
        EXPECT_EQ(box->text(), QStringLiteral("TOQUE"));
    }
}

// A character of two UTF-16 units (an emoji) entered at either box's limit,
// pasted, typed or composed: the box ends before it instead of keeping its
// first half, and OK hands over no half character; below the limit it goes
// in whole.
TEST_F(LoginTest, ACharacterOfTwoUnitsAtTheLimitStaysOutOfBothBoxes) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString onze = QStringLiteral("ADMINISTRAD");
    struct Via {
        const char *nome;
        std::function<void(QLineEdit *, const QString &)> entrar;
    };
    const Via vias[] = {
        {"pasted", [](QLineEdit *c, const QString &t) { testsupport::Colar(c, t); }},
        {"typed",
         [](QLineEdit *c, const QString &t) {
             c->end(false);
             QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, t);
             QCoreApplication::sendEvent(c, &e);
         }},
        {"input method",
         [](QLineEdit *c, const QString &t) {
             c->end(false);
             QInputMethodEvent e;
             e.setCommitString(t);
             QCoreApplication::sendEvent(c, &e);
         }},
    };
    for (const Via &v : vias) {
        for (const bool senha : {false, true}) {
            SCOPED_TRACE(std::string(v.nome) + (senha ? " in the password" : " in the login"));
            app::frmLogin d;
            d.Load();
            QLineEdit *caixa = senha ? d.txtSenha : d.txtUsuario;
            d.txtUsuario->setText(onze);
            d.txtSenha->setText(onze);
            Script s;
            v.entrar(caixa, emoji);
            EXPECT_EQ(caixa->text().toStdString(), onze.toStdString());
            d.cmdAplicar_Click();
            EXPECT_TRUE(s.shown().empty());
            EXPECT_FALSE(d.Cancelado);
            EXPECT_EQ((senha ? d.Senha() : d.IdLogin()).toStdString(), onze.toStdString());
            // Inside the limit the whole character goes in.
            app::frmLogin outra;
            outra.Load();
            QLineEdit *c2 = senha ? outra.txtSenha : outra.txtUsuario;
            c2->setText(QStringLiteral("ABC"));
            v.entrar(c2, emoji);
            EXPECT_EQ(c2->text().toStdString(), (QStringLiteral("ABC") + emoji).toStdString());
        }
    }
}

TEST_F(LoginTest, OkCommandChecksPasswordFirstThenLogin) {
    const QString senha = QStringLiteral("Senha inválida. Por favor, tente novamente!");
    const QString usuario = QStringLiteral("Informação de usuário inválida. Por favor, tente novamente!");
    struct Case { const char *name; QString login, senha, mensagem; };
    const Case cases[] = {
        {"both empty", "", "", senha},
        {"password of blanks", "ADMIN", "   ", senha},
        {"password with NUL", "ADMIN", QStringLiteral("A") + QChar(u'\0') + QStringLiteral("B"), senha},
        {"password with apostrophe", "ADMIN", "TO'QUE", senha},
        {"password with semicolon", "ADMIN", "TO;QUE", senha},
        {"password with quote", "ADMIN", "TO\"QUE", senha},
        {"login of blanks", "  ", "TOQUE", usuario},
        {"login with semicolon", "AD;MIN", "TOQUE", usuario},
        {"login with NUL", QStringLiteral("AD") + QChar(u'\0'), "TOQUE", usuario},
        {"login with quote", "AD\"MIN", "TOQUE", usuario},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        f->txtUsuario->setText(c.login);
        f->txtSenha->setText(c.senha);
        Script s;
        s.ok();
        f->cmdAplicar_Click();
        EXPECT_EQ(s.shownTexts(), QStringList{c.mensagem});
        EXPECT_TRUE(f->IsLoaded());
        EXPECT_TRUE(f->Cancelado);
    }
}

TEST_F(LoginTest, AcceptedValuesAreTrimmedAndReadableAfterClosing) {
    f->txtUsuario->setText(QStringLiteral("  ADMIN "));
    f->txtSenha->setText(QStringLiteral(" TOQUE  "));
    Tecla(f->txtSenha, Qt::Key_Return); // Enter in the password box runs OK
    EXPECT_FALSE(f->IsLoaded());
    EXPECT_FALSE(f->Cancelado);
    EXPECT_EQ(f->IdLogin(), QStringLiteral("ADMIN"));
    EXPECT_EQ(f->Senha(), QStringLiteral("TOQUE"));
}

TEST_F(LoginTest, EveryWayOutLeavesCancelado) {
    struct Case { const char *name; std::function<void(app::frmLogin &)> sair; };
    const Case cases[] = {
        {"Fechar", [](app::frmLogin &d) { d.cmdFechar->click(); }},
        {"Esc in the login box", [](app::frmLogin &d) { Tecla(d.txtUsuario, Qt::Key_Escape); }},
        {"Esc on the dialog", [](app::frmLogin &d) { Tecla(&d, Qt::Key_Escape); }},
        {"close box", [](app::frmLogin &d) { d.close(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        app::frmLogin d;
        d.Load();
        d.txtUsuario->setText(QStringLiteral("ADMIN"));
        d.txtSenha->setText(QStringLiteral("TOQUE"));
        c.sair(d);
        EXPECT_FALSE(d.IsLoaded());
        EXPECT_TRUE(d.Cancelado);
    }
}

TEST_F(LoginTest, FirstActivationSetsCaptionAndPrompt) {
    struct Case { QString title, caption; };
    const Case cases[] = {{QString(), QStringLiteral("Finoteca - Login")}, {QStringLiteral("Outro"), QStringLiteral("Outro")}};
    for (const Case &c : cases) {
        app::frmLogin d;
        d.Title = c.title;
        d.Message = QStringLiteral("Informe o usuário e a senha:");
        d.Load();
        d.Activate();
        EXPECT_EQ(d.windowTitle(), c.caption);
        EXPECT_EQ(d.lblMsg->text(), d.Message);
        d.Message = QStringLiteral("depois");
        d.Activate(); // later activations change nothing
        EXPECT_NE(d.lblMsg->text(), d.Message);
    }
}

TEST_F(LoginTest, WithoutTheHintNoGapIsLeft) {
    app::frmLogin com, sem;
    com.SetLoginBeginner(true);
    sem.SetLoginBeginner(false);
    EXPECT_TRUE(sem.IsLoaded()) << "setting the flag loads the dialog";
    EXPECT_FALSE(com.lblWarning->isHidden());
    EXPECT_TRUE(sem.lblWarning->isHidden());
    const int altura = com.lblWarning->height();
    EXPECT_EQ(sem.height(), com.height() - altura);
    EXPECT_EQ(sem.txtUsuario->y(), com.txtUsuario->y() - altura);
    EXPECT_EQ(sem.cmdFechar->y(), com.cmdFechar->y() - altura);
    EXPECT_EQ(com.lblWarning->text(), app::frmLogin::TextoAvisoPrimeiroUso());
    EXPECT_TRUE(app::frmLogin::TextoAvisoPrimeiroUso().contains(QStringLiteral("\"ADMIN\"  usando  a  senha  \"TOQUE\".")));
}

TEST_F(LoginTest, FocusedBoxTurnsYellowAndWhiteWhenLeft) {
    for (QLineEdit *box : {f->txtUsuario, f->txtSenha}) {
        box->setText(QStringLiteral("ABC"));
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(box, &in);
        EXPECT_EQ(box->palette().color(QPalette::Base), QColor(255, 255, 0));
        EXPECT_EQ(box->selectedText(), QStringLiteral("ABC"));
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(box, &out);
        EXPECT_EQ(box->palette().color(QPalette::Base), QColor(255, 255, 255));
    }
}

TEST_F(LoginTest, TheHintShowsWholeAboveTheOtherControls) {
    app::frmLogin d;
    d.SetLoginBeginner(true);
    QLabel *hint = d.lblWarning;
    EXPECT_LE(hint->heightForWidth(hint->width()), hint->height()) << "the last line of the hint is cut off";
    for (QWidget *w : d.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w == hint)
            continue;
        SCOPED_TRACE(w->objectName().toStdString() + " " + w->metaObject()->className());
        EXPECT_FALSE(w->geometry().intersects(hint->geometry())) << "covers the hint";
        EXPECT_TRUE(d.rect().contains(w->geometry())) << "outside the window";
    }
}

namespace {

// Kept above the other windows, the sign-in still opens in the middle of the
// screen as every dialog before the main window does, with and without the hint.
TEST_F(LoginTest, OpensInTheMiddleOfTheScreen) {
    const QRect tela = QGuiApplication::primaryScreen()->geometry();
    for (bool principiante : {true, false}) {
        SCOPED_TRACE(principiante ? "with the hint" : "without it");
        auto login = std::make_unique<app::frmLogin>();
        login->SetLoginBeginner(principiante);
        const QRect onde = testsupport::OndeAbre(*login);
        EXPECT_TRUE(login->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_LE((onde.center() - tela.center()).manhattanLength(), 2)
            << "at " << onde.x() << "," << onde.y() << " size " << onde.width() << "x" << onde.height();
    }
}

} // namespace
