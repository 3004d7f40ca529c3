// The main window against a database built for each case: which menus and
// buttons each kind of user reaches, the routing of the toolbar and of the two
// context menus, the database commands, and the about box and help.
#include "ui/AppContext.h"
#include "app/Inicio.h"
#include "ui/Sessao.h"
#include "db/ConstruirBanco.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/settings/Settings.h"
#include "platform/ui/GuiTest.h"
#include "support/TempDir.h"
#include "shell/MainForm.h"
#include "shell/MenusDeContexto.h"
#include "shell/frmAbout.h"
#include "platform/widgets/FlexGrid.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMainWindow>
#include <QToolBar>
#include <QUrl>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::Script;

namespace {

const QString kTitulo = QStringLiteral("Finoteca");
const QString kReiniciar =
    QStringLiteral("A aplicação precisará ser encerrada para que as novas configurações tenham efeito.");

QString DBPath() {
    return settings::GetSetting(kTitulo, QStringLiteral("Settings"), QStringLiteral("DBPath"), QStringLiteral("<none>"));
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        settings::setStoreLocation(tmp.file(QStringLiteral("settings")));
        ui::RegistrarMensagens();
        banco = tmp.file(QStringLiteral("livro.mdb"));
        db::ConstruirBancoDeDados(banco)->Close();
        settings::SaveSetting(kTitulo, QStringLiteral("Settings"), QStringLiteral("DbPath"), banco);
        Abrir();
        ui::gIdUsuario = 1;
        ui::gTipoUsuario = 1;
        ui::gTemDados = ui::kTemContas | ui::kTemRecDesp;
    }
    void TearDown() override {
        ui::Finalizar();
        Processar();
    }
    void Abrir() {
        ui::gDB = dao::DBEngine::OpenDatabase(banco, false, false, QStringLiteral("MS Access;PWD=$marzipanjet$"))
                      .release();
    }
    static void Processar() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    shell::MainForm &Mostrar() {
        EXPECT_TRUE(shell::MostrarJanelaPrincipal());
        auto *j = shell::JanelaPrincipal();
        if (!j)
            throw std::runtime_error("main window did not load");
        return *j;
    }
    void Executar(const QString &sql) { ui::gDB->Execute(sql, dao::dbFailOnError); }

    testsupport::TempDir tmp;
    QString banco;
};

// -------------------------------------------------------------- permissions

TEST_F(MainFormTest, MenuStatesFollowTheUserAndItsPermissionCounts) {
    const QStringList operacoes = {"mnuOperLancamentos",    "mnuOperPendencias",       "mnuOperPesqDoc",
                                   "mnuOperExtratosContas", "mnuOperExtratosRecDesp",  "mnuOperBalContas",
                                   "mnuOperBalRecDesp",     "mnuOperPesqSaldosContas", "mnuOperPesqSaldosRecDesp"};
    const QMap<QString, QString> botaoDe = {
        {"mnuOperLancamentos", "LANCAMENTOS"},       {"mnuOperPendencias", "BAIXAS"},
        {"mnuOperPesqDoc", "PESQDOC"},               {"mnuOperExtratosContas", "EXTRACON"},
        {"mnuOperExtratosRecDesp", "EXTRARECDESP"},  {"mnuOperBalContas", "BALCONTAS"},
        {"mnuOperBalRecDesp", "BALRECDESP"},         {"mnuOperPesqSaldosContas", "SALDOSCONTAS"},
        {"mnuOperPesqSaldosRecDesp", "SALDOSRECDESP"}};
    const QStringList todas = operacoes;
    const QStringList leitura = {"mnuOperPendencias",      "mnuOperPesqDoc",   "mnuOperExtratosContas",
                                 "mnuOperExtratosRecDesp", "mnuOperBalContas", "mnuOperBalRecDesp",
                                 "mnuOperPesqSaldosContas", "mnuOperPesqSaldosRecDesp"};
    // (IdObjeto, TipoObjeto, Permissoes) rows of user 2; rows of user 3 must never count.
    struct Linha { int objeto, tipo, perm; };
    struct Case {
        const char *name;
        int tipoUsuario;
        std::vector<Linha> linhas;
        std::vector<Linha> deOutro;
        bool administracao;          // Cadastros, Segurança, Banco de Dados and their buttons
        QStringList habilitadas;     // operation entries (and their buttons) enabled
        bool sairEmOperacoes;        // "&Sair" and the separator above it in "&Operações"
    };
    const Case cases[] = {
        {"administrator", 1, {}, {}, true, todas, false},
        {"common, read rows", 2, {{2, 1, 1}, {3, 2, 1}}, {}, false, leitura, true},
        {"common, write rows", 2, {{2, 1, 2}}, {}, false, {"mnuOperLancamentos"}, true},
        {"common, read and write rows", 2, {{2, 1, 1}, {2, 2, 2}}, {}, false, todas, true},
        {"common, total on an item", 2, {{2, 1, 3}}, {}, false, todas, true},
        {"common, total on the roots only", 2, {{1, 1, 3}, {1, 2, 3}}, {}, false, {}, true},
        {"common, empty permission table", 2, {}, {}, false, {}, true},
        {"common, rows of another user only", 2, {}, {{2, 1, 3}, {2, 2, 1}}, false, {}, true},
    };
    Executar(QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('MARIA','MARIA','X',2)"));
    Executar(QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('JOSE','JOSE','X',2)"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Executar(QStringLiteral("DELETE FROM PermissoesDeUsuarios"));
        auto inserir = [&](int usuario, const Linha &l) {
            Executar(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario,IdObjeto,TipoObjeto,Permissoes) "
                                    "VALUES (%1,%2,%3,%4)")
                         .arg(usuario).arg(l.objeto).arg(l.tipo).arg(l.perm));
        };
        for (const Linha &l : c.linhas) inserir(2, l);
        for (const Linha &l : c.deOutro) inserir(3, l);
        ui::gTipoUsuario = c.tipoUsuario;
        ui::gIdUsuario = c.tipoUsuario == 1 ? 1 : 2;
        Script s; // no message: the load succeeds
        auto &j = Mostrar();
        for (const char *menu : {"mnuCadastros", "mnuSeguranca", "mnuBD"})
            EXPECT_EQ(j.Item(menu)->isVisible(), c.administracao) << menu;
        EXPECT_EQ(j.mnuSeguranca->menuAction()->isEnabled(), c.administracao);
        for (const char *key : {"CONTAS", "RECDESP", "USUARIOS"})
            EXPECT_EQ(j.Botao(key)->isVisible(), c.administracao) << key;
        for (const QString &op : operacoes) {
            const bool esperado = c.habilitadas.contains(op);
            EXPECT_EQ(j.Item(op)->isEnabled(), esperado) << op.toStdString();
            EXPECT_EQ(j.Botao(botaoDe[op])->isEnabled(), esperado) << botaoDe[op].toStdString();
        }
        EXPECT_EQ(j.mnuOperSair->isVisible(), c.sairEmOperacoes);
        EXPECT_EQ(j.mnuOperBar4->isVisible(), c.sairEmOperacoes);
        EXPECT_TRUE(j.mnuOperBar3->isVisible());
        // Always reachable.
        EXPECT_TRUE(j.mnuAjuda->menuAction()->isVisible() && j.mnuAjuda->menuAction()->isEnabled());
        EXPECT_TRUE(j.mnuFluxometria->isVisible() && j.mnuFluxometria->isEnabled());
        EXPECT_TRUE(j.Botao("AJUDA")->isVisible() && j.Botao("AJUDA")->isEnabled());
        EXPECT_FALSE(j.mnuPopup->menuAction()->isVisible() || j.mnuPopup2->menuAction()->isVisible());
        j.mnuCadSair_Click();
        Processar();
        EXPECT_EQ(shell::JanelaPrincipal(), nullptr);
        Abrir(); // the unload closed the database
    }
}

