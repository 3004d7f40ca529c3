// The first write of a fresh connection translates and prepares its
// statements before it takes the write lock: once BEGIN IMMEDIATE has run,
// the write neither translates nor prepares anything, so the lock is held
// for the writing only.
#include "core/escrita/Operacoes.h"
#include "core/escrita/SaldoInicial.h"
#include "db/CDaoTrans.h"
#include "db/ConstruirBanco.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/StatementCache.h"
#include "platform/dao/Workspace.h"
#include "support/LivroSemJanelas.h"

#include <QRegularExpression>

#include <functional>
#include <optional>
#include <sqlite3.h>

namespace {

using core::escrita::Desfecho;
using value::Currency;
const core::escrita::Chamador kOnde{"frmTeste", "Preparo"};

// The connection's counts of translations and prepared statements at the
// moment its transaction begins IMMEDIATE (the write lock is taken there).
class NaTrava {
public:
    explicit NaTrava(dao::Database &db) : db_(db) { sqlite3_trace_v2(db_.handle(), SQLITE_TRACE_STMT, &visto, this); }
    ~NaTrava() { sqlite3_trace_v2(db_.handle(), 0, nullptr, nullptr); }
    NaTrava(const NaTrava &) = delete;
    NaTrava &operator=(const NaTrava &) = delete;

    struct Contagem {
        std::uint64_t traducoes, preparos;
    };
    Contagem agora() const { return {db_.translationsMade(), db_.statements()->prepared()}; }
    std::optional<Contagem> naTrava;

private:
    static int visto(unsigned, void *self, void *, void *texto) {
        static const QRegularExpression re(QStringLiteral("^\\s*BEGIN\\s+IMMEDIATE"), QRegularExpression::CaseInsensitiveOption);
        auto *t = static_cast<NaTrava *>(self);
        if (!t->naTrava && re.match(QString::fromUtf8(static_cast<const char *>(texto))).hasMatch()) t->naTrava = t->agora();
        return 0;
    }
    dao::Database &db_;
};

class Preparo : public testsupport::LivroSemJanelas {
protected:
    void SetUp() override {
        LivroSemJanelas::SetUp();
        for (const char *c : {"001", "001.001", "002"})
            db->Execute(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai, Inativa) VALUES ('C %1', '%1', '%2', False)")
                            .arg(QString::fromLatin1(c), CodigoPai(QString::fromLatin1(c))));
        for (const char *t : {"003", "003.001"})
            db->Execute(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai, Inativo) "
                                       "VALUES ('T %1', '%1', '%2', False)")
                            .arg(QString::fromLatin1(t), CodigoPai(QString::fromLatin1(t))));
        for (int i = 0; i < 3; ++i) guardados.push_back(lancar(*db, QDate(2024, 3, 10 + i)));
        transferencia = transferir(*db, QDate(2024, 4, 1));
    }
    static core::escrita::NovoLancamento novo(const QDate &data) {
        return {QStringLiteral("001.001"), QStringLiteral("003.001"), Currency::fromWhole(10), data, QString(),
                QStringLiteral("HISTORICO")};
    }
    static long lancar(dao::Database &db, const QDate &data) {
        core::escrita::Feito f;
        EXPECT_EQ(core::escrita::Lancar(db, kOnde, novo(data), 1, &f), Desfecho::Gravado);
        return f.id;
    }
    static core::escrita::TransferenciaFeita transferir(dao::Database &db, const QDate &data) {
        core::escrita::TransferenciaFeita f;
        const core::escrita::Transferencia t{QStringLiteral("001.001"), QStringLiteral("002"), QString(), QString(), data,
                                            Currency::fromWhole(5), QStringLiteral("SAI"), QStringLiteral("ENTRA")};
        EXPECT_EQ(core::escrita::Transferir(db, kOnde, t, 1, &f), Desfecho::Gravado);
        return f;
    }
    // The Id of a chart item, as the posting window and the transfer dialog list it.
    long id(const char *tabela, const char *codigo) {
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Id FROM %1 WHERE Codigo = '%2'")
                                        .arg(QString::fromLatin1(tabela), QString::fromLatin1(codigo)),
                                    dao::dbOpenSnapshot);
        return long(rs->Field(0).toInt());
    }
    // A posting as the window makes it: with the Ids of the items it loaded.
    core::escrita::NovoLancamento daJanela(const QDate &data) {
        core::escrita::NovoLancamento n = novo(data);
        n.idConta = id("Contas", "001.001");
        n.idRecDesp = id("TiposMovimentacoes", "003.001");
        return n;
    }
    std::vector<long> guardados;
    core::escrita::TransferenciaFeita transferencia;
};

} // namespace

