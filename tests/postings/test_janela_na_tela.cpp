// What the user of the posting window and of the transfer dialog sees and
// types: the layout of the captions, the tree panes over the fields, Esc on
// an open list, and the window's access keys against the main menu's.
#include "LancamentosFixture.h"

#include "postings/frmTrans.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>

using testsupport::Script;

namespace {

// Sends the key as the platform does: first the shortcut override to the
// focused widget (accepted means no menu or other shortcut takes the key),
// then the key press. Answers whether the override was claimed.
bool teclar(QWidget *foco, Qt::Key key, Qt::KeyboardModifiers mods) {
    QKeyEvent over(QEvent::ShortcutOverride, key, mods);
    over.ignore();
    QApplication::sendEvent(foco, &over);
    const bool claimed = over.isAccepted();
    if (claimed) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(foco, &press);
    }
    return claimed;
}

} // namespace

// Every caption of the posting window and of the transfer dialog shows whole,
// in the window's one font size, over nothing else, inside the window.
TEST_F(Lancamentos, CaptionsNeitherOverlapNorGetCutAndShareOneFontSize) {
    plano();
    auto *f = abrir();
    postings::frmTrans t;
    t.setAttribute(Qt::WA_DeleteOnClose, false);
    t.Load();
    ASSERT_TRUE(t.IsLoaded());
    t.show();
    for (QWidget *janela : {static_cast<QWidget *>(f), static_cast<QWidget *>(&t)}) {
        SCOPED_TRACE(janela->objectName().toStdString());
        const QList<QLabel *> rotulos = janela->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_GE(rotulos.size(), 7);
        for (QLabel *a : rotulos) {
            SCOPED_TRACE(a->text().toStdString());
            if (!a->isVisible()) continue;
            EXPECT_EQ(a->font().pointSizeF(), janela->font().pointSizeF()) << "a smaller caption";
            const QString texto = a->text().remove(QLatin1Char('&'));
            if (a->wordWrap())
                EXPECT_LE(a->heightForWidth(a->width()), a->height()) << "wrapped caption cut";
            else
                EXPECT_LE(QFontMetrics(a->font()).horizontalAdvance(texto), a->width()) << "caption cut";
            EXPECT_TRUE(janela->rect().contains(a->geometry())) << "outside the window";
            for (QWidget *b : janela->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
                if (b == a || !b->isVisible()) continue;
                EXPECT_FALSE(a->geometry().intersects(b->geometry())) << "overlaps " << b->objectName().toStdString();
            }
        }
    }
    t.Unload();
}

// The grid's columns hold, in our font, the texts they were made for, and a
// window maximised on a 1280-pixel screen shows where the history starts.
TEST_F(Lancamentos, TheGridsColumnsHoldTheirTextsAndTheHistoryStartsOnScreen) {
    plano();
    auto *f = abrir();
    const QFontMetrics fm = f->Fgrid->fontMetrics();
    struct Caso {
        int coluna;
        const char *texto;
    };
    for (const Caso &c : {Caso{1, "31/12/2024"}, Caso{2, "-99.999.999,99"}, Caso{3, "BANCO DO BRASIL"},
                          Caso{4, "ENERGIA ELÉTRICA"}, Caso{5, "NF 000123456789"}, Caso{6, "CONTA DE LUZ DO MES DE JANEIRO PAGA NO BANCO"}}) {
        SCOPED_TRACE(c.texto);
        EXPECT_LE(fm.horizontalAdvance(QString::fromUtf8(c.texto)) + 6, f->Fgrid->columnWidth(c.coluna));
    }
    int inicioDoHistorico = 0;
    for (int c = 0; c < 6; ++c) inicioDoHistorico += f->Fgrid->columnWidth(c);
    EXPECT_LT(inicioDoHistorico + 40, 1280);
}

