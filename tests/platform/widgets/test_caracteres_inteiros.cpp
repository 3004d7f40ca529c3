// A box's length limit and a character of two UTF-16 units: whether it is
// pasted, typed or composed at the limit, the box ends before it; below the
// limit it goes in whole. Both the program's text box and a plain box put
// under the rule (the sign-in's) behave so.
#include "platform/ui/GuiTest.h"
#include "platform/widgets/UpperLineEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <functional>
#include <memory>

namespace {

const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");

} // namespace

TEST(CaracteresInteiros, NoLimiteDaCaixaOCaractereDeDuasUnidadesFicaDeFora) {
    testsupport::qtApp();
    struct Caixa {
        const char *nome;
        std::function<std::unique_ptr<QLineEdit>()> criar;
    };
    const Caixa caixas[] = {
        {"UpperLineEdit", [] { return std::make_unique<widgets::UpperLineEdit>(); }},
        {"plain box under the rule",
         [] {
             auto c = std::make_unique<QLineEdit>();
             widgets::CaracteresInteiros(c.get());
             return c;
         }},
    };
    struct Via {
        const char *nome;
        std::function<void(QLineEdit &, const QString &)> entrar;
    };
    const Via vias[] = {
        {"Ctrl+V",
         [](QLineEdit &c, const QString &t) {
             QGuiApplication::clipboard()->setText(t);
             testsupport::Tecla(&c, Qt::Key_V, Qt::ControlModifier);
         }},
        {"typed", [](QLineEdit &c, const QString &t) {
             QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, t);
             QApplication::sendEvent(&c, &e);
         }},
        {"input method", [](QLineEdit &c, const QString &t) {
             QInputMethodEvent e;
             e.setCommitString(t);
             QApplication::sendEvent(&c, &e);
         }},
    };
    for (const Caixa &k : caixas) {
        for (const Via &v : vias) {
            SCOPED_TRACE(std::string(k.nome) + ", " + v.nome);
            auto c = k.criar();
            c->setMaxLength(5);
            c->setText(QStringLiteral("ABCD"));
            c->end(false);
            v.entrar(*c, kEmoji);
            EXPECT_EQ(c->text(), QStringLiteral("ABCD"));
            // In the middle, at the limit: the text after the cursor stays.
            c->setCursorPosition(2);
            v.entrar(*c, kEmoji);
            EXPECT_EQ(c->text(), QStringLiteral("ABCD"));
            EXPECT_EQ(c->cursorPosition(), 2);
            // Below the limit the whole character goes in.
            c->setText(QStringLiteral("ABC"));
            c->end(false);
            v.entrar(*c, kEmoji);
            EXPECT_EQ(c->text(), QStringLiteral("ABC") + kEmoji);
        }
    }
}
