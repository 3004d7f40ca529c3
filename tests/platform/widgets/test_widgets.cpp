// The tree control and the masked boxes.
#include "platform/err/AppError.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/TreeView.h"
#include "support/ErrorOf.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <functional>

namespace {

long errorOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const err::AppError &e) {
        return e.number();
    }
    return 0;
}

class Tree : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        for (const char *k : {"A", "ASEL", "AEXP"}) images.Add(QString::fromLatin1(k), QIcon());
        tv.setImageList(&images);
        connect();
    }
    void connect() {
        QObject::connect(&tv, &widgets::TreeView::Expand, [this](widgets::Node *n) {
            events << QStringLiteral("+") + n->Key();
            if (onExpand) onExpand(n);
        });
        QObject::connect(&tv, &widgets::TreeView::Collapse, [this](widgets::Node *n) { events << QStringLiteral("-") + n->Key(); });
    }
    QApplication &app = testsupport::qtApp(); // before any widget
    widgets::ImageList images;
    widgets::TreeView tv;
    QStringList events;
    std::function<void(widgets::Node *)> onExpand;
};

} // namespace

TEST_F(Tree, ExpandAndCollapseFireAtOnceWhenCodeChangesANodeWithChildren) {
    widgets::Node *r = tv.Add(QString(), widgets::tvwLast, QStringLiteral("_000"), QStringLiteral("raiz"));
    tv.Add(QStringLiteral("_000"), widgets::tvwChild, QStringLiteral("D_000"), QStringLiteral("Dummy"));
    // The handler replaces the placeholder while the setter is still running.
    onExpand = [this](widgets::Node *n) {
        tv.Remove(QStringLiteral("D") + n->Key());
        tv.Add(n->Key(), widgets::tvwChild, QStringLiteral("_001"), QStringLiteral("um"));
    };
    r->setExpanded(true);
    EXPECT_EQ(events, QStringList{QStringLiteral("+_000")});
    EXPECT_EQ(r->Child()->Key(), QStringLiteral("_001"));
    EXPECT_TRUE(r->item()->isExpanded());
    r->setExpanded(true); // no change, no event
    r->setExpanded(false);
    EXPECT_EQ(events, (QStringList{QStringLiteral("+_000"), QStringLiteral("-_000")}));
    // A node without children changes state silently.
    widgets::Node *folha = tv.Item(QStringLiteral("_001"));
    folha->setExpanded(true);
    folha->setExpanded(false);
    EXPECT_EQ(events.size(), 2);
    // The view's own expansion (the user's click) raises the event once.
    onExpand = nullptr;
    tv.expandItem(r->item());
    EXPECT_EQ(events.last(), QStringLiteral("+_000"));
    EXPECT_EQ(events.size(), 3);
    EXPECT_TRUE(r->Expanded());
    tv.collapseItem(r->item());
    EXPECT_EQ(events.last(), QStringLiteral("-_000"));
    EXPECT_FALSE(r->Expanded());
}

TEST_F(Tree, KeysAreUniqueAndImagesMustBeInTheList) {
    tv.Add(QString(), widgets::tvwLast, QStringLiteral("_000"), QStringLiteral("raiz"), QStringLiteral("A"));
    EXPECT_EQ(errorOf([&] { tv.Add(QString(), widgets::tvwLast, QStringLiteral("_000"), QStringLiteral("x")); }),
              widgets::kErrKeyNotUnique);
    EXPECT_EQ(errorOf([&] { tv.Add(QStringLiteral("_999"), widgets::tvwChild, QStringLiteral("_1"), QStringLiteral("x")); }),
              widgets::kErrElementNotFound);
    EXPECT_EQ(errorOf([&] { tv.Item(QStringLiteral("_000"))->setImage(QStringLiteral("NENHUMA")); }),
              widgets::kErrElementNotFound);
    EXPECT_EQ(errorOf([&] { tv.Remove(QStringLiteral("_x")); }), widgets::kErrElementNotFound);
    tv.Add(QStringLiteral("_000"), widgets::tvwChild, QStringLiteral("_001"), QStringLiteral("a"));
    tv.Add(QStringLiteral("_001"), widgets::tvwChild, QStringLiteral("_001.001"), QStringLiteral("b"));
    tv.Remove(QStringLiteral("_001"));
    EXPECT_EQ(tv.Item(QStringLiteral("_001.001")), nullptr);
    EXPECT_EQ(tv.Count(), 1);
    // The key can be used again once removed.
    EXPECT_NE(tv.Add(QStringLiteral("_000"), widgets::tvwChild, QStringLiteral("_001.001"), QStringLiteral("b")), nullptr);
}

