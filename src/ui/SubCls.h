#pragma once
// Window procedures of the program: the form procedure that turns the three
// registered messages into calls on the window object they carry, and the
// background procedure of the main window's MDI client area.
#include <QEvent>

class QObject;
class QMdiArea;
class QTreeWidgetItem;

namespace ui {

// The members the registered messages call, by the windows that receive them.
class INodeClickReceiver {
public:
    virtual ~INodeClickReceiver() = default;
    virtual void tv_NodeClick(QTreeWidgetItem *node) = 0;
};
class IResizeGridReceiver {
public:
    virtual ~IResizeGridReceiver() = default;
    virtual void ResizeGrid() = 0;
};
class ISelCurLineReceiver {
public:
    virtual ~ISelCurLineReceiver() = default;
    virtual void SelCurLine(long &lngRow) = 0;
};

// "$Zorvel$" -> tv_NodeClick(node), "$MSG_GRID_RESIZE$" -> ResizeGrid(),
// "$MSG_GRID_SEL_LINE$" -> SelCurLine(line), called on the window object the
// message carries; anything else goes to the previous procedure.
bool FormWindowProc(QObject *hwnd, QEvent *e);
// Paints the tiled texture and the logo over the MDI client area.
bool MDIWindowProc(QObject *hwnd, QEvent *e);

// Replaces a window's procedure, keeping the previous one in "pOldWindowProc".
void InstalarWindowProc(QObject *hwnd, bool (*proc)(QObject *, QEvent *));
// Puts the previous procedure back and removes "pOldWindowProc"; never fails.
void RemoverWindowProc(QObject *hwnd);

// The background of the main window's client area.
void InstalarFundoMDI(QMdiArea *area);
void RemoverFundoMDI(QMdiArea *area);

// Senders: each posts its message to the given window, to be handled later.
void PostarNodeClick(QObject *tree, QObject *dialog, QTreeWidgetItem *node);
void PostarGridResize(QObject *window);
void PostarGridSelLine(QObject *window, long line);

} // namespace ui
