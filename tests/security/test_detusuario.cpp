// The user dialog: validation, what a new user writes, a failed write that
// must leave the trees ready to be written whole again, duplicate logins,
// and the changes an existing user's row may and may not take.
#include "EditoresDePermissao.h"
#include "SegurancaComJanelas.h"
#include "security/frmDetUsuario.h"
#include "security/frmPermissoes.h"
#include "core/permissoes/CarregarPermissoes.h"
#include "platform/ui/MessageBox.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/UpperLineEdit.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QTimer>
#include <functional>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QFocusEvent>
#include <QPushButton>
#include <sqlite3.h>

using security::frmDetUsuario;
using testsupport::Script;

namespace {

const QString kDuplicado = QStringLiteral(
    "Erro: você está tentando realizar uma operação que duplicaria uma informação que deve ser única no banco de dados.");

class UserDialog : public testsupport::SegurancaComJanelas {
protected:
    std::unique_ptr<frmDetUsuario> novo() {
        auto f = std::make_unique<frmDetUsuario>();
        f->Load();
        f->setMode(1);
        f->Activate();
        return f;
    }
    std::unique_ptr<frmDetUsuario> edicao(long id) {
        auto f = std::make_unique<frmDetUsuario>();
        f->Load();
        f->setMode(2);
        auto rs = db->OpenRecordset(QStringLiteral("SELECT * FROM Usuarios WHERE Id = %1").arg(id), dao::dbOpenSnapshot);
        f->DesUsuario = rs->Field(QStringLiteral("DesUsuario")).toString();
        f->IdUsuario = id;
        f->IdLogin = rs->Field(QStringLiteral("IdLogin")).toString();
        f->SenhaAnterior = rs->Field(QStringLiteral("Senha")).toString();
        f->Tipo = long(rs->Field(QStringLiteral("Tipo")).toInt());
        f->Activate();
        return f;
    }
    static void preencher(frmDetUsuario &f, const QString &nome, const QString &login, int tipo, const QString &senha,
                          const QString &confirmacao) {
        f.txtNome->setText(nome);
        f.txtIdLogin->setText(login);
        f.cbTipo->setCurrentIndex(tipo - 1);
        f.txtSenha[0]->setText(senha);
        f.txtSenha[1]->setText(confirmacao);
    }
    static std::function<void(QWidget &)> tudoNoPrimeiroNivel() { return testsupport::tudoNoPrimeiroNivel(); }
    long usuarios() { return valor(QStringLiteral("SELECT Count(*) FROM Usuarios")); }
    long idDe(const QString &login) { return valor(QStringLiteral("SELECT Id FROM Usuarios WHERE IdLogin = '%1'").arg(login)); }
};

// A NUL character in the user's name: the field's message, nothing written.
TEST_F(UserDialog, NomeComCaractereNuloDizOCampoENadaGrava) {
    ui::gTemDados = ui::kTemContas | ui::kTemRecDesp;
    auto f = novo();
    const QString nome = QStringLiteral("ANA") + QChar(u'\0') + QStringLiteral("X");
    preencher(*f, nome, QStringLiteral("NOVA"), 1, QStringLiteral("A"), QStringLiteral("A"));
    const long antes = usuarios();
    Script s;
    s.ok();
    f->cmdOK_Click();
    EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("O nome contém um caractere nulo, que não pode ser gravado.")});
    EXPECT_TRUE(f->IsLoaded());
    EXPECT_EQ(f->txtNome->text(), nome);
    EXPECT_EQ(usuarios(), antes);
}

struct CasoValidar {
    const char *nome;
    long mode;
    int tipo; // 0 none
    const char *usuario, *login, *anterior, *senha, *confirmacao;
    long temDados;
    const char *mensagem; // "" when it passes
    const char *foco;     // object name, "" for unchanged
};

class Validation : public UserDialog, public ::testing::WithParamInterface<CasoValidar> {};