TEST_F(Preparo, AFreshConnectionsFirstWritePreparesNothingUnderTheWriteLock) {
    const struct {
        const char *nome;
        std::function<Desfecho(dao::Database &)> escrever;
    } casos[] = {
        {"a posting of the day", [](dao::Database &c) { return core::escrita::Lancar(c, kOnde, novo(QDate(2030, 1, 1)), 1); }},
        {"a back-dated posting", [](dao::Database &c) { return core::escrita::Lancar(c, kOnde, novo(QDate(2024, 1, 1)), 1); }},
        {"a posting of the day on the items the window loaded",
         [this](dao::Database &c) { return core::escrita::Lancar(c, kOnde, daJanela(QDate(2030, 1, 2)), 1); }},
        {"a back-dated posting on the items the window loaded",
         [this](dao::Database &c) { return core::escrita::Lancar(c, kOnde, daJanela(QDate(2024, 1, 2)), 1); }},
        {"a transfer between the accounts the dialog loaded",
         [this](dao::Database &c) {
             core::escrita::Transferencia t{QStringLiteral("001.001"), QStringLiteral("002"), QString(), QString(),
                                           QDate(2024, 2, 2), Currency::fromWhole(7), QStringLiteral("SAI"),
                                           QStringLiteral("ENTRA")};
             t.idContaOrig = id("Contas", "001.001");
             t.idContaDest = id("Contas", "002");
             return core::escrita::Transferir(c, kOnde, t, 1);
         }},
        {"a reversal", [this](dao::Database &c) { return core::escrita::Estornar(c, kOnde, guardados[0], QStringLiteral("EST"), 1); }},
        {"a transfer",
         [](dao::Database &c) {
             const core::escrita::Transferencia t{QStringLiteral("001.001"), QStringLiteral("002"), QString(), QString(),
                                                 QDate(2024, 2, 1), Currency::fromWhole(7), QStringLiteral("SAI"),
                                                 QStringLiteral("ENTRA")};
             return core::escrita::Transferir(c, kOnde, t, 1);
         }},
        {"a settlement as not realised",
         [this](dao::Database &c) { return core::escrita::Baixar(c, kOnde, guardados[1], 0, QStringLiteral("?"), QStringLiteral("N")); }},
        {"a transfer settled",
         [this](dao::Database &c) {
             return core::escrita::Baixar(c, kOnde, transferencia.idSaida, transferencia.idEntrada, QStringLiteral("?"),
                                          QStringLiteral("S"));
         }},
        {"a transfer reversed",
         [this](dao::Database &c) {
             return core::escrita::EstornarTransferencia(c, kOnde, transferencia.idSaida, QStringLiteral("EST"), 1);
         }},
        {"an opening balance, prepared before its transaction as the account window does",
         [](dao::Database &c) {
             c.Execute(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai, Inativa) VALUES ('C 002.001', '002.001', '002', False)"));
             core::escrita::PrepararSaldoInicial(c, QStringLiteral("002.001"), Currency::fromWhole(100));
             db::CDaoTrans trans(c.workspace());
             trans.BegTrans();
             QString recusa;
             if (core::escrita::LancarSaldoInicial(c, QStringLiteral("002.001"), Currency::fromWhole(100), QDate(2024, 1, 5), 1,
                                                   recusa) == 0)
                 return Desfecho::Recusado;
             trans.ComTrans();
             return Desfecho::Gravado;
         }},
    };
    for (const auto &caso : casos) {
        SCOPED_TRACE(caso.nome);
        dao::Workspace ws;
        auto c = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), ws);
        NaTrava trava(*c);
        ASSERT_EQ(caso.escrever(*c), Desfecho::Gravado);
        ASSERT_TRUE(trava.naTrava.has_value()) << "the write took the lock";
        EXPECT_GT(trava.naTrava->preparos, 0u) << "prepared before the lock";
        EXPECT_EQ(trava.agora().traducoes, trava.naTrava->traducoes) << "translated under the lock";
        EXPECT_EQ(trava.agora().preparos, trava.naTrava->preparos) << "prepared under the lock";
    }
}
