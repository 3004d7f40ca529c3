// Balances on a large book (1M postings, 1,110 accounts and 1,110 types on
// three levels): the whole chart at a date, over a year, and the cross
// balance of one first-level account over a year, each beside the bare
// engine reading the same rows through the same indexes.
#include "BenchBook.h"
#include "core/reports/CalculoBalanco.h"
#include "core/reports/ConsultasBalanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Sqlite.h"

#include <benchmark/benchmark.h>

namespace {

using Fixture = benchsupport::BenchBook;
using reports::PedidoBalanco;

Fixture &livro() { return benchsupport::bookOnDisk(QStringLiteral("balancos"), 1000000, 10, 3); }
QDate ultimo(const Fixture &f) { return f.shape.first.addDays(f.shape.days - 1); }

PedidoBalanco naData(const Fixture &f, bool contas) {
    PedidoBalanco p;
    p.tipo = PedidoBalanco::Tipo::Data;
    p.contas = contas;
    p.dataFim = ultimo(f);
    p.comSubItens = true;
    return p;
}
PedidoBalanco noAno(const Fixture &f, bool contas) {
    PedidoBalanco p;
    p.contas = contas;
    p.dataIni = ultimo(f).addDays(-364);
    p.dataFim = ultimo(f);
    return p;
}
PedidoBalanco cruzado(const Fixture &f) {
    return reports::PedidoBalRecDespEmConta(f.book.accounts.first(), ultimo(f).addDays(-364), ultimo(f), false);
}

void calcular(benchmark::State &state, const PedidoBalanco &p) {
    Fixture &f = livro();
    std::size_t linhas = 0;
    for (auto _ : state) {
        const reports::LinhasBalanco l = reports::CalcularBalanco(*f.db, p);
        linhas = l.size();
        benchmark::DoNotOptimize(l.data());
    }
    state.counters["linhas"] = double(linhas);
}

void BM_SaldosNaDataContas(benchmark::State &state) { calcular(state, naData(livro(), true)); }
void BM_SaldosNaDataTipos(benchmark::State &state) { calcular(state, naData(livro(), false)); }
void BM_BalancoDoAnoContas(benchmark::State &state) { calcular(state, noAno(livro(), true)); }
void BM_BalancoDoAnoTipos(benchmark::State &state) { calcular(state, noAno(livro(), false)); }
void BM_CruzadoDoAno(benchmark::State &state) { calcular(state, cruzado(livro())); }

// ---- the bare engine, the same reads ------------------------------------------

QString dia(const QDate &d) { return d.toString(QStringLiteral("yyyyMMdd")); }

// One seek per account on (CodConta, DataId), then the postings after the
// earliest of those in one range of the DataId index.
void BM_BareSaldosNaData(benchmark::State &state) {
    Fixture &f = livro();
    sqlite3 *h = f.db->handle();
    const QString fim = dia(ultimo(f).addDays(1));
    dao::sqlite::Statement seek(h, QStringLiteral("SELECT DataId, SaldoConta FROM Lancamentos WHERE CodConta = ?1 AND DataId < ?2 "
                                                  "ORDER BY DataId DESC LIMIT 1"));
    dao::sqlite::Statement faixa(h, QStringLiteral("SELECT DataId, CodConta, Valor FROM Lancamentos WHERE DataId > ?1 AND DataId < ?2 "
                                                   "AND Realizado <> 'N'"));
    long linhas = 0;
    for (auto _ : state) {
        QString desde = fim;
        qint64 soma = 0;
        for (const QString &c : f.book.accounts) {
            seek.reset();
            seek.bindText(1, c);
            seek.bindText(2, fim);
            if (seek.step()) {
                const QString d = seek.columnText(0);
                if (d < desde) desde = d;
                soma += sqlite3_column_int64(seek.get(), 1);
            }
        }
        faixa.reset();
        faixa.bindText(1, desde);
        faixa.bindText(2, fim);
        linhas = 0;
        while (faixa.step()) {
            soma += sqlite3_column_int64(faixa.get(), 2);
            ++linhas;
        }
        benchmark::DoNotOptimize(soma);
    }
    state.counters["depois"] = double(linhas);
}

// A year of postings summed per account in one range of the DataId index.
void BM_BareBalancoDoAno(benchmark::State &state) {
    Fixture &f = livro();
    dao::sqlite::Statement q(f.db->handle(),
                             QStringLiteral("SELECT CodConta, Sum(Valor), Count(*) FROM Lancamentos WHERE DataId >= ?1 AND DataId < ?2 "
                                            "AND (Realizado = 'S' OR Realizado = '?') GROUP BY CodConta"));
    long grupos = 0;
    for (auto _ : state) {
        q.reset();
        q.bindText(1, dia(ultimo(f).addDays(-364)));
        q.bindText(2, dia(ultimo(f).addDays(1)));
        grupos = 0;
        while (q.step()) ++grupos;
    }
    state.counters["grupos"] = double(grupos);
}

// A year of one first-level account's branch, summed per type.
void BM_BareCruzadoDoAno(benchmark::State &state) {
    Fixture &f = livro();
    const QString conta = f.book.accounts.first();
    dao::sqlite::Statement q(f.db->handle(),
                             QStringLiteral("SELECT CodRecDesp, Sum(Valor), Count(*) FROM Lancamentos WHERE CodConta >= ?3 AND CodConta < ?4 "
                                            "AND DataId >= ?1 AND DataId < ?2 AND (Realizado = 'S' OR Realizado = '?') GROUP BY CodRecDesp"));
    long grupos = 0;
    for (auto _ : state) {
        q.reset();
        q.bindText(1, dia(ultimo(f).addDays(-364)));
        q.bindText(2, dia(ultimo(f).addDays(1)));
        q.bindText(3, conta);
        q.bindText(4, conta + QChar(0xFFFF));
        grupos = 0;
        while (q.step()) ++grupos;
    }
    state.counters["grupos"] = double(grupos);
}

// The query texts themselves, for the record: registered only with
// FIN_BENCH_TEXTOS=1 in the environment, run once each; they take seconds.
void texto(benchmark::State &state, const PedidoBalanco &p, const QString &campo) {
    Fixture &f = livro();
    std::size_t linhas = 0;
    for (auto _ : state) {
        auto rs = f.db->OpenRecordset(reports::SqlDoPedido(p), dao::dbOpenSnapshot);
        linhas = reports::LerLinhas(*rs, campo).size();
    }
    state.counters["linhas"] = double(linhas);
}
void BM_TextoSaldosNaData(benchmark::State &state) { texto(state, naData(livro(), true), QStringLiteral("Saldo")); }
void BM_TextoBalancoDoAno(benchmark::State &state) { texto(state, noAno(livro(), true), QStringLiteral("Balanco")); }
void BM_TextoCruzadoDoAno(benchmark::State &state) { texto(state, cruzado(livro()), QStringLiteral("Balanco")); }

#define BALANCO(fn) BENCHMARK(fn)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true)
BALANCO(BM_SaldosNaDataContas);
BALANCO(BM_SaldosNaDataTipos);
BALANCO(BM_BareSaldosNaData);
BALANCO(BM_BalancoDoAnoContas);
BALANCO(BM_BalancoDoAnoTipos);
BALANCO(BM_BareBalancoDoAno);
BALANCO(BM_CruzadoDoAno);
BALANCO(BM_BareCruzadoDoAno);
const bool textos = [] {
    if (qgetenv("FIN_BENCH_TEXTOS") != "1") return false;
    benchmark::RegisterBenchmark("BM_TextoSaldosNaData", BM_TextoSaldosNaData)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("BM_TextoBalancoDoAno", BM_TextoBalancoDoAno)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("BM_TextoCruzadoDoAno", BM_TextoCruzadoDoAno)->Unit(benchmark::kMillisecond)->Iterations(1);
    return true;
}();

} // namespace
