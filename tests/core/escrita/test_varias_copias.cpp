// Several copies of the program on one file: four processes, each with its
// own workspace and connection, write postings, reversals, transfers and
// transfer reversals through the routines the posting window uses, on
// random back dates and nested accounts and types; and settle, take back and
// reverse, as the pending list does, any posting or transfer of the book, as
// a list read a while ago shows it.
#include "db/ConstruirBanco.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "core/escrita/Operacoes.h"
#include "core/escrita/Permissoes.h"
#include "platform/err/AppError.h"
#include "support/Oracle.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using core::escrita::Desfecho;
using value::Currency;
const core::escrita::Chamador kOnde{"frmTeste", "Copia"};

const QStringList kContas = {QStringLiteral("001"), QStringLiteral("001.001"), QStringLiteral("001.001.001"),
                             QStringLiteral("001.002"), QStringLiteral("002"), QStringLiteral("002.001")};
const QStringList kTipos = {QStringLiteral("003"), QStringLiteral("003.001"), QStringLiteral("003.001.001"),
                            QStringLiteral("004"), QStringLiteral("002")};

struct Contagem {
    int linhas = 0;        // postings written
    int transferencias = 0;
    int bloqueios = 0;
    int guardas = 0;       // the posting was no longer as the list showed it
    int baixas = 0;        // settlements and takings back written
    int falhas = 0;        // anything but written, a lock conflict or a guard
};

// A posting as a list read it.
struct Visto {
    long id;
    QString realizado;
    int transferencia;
    bool fora; // reversed or a reversal
};

// The book as a list shows it; a busy file leaves the old view.
void ler(dao::Database &db, std::vector<Visto> &vistos) {
    try {
        std::vector<Visto> v;
        auto rs = db.OpenRecordset(QStringLiteral("SELECT Id, Realizado, Transferencia, Estorno, Estornado FROM Lancamentos"),
                                   dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext())
            v.push_back({long(rs->Field(0).toInt()), rs->Field(1).toString(), int(rs->Field(2).toInt()),
                         rs->Field(3).toBool() || rs->Field(4).toBool()});
        vistos.swap(v);
    } catch (const err::AppError &e) {
        if (e.number() != err::db::kLocked) throw;
    }
}

// One copy of the program: `vezes` writes, each retried after a lock conflict.
Contagem copia(const QString &caminho, unsigned semente, int vezes) {
    Contagem c;
    dao::Workspace ws;
    auto db = dao::DBEngine::OpenDatabase(caminho, false, false, db::ConnectString(db::kSenhaBanco), ws);
    std::mt19937 rng(semente);
    auto sorteio = [&](int n) { return int(rng() % unsigned(n)); };
    auto data = [&] { return QDate(2020, 1, 1).addDays(sorteio(365)); };
    std::vector<long> meus, minhasSaidas;
    std::vector<Visto> vistos;
    const QString codigos[] = {QStringLiteral("?"), QStringLiteral("S"), QStringLiteral("N")};
    for (int i = 0; i < vezes; ++i) {
        if (i % 25 == 0) ler(*db, vistos);
        const int op = sorteio(100);
        const Visto *v = vistos.empty() ? nullptr : &vistos[std::size_t(sorteio(int(vistos.size())))];
        for (;;) {
            Desfecho d;
            int linhas = 0;
            bool transferiu = false, baixou = false;
            if (op >= 70 && op < 90 && v && !v->fora) {
                // Settle (or, from 'S' or 'N', sometimes take back) as the list shows it.
                const QString novo = v->realizado != QStringLiteral("?") && sorteio(3) == 0 ? QStringLiteral("?")
                                                                                             : codigos[1 + sorteio(2)];
                long outra = 0;
                if (v->transferencia != 0) {
                    std::vector<core::escrita::PernaDeTransferencia> pernas;
                    try {
                        pernas = core::escrita::LerPernas(*db, v->id, 1, 1);
                    } catch (const err::AppError &e) {
                        if (e.number() != err::db::kLocked) throw;
                        ++c.bloqueios;
                        continue;
                    }
                    if (!core::escrita::PernasCompletas(pernas)) {
                        ++c.falhas;
                        break;
                    }
                    outra = pernas[0].id == v->id ? pernas[1].id : pernas[0].id;
                }
                d = core::escrita::Baixar(*db, kOnde, v->id, outra, v->realizado, novo);
                baixou = d == Desfecho::Gravado;
            } else if (op >= 90 && v && !v->fora) {
                // Reverse what the list shows, a transfer from either leg.
                d = v->transferencia != 0 ? core::escrita::EstornarTransferencia(*db, kOnde, v->id, QStringLiteral("DA LISTA"), 1)
                                          : core::escrita::Estornar(*db, kOnde, v->id, QStringLiteral("DA LISTA"), 1);
                if (d == Desfecho::Gravado) linhas = v->transferencia != 0 ? 2 : 1;
            } else if (op < 20 && !meus.empty()) {
                const std::size_t k = std::size_t(sorteio(int(meus.size())));
                core::escrita::Estorno e;
                d = core::escrita::Estornar(*db, kOnde, meus[k], QStringLiteral("ESTORNO"), 1, &e);
                if (d == Desfecho::Gravado) meus.erase(meus.begin() + long(k)), linhas = 1;
            } else if (op < 30 && !minhasSaidas.empty()) {
                const std::size_t k = std::size_t(sorteio(int(minhasSaidas.size())));
                d = core::escrita::EstornarTransferencia(*db, kOnde, minhasSaidas[k], QStringLiteral("VOLTA"), 1);
                if (d == Desfecho::Gravado) minhasSaidas.erase(minhasSaidas.begin() + long(k)), linhas = 2;
            } else if (op < 50) {
                core::escrita::Transferencia t;
                t.codContaOrig = kContas[sorteio(int(kContas.size()))];
                t.codContaDest = kContas[sorteio(int(kContas.size()))];
                t.data = data();
                t.valor = Currency::fromUnits(qint64(1 + sorteio(100000)) * 100);
                t.docSaida = QStringLiteral("D'%1").arg(sorteio(50));
                t.historicoSaida = QStringLiteral("SAIDA");
                t.historicoEntrada = QStringLiteral("ENTRADA");
                core::escrita::TransferenciaFeita f;
                d = core::escrita::Transferir(*db, kOnde, t, 1, &f);
                if (d == Desfecho::Gravado) minhasSaidas.push_back(sorteio(2) ? f.idSaida : f.idEntrada), linhas = 2, transferiu = true;
            } else {
                core::escrita::NovoLancamento l;
                l.codConta = kContas[sorteio(int(kContas.size()))];
                l.codRecDesp = kTipos[sorteio(int(kTipos.size()))];
                l.data = data();
                l.valor = Currency::fromUnits(qint64(sorteio(200001) - 100000) * 100);
                l.historico = QStringLiteral("LANCAMENTO");
                core::escrita::Feito f;
                d = core::escrita::Lancar(*db, kOnde, l, 1, &f);
                if (d == Desfecho::Gravado) meus.push_back(f.id), linhas = 1;
            }
            if (d == Desfecho::Bloqueio) {
                ++c.bloqueios;
                continue;
            }
            if (d == Desfecho::Gravado) {
                c.linhas += linhas;
                if (transferiu) ++c.transferencias;
                if (baixou) ++c.baixas;
            } else if (d == Desfecho::NaoOcorreu || d == Desfecho::JaEstornado) {
                ++c.guardas;
            } else {
                ++c.falhas;
            }
            break;
        }
    }
    return c;
}

} // namespace

