// The search results on the 1M-posting book with varied documents: a year's
// account statement on screen (query, previous balance, grid), the same
// statement refreshed after a settlement, the previous balance alone, and the
// search by document, exact and by prefix, for an administrator and for a
// common user; each beside the bare engine reading the same rows in the same run.
#include "LivroComDocumentos.h"
#include "core/escrita/Operacoes.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/widgets/DataGrid.h"
#include "search/SaldoAnterior.h"
#include "reports/SqlExtrato.h"
#include "search/frmRetPesq.h"
#include "ui/AppContext.h"

#include <QTableView>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

constexpr int kLancamentos = 1000000;

// Arg 0 of the statement benchmarks: 0 the postings stored at random, 1 in date order.
benchsupport::BenchBook &livro(int arrumacao = 0) {
    benchsupport::BenchBook &b = benchsupport::bookWithDocuments(
        kLancamentos, arrumacao ? benchsupport::Arrumacao::Cronologica : benchsupport::Arrumacao::Aleatoria);
    ui::gDB = b.db.get();
    return b;
}

// The last year of the book.
QDate fimDoLivro(const benchsupport::BenchBook &b) { return b.shape.first.addDays(b.shape.days); }
QDate inicioDoAno(const benchsupport::BenchBook &b) { return fimDoLivro(b).addDays(-364); }

QString literal(const QDate &d) { return d.toString(QStringLiteral("#MM/dd/yyyy#")); }

// An unfiltered account statement of an administrator: with `doPrograma` as
// the statement command builds it (the period also as a DataId range),
// otherwise with the dates alone, as the text the command was first given.
QString extrato(const QDate &de, const QDate &ate, bool doPrograma) {
    if (doPrograma) {
        reports::PedidoDeExtrato p;
        p.mode = 1;
        p.dataIni = de;
        p.dataFim = ate;
        p.idUsuario = 1;
        return reports::SqlDoExtrato(p);
    }
    return QStringLiteral("SELECT DISTINCT L.Id, L.Transferencia,  L.CodConta, L.CodRecDesp, L.Documento, L.Valor, "
                          "L.Data, L.Historico, L.Estorno, L.DataId, L.SaldoConta, L.SaldoGlobal, L.Estornado, "
                          "L.Realizado, U.IdLogin, C.DesConta, T.DesMovimentacao FROM ((Lancamentos AS L INNER JOIN "
                          "Contas AS C ON (L.Data Between %1 And %2  And L.CodConta = C.Codigo )) INNER JOIN "
                          "TiposMovimentacoes AS T ON L.CodRecDesp = T.Codigo) INNER JOIN Usuarios AS U ON "
                          "L.IdUsuario = U.Id  ORDER BY L.DataId;")
        .arg(literal(de), literal(ate));
}

search::frmRetPesq *abrirJanela(long mode, const QString &sql, const QString &titulo) {
    auto *f = new search::frmRetPesq();
    f->setAttribute(Qt::WA_DeleteOnClose, false);
    f->Load();
    f->TituloRelatorio = titulo;
    f->SQL = sql;
    f->setMode(mode);
    f->resize(1200, 800);
    f->show();
    f->Activate();
    return f;
}

void fechar(search::frmRetPesq *f) {
    f->Unload();
    delete f;
}

// Steps through a bare statement, touching every column of every row.
long bare(sqlite3 *db, const char *sql, const QByteArray &a, const QByteArray &b = QByteArray()) {
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    sqlite3_bind_text(st, 1, a.constData(), int(a.size()), SQLITE_TRANSIENT);
    if (!b.isNull()) sqlite3_bind_text(st, 2, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    long n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) benchmark::DoNotOptimize(sqlite3_column_text(st, c));
        ++n;
    }
    sqlite3_finalize(st);
    return n;
}

const char *kBareExtrato =
    "SELECT L.Id, L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, L.Valor, L.Data, L.Historico, L.Estorno, "
    "L.DataId, L.SaldoConta, L.SaldoGlobal, L.Estornado, L.Realizado, U.IdLogin, C.DesConta, T.DesMovimentacao "
    "FROM Lancamentos L JOIN Contas C ON C.Codigo = L.CodConta JOIN TiposMovimentacoes T ON T.Codigo = L.CodRecDesp "
    "JOIN Usuarios U ON U.Id = L.IdUsuario WHERE L.DataId >= ?1 AND L.DataId < ?2 ORDER BY L.DataId";

