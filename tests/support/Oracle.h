#pragma once
// The balance oracle: recomputes from Valor, Realizado, the codes and DataId
// alone every posting's SaldoConta, SaldoRecDesp and SaldoGlobal and checks
// the structural rules of the book, comparing in exact integer units.
//
//   - DataId = the date (yyyyMMdd) + Id in nine digits;
//   - the counter Serial = the greatest Id (at least it, after postings
//     were deleted);
//   - reversal flags: a reversal (Estorno) and a reversed posting (Estornado)
//     are settled 'E', never both; an 'E' posting is one of the two;
//   - transfers: each Transferencias row links an outgoing (1) and an
//     incoming (2) posting of type "001" on one date with opposite amounts
//     and one Realizado, and every incoming leg has its row.
// Every test that writes postings ends by running it.
#include <QString>
#include <QStringList>

namespace dao {
class Database;
}

namespace testsupport {

struct OracleOptions {
    // Postings were deleted (accounts with opening balances): the counter
    // may be ahead of the greatest Id.
    bool postingsDeleted = false;
};

// Empty when the book is sound; otherwise one line per fault (at most 20).
QStringList CheckBook(dao::Database &db, const OracleOptions &options = {});

// The faults joined by line feeds, for a test's failure message.
QString CheckBookText(dao::Database &db, const OracleOptions &options = {});

} // namespace testsupport