TEST_P(Validation, FirstFailureShowsItsMessageAndFocus) {
    const CasoValidar &c = GetParam();
    ui::gTemDados = c.temDados;
    auto f = c.mode == 1 ? novo() : edicao(ana); // ANA's stored password is "SENHA"
    preencher(*f, QString::fromUtf8(c.usuario), QString::fromUtf8(c.login), c.tipo, QString::fromUtf8(c.senha),
              QString::fromUtf8(c.confirmacao));
    f->txtSenhaAnt->setText(QString::fromUtf8(c.anterior));
    f->cmdOK->setFocus();
    const QString esperado = QString::fromUtf8(c.mensagem);
    Script s;
    if (!esperado.isEmpty()) s.ok();
    EXPECT_EQ(f->Validar(), esperado.isEmpty()) << c.nome;
    if (esperado.isEmpty()) return;
    ASSERT_EQ(s.shownTexts().size(), 1) << c.nome;
    EXPECT_EQ(s.shownTexts()[0], esperado) << c.nome;
    const QString foco = QString::fromUtf8(c.foco);
    EXPECT_EQ(f->focusWidget() ? f->focusWidget()->objectName() : QString(), foco.isEmpty() ? QStringLiteral("cmdOK") : foco)
        << c.nome;
}

const char *kRecusadoLogin = "A identificação no login não pode conter apóstrofo ('), aspas (\"), ponto e vírgula (;) nem caractere nulo.";
const char *kRecusadoSenha = "A nova senha não pode conter apóstrofo ('), aspas (\"), ponto e vírgula (;) nem caractere nulo.";

