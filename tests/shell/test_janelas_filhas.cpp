// The working windows as the main window opens them: where the keyboard focus
// is when each opens, who takes an access key the main menu also uses, the
// focus across maximising and restoring, and where a restored window goes.
#include "app/Inicio.h"
#include "db/ConstruirBanco.h"
#include "db/Module1.h"
#include "pending/frmPendencias.h"
#include "pending/frmPendenciasComum.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/settings/Settings.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/FlexGrid.h"
#include "reports/frmExtra.h"
#include "search/frmRetPesq.h"
#include "shell/MainForm.h"
#include "support/TempDir.h"
#include "ui/AppContext.h"
#include "ui/Sessao.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <functional>

using testsupport::Script;

namespace {

class JanelasFilhas : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        settings::setStoreLocation(tmp.file(QStringLiteral("settings")));
        ui::RegistrarMensagens();
        const QString banco = tmp.file(QStringLiteral("livro.mdb"));
        db::ConstruirBancoDeDados(banco)->Close();
        ui::gDB = dao::DBEngine::OpenDatabase(banco, false, false, QStringLiteral("MS Access;PWD=$marzipanjet$")).release();
        ui::gIdUsuario = 1;
        ui::gTipoUsuario = 1;
        ui::gTemDados = ui::kTemContas | ui::kTemRecDesp;
        executar(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('CAIXA', '001', '000')"));
        executar(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai) VALUES ('SALARIO', '003', '000')"));
        // Three postings due today, the first two with the same document.
        const QDate hoje = QDate::currentDate();
        for (int id = 1; id <= 3; ++id)
            executar(QStringLiteral("INSERT INTO Lancamentos (Id, CodConta, CodRecDesp, Valor, Data, Historico, Documento, "
                                    "DataId, SaldoConta, SaldoRecDesp, SaldoGlobal, IdUsuario) VALUES (%1, '001', '003', "
                                    "10, %2, 'H%1', '%3', '%4%5', %6, %6, %6, 1)")
                         .arg(id)
                         .arg(db::DataSQL(QDateTime(hoje, QTime(0, 0)), 2),
                              id < 3 ? QStringLiteral("NF-1") : QStringLiteral("NF-2"),
                              hoje.toString(QStringLiteral("yyyyMMdd")), QStringLiteral("%1").arg(id, 9, 10, QLatin1Char('0')))
                         .arg(10 * id));
        executar(QStringLiteral("UPDATE Serial SET Serial = 3"));
        ASSERT_TRUE(shell::MostrarJanelaPrincipal());
        j = shell::JanelaPrincipal();
        j->activateWindow();
        processar();
        ASSERT_EQ(QApplication::activeWindow(), j);
    }
    void TearDown() override {
        ui::Finalizar();
        processar();
    }
    static void executar(const QString &sql) { ui::gDB->Execute(sql, dao::dbFailOnError); }
    static void processar() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    platform::ui::Form *ativa() const { return platform::ui::Forms::ActiveChild(); }
    // Where the keys go: the focused control, or the main window when none has the focus.
    static QWidget *foco() { return QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow(); }
    // Sends Alt+letter where the keys go; whether it was taken.
    static bool teclar(Qt::Key tecla) { return testsupport::TeclaDeAcesso(foco(), tecla); }
    // The statement dialog: the whole period up to today, nothing marked.
    static std::function<void(QWidget &)> periodo() {
        return [](QWidget &w) {
            auto &d = dynamic_cast<reports::frmExtra &>(w);
            d.txtDataIni->setText(QStringLiteral("01/01/2000"));
            d.txtDataFim->setText(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
            d.cmdOK->click();
        };
    }

    testsupport::TempDir tmp;
    shell::MainForm *j = nullptr;
};

// The control an access key acts on: the button, or the field of the label.
QString alvoDaTecla(const platform::ui::Form *f, Qt::Key tecla) {
    QKeyEvent k(QEvent::KeyPress, tecla, Qt::AltModifier);
    QWidget *c = platform::ui::TeclaDeAcesso(f, &k);
    if (auto *l = qobject_cast<QLabel *>(c))
        c = l->buddy();
    return c ? c->objectName() : QString();
}

} // namespace

