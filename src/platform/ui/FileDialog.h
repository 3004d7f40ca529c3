#pragma once
// Open and Save file dialogs taking the program's filter strings (pairs of
// description and pattern separated by NUL characters) and dialog centring.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace platform::ui {

enum class FileDialogKind { Open = 1, Save = 2 };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    QWidget *owner = nullptr;
    QString title;
    QString fileName;    // initial file name
    QString filter;      // "Desc\0*.ext\0Desc2\0*.*\0"
    QString initialDir;
    QString defaultExt;  // without the dot
    bool multiSelect = false;
};

// "Bancos de dados (*.mdb)\0*.mdb\0Todos arquivos (*.*)\0*.*\0" ->
// "Bancos de dados (*.mdb);;Todos arquivos (*.*)". A description that does not
// show its pattern gets it appended; ";"-separated patterns become blank-separated.
QString QtFilterFromNulList(const QString &filter);

// Shows the dialog through the modal seam, centred on the screen. Returns the
// chosen path, "" when cancelled; a multiple selection comes back as the
// chosen paths joined by NUL characters.
QString ShowFileDialog(const FileDialogRequest &request);

// Top-left corner that centres a window of the given size on the given area;
// halves go to the even neighbour.
QPoint CenteredPosition(const QRect &area, const QSize &window);
// Moves a window to the centre of its screen (the primary one when it has none).
void CenterOnScreen(QWidget *w);
// Moves a dialog to the centre of the program's main window (the window of
// the MDI area, Forms::mdiArea) while it is shown, else of the screen. The position is set before the dialog shows, so
// it holds also where no window manager places windows.
void CenterOnMainWindow(QWidget *w);

} // namespace platform::ui
