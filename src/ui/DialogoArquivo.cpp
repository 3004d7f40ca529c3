#include "ui/DialogoArquivo.h"

#include "platform/ui/FileDialog.h"

namespace ui {

QString MostrarDialogoArquivo(QWidget *owner, int kind, const QString &title, const QString &fileName,
                              const QString &filter, const QString &initialDir,
                              const QString &defaultExt, bool multiSelect) {
    // The name has to fit the dialog's file buffer of 250 characters.
    if (fileName.size() > 250)
        return {};
    platform::ui::FileDialogRequest r;
    r.kind = kind == kDialogoAbrir ? platform::ui::FileDialogKind::Open : platform::ui::FileDialogKind::Save;
    r.owner = owner;
    r.title = title;
    r.fileName = fileName;
    r.filter = filter;
    r.initialDir = initialDir;
    r.defaultExt = defaultExt;
    r.multiSelect = multiSelect;
    return platform::ui::ShowFileDialog(r);
}

QString MostrarDialogoCentralizado(QWidget *owner, int kind, const QString &title, const QString &fileName,
                                   const QString &filter, const QString &initialDir,
                                   const QString &defaultExt, bool multiSelect) {
    try {
        // The platform dialog is centred on the screen before it is shown.
        return MostrarDialogoArquivo(owner, kind, title, fileName, filter, initialDir, defaultExt, multiSelect);
    } catch (...) {
        return {};
    }
}

void CentralizarJanela(QWidget *w) { platform::ui::CenterOnScreen(w); }

} // namespace ui
