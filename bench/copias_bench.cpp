// Several copies of the program writing one 100k-posting book at once, each a
// process of its own (this program started again with --copia), on a fresh
// copy of the book for every case:
//   - the log: eight copies writing without pause for 60 s (back-dated
//     postings, reversals and settlements, each followed by the balance read
//     the posting window makes), the largest `-wal` file seen beside the
//     log's bound; then every copy is killed and the next open is timed (it
//     reads the log left behind);
//   - the first write of a fresh connection: a copy opens the book, times its
//     first posting of the day and three more, closes, and again; alone for
//     20 s and as one of eight such copies for 30 s.
// Arguments: --segundos=N makes the log case N seconds long (the first-write
// cases a third and a half of it); --sem-log and --sem-primeiras leave out
// the log case or the first-write cases; --benchmark_* arguments (from
// scripts/bench.sh) are ignored.
#include "BenchBook.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/err/AppError.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <sqlite3.h>
#include <utility>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using core::escrita::Desfecho;
using value::Currency;
const core::escrita::Chamador kOnde{"bench", "copias"};

struct Livro {
    QString path;
    QStringList contas, tipos; // leaves: where postings go
    QDate inicio, fim;
    long postings = 0;
};

QStringList folhas(const QStringList &codigos) {
    QStringList out;
    for (const QString &c : codigos)
        if (c.contains(QLatin1Char('.'))) out << c;
    return out.isEmpty() ? codigos : out;
}

// ---- one copy -------------------------------------------------------------------------

core::escrita::NovoLancamento novo(const Livro &l, std::mt19937 &rng, const QDate &data) {
    return {l.contas[int(rng() % unsigned(l.contas.size()))], l.tipos[int(rng() % unsigned(l.tipos.size()))],
            Currency::fromWhole(qint64(rng() % 1000) - 500), data, QString(), QStringLiteral("BENCH")};
}

// Back-dated postings (six in ten), reversals and settlements of any posting
// of the book, each followed by a balance read, until the time is up.
void atrasados(const Livro &l, unsigned semente, qint64 ms, QTextStream &out) {
    dao::Workspace ws;
    auto db = dao::DBEngine::OpenDatabase(l.path, false, false, db::ConnectString(db::kSenhaBanco), ws);
    std::mt19937 rng(semente);
    int gravados = 0, bloqueios = 0, outros = 0;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        const int op = int(rng() % 10);
        const long id = 1 + long(rng() % unsigned(l.postings));
        const QDate data = l.inicio.addDays(qint64(rng() % unsigned(l.inicio.daysTo(l.fim))));
        Desfecho d = Desfecho::Gravado;
        try {
            if (op < 6) d = core::escrita::Lancar(*db, kOnde, novo(l, rng, data), 1);
            else if (op < 8) d = core::escrita::Estornar(*db, kOnde, id, QStringLiteral("ESTORNO"), 1);
            else d = core::escrita::Baixar(*db, kOnde, id, 0, QStringLiteral("?"), op == 8 ? QStringLiteral("S") : QStringLiteral("N"));
            const auto n = novo(l, rng, data);
            core::escrita::LerSerialESaldos(*db, n.codConta, n.codRecDesp, l.fim);
        } catch (const err::AppError &e) {
            d = e.number() == err::db::kLocked ? Desfecho::Bloqueio : Desfecho::Recusado;
        }
        if (d == Desfecho::Gravado) ++gravados;
        else if (d == Desfecho::Bloqueio) ++bloqueios;
        else ++outros;
    }
    out << "gravados " << gravados << " bloqueios " << bloqueios << " outros " << outros << "\n";
}

