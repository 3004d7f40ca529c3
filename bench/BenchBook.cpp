#include "BenchBook.h"

#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"

#include <QDir>
#include <QFile>
#include <map>

namespace benchsupport {

BenchBook &bookOnDisk(const QString &name, int postings) {
    static std::map<std::pair<QString, int>, std::unique_ptr<BenchBook>> books;
    auto &b = books[{name, postings}];
    if (!b) {
        b = std::make_unique<BenchBook>();
        const QString path = QDir::temp().filePath(QStringLiteral("fin-bench-%1-%2.mdb").arg(name).arg(postings));
        for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(path + QString::fromLatin1(suffix));
        b->db = db::ConstruirBancoDeDados(path);
        b->shape.postings = postings;
        b->shape.accountsPerLevel = 6;
        b->shape.levels = 2;
        b->shape.days = 3650;
        b->shape.first = QDate::currentDate().addDays(-b->shape.days - 1);
        b->book = testsupport::writeBook(*b->db, b->shape);
    }
    return *b;
}

} // namespace benchsupport
