#include "platform/ui/Form.h"
#include "platform/ui/GuiTest.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMenu>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QMdiSubWindow>
#include <QVBoxLayout>

namespace {

// A dialog that logs its life and hands back a value after closing itself.
class LogForm : public platform::ui::Form {
public:
    explicit LogForm(QStringList *log, const QString &name) : log_(log) { setObjectName(name); }
    bool Cancelado = true;
    QString Valor;
    bool refuseUnload = false;
    void Confirmar(const QString &v) {
        Valor = v;
        Cancelado = false;
        Unload();
    }

protected:
    void Form_Load() override { *log_ << Name() + QStringLiteral(":load"); }
    void Form_Activate() override {
        *log_ << Name() + (FirstActivation() ? QStringLiteral(":first") : QStringLiteral(":activate"));
    }
    void Form_QueryUnload(bool &cancel, int mode) override {
        *log_ << Name() + QStringLiteral(":query%1").arg(mode);
        cancel = refuseUnload;
    }
    void Form_Unload(bool &) override { *log_ << Name() + QStringLiteral(":unload"); }

private:
    QStringList *log_;
};

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::qtApp(); }
    QStringList log;
};

} // namespace

TEST_F(FormsTest, LoadedFormsAreListedInLoadOrderUntilUnloaded) {
    LogForm a(&log, QStringLiteral("a")), b(&log, QStringLiteral("b")), c(&log, QStringLiteral("c"));
    b.Load();
    a.Load();
    c.Load();
    a.Load(); // a second load does nothing
    EXPECT_EQ(platform::ui::Forms::Loaded(), (QList<platform::ui::Form *>{&b, &a, &c}));
    EXPECT_TRUE(a.Unload());
    EXPECT_EQ(platform::ui::Forms::Loaded(), (QList<platform::ui::Form *>{&b, &c}));
    EXPECT_EQ(log.count(QStringLiteral("a:load")), 1);
    b.Unload();
    c.Unload();
}

TEST_F(FormsTest, QueryUnloadCanKeepTheFormLoaded) {
    LogForm f(&log, QStringLiteral("f"));
    f.Load();
    f.refuseUnload = true;
    EXPECT_FALSE(f.close()); // close box: mode 0, refused
    EXPECT_TRUE(f.IsLoaded());
    f.refuseUnload = false;
    EXPECT_TRUE(f.Unload());
    EXPECT_EQ(log, (QStringList{"f:load", "f:query0", "f:query1", "f:unload"}));
}

TEST_F(FormsTest, ActivationFlagsOnlyTheFirstOne) {
    LogForm f(&log, QStringLiteral("f"));
    f.Load();
    f.Activate();
    f.Activate();
    EXPECT_EQ(log, (QStringList{"f:load", "f:first", "f:activate"}));
    f.Unload();
}

TEST_F(FormsTest, ModalShowRunsTheScriptedUserAndKeepsPublicValuesAfterClosing) {
    testsupport::Script s;
    s.act([](QWidget &w) { static_cast<LogForm &>(w).Confirmar(QStringLiteral("ADMIN")); });
    LogForm dlg(&log, QStringLiteral("frmLogin"));
    dlg.ShowModal();
    EXPECT_FALSE(dlg.IsLoaded());
    EXPECT_FALSE(dlg.Cancelado);
    EXPECT_EQ(dlg.Valor, QStringLiteral("ADMIN"));
    ASSERT_EQ(s.shown().size(), 1u);
    EXPECT_EQ(s.shown()[0].kind, platform::ui::ModalKind::Form);
    EXPECT_EQ(s.shown()[0].widget, &dlg);
}

TEST_F(FormsTest, ModalFormLeftOpenByTheScriptIsAFault) {
    platform::ui::ScriptedModals s;
    QStringList faults;
    s.onUnscripted = [&](const QString &why) { faults << why; };
    s.act([](QWidget &) {});
    LogForm dlg(&log, QStringLiteral("frmX"));
    dlg.ShowModal();
    EXPECT_EQ(faults.size(), 1);
    EXPECT_FALSE(dlg.IsLoaded());
}

