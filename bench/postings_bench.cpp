// The posting write on large books: a posting at today's date through the
// write core beside a bare one-row INSERT + COMMIT on the same encrypted file
// (the physical limit), and a back-dated posting that moves every later one.
#include "BenchBook.h"
#include "db/CDaoTrans.h"
#include "platform/dao/Database.h"
#include "platform/dao/Workspace.h"
#include "core/postings/Escrita.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using Fixture = benchsupport::BenchBook;

// Every posting of these books is dated before today.
Fixture &book(int postings) { return benchsupport::bookOnDisk(QStringLiteral("postings"), postings); }

postings::Lancamento lancamento(const Fixture &f, const QDate &data) {
    postings::Lancamento l;
    l.codConta = f.book.accounts.last();
    l.codRecDesp = f.book.types.last();
    l.valor = value::Currency::fromWhole(1);
    l.data = data;
    l.historico = QStringLiteral("BENCH");
    l.idUsuario = 1;
    return l;
}

void gravar(Fixture &f, const postings::Lancamento &l, benchmark::State &state) {
    db::CDaoTrans trans;
    trans.BegTrans();
    if (postings::GravarLancamento(*f.db, l) != postings::Resultado::Gravado) state.SkipWithError("not written");
    trans.ComTrans();
}

void BM_PostingToday(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)));
    const postings::Lancamento l = lancamento(f, QDate::currentDate());
    for (auto _ : state) gravar(f, l, state);
}

void BM_BareInsertCommit(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)));
    for (auto _ : state) benchsupport::bareInsertCommit(f);
}

// Dated before every posting of the book: every posting is moved.
void BM_PostingBackDated(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)));
    const postings::Lancamento l = lancamento(f, f.shape.first.addDays(-1));
    for (auto _ : state) gravar(f, l, state);
    state.counters["moved"] = double(state.range(0));
    state.counters["per_moved"] =
        benchmark::Counter(double(state.range(0)) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_PostingToday)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_BareInsertCommit)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_PostingBackDated)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
