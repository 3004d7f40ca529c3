#pragma once
// The session's database file and its end: the file a first run uses, asking
// for a file, closing it, and the shutdown that the main window and the
// start-up both run.
#include <QString>

class QWidget;

namespace dao { class Database; }

namespace ui {

// Shutdown: unloads the main window and closes the database; errors are
// ignored and a call while one is running returns at once.
void Finalizar();

// Asks for the database file in the Open dialog; "" when cancelled.
QString GetDBPath(QWidget *owner);

// Closes the database, ignoring errors, and empties the reference.
void FecharBanco(dao::Database *&db);

// The database file a first run uses: named after the executable, in its folder.
QString CaminhoBancoPadrao();

// Places a window where it is and puts it in or out of the topmost band.
void PosicionarJanela(QWidget *janela, bool topmost);

} // namespace ui
