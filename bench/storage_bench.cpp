// Storage benchmarks: the balance read every posting write starts from
// (ParQrySerialESaldos) on large books, each case beside the bare engine
// reading the same balances by hand-written index seeks in the same run; and
// the cost of translating a statement.
#include "BenchBook.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"

#include <benchmark/benchmark.h>

#include <sqlite3.h>

namespace {

using Fixture = benchsupport::BenchBook;

Fixture &book(int postings) { return benchsupport::bookOnDisk(QStringLiteral("storage"), postings); }

enum Caso { Tipica, SemLancamentos, TituloSemLancamentosProprios, UmAnoAtras, DataMaisAntiga };

struct Leitura {
    QString conta, tipo;
    QDate data;
};

// An account with no posting, nor any below it: added to the book once.
QString contaSemLancamentos(Fixture &f) {
    auto rs = f.db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Contas WHERE Codigo = '999'"), dao::dbOpenSnapshot);
    if (rs->Field(0).toInt() == 0) {
        f.db->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('999', '000', 'SEM LANCAMENTOS')"));
        f.db->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('999.001', '999', 'SEM LANCAMENTOS 2')"));
    }
    return QStringLiteral("999");
}

// A typical account is one that takes postings (no children); the heading is
// a first-level account, whose own children hold every posting of its branch.
Leitura leitura(Fixture &f, int caso) {
    const QDate ultima = f.shape.first.addDays(f.shape.days);
    Leitura l{f.book.accounts.last(), f.book.types.last(), ultima};
    switch (caso) {
    case SemLancamentos: l.conta = contaSemLancamentos(f); break;
    case TituloSemLancamentosProprios: l.conta = f.book.accounts.first(); break;
    case UmAnoAtras: l.data = ultima.addDays(-365); break;
    case DataMaisAntiga: l.data = f.shape.first; break;
    default: break;
    }
    return l;
}

// The balance read as the posting write does it: the saved query, its three
// parameters and the recordset.
void lerSaldos(benchmark::State &state, Fixture &f, const Leitura &l) {
    auto q = f.db->QueryDefs(QStringLiteral("ParQrySerialESaldos"));
    for (auto _ : state) {
        q->SetParameter(0, l.conta);
        q->SetParameter(1, l.tipo);
        q->SetParameter(2, QDateTime(l.data, QTime(0, 0), Qt::UTC));
        auto rs = q->OpenRecordset(dao::dbOpenSnapshot);
        benchmark::DoNotOptimize(rs->Field(1).toCurrency());
    }
}

// The bare read: one statement prepared once, bound with the account (?1),
// the day's last DataId as text (?2) and as a row id (?4) and the type (?3).
void lerSaldosBare(benchmark::State &state, sqlite3 *h, const QByteArray &sql, const Leitura &l) {
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) != SQLITE_OK) state.SkipWithError(sqlite3_errmsg(h));
    const QByteArray conta = l.conta.toUtf8(), tipo = l.tipo.toUtf8();
    const QByteArray ate = l.data.toString(QStringLiteral("yyyyMMdd")).toUtf8() + "999999999";
    for (auto _ : state) {
        sqlite3_bind_text(st, 1, conta.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 2, ate.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 3, tipo.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_int64(st, 4, ate.toLongLong());
        if (sqlite3_step(st) != SQLITE_ROW) state.SkipWithError("bare read failed");
        benchmark::DoNotOptimize(sqlite3_column_int64(st, 1));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// args: book size, case
void BM_SerialESaldos(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)));
    lerSaldos(state, f, leitura(f, int(state.range(1))));
}