TEST_F(MainFormTest, LoadThatCannotReadThePermissionsReportsAndCloses) {
    // A file without the permission table.
    ui::FecharBanco(ui::gDB);
    ui::gDB = dao::DBEngine::CreateDatabase(tmp.file(QStringLiteral("vazio.mdb")),
                                            QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=x"))
                  .release();
    ui::gTipoUsuario = 2;
    ui::gIdUsuario = 2;
    Script s;
    s.ok();
    ASSERT_TRUE(shell::MostrarJanelaPrincipal()) << "the close request is posted, not run at once";
    ASSERT_EQ(s.shown().size(), 1u);
    EXPECT_TRUE(s.shown()[0].text.contains(QStringLiteral("em MainForm_AjustaAPermissoes, linha: ")))
        << s.shown()[0].text.toStdString();
    Processar();
    EXPECT_EQ(shell::JanelaPrincipal(), nullptr);
    EXPECT_EQ(ui::gDB, nullptr) << "the unload closed the database";
}

TEST_F(MainFormTest, WindowLooksAsItShould) {
    auto &j = Mostrar();
    Processar();
    EXPECT_TRUE(j.Janela()->isVisible());
    // The frame with the menus and the client area fills the window.
    EXPECT_TRUE(j.AreaMDI()->isVisible());
    EXPECT_FALSE(j.Janela()->isWindow());
    EXPECT_EQ(j.Janela()->size(), j.size());
    EXPECT_EQ(j.windowTitle(), QStringLiteral("Finoteca 2.0"));
    EXPECT_TRUE(j.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(j.windowIcon().isNull());
    EXPECT_EQ(j.AreaMDI()->background().color(), QColor(88, 107, 127));
    // The toolbar: 13 buttons and 6 separators, every button with its picture.
    int botoes = 0, separadores = 0;
    for (QAction *a : j.tb->actions()) {
        if (a->isSeparator()) {
            ++separadores;
            continue;
        }
        ++botoes;
        EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
        EXPECT_FALSE(a->toolTip().isEmpty());
    }
    EXPECT_EQ(botoes, 13);
    EXPECT_EQ(separadores, 6);
    // The menu bar: the menus, then "&Fluxometria ..." as an item of its own.
    QStringList barra;
    for (QAction *a : j.Janela()->menuBar()->actions()) barra << a->text();
    EXPECT_EQ(barra, (QStringList{"&Cadastros", "&Operações", "&Segurança", "&Banco de Dados", "&Ajuda",
                                  "&Fluxometria ..."}));
    EXPECT_EQ(j.mnuFluxometria->menu(), nullptr);
}

// ------------------------------------------------------------------ routing

TEST_F(MainFormTest, ToolbarRunsTheCommandOfItsMenuEntry) {
    struct Case {
        const char *key;
        long mascara;
        QString mensagem; // empty: the command goes on to its window without a word of its own
        const char *dialogo = nullptr; // the selection dialog the command goes on to
    };
    const Case cases[] = {
        {"LANCAMENTOS", 0, "Não há contas cadastradas para se fazer lançamentos."},
        {"LANCAMENTOS", ui::kTemContas, "Não há receitas ou despesas cadastradas para se fazer lançamentos."},
        {"LANCAMENTOS", ui::kTemRecDesp, "Não há contas cadastradas para se fazer lançamentos."},
        {"EXTRACON", ui::kTemRecDesp, "Não há contas cadastradas para se gerar extratos."},
        {"EXTRARECDESP", ui::kTemContas, "Não há receitas ou despesas cadastradas para se gerar extratos."},
        {"BALCONTAS", ui::kTemRecDesp, "Não há contas cadastradas para se fazer balanço."},
        {"BALRECDESP", ui::kTemContas, "Não há receitas ou despesas cadastradas para se fazer balanço."},
        {"SALDOSCONTAS", ui::kTemRecDesp, "Não há contas cadastradas para gerar informaçõe de saldo."},
        {"SALDOSRECDESP", ui::kTemContas,
         "Não há receitas ou despesas cadastradas para se gerar informações de saldo."},
        {"EXTRACON", 3, "", "frmExtraCon"},
        {"BAIXAS", 0, "Não há lançamentos pendentes para baixa no momento."},
        {"USUARIOS", 1, "Aviso: enquanto não forem cadastradas as contas e os tipos de receitas/despesas, \nsó é "
                        "possível cadastrar novos usuários administradores."},
        {"USUARIOS", 3, ""},
        {"NAOEXISTE", 0, ""},
    };
    auto &j = Mostrar();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.key) + " mask " + std::to_string(c.mascara));
        ui::gTemDados = c.mascara;
        Script s;
        if (c.dialogo) {
            // The empty chart's own message, then the dialog, closed at once.
            QString mostrado;
            s.ok();
            s.act([&mostrado](QWidget &w) {
                mostrado = w.objectName();
                static_cast<platform::ui::Form &>(w).Unload();
            });
            j.tb_ButtonClick(QString::fromLatin1(c.key));
            ASSERT_EQ(s.shown().size(), 2u);
            EXPECT_NE(s.shown()[0].text, QStringLiteral("Não há contas cadastradas para se gerar extratos."));
            EXPECT_EQ(s.shown()[1].kind, platform::ui::ModalKind::Form);
            EXPECT_EQ(mostrado, QString::fromLatin1(c.dialogo));
            continue;
        }
        if (!c.mensagem.isEmpty())
            s.ok();
        j.tb_ButtonClick(QString::fromLatin1(c.key));
        if (c.mensagem.isEmpty()) {
            EXPECT_TRUE(s.shown().empty());
        } else {
            ASSERT_EQ(s.shown().size(), 1u);
            EXPECT_EQ(s.shown()[0].text, c.mensagem);
            EXPECT_EQ(s.shown()[0].style, 64);
            EXPECT_EQ(s.shown()[0].caption, kTitulo);
        }
    }
    // The chart buttons open their editor as a child window.
    for (const char *key : {"CONTAS", "RECDESP"}) {
        SCOPED_TRACE(key);
        const auto antes = j.AreaMDI()->subWindowList().size();
        Script s;
        j.tb_ButtonClick(QString::fromLatin1(key));
        EXPECT_TRUE(s.shown().empty());
        EXPECT_EQ(j.AreaMDI()->subWindowList().size(), antes + 1);
    }
    // A disabled entry does not stop its button, and the button is the
    // toolbar's own action, not the menu's.
    ui::gTemDados = 0;
    j.mnuOperLancamentos->setEnabled(false);
    Script s;
    s.ok();
    j.Botao("LANCAMENTOS")->trigger();
    EXPECT_EQ(s.shown().size(), 1u);
}

