#include "platform/ui/Messages.h"

#include <QCoreApplication>
#include <QHash>
#include <QMetaObject>
#include <QWidget>

namespace platform::ui {
namespace {

// Holds the replacement procedure of one window and feeds it every event.
class ProcHook : public QObject {
public:
    explicit ProcHook(QObject *window) : QObject(window) {
        setObjectName(QStringLiteral("platform::ui::ProcHook"));
        window->installEventFilter(this);
    }
    WindowProc proc = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override {
        if (e->type() == RegisteredMessageEvent::type() &&
            static_cast<RegisteredMessageEvent *>(e)->wParamGone())
            return true; // the window object it was meant for is gone
        return proc ? proc(watched, e) : false;
    }
};

ProcHook *hookOf(QObject *hwnd) {
    for (QObject *c : hwnd->children())
        if (c->objectName() == QLatin1String("platform::ui::ProcHook"))
            return static_cast<ProcHook *>(c);
    return nullptr;
}

} // namespace

int RegisterWindowMessage(const QString &name) {
    static QHash<QString, int> ids;
    auto it = ids.constFind(name);
    if (it != ids.constEnd())
        return *it;
    const int id = 0xC000 + static_cast<int>(ids.size());
    ids.insert(name, id);
    return id;
}

QEvent::Type RegisteredMessageEvent::type() {
    static const QEvent::Type t = static_cast<QEvent::Type>(QEvent::registerEventType());
    return t;
}

bool PostMessage(QObject *hwnd, int msg, QObject *wParam, qintptr lParam) {
    if (!hwnd)
        return false;
    if (msg == WM_CLOSE) {
        if (auto *w = qobject_cast<QWidget *>(hwnd))
            return QMetaObject::invokeMethod(w, &QWidget::close, Qt::QueuedConnection);
        return false;
    }
    QCoreApplication::postEvent(hwnd, new RegisteredMessageEvent(msg, wParam, lParam));
    return true;
}

WindowProc SetWindowProc(QObject *hwnd, WindowProc proc) {
    if (!hwnd)
        return nullptr;
    ProcHook *h = hookOf(hwnd);
    if (!h) {
        if (!proc)
            return nullptr;
        h = new ProcHook(hwnd);
    }
    WindowProc old = h->proc;
    h->proc = proc;
    return old;
}

bool CallWindowProc(WindowProc previous, QObject *hwnd, QEvent *e) {
    return previous ? previous(hwnd, e) : false;
}

void SetProp(QObject *hwnd, const char *name, const QVariant &value) {
    if (hwnd)
        hwnd->setProperty(name, value);
}
QVariant GetProp(QObject *hwnd, const char *name) { return hwnd ? hwnd->property(name) : QVariant(); }
void RemoveProp(QObject *hwnd, const char *name) {
    if (hwnd)
        hwnd->setProperty(name, QVariant());
}

QVariant ProcToProp(WindowProc p) { return QVariant::fromValue(reinterpret_cast<quintptr>(p)); }
WindowProc ProcFromProp(const QVariant &v) { return reinterpret_cast<WindowProc>(v.value<quintptr>()); }

} // namespace platform::ui