TEST_F(FormsTest, ModelessChildLivesInTheMdiAreaAndDeletesItselfWhenUnloaded) {
    QMdiArea area;
    platform::ui::Forms::setMdiArea(&area);
    QPointer<LogForm> f = new LogForm(&log, QStringLiteral("child"));
    f->ShowModeless();
    ASSERT_NE(f->SubWindow(), nullptr);
    EXPECT_EQ(area.subWindowList().size(), 1);
    f->SubWindow()->close(); // the child's close box
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(f.isNull());
    EXPECT_TRUE(log.contains(QStringLiteral("child:unload")));
    platform::ui::Forms::setMdiArea(nullptr);
}

// A child window opens at its form's designed size, whether the form is
// sized freely (no layout gives it a size hint) or fixed.
TEST_F(FormsTest, ModelessChildOpensAtItsFormsDesignedSize) {
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    platform::ui::Forms::setMdiArea(&area);
    for (bool fixa : {false, true}) {
        SCOPED_TRACE(fixa ? "fixed" : "free");
        QPointer<LogForm> f = new LogForm(&log, QStringLiteral("child"));
        if (fixa)
            f->setFixedSize(669, 356);
        else
            f->resize(669, 356);
        f->ShowModeless();
        ASSERT_NE(f->SubWindow(), nullptr);
        EXPECT_EQ(f->size(), QSize(669, 356));
        f->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    platform::ui::Forms::setMdiArea(nullptr);
}

namespace {
// A child that maximises itself at its first activation, as the result
// window does.
class MaximizadaNaAtivacao : public LogForm {
public:
    using LogForm::LogForm;

protected:
    void Form_Activate() override {
        LogForm::Form_Activate();
        if (FirstActivation() && SubWindow()) SubWindow()->showMaximized();
    }
};
} // namespace

// The window system activates a child while the area adds and shows it. A
// child maximised then, by itself or because the active child is maximised,
// fills the area, and restored takes its designed size; opening and closing
// another child leaves a restored child at that size.
TEST_F(FormsTest, AChildMaximisedAsItOpensFillsTheAreaAndRestoresToItsDesignedSize) {
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    area.activateWindow();
    QApplication::processEvents();
    platform::ui::Forms::setMdiArea(&area);
    const QSize desenho(669, 356);
    auto abrir = [&](bool maximiza, const QString &nome) {
        LogForm *f = maximiza ? new MaximizadaNaAtivacao(&log, nome) : new LogForm(&log, nome);
        f->resize(desenho);
        f->ShowModeless();
        QApplication::processEvents();
        return QPointer<LogForm>(f);
    };
    auto cheia = [&](LogForm *f) {
        return f->SubWindow()->isMaximized() && f->SubWindow()->geometry() == area.viewport()->rect();
    };
    QPointer<LogForm> a = abrir(true, QStringLiteral("a"));
    EXPECT_EQ(log.count(QStringLiteral("a:first")), 1);
    EXPECT_TRUE(cheia(a)) << "opens filling the area";
    a->SubWindow()->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(a->size(), desenho) << "restored: its designed size";
    QPointer<LogForm> b = abrir(true, QStringLiteral("b"));
    EXPECT_TRUE(cheia(b));
    EXPECT_EQ(a->size(), desenho) << "another child opened";
    b->Unload();
    QApplication::processEvents();
    EXPECT_EQ(a->size(), desenho) << "another child closed";
    EXPECT_FALSE(a->SubWindow()->isMaximized());
    // Opened while the active child is maximised: maximised in turn, with
    // its designed size to go back to; the other stays as it was.
    a->SubWindow()->showMaximized();
    b = abrir(false, QStringLiteral("b2"));
    EXPECT_TRUE(cheia(b));
    b->SubWindow()->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(b->size(), desenho);
    EXPECT_TRUE(cheia(a));
    b->Unload();
    QApplication::processEvents();
    EXPECT_TRUE(cheia(a));
    a->SubWindow()->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(a->size(), desenho);
    a->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::ui::Forms::setMdiArea(nullptr);
}

// In a child window an access key is the child's control, not the main
// window's menu title of the same letter; elsewhere the menus keep theirs.
TEST_F(FormsTest, AChildWindowsAccessKeysComeBeforeTheMainMenus) {
    QMainWindow principal;
    QMenu *ajuda = principal.menuBar()->addMenu(QStringLiteral("&Ajuda"));
    ajuda->addAction(QStringLiteral("Conteúdo"));
    auto *area = new QMdiArea(&principal);
    principal.setCentralWidget(area);
    principal.resize(800, 600);
    principal.show();
    platform::ui::Forms::setMdiArea(area);
    QPointer<LogForm> f = new LogForm(&log, QStringLiteral("editor"));
    auto *alterar = new QPushButton(QStringLiteral("&Alterar ..."), f);
    auto *campo = new QLineEdit(f);
    auto *rotulo = new QLabel(QStringLiteral("&Descrição:"), f);
    rotulo->setBuddy(campo);
    f->resize(400, 200);
    rotulo->setGeometry(10, 10, 100, 20);
    campo->setGeometry(10, 30, 200, 20);
    alterar->setGeometry(10, 60, 100, 25);
    auto *outro = new QPushButton(QStringLiteral("Fechar"), f);
    outro->setGeometry(120, 60, 100, 25);
    f->ShowModeless();
    int cliques = 0;
    QObject::connect(alterar, &QPushButton::clicked, [&] { ++cliques; });
    auto teclar = [](QWidget *foco, Qt::Key tecla) {
        QKeyEvent over(QEvent::ShortcutOverride, tecla, Qt::AltModifier);
        over.ignore();
        QApplication::sendEvent(foco, &over);
        if (!over.isAccepted())
            return false;
        QKeyEvent press(QEvent::KeyPress, tecla, Qt::AltModifier);
        QApplication::sendEvent(foco, &press);
        return true;
    };
    outro->setFocus();
    EXPECT_TRUE(teclar(outro, Qt::Key_A)) << "the menu would take it";
    EXPECT_EQ(cliques, 1);
    EXPECT_TRUE(teclar(outro, Qt::Key_D));
    EXPECT_EQ(f->focusWidget(), campo);
    EXPECT_FALSE(teclar(campo, Qt::Key_X)) << "a letter the window does not use stays the menus'";
    alterar->setEnabled(false);
    EXPECT_FALSE(teclar(campo, Qt::Key_A)) << "a disabled control has no access key";
    f->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::ui::Forms::setMdiArea(nullptr);
}

namespace {
struct Received {
    static inline QList<std::pair<int, qintptr>> calls;
};
bool recordingProc(QObject *, QEvent *e) {
    if (e->type() == platform::ui::RegisteredMessageEvent::type()) {
        auto *m = static_cast<platform::ui::RegisteredMessageEvent *>(e);
        Received::calls << std::make_pair(m->msg(), m->lParam());
        return true;
    }
    return false;
}
} // namespace

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        Received::calls.clear();
    }
};

