// The tree's click and double click as the selection dialogs rely on them,
// and the check box with its label.
#include "platform/ui/GuiTest.h"
#include "platform/ui/Input.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/TreeView.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

void mouse(QWidget *w, QEvent::Type t, const QPoint &p, bool post) {
    const Qt::MouseButtons held = t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    auto *e = new QMouseEvent(t, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton, held, Qt::NoModifier);
    if (post) {
        QCoreApplication::postEvent(w, e);
    } else {
        QApplication::sendEvent(w, e);
        delete e;
    }
}

class TreeClicks : public ::testing::Test {
protected:
    void SetUp() override {
        images.Add(QStringLiteral("I"), QIcon());
        tv.setImageList(&images);
        tv.resize(300, 200);
        a = tv.Add(QString(), widgets::tvwLast, QStringLiteral("_001"), QStringLiteral("A"), QStringLiteral("I"));
        tv.Add(QStringLiteral("_001"), widgets::tvwChild, QStringLiteral("_001.001"), QStringLiteral("A1"));
        b = tv.Add(QString(), widgets::tvwLast, QStringLiteral("_002"), QStringLiteral("B"), QStringLiteral("I"));
        tv.show();
        QObject::connect(&tv, &widgets::TreeView::DblClick, [this] { log << QStringLiteral("dbl"); });
    }
    QPoint at(widgets::Node *n) { return tv.visualItemRect(n->item()).center(); }

    QApplication &app = testsupport::qtApp();
    widgets::ImageList images;
    widgets::TreeView tv;
    widgets::Node *a = nullptr, *b = nullptr;
    QStringList log;
};

} // namespace

TEST_F(TreeClicks, SecondClickQueuedDuringTheClickHandlersPumpArrivesAsDoubleClick) {
    QObject::connect(&tv, &widgets::TreeView::NodeClick, [this](widgets::Node *n) {
        log << QStringLiteral("click ") + n->Key();
        platform::ui::DoEvents(); // the release, the double click and its release come in here
        log << QStringLiteral("pumped");
    });
    const QPoint p = at(a);
    // The rest of the double click is already queued when the first press is handled.
    mouse(tv.viewport(), QEvent::MouseButtonRelease, p, true);
    mouse(tv.viewport(), QEvent::MouseButtonDblClick, p, true);
    mouse(tv.viewport(), QEvent::MouseButtonRelease, p, true);
    mouse(tv.viewport(), QEvent::MouseButtonPress, p, false);
    EXPECT_EQ(log, (QStringList{"click _001", "dbl", "pumped"}));
    EXPECT_TRUE(a->Expanded()) << "a double click still expands the node";
    // The view is idle again: a later single click is a click.
    log.clear();
    mouse(tv.viewport(), QEvent::MouseButtonPress, at(b), false);
    mouse(tv.viewport(), QEvent::MouseButtonRelease, at(b), false);
    platform::ui::DoEvents();
    EXPECT_EQ(log, (QStringList{"click _002", "pumped"}));
}

TEST(CheckBoxes, ClickFollowsEveryChangeOfValueAlsoFromCode) {
    testsupport::qtApp();
    QWidget w;
    auto *ck = new widgets::CheckBox(&w);
    QList<int> clicks;
    QObject::connect(ck, &widgets::CheckBox::Click, [&] { clicks << ck->Value(); });
    ck->setValue(1);
    ck->setValue(1); // no change, no event
    ck->click();     // the user
    ck->setValue(1);
    ck->setValue(0);
    EXPECT_EQ(clicks, (QList<int>{1, 0, 1, 0}));
}

