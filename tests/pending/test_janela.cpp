// The pending list as the user handles it: keys and clicks choose the row the
// buttons act on, resizing keeps the rows in place, the columns show their
// amounts, dates and names whole, and the rows a reversal adds come into view.
#include "PendenciasFixture.h"
#include "platform/ui/GuiTest.h"

#include "platform/ui/Input.h"
#include "platform/widgets/FlexGrid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>

#include <functional>

using testsupport::Script;

namespace {

// A press and release of the left button over a cell, as the user clicks it.
void clicar(widgets::FlexGrid *g, int linha, int coluna) {
    const QPoint p = g->visualRect(g->model()->index(linha, coluna)).center();
    QWidget *vp = g->viewport();
    QMouseEvent press(QEvent::MouseButtonPress, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(vp, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(vp, &release);
}

// The whole row shows below the fixed row, above the bottom edge or a scroll bar.
bool aVista(widgets::FlexGrid *g, int r) {
    const int y = g->rowViewportPosition(r);
    return y >= g->rowHeight(0) && y + g->rowHeight(r) <= g->viewport()->height();
}

class JanelaPendencias : public Pendencias {
protected:
    void TearDown() override {
        Pendencias::TearDown();
        platform::ui::Forms::setMdiArea(nullptr);
    }
    QApplication &app = testsupport::qtApp(); // before any widget
    QMdiArea area;
};

} // namespace

// The arrow, page and Ctrl+End keys move the selection with the cursor: the
// buttons act on the row the user sees marked, even one scrolled to.
TEST_F(JanelaPendencias, KeysMoveTheSelectionAndTheButtonsActOnTheRowUnderTheCursor) {
    plano();
    std::vector<long> ids;
    for (int i = 0; i < 40; ++i) ids.push_back(lancar("001", "003", 100 + i, hoje().addDays(-40 + i)));
    auto *f = abrirNaArea(area, QSize(1000, 700));
    ASSERT_NE(f, nullptr);
    platform::ui::DoEvents();
    widgets::FlexGrid *g = f->Fgrid;
    const int ultima = g->Rows() - 1;
    clicar(g, ultima - 5, 3);
    ASSERT_EQ(g->RowSel(), ultima - 5);
    struct Caso {
        Qt::Key tecla;
        Qt::KeyboardModifiers mod;
        int esperada; // 0: some row a page above the one before
    };
    const Caso casos[] = {{Qt::Key_Down, {}, ultima - 4}, {Qt::Key_Down, {}, ultima - 3},
                          {Qt::Key_Down, {}, ultima - 2}, {Qt::Key_Up, {}, ultima - 3},
                          {Qt::Key_Home, Qt::ControlModifier, 1}, {Qt::Key_End, Qt::ControlModifier, ultima},
                          {Qt::Key_PageUp, {}, 0},          {Qt::Key_Up, {}, -1}};
    for (const Caso &c : casos) {
        const int antes = g->RowSel();
        testsupport::Tecla(g, c.tecla, c.mod);
        SCOPED_TRACE(QKeySequence(c.tecla | c.mod).toString().toStdString());
        if (c.esperada > 0) EXPECT_EQ(g->RowSel(), c.esperada);
        else if (c.esperada == 0) EXPECT_LT(g->RowSel(), antes - 3);
        else EXPECT_EQ(g->RowSel(), antes - 1);
        EXPECT_EQ(g->Row(), g->RowSel()) << "one whole row";
        EXPECT_EQ(g->currentIndex().row(), g->RowSel()) << "the cursor is on the selected row";
        EXPECT_TRUE(aVista(g, g->RowSel()));
    }
    // Settled: the posting under the cursor, three rows below the one clicked.
    clicar(g, ultima - 5, 2);
    for (int i = 0; i < 3; ++i) testsupport::Tecla(g, Qt::Key_Down);
    Script s;
    s.yes().ok();
    f->cmdBaixar_Click();
    EXPECT_EQ(codigo(ids[std::size_t(ultima - 2 - 1)]), QStringLiteral("S"));
    EXPECT_EQ(codigo(ids[std::size_t(ultima - 5 - 1)]), QStringLiteral("?"));
    EXPECT_EQ(g->TextMatrix(ultima - 2, 1), QStringLiteral("S"));
    testsupport::Tecla(g, Qt::Key_Up);
    EXPECT_FALSE(f->cmdRemBaixa->isEnabled());
    testsupport::Tecla(g, Qt::Key_Down);
    EXPECT_TRUE(f->cmdRemBaixa->isEnabled()) << "the buttons follow the row the keys chose";
    oraculo();
}

// Maximised, scrolled by the user, then another window and back: no resize
// or activation scrolls the rows, so a click selects the row under the pointer.
TEST_F(JanelaPendencias, ResizingKeepsTheRowsInPlaceAndAClickSelectsTheRowUnderThePointer) {
    plano();
    for (int i = 0; i < 80; ++i) lancar("001", "003", 100 + i, hoje().addDays(-80 + i));
    auto *f = abrirNaArea(area, QSize(1000, 700));
    ASSERT_NE(f, nullptr);
    platform::ui::DoEvents();
    widgets::FlexGrid *g = f->Fgrid;
    f->SubWindow()->showMaximized();
    platform::ui::DoEvents();
    platform::ui::DoEvents();
    ASSERT_TRUE(aVista(g, g->Rows() - 1));
    g->verticalScrollBar()->setValue(g->rowHeight(1) * 10); // the wheel, up the list
    const int rolagem = g->verticalScrollBar()->value();
    const int topo = g->TopRow();
    struct Caso {
        const char *nome;
        std::function<void()> fazer;
    };
    auto *outra = new QWidget;
    outra->resize(200, 100);
    QMdiSubWindow *sub = area.addSubWindow(outra);
    sub->show();
    const Caso casos[] = {
        {"another window and back", [&] { area.setActiveSubWindow(sub); area.setActiveSubWindow(f->SubWindow()); }},
        {"the area a little smaller", [&] { area.resize(980, 690); }},
        {"restored and maximised again", [&] { f->SubWindow()->showNormal(); f->SubWindow()->showMaximized(); }},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        c.fazer();
        platform::ui::DoEvents();
        platform::ui::DoEvents();
        EXPECT_EQ(g->TopRow(), topo);
        EXPECT_EQ(g->verticalScrollBar()->value(), rolagem);
        const int r = topo + 4;
        clicar(g, r, 4);
        EXPECT_EQ(g->RowSel(), r) << "the row under the pointer";
        EXPECT_EQ(g->TopRow(), topo);
    }
    // A current row in view stays in view when the window shrinks under it.
    clicar(g, topo + 20, 3);
    f->SubWindow()->showNormal();
    platform::ui::DoEvents();
    platform::ui::DoEvents();
    EXPECT_TRUE(aVista(g, topo + 20));
}

// At the designed size the amounts, the dates and the names show whole;
// narrower, the grid scrolls sideways and still cuts no amount or date.
TEST_F(JanelaPendencias, AmountsDatesAndNamesShowWhole) {
    conta(QStringLiteral("001"), QStringLiteral("BANCO ALFA"));
    conta(QStringLiteral("002"), QStringLiteral("BANCO BETA"));
    tipo(QStringLiteral("003"), QStringLiteral("RECEITAS FINANCEIRAS"));
    tipo(QStringLiteral("004"), QStringLiteral("DESPESAS BANCARIAS"));
    lancar("001", "003", -9999999999, hoje().addDays(-2)); // -99.999.999,99
    lancar("002", "004", 9999999999, hoje().addDays(-1));
    lancar("001", "004", -1, hoje());
    auto *f = abrirNaArea(area, QSize(1000, 700));
    ASSERT_NE(f, nullptr);
    platform::ui::DoEvents();
    widgets::FlexGrid *g = f->Fgrid;
    const QFontMetrics fm = g->fontMetrics();
    auto inteiras = [&](int coluna) {
        int maior = 0;
        for (int r = 0; r < g->Rows(); ++r) maior = std::max(maior, fm.horizontalAdvance(g->TextMatrix(r, coluna)));
        return g->columnWidth(coluna) >= maior + 4;
    };
    struct Caso {
        const char *nome;
        int largura; // of the form; 0: as it opened
        bool nomes, rola;
    };
    const Caso casos[] = {{"designed size", 0, true, false}, {"narrow", 420, false, true}, {"wide", 1200, true, false}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        if (c.largura) f->SubWindow()->resize(c.largura + f->SubWindow()->width() - f->width(), 400);
        platform::ui::DoEvents();
        platform::ui::DoEvents();
        if (!c.largura) {
            EXPECT_EQ(f->size(), f->sizeHint());
        }
        for (int col : {2, 3}) EXPECT_TRUE(inteiras(col)) << col;
        for (int col : {4, 5}) {
            if (c.nomes) {
                EXPECT_TRUE(inteiras(col)) << col;
            }
        }
        EXPECT_EQ(g->horizontalScrollBar()->isVisible(), c.rola);
        long soma = 0;
        for (int col = 0; col < g->Cols(); ++col) soma += g->columnWidth(col);
        if (!c.rola) {
            EXPECT_LE(soma, g->viewport()->width());
        }
    }
}

// A transfer reversed in a list about as long as the window: the rows it
// adds bring the vertical scroll bar, and the last row, selected, shows whole
// above any bar.
TEST_F(JanelaPendencias, AfterAReversedTransferTheLastRowShowsWhole) {
    plano();
    for (int linhas : {16, 17, 18}) {
        SCOPED_TRACE(linhas);
        db->Execute(QStringLiteral("UPDATE Lancamentos SET Realizado = 'S' WHERE Realizado = '?'"));
        const auto t = transferir("001", "002", 700, hoje().addDays(-30));
        for (int i = 0; i < linhas - 2; ++i) lancar("001", "003", 100 + i, hoje().addDays(-20 + i));
        auto *f = abrirNaArea(area, QSize(1000, 700));
        ASSERT_NE(f, nullptr);
        platform::ui::DoEvents();
        platform::ui::DoEvents();
        ASSERT_EQ(f->Fgrid->Rows() - 1, linhas);
        selecionar(f, t.idSaida);
        Script s;
        s.yes().ok().text(QStringLiteral("H"));
        f->cmdEstornar_Click();
        platform::ui::DoEvents();
        platform::ui::DoEvents();
        widgets::FlexGrid *g = f->Fgrid;
        EXPECT_EQ(g->RowSel(), g->Rows() - 1);
        EXPECT_TRUE(aVista(g, g->Rows() - 1));
        EXPECT_FALSE(g->horizontalScrollBar()->isVisible());
        f->Unload();
    }
    oraculo();
}

// At the designed width the buttons stand where they were drawn; wider and
// narrower, every button stands whole inside the window, beside no other,
// wide enough for its caption; a row too narrow for them all goes on in a
// second one, the grid giving way above the panel.
TEST_F(JanelaPendencias, TheButtonsFollowTheWindowsWidth) {
    plano();
    lancar("001", "003", 100, hoje());
    auto *f = abrirNaArea(area, QSize(1000, 700));
    ASSERT_NE(f, nullptr);
    platform::ui::DoEvents();
    QPushButton *botoes[] = {f->cmdImprimir, f->cmdEstornar, f->cmdBaixar, f->cmdRemBaixa, f->cmdCancel};
    enum Fileiras { Uma, Duas, Qualquer };
    const struct {
        int largura; // of the form
        Fileiras fileiras;
    } casos[] = {{f->sizeHint().width(), Uma}, {1000, Uma}, {480, Qualquer}, {360, Duas}};
    for (const auto &c : casos) {
        SCOPED_TRACE(c.largura);
        f->SubWindow()->resize(c.largura + f->SubWindow()->width() - f->width(), 400);
        platform::ui::DoEvents();
        platform::ui::DoEvents();
        ASSERT_EQ(f->width(), c.largura);
        bool segunda = false;
        for (QPushButton *b : botoes) {
            SCOPED_TRACE(b->text().toStdString());
            const QRect r(b->mapTo(f, QPoint(0, 0)), b->size());
            EXPECT_TRUE(b->isVisibleTo(f));
            EXPECT_TRUE(f->rect().contains(r)) << "cut by the window's edge";
            EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))) + 8);
            EXPECT_GE(r.top(), f->Fgrid->geometry().bottom()) << "under the grid";
            for (QPushButton *o : botoes) {
                if (o != b) {
                    EXPECT_FALSE(b->geometry().intersects(o->geometry())) << o->text().toStdString();
                }
            }
            segunda = segunda || b->y() > botoes[0]->y();
        }
        if (c.largura == f->sizeHint().width())
            for (int i = 0; i < 5; ++i) {
                EXPECT_EQ(botoes[i]->geometry(), QRect((240 + i * 1995) / 15, 4, 111, 25)) << "as drawn";
            }
        if (c.fileiras != Qualquer) {
            EXPECT_EQ(segunda, c.fileiras == Duas);
        }
        EXPECT_EQ(f->picBotton->geometry().bottom(), f->height() - 1);
        EXPECT_EQ(f->Fgrid->geometry().bottom() + 1, f->picBotton->y());
    }
}

