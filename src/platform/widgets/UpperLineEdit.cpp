#include "platform/widgets/UpperLineEdit.h"

#include <QKeyEvent>
#include <QTimer>

namespace widgets {

void UpperLineEdit::keyPressEvent(QKeyEvent *e) {
    const QString t = e->text();
    if (!t.isEmpty() && t != t.toUpper() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QKeyEvent up(e->type(), e->key(), e->modifiers(), t.toUpper(), e->isAutoRepeat(), ushort(e->count()));
        QLineEdit::keyPressEvent(&up);
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void UpperLineEdit::focusInEvent(QFocusEvent *e) {
    QLineEdit::focusInEvent(e);
    if (selectOnFocus) QTimer::singleShot(0, this, [this] { setSelection(0, int(text().size())); });
}

} // namespace widgets
