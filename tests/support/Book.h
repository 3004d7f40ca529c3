#pragma once
// A book of postings for tests and benchmarks: accounts and types on a few
// levels, postings on random dates, and the running balances computed here,
// in C++, independently of the database's queries.
#include "platform/value/Currency.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace dao {
class Database;
}

namespace testsupport {

struct Posting {
    qint64 id = 0;
    QString codConta;
    QString codRecDesp;
    value::Currency valor;
    QDate data;
    QString realizado = QStringLiteral("?");
    bool estorno = false;
    bool estornado = false;
    int transferencia = 0;
    value::Currency saldoConta, saldoRecDesp, saldoGlobal;
    QString dataId() const;
};

// Recomputes the three running balances of every posting: in DataId order,
// every posting not settled 'N' counts; the account balance of P sums the
// counted postings up to and including P on P's account or below it, the type
// balance likewise, the global balance over all.
void computeBalances(std::vector<Posting> &book);

struct BookShape {
    int postings = 1000;
    int accountsPerLevel = 4; // children under each node
    int levels = 2;
    unsigned seed = 1;
    QDate first = QDate(2020, 1, 1);
    int days = 2000;
    // Postings only on accounts without children: the parents hold none of
    // their own, as where accounts are grouped under headings.
    bool leavesOnly = false;
    // Ids follow the dates, as when every posting is typed on its own day;
    // otherwise postings are typed with random back dates.
    bool typedInDateOrder = false;
    // Charts whose levels differ in width: the items under each node, level
    // by level (the first entry counts the first-level items); they replace
    // accountsPerLevel and levels for that chart. With either one given, both
    // charts take postings on their leaves and `secondLevelPercent` of them on
    // second-level items of odd number (.001, .003, ...), none on first-level
    // items.
    std::vector<int> accountFan, typeFan;
    int secondLevelPercent = 0;
};

struct Book {
    QStringList accounts; // codes, without the root
    QStringList types;    // codes, without the root and the system types
    std::vector<Posting> postings; // in Id order, balances filled
};

// Creates the charts and writes the postings (with their balances) and the counter.
Book writeBook(dao::Database &db, const BookShape &shape);

// Writes postings as they are (balances as given) in one transaction.
void insertPostings(dao::Database &db, const std::vector<Posting> &postings);

} // namespace testsupport
