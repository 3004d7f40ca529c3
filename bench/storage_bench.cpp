// Storage benchmarks: the balance query every posting write starts from, on
// large books, and the cost of translating a statement.
#include "BenchBook.h"
#include "db/SavedQueries.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using Fixture = benchsupport::BenchBook;

Fixture &book(int postings) { return benchsupport::bookOnDisk(QStringLiteral("storage"), postings); }

void saldos(benchmark::State &state, bool oldAccount) {
    Fixture &f = book(int(state.range(0)));
    QString conta = f.book.accounts.last();
    if (oldAccount) {
        // An account whose own last posting is early: every later posting of
        // its branch is summed.
        f.db->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('999', '000', 'ANTIGA')"));
        f.db->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('999.001', '999', 'ANTIGA SUB')"));
        conta = QStringLiteral("999");
    }
    auto q = f.db->QueryDefs(QStringLiteral("ParQrySerialESaldos"));
    const QDate last = f.shape.first.addDays(f.shape.days);
    for (auto _ : state) {
        q->SetParameter(0, conta);
        q->SetParameter(1, f.book.types.last());
        q->SetParameter(2, QDateTime(last, QTime(0, 0), Qt::UTC));
        auto rs = q->OpenRecordset(dao::dbOpenSnapshot);
        benchmark::DoNotOptimize(rs->Field(1).toCurrency());
    }
    if (oldAccount) {
        f.db->Execute(QStringLiteral("DELETE FROM Contas WHERE Codigo = '999'"));
    }
}

void BM_SerialESaldos(benchmark::State &state) { saldos(state, false); }
void BM_SerialESaldosOldAccount(benchmark::State &state) { saldos(state, true); }

BENCHMARK(BM_SerialESaldos)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_SerialESaldosOldAccount)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_TranslateCold(benchmark::State &state) {
    Fixture &f = book(1000);
    int n = 0;
    for (auto _ : state) {
        // A new text each time: nothing comes from the cache.
        auto t = f.db->translate(QStringLiteral("SELECT L.Id, L.Valor FROM Lancamentos AS L INNER JOIN Contas AS C ON "
                                                "L.CodConta = C.Codigo WHERE C.Codigo LIKE '001*' AND L.Data <= #12/31/2026# "
                                                "AND L.Id > %1 ORDER BY L.DataId").arg(n++));
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_TranslateCold)->Unit(benchmark::kMicrosecond);

void BM_TranslateCached(benchmark::State &state) {
    Fixture &f = book(1000);
    const QString sql = QStringLiteral("SELECT L.Id, L.Valor FROM Lancamentos AS L INNER JOIN Contas AS C ON "
                                       "L.CodConta = C.Codigo WHERE C.Codigo LIKE '001*' AND L.Data <= #12/31/2026#");
    for (auto _ : state) benchmark::DoNotOptimize(f.db->translate(sql));
}
BENCHMARK(BM_TranslateCached)->Unit(benchmark::kMicrosecond);

} // namespace