TEST_F(MainFormTest, PendingCommandOpensOneMoreListOfTheUsersDuePostingsEachTime) {
    auto &j = Mostrar();
    Executar(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('CAIXA', '001', '000')"));
    Executar(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai) VALUES ('SALARIO', '003', '000')"));
    const QString hoje = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    Executar(QStringLiteral("INSERT INTO Lancamentos (Id, CodConta, CodRecDesp, Valor, Data, Historico, DataId, SaldoConta, "
                            "SaldoRecDesp, SaldoGlobal, IdUsuario) VALUES (1, '001', '003', 10, %1, 'H', '%2000000001', 10, "
                            "10, 10, 1)").arg(db::DataSQL(QDateTime(QDate::currentDate(), QTime(0, 0)), 2), hoje));
    Executar(QStringLiteral("UPDATE Serial SET Serial = 1"));
    for (int vez = 1; vez <= 2; ++vez) {
        Script s;
        j.tb_ButtonClick(QStringLiteral("BAIXAS"));
        Processar();
        EXPECT_TRUE(s.shown().empty());
        int listas = 0;
        for (QMdiSubWindow *w : j.AreaMDI()->subWindowList())
            if (w->widget() && w->widget()->objectName() == QStringLiteral("frmPendencias")) {
                ++listas;
                EXPECT_EQ(w->widget()->windowTitle(), QStringLiteral("Lançamentos Pendentes e Baixas"));
                auto *grade = w->widget()->findChild<widgets::FlexGrid *>(QStringLiteral("Fgrid"));
                ASSERT_TRUE(grade);
                EXPECT_EQ(grade->TextMatrix(1, 7), QStringLiteral("H")) << "listed at its first activation";
            }
        EXPECT_EQ(listas, vez);
    }
}

TEST_F(MainFormTest, SearchByDocumentAsksForTheDocument) {
    auto &j = Mostrar();
    {
        Script s;
        s.text(QStringLiteral("   ")).ok();
        j.mnuOperPesqDoc->trigger();
        ASSERT_EQ(s.shown().size(), 2u);
        EXPECT_EQ(s.shown()[0].kind, platform::ui::ModalKind::InputBox);
        EXPECT_EQ(s.shown()[0].text, QStringLiteral("Informe o número do documento a ser pesquisado:"));
        EXPECT_EQ(s.shown()[0].caption, QStringLiteral("Finoteca - Pesquisa Por Documento"));
        EXPECT_EQ(s.shown()[1].text, QStringLiteral("Nenhum documento foi informado."));
    }
    const auto antes = j.AreaMDI()->subWindowList().size();
    Script s;
    s.text(QStringLiteral("NF-1"));
    j.mnuOperPesqDoc->trigger();
    EXPECT_EQ(s.shown().size(), 1u);
    // A result window of its own, in the search's Mode.
    ASSERT_EQ(j.AreaMDI()->subWindowList().size(), antes + 1);
    QWidget *janela = j.AreaMDI()->subWindowList().last()->widget();
    EXPECT_EQ(janela->objectName(), QStringLiteral("frmRetPesq"));
    EXPECT_EQ(janela->windowTitle(), QStringLiteral("PESQUISA DE LANÇAMENTOS POR DOCUMENTO"));
}

// A NUL character in the document to search for: its message, then the box
// again with what was typed, and no search until the document is mended.
TEST_F(MainFormTest, SearchByDocumentRefusesANulCharacterAndAsksAgainWithTheText) {
    auto &j = Mostrar();
    const auto antes = j.AreaMDI()->subWindowList().size();
    const QString doc = QStringLiteral("NF") + QChar(u'\0') + QStringLiteral("1");
    Script s;
    s.text(doc).ok().text(QStringLiteral("NF-1"));
    j.mnuOperPesqDoc->trigger();
    ASSERT_EQ(s.shown().size(), 3u);
    EXPECT_EQ(s.shown()[1].text, QStringLiteral("O documento a pesquisar contém um caractere nulo, que não pode ser pesquisado."));
    EXPECT_EQ(s.shown()[2].kind, platform::ui::ModalKind::InputBox);
    EXPECT_EQ(s.shown()[2].defaultText, doc);
    EXPECT_EQ(j.AreaMDI()->subWindowList().size(), antes + 1) << "one search, with the mended document";
}

// Child windows that take the context menus' calls.
class EditorDeGrafico : public platform::ui::Form, public shell::IMenuPopup {
public:
    QStringList chamadas;
    void mnuPopNovo() override { chamadas << "Novo"; }
    void mnuPopAlterar() override { chamadas << "Alterar"; }
    void mnuPopDesativar() override { chamadas << "Desativar"; }
    void mnuPopExcluir() override { chamadas << "Excluir"; }
};
class EditorPorNome : public platform::ui::Form {
    Q_OBJECT
public:
    QStringList chamadas;
public slots:
    void mnuPopTotal() { chamadas << "Total"; }
    void mnuPopGravar() { chamadas << "Gravar"; }
    void mnuPopLer() { chamadas << "Ler"; }
    void mnuPopSem() { chamadas << "Sem"; }
    void mnuPopNovo() { chamadas << "Novo"; }
};

TEST_F(MainFormTest, ContextMenusCallTheWindowThatOpenedThem) {
    auto &j = Mostrar();
    auto *a = new EditorDeGrafico;
    auto *b = new EditorDeGrafico;
    auto *porNome = new EditorPorNome;
    auto *alheia = new platform::ui::Form; // has none of the procedures
    a->ShowModeless();
    b->ShowModeless();
    j.AreaMDI()->setActiveSubWindow(a->SubWindow());
    Script s; // nothing is ever shown
    const struct {
        QAction *entrada;
        const char *chamada;
    } popup[] = {{j.mnuPopNovo, "Novo"}, {j.mnuPopAlterar, "Alterar"}, {j.mnuPopDesativar, "Desativar"},
                 {j.mnuPopExcluir, "Excluir"}};
    for (const auto &p : popup) p.entrada->trigger();
    EXPECT_EQ(a->chamadas, (QStringList{"Novo", "Alterar", "Desativar", "Excluir"}));
    EXPECT_TRUE(b->chamadas.isEmpty()) << "only the active child window is called";

    j.AreaMDI()->setActiveSubWindow(b->SubWindow());
    j.mnuPopExcluir->trigger();
    EXPECT_EQ(b->chamadas, QStringList{"Excluir"});

    porNome->ShowModeless();
    j.AreaMDI()->setActiveSubWindow(porNome->SubWindow());
    j.mnuPopNovo->trigger();
    j.mnuPopAlterar->trigger(); // a procedure it lacks: nothing happens
    EXPECT_EQ(porNome->chamadas, QStringList{"Novo"});

    // mnuPopup2 goes to ActivePermissions, whichever child is active.
    porNome->chamadas.clear();
    j.mnuPop2Total->trigger(); // not set yet: nothing
    j.ActivePermissions = porNome;
    j.AreaMDI()->setActiveSubWindow(a->SubWindow());
    const struct {
        QAction *entrada;
        const char *chamada;
    } popup2[] = {{j.mnuPop2Total, "Total"}, {j.mnuPop2Gravar, "Gravar"}, {j.mnuPop2Ler, "Ler"},
                  {j.mnuPop2Sem, "Sem"}};
    for (const auto &p : popup2) p.entrada->trigger();
    EXPECT_EQ(porNome->chamadas, (QStringList{"Total", "Gravar", "Ler", "Sem"}));

    alheia->ShowModeless();
    j.AreaMDI()->setActiveSubWindow(alheia->SubWindow());
    j.ActivePermissions = alheia;
    for (const auto &p : popup) p.entrada->trigger();
    for (const auto &p : popup2) p.entrada->trigger();
    EXPECT_EQ(a->chamadas.size(), 4);

    // The editor that set ActivePermissions closed: the entries do nothing.
    j.ActivePermissions = porNome;
    porNome->Unload();
    Processar();
    j.mnuPop2Sem->trigger();
}

// --------------------------------------------------------- database commands

TEST_F(MainFormTest, DatabasePathCommand) {
    const QString outro = tmp.file(QStringLiteral("outro.mdb"));
    const QString pergunta = QStringLiteral("O caminho atual do banco de dados é: \n") + banco +
                             QStringLiteral(".\nDeseja informar outro banco de dados?");
    struct Case {
        const char *name;
        bool sim;
        QString escolha;
        bool fecha;
    };
    const Case cases[] = {{"No", false, QString(), false},
                          {"dialog cancelled", true, QString(), false},
                          {"file chosen", true, outro, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto &j = Mostrar();
        {
            Script s;
            c.sim ? s.yes() : s.no();
            if (c.sim)
                s.file(c.escolha);
            if (c.fecha)
                s.ok();
            j.mnuBDCaminho->trigger();
            ASSERT_FALSE(s.shown().empty());
            EXPECT_EQ(s.shown()[0].text, pergunta);
            EXPECT_EQ(s.shown()[0].style, 36);
            if (c.fecha) {
                EXPECT_EQ(s.shown().back().text, kReiniciar);
            }
        }
        Processar();
        EXPECT_EQ(DBPath(), c.fecha ? outro : banco);
        EXPECT_EQ(shell::JanelaPrincipal() != nullptr, !c.fecha);
        if (shell::JanelaPrincipal())
            shell::JanelaPrincipal()->close();
        Processar();
        Abrir();
    }
}

struct NovoBancoCase {
    const char *name;
    enum Escolha { Cancelar, Nao, Sim, OAberto, EmUsoPorOutro, Existente } escolha;
};

TEST_F(MainFormTest, NewDatabaseCommand) {
    const QString pergunta = QStringLiteral(
        "Banco de dados criado com sucesso!\nPara utilizá-lo, faça login, inicialmente, como usuário 'ADMIN' e com a "
        "senha 'TOQUE'.\nDeseja informá-lo como o seu novo banco de dados?");
    const NovoBancoCase cases[] = {
        {"dialog cancelled", NovoBancoCase::Cancelar}, {"No", NovoBancoCase::Nao},
        {"Yes", NovoBancoCase::Sim},                   {"the open file", NovoBancoCase::OAberto},
        {"a file open in another process", NovoBancoCase::EmUsoPorOutro},
        {"an existing file is replaced", NovoBancoCase::Existente},
    };
    const QString alheio = tmp.file(QStringLiteral("alheio.mdb"));
    db::ConstruirBancoDeDados(alheio)->Close();
    int n = 0;
    for (const NovoBancoCase &c : cases) {
        SCOPED_TRACE(c.name);
        QString alvo = tmp.file(QStringLiteral("novo%1.mdb").arg(++n));
        if (c.escolha == NovoBancoCase::OAberto)
            alvo = QDir(tmp.path()).filePath(QStringLiteral("./livro.mdb")); // another spelling of the same file
        if (c.escolha == NovoBancoCase::EmUsoPorOutro)
            alvo = alheio;
        if (c.escolha == NovoBancoCase::Existente) {
            QFile f(alvo);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("an old file that is no database");
        }
        Executar(QStringLiteral("INSERT INTO Contas (DesConta,CodPai,Codigo) VALUES ('BANCO %1','000','%2')")
                     .arg(n).arg(n, 3, 10, QChar('0')));

        // Another copy of the program holds alheio.mdb open meanwhile.
        int toChild[2], toParent[2];
        pid_t pid = -1;
        if (c.escolha == NovoBancoCase::EmUsoPorOutro) {
            ASSERT_EQ(pipe(toChild), 0);
            ASSERT_EQ(pipe(toParent), 0);
            pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                dao::Workspace ws;
                auto db = dao::DBEngine::OpenDatabase(alheio, false, false,
                                                      QStringLiteral("MS Access;PWD=$marzipanjet$"), ws);
                db->OpenRecordset(QStringLiteral("SELECT * FROM Usuarios"), dao::dbOpenSnapshot);
                char ch = 'r';
                (void)!write(toParent[1], &ch, 1);
                (void)!read(toChild[0], &ch, 1);
                _exit(0);
            }
            char ch;
            ASSERT_EQ(read(toParent[0], &ch, 1), 1);
        }

        auto &j = Mostrar();
        {
            Script s;
            s.file(c.escolha == NovoBancoCase::Cancelar ? QString() : alvo);
            switch (c.escolha) {
            case NovoBancoCase::Nao: s.no(); break;
            case NovoBancoCase::Sim: s.yes().ok(); break;
            case NovoBancoCase::Existente: s.no(); break;
            case NovoBancoCase::OAberto:
            case NovoBancoCase::EmUsoPorOutro: s.ok(); break;
            case NovoBancoCase::Cancelar: break;
            }
            j.mnuBDNew->trigger();
            ASSERT_FALSE(s.shown().empty());
            const platform::ui::ModalRequest &dialogo = s.shown()[0];
            EXPECT_EQ(dialogo.kind, platform::ui::ModalKind::SaveFile);
            EXPECT_EQ(dialogo.caption, QStringLiteral("Finoteca - Criar como"));
            EXPECT_EQ(dialogo.defaultExt, QStringLiteral("mdb"));
            EXPECT_EQ(QDir::cleanPath(dialogo.initialDir) + QLatin1Char('/'), QDir::cleanPath(db::AppPath()) + QLatin1Char('/'));
            QStringList mensagens;
            for (std::size_t i = 1; i < s.shown().size(); ++i) mensagens << s.shown()[i].text;
            switch (c.escolha) {
            case NovoBancoCase::Cancelar:
                EXPECT_TRUE(mensagens.isEmpty());
                break;
            case NovoBancoCase::Nao:
            case NovoBancoCase::Existente:
                EXPECT_EQ(mensagens, QStringList{pergunta});
                EXPECT_EQ(s.shown()[1].style, 36);
                break;
            case NovoBancoCase::Sim:
                EXPECT_EQ(mensagens, (QStringList{pergunta, kReiniciar}));
                EXPECT_EQ(s.shown()[2].style, 0);
                break;
            case NovoBancoCase::OAberto:
                EXPECT_EQ(mensagens, QStringList{"O arquivo escolhido é o banco de dados em uso e não pode ser "
                                                 "substituído. Escolha outro nome para o novo banco de dados."});
                break;
            case NovoBancoCase::EmUsoPorOutro:
                EXPECT_EQ(mensagens, QStringList{"O arquivo escolhido está em uso por outra cópia do programa e não "
                                                 "pode ser substituído. Escolha outro nome para o novo banco de "
                                                 "dados."});
                break;
            }
        }
        if (pid > 0) {
            char ch = 'q';
            (void)!write(toChild[1], &ch, 1);
            int status = 0;
            waitpid(pid, &status, 0);
        }
        Processar();
        const bool criado = c.escolha == NovoBancoCase::Nao || c.escolha == NovoBancoCase::Sim ||
                            c.escolha == NovoBancoCase::Existente;
        EXPECT_EQ(DBPath(), c.escolha == NovoBancoCase::Sim ? alvo : banco);
        EXPECT_EQ(shell::JanelaPrincipal() != nullptr, c.escolha != NovoBancoCase::Sim);
        if (criado) {
            auto novo = dao::DBEngine::OpenDatabase(alvo, false, false, QStringLiteral("MS Access;PWD=$marzipanjet$"));
            auto rs = novo->OpenRecordset(QStringLiteral("SELECT Count(*) AS N FROM Contas"), dao::dbOpenSnapshot);
            EXPECT_EQ(rs->Field(QStringLiteral("N")).toInt(), 1) << "a new book holds the root account only";
        } else if (c.escolha != NovoBancoCase::Cancelar) {
            // The book in use (or the other copy's) is left whole.
            auto livro = dao::DBEngine::OpenDatabase(alvo, false, false, QStringLiteral("MS Access;PWD=$marzipanjet$"));
            auto rs = livro->OpenRecordset(QStringLiteral("SELECT Count(*) AS N FROM Contas"), dao::dbOpenSnapshot);
            EXPECT_EQ(rs->Field(QStringLiteral("N")).toInt(), c.escolha == NovoBancoCase::OAberto ? n + 1 : 1);
        } else {
            EXPECT_FALSE(QFile::exists(alvo));
        }
        if (shell::JanelaPrincipal())
            shell::JanelaPrincipal()->close();
        Processar();
        Abrir();
        settings::SaveSetting(kTitulo, QStringLiteral("Settings"), QStringLiteral("DbPath"), banco);
    }
}

// ------------------------------------------------------------ about and help

TEST_F(MainFormTest, AboutBoxShowsTitleAndVersion) {
    auto &j = Mostrar();
    Script s;
    s.act([](QWidget &w) {
        auto &sobre = dynamic_cast<shell::frmAbout &>(w);
        EXPECT_EQ(sobre.windowTitle(), QStringLiteral("Sobre o Finoteca"));
        EXPECT_EQ(sobre.lblTitle->text(), QStringLiteral("Finoteca"));
        EXPECT_EQ(sobre.lblVersion->text(), QStringLiteral("Versão 2.0.0"));
        EXPECT_EQ(sobre.lblDescription->text(), QStringLiteral("Previsões de receitas e despesas"));
        EXPECT_FALSE(sobre.lblDisclaimer->text().isEmpty());
        EXPECT_FALSE(sobre.picIcon->pixmap().isNull());
        EXPECT_FALSE(sobre.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        sobre.cmdOK_Click();
    });
    j.mnuAjuSobre->trigger();
}

TEST_F(MainFormTest, SystemInformationNotFoundShowsItsFixedMessage) {
    testsupport::TempDir vazio;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", vazio.path().toLocal8Bit());
    EXPECT_TRUE(shell::frmAbout::LocalizarInformacoesDoSistema().isEmpty());
    {
        shell::frmAbout sobre;
        Script s;
        s.ok();
        sobre.cmdSysInfo_Click();
        ASSERT_EQ(s.shown().size(), 1u);
        EXPECT_EQ(s.shown()[0].text, QStringLiteral("System Information Is Unavailable At This Time"));
        EXPECT_EQ(s.shown()[0].style, 0);
    }
    // A program of that kind on the search path is found and started.
    const QString marca = vazio.file(QStringLiteral("iniciado"));
    const QString programa = vazio.file(shell::frmAbout::ProgramasDeInformacao().constLast());
    QFile f(programa);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\n: > '%1'\n").arg(marca).toLocal8Bit());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(shell::frmAbout::LocalizarInformacoesDoSistema(), programa);
    {
        shell::frmAbout sobre;
        Script s; // no message
        sobre.cmdSysInfo_Click();
    }
    for (int i = 0; i < 100 && !QFile::exists(marca); ++i) usleep(50 * 1000);
    EXPECT_TRUE(QFile::exists(marca));
    qputenv("PATH", path);
}

// Receives what the program hands to the desktop to open.
class Desktop : public QObject {
    Q_OBJECT
public:
    Desktop() {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "abrir");
    }
    ~Desktop() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList abertos;
public slots:
    void abrir(const QUrl &url) { abertos << url.toLocalFile(); }
};

TEST_F(MainFormTest, HelpAndLocalPages) {
    const QString ajuda = db::AppPath() + platform::App::EXEName() + QStringLiteral(".chm");
    const QString pergunta =
        QStringLiteral("O arquivo de ajuda finoteca.chm não foi encontrado. Deseja localizá-lo por si mesmo?");
    const QString outra = tmp.file(QStringLiteral("ajuda.chm"));
    {
        QFile f(outra);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("help");
    }
    QFile::remove(ajuda);
    auto &j = Mostrar();
    Desktop desktop;
    {
        SCOPED_TRACE("help missing, No");
        Script s;
        s.no();
        j.mnuAjuConteudo->trigger();
        ASSERT_EQ(s.shown().size(), 1u);
        EXPECT_EQ(s.shown()[0].text, pergunta);
        EXPECT_EQ(s.shown()[0].style, 36);
        EXPECT_TRUE(desktop.abertos.isEmpty());
    }
    {
        SCOPED_TRACE("help missing, dialog cancelled");
        Script s;
        s.yes().file(QString());
        j.Botao("AJUDA")->trigger();
        ASSERT_EQ(s.shown().size(), 2u);
        EXPECT_EQ(s.shown()[1].kind, platform::ui::ModalKind::OpenFile);
        EXPECT_EQ(s.shown()[1].caption, QStringLiteral("Finoteca - Localizar Finoteca.chm\u00b4"));
        EXPECT_EQ(s.shown()[1].filter, QStringLiteral("Arquivos de ajuda (*.chm)"));
        EXPECT_TRUE(desktop.abertos.isEmpty());
    }
    {
        SCOPED_TRACE("help located elsewhere");
        Script s;
        s.yes().file(outra);
        j.mnuAjuConteudo->trigger();
        EXPECT_EQ(desktop.abertos, QStringList{outra});
        EXPECT_TRUE(QFile::exists(ajuda)) << "a copy is left beside the program";
    }
    desktop.abertos.clear();
    {
        SCOPED_TRACE("help beside the program");
        Script s; // no question
        j.mnuAjuConteudo->trigger();
        EXPECT_EQ(desktop.abertos, QStringList{ajuda});
    }
    QFile::remove(ajuda);
    desktop.abertos.clear();
    {
        SCOPED_TRACE("local pages");
        const QString pagina = db::AppPath() + QStringLiteral("fluxometria.htm");
        const bool havia = QFile::exists(pagina);
        Script s; // a missing page does nothing visible
        QFile::remove(db::AppPath() + QStringLiteral("brisaver.htm"));
        j.mnuAjuBrisaverde->trigger();
        EXPECT_TRUE(desktop.abertos.isEmpty());
        if (!havia) {
            QFile f(pagina);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        j.mnuFluxometria->trigger();
        EXPECT_EQ(desktop.abertos, QStringList{pagina});
        if (!havia)
            QFile::remove(pagina);
    }
}

} // namespace

#include "test_mainform.moc"
