#include "platform/widgets/ActiveText.h"

#include "platform/value/JetDate.h"

#include "platform/ui/Input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace widgets {

ActiveText::ActiveText(QWidget *parent) : QLineEdit(parent) {}

QColor ActiveText::WindowColour() { return QApplication::palette().color(QPalette::Active, QPalette::Base); }

QColor ActiveText::BackColor() const { return palette().color(QPalette::Base); }

void ActiveText::setBackColor(const QColor &c) {
    QPalette p = palette();
    p.setColor(QPalette::Base, c);
    setPalette(p);
}

void ActiveText::focusInEvent(QFocusEvent *e) {
    QLineEdit::focusInEvent(e);
    if (focusColours_) setBackColor(FocusColour());
    if (focusSelect_) QTimer::singleShot(0, this, [this] { selectAll(); });
}

void ActiveText::focusOutEvent(QFocusEvent *e) {
    QLineEdit::focusOutEvent(e);
    if (focusColours_) setBackColor(WindowColour());
}

void ActiveText::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        if (enterTab_) platform::ui::SendTab();
        else emit EnterPressed();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

// ---- DateBox ----------------------------------------------------------------

DateBox::DateBox(QWidget *parent) : ActiveText(parent) {
    setInputMask(QStringLiteral("99/99/9999;_"));
    setMaxLength(10);
}

QString DateBox::Text() const {
    QString t = QLineEdit::text();
    t.remove(QLatin1Char('_'));
    t.remove(QLatin1Char(' '));
    while (t.endsWith(QLatin1Char('/'))) t.chop(1);
    return t;
}

void DateBox::setText(const QString &t) { QLineEdit::setText(t); }

std::optional<QDate> DateBox::Parse(const QString &text) { return value::parseBrTyped(text); }

// ---- AmountBox --------------------------------------------------------------

AmountBox::AmountBox(QWidget *parent) : ActiveText(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setMaxLength(13);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9.]*(,[0-9]{0,2})?")), this));
}

void AmountBox::setValueText(const QString &t) { QLineEdit::setText(t); }

std::optional<value::Currency> AmountBox::Value() const {
    const QString t = ValueText();
    if (t.isEmpty()) return std::nullopt;
    return value::Currency::parseBr(t);
}

void AmountBox::focusOutEvent(QFocusEvent *e) {
    ActiveText::focusOutEvent(e);
    // Shown in the user's format once left: "1.234,56".
    if (auto v = Value()) {
        const QString f = v->toBr();
        if (f.size() <= maxLength()) QLineEdit::setText(f);
    }
}

} // namespace widgets
