#include "ui/AppContext.h"

#include "platform/ui/Messages.h"

namespace ui {

void RegistrarMensagens() {
    gMsgNodeClick = platform::ui::RegisterWindowMessage(QStringLiteral("$Zorvel$"));
    gMsgGridResize = platform::ui::RegisterWindowMessage(QStringLiteral("$MSG_GRID_RESIZE$"));
    gMsgGridSelLine = platform::ui::RegisterWindowMessage(QStringLiteral("$MSG_GRID_SEL_LINE$"));
}

} // namespace ui
