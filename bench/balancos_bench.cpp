// Balances on a large book (1M postings, 1,110 accounts and 1,110 types on
// three levels): the whole chart at a date, over a year, and the cross
// balance of one first-level account over a year, each beside the bare
// engine reading the same rows through the same indexes.
#include "BenchBook.h"
#include "core/consultas/CalculoBalanco.h"
#include "core/consultas/ConsultasBalanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Sqlite.h"
#include "reports/frmBalSal.h"
#include "ui/AppContext.h"


#include <QCoreApplication>
#include <QHash>
#include <benchmark/benchmark.h>

namespace {

using Fixture = benchsupport::BenchBook;
using core::consultas::PedidoBalanco;

Fixture &livro() {
    ui::gTipoUsuario = 1; // an administrator: nothing is filtered
    return benchsupport::bookOnDisk(QStringLiteral("balancos"), 1000000, 10, 3);
}
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
    return core::consultas::PedidoBalRecDespEmConta(f.book.accounts.first(), ultimo(f).addDays(-364), ultimo(f), false);
}

void calcular(benchmark::State &state, const PedidoBalanco &p) {
    Fixture &f = livro();
    std::size_t linhas = 0;
    for (auto _ : state) {
        const core::consultas::LinhasBalanco l = core::consultas::CalcularBalanco(*f.db, p);
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

// The balance window drawn from the rows of a whole chart: items, tree and
// total line (the rows are read once, outside the loop).
void janela(benchmark::State &state, long mode, const PedidoBalanco &p) {
    Fixture &f = livro();
    const core::consultas::LinhasBalanco linhas = core::consultas::CalcularBalanco(*f.db, p);
    reports::frmBalSal w;
    w.setMode(mode);
    w.resize(w.size());
    w.show();
    for (auto _ : state) {
        w.MostrarLinhas(linhas);
        QCoreApplication::processEvents();
    }
    state.counters["nos"] = double(w.tv->Count());
}
void BM_JanelaSaldosNaData(benchmark::State &state) { janela(state, 6, naData(livro(), true)); }
void BM_JanelaBalancoDoAno(benchmark::State &state) { janela(state, 3, noAno(livro(), true)); }

// ---- the bare engine, the same reads ------------------------------------------

QString dia(const QDate &d) { return d.toString(QStringLiteral("yyyyMMdd")); }

// One seek per account on (CodConta, DataId) inside one statement, then the
// postings after the earliest of those in one range of the DataId index.
void BM_BareSaldosNaData(benchmark::State &state) {
    Fixture &f = livro();
    sqlite3 *h = f.db->handle();
    const QString fim = dia(ultimo(f).addDays(1));
    dao::sqlite::Statement ultimos(h, QStringLiteral("SELECT C.Codigo, L2.DataId, L2.SaldoConta FROM Contas AS C LEFT JOIN Lancamentos AS L2 "
                                                     "ON L2.DataId = (SELECT L.DataId FROM Lancamentos AS L WHERE L.CodConta = C.Codigo "
                                                     "AND L.DataId < ?1 ORDER BY L.DataId DESC LIMIT 1)"));
    dao::sqlite::Statement faixa(h, QStringLiteral("SELECT DataId, CodConta, Valor FROM Lancamentos WHERE DataId > ?1 AND DataId < ?2 "
                                                   "AND Realizado <> 'N'"));
    long linhas = 0;
    for (auto _ : state) {
        QString desde = fim;
        qint64 soma = 0;
        ultimos.reset();
        ultimos.bindText(1, fim);
        while (ultimos.step()) {
            if (sqlite3_column_type(ultimos.get(), 1) == SQLITE_NULL) continue;
            const QString d = ultimos.columnText(1);
            if (d < desde) desde = d;
            soma += sqlite3_column_int64(ultimos.get(), 2);
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

// The rows of a range read and summed per code, as the balance does.
long somarPorCodigo(dao::sqlite::Statement &q) {
    QHash<QString, qint64> somas;
    long linhas = 0;
    while (q.step()) {
        somas[q.columnText(0)] += sqlite3_column_int64(q.get(), 1);
        ++linhas;
    }
    return linhas;
}

// A year of postings in one range of the DataId index.
void BM_BareBalancoDoAno(benchmark::State &state) {
    Fixture &f = livro();
    dao::sqlite::Statement q(f.db->handle(),
                             QStringLiteral("SELECT CodConta, Valor FROM Lancamentos WHERE DataId >= ?1 AND DataId < ?2 "
                                            "AND (Realizado = 'S' OR Realizado = '?')"));
    long linhas = 0;
    for (auto _ : state) {
        q.reset();
        q.bindText(1, dia(ultimo(f).addDays(-364)));
        q.bindText(2, dia(ultimo(f).addDays(1)));
        linhas = somarPorCodigo(q);
    }
    state.counters["lancamentos"] = double(linhas);
}

// A year of one first-level account's branch, per type.
void BM_BareCruzadoDoAno(benchmark::State &state) {
    Fixture &f = livro();
    const QString conta = f.book.accounts.first();
    dao::sqlite::Statement q(f.db->handle(),
                             QStringLiteral("SELECT CodRecDesp, Valor FROM Lancamentos WHERE CodConta >= ?3 AND CodConta < ?4 "
                                            "AND DataId >= ?1 AND DataId < ?2 AND (Realizado = 'S' OR Realizado = '?')"));
    long linhas = 0;
    for (auto _ : state) {
        q.reset();
        q.bindText(1, dia(ultimo(f).addDays(-364)));
        q.bindText(2, dia(ultimo(f).addDays(1)));
        q.bindText(3, conta);
        q.bindText(4, conta + QChar(0xFFFF));
        linhas = somarPorCodigo(q);
    }
    state.counters["lancamentos"] = double(linhas);
}

// The query texts themselves, for the record: registered only with
// FIN_BENCH_TEXTOS=1 in the environment, run once each; they take seconds.
void texto(benchmark::State &state, const PedidoBalanco &p, const QString &campo) {
    Fixture &f = livro();
    std::size_t linhas = 0;
    for (auto _ : state) {
        auto rs = f.db->OpenRecordset(core::consultas::SqlDoPedido(p), dao::dbOpenSnapshot);
        linhas = core::consultas::LerLinhas(*rs, campo).size();
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
BALANCO(BM_JanelaSaldosNaData);
BALANCO(BM_JanelaBalancoDoAno);
BALANCO(BM_BareCruzadoDoAno);
const bool textos = [] {
    if (qgetenv("FIN_BENCH_TEXTOS") != "1") return false;
    benchmark::RegisterBenchmark("BM_TextoSaldosNaData", BM_TextoSaldosNaData)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("BM_TextoBalancoDoAno", BM_TextoBalancoDoAno)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("BM_TextoCruzadoDoAno", BM_TextoCruzadoDoAno)->Unit(benchmark::kMillisecond)->Iterations(1);
    return true;
}();

} // namespace