TEST_F(Tree, SortedChildrenFollowPortugueseOrderIgnoringCase) {
    widgets::Node *r = tv.Add(QString(), widgets::tvwLast, QStringLiteral("_000"), QStringLiteral("raiz"));
    r->setSorted(true);
    for (const char *t : {"zebra", "Ébano", "caixa", "Banco", "água"})
        tv.Add(QStringLiteral("_000"), widgets::tvwChild, QStringLiteral("_") + QString::fromUtf8(t), QString::fromUtf8(t));
    QStringList ordem;
    for (widgets::Node *c : r->ChildList()) ordem << c->Text();
    EXPECT_EQ(ordem, (QStringList{QStringLiteral("água"), QStringLiteral("Banco"), QStringLiteral("caixa"),
                                  QStringLiteral("Ébano"), QStringLiteral("zebra")}));
    // The view shows the same order, and a renamed node moves to its place.
    EXPECT_EQ(r->item()->child(0)->text(0), QStringLiteral("água"));
    tv.Item(QStringLiteral("_zebra"))->setText(QStringLiteral("Abacate"));
    EXPECT_EQ(r->Child()->Text(), QStringLiteral("Abacate"));
    EXPECT_EQ(r->item()->child(0)->text(0), QStringLiteral("Abacate"));
}

// A renamed node moves among its sorted siblings with its branch: what was
// open below it is shown open still, as the nodes hold it, at every depth.
TEST_F(Tree, RenamingKeepsTheBranchOpenBelowTheMovedNode) {
    widgets::Node *r = tv.Add(QString(), widgets::tvwLast, QStringLiteral("_000"), QStringLiteral("raiz"));
    r->setSorted(true);
    for (const char *k : {"_b", "_d"}) tv.Add(QStringLiteral("_000"), widgets::tvwChild, QString::fromLatin1(k), QString::fromLatin1(k).mid(1));
    QString pai = QStringLiteral("_d");
    for (int nivel = 0; nivel < 4; ++nivel) {
        const QString k = pai + QStringLiteral(".1");
        tv.Add(pai, widgets::tvwChild, k, k);
        tv.Add(pai, widgets::tvwChild, pai + QStringLiteral(".2"), pai + QStringLiteral(".2"));
        pai = k;
    }
    tv.show();
    for (const QString &k : {QStringLiteral("_000"), QStringLiteral("_d"), QStringLiteral("_d.1"), QStringLiteral("_d.1.1")})
        tv.Item(k)->setExpanded(true);
    struct Caso {
        const char *novo;
        bool reordenar; // the parent's children sorted again instead
    };
    for (const Caso &c : {Caso{"a", false}, Caso{"z", false}, Caso{"c", true}}) {
        SCOPED_TRACE(c.novo);
        if (c.reordenar) r->setSorted(true);
        else tv.Item(QStringLiteral("_d"))->setText(QString::fromLatin1(c.novo));
        for (const char *k : {"_d", "_d.1", "_d.1.1", "_d.1.1.1", "_d.2", "_d.1.2"}) {
            widgets::Node *n = tv.Item(QString::fromLatin1(k));
            EXPECT_EQ(n->item()->isExpanded(), n->Expanded()) << k;
        }
        EXPECT_TRUE(tv.Item(QStringLiteral("_d.1.1"))->item()->isExpanded());
        EXPECT_FALSE(tv.Item(QStringLiteral("_d.1.1.1"))->item()->isExpanded());
    }
}