TEST(VariasCopias, FourProcessesKeepTheBookWhole) {
    testsupport::TempDir dir;
    const QString caminho = dir.file(QStringLiteral("livro.mdb"));
    {
        auto db = db::ConstruirBancoDeDados(caminho);
        for (const QString &c : kContas) {
            const int dot = c.lastIndexOf(QLatin1Char('.'));
            db->Execute(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('C %1', '%1', '%2')")
                            .arg(c, dot < 0 ? QStringLiteral("000") : c.left(dot)));
        }
        for (const QString &t : kTipos) {
            if (t == QStringLiteral("002")) continue;
            const int dot = t.lastIndexOf(QLatin1Char('.'));
            db->Execute(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai) VALUES "
                                       "('T %1', '%1', '%2')").arg(t, dot < 0 ? QStringLiteral("000") : t.left(dot)));
        }
    } // closed before the copies start
    constexpr int kCopias = 4, kVezes = 500;
    std::vector<std::pair<pid_t, int>> filhos;
    for (int p = 0; p < kCopias; ++p) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fds[0]);
            int rc = 0;
            Contagem c;
            try {
                c = copia(caminho, 17u + unsigned(p), kVezes);
            } catch (...) {
                rc = 2; // an engine error reached the top: the test fails
            }
            (void)!write(fds[1], &c, sizeof c);
            _exit(rc);
        }
        close(fds[1]);
        filhos.emplace_back(pid, fds[0]);
    }
    Contagem total;
    for (auto [pid, fd] : filhos) {
        Contagem c;
        EXPECT_EQ(read(fd, &c, sizeof c), ssize_t(sizeof c));
        close(fd);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "no engine error surfaces";
        EXPECT_EQ(c.falhas, 0);
        total.linhas += c.linhas;
        total.transferencias += c.transferencias;
        total.bloqueios += c.bloqueios;
        total.guardas += c.guardas;
        total.baixas += c.baixas;
    }
    EXPECT_GT(total.baixas, 0);
    EXPECT_GT(total.guardas, 0) << "lists read a while ago met postings changed since";
    auto db = dao::DBEngine::OpenDatabase(caminho, false, false, db::ConnectString(db::kSenhaBanco));
    auto n = [&](const QString &sql) { return db->OpenRecordset(sql, dao::dbOpenSnapshot)->Field(0).toInt(); };
    EXPECT_EQ(n(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), total.linhas);
    EXPECT_EQ(n(QStringLiteral("SELECT Serial FROM Serial")), total.linhas);
    EXPECT_EQ(n(QStringLiteral("SELECT MAX(Id) FROM Lancamentos")), total.linhas);
    EXPECT_EQ(n(QStringLiteral("SELECT COUNT(*) FROM Transferencias")), total.transferencias);
    EXPECT_EQ(n(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Transferencia = 2")), total.transferencias);
    EXPECT_EQ(n(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Estornado")),
              n(QStringLiteral("SELECT COUNT(*) FROM Lancamentos WHERE Estorno")));
    EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
    // The copies wrote with the file's settings: its page size, and the
    // postings in DataId order on disk although they were typed on random dates.
    EXPECT_EQ(n(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")), total.linhas);
    auto pragma = [&](const char *sql) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db->handle(), sql, -1, &st, nullptr);
        QStringList out;
        while (sqlite3_step(st) == SQLITE_ROW) out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return out;
    };
    EXPECT_EQ(pragma("PRAGMA page_size"), QStringList{QStringLiteral("4096")});
    const QStringList porLinha = pragma("SELECT DataId FROM Lancamentos ORDER BY rowid");
    QStringList ordenadas = porLinha;
    ordenadas.sort();
    EXPECT_EQ(porLinha, ordenadas);
}
