#pragma once
// Whether a file that opened can serve as the program's book.
#include "platform/err/AppError.h"

#include <optional>

namespace dao {
class Database;
}

namespace db {

// The failure to report for an opened file that cannot serve as the book,
// nothing when it can: a table or a saved query is missing (a creation that
// was interrupted, a file of another program), or the engine could open the
// file for reading only, so that the first write would fail.
std::optional<err::AppError> ProblemaDoBanco(const dao::Database &banco);

// The same for a file opened with the alternate password, which only books
// of the earlier layout have: without the tables of the book and its balance
// query, it is no book of this system (3343).
std::optional<err::AppError> ProblemaDoBancoAntigo(const dao::Database &banco);

} // namespace db
