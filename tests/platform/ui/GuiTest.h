#pragma once
// Shared by the test folders that need widgets: one QApplication for the
// executable and a scripted modal seam that fails the test (instead of
// blocking or aborting) when the program asks for an answer nobody scripted.
#include "platform/ui/Form.h"
#include "platform/ui/Modal.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace testsupport {

inline QApplication &qtApp() {
    static int argc = 1;
    static char arg0[] = "fin-test";
    static char *argv[] = {arg0, nullptr};
    static QApplication *app = [] {
        if (auto *existing = qobject_cast<QApplication *>(QCoreApplication::instance()))
            return existing;
        return new QApplication(argc, argv);
    }();
    return *app;
}

// One key pressed and released on the widget, as the user types it.
inline void Tecla(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(w, &release);
}

// An Alt+letter as the platform sends it: the shortcut override first (taken,
// no menu sees the key), then the key press. Whether the widget took it.
inline bool TeclaDeAcesso(QWidget *alvo, Qt::Key tecla) {
    QKeyEvent over(QEvent::ShortcutOverride, tecla, Qt::AltModifier);
    over.ignore();
    QApplication::sendEvent(alvo, &over);
    if (!over.isAccepted())
        return false;
    Tecla(alvo, tecla, Qt::AltModifier);
    return true;
}

// As the user pastes: the text on the clipboard, Ctrl+V at the end of the box.
inline void Colar(QLineEdit *caixa, const QString &texto) {
    QGuiApplication::clipboard()->setText(texto);
    caixa->end(false);
    Tecla(caixa, Qt::Key_V, Qt::ControlModifier);
}

class Script : public platform::ui::ScriptedModals {
public:
    Script() {
        onUnscripted = [](const QString &why) { ADD_FAILURE() << why.toStdString(); };
    }
    ~Script() override { EXPECT_EQ(pending(), 0u) << "scripted answers were never asked for"; }

    // Called for each box or form as it is shown, before it is answered; for
    // a message box under eventsWhileShown(), after what its own event loop
    // delivered. A test reads there what stands behind the box while the
    // user reads it (whether a window is still there, what it shows).
    std::function<void(const platform::ui::ModalRequest &)> whenShown;

    platform::ui::ModalAnswer answer(const platform::ui::ModalRequest &request) override {
        platform::ui::ModalAnswer a = ScriptedModals::answer(request);
        if (whenShown) whenShown(request);
        return a;
    }
};

// Where a loaded form stands once its real modal show has placed it: the
// frame's geometry, read as soon as the form is shown; the form is then closed.
inline QRect OndeAbre(platform::ui::Form &f) {
    QRect onde;
    QTimer::singleShot(0, &f, [&] {
        onde = f.frameGeometry();
        f.Unload();
    });
    f.execModalLoop();
    return onde;
}

} // namespace testsupport