// Each window opens with the focus on the first control of its tab order;
// while it is active, Alt with a letter of a main menu title ("&Cadastros",
// "&Operações", "&Segurança", "&Banco de Dados", "&Ajuda", "&Fluxometria")
// acts on its own control of that letter, when it has an enabled one, and is
// the menu's otherwise.
TEST_F(JanelasFilhas, EachWindowOpensWithTheFocusOnItsFirstControlAndItsAccessKeysComeFirst) {
    struct Caso {
        const char *janela;
        std::function<void(shell::MainForm &, Script &)> abrir;
        const char *primeiro;
        const char *teclas; // letter:control of the menus' letters the window takes
    };
    const Caso casos[] = {
        {"accounts", [](shell::MainForm &m, Script &) { m.mnuCadContas->trigger(); }, "tv", "A:cmdAlterar F:cmdFechar"},
        {"types", [](shell::MainForm &m, Script &) { m.mnuCadTiposRecDesp->trigger(); }, "tv", "A:cmdAlterar F:cmdFechar"},
        {"postings", [](shell::MainForm &m, Script &) { m.mnuOperLancamentos->trigger(); }, "cbContas",
         "C:cmdConfirmar O:cmdEstornar S:txtSaida F:cmdCancel"},
        {"pending list", [](shell::MainForm &m, Script &) { m.mnuOperPendencias->trigger(); }, "Fgrid",
         "O:cmdEstornar B:cmdBaixar F:cmdCancel"},
        {"search by document",
         [](shell::MainForm &m, Script &s) {
             s.text(QStringLiteral("NF-1"));
             m.mnuOperPesqDoc->trigger();
         },
         "DBGrid1", "O:cmdEstornar B:cmdBaixar A:cmdAtualizar F:cmdCancel"},
        {"account statement",
         [](shell::MainForm &m, Script &s) {
             s.act(periodo());
             m.mnuOperExtratosContas->trigger();
         },
         "DBGrid1", "O:cmdEstornar B:cmdBaixar A:cmdAtualizar F:cmdCancel"},
        {"type statement",
         [](shell::MainForm &m, Script &s) {
             s.act(periodo());
             m.mnuOperExtratosRecDesp->trigger();
         },
         "DBGrid1", "O:cmdEstornar B:cmdBaixar A:cmdAtualizar F:cmdCancel"},
        {"account balances",
         [](shell::MainForm &m, Script &s) {
             s.act(periodo());
             m.mnuOperBalContas->trigger();
         },
         "tv", "A:cmdAtualizar F:cmdCancel"},
        {"type balances at a date",
         [](shell::MainForm &m, Script &s) {
             s.act(periodo());
             m.mnuOperPesqSaldosRecDesp->trigger();
         },
         "tv", "A:cmdAtualizar F:cmdCancel"},
        {"users", [](shell::MainForm &m, Script &) { m.mnuSegContas->trigger(); }, "opUsuarios0", "F:cmdFechar"},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.janela);
        {
            Script s;
            c.abrir(*j, s);
            processar();
        }
        platform::ui::Form *f = ativa();
        ASSERT_TRUE(f);
        QWidget *primeiro = f->findChild<QWidget *>(QString::fromLatin1(c.primeiro));
        ASSERT_TRUE(primeiro);
        QWidget *focado = QApplication::focusWidget();
        EXPECT_TRUE(focado && (focado == primeiro || primeiro->isAncestorOf(focado)))
            << (focado ? focado->metaObject()->className() : "no focus");
        QStringList tomadas;
        for (const Qt::Key tecla : {Qt::Key_C, Qt::Key_O, Qt::Key_S, Qt::Key_B, Qt::Key_A, Qt::Key_F}) {
            QKeyEvent over(QEvent::ShortcutOverride, tecla, Qt::AltModifier);
            over.ignore();
            QApplication::sendEvent(foco(), &over);
            if (over.isAccepted())
                tomadas << QStringLiteral("%1:%2").arg(QChar(tecla), alvoDaTecla(f, tecla));
        }
        EXPECT_EQ(tomadas.join(QLatin1Char(' ')).toStdString(), c.teclas);
        f->Unload();
        processar();
    }
}

