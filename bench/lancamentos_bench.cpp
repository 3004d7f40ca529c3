// The posting window: a keystroke in the account box with 5,000 accounts
// (type-ahead over the whole list), measured until the window and the
// account list have drawn it; and the window's posting routine on large
// books.
#include "BenchBook.h"
#include "WidgetsMain.h"
#include "ui/AppContext.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Workspace.h"
#include "platform/widgets/EditCombo.h"
#include "core/escrita/Operacoes.h"
#include "postings/frmLancamentos.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QListView>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

QString caminho(const QString &nome) {
    const QString p = QDir::temp().filePath(nome);
    for (const char *s : {"", "-wal", "-shm"}) QFile::remove(p + QString::fromLatin1(s));
    return p;
}

// A posting window over 5,000 accounts (descriptions sharing long prefixes).
struct Janela {
    std::unique_ptr<dao::Database> db;
    postings::frmLancamentos *f = nullptr;
    Janela() {
        db = db::ConstruirBancoDeDados(caminho(QStringLiteral("fin-bench-contas.mdb")));
        db->workspace().BeginTrans();
        // 100 first-level accounts with 49 children each.
        int i = 0;
        auto inserir = [&](const QString &cod, const QString &pai) {
            ++i;
            db->Execute(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('CONTA %1 %2', '%3', '%4')")
                            .arg(QChar(QLatin1Char(char('A' + i % 26))))
                            .arg(i, 5, 10, QLatin1Char('0'))
                            .arg(cod, pai));
        };
        for (int p = 1; p <= 100; ++p) {
            const QString pai = QStringLiteral("%1").arg(p, 3, 10, QLatin1Char('0'));
            inserir(pai, QStringLiteral("000"));
            for (int c = 1; c <= 49; ++c) inserir(pai + QStringLiteral(".%1").arg(c, 3, 10, QLatin1Char('0')), pai);
        }
        db->Execute(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai) VALUES ('T', '003', '000')"));
        db->workspace().CommitTrans();
        ui::gDB = db.get();
        ui::gIdUsuario = 1;
        ui::gTipoUsuario = 1;
        f = new postings::frmLancamentos();
        f->Load();
        f->show();
        f->Activate();
    }
    ~Janela() {
        delete f;
        ui::gDB = nullptr;
    }
};

std::unique_ptr<Janela> gJanela;

void BM_KeystrokeInAccountBox(benchmark::State &state) {
    if (!gJanela) {
        gJanela = std::make_unique<Janela>();
        benchsupport::antesDeEncerrar([] { gJanela.reset(); });
    }
    widgets::EditCombo *cb = gJanela->f->cbContas;
    cb->setFocus();
    const QString digitado = QStringLiteral("conta z 049");
    int i = 0;
    for (auto _ : state) {
        if (i == 0) cb->setListIndex(-1);
        const QChar ch = digitado[i];
        QKeyEvent e(QEvent::KeyPress, ch == QLatin1Char(' ') ? int(Qt::Key_Space) : int(Qt::Key_A), Qt::NoModifier,
                    QString(ch));
        QApplication::sendEvent(cb, &e);
        // What the key queued runs, then the window and the dropped-down
        // list draw themselves now rather than at the next idle moment.
        QApplication::processEvents();
        gJanela->f->repaint();
        for (QListView *lista : cb->findChildren<QListView *>())
            if (lista->isVisible()) lista->repaint();
        i = (i + 1) % int(digitado.size());
    }
    state.counters["accounts"] = cb->ListCount();
}
BENCHMARK(BM_KeystrokeInAccountBox)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

using Livro = benchsupport::BenchBook;

Livro &livro(int postings) { return benchsupport::bookOnDisk(QStringLiteral("lanc"), postings); }

// The window's posting routine, dated today (after every stored posting).
void BM_PostingCommand(benchmark::State &state) {
    Livro &l = livro(int(state.range(0)));
    core::escrita::NovoLancamento n;
    n.codConta = l.book.accounts.last();
    n.codRecDesp = l.book.types.last();
    n.valor = value::Currency::fromWhole(1);
    n.data = QDate::currentDate();
    n.historico = QStringLiteral("BENCH");
    n.idConta = benchsupport::IdDoItem(*l.db, true, n.codConta);
    n.idRecDesp = benchsupport::IdDoItem(*l.db, false, n.codRecDesp);
    for (auto _ : state)
        if (core::escrita::Lancar(*l.db, {"frmLancamentos", "cmdConfirmar_Click"}, n, 1) != core::escrita::Desfecho::Gravado) state.SkipWithError("not written");
}
BENCHMARK(BM_PostingCommand)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace
