// The pending list on the ten-year 1M-posting book with 10,000 postings
// still unsettled: opening the list (query and grid until the window is
// available) for an administrator and a common user beside the bare engine
// reading the same rows; settling as 'N' a posting a year back beside the
// write core's back-dated posting; settling '?' as 'S' beside a bare one-row
// INSERT + COMMIT.
#include "BenchBook.h"
#include "ui/AppContext.h"
#include "db/CDaoTrans.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/widgets/FlexGrid.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "pending/SqlPendencias.h"
#include "pending/frmPendencias.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>

namespace {

constexpr int kLivro = 1000000;
constexpr long kComum = 2;

long contar(dao::Database &db, const QString &sql) {
    auto rs = db.OpenRecordset(sql, dao::dbOpenSnapshot);
    return long(rs->Field(0).toInt());
}

// The book with one posting in a hundred unsettled, the rest settled as
// realised (balances unchanged: both count), and a common user who may read
// every account and type.
benchsupport::BenchBook &livro() {
    static bool pronto = false;
    benchsupport::BenchBook &b = benchsupport::bookOnDisk(QStringLiteral("pendencias"), kLivro);
    if (!pronto) {
        pronto = true;
        dao::Database &db = *b.db;
        db.workspace().BeginTrans();
        db.Execute(QStringLiteral("UPDATE Lancamentos SET Realizado = 'S' WHERE Realizado = '?'"));
        // Exactly 10,000 spread over the ten years (the engine's own SQL: Jet has no LIMIT).
        sqlite3_exec(db.handle(),
                     "UPDATE Lancamentos SET Realizado = '?' WHERE Id IN (SELECT Id FROM Lancamentos WHERE "
                     "Realizado = 'S' ORDER BY Id % 100, Id LIMIT 10000)",
                     nullptr, nullptr, nullptr);
        // The book stays on disk between runs: the user and his rows once.
        if (contar(db, QStringLiteral("SELECT COUNT(*) FROM Usuarios WHERE Id = 2")) == 0) {
            db.Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('ZE','ZE','X',2)"));
            db.Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                                      "SELECT 2, Id, 1, 3 FROM Contas WHERE CodPai = '000' AND Codigo <> '000'"));
            db.Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                                      "SELECT 2, Id, 2, 1 FROM TiposMovimentacoes WHERE Codigo <> '000'"));
        }
        db.workspace().CommitTrans();
        ui::gDB = &db;
    }
    return b;
}