// The same four values read by the engine alone: the counter, the last
// posting of the account (or of each child of a heading without postings of
// its own), of the type and of the book up to the date.
void BM_SerialESaldosBare(benchmark::State &state) {
    Fixture &f = book(int(state.range(0)));
    const Leitura l = leitura(f, int(state.range(1)));
    sqlite3 *h = f.db->handle();
    const bool filhos = state.range(1) == SemLancamentos || state.range(1) == TituloSemLancamentosProprios;
    const QByteArray sql =
        QByteArrayLiteral("SELECT (SELECT Serial FROM Serial), ") +
        (filhos ? QByteArrayLiteral("(SELECT total((SELECT SaldoConta FROM Lancamentos AS L WHERE L.CodConta = C.Codigo AND "
                                    "L.DataId <= ?2 ORDER BY L.DataId DESC LIMIT 1)) FROM Contas AS C WHERE C.CodPai = ?1), ")
                : QByteArrayLiteral("(SELECT SaldoConta FROM Lancamentos WHERE CodConta = ?1 AND DataId <= ?2 ORDER BY DataId DESC "
                                    "LIMIT 1), ")) +
        QByteArrayLiteral("(SELECT SaldoRecDesp FROM Lancamentos WHERE CodRecDesp = ?3 AND DataId <= ?2 ORDER BY DataId DESC LIMIT 1), "
                          "(SELECT SaldoGlobal FROM Lancamentos WHERE rowid <= ?4 ORDER BY rowid DESC LIMIT 1)");
    lerSaldosBare(state, h, sql, l);
}

void casos(benchmark::internal::Benchmark *b) {
    for (int n : {100000, 1000000})
        for (int c : {Tipica, SemLancamentos, TituloSemLancamentosProprios, UmAnoAtras, DataMaisAntiga}) b->Args({n, c});
    b->ArgNames({"postings", "case"})->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(3)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_SerialESaldos)->Apply(casos);
BENCHMARK(BM_SerialESaldosBare)->Apply(casos);

// The same read on a chart of three levels (BenchBook: postings on the
// leaves and on a few second-level items, none on first-level items).
enum CasoTresNiveis {
    Folha,                // a leaf account and a leaf type, last date
    ItemVazio,            // an account with no posting (nor any below it)
    ContaPrimeiroNivel,   // a first-level account: no posting of its own; half its children have theirs
    TipoPrimeiroNivel,    // a first-level type: no posting of its own; half its children have theirs
    ContaSegundoNivel,    // a second-level account with postings of its own over its leaves
    FolhaUmAnoAtras,      // the leaves a year back
    FolhaNoveAnosAtras,   // the leaves nine years back
    TipoNoveAnosAtras,    // the first-level type nine years back
};

Fixture &tresNiveis(int postings) { return benchsupport::bookOnDiskTresNiveis(QStringLiteral("storage"), postings); }

Leitura leituraTresNiveis(Fixture &f, int caso) {
    const QDate ultima = f.shape.first.addDays(f.shape.days);
    Leitura l{f.book.accounts.last(), f.book.types.last(), ultima};
    switch (caso) {
    case ItemVazio: l.conta = contaSemLancamentos(f); break;
    case ContaPrimeiroNivel: l.conta = f.book.accounts.first(); break;
    case TipoPrimeiroNivel: l.tipo = f.book.types.first(); break;
    case ContaSegundoNivel: l.conta = f.book.accounts.first() + QStringLiteral(".001"); break;
    case FolhaUmAnoAtras: l.data = ultima.addDays(-365); break;
    case FolhaNoveAnosAtras: l.data = ultima.addDays(-9 * 365); break;
    case TipoNoveAnosAtras:
        l.tipo = f.book.types.first();
        l.data = ultima.addDays(-9 * 365);
        break;
    default: break;
    }
    return l;
}

// args: book size, case
void BM_SerialESaldosTresNiveis(benchmark::State &state) {
    Fixture &f = tresNiveis(int(state.range(0)));
    lerSaldos(state, f, leituraTresNiveis(f, int(state.range(1))));
}