TEST_F(MessagesTest, RegisteringANameTwiceGivesTheSameId) {
    const int a = platform::ui::RegisterWindowMessage(QStringLiteral("$TESTE_A$"));
    const int b = platform::ui::RegisterWindowMessage(QStringLiteral("$TESTE_B$"));
    EXPECT_NE(a, b);
    EXPECT_EQ(platform::ui::RegisterWindowMessage(QStringLiteral("$TESTE_A$")), a);
    EXPECT_GE(a, 0xC000);
}

TEST_F(MessagesTest, PostedMessageReachesTheReplacedProcedureLaterAndRestoringStopsIt) {
    QObject window;
    const int id = platform::ui::RegisterWindowMessage(QStringLiteral("$TESTE_A$"));
    EXPECT_EQ(platform::ui::SetWindowProc(&window, recordingProc), nullptr);
    platform::ui::PostMessage(&window, id, &window, 42);
    EXPECT_TRUE(Received::calls.isEmpty()); // posted, not sent
    QCoreApplication::sendPostedEvents(&window);
    ASSERT_EQ(Received::calls.size(), 1);
    EXPECT_EQ(Received::calls[0], std::make_pair(id, qintptr(42)));

    EXPECT_EQ(platform::ui::SetWindowProc(&window, nullptr), recordingProc);
    platform::ui::PostMessage(&window, id, &window, 43);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(Received::calls.size(), 1);
}

