#pragma once
// A small book written through the posting core: two charts on three levels,
// postings of parents and children, transfers, reversals (one between an
// item's own postings on one date), postings settled 'S', 'N' and back, and
// an earlier date posted last. What the balances must give is recomputed here
// from the postings alone.
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "core/consultas/ConsultasBalanco.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "support/Oracle.h"
#include "support/LivroSemJanelas.h"
#include "ui/AppContext.h"

#include <gtest/gtest.h>

namespace balancos {

using value::Currency;

inline Currency reais(qint64 centavos) { return Currency::fromUnits(centavos * 100); }
inline QDate dia(int d, int m) { return QDate(2026, m, d); }

struct Lanc {
    long id;
    QString conta, tipo, realizado, historico;
    Currency valor;
    QDate data;
};

inline const core::escrita::Chamador kOnde{"frmTeste", "Livro"};

class LivroDeBalancos : public testsupport::LivroSemJanelas {
protected:
    void SetUp() override {
        LivroSemJanelas::SetUp();
        escrever();
        ASSERT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
        lancamentos = lerLancamentos();
    }
    void TearDown() override {
        EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
        LivroSemJanelas::TearDown();
    }

    long item(const QString &tabela, const QString &campo, const QString &codigo, const QString &des) {
        const QString pai = CodigoPai(codigo);
        db->Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai) VALUES ('%3', '%4', '%5')").arg(tabela, campo, des, codigo, pai));
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Id FROM %1 WHERE Codigo = '%2'").arg(tabela, codigo), dao::dbOpenSnapshot);
        return long(rs->Field(0).toDouble());
    }
    long conta(const QString &c, const QString &d) { return item(QStringLiteral("Contas"), QStringLiteral("DesConta"), c, d); }
    long tipo(const QString &c, const QString &d) {
        return item(QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"), c, d);
    }

    long lancar(const QString &c, const QString &t, qint64 centavos, const QDate &d, const QString &hist = QStringLiteral("COMPRA")) {
        core::escrita::Feito f;
        EXPECT_EQ(core::escrita::Lancar(*db, kOnde, {c, t, reais(centavos), d, QString(), hist}, 1, &f), core::escrita::Desfecho::Gravado);
        return f.id;
    }
    long estornar(long id) {
        core::escrita::Estorno e;
        EXPECT_EQ(core::escrita::Estornar(*db, kOnde, id, QStringLiteral("ESTORNO"), 1, &e), core::escrita::Desfecho::Gravado);
        return e.id;
    }
    core::escrita::TransferenciaFeita transferir(const QString &de, const QString &para, qint64 centavos, const QDate &d) {
        core::escrita::TransferenciaFeita f;
        core::escrita::Transferencia t{de, para, QString(), QString(), d, reais(centavos), QStringLiteral("SAIDA"), QStringLiteral("ENTRADA")};
        EXPECT_EQ(core::escrita::Transferir(*db, kOnde, t, 1, &f), core::escrita::Desfecho::Gravado);
        return f;
    }
    // Settles a posting as the pending list does: 'N' leaves its amount out of
    // its own and every later balance, leaving 'N' puts it back.
    void liquidar(long id, const QString &codigo) {
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Realizado FROM Lancamentos WHERE Id = %1").arg(id), dao::dbOpenSnapshot);
        const QString antes = rs->Field(0).toString();
        rs.reset();
        EXPECT_EQ(core::escrita::Baixar(*db, kOnde, id, 0, antes, codigo), core::escrita::Desfecho::Gravado);
    }

    void escrever() {
        conta(QStringLiteral("001"), QStringLiteral("BANCOS"));
        conta(QStringLiteral("001.001"), QStringLiteral("ALFA CONTA"));
        conta(QStringLiteral("001.001.001"), QStringLiteral("ALFA POUPANCA"));
        conta(QStringLiteral("001.002"), QStringLiteral("BETA CONTA"));
        idCarteira = conta(QStringLiteral("002"), QStringLiteral("CARTEIRA"));
        conta(QStringLiteral("003"), QStringLiteral("CARTAO"));
        tipo(QStringLiteral("003"), QStringLiteral("SALARIO"));
        tipo(QStringLiteral("003.001"), QStringLiteral("BONUS"));
        tipo(QStringLiteral("004"), QStringLiteral("MERCADO"));
        tipo(QStringLiteral("004.001"), QStringLiteral("FEIRA"));
        tipo(QStringLiteral("005"), QStringLiteral("LAZER"));

        liquidar(lancar(QStringLiteral("001.001"), QStringLiteral("003"), 100000, dia(1, 2), QStringLiteral("SALARIO JANEIRO")), QStringLiteral("S"));
        lancar(QStringLiteral("001"), QStringLiteral("004"), 5000, dia(5, 2));
        lancar(QStringLiteral("001.001.001"), QStringLiteral("004.001"), -20000, dia(10, 2), QStringLiteral("FEIRA LIVRE"));
        transferir(QStringLiteral("001.001"), QStringLiteral("002"), 30000, dia(15, 2));
        liquidar(lancar(QStringLiteral("002"), QStringLiteral("005"), -4000, dia(20, 2), QStringLiteral("CINEMA")), QStringLiteral("N"));
        // The reversal between an item's own postings on one date.
        const long alfa = lancar(QStringLiteral("001.001"), QStringLiteral("003.001"), 10000, dia(1, 3), QStringLiteral("BONUS"));
        lancar(QStringLiteral("001"), QStringLiteral("003"), 1000, dia(1, 3));
        estornar(alfa);
        liquidar(lancar(QStringLiteral("001.002"), QStringLiteral("004"), -2500, dia(5, 3)), QStringLiteral("S"));
        const long volta = lancar(QStringLiteral("002"), QStringLiteral("003"), 7000, dia(10, 3), QStringLiteral("VENDA FEIRA"));
        liquidar(volta, QStringLiteral("N"));
        liquidar(volta, QStringLiteral("?"));
        const auto t = transferir(QStringLiteral("002"), QStringLiteral("001.002"), 2000, dia(12, 3));
        core::escrita::EstornarTransferencia(*db, kOnde, t.idSaida, QStringLiteral("ESTORNO"), 1);
        lancar(QStringLiteral("001.001.001"), QStringLiteral("005"), 500, dia(20, 3));
        // An earlier date posted last.
        lancar(QStringLiteral("001.001"), QStringLiteral("004"), -700, dia(3, 2), QStringLiteral("PADARIA"));
    }

    std::vector<Lanc> lerLancamentos() {
        std::vector<Lanc> out;
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Id, CodConta, CodRecDesp, Realizado, Historico, Valor, Data FROM Lancamentos"),
                                    dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext())
            out.push_back({long(rs->Field(0).toDouble()), rs->Field(1).toString(), rs->Field(2).toString(), rs->Field(3).toString(),
                           rs->Field(4).toString(), rs->Field(5).toCurrency(), rs->Field(6).toDate().date()});
        return out;
    }

