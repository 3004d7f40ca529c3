// Start-up, sign-in and shutdown, driven through scripted dialogs against
// database files built for each case.
#include "ui/AppContext.h"
#include "app/Inicio.h"
#include "ui/Sessao.h"
#include "app/frmLogin.h"
#include "db/ConstruirBanco.h"
#include "db/SavedQueries.h"
#include "db/Schema.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/settings/Settings.h"
#include "platform/ui/GuiTest.h"
#include "support/TempDir.h"
#include "shell/MainForm.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QLabel>
#include <QLineEdit>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>

using testsupport::Script;

namespace {

const QString kTitulo = QStringLiteral("Finoteca");
const QString kSecao = QStringLiteral("Settings");
const QString kSenhaInvalida = QStringLiteral("Erro: informação de senha ou de usuário inválida.");
const QString kDesativada =
    QStringLiteral("Esta conta de usuário está desativada. Procure um usuário administrador para ativá-la.");
const QString kSemPermissoes = QStringLiteral("Não foram definidas permissões para este usuário.");

// What the user does in a sign-in dialog.
platform::ui::ModalAnswer Entrar(const QString &login, const QString &senha) {
    return platform::ui::ModalAnswer::Act([login, senha](QWidget &w) {
        auto &f = dynamic_cast<app::frmLogin &>(w);
        EXPECT_TRUE(f.txtUsuario->text().isEmpty()) << "each attempt gets a new, empty dialog";
        f.txtUsuario->setText(login);
        f.txtSenha->setText(senha);
        f.cmdAplicar_Click();
    });
}
platform::ui::ModalAnswer Fechar() {
    return platform::ui::ModalAnswer::Act([](QWidget &w) { dynamic_cast<app::frmLogin &>(w).cmdFechar_Click(); });
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        settings::setStoreLocation(tmp.file(QStringLiteral("settings")));
        ui::gDB = nullptr;
        ui::gIdUsuario = ui::gTipoUsuario = ui::gTemDados = 0;
        ui::gIdLogin.clear();
        ui::gMsgNodeClick = ui::gMsgGridResize = ui::gMsgGridSelLine = 0;
    }
    void TearDown() override {
        ui::Finalizar();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QFile::remove(ui::CaminhoBancoPadrao());
    }

    QString NovoBanco(const QString &nome, const QStringList &sql = {}) {
        const QString caminho = tmp.file(nome);
        auto db = db::ConstruirBancoDeDados(caminho);
        for (const QString &s : sql)
            db->Execute(s, dao::dbFailOnError);
        db->Close();
        return caminho;
    }
    static QString Configuracao() {
        return settings::GetSetting(kTitulo, kSecao, QStringLiteral("DBPath"), QStringLiteral("<none>"));
    }
    static void Configurar(const QString &v) { settings::SaveSetting(kTitulo, kSecao, QStringLiteral("DBPath"), v); }

    testsupport::TempDir tmp;
};

} // namespace