TEST_F(MessagesTest, MessageWhoseWindowObjectIsGoneIsDropped) {
    QObject window;
    platform::ui::SetWindowProc(&window, recordingProc);
    const int id = platform::ui::RegisterWindowMessage(QStringLiteral("$TESTE_A$"));
    auto *target = new QObject;
    platform::ui::PostMessage(&window, id, target, 1);
    delete target;
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_TRUE(Received::calls.isEmpty());
}

TEST_F(MessagesTest, PropertiesKeepAProcedureUntilRemoved) {
    QObject window;
    platform::ui::SetProp(&window, "pOldWindowProc", platform::ui::ProcToProp(recordingProc));
    EXPECT_EQ(platform::ui::ProcFromProp(platform::ui::GetProp(&window, "pOldWindowProc")), recordingProc);
    platform::ui::RemoveProp(&window, "pOldWindowProc");
    EXPECT_FALSE(platform::ui::GetProp(&window, "pOldWindowProc").isValid());
    EXPECT_EQ(platform::ui::ProcFromProp(platform::ui::GetProp(&window, "pOldWindowProc")), nullptr);
}

TEST_F(MessagesTest, CloseRequestIsPostedAndClosesTheWindowLater) {
    QStringList log;
    LogForm f(&log, QStringLiteral("f"));
    f.Load();
    platform::ui::PostMessage(&f, platform::ui::WM_CLOSE);
    EXPECT_TRUE(f.IsLoaded());
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.IsLoaded());
}

TEST(InputTest, QueuedKeyboardAndMouseInputIsDiscarded) {
    testsupport::qtApp();
    struct Counter : QWidget {
        int keys = 0, clicks = 0, other = 0;
        bool event(QEvent *e) override {
            if (e->type() == QEvent::KeyPress) ++keys;
            else if (e->type() == QEvent::MouseButtonPress) ++clicks;
            else if (e->type() == QEvent::User) ++other;
            return QWidget::event(e);
        }
    } w;
    auto post = [&] {
        QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
        QCoreApplication::postEvent(&w, new QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1),
                                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(&w, new QEvent(QEvent::User));
    };
    post();
    platform::ui::DiscardQueuedKeyboardInput();
    QCoreApplication::sendPostedEvents(&w);
    EXPECT_EQ(w.keys, 0);
    EXPECT_EQ(w.clicks, 1);
    post();
    platform::ui::DiscardQueuedMouseInput();
    QCoreApplication::sendPostedEvents(&w);
    EXPECT_EQ(w.keys, 1);
    EXPECT_EQ(w.clicks, 1);
    EXPECT_EQ(w.other, 2); // other events are left alone
}

TEST(InputTest, SendTabMovesTheFocusToTheNextField) {
    testsupport::qtApp();
    QWidget form;
    auto *lay = new QVBoxLayout(&form);
    auto *a = new QLineEdit;
    auto *b = new QLineEdit;
    lay->addWidget(a);
    lay->addWidget(b);
    form.show();
    QApplication::setActiveWindow(&form);
    a->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), a);
    platform::ui::SendTab();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), b);
}