TEST_F(Lancamentos, ATreePaneHidesTheFieldsUnderIt) {
    plano();
    auto *f = abrir();
    f->cmdArvContas_Click();
    ASSERT_TRUE(f->frContas->isVisible());
    const QRect pane = f->frContas->geometry();
    // The captions of the second row lie under the pane: changing them must
    // not change one pixel of the pane.
    QList<QLabel *> sob;
    for (QLabel *l : f->findChildren<QLabel *>())
        if (l->isVisible() && pane.intersects(l->geometry()) && l->parentWidget() == f) sob << l;
    ASSERT_FALSE(sob.isEmpty());
    const QImage antes = f->grab(pane).toImage();
    for (QLabel *l : sob) l->setText(QStringLiteral("WWWWWWWWWWWWWWWWWWWW"));
    const QImage depois = f->grab(pane).toImage();
    EXPECT_TRUE(antes == depois) << "the fields under the pane show through it";
}

TEST_F(Lancamentos, EscOnAnOpenListClosesTheListNotTheWindow) {
    plano();
    auto *f = abrir();
    for (widgets::EditCombo *cb : {f->cbContas, f->cbTiposMov}) {
        SCOPED_TRACE(cb->objectName().toStdString());
        cb->setFocus();
        cb->setText(QStringLiteral("CA"));
        cb->ShowDropDown(true);
        ASSERT_TRUE(cb->DroppedDown());
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(cb, &esc);
        EXPECT_FALSE(cb->DroppedDown());
        EXPECT_TRUE(f->IsLoaded()) << "the typing is lost with the window";
        EXPECT_EQ(cb->Text(), QStringLiteral("CA"));
    }
    // With no list open, Esc is the window's "&Fechar".
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(f->cbContas, &esc);
    EXPECT_FALSE(f->IsLoaded());
}

TEST_F(Lancamentos, TransferDialogEscOnAnOpenListKeepsTheDialog) {
    plano();
    postings::frmTrans t;
    t.setAttribute(Qt::WA_DeleteOnClose, false);
    t.Load();
    ASSERT_TRUE(t.IsLoaded());
    t.show();
    for (widgets::EditCombo *cb : {t.cbContaOrig, t.cbContaDest}) {
        SCOPED_TRACE(cb->objectName().toStdString());
        cb->setFocus();
        cb->ShowDropDown(true);
        ASSERT_TRUE(cb->DroppedDown());
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(cb, &esc);
        EXPECT_FALSE(cb->DroppedDown());
        EXPECT_TRUE(t.IsLoaded());
    }
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(t.cbContaOrig, &esc);
    EXPECT_FALSE(t.IsLoaded());
    EXPECT_TRUE(t.Cancelado);
}

TEST_F(Lancamentos, TheWindowsAccessKeysComeBeforeTheMainMenus) {
    plano();
    auto *f = abrir();
    f->txtData->setFocus();
    // Alt+C "&Confirmar" (the menu "&Cadastros"): the confirm command runs.
    {
        Script s;
        s.ok();
        EXPECT_TRUE(teclar(f->txtData, Qt::Key_C, Qt::AltModifier));
        EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Faltando informar a conta.")});
    }
    // Alt+S "&Saída" (the menu "&Segurança"): the expense field takes the focus.
    EXPECT_TRUE(teclar(f->focusWidget(), Qt::Key_S, Qt::AltModifier));
    EXPECT_EQ(f->focusWidget(), f->txtSaida);
    // Alt+O "Est&ornar Lançamento" (the menu "&Operações") on a posting row.
    Script s;
    preencher(f, QStringLiteral("CAIXA"), QStringLiteral("SALARIO"), QStringLiteral("10/03/2008"),
              QStringLiteral("100,00"), {}, QStringLiteral("SALARIO"));
    f->cmdConfirmar_Click();
    ASSERT_EQ(f->Fgrid->RowData(f->Fgrid->RowSel()), 1);
    s.no();
    EXPECT_TRUE(teclar(f->focusWidget(), Qt::Key_O, Qt::AltModifier));
    EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Confirma o estorno do lançamento selecionado?")});
    // A letter the window does not use stays the menu's ("&Banco de Dados").
    EXPECT_FALSE(teclar(f->focusWidget(), Qt::Key_B, Qt::AltModifier));
}