// From the command's query to the window available with its rows.
void abrir(benchmark::State &state, long idUsuario, int tipo) {
    benchsupport::BenchBook &b = livro();
    ui::gIdUsuario = idUsuario;
    ui::gTipoUsuario = tipo;
    long linhas = 0;
    for (auto _ : state) {
        auto *f = new pending::frmPendencias();
        f->Load();
        f->setSQL(pending::SqlPendencias(idUsuario, tipo, QDate::currentDate()));
        f->Activate();
        if (!f->isEnabled() || !f->JaAtivada()) state.SkipWithError("list not loaded");
        linhas = f->Fgrid->Rows() - 1;
        state.PauseTiming();
        f->Unload();
        delete f;
        state.ResumeTiming();
    }
    state.counters["rows"] = double(linhas);
    state.counters["per_row"] = benchmark::Counter(double(linhas) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    (void)b;
}

void BM_OpenPendingAdministrator(benchmark::State &state) { abrir(state, 1, 1); }
void BM_OpenPendingCommonUser(benchmark::State &state) { abrir(state, kComum, 2); }

// The bare engine: the same rows, joined with their descriptions, in DataId
// order, each column read once.
void BM_BareReadPending(benchmark::State &state) {
    benchsupport::BenchBook &b = livro();
    sqlite3 *h = b.db->handle();
    sqlite3_stmt *st = nullptr;
    const QByteArray hoje = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
    sqlite3_prepare_v2(h,
                       "SELECT L.Id, L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, L.Valor, L.Data, L.Historico, "
                       "L.Estorno, L.DataId, L.Estornado, L.Realizado, U.IdLogin, C.DesConta, T.DesMovimentacao "
                       "FROM Lancamentos L JOIN Contas C ON C.Codigo = L.CodConta JOIN TiposMovimentacoes T ON "
                       "T.Codigo = L.CodRecDesp JOIN Usuarios U ON U.Id = L.IdUsuario WHERE L.Realizado = '?' AND "
                       "L.Data < date(?1, '+1 day') ORDER BY L.DataId",
                       -1, &st, nullptr);
    long linhas = 0;
    for (auto _ : state) {
        sqlite3_bind_text(st, 1, hoje.constData(), -1, SQLITE_TRANSIENT);
        linhas = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) benchmark::DoNotOptimize(sqlite3_column_text(st, c));
            ++linhas;
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    state.counters["rows"] = double(linhas);
    state.counters["per_row"] = benchmark::Counter(double(linhas) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// An unsettled posting dated about a year back, and how many postings its
// settlement moves (itself and every later one).
struct Alvo {
    long id = 0;
    long movidos = 0;
    QString dataId;
};
Alvo alvoUmAnoAtras() {
    benchsupport::BenchBook &b = livro();
    const QString data = QDate::currentDate().addYears(-1).toString(QStringLiteral("yyyyMMdd"));
    Alvo a;
    auto rs = b.db->OpenRecordset(QStringLiteral("SELECT TOP 1 Id, DataId FROM Lancamentos WHERE Realizado = '?' AND "
                                                 "Transferencia = 0 AND DataId >= '%1' ORDER BY DataId").arg(data),
                                  dao::dbOpenSnapshot);
    a.id = long(rs->Field(0).toInt());
    a.dataId = rs->Field(1).toString();
    a.movidos = contar(*b.db, QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE DataId >= '%1'").arg(a.dataId));
    return a;
}

const core::escrita::Chamador kOnde{"frmPendencias", "cmdBaixar_Click"};

// Out of the balances and back in: two settlements, each moving the posting
// and every later one, all of it timed (a write left out of the timing would
// still leave its pages for the next one to write).
void BM_SettleNotRealisedAYearBack(benchmark::State &state) {
    benchsupport::BenchBook &b = livro();
    const Alvo a = alvoUmAnoAtras();
    for (auto _ : state) {
        if (core::escrita::Baixar(*b.db, kOnde, a.id, 0, QStringLiteral("?"), QStringLiteral("N")) != core::escrita::Desfecho::Gravado ||
            core::escrita::Baixar(*b.db, kOnde, a.id, 0, QStringLiteral("N"), QStringLiteral("?")) != core::escrita::Desfecho::Gravado)
            state.SkipWithError("not settled");
    }
    state.counters["moved"] = double(a.movidos);
    state.counters["per_moved"] = benchmark::Counter(2.0 * double(a.movidos) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The write core's posting on the same date: it moves the postings after it.
void BM_PostingAYearBack(benchmark::State &state) {
    benchsupport::BenchBook &b = livro();
    const Alvo a = alvoUmAnoAtras();
    core::escrita::Lancamento l;
    l.codConta = b.book.accounts.last();
    l.codRecDesp = b.book.types.last();
    l.valor = value::Currency::fromWhole(1);
    l.data = QDate::fromString(a.dataId.left(8), QStringLiteral("yyyyMMdd"));
    l.historico = QStringLiteral("BENCH");
    l.idUsuario = 1;
    long movidos = 0;
    for (auto _ : state) {
        state.PauseTiming();
        movidos = contar(*b.db, QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Data > #%1#")
                                    .arg(l.data.toString(QStringLiteral("MM/dd/yyyy"))));
        state.ResumeTiming();
        db::CDaoTrans t;
        t.BegTrans();
        if (core::escrita::GravarLancamento(*b.db, l) != core::escrita::Resultado::Gravado) state.SkipWithError("not written");
        t.ComTrans();
    }
    state.counters["moved"] = double(movidos);
    state.counters["per_moved"] = benchmark::Counter(double(movidos) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// '?' to 'S' and back: two settlements that move nothing.
void BM_SettleRealised(benchmark::State &state) {
    benchsupport::BenchBook &b = livro();
    const Alvo a = alvoUmAnoAtras();
    for (auto _ : state) {
        if (core::escrita::Baixar(*b.db, kOnde, a.id, 0, QStringLiteral("?"), QStringLiteral("S")) != core::escrita::Desfecho::Gravado ||
            core::escrita::Baixar(*b.db, kOnde, a.id, 0, QStringLiteral("S"), QStringLiteral("?")) != core::escrita::Desfecho::Gravado)
            state.SkipWithError("not settled");
    }
    state.counters["per_settlement"] = benchmark::Counter(2.0 * double(state.iterations()),
                                                          benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The engine's least write: one posting row by a plain INSERT, committed,
// past every Id of the book (kept between runs).
void BM_BareInsertCommit(benchmark::State &state) {
    benchsupport::BenchBook &b = livro();
    static long proximo = std::max(900000000L, contar(*b.db, QStringLiteral("SELECT MAX(Id) FROM Lancamentos")) + 1);
    for (auto _ : state) {
        const long id = proximo++;
        b.db->workspace().BeginTrans();
        b.db->Execute(QStringLiteral("INSERT INTO Lancamentos (Id, CodConta, CodRecDesp, Valor, Data, Historico, DataId, "
                                     "SaldoConta, SaldoRecDesp, SaldoGlobal, IdUsuario, Realizado) VALUES (%1, '%2', '%3', "
                                     "1, #01/01/1990#, 'BENCH', '19900101%4', 0, 0, 0, 1, 'S')")
                          .arg(id)
                          .arg(b.book.accounts.last(), b.book.types.last())
                          .arg(id, 9, 10, QLatin1Char('0')),
                      dao::dbFailOnError);
        b.db->workspace().CommitTrans();
    }
}

BENCHMARK(BM_OpenPendingAdministrator)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenPendingCommonUser)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BareReadPending)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SettleNotRealisedAYearBack)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PostingAYearBack)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SettleRealised)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_BareInsertCommit)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

} // namespace