TEST_F(StartupTest, ChoosesTheDatabaseFile) {
    const QString banco = NovoBanco(QStringLiteral("livro.mdb"));
    const QString outro = NovoBanco(QStringLiteral("outro.mdb"));
    const QString faltando = tmp.file(QStringLiteral("sumiu.mdb"));
    const QString padrao = ui::CaminhoBancoPadrao();
    enum Padrao { SemPadrao, ComPadrao };
    struct Case {
        const char *name;
        std::optional<QString> armazenado;  // the stored setting
        Padrao padrao;                      // a file named after the program beside it
        std::optional<QString> dialogo;     // the Open dialog's answer; absent: no dialog expected
        QString aberto;                     // the file open afterwards; empty: the program ends
        QString configuracaoDepois;
    };
    const Case cases[] = {
        {"stored path used", banco, ComPadrao, std::nullopt, banco, banco},
        {"stored path trimmed", QStringLiteral("  ") + banco + QStringLiteral(" "), SemPadrao, std::nullopt, banco,
         QStringLiteral("  ") + banco + QStringLiteral(" ")},
        {"stored folder treated as missing", tmp.path(), SemPadrao, outro, outro, outro},
        {"stored file missing, another chosen", faltando, ComPadrao, outro, outro, outro},
        {"stored file missing, dialog cancelled", faltando, SemPadrao, QString(), QString(), faltando},
        {"no setting, default file used and stored", std::nullopt, ComPadrao, std::nullopt, padrao, padrao},
        {"no setting, no default file, chosen", std::nullopt, SemPadrao, outro, outro, outro},
        {"no setting, no default file, cancelled", std::nullopt, SemPadrao, QString(), QString(), QStringLiteral("<none>")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        settings::DeleteSetting(kTitulo, kSecao, QStringLiteral("DbPath"));
        if (c.armazenado)
            Configurar(*c.armazenado);
        QFile::remove(padrao);
        if (c.padrao == ComPadrao) {
            ASSERT_TRUE(QFile::copy(banco, padrao));
        }
        {
            Script s;
            if (c.dialogo)
                s.file(*c.dialogo);
            if (!c.aberto.isEmpty())
                s.push(Entrar(QStringLiteral("ADMIN"), QStringLiteral("TOQUE")));
            const bool rodando = app::Main();
            EXPECT_EQ(rodando, !c.aberto.isEmpty());
            if (rodando) {
                ASSERT_NE(ui::gDB, nullptr);
                EXPECT_EQ(QDir::cleanPath(ui::gDB->Name()), QDir::cleanPath(c.aberto));
            }
            // No message on a cancelled dialog; the Open dialog as the only box when asked.
            for (const auto &r : s.shown())
                EXPECT_NE(r.kind, platform::ui::ModalKind::MessageBox) << r.text.toStdString();
            if (c.dialogo) {
                ASSERT_FALSE(s.shown().empty());
                EXPECT_EQ(s.shown().front().kind, platform::ui::ModalKind::OpenFile);
                EXPECT_EQ(s.shown().front().caption, kTitulo + QStringLiteral(" - Informe o caminho do banco de dados"));
                EXPECT_EQ(s.shown().front().filter, QStringLiteral("Bancos de dados do Access (*.mdb)"));
            }
        }
        EXPECT_EQ(Configuracao(), c.configuracaoDepois);
        ui::Finalizar();
        EXPECT_EQ(ui::gDB, nullptr);
    }
}

TEST_F(StartupTest, SignInOutcomes) {
    const QString inativo =
        QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo,Inativo) VALUES ('JOAO','JOAO','X1',2,True)");
    const QString comum =
        QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('MARIA','MARIA','X2',2)");
    const QString permissao = QStringLiteral(
        "INSERT INTO PermissoesDeUsuarios (IdUsuario,IdObjeto,TipoObjeto,Permissoes) VALUES (2,1,1,3)");
    struct Tentativa { QString login, senha; };
    struct Case {
        const char *name;
        QStringList sql;
        std::vector<std::optional<Tentativa>> tentativas; // nullopt: the dialog is closed
        QStringList mensagens;
        std::vector<int> estilos;
        bool rodando;
        long tipo;
        QString idLogin;
    };
    const Case cases[] = {
        {"administrator without permission rows", {}, {Tentativa{"ADMIN", "TOQUE"}}, {}, {}, true, 1, "ADMIN"},
        {"wrong pair, then a new dialog", {},
         {Tentativa{"ADMIN", "ERRADA"}, Tentativa{"NINGUEM", "TOQUE"}, Tentativa{"ADMIN", "TOQUE"}},
         {kSenhaInvalida, kSenhaInvalida}, {0, 0}, true, 1, "ADMIN"},
        {"dialog closed ends silently", {}, {std::nullopt}, {}, {}, false, 0, ""},
        {"inactive user ends", {inativo}, {Tentativa{"JOAO", "X1"}}, {kDesativada}, {64}, false, 0, ""},
        {"common user without permissions ends", {comum}, {Tentativa{"MARIA", "X2"}}, {kSemPermissoes}, {0}, false, 2,
         "MARIA"},
        {"common user with a permission", {comum, permissao}, {Tentativa{"MARIA", "X2"}}, {}, {}, true, 2, "MARIA"},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Configurar(NovoBanco(QStringLiteral("b%1.mdb").arg(++n), c.sql));
        ui::gTipoUsuario = 0;
        ui::gIdLogin.clear();
        // Each message box follows the attempt that caused it.
        Script s;
        for (std::size_t i = 0; i < c.tentativas.size(); ++i) {
            const auto &t = c.tentativas[i];
            s.push(t ? Entrar(t->login, t->senha) : Fechar());
            if (static_cast<qsizetype>(i) < c.mensagens.size())
                s.ok();
        }
        EXPECT_EQ(app::Main(), c.rodando);
        QStringList mostradas;
        std::vector<int> estilos;
        for (const auto &r : s.shown())
            if (r.kind == platform::ui::ModalKind::MessageBox) {
                mostradas << r.text;
                estilos.push_back(r.style);
                EXPECT_EQ(r.caption, kTitulo);
            }
        EXPECT_EQ(mostradas, c.mensagens);
        EXPECT_EQ(estilos, c.estilos);
        EXPECT_EQ(ui::gTipoUsuario, c.tipo);
        EXPECT_EQ(ui::gIdLogin, c.idLogin);
        EXPECT_EQ(ui::gDB != nullptr, c.rodando) << "the database stays open only while running";
        ui::Finalizar();
    }
}

