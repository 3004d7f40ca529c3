#include "BenchBook.h"

#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"

#include <QDir>
#include <QFile>
#include <map>
#include <tuple>

namespace benchsupport {

BenchBook &bookOnDisk(const QString &name, int postings) { return bookOnDisk(name, postings, 6, 2); }

BenchBook &bookOnDisk(const QString &name, int postings, int perLevel, int levels) {
    static std::map<std::tuple<QString, int, int, int>, std::unique_ptr<BenchBook>> books;
    auto &b = books[{name, postings, perLevel, levels}];
    if (!b) {
        b = std::make_unique<BenchBook>();
        const QString forma = perLevel == 6 && levels == 2 ? QString() : QStringLiteral("-%1x%2").arg(perLevel).arg(levels);
        const QString path = QDir::temp().filePath(QStringLiteral("fin-bench-%1-%2%3.mdb").arg(name).arg(postings).arg(forma));
        for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(path + QString::fromLatin1(suffix));
        b->db = db::ConstruirBancoDeDados(path);
        b->shape.postings = postings;
        b->shape.accountsPerLevel = perLevel;
        b->shape.levels = levels;
        b->shape.days = 3650;
        b->shape.first = QDate::currentDate().addDays(-b->shape.days - 1);
        b->book = testsupport::writeBook(*b->db, b->shape);
    }
    return *b;
}

} // namespace benchsupport