// How long the connection holds the write lock: from the end of its BEGIN
// IMMEDIATE (the lock taken, after any wait for it) to the end of its COMMIT.
class Trava {
public:
    explicit Trava(sqlite3 *h) : h_(h) { sqlite3_trace_v2(h_, SQLITE_TRACE_PROFILE, &fim, this); }
    ~Trava() { sqlite3_trace_v2(h_, 0, nullptr, nullptr); }
    Trava(const Trava &) = delete;
    Trava &operator=(const Trava &) = delete;
    qint64 tomar() { return std::exchange(retida_, 0); }

private:
    static int fim(unsigned, void *self, void *stmt, void *) {
        auto *t = static_cast<Trava *>(self);
        const char *sql = sqlite3_sql(static_cast<sqlite3_stmt *>(stmt));
        if (!sql) return 0;
        if (qstrnicmp(sql, "BEGIN IMMEDIATE", 15) == 0) t->relogio_.start();
        else if (qstrnicmp(sql, "COMMIT", 6) == 0 && t->relogio_.isValid()) {
            t->retida_ = t->relogio_.nsecsElapsed() / 1000;
            t->relogio_.invalidate();
        }
        return 0;
    }
    sqlite3 *h_;
    QElapsedTimer relogio_;
    qint64 retida_ = 0;
};

// Fresh connections, each timing its first posting of the day and three more:
// the whole call, and the time it held the write lock.
void primeiras(const Livro &l, unsigned semente, qint64 ms, QTextStream &out) {
    std::mt19937 rng(semente);
    const QDate hoje = QDate::currentDate().addDays(1);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        dao::Workspace ws;
        auto db = dao::DBEngine::OpenDatabase(l.path, false, false, db::ConnectString(db::kSenhaBanco), ws);
        Trava trava(db->handle());
        for (int i = 0; i < 4; ++i) {
            QElapsedTimer p;
            p.start();
            Desfecho d;
            try {
                d = core::escrita::Lancar(*db, kOnde, novo(l, rng, hoje), 1);
            } catch (const err::AppError &e) {
                d = e.number() == err::db::kLocked ? Desfecho::Bloqueio : Desfecho::Recusado;
            }
            out << (i == 0 ? "primeira " : "seguinte ") << p.nsecsElapsed() / 1000 << ' ' << trava.tomar() << ' '
                << (d == Desfecho::Gravado ? "gravado" : d == Desfecho::Bloqueio ? "bloqueio" : "outro") << "\n";
        }
    }
}

int copia(const QStringList &a) {
    // --copia MODO LIVRO SEGUNDOS SEMENTE, the book's leaves, dates and size after.
    Livro l;
    l.path = a[3];
    const qint64 ms = a[4].toLongLong();
    const unsigned semente = a[5].toUInt();
    l.contas = a[6].split(QLatin1Char(','));
    l.tipos = a[7].split(QLatin1Char(','));
    l.inicio = QDate::fromString(a[8], Qt::ISODate);
    l.fim = QDate::fromString(a[9], Qt::ISODate);
    l.postings = a[10].toLong();
    QTextStream out(stdout);
    if (a[2] == QStringLiteral("atrasados")) atrasados(l, semente, ms, out);
    else primeiras(l, semente, ms, out);
    return 0;
}

// ---- the cases --------------------------------------------------------------------------

// A fresh copy of the 100k-posting book, its log copied in first.
Livro copiaDoLivro(const QString &nome) {
    benchsupport::BenchBook &b = benchsupport::bookOnDisk(QStringLiteral("copias"), 100000);
    Livro l;
    l.contas = folhas(b.book.accounts);
    l.tipos = folhas(b.book.types);
    l.inicio = b.shape.first;
    l.fim = QDate::currentDate().addDays(-1);
    l.postings = 100000;
    b.db->Checkpoint();
    const QString origem = b.db->Name();
    l.path = QDir::temp().filePath(QStringLiteral("fin-bench-copias-%1.mdb").arg(nome));
    for (const char *s : {"", "-wal", "-shm"}) QFile::remove(l.path + QString::fromLatin1(s));
    b.db->Close();
    b.db.reset();
    if (!QFile::copy(origem, l.path)) qFatal("book copy failed");
    b.db = dao::DBEngine::OpenDatabase(origem, false, false, db::ConnectString(db::kSenhaBanco));
    return l;
}

std::vector<QProcess *> iniciar(const Livro &l, const QString &modo, int copias, qint64 ms) {
    std::vector<QProcess *> ps;
    for (int i = 0; i < copias; ++i) {
        auto *p = new QProcess;
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--copia"), modo, l.path, QString::number(ms), QString::number(1000 + i),
                  l.contas.join(QLatin1Char(',')), l.tipos.join(QLatin1Char(',')), l.inicio.toString(Qt::ISODate),
                  l.fim.toString(Qt::ISODate), QString::number(l.postings)});
        if (!p->waitForStarted()) qFatal("copy did not start");
        ps.push_back(p);
    }
    return ps;
}