// The program keeps statement texts for reuse: what the user types at the
// sign-in, right or wrong, is never one of them.
TEST_F(StartupTest, TheTypedLoginAndPasswordAreNeverPartOfAStatementText) {
    Configurar(NovoBanco(QStringLiteral("b.mdb")));
    Script s;
    s.push(Entrar(QStringLiteral("INTRUSO7"), QStringLiteral("SEGREDO9"))).ok();
    s.push(Entrar(QStringLiteral("ADMIN"), QStringLiteral("ERRADA55"))).ok();
    s.push(Entrar(QStringLiteral("ADMIN"), QStringLiteral("TOQUE")));
    ASSERT_TRUE(app::Main());
    ASSERT_EQ(ui::gIdLogin, QStringLiteral("ADMIN"));
    int kept = 0;
    for (sqlite3_stmt *st = sqlite3_next_stmt(ui::gDB->handle(), nullptr); st; st = sqlite3_next_stmt(ui::gDB->handle(), st)) {
        const QString sql = QString::fromUtf8(sqlite3_sql(st));
        ++kept;
        for (const char *typed : {"INTRUSO7", "SEGREDO9", "ERRADA55"})
            EXPECT_FALSE(sql.contains(QLatin1String(typed), Qt::CaseInsensitive)) << sql.toStdString();
    }
    EXPECT_GT(kept, 0) << "the sign-in's statement is kept for reuse";
}