// Opened from the menu or from the toolbar, the pending list takes the keys:
// the arrows move its row, Alt+B settles the selected posting.
TEST_F(JanelasFilhas, ThePendingListTakesTheKeysAsItOpens) {
    for (QAction *comando : {j->mnuOperPendencias, j->Botao(QStringLiteral("BAIXAS"))}) {
        SCOPED_TRACE(comando->objectName().toStdString());
        comando->trigger();
        processar();
        auto *f = qobject_cast<pending::frmPendencias *>(ativa());
        ASSERT_TRUE(f);
        ASSERT_EQ(QApplication::focusWidget(), f->Fgrid);
        const int ultima = f->Fgrid->Rows() - 1;
        ASSERT_EQ(f->Fgrid->Row(), ultima);
        testsupport::Tecla(foco(), Qt::Key_Up);
        EXPECT_EQ(f->Fgrid->Row(), ultima - 1);
        testsupport::Tecla(foco(), Qt::Key_Down);
        EXPECT_EQ(f->Fgrid->Row(), ultima);
        Script s;
        s.yes().ok();
        EXPECT_TRUE(teclar(Qt::Key_B)) << "the menu \"&Banco de Dados\" would take it";
        ASSERT_FALSE(s.shownTexts().isEmpty());
        EXPECT_EQ(s.shownTexts().first(), pending::kPerguntaRealizou);
        EXPECT_EQ(f->Fgrid->TextMatrix(ultima, 1), QStringLiteral("S"));
        f->Unload();
        processar();
    }
}

// Maximising and restoring a window leaves the focus on the control that had
// it, not on the first button ("&Imprimir", "&Baixar"), which Enter would press.
TEST_F(JanelasFilhas, MaximisingAndRestoringLeaveTheFocusWhereItWas) {
    j->mnuOperPendencias->trigger();
    processar();
    {
        Script s;
        s.act(periodo());
        j->mnuOperExtratosContas->trigger();
        processar();
    }
    auto *extrato = qobject_cast<search::frmRetPesq *>(ativa());
    ASSERT_TRUE(extrato);
    ASSERT_TRUE(extrato->SubWindow()->isMaximized()) << "a statement opens maximised";
    QWidget *grade = QApplication::focusWidget();
    ASSERT_TRUE(grade && extrato->DBGrid1->isAncestorOf(grade));
    extrato->SubWindow()->showNormal();
    processar();
    EXPECT_EQ(QApplication::focusWidget(), grade) << "the statement restored";
    extrato->Unload();
    processar();
    auto *lista = qobject_cast<pending::frmPendencias *>(ativa());
    ASSERT_TRUE(lista);
    lista->SubWindow()->showNormal(); // maximised with the statement
    processar();
    ASSERT_EQ(QApplication::focusWidget(), lista->Fgrid);
    lista->SubWindow()->showMaximized();
    processar();
    EXPECT_EQ(QApplication::focusWidget(), lista->Fgrid) << "the pending list maximised";
    lista->SubWindow()->showNormal();
    processar();
    EXPECT_EQ(QApplication::focusWidget(), lista->Fgrid) << "the pending list restored";
}

// A statement opened while the search window is maximised opens maximised;
// restored, it lies inside the area of an 800-pixel-wide main window.
TEST_F(JanelasFilhas, AStatementRestoredBesideAMaximisedSearchLiesInsideTheArea) {
    j->setWindowState(Qt::WindowNoState);
    j->resize(800, 600);
    processar();
    {
        Script s;
        s.text(QStringLiteral("NF-1"));
        j->mnuOperPesqDoc->trigger();
        processar();
    }
    ASSERT_TRUE(ativa() && ativa()->SubWindow()->isMaximized());
    {
        Script s;
        s.act(periodo());
        j->mnuOperExtratosContas->trigger();
        processar();
    }
    auto *extrato = qobject_cast<search::frmRetPesq *>(ativa());
    ASSERT_TRUE(extrato);
    QMdiSubWindow *s = extrato->SubWindow();
    s->showNormal();
    processar();
    const QRect area = j->AreaMDI()->viewport()->rect();
    EXPECT_LE(area.width(), 800);
    EXPECT_TRUE(area.contains(s->geometry())) << s->geometry().x() << "," << s->geometry().y() << " "
                                              << s->width() << "x" << s->height() << " in " << area.width();
    EXPECT_EQ(extrato->size(), QSize(672, 440)) << "it fits: its designed size";
}
