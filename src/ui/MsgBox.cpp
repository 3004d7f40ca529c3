#include "ui/MsgBox.h"

#include "ui/Errors.h"
#include "platform/app/Application.h"

namespace ui {

int MsgBox(const QString &prompt, int style, const QString &caption) {
    try {
        const int pointer = platform::Screen::MousePointer();
        // The box itself is answered with the ordinary pointer.
        const int code = platform::ui::MessageBox(prompt, style, caption);
        platform::Screen::setMousePointer(pointer);
        return code;
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "MsgBox");
    }
}

} // namespace ui
