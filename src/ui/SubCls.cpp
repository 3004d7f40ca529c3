#include "ui/SubCls.h"

#include "ui/AppContext.h"
#include "platform/ui/Messages.h"
#include "ui/Bitmap.h"

#include <QMdiArea>
#include <QPainter>
#include <QWidget>

namespace ui {
namespace {
constexpr const char *kOldProc = "pOldWindowProc";

bool callPrevious(QObject *hwnd, QEvent *e) {
    return platform::ui::CallWindowProc(platform::ui::ProcFromProp(platform::ui::GetProp(hwnd, kOldProc)), hwnd, e);
}
} // namespace

bool FormWindowProc(QObject *hwnd, QEvent *e) {
    if (e->type() == platform::ui::RegisteredMessageEvent::type()) {
        auto *m = static_cast<platform::ui::RegisteredMessageEvent *>(e);
        QObject *target = m->wParam();
        if (m->msg() == gMsgNodeClick) {
            if (auto *r = dynamic_cast<INodeClickReceiver *>(target))
                r->tv_NodeClick(reinterpret_cast<QTreeWidgetItem *>(m->lParam()));
            return true;
        }
        if (m->msg() == gMsgGridResize) {
            if (auto *r = dynamic_cast<IResizeGridReceiver *>(target))
                r->ResizeGrid();
            return true;
        }
        if (m->msg() == gMsgGridSelLine) {
            long line = static_cast<long>(m->lParam());
            if (auto *r = dynamic_cast<ISelCurLineReceiver *>(target))
                r->SelCurLine(line);
            return true;
        }
    }
    return callPrevious(hwnd, e);
}

bool MDIWindowProc(QObject *hwnd, QEvent *e) {
    if (e->type() == QEvent::Paint) {
        auto *w = qobject_cast<QWidget *>(hwnd);
        if (w) {
            QPainter p(w);
            QWidget *main = w->window();
            DesenharBitmapB(main, p, BitmapTextura(), kTexturaLargura, kTexturaAltura);
            DesenharBitmapA(main, p, BitmapLogo(), kLogoLargura, kLogoAltura);
            return true;
        }
    }
    return callPrevious(hwnd, e);
}

void InstalarWindowProc(QObject *hwnd, bool (*proc)(QObject *, QEvent *)) {
    const platform::ui::WindowProc old = platform::ui::SetWindowProc(hwnd, proc);
    platform::ui::SetProp(hwnd, kOldProc, platform::ui::ProcToProp(old));
}

void RemoverWindowProc(QObject *hwnd) {
    if (!hwnd)
        return;
    platform::ui::SetWindowProc(hwnd, platform::ui::ProcFromProp(platform::ui::GetProp(hwnd, kOldProc)));
    platform::ui::RemoveProp(hwnd, kOldProc);
}

void InstalarFundoMDI(QMdiArea *area) {
    if (area)
        InstalarWindowProc(area->viewport(), MDIWindowProc);
}

void RemoverFundoMDI(QMdiArea *area) {
    if (area)
        RemoverWindowProc(area->viewport());
}

void PostarNodeClick(QObject *tree, QObject *dialog, QTreeWidgetItem *node) {
    platform::ui::PostMessage(tree, gMsgNodeClick, dialog, reinterpret_cast<qintptr>(node));
}
void PostarGridResize(QObject *window) { platform::ui::PostMessage(window, gMsgGridResize, window, 0); }
void PostarGridSelLine(QObject *window, long line) { platform::ui::PostMessage(window, gMsgGridSelLine, window, line); }

} // namespace ui
