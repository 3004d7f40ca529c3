// The posting write on large books, beside the bare engine on the same file
// in the same run:
//   - a posting at today's date through the write core, beside a bare
//     one-row INSERT + COMMIT;
//   - a back-dated posting, in a book typed in date order and in one typed
//     with random back dates, moving the whole book or its last tenth: real
//     time divided by the postings its balance move actually changed, beside
//     a bare UPDATE + COMMIT of the same rows, on the file and on a plain
//     copy in memory.
// The log is copied back into the file between repetitions, as the program
// does when idle, outside the measured time. Every case runs three times and
// reports its median and its slowest run.
#include "BenchBook.h"
#include "db/CDaoTrans.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "core/escrita/Escrita.h"

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using Fixture = benchsupport::BenchBook;
using benchsupport::Ordem;

Fixture &book(int postings, Ordem ordem = Ordem::Aleatoria) {
    return benchsupport::bookOnDisk(QStringLiteral("postings"), postings, ordem);
}

// Ids for the bare inserts, far above the book's own.
long nextBareId = 900000000;

core::escrita::Lancamento lancamento(Fixture &f, const QDate &data) {
    core::escrita::Lancamento l;
    l.codConta = f.book.accounts.last();
    l.codRecDesp = f.book.types.last();
    l.valor = value::Currency::fromWhole(1);
    l.data = data;
    l.historico = QStringLiteral("BENCH");
    l.idUsuario = 1;
    // As the posting window writes it: held to the items it loaded.
    l.idConta = benchsupport::IdDoItem(*f.db, true, l.codConta);
    l.idRecDesp = benchsupport::IdDoItem(*f.db, false, l.codRecDesp);
    return l;
}

// Writes one posting; the balance move is the write's last statement, so the
// rows it changed are the engine's count for the connection's last change.
long gravar(Fixture &f, const core::escrita::Lancamento &l, benchmark::State &state) {
    db::CDaoTrans trans;
    trans.BegTrans();
    if (core::escrita::GravarLancamento(*f.db, l) != core::escrita::Resultado::Gravado) state.SkipWithError("not written");
    const long movidos = sqlite3_changes(f.db->handle());
    trans.ComTrans();
    return movidos;
}

void ociosidade(Fixture &f, benchmark::State &state) {
    state.PauseTiming();
    f.db->Checkpoint();
    state.ResumeTiming();
}

void BM_PostingToday(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)));
    const core::escrita::Lancamento l = lancamento(f, QDate::currentDate().addDays(1));
    for (auto _ : state) gravar(f, l, state);
    // The book goes back to its size: these postings are the latest, so no
    // other posting's balances count them.
    const QByteArray depois = l.data.addDays(-1).toString(QStringLiteral("yyyyMMdd")).toUtf8() + "999999999";
    sqlite3_stmt *del = nullptr;
    sqlite3_prepare_v2(f.db->handle(), "DELETE FROM Lancamentos WHERE DataId > ?1", -1, &del, nullptr);
    sqlite3_bind_text(del, 1, depois.constData(), -1, SQLITE_STATIC);
    sqlite3_step(del);
    sqlite3_finalize(del);
    f.db->Checkpoint();
}

