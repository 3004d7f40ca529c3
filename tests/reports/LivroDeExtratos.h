#pragma once
// A small book for the report tests: two users (the administrator and the
// common user ZE), accounts and types on three levels, an inactive account,
// a transfer, a reversal, settled postings ('S', 'N') and histories holding
// "#" and "[". ZE may read accounts 001, 002 and 001.001.001 (but not
// 001.001, nor 003, on which he may only post) and types 001, 002, 003 and
// 003.001 (but not 003.002, nor 004).
#include "ui/AppContext.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/GuiTest.h"
#include "support/Book.h"
#include "support/Oracle.h"
#include "support/LivroNovo.h"

#include <QHash>
#include <memory>
#include <vector>

struct LancamentoDoLivro {
    testsupport::Posting p;
    QString historico;
    long usuario = 1;
};

class LivroDeExtratos : public testsupport::LivroNovo {
protected:
    static constexpr long kZe = 2;

    void SetUp() override {
        LivroNovo::SetUp();
        db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('JOSE','ZE','Z',2)"));
        for (const auto &[c, d, inat] : std::vector<std::tuple<QString, QString, bool>>{
                 {"001", "CAIXA", false}, {"001.001", "CAIXA FILHA", false}, {"001.001.001", "CAIXA NETA", false},
                 {"002", "BANCO", false}, {"003", "CARTAO", true}})
            idConta[c] = item("Contas", "DesConta", "Inativa", c, d, inat);
        for (const auto &[c, d] : std::vector<std::pair<QString, QString>>{
                 {"003", "SALARIO"}, {"003.001", "BONUS"}, {"003.002", "HORAS EXTRAS"}, {"004", "MERCADO"}})
            idTipo[c] = item("TiposMovimentacoes", "DesMovimentacao", "Inativo", c, d, false);
        idTipo[QStringLiteral("001")] = id("TiposMovimentacoes", "001");
        idTipo[QStringLiteral("002")] = id("TiposMovimentacoes", "002");
        for (const auto &[c, v] : std::vector<std::pair<QString, int>>{
                 {"001", 1}, {"001.001", 0}, {"001.001.001", 3}, {"002", 3}, {"003", 2}})
            permitir(1, idConta[c], v);
        for (const auto &[c, v] : std::vector<std::pair<QString, int>>{
                 {"001", 3}, {"002", 1}, {"003", 1}, {"003.001", 1}, {"004", 2}})
            permitir(2, idTipo[c], v);
    }
    void TearDown() override {
        EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
        LivroNovo::TearDown();
    }

    long id(const char *tabela, const QString &codigo) {
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Id FROM %1 WHERE Codigo = '%2'").arg(QLatin1String(tabela), codigo),
                                    dao::dbOpenSnapshot);
        return long(rs->Field(0).toInt());
    }
    long item(const char *tabela, const char *campo, const char *inativo, const QString &codigo, const QString &des,
              bool inat) {
        const QString pai = CodigoPai(codigo);
        db->Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai, %3) VALUES ('%4', '%5', '%6', %7)")
                        .arg(QLatin1String(tabela), QLatin1String(campo), QLatin1String(inativo), des, codigo, pai,
                             inat ? QStringLiteral("True") : QStringLiteral("False")));
        return id(tabela, codigo);
    }
    void permitir(int tipoObjeto, long idObjeto, int valor) {
        db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) "
                                   "VALUES (%1, %2, %3, %4)")
                        .arg(kZe).arg(idObjeto).arg(tipoObjeto).arg(valor));
    }
    bool legivel(int tipoObjeto, const QString &codigo) const {
        static const QHash<QString, int> contas{{"001", 1}, {"001.001", 0}, {"001.001.001", 3}, {"002", 3}, {"003", 2}};
        static const QHash<QString, int> tipos{{"001", 3}, {"002", 1}, {"003", 1}, {"003.001", 1}, {"004", 2}};
        const int v = (tipoObjeto == 1 ? contas : tipos).value(codigo, 0);
        return v == 1 || v == 3;
    }

    // The postings, with their balances computed here, and the transfer link.
    void escrever() {
        auto l = [&](long id, const char *conta, const char *tipo, qint64 centavos, QDate data, const char *real,
                     const char *hist, long usuario = 1, int transf = 0, bool estorno = false, bool estornado = false) {
            LancamentoDoLivro x;
            x.p.id = id;
            x.p.codConta = QString::fromLatin1(conta);
            x.p.codRecDesp = QString::fromLatin1(tipo);
            x.p.valor = value::Currency::fromUnits(centavos * 100);
            x.p.data = data;
            x.p.realizado = QString::fromLatin1(real);
            x.p.transferencia = transf;
            x.p.estorno = estorno;
            x.p.estornado = estornado;
            x.historico = QString::fromUtf8(hist);
            x.usuario = usuario;
            livro.push_back(x);
        };
        const QDate jan(2025, 1, 1);
        l(1, "001", "002", 100000, jan.addDays(-1), "S", "SALDO INICIAL");
        l(2, "001.001", "003", 50000, jan, "?", "NF #3 SALARIO");
        l(3, "001.001.001", "004", -3000, jan.addDays(4), "S", "MERCADO [A]", kZe);
        l(4, "002", "003.001", 7000, jan.addDays(9), "N", "BONUS nf #3", kZe);
        l(5, "001", "001", -20000, jan.addDays(14), "?", "TRANSF SAIDA", 1, 1);
        l(6, "002", "001", 20000, jan.addDays(14), "?", "TRANSF ENTRADA", 1, 2);
        l(7, "003", "004", -4000, jan.addDays(19), "E", "COMPRA", 1, 0, false, true);
        l(8, "003", "004", 4000, jan.addDays(19), "E", "ESTORNO COMPRA", 1, 0, true, false);
        l(9, "001", "003", 1000, jan.addDays(30), "?", "NF #30");
        l(10, "002", "004", -500, jan.addDays(31), "?", "NF 3");
        l(11, "001.001", "002", 100, jan.addDays(11), "N", "AJUSTE X", kZe);
        l(12, "001.001.001", "003.002", 2500, jan.addDays(2), "S", "HORAS", kZe);
        l(13, "002", "003.002", 1500, jan.addDays(3), "?", "HORAS", 1);
        std::vector<testsupport::Posting> ps;
        for (const auto &x : livro) ps.push_back(x.p);
        testsupport::computeBalances(ps);
        testsupport::insertPostings(*db, ps);
        for (const auto &x : livro)
            db->Execute(QStringLiteral("UPDATE Lancamentos SET Historico = '%1', IdUsuario = %2 WHERE Id = %3")
                            .arg(x.historico)
                            .arg(x.usuario)
                            .arg(x.p.id));
        db->Execute(QStringLiteral("INSERT INTO Transferencias (SerialSai, SerialEntra) VALUES (5, 6)"));
    }
    QHash<QString, long> idConta, idTipo;
    std::vector<LancamentoDoLivro> livro;
};