TEST_F(Tree, RenamingKeepsTheViewsSelectionOnTheSelectedNode) {
    widgets::Node *r = tv.Add(QString(), widgets::tvwLast, QStringLiteral("_000"), QStringLiteral("raiz"));
    r->setSorted(true);
    for (const char *t : {"b", "d", "f"})
        tv.Add(QStringLiteral("_000"), widgets::tvwChild, QStringLiteral("_") + QString::fromLatin1(t), QString::fromLatin1(t));
    r->setExpanded(true);
    tv.show();
    // Renaming the selected node (it moves) and renaming another one (the
    // selected one does not move, its neighbours do).
    struct Caso {
        const char *selecionado, *renomeado, *texto;
    };
    for (const Caso &c : {Caso{"_d", "_d", "a"}, Caso{"_d", "_d", "z"}, Caso{"_b", "_f", "c"}}) {
        SCOPED_TRACE(std::string(c.renomeado) + " -> " + c.texto);
        widgets::Node *sel = tv.Item(QString::fromLatin1(c.selecionado));
        tv.setSelectedItem(sel);
        tv.Item(QString::fromLatin1(c.renomeado))->setText(QString::fromLatin1(c.texto));
        EXPECT_EQ(tv.SelectedItem(), sel);
        EXPECT_EQ(tv.currentItem(), sel->item());
        ASSERT_EQ(tv.selectedItems().size(), 1);
        EXPECT_EQ(tv.selectedItems().first(), sel->item());
    }
}

TEST_F(Tree, ShownPictureFollowsSelectionThenExpansion) {
    widgets::Node *r = tv.Add(QString(), widgets::tvwLast, QStringLiteral("_000"), QStringLiteral("raiz"), QStringLiteral("A"),
                              QStringLiteral("ASEL"));
    r->setExpandedImage(QStringLiteral("AEXP"));
    tv.Add(QStringLiteral("_000"), widgets::tvwChild, QStringLiteral("_001"), QStringLiteral("um"));
    EXPECT_EQ(r->ShownImage(), QStringLiteral("A"));
    r->setExpanded(true);
    EXPECT_EQ(r->ShownImage(), QStringLiteral("AEXP"));
    tv.setSelectedItem(r);
    EXPECT_EQ(r->ShownImage(), QStringLiteral("ASEL"));
    EXPECT_EQ(tv.SelectedItem(), r);
}

TEST(MaskedBoxes, DateBoxGivesTypedTextAndParsesBothYearForms) {
    testsupport::qtApp();
    widgets::DateBox d;
    EXPECT_EQ(d.Text(), QString());
    struct Caso { const char *digitado; const char *texto; bool valida; };
    const Caso casos[] = {{"10032008", "10/03/2008", true}, {"100308", "10/03/08", true}, {"3102202", "31/02/202", false},
                          {"31022020", "31/02/2020", false}, {"2902202", "29/02/202", false}, {"29022020", "29/02/2020", true}};
    for (const Caso &c : casos) {
        d.clear();
        d.setCursorPosition(0);
        for (QChar ch : QString::fromLatin1(c.digitado)) {
            QKeyEvent k(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(&d, &k);
        }
        EXPECT_EQ(d.Text(), QString::fromLatin1(c.texto)) << c.digitado;
        EXPECT_EQ(widgets::DateBox::Parse(d.Text()).has_value(), c.valida) << c.digitado;
    }
    EXPECT_EQ(widgets::DateBox::Parse(QStringLiteral("10/03/08")), QDate(2008, 3, 10));
}

TEST(MaskedBoxes, AmountBoxReadsBrazilianAmountsAndEnterFollowsTheOwner) {
    testsupport::qtApp();
    widgets::AmountBox a;
    EXPECT_EQ(a.alignment() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(a.maxLength(), 13);
    EXPECT_FALSE(a.Value().has_value());
    a.setValueText(QStringLiteral("1.234,56"));
    EXPECT_EQ(a.Value(), value::Currency::fromUnits(12345600));
    a.setValueText(QStringLiteral("-0,5"));
    EXPECT_EQ(a.Value(), value::Currency::fromUnits(-5000));
    // A third decimal cannot be typed.
    a.setValueText(QStringLiteral("1,23"));
    a.setCursorPosition(4);
    QKeyEvent k(QEvent::KeyPress, Qt::Key_9, Qt::NoModifier, QStringLiteral("9"));
    QCoreApplication::sendEvent(&a, &k);
    EXPECT_EQ(a.ValueText(), QStringLiteral("1,23"));
    // Enter: the owner's command instead of a Tab.
    a.setEnterSendsTab(false);
    int enters = 0;
    QObject::connect(&a, &widgets::ActiveText::EnterPressed, [&] { ++enters; });
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&a, &enter);
    EXPECT_EQ(enters, 1);
    // Focus colours.
    a.setBackColor(widgets::ActiveText::FocusColour());
    EXPECT_EQ(a.BackColor(), QColor(255, 255, 0));
}

namespace {
void clicar(widgets::TreeView &tv, Qt::MouseButton botao, const QPoint &p) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), QPointF(tv.viewport()->mapToGlobal(p)), botao, botao, Qt::NoModifier);
    QApplication::sendEvent(tv.viewport(), &e);
}
} // namespace