TEST(InputTest, OnlyOneWindowIsLockedAtATime) {
    testsupport::qtApp();
    QWidget a, b;
    EXPECT_TRUE(platform::ui::LockWindowUpdate(&a));
    EXPECT_FALSE(a.updatesEnabled());
    EXPECT_FALSE(platform::ui::LockWindowUpdate(&b)); // refused while a is locked
    EXPECT_TRUE(b.updatesEnabled());
    platform::ui::LockWindowUpdate(nullptr);
    EXPECT_TRUE(a.updatesEnabled());
    EXPECT_TRUE(platform::ui::LockWindowUpdate(&b));
    platform::ui::LockWindowUpdate(nullptr);
    platform::ui::LockWindowUpdate(nullptr); // unlocking twice is harmless
    EXPECT_EQ(platform::ui::LockedWindow(), nullptr);
}

namespace {
// A window with a box and two buttons, shown so that focus can be set.
struct ComAplicacao {
    ComAplicacao() { testsupport::qtApp(); }
};
struct JanelaDeBotoes : ComAplicacao {
    platform::ui::Form f;
    QLineEdit *caixa = new QLineEdit(&f);
    QPushButton *ok = new QPushButton(QStringLiteral("&OK"), &f);
    QPushButton *cancelar = new QPushButton(QStringLiteral("&Cancelar"), &f);
    int oks = 0, cancelamentos = 0;
    JanelaDeBotoes() {
        caixa->setGeometry(0, 0, 100, 20);
        ok->setGeometry(0, 30, 60, 20);
        cancelar->setGeometry(70, 30, 60, 20);
        QObject::connect(ok, &QPushButton::clicked, [this] { ++oks; });
        QObject::connect(cancelar, &QPushButton::clicked, [this] { ++cancelamentos; });
        f.show();
        QApplication::setActiveWindow(&f);
    }
    static void Tecla(QWidget *w, int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
};
} // namespace

TEST(FormKeys, EscPressesTheCancelButtonAndEnterTheFocusedButton) {
    struct Caso {
        const char *nome;
        bool comCancelamento;
        int foco; // 0 the box, 1 OK, 2 Cancelar
        int tecla;
        int oks, cancelamentos;
    };
    const Caso casos[] = {
        {"Esc in the box", true, 0, Qt::Key_Escape, 0, 1},
        {"Esc on OK", true, 1, Qt::Key_Escape, 0, 1},
        {"Esc without a cancel button", false, 0, Qt::Key_Escape, 0, 0},
        {"Enter on OK", true, 1, Qt::Key_Return, 1, 0},
        {"keypad Enter on Cancelar", true, 2, Qt::Key_Enter, 0, 1},
        // Enter in a box is the box's business, not a click on some button.
        {"Enter in the box", true, 0, Qt::Key_Return, 0, 0},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        JanelaDeBotoes j;
        if (c.comCancelamento)
            j.f.setCancelButton(j.cancelar);
        QWidget *foco = c.foco == 0 ? static_cast<QWidget *>(j.caixa) : c.foco == 1 ? j.ok : j.cancelar;
        foco->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), foco);
        JanelaDeBotoes::Tecla(foco, c.tecla);
        EXPECT_EQ(j.oks, c.oks);
        EXPECT_EQ(j.cancelamentos, c.cancelamentos);
    }
}

