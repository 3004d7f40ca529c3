#pragma once
// What a test's user does in a permission editor opened from the user
// dialog: "Tudo" on every first-level item, then "Fechar".
#include "platform/widgets/ListView.h"
#include "security/frmPermissoes.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

#include <functional>

namespace testsupport {

inline std::function<void(QWidget &)> tudoNoPrimeiroNivel() {
    return [](QWidget &w) {
        auto &e = static_cast<security::frmPermissoes &>(w);
        e.Activate();
        QFocusEvent foco(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(e.lv, &foco);
        for (widgets::ListItem *i : e.lv->Items()) i->setSelected(true);
        e.cmdTudo_Click();
        e.cmdFechar_Click();
    };
}

} // namespace testsupport