// Lines padded to 67 characters minus three per level end in one column when
// a level is indented by three characters of the fixed-pitch font.
TEST_F(Tree, FixedPitchAndThreeCharactersPerLevelLineUpTheEnds) {
    tv.setFixedPitchFont(QStringLiteral("Courier New"), 9);
    tv.setIndentChars(3);
    EXPECT_TRUE(QFontInfo(tv.font()).fixedPitch());
    tv.resize(700, 300);
    tv.show();
    QStringList chaves{QStringLiteral("_001"), QStringLiteral("_001.001"), QStringLiteral("_001.001.001")};
    QString pai;
    for (int nivel = 0; nivel < 3; ++nivel) {
        widgets::Node *n = tv.Add(pai, pai.isEmpty() ? widgets::tvwLast : widgets::tvwChild, chaves[nivel],
                                  QStringLiteral("X").leftJustified(67 - 3 * nivel, QLatin1Char(' ')));
        if (!pai.isEmpty()) tv.Item(pai)->setExpanded(true);
        (void)n;
        pai = chaves[nivel];
    }
    const int cw = QFontMetrics(tv.font()).horizontalAdvance(QLatin1Char('0'));
    QList<int> fins;
    for (const QString &k : chaves) {
        const QRect r = tv.visualItemRect(tv.Item(k)->item());
        fins << r.left() + QFontMetrics(tv.font()).horizontalAdvance(tv.Item(k)->Text());
    }
    EXPECT_EQ(fins[0], fins[1]);
    EXPECT_EQ(fins[1], fins[2]);
    EXPECT_EQ(tv.indentation(), 3 * cw);
    // A new font keeps three characters per level.
    tv.setFixedPitchFont(QStringLiteral("Courier New"), 14);
    EXPECT_EQ(tv.indentation(), 3 * QFontMetrics(tv.font()).horizontalAdvance(QLatin1Char('0')));
}

// The right button reports where it was pressed; the handler finds the node
// there (or none) and opens its menu at that point, which a listener can drive.
TEST_F(Tree, RightButtonHitTestAndPopupMenu) {
    tv.resize(300, 200);
    tv.show();
    tv.Add(QString(), widgets::tvwLast, QStringLiteral("_001"), QStringLiteral("um"));
    QMenu menu;
    QAction *acao = menu.addAction(QStringLiteral("Abrir"));
    QStringList feito;
    QObject::connect(acao, &QAction::triggered, [&] { feito << QStringLiteral("abrir"); });
    QObject::connect(&tv, &widgets::TreeView::MouseDown, [&](int botao, int, const QPoint &p) {
        widgets::Node *n = tv.HitTest(p);
        feito << QStringLiteral("%1:%2").arg(botao).arg(n ? n->Key() : QStringLiteral("-"));
        if (botao == 2 && n) tv.PopupMenu(&menu, p);
    });
    QObject::connect(&tv, &widgets::TreeView::PopupShown, [&](QMenu *m, const QPoint &) {
        EXPECT_TRUE(m->isVisible());
        m->actions().first()->trigger();
        m->close();
    });
    const QPoint noNo = tv.visualItemRect(tv.Item(QStringLiteral("_001"))->item()).center();
    clicar(tv, Qt::RightButton, noNo);
    clicar(tv, Qt::RightButton, QPoint(noNo.x(), 180));
    EXPECT_EQ(feito, (QStringList{QStringLiteral("2:_001"), QStringLiteral("abrir"), QStringLiteral("2:-")}));
    // The right button selects nothing by itself.
    EXPECT_EQ(tv.SelectedItem(), nullptr);
}