double mib(qint64 bytes) { return double(bytes) / (1024.0 * 1024.0); }

void oLog(qint64 ms) {
    const Livro l = copiaDoLivro(QStringLiteral("log"));
    const QString wal = l.path + QStringLiteral("-wal");
    std::vector<QProcess *> ps = iniciar(l, QStringLiteral("atrasados"), 8, ms + 60000);
    qint64 maior = 0;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        maior = std::max(maior, QFileInfo(wal).size());
        QThread::msleep(5);
    }
    // Every copy dies as it is, in the middle of whatever it was doing.
    for (QProcess *p : ps) {
        p->kill();
        p->waitForFinished();
        delete p;
    }
    const qint64 deixado = QFileInfo(wal).size();
    QElapsedTimer abrir;
    abrir.start();
    {
        auto db = dao::DBEngine::OpenDatabase(l.path, false, false, db::ConnectString(db::kSenhaBanco));
        db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Lancamentos"), dao::dbOpenSnapshot);
    }
    const qint64 abertura = abrir.elapsed();
    std::printf("eight copies writing %lld s on the 100k book: largest -wal %.1f MiB; bound %d pages = %.1f MiB "
                "(pages of 4 KB, each with its 24-byte frame header); left by the killed copies %.1f MiB; next open "
                "and first read %lld ms\n",
                ms / 1000, mib(maior), dao::kWalMaxPages, mib(qint64(dao::kWalMaxPages) * (4096 + 24) + 32),
                mib(deixado), abertura);
    std::fflush(stdout);
}

double percentil(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

void primeirasEscritas(int copias, qint64 ms) {
    const Livro l = copiaDoLivro(QStringLiteral("primeira"));
    std::vector<QProcess *> ps = iniciar(l, QStringLiteral("primeiras"), copias, ms);
    std::vector<double> primeira, seguinte, travaPrimeira, travaSeguinte;
    int bloqueiosPrimeira = 0, bloqueiosSeguinte = 0;
    for (QProcess *p : ps) {
        p->waitForFinished(int(ms) + 120000);
        for (const QByteArray &linha : p->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> c = linha.split(' ');
            if (c.size() != 4) continue;
            const bool eh = c[0] == "primeira";
            if (c[3] == "bloqueio") {
                ++(eh ? bloqueiosPrimeira : bloqueiosSeguinte);
            } else if (c[3] == "gravado") {
                (eh ? primeira : seguinte).push_back(c[1].toDouble() / 1000.0);
                (eh ? travaPrimeira : travaSeguinte).push_back(c[2].toDouble() / 1000.0);
            }
        }
        delete p;
    }
    std::printf("%d %s: first posting of a fresh connection p50 %.2f ms, p90 %.2f ms, write lock held p50 %.2f ms, "
                "p90 %.2f ms (%zu written, %d locked); later postings p50 %.2f ms, p90 %.2f ms, lock held p50 %.2f ms "
                "(%zu written, %d locked)\n",
                copias, copias == 1 ? "copy alone" : "copies", percentil(primeira, 0.5), percentil(primeira, 0.9),
                percentil(travaPrimeira, 0.5), percentil(travaPrimeira, 0.9), primeira.size(), bloqueiosPrimeira,
                percentil(seguinte, 0.5), percentil(seguinte, 0.9), percentil(travaSeguinte, 0.5), seguinte.size(),
                bloqueiosSeguinte);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() > 10 && a[1] == QStringLiteral("--copia")) return copia(a);
    qint64 segundos = 60;
    for (const QString &s : a)
        if (s.startsWith(QStringLiteral("--segundos="))) segundos = s.mid(11).toLongLong();
    QFile carga(QStringLiteral("/proc/loadavg"));
    carga.open(QIODevice::ReadOnly);
    std::printf("load average at the start: %s", carga.readLine().constData());
    if (!a.contains(QStringLiteral("--sem-log"))) oLog(segundos * 1000);
    if (a.contains(QStringLiteral("--sem-primeiras"))) return 0;
    primeirasEscritas(1, segundos * 1000 / 3);
    primeirasEscritas(8, segundos * 1000 / 2);
    return 0;
}
