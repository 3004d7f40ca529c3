#pragma once
// Masked entry boxes: the date box ("##/##/####") and the amount box
// (right-aligned, 13 characters, two decimals, "1.234,56"). Both turn yellow
// while they have the focus and take the window colour back when left, and
// Enter moves on with a Tab keystroke unless the owner asks for the Enter
// itself (EnterSendsTab false: the box emits EnterPressed instead).
#include "platform/value/Currency.h"

#include <QDate>
#include <QLineEdit>
#include <optional>

namespace widgets {

class ActiveText : public QLineEdit {
    Q_OBJECT
public:
    explicit ActiveText(QWidget *parent = nullptr);

    bool EnterSendsTab() const { return enterTab_; }
    void setEnterSendsTab(bool b) { enterTab_ = b; }
    // Yellow while focused (on by default).
    bool FocusColours() const { return focusColours_; }
    void setFocusColours(bool b) { focusColours_ = b; }
    // Back colour as the program sets it.
    QColor BackColor() const;
    void setBackColor(const QColor &c);
    // Selects the whole text on focus.
    bool FocusSelect() const { return focusSelect_; }
    void setFocusSelect(bool b) { focusSelect_ = b; }

    static QColor FocusColour() { return QColor(255, 255, 0); }   // &HFFFF
    static QColor WindowColour();                                  // &H80000005

signals:
    void EnterPressed();

protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool enterTab_ = true;
    bool focusColours_ = true;
    bool focusSelect_ = false;
};

// "dd/mm/yyyy". Text() gives what was typed with its separators, up to the
// last digit typed: 10 characters when complete, 8 with a two-digit year,
// empty when nothing was typed.
class DateBox : public ActiveText {
    Q_OBJECT
public:
    explicit DateBox(QWidget *parent = nullptr);
    QString Text() const;
    void setText(const QString &t);
    // The date the text stands for (two-digit years: 1930-2029), if valid.
    static std::optional<QDate> Parse(const QString &text);
};

// An amount with at most two decimals. ValueText() is the amount as shown
// in Brazilian Portuguese ("1.234,56"), empty when nothing was entered.
class AmountBox : public ActiveText {
    Q_OBJECT
public:
    explicit AmountBox(QWidget *parent = nullptr);
    QString ValueText() const { return text().trimmed(); }
    void setValueText(const QString &t);
    // Nothing when empty or not a number.
    std::optional<value::Currency> Value() const;

protected:
    void focusOutEvent(QFocusEvent *e) override;
};

} // namespace widgets
