#pragma once
// Builds a complete new database file: tables, seed rows, relations and
// saved queries, written through the database layer as a new file of its own.
#include <QString>
#include <functional>
#include <memory>

namespace dao {
class Database;
}

namespace db {

// Shows a message to the user (information icon); the building routine calls
// it before it gives up silently, as the creation command expects.
using Aviso = std::function<void(const QString &)>;

// Creates the book at `caminho` and returns it open. It is built in a file of
// its own beside `caminho` and then takes the place of whatever file is there;
// after a failure nothing of it stays on disk and that file is untouched.
// First it removes from the folder what creations no longer running left
// (killed before they could clean up).
// Throws err::AppError.
std::unique_ptr<dao::Database> ConstruirBancoDeDados(const QString &caminho, const Aviso &aviso = {});

} // namespace db
