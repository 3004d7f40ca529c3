// A form shown as a child window of the main window's area: the focus when it
// opens and across maximising and restoring, its place when restored, and
// its access keys while the focus is on no control of it.
#include "platform/ui/Form.h"
#include "platform/ui/GuiTest.h"
#include "platform/ui/JanelaFilha.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>

#include <memory>

namespace {

// A list over a panel of buttons, as the pending list and the statements
// are, the list first in the tab order. Like the pending list, it can keep
// itself disabled while it reads its rows at the first activation.
class Lista : public platform::ui::Form {
public:
    explicit Lista(bool desabilitaNaAtivacao = false) : desabilita_(desabilitaNaAtivacao) {
        setObjectName(QStringLiteral("Lista"));
        grade = new QListWidget(this);
        grade->setGeometry(0, 0, 660, 300);
        grade->addItems({QStringLiteral("um"), QStringLiteral("dois")});
        auto *painel = new QWidget(this);
        painel->setGeometry(0, 300, 660, 40);
        imprimir = new QPushButton(QStringLiteral("&Imprimir"), painel);
        imprimir->setGeometry(10, 5, 120, 30);
        baixar = new QPushButton(QStringLiteral("&Baixar"), painel);
        baixar->setGeometry(140, 5, 120, 30);
        resize(660, 340);
    }
    QListWidget *grade;
    QPushButton *imprimir, *baixar;

protected:
    void Form_Activate() override {
        if (FirstActivation() && desabilita_) {
            setEnabled(false);
            setEnabled(true);
        }
    }

private:
    bool desabilita_;
};

// The main window: a menu bar ("&Banco de Dados" shares the list's Alt+B)
// over the area, 800 pixels wide.
class JanelaFilha : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        janela = std::make_unique<QMainWindow>();
        QMenu *menu = principal().menuBar()->addMenu(QStringLiteral("&Banco de Dados"));
        menu->addAction(QStringLiteral("Caminho"));
        area = new QMdiArea(janela.get());
        janela->setCentralWidget(area);
        janela->resize(800, 600);
        janela->show();
        janela->activateWindow();
        QApplication::processEvents();
        platform::ui::Forms::setMdiArea(area);
    }
    void TearDown() override {
        for (platform::ui::Form *f : platform::ui::Forms::Loaded()) f->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::ui::Forms::setMdiArea(nullptr);
        janela.reset();
    }
    QMainWindow &principal() { return *janela; }
    template <class F = Lista, class... A> F *abrir(A... a) {
        auto *f = new F(a...);
        f->ShowModeless();
        QApplication::processEvents();
        return f;
    }
    QRect dentro() const { return area->viewport()->rect(); }
    // The program losing the keys to another one and getting them back, as
    // the window system tells it: first the application's state (on which
    // the area activates its current child again), then its window.
    void desativarPrograma() {
        QEvent e(QEvent::ApplicationDeactivate);
        QCoreApplication::sendEvent(qApp, &e);
        QApplication::setActiveWindow(nullptr);
        QApplication::processEvents();
    }
    void ativarPrograma() {
        QEvent e(QEvent::ApplicationActivate);
        QCoreApplication::sendEvent(qApp, &e);
        QApplication::setActiveWindow(&principal());
        QApplication::processEvents();
    }

    std::unique_ptr<QMainWindow> janela;
    QMdiArea *area = nullptr;
};

} // namespace

TEST_F(JanelaFilha, AChildOpensWithTheFocusOnTheFirstControlOfItsTabOrder) {
    for (bool desabilita : {false, true}) {
        SCOPED_TRACE(desabilita ? "disabled while it reads its rows" : "plain");
        Lista *f = abrir(desabilita);
        EXPECT_EQ(platform::ui::PrimeiroControle(f), f->grade);
        EXPECT_EQ(QApplication::focusWidget(), f->grade);
        f->Unload();
        QApplication::processEvents();
    }
}

TEST_F(JanelaFilha, MaximisingRestoringAndMinimisingKeepTheFocusWhereItWas) {
    Lista *f = abrir();
    QMdiSubWindow *s = f->SubWindow();
    struct Caso {
        const char *nome;
        QWidget *foco;
    };
    for (const Caso &c : {Caso{"the list", f->grade}, Caso{"the second button", f->baixar}}) {
        SCOPED_TRACE(c.nome);
        c.foco->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), c.foco);
        s->showMaximized();
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), c.foco) << "maximised";
        s->showNormal();
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), c.foco) << "restored";
        s->showMinimized();
        QApplication::processEvents();
        s->showNormal();
        area->setActiveSubWindow(s);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), c.foco) << "minimised and restored";
    }
    // A maximised child whose place another takes is restored behind it:
    // the focus goes with the child activated, not back to the first.
    s->showMaximized();
    f->grade->setFocus();
    Lista *g = abrir();
    EXPECT_TRUE(g->SubWindow()->isMaximized());
    EXPECT_EQ(QApplication::focusWidget(), g->grade);
    area->setActiveSubWindow(s);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), f->grade);
}

