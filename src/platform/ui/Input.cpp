#include "platform/ui/Input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>
#include <QWidget>

namespace platform::ui {
namespace {
QPointer<QWidget> gLocked;
}

void SendTab() {
    QWidget *w = QApplication::focusWidget();
    if (!w)
        return;
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t")));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t")));
}

void DoEvents() { QCoreApplication::processEvents(); }

void DiscardQueuedKeyboardInput() {
    for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease, QEvent::ShortcutOverride})
        QCoreApplication::removePostedEvents(nullptr, t);
}

void DiscardQueuedMouseInput() {
    for (QEvent::Type t : {QEvent::MouseMove, QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                           QEvent::MouseButtonDblClick})
        QCoreApplication::removePostedEvents(nullptr, t);
}

void Sleep(int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); }

bool LockWindowUpdate(QWidget *w) {
    if (!w) {
        if (gLocked)
            gLocked->setUpdatesEnabled(true);
        gLocked = nullptr;
        return true;
    }
    if (gLocked && gLocked != w)
        return false;
    gLocked = w;
    w->setUpdatesEnabled(false);
    return true;
}

QWidget *LockedWindow() { return gLocked; }

} // namespace platform::ui