TEST_F(StartupTest, FirstUseHintFollowsTheAdministrators) {
    struct Case { const char *name; QStringList sql; bool dica; };
    const Case cases[] = {
        {"fresh database", {}, true},
        {"a common user changes nothing",
         {QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('MARIA','MARIA','X',2)")}, true},
        {"built-in administrator with another password", {QStringLiteral("UPDATE Usuarios SET Senha = 'NOVA'")}, false},
        {"another administrator",
         {QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('CHEFE','CHEFE','X',1)")}, false},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Configurar(NovoBanco(QStringLiteral("u%1.mdb").arg(++n), c.sql));
        Script s;
        bool dica = !c.dica;
        s.act([&dica](QWidget &w) {
            auto &f = dynamic_cast<app::frmLogin &>(w);
            dica = f.LoginBeginner();
            EXPECT_EQ(f.lblWarning->isHidden(), !dica);
            f.cmdFechar_Click();
        });
        EXPECT_FALSE(app::Main());
        EXPECT_EQ(dica, c.dica);
    }
}

TEST_F(StartupTest, RunningProgramFillsTheContextAndClosesThroughTheMainWindow) {
    Configurar(NovoBanco(QStringLiteral("livro.mdb")));
    Script s;
    s.push(Entrar(QStringLiteral("ADMIN"), QStringLiteral("TOQUE")));
    const long chaves = dao::DBEngine::KeyedConnections();
    ASSERT_TRUE(app::Main());
    EXPECT_EQ(dao::DBEngine::KeyedConnections() - chaves, 1) << "the file is opened once";
    EXPECT_NE(ui::gMsgNodeClick, 0);
    EXPECT_NE(ui::gMsgGridResize, ui::gMsgNodeClick);
    EXPECT_NE(ui::gMsgGridSelLine, ui::gMsgGridResize);
    EXPECT_EQ(ui::gIdUsuario, 1);
    EXPECT_EQ(ui::gTemDados, ui::kTemRecDesp) << "only the root account; the seed types are several";
    ASSERT_TRUE(ui::MainForm);
    EXPECT_EQ(ui::MainForm->windowTitle(), QStringLiteral("Finoteca 2.0"));
    EXPECT_TRUE(ui::MainForm->windowState() & Qt::WindowMaximized);
    // The balance query of a file made by the program stays as it was made.
    EXPECT_EQ(ui::gDB->QueryDefs(QStringLiteral("ParQrySerialESaldos"))->SQL(),
              db::TextoDaConsulta(QStringLiteral("ParQrySerialESaldos")));
    ui::MainForm->close();
    EXPECT_EQ(ui::gDB, nullptr);
    EXPECT_FALSE(ui::MainForm && ui::MainForm->IsLoaded());
}

TEST_F(StartupTest, StoredFileThatDoesNotOpenIsReportedAndTheOpenDialogOffered) {
    const QString bom = NovoBanco(QStringLiteral("bom.mdb"));
    auto arquivoComSenha = [this](const QString &nome, const QString &senha) {
        const QString caminho = tmp.file(nome);
        auto db = dao::DBEngine::CreateDatabase(caminho, db::kLocaleGeral + QStringLiteral(";pwd=") + senha);
        for (const auto &t : db::TabelasDoSistema())
            db->CreateTable(t);
        db->CreateQueryDef(QStringLiteral("ParQrySerialESaldos"), db::TextoDaConsulta(QStringLiteral("ParQrySerialESaldos")));
        db->Close();
        return caminho;
    };
    auto arquivoComTexto = [this](const QString &nome, const QByteArray &conteudo) {
        const QString caminho = tmp.file(nome);
        QFile f(caminho);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(conteudo);
        return caminho;
    };
    const QString outraSenha = arquivoComSenha(QStringLiteral("outra.mdb"), QStringLiteral("segredo"));
    const QString alternativa = arquivoComSenha(QStringLiteral("antigo.mdb"), db::kSenhaAlternativa);
    const QString lixo = arquivoComTexto(QStringLiteral("lixo.mdb"), QByteArray(4096, 'x'));
    const QString vazio = arquivoComTexto(QStringLiteral("vazio.mdb"), QByteArray());
    struct Case { const char *name; QString arquivo; long erro; bool escolheOutro; };
    const Case cases[] = {
        // The program never asks for the file's password: a file that does
        // not open with it is no book of this system, whatever it holds.
        {"wrong password, another file chosen", outraSenha, 3343, true},
        {"wrong password, dialog cancelled", outraSenha, 3343, false},
        {"not a database", lixo, 3343, true},
        {"empty file", vazio, 3343, false},
        {"file of the alternate password", alternativa, 3343, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Configurar(c.arquivo);
        Script s;
        s.ok();
        if (c.escolheOutro)
            s.file(bom).push(Entrar(QStringLiteral("ADMIN"), QStringLiteral("TOQUE")));
        else
            s.file(QString());
        EXPECT_EQ(app::Main(), c.escolheOutro);
        ASSERT_GE(s.shown().size(), 2u);
        const auto &relato = s.shown()[0];
        EXPECT_EQ(relato.kind, platform::ui::ModalKind::MessageBox);
        EXPECT_TRUE(relato.text.contains(QStringLiteral("', em Module1_Main, linha: "))) << relato.text.toStdString();
        EXPECT_TRUE(relato.text.startsWith(QString::number(c.erro) + QStringLiteral(" '"))) << relato.text.toStdString();
        EXPECT_TRUE(relato.text.contains(QStringLiteral("está danificado ou não é um banco de dados deste sistema")))
            << relato.text.toStdString();
        EXPECT_EQ(s.shown()[1].kind, platform::ui::ModalKind::OpenFile);
        EXPECT_EQ(Configuracao(), c.escolheOutro ? bom : c.arquivo);
        ui::Finalizar();
    }
    // The older file got the sub-select form of the balance query before the ordinary open failed.
    auto antigo = dao::DBEngine::OpenDatabase(alternativa, false, false, db::ConnectString(db::kSenhaAlternativa));
    EXPECT_EQ(antigo->QueryDefs(QStringLiteral("ParQrySerialESaldos"))->SQL(), db::ParQrySerialESaldosSubSelect());
}

// A file that opens but cannot serve as the book is reported before the
// sign-in, in Portuguese with the engine's number, and the Open dialog is
// offered again, as for a file that does not open.
TEST_F(StartupTest, FileThatOpensButCannotServeAsTheBookIsReportedBeforeTheSignIn) {
    const QString bom = NovoBanco(QStringLiteral("bom.mdb"));
    auto semTabela = [this] {
        // What an interrupted creation of the past left: some tables, nothing more.
        const QString caminho = tmp.file(QStringLiteral("meio.mdb"));
        auto db = dao::DBEngine::CreateDatabase(caminho, db::kLocaleGeral + QStringLiteral(";pwd=") + db::kSenhaBanco);
        for (const auto &t : db::TabelasDoSistema())
            if (t.name != QStringLiteral("Usuarios"))
                db->CreateTable(t);
        db->Close();
        return caminho;
    };
    auto semConsulta = [this] {
        const QString caminho = NovoBanco(QStringLiteral("sem-consulta.mdb"));
        auto db = dao::DBEngine::OpenDatabase(caminho, false, false, db::ConnectString(db::kSenhaBanco));
        db->DeleteQueryDef(QStringLiteral("ParQryRamo"));
        db->Close();
        return caminho;
    };
    struct Caso {
        const char *nome;
        QString arquivo;
        const char *falta;
    };
    const Caso casos[] = {
        {"half made", semTabela(), "falta a tabela 'Usuarios'"},
        {"a saved query missing", semConsulta(), "falta a consulta 'ParQryRamo'"},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        for (bool escolheOutro : {true, false}) {
            Configurar(c.arquivo);
            Script s;
            s.ok();
            if (escolheOutro)
                s.file(bom).push(Entrar(QStringLiteral("ADMIN"), QStringLiteral("TOQUE")));
            else
                s.file(QString());
            EXPECT_EQ(app::Main(), escolheOutro);
            ASSERT_GE(s.shown().size(), 2u);
            const QString relato = s.shown()[0].text;
            EXPECT_TRUE(relato.startsWith(QStringLiteral("3078 '"))) << relato.toStdString();
            EXPECT_TRUE(relato.contains(QStringLiteral("não é um banco de dados completo deste sistema")))
                << relato.toStdString();
            EXPECT_TRUE(relato.contains(QString::fromUtf8(c.falta))) << relato.toStdString();
            EXPECT_EQ(s.shown()[1].kind, platform::ui::ModalKind::OpenFile) << "offered before any sign-in";
            EXPECT_EQ(Configuracao(), escolheOutro ? bom : c.arquivo);
            EXPECT_EQ(ui::gDB != nullptr, escolheOutro);
            ui::Finalizar();
        }
    }
}

// A file the engine can only read is reported at start-up, before the sign-in,
// naming the file and why; nothing is left beside it, so once the user may
// write it again it opens.
TEST_F(StartupTest, ReadOnlyBookIsReportedBeforeTheSignIn) {
    QDir(tmp.path()).mkdir(QStringLiteral("pasta"));
    const QString pasta = tmp.file(QStringLiteral("pasta"));
    const QString livro = NovoBanco(QStringLiteral("pasta/somente-leitura.mdb"));
    struct Caso {
        const char *nome;
        QString travado; // made immutable: even the administrator may not write it
        const char *motivo;
    };
    const Caso casos[] = {
        {"the book", livro, "ele é somente leitura"},
        {"its folder", pasta, "a sua pasta"},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), c.travado}) != 0)
            GTEST_SKIP() << "no way to make a file or folder read-only for the administrator here (chattr)";
        Configurar(livro);
        Script s;
        s.ok().file(QString());
        EXPECT_FALSE(app::Main());
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), c.travado});
        ASSERT_EQ(s.shown().size(), 2u) << "no sign-in dialog";
        const QString relato = s.shown()[0].text;
        EXPECT_TRUE(relato.startsWith(QStringLiteral("3027 '"))) << relato.toStdString();
        EXPECT_TRUE(relato.contains(QStringLiteral("'%1' não pode ser gravado").arg(livro))) << relato.toStdString();
        EXPECT_TRUE(relato.contains(QString::fromUtf8(c.motivo))) << relato.toStdString();
        EXPECT_EQ(s.shown()[1].kind, platform::ui::ModalKind::OpenFile);
        EXPECT_EQ(QDir(pasta).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("somente-leitura.mdb")});
        ui::Finalizar();

        Script depois;
        depois.push(Entrar(QStringLiteral("ADMIN"), QStringLiteral("TOQUE")));
        EXPECT_TRUE(app::Main()) << "opens once it may be written";
        ui::Finalizar();
    }
}

