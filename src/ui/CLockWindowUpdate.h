#pragma once
// Redraw lock: one window stops redrawing until unlocked or released.
class QWidget;

namespace ui {

class CLockWindowUpdate {
public:
    CLockWindowUpdate() = default;
    ~CLockWindowUpdate();
    CLockWindowUpdate(const CLockWindowUpdate &) = delete;
    CLockWindowUpdate &operator=(const CLockWindowUpdate &) = delete;

    void LockWindow(QWidget *hWnd);
    void UnLockWindow();
};

} // namespace ui
