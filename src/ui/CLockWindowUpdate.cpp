#include "ui/CLockWindowUpdate.h"

#include "platform/ui/Input.h"

namespace ui {

// A lock refused because another window is locked is not an error here.
void CLockWindowUpdate::LockWindow(QWidget *hWnd) { (void)platform::ui::LockWindowUpdate(hWnd); }
void CLockWindowUpdate::UnLockWindow() { platform::ui::LockWindowUpdate(nullptr); }
CLockWindowUpdate::~CLockWindowUpdate() { platform::ui::LockWindowUpdate(nullptr); }

} // namespace ui
