#pragma once
// Start-up, sign-in and shutdown of the program, and the routines the main
// window shares with them: asking for the database file and closing it.
#include <QString>
#include <memory>

class QWidget;

namespace dao {
class Database;
class Recordset;
} // namespace dao

namespace fin {

// The program's entry routine: finds and opens the database, signs a user in,
// fills the application context and shows the main window. True when the main
// window is showing and the message loop is to run; false when the program is
// to end at once (nothing further may be processed then).
bool Main();

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

// Reads a count column of an aggregate query; a query that yields no row, or
// a Null count, counts as zero.
long LerContagem(dao::Recordset &rs, const QString &campo);

} // namespace fin
