#include "ui/CLockWindowUpdate.h"

#include "platform/ui/Input.h"

namespace fin {

// A lock refused because another window is locked is not an error here.
void CLockWindowUpdate::LockWindow(QWidget *hWnd) { (void)ui::LockWindowUpdate(hWnd); }
void CLockWindowUpdate::UnLockWindow() { ui::LockWindowUpdate(nullptr); }
CLockWindowUpdate::~CLockWindowUpdate() { ui::LockWindowUpdate(nullptr); }

} // namespace fin
