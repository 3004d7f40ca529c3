// Opening a statement or balance selection dialog on a chart of 5,000
// accounts: the query, the item tree and the tree nodes, for an
// administrator and for a common user who may read every account; beside it
// the bare engine reading the same rows.
#include "ui/AppContext.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/widgets/TreeView.h"
#include "reports/frmExtra.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

// Shapes of 5,000 accounts: 0 = 100 first-level accounts with 49 children
// each; 1 = 5 first-level accounts with 999 children each (a full level).
struct Plano {
    std::unique_ptr<dao::Database> db;
    long contas = 0;
    explicit Plano(int forma) {
        const QString p = QDir::temp().filePath(QStringLiteral("fin-bench-selecao-%1.mdb").arg(forma));
        for (const char *s : {"", "-wal", "-shm"}) QFile::remove(p + QString::fromLatin1(s));
        db = db::ConstruirBancoDeDados(p);
        db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('COMUM','COMUM','C',2)"));
        db->workspace().BeginTrans();
        const int pais = forma == 0 ? 100 : 5, filhos = forma == 0 ? 49 : 999;
        auto inserir = [&](const QString &cod, const QString &pai) {
            ++contas;
            // Descriptions out of code order, so that sorting does work.
            db->Execute(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('CONTA %1 %2', '%3', '%4')")
                            .arg(QChar(QLatin1Char(char('A' + (contas * 7) % 26))))
                            .arg(contas, 5, 10, QLatin1Char('0'))
                            .arg(cod, pai));
        };
        for (int i = 1; i <= pais; ++i) {
            const QString pai = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
            inserir(pai, QStringLiteral("000"));
            for (int c = 1; c <= filhos; ++c) inserir(pai + QStringLiteral(".%1").arg(c, 3, 10, QLatin1Char('0')), pai);
        }
        db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                                   "SELECT 2, Id, 1, 1 FROM Contas"));
        db->workspace().CommitTrans();
    }
};

Plano &plano(int forma) {
    static std::map<int, std::unique_ptr<Plano>> planos;
    auto &p = planos[forma];
    if (!p) p = std::make_unique<Plano>(forma);
    return *p;
}

void usuario(int comum) {
    ui::gIdUsuario = comum ? 2 : 1;
    ui::gTipoUsuario = comum ? 2 : 1;
}

// Args: shape, common user.
void BM_OpenSelectionDialog(benchmark::State &state) {
    Plano &p = plano(int(state.range(0)));
    ui::gDB = p.db.get();
    usuario(int(state.range(1)));
    long nos = 0;
    for (auto _ : state) {
        auto d = std::make_unique<reports::frmExtraCon>();
        d->Load();
        d->setMode(1);
        nos = d->tv->Count();
        d->Unload();
    }
    if (nos != p.contas) state.SkipWithError("not every account became a node");
    state.counters["nodes"] = double(nos);
}
BENCHMARK(BM_OpenSelectionDialog)->Args({0, 0})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The bare engine: the administrator's chart query, every row read.
void BM_BareChartQuery(benchmark::State &state) {
    Plano &p = plano(int(state.range(0)));
    long linhas = 0;
    for (auto _ : state) {
        auto rs = p.db->OpenRecordset(
            QStringLiteral("SELECT 0 as Id, C.Codigo, C.DesConta as DesObjeto, C.Inativa, C.Id As IdObjeto, 1 As "
                           "TipoObjeto, 3 as Permissoes FROM CONTAS AS C WHERE C.CODIGO <> '000' ORDER BY C.Codigo"),
            dao::dbOpenSnapshot);
        linhas = 0;
        for (; !rs->Eof(); rs->MoveNext()) {
            benchmark::DoNotOptimize(rs->Field(QStringLiteral("DesObjeto")));
            ++linhas;
        }
    }
    state.counters["rows"] = double(linhas);
}
BENCHMARK(BM_BareChartQuery)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace
