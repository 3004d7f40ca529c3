#pragma once
// A large book in a fresh encrypted file, built once per size and kept for the
// whole benchmark run: ten years of postings up to yesterday on two levels of
// six accounts and six types.
#include "support/Book.h"

#include <QString>
#include <memory>

namespace dao {
class Database;
}

namespace benchsupport {

struct BenchBook {
    std::unique_ptr<dao::Database> db;
    testsupport::Book book;
    testsupport::BookShape shape;
};

// `name` tells the benchmarks' files apart in the temporary folder.
BenchBook &bookOnDisk(const QString &name, int postings);
// The same with charts of another shape: `perLevel` children under each
// node on `levels` levels (10 and 3 give 1,110 accounts and 1,110 types).
BenchBook &bookOnDisk(const QString &name, int postings, int perLevel, int levels);

} // namespace benchsupport