// Dragged narrower than the window lays itself out at, or than its buttons
// need in two rows, the window stops there: every button stays whole inside
// it and the grid's scroll bars inside the window, above the buttons.
TEST_F(JanelaPendencias, AWindowMadeNarrowerThanItsButtonsNeedStopsWhereTheyStandWhole) {
    plano();
    for (int i = 0; i < 30; ++i) lancar("001", "003", 100 + i, hoje().addDays(-30 + i));
    auto *f = abrirNaArea(area, QSize(1000, 700));
    ASSERT_NE(f, nullptr);
    platform::ui::DoEvents();
    QMdiSubWindow *s = f->SubWindow();
    QPushButton *botoes[] = {f->cmdImprimir, f->cmdEstornar, f->cmdBaixar, f->cmdRemBaixa, f->cmdCancel};
    const QSize moldura = s->size() - f->size();
    const QSize casos[] = {{290, 400}, {250, 400}, {120, 300}};
    for (const QSize &c : casos) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(c.width()).arg(c.height()).toStdString());
        s->resize(c);
        platform::ui::DoEvents();
        platform::ui::DoEvents();
        EXPECT_GE(f->width() * 15, 5200) << "narrower, the window would leave its layout as it is";
        EXPECT_EQ(s->size(), f->size() + moldura) << "the form fills its frame";
        for (QPushButton *b : botoes) {
            SCOPED_TRACE(b->text().toStdString());
            EXPECT_TRUE(b->isVisibleTo(f));
            EXPECT_TRUE(f->rect().contains(QRect(b->mapTo(f, QPoint(0, 0)), b->size()))) << "cut by the window's edge";
            EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))) + 8);
        }
        EXPECT_LE(f->picBotton->y() + f->picBotton->height(), f->height());
        for (QScrollBar *barra : {f->Fgrid->verticalScrollBar(), f->Fgrid->horizontalScrollBar()}) {
            if (!barra->isVisibleTo(f)) continue;
            const QRect r(barra->mapTo(f, QPoint(0, 0)), barra->size());
            EXPECT_TRUE(f->rect().contains(r)) << "a scroll bar clipped";
            EXPECT_LE(r.bottom(), f->picBotton->y()) << "a scroll bar under the buttons";
        }
        EXPECT_TRUE(f->Fgrid->verticalScrollBar()->isVisibleTo(f)) << "thirty rows do not fit";
    }
}
