// The boxes that turn the user's letters to capitals: whatever way the text
// goes in (typed, pasted by key or menu, dropped, composed), it goes in under
// the one rule; text the program sets is shown as given.
#include "platform/ui/GuiTest.h"
#include "platform/widgets/EditCombo.h"
#include "platform/widgets/UpperLineEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <functional>

namespace {

const QString kTexto = QStringLiteral("maria \"mãe\" ß");

void tecla(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &texto = QString()) {
    QKeyEvent e(QEvent::KeyPress, key, mods, texto);
    QCoreApplication::sendEvent(w, &e);
}

struct Via {
    const char *nome;
    std::function<void(QWidget *alvo, QLineEdit *caixa)> entrar;
};

const Via kVias[] = {
    {"typed",
     [](QWidget *alvo, QLineEdit *) {
         for (const QChar c : kTexto) tecla(alvo, 0, Qt::NoModifier, QString(c));
     }},
    {"Ctrl+V",
     [](QWidget *alvo, QLineEdit *) {
         QGuiApplication::clipboard()->setText(kTexto);
         tecla(alvo, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
     }},
    {"Shift+Insert",
     [](QWidget *alvo, QLineEdit *) {
         QGuiApplication::clipboard()->setText(kTexto);
         tecla(alvo, Qt::Key_Insert, Qt::ShiftModifier);
     }},
    {"dropped",
     [](QWidget *, QLineEdit *caixa) {
         QMimeData dados;
         dados.setText(kTexto);
         QDragEnterEvent entra(caixa->rect().center(), Qt::CopyAction, &dados, Qt::LeftButton, Qt::NoModifier);
         QCoreApplication::sendEvent(caixa, &entra);
         QDropEvent e(QPointF(caixa->rect().center()), Qt::CopyAction, &dados, Qt::LeftButton, Qt::NoModifier);
         QCoreApplication::sendEvent(caixa, &e);
     }},
    {"composed",
     [](QWidget *alvo, QLineEdit *) {
         QInputMethodEvent e;
         e.setCommitString(kTexto);
         QCoreApplication::sendEvent(alvo, &e);
     }},
};

} // namespace

TEST(Maiusculas, EveryWayInGoesInUnderTheRuleAndTheProgramsTextAsGiven) {
    testsupport::qtApp();
    const QString esperado = QStringLiteral("MARIA \"MÃE\" SS");
    for (const Via &v : kVias) {
        SCOPED_TRACE(v.nome);
        QWidget janela;
        auto *caixa = new widgets::UpperLineEdit(&janela);
        auto *lista = new widgets::EditCombo(&janela);
        lista->AddItem(QStringLiteral("BANCO ALFA"));
        janela.show();
        caixa->setFocus();
        v.entrar(caixa, caixa);
        EXPECT_EQ(caixa->text(), esperado) << "text box";
        lista->setFocus();
        v.entrar(lista, lista->lineEdit());
        EXPECT_EQ(lista->Text(), esperado) << "editable list";
        EXPECT_EQ(lista->ListIndex(), -1);
        // A plain box under the rule, as the sign-in's are.
        auto *simples = new QLineEdit(&janela);
        widgets::MaiusculasAoColar(simples);
        simples->setFocus();
        if (QString(v.nome) != QLatin1String("typed")) {
            v.entrar(simples, simples);
            EXPECT_EQ(simples->text(), esperado) << "plain box";
        }
    }
    widgets::UpperLineEdit caixa;
    caixa.setText(QStringLiteral("Banco Alfa"));
    EXPECT_EQ(caixa.text(), QStringLiteral("Banco Alfa"));
}

// The context menu's "Paste" takes the same road; the rest of the menu is
// the box's own.
TEST(Maiusculas, TheContextMenusPaste) {
    testsupport::qtApp();
    widgets::UpperLineEdit caixa;
    caixa.show();
    QGuiApplication::clipboard()->setText(QStringLiteral("joão"));
    QContextMenuEvent e(QContextMenuEvent::Mouse, caixa.rect().center(), caixa.mapToGlobal(caixa.rect().center()));
    QCoreApplication::sendEvent(&caixa, &e);
    QMenu *menu = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *m = qobject_cast<QMenu *>(w); m && m->isVisible()) menu = m;
    ASSERT_NE(menu, nullptr);
    QAction *colar = nullptr;
    for (QAction *a : menu->actions())
        if (a->text().startsWith(QStringLiteral("&Paste")) || a->text().startsWith(QStringLiteral("Co&lar"))) colar = a;
    ASSERT_NE(colar, nullptr);
    EXPECT_GT(menu->actions().size(), 5) << "the rest of the box's menu";
    colar->trigger();
    menu->close();
    EXPECT_EQ(caixa.text(), QStringLiteral("JOÃO"));
    // Undone in one step, as a paste is.
    caixa.undo();
    EXPECT_EQ(caixa.text(), QString());
}