INSTANTIATE_TEST_SUITE_P(
    Table, Validation,
    ::testing::Values(
        CasoValidar{"no type", 1, 0, "X", "X", "", "A", "A", 3, "Faltando informar o tipo do novo usuário.", "cbTipo"},
        CasoValidar{"common without charts", 1, 2, "X", "X", "", "A", "A", 1,
                    "Só é possível cadastrar novos usuários comuns após o cadastramento de alguma conta e de algum tipo de "
                    "receita/despesa.",
                    ""},
        CasoValidar{"common without charts, edit", 2, 2, "X", "X", "", "", "", 2,
                    "Só é possível cadastrar novos usuários comuns após o cadastramento de alguma conta e de algum tipo de "
                    "receita/despesa.",
                    ""},
        CasoValidar{"blank name", 1, 1, "  ", "X", "", "A", "A", 3, "Faltando informar nome de usuário.", "txtNome"},
        CasoValidar{"blank login", 1, 1, "X", " ", "", "A", "A", 3, "Faltando informar identificação para o login.",
                    "txtIdLogin"},
        CasoValidar{"login with apostrophe", 1, 1, "X", "O'HARA", "", "A", "A", 3, kRecusadoLogin, "txtIdLogin"},
        CasoValidar{"login with quote", 2, 1, "X", "A\"B", "", "", "", 3, kRecusadoLogin, "txtIdLogin"},
        CasoValidar{"login with semicolon", 1, 1, "X", "A;B", "", "A", "A", 3, kRecusadoLogin, "txtIdLogin"},
        CasoValidar{"password with semicolon", 1, 1, "X", "X", "", "A;B", "A;B", 3, kRecusadoSenha, "txtSenha0"},
        CasoValidar{"password with apostrophe, edit", 2, 1, "X", "X", "senha", "A'B", "A'B", 3, kRecusadoSenha,
                    "txtSenha0"},
        CasoValidar{"new user without password", 1, 1, "X", "X", "", " ", " ", 3,
                    "Faltando informar a senha do novo usuário.", "txtSenha0"},
        CasoValidar{"confirmation differs", 1, 1, "X", "X", "", "ABC", "ABD", 3,
                    "Senha de confirmação não confere com senha informada.", "txtSenha1"},
        CasoValidar{"confirmation differs in case only", 1, 1, "X", "X", "", "ABC", "abc", 3, "", ""},
        CasoValidar{"edit, blank passwords keep the stored one", 2, 1, "X", "X", "", " ", "", 3, "", ""},
        CasoValidar{"edit, wrong previous password", 2, 1, "X", "X", "OUTRA", "NOVA", "NOVA", 3,
                    "Informação de senha anterior não é correta.", "txtSenhaAnt"},
        CasoValidar{"edit, previous password in other case", 2, 1, "X", "X", " senha ", "NOVA", "NOVA", 3, "", ""},
        CasoValidar{"edit, confirmation only", 2, 1, "X", "X", "SENHA", "", "NOVA", 3,
                    "Senha de confirmação não confere com senha informada.", "txtSenha1"},
        CasoValidar{"edit, confirmation only and wrong previous", 2, 1, "X", "X", "", "", "NOVA", 3,
                    "Informação de senha anterior não é correta.", "txtSenhaAnt"},
        CasoValidar{"new common user without trees", 1, 2, "X", "X", "", "A", "A", 3,
                    "Faltando atribuir permissões em receitas e despesas para o usuário.", "cmdPermMov"},
        CasoValidar{"edit into a common user asks no permission", 2, 2, "X", "X", "", "", "", 3, "", ""}),
    [](const auto &info) {
        std::string n = info.param.nome;
        for (char &ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST_F(UserDialog, NewCommonUserNeedsATypeAndThenAnAccountPermission) {
    auto f = novo();
    preencher(*f, QStringLiteral("CAIO"), QStringLiteral("CAIO"), 2, QStringLiteral("X"), QStringLiteral("X"));
    Script s;
    s.act([](QWidget &w) { // opened, left at "Nenhuma"
        auto &e = static_cast<security::frmPermissoes &>(w);
        e.Activate();
        e.cmdFechar_Click();
    });
    f->cmdPermMov_Click();
    s.ok();
    EXPECT_FALSE(f->Validar());
    s.act(tudoNoPrimeiroNivel());
    f->cmdPermMov_Click();
    s.ok();
    EXPECT_FALSE(f->Validar());
    EXPECT_EQ(s.shownTexts().back(), QStringLiteral("Faltando atribuir permissões em contas para o usuário."));
    EXPECT_EQ(s.shown().back().style, platform::ui::vbOKOnly);
    EXPECT_EQ(s.shownTexts()[1], QStringLiteral("Faltando atribuir permissões em receitas e despesas para o usuário."));
}

TEST_F(UserDialog, NewCommonUserWritesBothTreesAndNoAdministratorRows) {
    auto f = novo();
    preencher(*f, QStringLiteral("CAIO O'NEIL"), QStringLiteral("CAIO"), 2, QStringLiteral("segredo"), QStringLiteral("SEGREDO"));
    Script s;
    s.act(tudoNoPrimeiroNivel());
    f->cmdPermMov_Click();
    s.act(tudoNoPrimeiroNivel());
    f->cmdPermContas_Click();
    EXPECT_EQ(valor(QStringLiteral("SELECT Count(*) FROM PermissoesDeUsuarios")), 0) << "mode 1 editors write nothing";
    s.no();
    f->cmdOK_Click();
    EXPECT_EQ(s.shownTexts().back(), QStringLiteral("Usuário incluído com sucesso. Deseja incluir outro?"));
    EXPECT_FALSE(f->Cancelado);
    EXPECT_FALSE(f->IsLoaded());
    const long caio = idDe(QStringLiteral("CAIO"));
    EXPECT_EQ(valor(QStringLiteral("SELECT Count(*) FROM Usuarios WHERE DesUsuario = 'CAIO O''NEIL' AND Senha = 'segredo' "
                                   "AND Tipo = 2")),
              1);
    EXPECT_EQ(linhas(caio, 1).size(), 6u) << "root and every account";
    EXPECT_EQ(linhas(caio, 2).size(), 5u) << "root and every type, the system types included";

    // An administrator gets the row only, whatever trees were loaded first.
    auto g = novo();
    preencher(*g, QStringLiteral("DORA"), QStringLiteral("DORA"), 2, QStringLiteral("X"), QStringLiteral("X"));
    s.act(tudoNoPrimeiroNivel());
    g->cmdPermContas_Click();
    s.act(tudoNoPrimeiroNivel());
    g->cmdPermMov_Click();
    g->cbTipo->setCurrentIndex(0);
    s.ok(); // the administrator needs no editor
    g->cmdPermContas_Click();
    EXPECT_EQ(s.shownTexts().back(), QStringLiteral("Usuário tipo Administrador já tem permissões totais para todas as contas."));
    s.no();
    g->cmdOK_Click();
    EXPECT_NE(idDe(QStringLiteral("DORA")), -1);
    EXPECT_EQ(contagem(idDe(QStringLiteral("DORA"))), 0);
}

TEST_F(UserDialog, AFailedInsertLeavesTheTreesToBeWrittenWholeAgain) {
    auto f = novo();
    preencher(*f, QStringLiteral("CAIO"), QStringLiteral("CAIO"), 2, QStringLiteral("X"), QStringLiteral("X"));
    Script s;
    s.act(tudoNoPrimeiroNivel());
    f->cmdPermMov_Click();
    s.act(tudoNoPrimeiroNivel());
    f->cmdPermContas_Click();
    // The disk fills up at one account's row, after the types were written.
    const QByteArray sql = QStringLiteral("CREATE TRIGGER recusa BEFORE INSERT ON PermissoesDeUsuarios WHEN NEW.IdObjeto = %1 "
                                          "AND NEW.TipoObjeto = 1 BEGIN SELECT RAISE(ABORT, 'disco cheio'); END")
                               .arg(idConta(QStringLiteral("001.002")))
                               .toUtf8();
    ASSERT_EQ(sqlite3_exec(db->handle(), sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    s.ok(); // the central error report
    f->cmdOK_Click();
    EXPECT_TRUE(f->IsLoaded());
    EXPECT_TRUE(f->Cancelado);
    EXPECT_EQ(idDe(QStringLiteral("CAIO")), -1);
    EXPECT_EQ(valor(QStringLiteral("SELECT Count(*) FROM PermissoesDeUsuarios")), 0);
    sqlite3_exec(db->handle(), "DROP TRIGGER recusa", nullptr, nullptr, nullptr);
    s.no();
    f->cmdOK_Click();
    const long caio = idDe(QStringLiteral("CAIO"));
    EXPECT_EQ(linhas(caio, 2).size(), 5u) << "the income/expense rows too";
    EXPECT_EQ(linhas(caio, 1).size(), 6u);
    EXPECT_EQ(valor(QStringLiteral("SELECT Count(*) FROM Usuarios WHERE IdLogin = 'CAIO'")), 1);
}

TEST_F(UserDialog, YesAfterAnInsertClearsEverythingForTheNextUser) {
    auto f = novo();
    preencher(*f, QStringLiteral("EVA"), QStringLiteral("EVA"), 1, QStringLiteral("X"), QStringLiteral("X"));
    Script s;
    s.yes();
    f->cmdOK_Click();
    EXPECT_TRUE(f->IsLoaded());
    EXPECT_TRUE(f->Cancelado);
    EXPECT_EQ(f->txtNome->text(), QString());
    EXPECT_EQ(f->txtIdLogin->text(), QString());
    EXPECT_EQ(f->cbTipo->currentIndex(), -1);
    EXPECT_FALSE(f->ArvoreContas());
    EXPECT_NE(idDe(QStringLiteral("EVA")), -1);
}

TEST_F(UserDialog, DuplicateLoginInBothModes) {
    auto f = novo();
    preencher(*f, QStringLiteral("OUTRA ANA"), QStringLiteral("ana"), 1, QStringLiteral("X"), QStringLiteral("X"));
    Script s;
    s.ok();
    f->cmdOK_Click();
    EXPECT_EQ(s.shownTexts().back(),
              QStringLiteral("Erro: possivelmente já existe usuário com identificação de login igual à do usuário que você "
                             "está tentando incluir. Verifique também nos inativos."));
    EXPECT_TRUE(f->IsLoaded());
    auto g = edicao(bia);
    g->txtIdLogin->setText(QStringLiteral("ANA"));
    s.ok();
    g->cmdOK_Click();
    EXPECT_EQ(s.shownTexts().back(), kDuplicado);
    EXPECT_TRUE(g->IsLoaded());
    EXPECT_EQ(valor(QStringLiteral("SELECT Count(*) FROM Usuarios WHERE IdLogin = 'ANA'")), 1);
}

TEST_F(UserDialog, EditKeepsThePasswordUnlessANewOneIsGiven) {
    auto f = edicao(ana);
    EXPECT_EQ(f->txtNome->text(), QStringLiteral("ANA"));
    EXPECT_EQ(f->cbTipo->currentText(), QStringLiteral("Comum"));
    for (QLineEdit *t : {static_cast<QLineEdit *>(f->txtSenhaAnt), static_cast<QLineEdit *>(f->txtSenha[0]),
                         static_cast<QLineEdit *>(f->txtSenha[1])}) {
        EXPECT_EQ(t->echoMode(), QLineEdit::Password) << t->objectName().toStdString();
        EXPECT_EQ(t->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, t), int('*'))
            << t->objectName().toStdString();
    }
    f->txtNome->setText(QStringLiteral("  ANA MARIA  "));
    Script s;
    s.ok();
    f->cmdOK_Click();
    EXPECT_EQ(s.shownTexts().back(), QStringLiteral("Usuário atualizado com sucesso!"));
    EXPECT_EQ(valor(QStringLiteral("SELECT Count(*) FROM Usuarios WHERE DesUsuario = 'ANA MARIA' AND Senha = 'SENHA'")), 1);
    auto g = edicao(ana);
    g->txtSenhaAnt->setText(QStringLiteral("senha"));
    g->txtSenha[0]->setText(QStringLiteral("NOVA"));
    g->txtSenha[1]->setText(QStringLiteral("NOVA"));
    s.ok();
    g->cmdOK_Click();
    EXPECT_EQ(valor(QStringLiteral("SELECT Count(*) FROM Usuarios WHERE Id = %1 AND Senha = 'NOVA'").arg(ana)), 1);
}

TEST_F(UserDialog, TheLastActiveAdministratorStaysAnAdministrator) {
    const long inativo = usuario(QStringLiteral("VELHO"), QStringLiteral("VELHO"), 1, true);
    auto f = edicao(1);
    f->cbTipo->setCurrentIndex(1);
    Script s;
    s.ok();
    f->cmdOK_Click();
    EXPECT_EQ(s.shownTexts().back(), QStringLiteral("Este é o último usuário ativo com permissões de administrador e por "
                                                    "isto não pode passar a ser usuário comum."));
    EXPECT_TRUE(f->IsLoaded());
    EXPECT_EQ(valor(QStringLiteral("SELECT Tipo FROM Usuarios WHERE Id = 1")), 1);
    EXPECT_EQ(s.shown().size(), 1u) << "refused before any permission is asked for";
    // An inactive administrator may become a common user, and with a second
    // active administrator so may the first (each given permissions).
    auto g = edicao(inativo);
    g->cbTipo->setCurrentIndex(1);
    s.act(tudoNoPrimeiroNivel());
    g->cmdPermMov_Click();
    s.act(tudoNoPrimeiroNivel());
    g->cmdPermContas_Click();
    s.ok();
    g->cmdOK_Click();
    EXPECT_EQ(valor(QStringLiteral("SELECT Tipo FROM Usuarios WHERE Id = %1").arg(inativo)), 2);
    usuario(QStringLiteral("NOVO ADM"), QStringLiteral("ADM2"), 1);
    s.act(tudoNoPrimeiroNivel());
    f->cmdPermMov_Click();
    s.act(tudoNoPrimeiroNivel());
    f->cmdPermContas_Click();
    s.ok();
    f->cmdOK_Click();
    EXPECT_EQ(s.shownTexts().back(), QStringLiteral("Usuário atualizado com sucesso!"));
    EXPECT_EQ(valor(QStringLiteral("SELECT Tipo FROM Usuarios WHERE Id = 1")), 2);
}

// An administrator made a common user would sign in with no permission at
// all: the change is saved only once he has some in both charts, asked for
// as for a new common user; permissions he kept from before are enough.
TEST_F(UserDialog, AnAdministratorMadeCommonIsAskedForPermissionsFirst) {
    usuario(QStringLiteral("OUTRO ADM"), QStringLiteral("ADM2"), 1);
    const long eva = usuario(QStringLiteral("EVA"), QStringLiteral("EVA"), 1);
    auto f = edicao(eva);
    f->cbTipo->setCurrentIndex(1);
    f->cmdOK->setFocus();
    Script s;
    struct Passo {
        const char *editor; // "" none
        const char *mensagem;
        const char *foco;
    };
    const Passo passos[] = {
        {"", "Faltando atribuir permissões em receitas e despesas para o usuário.", "cmdPermMov"},
        {"cmdPermMov", "Faltando atribuir permissões em contas para o usuário.", "cmdPermContas"},
        {"cmdPermContas", "Usuário atualizado com sucesso!", ""},
    };
    for (const Passo &p : passos) {
        SCOPED_TRACE(p.mensagem);
        if (QString::fromLatin1(p.editor) == QLatin1String("cmdPermMov")) {
            s.act(tudoNoPrimeiroNivel());
            f->cmdPermMov_Click();
        } else if (*p.editor) {
            s.act(tudoNoPrimeiroNivel());
            f->cmdPermContas_Click();
        }
        const bool ultimo = !*p.foco;
        EXPECT_EQ(valor(QStringLiteral("SELECT Tipo FROM Usuarios WHERE Id = %1").arg(eva)), 1);
        s.ok();
        f->cmdOK_Click();
        EXPECT_EQ(s.shownTexts().back(), QString::fromUtf8(p.mensagem));
        if (ultimo) break;
        EXPECT_TRUE(f->IsLoaded());
        EXPECT_EQ(s.shown().back().style, platform::ui::vbOKOnly);
        EXPECT_EQ(f->focusWidget() ? f->focusWidget()->objectName() : QString(), QString::fromLatin1(p.foco));
    }
    EXPECT_FALSE(f->IsLoaded());
    EXPECT_EQ(valor(QStringLiteral("SELECT Tipo FROM Usuarios WHERE Id = %1").arg(eva)), 2);
    // What the sign-in asks of a common user.
    EXPECT_GT(contagem(eva), 0);
    EXPECT_EQ(linhas(eva, 1)[QStringLiteral("001")], 3) << "\"Tudo\" on the first level";
    EXPECT_EQ(linhas(eva, 2)[QStringLiteral("003")], 3);

    const long ivo = usuario(QStringLiteral("IVO"), QStringLiteral("IVO"), 1);
    permissao(ivo, 1, idConta(QStringLiteral("001")), 1);
    permissao(ivo, 2, idTipo(QStringLiteral("003")), 3);
    auto g = edicao(ivo);
    g->cbTipo->setCurrentIndex(1);
    s.ok();
    g->cmdOK_Click();
    EXPECT_EQ(s.shownTexts().back(), QStringLiteral("Usuário atualizado com sucesso!"));
    EXPECT_EQ(valor(QStringLiteral("SELECT Tipo FROM Usuarios WHERE Id = %1").arg(ivo)), 2);
}

// A stored value the parent rule refuses (another copy changed the rows)
// stops the load of the tree: its message is shown, as information, and the
// action goes no further: no editor opens, nothing is saved.
TEST_F(UserDialog, AStoredValueTheRuleRefusesIsShownAndStopsTheAction) {
    usuario(QStringLiteral("OUTRO ADM"), QStringLiteral("ADM2"), 1);
    const long eva = usuario(QStringLiteral("EVA"), QStringLiteral("EVA"), 1);
    permissao(ana, 1, idConta(QStringLiteral("001")), 1);
    permissao(ana, 1, idConta(QStringLiteral("001.001")), 2);
    permissao(eva, 2, idTipo(QStringLiteral("003")), 1);
    permissao(eva, 2, idTipo(QStringLiteral("003.001")), 2);
    struct Caso {
        const char *nome;
        long usuario;
        bool confirmar; // OK of an administrator made common, else the accounts editor
        const char *item;
    };
    const Caso casos[] = {{"accounts editor", ana, false, "CORRENTE"}, {"confirmation", eva, true, "BONUS"}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        auto f = edicao(c.usuario);
        Script s;
        s.ok();
        if (c.confirmar) {
            f->cbTipo->setCurrentIndex(1);
            f->cmdOK_Click();
        } else {
            f->cmdPermContas_Click();
        }
        ASSERT_EQ(s.shown().size(), 1u);
        EXPECT_EQ(s.shownTexts()[0], core::permissoes::kMsgPermissaoIncompativel + QString::fromLatin1(c.item) + QStringLiteral("'."));
        EXPECT_EQ(s.shown()[0].style, platform::ui::vbInformation);
        EXPECT_TRUE(f->IsLoaded());
        EXPECT_EQ(valor(QStringLiteral("SELECT Tipo FROM Usuarios WHERE Id = %1").arg(c.usuario)), c.confirmar ? 1 : 2);
        EXPECT_EQ(contagem(c.usuario), 2);
    }
}

// The type list shows the focus as the boxes do: yellow while it has it.
TEST_F(UserDialog, TheTypeListIsYellowWhileItHasTheFocus) {
    auto f = novo();
    f->show();
    auto amostra = [&] {
        const QImage img = f->cbTipo->grab().toImage();
        return img.pixelColor(img.width() / 3, img.height() / 2);
    };
    const QColor antes = amostra();
    QFocusEvent entra(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(f->cbTipo, &entra);
    const QColor foco = amostra();
    EXPECT_GT(foco.red(), 200);
    EXPECT_GT(foco.green(), 200);
    EXPECT_LT(foco.blue(), 120);
    QFocusEvent sai(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(f->cbTipo, &sai);
    EXPECT_EQ(amostra(), antes);
    f->Unload();
}

// Pasted into the name and the login, small letters are stored as capitals,
// as typed ones are.
TEST_F(UserDialog, PastedTextIsStoredInCapitals) {
    auto f = novo();
    f->show();
    preencher(*f, QString(), QString(), 1, QStringLiteral("X"), QStringLiteral("X"));
    auto colar = [](QWidget *caixa, const QString &texto) {
        QGuiApplication::clipboard()->setText(texto);
        caixa->setFocus();
        QKeyEvent k(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        QApplication::sendEvent(caixa, &k);
    };
    colar(f->txtNome, QStringLiteral("maria \"mãe\""));
    colar(f->txtIdLogin, QStringLiteral("maria"));
    Script s;
    s.no();
    f->cmdOK_Click();
    auto rs = db->OpenRecordset(QStringLiteral("SELECT DesUsuario, IdLogin FROM Usuarios WHERE IdLogin = 'MARIA'"),
                                dao::dbOpenSnapshot);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Field(0).toString(), QStringLiteral("MARIA \"MÃE\""));
    EXPECT_EQ(rs->Field(1).toString(), QStringLiteral("MARIA"));
}

} // namespace

namespace {

// They open where every modal form opens: over the middle of the main window,
// not over the screen's when the main window stands elsewhere.
TEST_F(UserDialog, DialogAndEditorsOpenCentredOnTheMainWindow) {
    const QRect tela = QGuiApplication::primaryScreen()->geometry();
    QMainWindow principal;
    auto *area = new QMdiArea(&principal);
    principal.setCentralWidget(area);
    platform::ui::Forms::setMdiArea(area);
    principal.setGeometry(tela.x() + 40, tela.y() + 30, 760, 620);
    principal.show();
    struct Caso {
        const char *nome;
        std::function<std::unique_ptr<platform::ui::Form>()> criar;
    };
    const Caso casos[] = {
        {"user dialog",
         [] {
             auto f = std::make_unique<frmDetUsuario>();
             f->setMode(1);
             return std::unique_ptr<platform::ui::Form>(f.release());
         }},
        {"account permissions",
         [this] {
             auto f = std::make_unique<security::frmPermContas>();
             std::shared_ptr<core::permissoes::CPermissao> raiz;
             EXPECT_EQ(core::permissoes::CarregarPermissoesEmContas(1, ana, raiz), QString());
             f->setIdUsuario(ana);
             f->setPermContas(raiz);
             f->setMode(1);
             return std::unique_ptr<platform::ui::Form>(f.release());
         }},
        {"type permissions",
         [this] {
             auto f = std::make_unique<security::frmPermMov>();
             std::shared_ptr<core::permissoes::CPermissao> raiz;
             EXPECT_EQ(core::permissoes::CarregarPermissoesEmMovimentacoes(1, ana, raiz), QString());
             f->setIdUsuario(ana);
             f->setPermRecDesp(raiz);
             f->setMode(1);
             return std::unique_ptr<platform::ui::Form>(f.release());
         }},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        std::unique_ptr<platform::ui::Form> f = c.criar();
        f->Load();
        const QRect onde = testsupport::OndeAbre(*f);
        EXPECT_LE((onde.center() - principal.frameGeometry().center()).manhattanLength(), 2)
            << "at " << onde.x() << "," << onde.y() << " size " << onde.width() << "x" << onde.height();
    }
    platform::ui::Forms::setMdiArea(nullptr);
}

} // namespace
