#include "ui/AppContext.h"

#include "platform/ui/Messages.h"

namespace fin {

void RegistrarMensagens() {
    gMsgNodeClick = ui::RegisterWindowMessage(QStringLiteral("$Zorvel$"));
    gMsgGridResize = ui::RegisterWindowMessage(QStringLiteral("$MSG_GRID_RESIZE$"));
    gMsgGridSelLine = ui::RegisterWindowMessage(QStringLiteral("$MSG_GRID_SEL_LINE$"));
}

} // namespace fin
