#pragma once
// Every message to the user goes through MsgBox, which leaves the mouse
// pointer as it found it.
#include "platform/ui/MessageBox.h"

#include <QString>

namespace ui {

// Returns the code of the button pressed (vbOK 1, vbCancel 2, vbYes 6, vbNo 7).
// An empty caption stands for the application's title.
int MsgBox(const QString &prompt, int style = platform::ui::vbOKOnly, const QString &caption = QString());

} // namespace ui