    // What an item holds at a date: every posting of its branch up to the
    // date that is not settled 'N' (a reversal and its reversed posting cancel).
    Currency saldoReal(bool contas, const QString &codigo, const QDate &d) const {
        Currency s;
        for (const Lanc &l : lancamentos)
            if ((contas ? l.conta : l.tipo).startsWith(codigo) && l.data <= d && l.realizado != QStringLiteral("N")) s += l.valor;
        return s;
    }
    // Over a period: the postings of the branch (or the code alone) settled
    // 'S' or unsettled, or only those settled 'N'.
    Currency periodoReal(bool contas, const QString &codigo, const QDate &ini, const QDate &fim, bool semSubs = false,
                         bool soN = false, const QString &historico = QString()) const {
        Currency s;
        for (const Lanc &l : lancamentos) {
            const QString c = contas ? l.conta : l.tipo;
            if (semSubs ? c != codigo : !c.startsWith(codigo)) continue;
            if (l.data < ini || l.data > fim) continue;
            if (soN ? l.realizado != QStringLiteral("N") : (l.realizado != QStringLiteral("S") && l.realizado != QStringLiteral("?"))) continue;
            if (!historico.isEmpty() && !l.historico.contains(historico, Qt::CaseInsensitive)) continue;
            s += l.valor;
        }
        return s;
    }

    // A common user (type 2), created once.
    long usuarioComum() {
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Id FROM Usuarios WHERE IdLogin = 'COMUM'"), dao::dbOpenSnapshot);
        if (!rs->Eof()) return long(rs->Field(0).toDouble());
        db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo, Inativo) VALUES ('USUARIO COMUM', 'COMUM', 'X', 2, False)"));
        return usuarioComum();
    }

    core::consultas::LinhasBalanco rodar(const QString &sql, const QString &campo) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        return core::consultas::LerLinhas(*rs, campo);
    }
    core::consultas::LinhasBalanco rodar(const core::consultas::PedidoBalanco &p) {
        return rodar(core::consultas::SqlDoPedido(p), p.tipo == core::consultas::PedidoBalanco::Tipo::Data ? QStringLiteral("Saldo") : QStringLiteral("Balanco"));
    }

    static core::consultas::PedidoBalanco naData(bool contas, const QDate &d, QStringList codigos = {}, bool comSub = true) {
        core::consultas::PedidoBalanco p;
        p.tipo = core::consultas::PedidoBalanco::Tipo::Data;
        p.contas = contas;
        p.dataFim = d;
        p.codigos = codigos;
        p.comSubItens = comSub;
        return p;
    }
    static core::consultas::PedidoBalanco periodo(bool contas, const QDate &ini, const QDate &fim, QStringList codigos = {}) {
        core::consultas::PedidoBalanco p;
        p.tipo = core::consultas::PedidoBalanco::Tipo::Periodo;
        p.contas = contas;
        p.dataIni = ini;
        p.dataFim = fim;
        p.codigos = codigos;
        return p;
    }
    std::vector<Lanc> lancamentos;
    long idCarteira = 0;
};

} // namespace balancos