TEST(Grid, TheFixedRowAndColumnStayWhileTheCellsScroll) {
    testsupport::qtApp();
    widgets::FlexGrid g;
    g.setFormatString(QStringLiteral("^    |<Data        |>Valor          |<Conta                         |<Histórico"
                                     "                                        "));
    g.setRows(1);
    for (int r = 1; r <= 60; ++r)
        g.AddItem(QStringLiteral("%1\t01/03/2008\t%1,00\tCONTA %1\tHISTÓRICO DA LINHA %1").arg(r));
    g.RemoveItem(1); // the empty row the grid starts with
    g.resize(320, 200);
    g.show();
    const QRect vp = g.viewport()->geometry();
    const QRect linhaFixa(vp.x(), vp.y(), vp.width(), g.rowHeight(0));
    const QRect colunaFixa(vp.x(), vp.y(), g.columnWidth(0), vp.height());
    const QRect celulas(vp.x() + g.columnWidth(0), vp.y() + g.rowHeight(0), vp.width() - g.columnWidth(0),
                        vp.height() - g.rowHeight(0));

    const QImage cabecalho = g.grab(linhaFixa).toImage();
    const QImage antes = g.grab(celulas).toImage();
    g.setTopRow(40);
    EXPECT_EQ(g.TopRow(), 40);
    EXPECT_EQ(g.visualRect(g.model()->index(40, 1)).top(), g.rowHeight(0)) << "the top row lies under the fixed row";
    EXPECT_TRUE(g.grab(linhaFixa).toImage() == cabecalho) << "the header row scrolled";
    EXPECT_FALSE(g.grab(celulas).toImage() == antes) << "nothing scrolled";

    const QImage primeira = g.grab(colunaFixa).toImage();
    g.scrollTo(g.model()->index(40, g.Cols() - 1));
    ASSERT_GT(g.horizontalScrollBar()->value(), 0);
    EXPECT_TRUE(g.grab(colunaFixa).toImage() == primeira) << "the first column scrolled";
    // A cell brought into view from the left comes out from under the first column.
    g.scrollTo(g.model()->index(40, 1));
    EXPECT_GE(g.visualRect(g.model()->index(40, 1)).left(), g.columnWidth(0));
}

TEST(Grid, ColumnWidthsInTwipsFollowTheFormatAndTheProgram) {
    testsupport::qtApp();
    widgets::FlexGrid g;
    g.setFormatString(QStringLiteral("     |<Conta     |>Valor"));
    EXPECT_EQ(g.ColWidth(1), long(g.columnWidth(1)) * 15) << "twips at 15 a pixel";
    EXPECT_GT(g.ColWidth(1), g.ColWidth(2)) << "the header's blanks widen its column";
    g.setColWidth(2, 3000);
    EXPECT_EQ(g.columnWidth(2), 200);
    EXPECT_EQ(g.ColWidth(2), 3000);
    g.setColWidth(2, 3007); // whole pixels
    EXPECT_EQ(g.ColWidth(2), 3000);
    EXPECT_NE(testsupport::errorOf([&] { g.setColWidth(3, 10); }), 0);
    EXPECT_NE(testsupport::errorOf([&] { g.setColWidth(1, -15); }), 0);
    g.Refresh();
}

TEST(Grid, ManyRowsAtOnceAreTheRowsOneByOneWouldGive) {
    testsupport::qtApp();
    const QString formato = QStringLiteral("     |^Código|<Conta     |>Valor");
    const QStringList linhas = {QStringLiteral("\t?\tCAIXA\t1,00"), QStringLiteral("\tS\tBANCO"),
                                QStringLiteral("\tN\tCARTÃO\t-2,50\tsobra")};
    widgets::FlexGrid um, todos;
    for (widgets::FlexGrid *g : {&um, &todos}) g->setFormatString(formato);
    for (const QString &l : linhas) um.AddItem(l);
    todos.AddItems(linhas);
    ASSERT_EQ(todos.Rows(), um.Rows());
    for (int r = 0; r < um.Rows(); ++r) {
        EXPECT_EQ(todos.RowData(r), 0);
        for (int c = 0; c < um.Cols(); ++c) {
            EXPECT_EQ(todos.TextMatrix(r, c), um.TextMatrix(r, c)) << r << "," << c;
            const QTableWidgetItem *a = um.item(r, c), *b = todos.item(r, c);
            if (a && b) {
                EXPECT_EQ(b->textAlignment(), a->textAlignment()) << r << "," << c;
            }
        }
    }
    todos.AddItems({});
    EXPECT_EQ(todos.Rows(), um.Rows());
}