void porLinha(benchmark::State &state, long linhas) {
    state.counters["rows"] = double(linhas);
    // Seconds per row read, from the time measured and the rows counted.
    state.counters["per_row"] = benchmark::Counter(double(linhas), benchmark::Counter::kIsIterationInvariantRate |
                                                                       benchmark::Counter::kInvert);
}

// ---- statement -------------------------------------------------------------------

// Arg 0: layout (0 at random, 1 in date order); arg 1: 0 the dates alone, 1 the command's text.
void BM_ExtratoNaTela(benchmark::State &state) {
    benchsupport::BenchBook &b = livro(int(state.range(0)));
    const QString sql = extrato(inicioDoAno(b), fimDoLivro(b), state.range(1) == 1);
    long linhas = 0;
    for (auto _ : state) {
        search::frmRetPesq *f = abrirJanela(1, sql, QStringLiteral("EXTRATO"));
        const bool mostrou = f->Recordset() && f->DBGrid1->VisibleRows() > 0;
        if (mostrou) linhas = f->Recordset()->RecordCount();
        state.PauseTiming();
        fechar(f);
        state.ResumeTiming();
        if (!mostrou) {
            state.SkipWithError("no row on screen");
            break;
        }
    }
    porLinha(state, linhas);
}
BENCHMARK(BM_ExtratoNaTela)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1})->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_ExtratoBare(benchmark::State &state) {
    benchsupport::BenchBook &b = livro(int(state.range(0)));
    const QByteArray de = inicioDoAno(b).toString(QStringLiteral("yyyyMMdd")).toLatin1();
    const QByteArray ate = fimDoLivro(b).addDays(1).toString(QStringLiteral("yyyyMMdd")).toLatin1();
    long linhas = 0;
    for (auto _ : state) linhas = bare(b.db->handle(), kBareExtrato, de, ate);
    porLinha(state, linhas);
}
BENCHMARK(BM_ExtratoBare)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The window refreshed after it settled a posting (realised and back), as
// the settling command does.
void BM_ExtratoAtualizadoAposBaixa(benchmark::State &state) {
    benchsupport::BenchBook &b = livro(int(state.range(0)));
    search::frmRetPesq *f =
        abrirJanela(1, extrato(inicioDoAno(b), fimDoLivro(b), state.range(1) == 1), QStringLiteral("EXTRATO"));
    dao::Recordset &rs = *f->Recordset();
    rs.SetAbsolutePosition(rs.RecordCount() / 2);
    const long id = long(rs.Field(QStringLiteral("Id")).toInt());
    QString codigo = rs.Field(QStringLiteral("Realizado")).toString();
    long linhas = 0;
    for (auto _ : state) {
        const QString novo = codigo == QStringLiteral("S") ? QStringLiteral("?") : QStringLiteral("S");
        if (core::escrita::Baixar(*b.db, {"frmRetPesq", "cmdBaixar_Click"}, id, 0, codigo, novo) !=
            core::escrita::Desfecho::Gravado)
            state.SkipWithError("not settled");
        codigo = novo;
        f->cmdAtualizar_Click();
        linhas = f->Recordset()->RecordCount();
    }
    porLinha(state, linhas);
    fechar(f);
}
BENCHMARK(BM_ExtratoAtualizadoAposBaixa)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1})->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The refresh alone (the refresh button), for comparison with the one after a settlement.
void BM_ExtratoAtualizado(benchmark::State &state) {
    benchsupport::BenchBook &b = livro(int(state.range(0)));
    search::frmRetPesq *f =
        abrirJanela(1, extrato(inicioDoAno(b), fimDoLivro(b), state.range(1) == 1), QStringLiteral("EXTRATO"));
    long linhas = 0;
    for (auto _ : state) {
        f->cmdAtualizar_Click();
        linhas = f->Recordset()->RecordCount();
    }
    porLinha(state, linhas);
    fechar(f);
}
BENCHMARK(BM_ExtratoAtualizado)->Args({1, 1})->Unit(benchmark::kMillisecond)->MinTime(3.0);

// ---- previous balance -------------------------------------------------------------

void BM_SaldoAnterior(benchmark::State &state) {
    benchsupport::BenchBook &b = livro();
    const QString dataId = inicioDoAno(b).toString(QStringLiteral("yyyyMMdd"));
    for (auto _ : state) benchmark::DoNotOptimize(search::SaldoGlobalAntesDe(*b.db, dataId));
}
BENCHMARK(BM_SaldoAnterior)->Unit(benchmark::kMicrosecond);

