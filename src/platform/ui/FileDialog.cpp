#include "platform/ui/FileDialog.h"

#include "platform/ui/Form.h"
#include "platform/ui/Modal.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <cmath>

namespace platform::ui {

QString QtFilterFromNulList(const QString &filter) {
    QStringList parts = filter.split(QChar(u'\0'));
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (pattern.isEmpty())
            out << desc;
        else if (desc.contains(QLatin1Char('(') + pattern + QLatin1Char(')')))
            out << desc;
        else if (desc.isEmpty())
            out << pattern;
        else
            out << desc + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

QString ShowFileDialog(const FileDialogRequest &request) {
    ModalRequest r;
    r.kind = request.kind == FileDialogKind::Open ? ModalKind::OpenFile : ModalKind::SaveFile;
    r.caption = request.title;
    r.defaultText = request.fileName;
    r.filter = QtFilterFromNulList(request.filter);
    r.initialDir = request.initialDir;
    r.defaultExt = request.defaultExt;
    r.multiSelect = request.multiSelect;
    r.widget = request.owner;
    const ModalAnswer a = RunModal(r);
    return a.button == 2 ? QString() : a.text;
}

QPoint CenteredPosition(const QRect &area, const QSize &window) {
    const double left = area.left(), top = area.top();
    const double right = left + area.width(), bottom = top + area.height();
    const double x = (left + (right - left) / 2.0) - window.width() / 2.0;
    const double y = (top + (bottom - top) / 2.0) - window.height() / 2.0;
    return {static_cast<int>(std::nearbyint(x)), static_cast<int>(std::nearbyint(y))};
}

void CenterOnScreen(QWidget *w) {
    if (!w)
        return;
    QScreen *s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    w->move(CenteredPosition(s->geometry(), w->frameGeometry().size()));
}

void CenterOnMainWindow(QWidget *w) {
    if (!w)
        return;
    // The main window is the one that holds the child windows' area.
    QMdiArea *area = Forms::mdiArea();
    QWidget *principal = area ? area->window() : nullptr;
    if (principal && principal != w && principal->isVisible() && !principal->isMinimized())
        w->move(CenteredPosition(principal->frameGeometry(), w->frameGeometry().size()));
    else
        CenterOnScreen(w);
}

} // namespace platform::ui
