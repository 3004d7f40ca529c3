#pragma once
// The command that makes a new, complete database file where the user chooses
// and offers it as the database of the next start.
namespace shell {

// Asks for the new file in the Save dialog (a cancel ends silently), builds
// it, and asks whether it becomes the current database: Yes stores its path
// and closes the main window, which ends the program. The database open now
// is never touched, and a file that is open here or in another copy of the
// program is refused. Every failure is raised to the caller, which reports it.
void CriarNovoBancoDeDados();

} // namespace shell