void BM_SaldoAnteriorBare(benchmark::State &state) {
    benchsupport::BenchBook &b = livro();
    const QByteArray dataId = inicioDoAno(b).toString(QStringLiteral("yyyyMMdd")).toLatin1();
    for (auto _ : state)
        bare(b.db->handle(), "SELECT SaldoGlobal FROM Lancamentos WHERE DataId < ?1 ORDER BY DataId DESC LIMIT 1",
             dataId);
}
BENCHMARK(BM_SaldoAnteriorBare)->Unit(benchmark::kMicrosecond);

// ---- search by document ------------------------------------------------------------

// A common user who may search every account (from the first level down) and every type.
long usuarioComum(dao::Database &db) {
    auto rs = db.OpenRecordset(QStringLiteral("SELECT Id FROM Usuarios WHERE IdLogin = 'BENCH'"), dao::dbOpenSnapshot);
    if (!rs->Eof()) return long(rs->Field(0).toInt());
    db.Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo) VALUES ('BENCH', 'BENCH', 'X', 2)"));
    const long id = long(db.OpenRecordset(QStringLiteral("SELECT Id FROM Usuarios WHERE IdLogin = 'BENCH'"),
                                          dao::dbOpenSnapshot)->Field(0).toInt());
    db.Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                              "SELECT %1, Id, 1, 1 FROM Contas WHERE CodPai = '000' AND Codigo <> '000'").arg(id));
    db.Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                              "SELECT %1, Id, 2, 3 FROM TiposMovimentacoes").arg(id));
    return id;
}

// Arg 0: exact text; 1: a prefix. Arg 1: user type.
void BM_PesquisaPorDocumento(benchmark::State &state) {
    benchsupport::BenchBook &b = livro();
    const bool prefixo = state.range(0) == 1;
    const long tipo = state.range(1);
    const long id = tipo == 1 ? 1 : usuarioComum(*b.db);
    ui::gTipoUsuario = tipo;
    ui::gIdUsuario = id;
    const QString texto = prefixo ? QStringLiteral("NF01234*") : QStringLiteral("nf012345");
    long linhas = 0;
    for (auto _ : state) {
        search::frmRetPesq *f =
            abrirJanela(5, search::SqlPesquisaPorDocumento(texto, tipo, id), search::kTituloPesquisaPorDocumento);
        linhas = f->Recordset()->RecordCount();
        state.PauseTiming();
        fechar(f);
        state.ResumeTiming();
    }
    ui::gTipoUsuario = 1;
    ui::gIdUsuario = 1;
    state.counters["rows"] = double(linhas);
}
BENCHMARK(BM_PesquisaPorDocumento)->Args({0, 1})->Args({1, 1})->Args({0, 2})->Args({1, 2})->Unit(benchmark::kMillisecond);

void BM_PesquisaPorDocumentoBare(benchmark::State &state) {
    benchsupport::BenchBook &b = livro();
    const bool prefixo = state.range(0) == 1;
    const char *sql = prefixo ? "SELECT L.*, C.DesConta, T.DesMovimentacao, U.IdLogin FROM Lancamentos L JOIN Contas C "
                                "ON C.Codigo = L.CodConta JOIN TiposMovimentacoes T ON T.Codigo = L.CodRecDesp JOIN "
                                "Usuarios U ON U.Id = L.IdUsuario WHERE L.Documento >= ?1 AND L.Documento < ?2 "
                                "ORDER BY L.DataId"
                              : "SELECT L.*, C.DesConta, T.DesMovimentacao, U.IdLogin FROM Lancamentos L JOIN Contas C "
                                "ON C.Codigo = L.CodConta JOIN TiposMovimentacoes T ON T.Codigo = L.CodRecDesp JOIN "
                                "Usuarios U ON U.Id = L.IdUsuario WHERE L.Documento = ?1 ORDER BY L.DataId";
    long linhas = 0;
    for (auto _ : state)
        linhas = prefixo ? bare(b.db->handle(), sql, QByteArray("NF01234"), QByteArray("NF01235"))
                         : bare(b.db->handle(), sql, QByteArray("NF012345"));
    state.counters["rows"] = double(linhas);
}
BENCHMARK(BM_PesquisaPorDocumentoBare)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

