#pragma once
// A text box whose letters become upper case: typed, pasted (Ctrl+V,
// Shift+Insert, the context menu, the middle button), dropped or composed by
// an input method, the text goes in as the one rule (Maiusculas) makes it.
// Text set by the program is shown as given.
#include <QClipboard>
#include <QLineEdit>
#include <functional>

class QEvent;

namespace widgets {

// The rule of every box that turns the user's letters to capitals.
QString Maiusculas(const QString &texto);

// For a box under the rule: does the work of an event that would put the
// user's text into it by pasting, dropping or an input method, with that
// text under the rule; true when it did (the event is done). Typed keys are
// left to the box.
bool EntradaEmMaiusculas(QLineEdit *caixa, QEvent *e);

// Puts a plain line edit under the rule for what is pasted, dropped or
// composed into it (its typed keys stay its owner's). `ativa`, when given,
// tells whether the rule applies at the moment.
void MaiusculasAoColar(QLineEdit *caixa, std::function<bool()> ativa = {});

// A box's length limit counts UTF-16 units and cuts what is typed or pasted
// there, which can split a character that takes two of them (an emoji) and
// leave half of it, stored as "?". Under this rule the half is dropped: the
// text ends before the whole character. UpperLineEdit puts itself under it.
void CaracteresInteiros(QLineEdit *caixa);

// A text box of the program: capitals (MaiusculasAoColar) and whole
// characters at its length limit (CaracteresInteiros).
class UpperLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit UpperLineEdit(QWidget *parent = nullptr);
    // Selects the whole text when the box gets the focus.
    bool selectOnFocus = false;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
};

} // namespace widgets
