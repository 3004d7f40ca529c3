#pragma once
// The Open and Save file dialogs of the program, centred on the screen.
#include <QString>

class QWidget;

namespace ui {

constexpr int kDialogoAbrir = 1;   // any other kind is Save

// Shows the dialog and returns the chosen path, "" when cancelled. The filter
// is the list of description and pattern pairs separated by NUL characters.
QString MostrarDialogoCentralizado(QWidget *owner, int kind, const QString &title, const QString &fileName,
                                   const QString &filter, const QString &initialDir,
                                   const QString &defaultExt, bool multiSelect = false);
QString MostrarDialogoArquivo(QWidget *owner, int kind, const QString &title, const QString &fileName,
                              const QString &filter, const QString &initialDir,
                              const QString &defaultExt, bool multiSelect = false);

// Moves a window to the centre of the screen.
void CentralizarJanela(QWidget *w);

} // namespace ui
