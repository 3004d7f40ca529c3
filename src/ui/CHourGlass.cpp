#include "ui/CHourGlass.h"

#include "platform/app/Application.h"
#include "platform/ui/Input.h"

namespace ui {

void CHourGlass::Show(bool action) {
    platform::Screen::setMousePointer(action ? platform::vbHourglass : platform::vbDefault);
    shown_ = action;
}

CHourGlass::~CHourGlass() {
    if (!shown_)
        return;
    platform::ui::DiscardQueuedKeyboardInput();
    platform::ui::DiscardQueuedMouseInput();
    platform::Screen::setMousePointer(platform::vbDefault);
}

} // namespace ui