TEST(AcomodarRotulo, GrowsALabelToItsTextAndMovesWhatLiesBelow) {
    testsupport::qtApp();
    const QString longo = QStringLiteral("Um texto de ajuda bem mais comprido do que cabe numa linha estreita, "
                                         "que precisa de várias linhas para ser lido inteiro.");
    struct Caso {
        const char *nome;
        QString texto;
        bool quebra;
        bool cresce;
    };
    const Caso casos[] = {
        {"wrapped text too tall", longo, true, true},
        {"one line too wide", longo, false, true},
        {"short text", QStringLiteral("Curto"), true, false},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        QWidget janela;
        janela.setFixedSize(300, 100);
        auto *rotulo = new QLabel(c.texto, &janela);
        rotulo->setWordWrap(c.quebra);
        rotulo->setGeometry(4, 4, 190, 20);
        auto *ao_lado = new QLineEdit(&janela);
        ao_lado->setGeometry(200, 10, 50, 20); // beside the label: stays
        auto *abaixo = new QPushButton(QStringLiteral("&OK"), &janela);
        abaixo->setGeometry(4, 60, 60, 20);
        const int acrescimo = platform::ui::AcomodarRotulo(rotulo);
        EXPECT_EQ(acrescimo > 0, c.cresce);
        EXPECT_LE(rotulo->heightForWidth(rotulo->width()), rotulo->height()) << "text cut off";
        if (!c.quebra) {
            EXPECT_TRUE(!c.cresce || rotulo->wordWrap());
        }
        EXPECT_EQ(rotulo->height(), 20 + acrescimo);
        EXPECT_EQ(ao_lado->y(), 10);
        EXPECT_EQ(abaixo->y(), 60 + acrescimo);
        EXPECT_EQ(janela.height(), 100 + acrescimo);
        EXPECT_EQ(janela.minimumHeight(), janela.maximumHeight()) << "a fixed window stays fixed";
    }
}

TEST(EncaixarRotulo, KeepsTheWindowsFontWideningIntoFreeSpaceOrWrapping) {
    testsupport::qtApp();
    struct Caso {
        const char *nome;
        int largura;        // of the label
        int vizinho;        // left of the field beside it on its right, 0: none
        bool alarga, quebra;
    };
    const Caso casos[] = {
        {"fits", 300, 0, false, false},
        {"room on its right", 60, 0, true, false},
        {"a field beside it", 60, 70, false, true},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        QWidget janela;
        janela.setFixedSize(400, 120);
        auto *rotulo = new QLabel(QStringLiteral("&Data Referência:"), &janela);
        rotulo->setGeometry(4, 4, c.largura, 16);
        auto *campo = new QLineEdit(&janela);
        campo->setGeometry(4, 22, 60, 20);
        auto *outro = new QLabel(QStringLiteral("Doc:"), &janela); // over its own field, same row
        QLineEdit *aoLado = nullptr;
        if (c.vizinho) {
            outro->setGeometry(c.vizinho, 4, 60, 16);
            aoLado = new QLineEdit(&janela);
            aoLado->setGeometry(c.vizinho, 22, 60, 20);
        } else {
            outro->setGeometry(300, 60, 60, 16);
        }
        const QFont fonte = rotulo->font();
        const int outroY = outro->y();
        const int acrescimo = platform::ui::EncaixarRotulo(rotulo);
        EXPECT_EQ(rotulo->font(), fonte) << "one font for the window";
        EXPECT_EQ(rotulo->wordWrap(), c.quebra);
        EXPECT_EQ(rotulo->width() > c.largura, c.alarga);
        if (c.quebra) {
            EXPECT_GT(acrescimo, 0);
            EXPECT_LE(rotulo->heightForWidth(rotulo->width()), rotulo->height()) << "text cut off";
            EXPECT_EQ(campo->y(), 22 + acrescimo) << "the field stays under its label";
            EXPECT_EQ(aoLado->y(), 22 + acrescimo);
            EXPECT_EQ(outro->y(), outroY + acrescimo) << "the row's other label stays over its field";
            EXPECT_EQ(janela.height(), 120 + acrescimo);
        } else {
            EXPECT_EQ(acrescimo, 0);
            EXPECT_LE(QFontMetrics(fonte).horizontalAdvance(QStringLiteral("Data Referência:")), rotulo->width());
            EXPECT_EQ(campo->y(), 22);
            EXPECT_EQ(janela.height(), 120);
        }
    }
}