// The engine alone, seeking what the read needs on a chart of three levels:
// the counter; for the account and the type, the running balance of the last
// own posting of the item up to the date, and for each child and grandchild
// the change of its balance between the points its parents' last postings
// mark (two seeks per point); the global balance.
void BM_SerialESaldosTresNiveisBare(benchmark::State &state) {
    Fixture &f = tresNiveis(int(state.range(0)));
    const Leitura l = leituraTresNiveis(f, int(state.range(1)));
    sqlite3 *h = f.db->handle();
    auto saldo = [](const char *plano, const char *col, const char *saldo, const char *item) {
        // m(c, y): the last own posting of c up to y; s(c, y): its balance.
        const QByteArray m = QByteArray("(SELECT DataId FROM Lancamentos WHERE ") + col + " = %1 AND DataId <= %2 ORDER BY DataId DESC LIMIT 1)";
        const QByteArray sx = QByteArray("(SELECT ") + saldo + " FROM Lancamentos WHERE " + col +
                              " = %1 AND DataId <= %2 ORDER BY DataId DESC LIMIT 1)";
        auto M = [&](const QByteArray &c, const QByteArray &y) { return QString::fromLatin1(m).arg(QString::fromLatin1(c), QString::fromLatin1(y)).toLatin1(); };
        auto S = [&](const QByteArray &c, const QByteArray &y) {
            return "ifnull(" + QString::fromLatin1(sx).arg(QString::fromLatin1(c), QString::fromLatin1(y)).toLatin1() + ", 0)";
        };
        const QByteArray a = item, x = "?2";
        const QByteArray ma = M(a, x);
        return S(a, x) + " + (SELECT total(" + S("C.Codigo", x) + " - " + S("C.Codigo", ma) +
               " + (SELECT total(" + S("G.Codigo", x) + " - " + S("G.Codigo", M("C.Codigo", x)) + " - " + S("G.Codigo", ma) + " + " +
               S("G.Codigo", M("C.Codigo", ma)) + ") FROM " + plano + " AS G WHERE G.CodPai = C.Codigo)) FROM " + plano +
               " AS C WHERE C.CodPai = " + a + " AND C.Codigo <> " + a + ")";
    };
    const QByteArray sql = "SELECT (SELECT Serial FROM Serial), " + saldo("Contas", "CodConta", "SaldoConta", "?1") + ", " +
                           saldo("TiposMovimentacoes", "CodRecDesp", "SaldoRecDesp", "?3") +
                           ", (SELECT SaldoGlobal FROM Lancamentos WHERE rowid <= ?4 ORDER BY rowid DESC LIMIT 1)";
    lerSaldosBare(state, h, sql, l);
}

void casosTresNiveis(benchmark::internal::Benchmark *b) {
    for (int n : {100000, 1000000})
        for (int c = Folha; c <= TipoNoveAnosAtras; ++c) b->Args({n, c});
    b->ArgNames({"postings", "case"})->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(3)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_SerialESaldosTresNiveis)->Apply(casosTresNiveis);
BENCHMARK(BM_SerialESaldosTresNiveisBare)->Apply(casosTresNiveis);

// A new text each time, in every repetition: nothing comes from the cache.
int gTextoNovo = 0;

void BM_TranslateCold(benchmark::State &state) {
    Fixture &f = book(100000);
    for (auto _ : state) {
        auto t = f.db->translate(QStringLiteral("SELECT L.Id, L.Valor FROM Lancamentos AS L INNER JOIN Contas AS C ON "
                                                "L.CodConta = C.Codigo WHERE C.Codigo LIKE '001*' AND L.Data <= #12/31/2026# "
                                                "AND L.Id > %1 ORDER BY L.DataId").arg(gTextoNovo++));
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_TranslateCold)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_TranslateCached(benchmark::State &state) {
    Fixture &f = book(100000);
    const QString sql = QStringLiteral("SELECT L.Id, L.Valor FROM Lancamentos AS L INNER JOIN Contas AS C ON "
                                       "L.CodConta = C.Codigo WHERE C.Codigo LIKE '001*' AND L.Data <= #12/31/2026#");
    for (auto _ : state) benchmark::DoNotOptimize(f.db->translate(sql));
}
BENCHMARK(BM_TranslateCached)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace
