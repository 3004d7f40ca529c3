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

// What becomes of a file already at the path of a new book.
enum class SeExistir {
    Substituir, // the new book takes its place (the caller has asked the user)
    Recusar,    // the creation is refused and the file is left as it is
};

// Creates the book at `caminho` and returns it open. It is built in a file of
// its own beside `caminho` and then put at `caminho`: in place of whatever
// file is there, or, refusing any file there, only while there is none (a
// file that appears meanwhile is never replaced). After a failure or a
// refusal nothing of it stays on disk and the file at `caminho` is untouched.
// First it removes from the folder what creations no longer running left
// (killed before they could clean up).
// Throws err::AppError; a refusal is err::db::kDatabaseExists with
// TextoArquivoExistente.
std::unique_ptr<dao::Database> ConstruirBancoDeDados(const QString &caminho, const Aviso &aviso = {},
                                                     SeExistir seExistir = SeExistir::Substituir);

// Why a book is not created over an existing file, naming the file.
QString TextoArquivoExistente(const QString &arquivo);

// Called by a creation once its own file is in the folder, before the book is
// written into it, with that file's path; tests use it to run another
// creation at that moment. Returns the one it replaces (empty: none).
using GanchoDeCriacao = std::function<void(const QString &arquivoDaCriacao)>;
GanchoDeCriacao TrocarGanchoDeCriacao(GanchoDeCriacao gancho);

} // namespace db