// A child opened while the active one is maximised opens maximised; restored,
// it goes back to where the area placed it, which lay outside the area.
TEST_F(JanelaFilha, AChildRestoredWhereItWouldLieOutsideTheAreaIsMovedInside) {
    Lista *busca = abrir();
    busca->SubWindow()->showMaximized();
    QApplication::processEvents();
    Lista *extrato = abrir();
    QMdiSubWindow *s = extrato->SubWindow();
    ASSERT_TRUE(s->isMaximized());
    s->showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(dentro().contains(s->geometry())) << s->geometry().x() << " in " << dentro().width();
    EXPECT_EQ(extrato->size(), QSize(660, 340)) << "it fits: its designed size";
    // A main window made narrower than the child while it was maximised:
    // restored, the child is shrunk to the area's width.
    s->showMaximized();
    principal().resize(500, 600);
    QApplication::processEvents();
    s->showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(dentro().contains(s->geometry()));
    EXPECT_EQ(s->width(), dentro().width());
    EXPECT_EQ(extrato->height(), 340) << "its height fits";
}

// While a child window is active and the main window's focus is on no
// control of it (the area, or nothing), its access keys act on its buttons
// before the menu titles of the same letter.
TEST_F(JanelaFilha, TheActiveChildsAccessKeysComeBeforeTheMenusWithTheFocusOutsideIt) {
    Lista *f = abrir();
    int baixas = 0;
    QObject::connect(f->baixar, &QPushButton::clicked, [&] { ++baixas; });
    auto teclar = testsupport::TeclaDeAcesso;
    ASSERT_EQ(QApplication::focusWidget(), f->grade);
    // The focus on no control: the keys go to the main window.
    f->grade->clearFocus();
    ASSERT_EQ(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(teclar(&principal(), Qt::Key_B)) << "the menu would take it";
    EXPECT_FALSE(teclar(&principal(), Qt::Key_X)) << "a letter the window does not use";
    area->setFocus();
    EXPECT_TRUE(teclar(area, Qt::Key_B));
    EXPECT_EQ(baixas, 2);
    principal().menuBar()->setFocus();
    EXPECT_FALSE(teclar(principal().menuBar(), Qt::Key_B)) << "typed in the menu bar: the menus'";
    area->setFocus();
    f->SubWindow()->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(teclar(&principal(), Qt::Key_B)) << "a minimised child shows no button";
    EXPECT_EQ(baixas, 2);
}

// With no window manager, a click into a window of the program while another
// program has the keys reaches the program before its window is activated:
// the click only marks the control the window will focus once active, and
// the activation that follows reactivates the child that was active before.
// The focus given back on that activation must leave the control clicked,
// whose child then becomes the active one and takes the keys.
TEST_F(JanelaFilha, AClickIntoAnotherChildWhileTheProgramHadNoKeysActivatesThatChild) {
    Lista *clicada = abrir();
    Lista *ativa = abrir();
    ativa->baixar->setFocus();
    ASSERT_EQ(platform::ui::Forms::ActiveChild(), ativa);
    struct Caso {
        const char *nome;
        QWidget *alvo;
    };
    for (const Caso &c : {Caso{"the list", clicada->grade}, Caso{"a button", clicada->baixar}}) {
        SCOPED_TRACE(c.nome);
        QWidget *alvo = c.alvo;
        // Another program takes the keys.
        desativarPrograma();
        ASSERT_EQ(QApplication::focusWidget(), nullptr);
        // The press gives the clicked control the focus the way a click does
        // (while the window is not active, only as the control to focus).
        alvo->setFocus(Qt::MouseFocusReason);
        ASSERT_EQ(principal().focusWidget(), alvo);
        // The program and its window are activated after the click.
        ativarPrograma();
        EXPECT_EQ(platform::ui::Forms::ActiveChild(), clicada);
        EXPECT_EQ(QApplication::focusWidget(), alvo) << "the key goes where the user clicked";
        // Back to the other child for the next case, the window active.
        ativa->baixar->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(platform::ui::Forms::ActiveChild(), ativa);
    }
    // The window activated again with its focus where it was keeps the
    // active child and that focus.
    desativarPrograma();
    ativarPrograma();
    EXPECT_EQ(platform::ui::Forms::ActiveChild(), ativa);
    EXPECT_EQ(QApplication::focusWidget(), ativa->baixar);
}
