#pragma once
// Registered window messages, posting them to a window, and replacing a
// window's procedure so that it receives them. A window is any QObject; the
// message travels as a posted event that carries the window object the call
// is meant for and a second parameter.
#include <QEvent>
#include <QPointer>
#include <QString>
#include <QVariant>

namespace platform::ui {

// Id of a message registered by name; the same name always gives the same id.
int RegisterWindowMessage(const QString &name);

class RegisteredMessageEvent : public QEvent {
public:
    RegisteredMessageEvent(int msg, QObject *wParam, qintptr lParam)
        : QEvent(type()), msg_(msg), wParam_(wParam), hadWParam_(wParam != nullptr), lParam_(lParam) {}
    static QEvent::Type type();
    int msg() const { return msg_; }
    QObject *wParam() const { return wParam_.data(); }
    // The window object it was posted with has been destroyed since.
    bool wParamGone() const { return hadWParam_ && wParam_.isNull(); }
    qintptr lParam() const { return lParam_; }

private:
    int msg_;
    QPointer<QObject> wParam_;
    bool hadWParam_;
    qintptr lParam_;
};

constexpr int WM_CLOSE = 16;

// Posts a message to a window; it is delivered later by the event loop. A
// message to a window that is gone by then is dropped, and so is one whose
// window object (wParam) is gone. WM_CLOSE posts a close request.
bool PostMessage(QObject *hwnd, int msg, QObject *wParam = nullptr, qintptr lParam = 0);

// A window procedure: sees every event of the window it replaces; true when
// it handled the event, false to let it go on.
using WindowProc = bool (*)(QObject *hwnd, QEvent *e);

// Replaces the window's procedure and returns the previous one (nullptr: the
// window's own handling). Passing nullptr restores the window's own handling.
WindowProc SetWindowProc(QObject *hwnd, WindowProc proc);
// Passes an event on to a previous procedure; nullptr: the window's own handling.
bool CallWindowProc(WindowProc previous, QObject *hwnd, QEvent *e);

// Window properties.
void SetProp(QObject *hwnd, const char *name, const QVariant &value);
QVariant GetProp(QObject *hwnd, const char *name);
void RemoveProp(QObject *hwnd, const char *name);
// A window procedure kept as a property value.
QVariant ProcToProp(WindowProc p);
WindowProc ProcFromProp(const QVariant &v);

} // namespace platform::ui
