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

// Creates the file at `caminho` (which must not exist) and returns it open.
// Throws err::AppError; after a failure the partly built file stays on disk.
std::unique_ptr<dao::Database> ConstruirBancoDeDados(const QString &caminho, const Aviso &aviso = {});

} // namespace db
