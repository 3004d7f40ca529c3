#pragma once
// A large book in an encrypted file, built once per name, size and order and
// kept in the temporary folder between runs: ten years of postings up to the
// day it was built, on two levels of six accounts (postings on the second
// level only, so each first-level account heads a busy branch with no posting
// of its own) and six types.
#include "support/Book.h"

#include <QString>
#include <memory>

namespace dao {
class Database;
}

namespace benchsupport {

enum class Ordem { Aleatoria, Datas };

struct BenchBook {
    std::unique_ptr<dao::Database> db;
    testsupport::Book book; // accounts and types; postings only when built in this run
    testsupport::BookShape shape;
};

// `name` tells the benchmarks' files apart in the temporary folder; the
// benchmarks that write to a book leave it larger for the next run, so they
// count what they touch rather than assume the size.
BenchBook &bookOnDisk(const QString &name, int postings, Ordem ordem = Ordem::Aleatoria);
// The same with charts of another shape: `perLevel` children under each
// node on `levels` levels (10 and 3 give 1,110 accounts and 1,110 types).
BenchBook &bookOnDisk(const QString &name, int postings, int perLevel, int levels, Ordem ordem = Ordem::Aleatoria);
// A chart of three levels as a real book has it: accounts 001-004 with four
// children and five grandchildren each, types 003-006 with four children and
// three grandchildren each; postings on the leaves and 3% on second-level
// items (those of odd number), none on first-level items.
BenchBook &bookOnDiskTresNiveis(const QString &name, int postings, Ordem ordem = Ordem::Aleatoria);

// The Id of the account (or type) stored under `codigo`, as a window loads
// it with its code: the postings a window writes carry both.
long IdDoItem(dao::Database &db, bool conta, const QString &codigo);

} // namespace benchsupport