void BM_BareInsertCommit(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)));
    sqlite3 *h = f.db->handle();
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO Lancamentos (Id, CodConta, CodRecDesp, Valor, Data, Historico, DataId, SaldoConta, "
                       "SaldoRecDesp, SaldoGlobal, IdUsuario) VALUES (?1, ?2, ?3, 10000, '1990-01-01 00:00:00', 'BENCH', ?4, 0, 0, 0, 1)",
                       -1, &ins, nullptr);
    const QByteArray conta = f.book.accounts.last().toUtf8(), tipo = f.book.types.last().toUtf8();
    for (auto _ : state) {
        const long id = nextBareId++;
        const QByteArray dataId = QStringLiteral("19900101%1").arg(id, 9, 10, QLatin1Char('0')).toUtf8();
        sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int64(ins, 1, id);
        sqlite3_bind_text(ins, 2, conta.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_text(ins, 3, tipo.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_text(ins, 4, dataId.constData(), -1, SQLITE_STATIC);
        if (sqlite3_step(ins) != SQLITE_DONE) state.SkipWithError("bare insert failed");
        sqlite3_reset(ins);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(ins);
    // The book stays as the write core keeps it.
    sqlite3_exec(h, "DELETE FROM Lancamentos WHERE Id >= 900000000", nullptr, nullptr, nullptr);
    f.db->Checkpoint();
}

// Three runs of each case: the median, and the slowest run beside it.
void tresVezes(benchmark::internal::Benchmark *b) {
    b->Repetitions(3)->ReportAggregatesOnly(true)->ComputeStatistics(
        "max", [](const std::vector<double> &v) { return *std::max_element(v.begin(), v.end()); });
}

BENCHMARK(BM_PostingToday)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime()->Apply(tresVezes);
BENCHMARK(BM_BareInsertCommit)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime()->Apply(tresVezes);

// The date whose later postings are the given share of the book.
QDate dataParaMover(Fixture &f, int share) {
    if (share >= 100) return f.shape.first.addDays(-1);
    auto rs = f.db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Lancamentos"), dao::dbOpenSnapshot);
    const qint64 n = rs->Field(0).toInt();
    rs = f.db->OpenRecordset(QStringLiteral("SELECT TOP 1 Data FROM (SELECT TOP %1 Data, DataId FROM Lancamentos ORDER BY DataId DESC) AS U "
                                            "ORDER BY DataId").arg(n * share / 100),
                             dao::dbOpenSnapshot);
    return rs->Field(0).toDate().date();
}

Ordem ordemDe(benchmark::State &state) { return state.range(1) ? Ordem::Datas : Ordem::Aleatoria; }

void porMovido(benchmark::State &state, double movidos) {
    state.counters["moved"] = benchmark::Counter(movidos, benchmark::Counter::kAvgIterations);
    state.counters["per_moved"] =
        benchmark::Counter(movidos, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The bare move: the UPDATE of every row past `acima` and its commit, the
// amount's sign turned each run so an even number of runs leaves the
// balances as they were; `entre` runs after each commit (the idle copy of
// the log, for the file).
void moverBare(benchmark::State &state, sqlite3 *h, const char *sql, const char *begin, qint64 acima,
               const std::function<void()> &entre) {
    sqlite3_stmt *up = nullptr;
    sqlite3_prepare_v2(h, sql, -1, &up, nullptr);
    double movidos = 0;
    int sinal = 1;
    for (auto _ : state) {
        sqlite3_exec(h, begin, nullptr, nullptr, nullptr);
        sqlite3_bind_int64(up, 1, sinal * 10000);
        sqlite3_bind_int64(up, 2, acima);
        if (sqlite3_step(up) != SQLITE_DONE) state.SkipWithError("bare update failed");
        sqlite3_reset(up);
        movidos += double(sqlite3_changes(h));
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
        sinal = -sinal;
        entre();
    }
    sqlite3_finalize(up);
    porMovido(state, movidos);
}

// args: book size, typed in date order (0/1), share of the book moved (%)
void BM_PostingBackDated(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)), ordemDe(state));
    const core::escrita::Lancamento l = lancamento(f, dataParaMover(f, int(state.range(2))));
    double movidos = 0;
    for (auto _ : state) {
        movidos += double(gravar(f, l, state));
        ociosidade(f, state);
    }
    porMovido(state, movidos);
}

// The plainest statement that changes the same rows, and its commit: the
// rows past the date read in place (their rowids follow their DataId).
void BM_BareUpdateCommit(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)), ordemDe(state));
    const QDate d = dataParaMover(f, int(state.range(2)));
    const qint64 acima = d.toString(QStringLiteral("yyyyMMdd")).toLongLong() * 1000000000LL + 999999999LL;
    sqlite3 *h = f.db->handle();
    moverBare(state, h, "UPDATE Lancamentos SET SaldoGlobal = SaldoGlobal + ?1 WHERE rowid > ?2", "BEGIN IMMEDIATE", acima,
              [&] { ociosidade(f, state); });
}

// The same bare UPDATE + COMMIT on a plain copy of the book held in memory,
// unencrypted (the engine's own export, indexes included): what the engine
// costs without the cipher and the disk. The copy keeps the rows in DataId
// order, so the first row past the date bounds the same rows.
void BM_BareUpdateCommitInMemory(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)), ordemDe(state));
    const QDate d = dataParaMover(f, int(state.range(2)));
    const QByteArray acima = d.toString(QStringLiteral("yyyyMMdd")).toLatin1() + "999999999";
    sqlite3 *h = f.db->handle();
    if (sqlite3_exec(h, "ATTACH DATABASE ':memory:' AS plano KEY ''; SELECT sqlcipher_export('plano');", nullptr, nullptr,
                     nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(h));
        return;
    }
    qint64 limite = 0;
    sqlite3_stmt *q = nullptr;
    sqlite3_prepare_v2(h, "SELECT coalesce(max(rowid), 0) FROM plano.Lancamentos WHERE DataId <= ?1", -1, &q, nullptr);
    sqlite3_bind_text(q, 1, acima.constData(), int(acima.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(q) == SQLITE_ROW) limite = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    // Only the copy is written: a deferred transaction takes no lock on the file.
    moverBare(state, h, "UPDATE plano.Lancamentos SET SaldoGlobal = SaldoGlobal + ?1 WHERE rowid > ?2", "BEGIN", limite,
              [] {});
    sqlite3_exec(h, "DETACH DATABASE plano", nullptr, nullptr, nullptr);
}

void casos(benchmark::internal::Benchmark *b) {
    for (int n : {100000, 1000000})
        for (int ordem : {0, 1})
            for (int share : {100, 10}) b->Args({n, ordem, share});
    b->ArgNames({"postings", "date_order", "share"})->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
    tresVezes(b);
}
BENCHMARK(BM_BareUpdateCommit)->Apply(casos);
BENCHMARK(BM_BareUpdateCommitInMemory)->Apply(casos);
BENCHMARK(BM_PostingBackDated)->Apply(casos);

} // namespace
