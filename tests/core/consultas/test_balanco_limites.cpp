// Balances whose sum cannot be held as money: every running balance of the
// book stays in range (the posting write checks them), yet a parent of two
// large children, or a total over a chosen few items, does not. The balance
// computation and the balance texts both raise the numeric overflow (3349)
// with its Portuguese text instead of a wrapped figure.
#include "LivroDeBalancos.h"

#include "core/consultas/CalculoBalanco.h"
#include "platform/err/AppError.h"

#include <functional>

namespace balancos {
namespace {

using core::consultas::PedidoBalanco;

// 800 trillion: two of them pass the largest amount money holds (about 922 trillion).
const Currency kGrande = Currency::fromUnits(8000000000000000000);

class BalancoForaDoLimite : public testsupport::LivroSemJanelas {
protected:
    void SetUp() override {
        LivroSemJanelas::SetUp();
        for (const char *c : {"001", "001.001", "001.002", "002"})
            db->Execute(QStringLiteral("INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('C%1', '%1', '%2')")
                            .arg(QLatin1String(c), CodigoPai(QLatin1String(c))));
        for (const char *t : {"003", "004", "005"})
            db->Execute(QStringLiteral("INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai) VALUES ('T%1', '%1', '000')")
                            .arg(QLatin1String(t)));
        // The global balance goes 800, 0, 800 trillion: every stored balance fits.
        lancar("001.001", "003", kGrande, dia(1, 2));
        lancar("002", "004", -kGrande, dia(2, 2));
        lancar("001.002", "005", kGrande, dia(3, 2));
    }
    void lancar(const char *conta, const char *tipo, Currency valor, const QDate &d) {
        core::escrita::Feito f;
        ASSERT_EQ(core::escrita::Lancar(*db, kOnde, {QLatin1String(conta), QLatin1String(tipo), valor, d, QString(), QStringLiteral("H")}, 1, &f),
                  core::escrita::Desfecho::Gravado)
            << f.recusa.toStdString();
    }
};

PedidoBalanco pedido(PedidoBalanco::Tipo tipo, bool contas, QStringList codigos = {}, bool comSub = true) {
    PedidoBalanco p;
    p.tipo = tipo;
    p.contas = contas;
    p.dataIni = dia(1, 1);
    p.dataFim = dia(31, 12);
    p.codigos = codigos;
    p.comSubItens = comSub;
    return p;
}

TEST_F(BalancoForaDoLimite, SomaAlemDoLimiteDizOErroEmVezDeUmNumero) {
    using T = PedidoBalanco::Tipo;
    struct Caso {
        const char *nome;
        PedidoBalanco p;
        bool estoura;
    };
    const Caso casos[] = {
        {"at a date, the parent of two large accounts", pedido(T::Data, true), true},
        {"at a date, the two accounts alone", pedido(T::Data, true, {QStringLiteral("001.001"), QStringLiteral("001.002")}, false), false},
        {"over a period, the parent", pedido(T::Periodo, true), true},
        {"over a period, the total of the two marked accounts", pedido(T::Periodo, true, {QStringLiteral("001.001"), QStringLiteral("001.002")}, false), true},
        {"over a period, one account and the other side", pedido(T::Periodo, true, {QStringLiteral("001.001"), QStringLiteral("002")}, false), false},
        {"types over a period, the total of two large types", pedido(T::Periodo, false, {QStringLiteral("003"), QStringLiteral("005")}), true},
        {"types at a date, each type", pedido(T::Data, false), false},
        {"cross balance: the types inside the parent account", core::consultas::PedidoBalRecDespEmConta(QStringLiteral("001"), dia(1, 1), dia(31, 12), false), true},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        const QString campo = c.p.tipo == T::Data ? QStringLiteral("Saldo") : QStringLiteral("Balanco");
        const std::function<core::consultas::LinhasBalanco()> caminhos[] = {
            [&] { return core::consultas::CalcularBalanco(*db, c.p); },
            [&] {
                auto rs = db->OpenRecordset(core::consultas::SqlDoPedido(c.p), dao::dbOpenSnapshot);
                return core::consultas::LerLinhas(*rs, campo);
            },
        };
        for (const auto &caminho : caminhos) {
            if (!c.estoura) {
                EXPECT_NO_THROW(caminho());
                continue;
            }
            try {
                const core::consultas::LinhasBalanco linhas = caminho();
                QStringList valores;
                for (const auto &l : linhas) valores << l.codigo + QLatin1Char('=') + l.valor.toBr();
                ADD_FAILURE() << "no error; rows: " << valores.join(QLatin1Char(' ')).toStdString();
            } catch (const err::AppError &e) {
                EXPECT_EQ(e.number(), err::db::kNumericOverflow) << e.what();
                EXPECT_EQ(e.description(), err::db::numericOverflowText());
            }
        }
    }
}

} // namespace
} // namespace balancos