TEST(CheckBoxes, LabelTogglesAndFocusesItsBoxAndIsYellowWhileTheBoxHasTheFocus) {
    testsupport::qtApp();
    QWidget w;
    auto *outro = new QLineEdit(&w);
    auto *ck = new widgets::CheckBox(&w);
    auto *lbl = new widgets::CheckLabel(QStringLiteral("Somente"), ck, &w);
    ck->setGeometry(10, 40, 20, 20);
    lbl->setGeometry(40, 40, 120, 20);
    w.show();
    w.activateWindow();
    outro->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(outro->hasFocus());
    EXPECT_FALSE(lbl->Highlighted());

    const QPoint p = lbl->rect().center();
    mouse(lbl, QEvent::MouseButtonPress, p, false);
    mouse(lbl, QEvent::MouseButtonRelease, p, false);
    EXPECT_EQ(ck->Value(), 1);
    EXPECT_TRUE(ck->hasFocus());
    EXPECT_TRUE(lbl->Highlighted());
    EXPECT_EQ(lbl->palette().color(QPalette::Window), QColor(255, 255, 0));
    mouse(lbl, QEvent::MouseButtonPress, p, false);
    mouse(lbl, QEvent::MouseButtonRelease, p, false);
    EXPECT_EQ(ck->Value(), 0);

    outro->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(lbl->Highlighted());
    EXPECT_EQ(lbl->palette().color(QPalette::Window), w.palette().color(QPalette::Window));

    // A disabled box and its label take no click.
    ck->setEnabled(false);
    lbl->setEnabled(false);
    mouse(lbl, QEvent::MouseButtonPress, p, false);
    mouse(lbl, QEvent::MouseButtonRelease, p, false);
    EXPECT_EQ(ck->Value(), 0);
    EXPECT_TRUE(outro->hasFocus());
}

TEST(CheckBoxes, EnterMovesOnWithTabAndLeavesTheValue) {
    testsupport::qtApp();
    QWidget w;
    auto *ck = new widgets::CheckBox(&w);
    auto *depois = new QLineEdit(&w);
    QWidget::setTabOrder(ck, depois);
    w.show();
    w.activateWindow();
    ck->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(ck->hasFocus());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(ck, &enter);
    QApplication::processEvents();
    EXPECT_EQ(ck->Value(), 0);
    EXPECT_TRUE(depois->hasFocus());
}

// A click on a node's expand arrow opens or closes the node and is no click
// on it, also when the node is the selected one (the tree selects its first
// node as it takes the focus); twice on the arrow is no double click.
TEST_F(TreeClicks, TheExpandArrowOpensAndClosesAndMarksNothing) {
    QObject::connect(&tv, &widgets::TreeView::NodeClick, [this](widgets::Node *n) { log << QStringLiteral("click ") + n->Key(); });
    const QRect linha = tv.visualItemRect(a->item());
    const QPoint seta(linha.left() - tv.indentation() / 2, linha.center().y());
    ASSERT_TRUE(tv.AoLadoDoNo(seta));
    ASSERT_FALSE(tv.AoLadoDoNo(at(a)));
    struct Caso {
        const char *nome;
        widgets::Node *selecionado;
    };
    for (const Caso &c : {Caso{"node not selected", b}, Caso{"node selected", a}}) {
        SCOPED_TRACE(c.nome);
        c.selecionado->setSelected(true);
        log.clear();
        const bool antes = a->Expanded();
        mouse(tv.viewport(), QEvent::MouseButtonPress, seta, false);
        mouse(tv.viewport(), QEvent::MouseButtonRelease, seta, false);
        EXPECT_NE(a->Expanded(), antes) << "the arrow opens or closes the node";
        EXPECT_EQ(tv.SelectedItem(), c.selecionado);
        mouse(tv.viewport(), QEvent::MouseButtonPress, seta, false);
        mouse(tv.viewport(), QEvent::MouseButtonRelease, seta, false);
        mouse(tv.viewport(), QEvent::MouseButtonDblClick, seta, false);
        mouse(tv.viewport(), QEvent::MouseButtonRelease, seta, false);
        EXPECT_EQ(log, QStringList()) << "neither a click nor a double click on the node";
    }
    // On the node itself a click is a click.
    mouse(tv.viewport(), QEvent::MouseButtonPress, at(a), false);
    mouse(tv.viewport(), QEvent::MouseButtonRelease, at(a), false);
    EXPECT_EQ(log, (QStringList{"click _001"}));
}