// A file of another program that opens with the alternate password is told
// as no book of this system, and is left as it was.
TEST_F(StartupTest, ForeignFileOfTheAlternatePasswordIsLeftAsItWas) {
    const QString caminho = tmp.file(QStringLiteral("alheio.mdb"));
    {
        auto alheio = dao::DBEngine::CreateDatabase(caminho, db::kLocaleGeral + QStringLiteral(";pwd=") +
                                                                 db::kSenhaAlternativa);
        alheio->CreateTable({QStringLiteral("Notas"), {{QStringLiteral("Texto"), value::DataType::Text, 20, 0, false, true, std::nullopt}}, {}});
        alheio->Execute(QStringLiteral("INSERT INTO Notas (Texto) VALUES ('minha')"));
        alheio->Close();
        // As the other program keeps it: in the rollback journal.
        sqlite3 *h = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(caminho).constData(), &h), SQLITE_OK);
        const QByteArray chave = "PRAGMA key = '" + db::kSenhaAlternativa.toUtf8() + "'; PRAGMA cipher_compatibility = 3; "
                                 "PRAGMA cipher_page_size = 4096; PRAGMA journal_mode = DELETE;";
        ASSERT_EQ(sqlite3_exec(h, chave.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(h);
    }
    QFile f(caminho);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray antes = f.readAll();
    f.close();
    Configurar(caminho);
    Script s;
    s.ok().file(QString());
    EXPECT_FALSE(app::Main());
    ASSERT_GE(s.shown().size(), 1u);
    EXPECT_TRUE(s.shown()[0].text.startsWith(QStringLiteral("3343 '"))) << s.shown()[0].text.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll() == antes) << "the file was changed";
    EXPECT_FALSE(QFileInfo::exists(caminho + QStringLiteral("-wal")));
    EXPECT_FALSE(QFileInfo::exists(caminho + QStringLiteral("-shm")));
}

// The typed login and password are literals of the statement, whatever the
// dialog lets through: they cannot widen the condition.
TEST_F(StartupTest, TheLoginAndPasswordCannotEndTheirLiteralsEarly) {
    Configurar(NovoBanco(QStringLiteral("b.mdb")));
    const QString truque = QStringLiteral("X' OR '1'='1");
    struct Caso {
        const char *nome;
        QString login, senha;
    };
    const Caso casos[] = {
        {"both", truque, truque},
        {"the password", QStringLiteral("ADMIN"), QStringLiteral("' OR IdLogin='ADMIN")},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        Script s;
        s.act([c](QWidget &w) {
             auto &f = dynamic_cast<app::frmLogin &>(w);
             f.SetIdLogin(c.login);
             f.SetSenha(c.senha);
             f.Cancelado = false;
             f.Unload();
         })
            .ok()
            .push(Fechar());
        EXPECT_FALSE(app::Main()) << "signed in";
        EXPECT_EQ(s.shownTexts().value(1), kSenhaInvalida);
        ui::Finalizar();
    }
}
