#include "platform/widgets/CheckBox.h"

#include "platform/ui/Input.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace widgets {

CheckBox::CheckBox(QWidget *parent) : QCheckBox(parent) {
    connect(this, &QCheckBox::toggled, this, [this] { emit Click(); });
}

void CheckBox::focusInEvent(QFocusEvent *e) {
    QCheckBox::focusInEvent(e);
    emit GotFocus();
}

void CheckBox::focusOutEvent(QFocusEvent *e) {
    QCheckBox::focusOutEvent(e);
    emit LostFocus();
}

void CheckBox::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        platform::ui::SendTab();
        return;
    }
    QCheckBox::keyPressEvent(e);
}

CheckLabel::CheckLabel(const QString &text, CheckBox *box, QWidget *parent) : QLabel(text, parent), box_(box) {
    setBuddy(box);
    connect(box, &CheckBox::GotFocus, this, [this] { highlight(true); });
    connect(box, &CheckBox::LostFocus, this, [this] { highlight(false); });
}

void CheckLabel::highlight(bool on) {
    if (on) {
        QPalette p = palette();
        p.setColor(QPalette::Window, FocusColour());
        setPalette(p);
        setAutoFillBackground(true);
    } else {
        // Back to the window's own background: nothing of our own is painted.
        setAutoFillBackground(false);
        setPalette(QPalette());
    }
}

void CheckLabel::mousePressEvent(QMouseEvent *e) {
    pressed_ = e->button() == Qt::LeftButton;
    QLabel::mousePressEvent(e);
}

void CheckLabel::mouseReleaseEvent(QMouseEvent *e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(e);
    if (!click || !box_ || !box_->isEnabled()) return;
    box_->setValue(box_->Value() == 1 ? 0 : 1);
    box_->setFocus(Qt::MouseFocusReason);
}

} // namespace widgets
