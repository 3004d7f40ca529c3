// Memory of a long session: the process's resident size after 200 distinct
// statement texts and after 200,000 more (each with a value written into
// its text, as the windows write ids and dates), on a small book. What the
// program keeps per text (translations, prepared statements) is bounded, so
// the second figure stays within a few megabytes of the first.
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

double residenteMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> campos = statm.readAll().split(' ');
    return campos.size() < 2 ? 0 : double(campos[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void executar(dao::Database &db, int de, int ate) {
    for (int i = de; i < ate; ++i) {
        auto rs = db.OpenRecordset(QStringLiteral("SELECT Codigo, DesConta FROM Contas WHERE Codigo = '%1' OR Id = %2")
                                       .arg(i, 9, 10, QLatin1Char('0'))
                                       .arg(i),
                                   dao::dbOpenSnapshot);
        benchmark::DoNotOptimize(rs->Eof());
    }
}

void BM_MemoryAfterDistinctStatements(benchmark::State &state) {
    const QString caminho = QDir::temp().filePath(QStringLiteral("fin-bench-memoria.mdb"));
    for (const char *s : {"", "-wal", "-shm"}) QFile::remove(caminho + QString::fromLatin1(s));
    auto db = db::ConstruirBancoDeDados(caminho);
    double antes = 0, depois = 0;
    for (auto _ : state) {
        executar(*db, 0, 200);
        antes = residenteMiB();
        executar(*db, 200, 200 + int(state.range(0)));
        depois = residenteMiB();
    }
    state.counters["rss_after_200_MiB"] = antes;
    state.counters["rss_after_more_MiB"] = depois;
    state.counters["growth_MiB"] = depois - antes;
    db->Close();
    for (const char *s : {"", "-wal", "-shm"}) QFile::remove(caminho + QString::fromLatin1(s));
}
BENCHMARK(BM_MemoryAfterDistinctStatements)->Arg(200000)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
