// The balance texts against the postings themselves and the stored running
// balances, and the computed result set against the texts.
#include "LivroDeBalancos.h"

#include "core/consultas/CalculoBalanco.h"
#include "support/Book.h"

#include <QHash>

namespace balancos {
namespace {

using core::consultas::LinhaBalanco;
using core::consultas::LinhasBalanco;
using core::consultas::PedidoBalanco;

QHash<QString, Currency> porCodigo(const LinhasBalanco &linhas) {
    QHash<QString, Currency> m;
    for (const LinhaBalanco &l : linhas) m.insert(l.codigo, l.valor);
    return m;
}
QStringList codigos(const LinhasBalanco &linhas) {
    QStringList c;
    for (const LinhaBalanco &l : linhas) c << l.codigo;
    return c;
}
std::string texto(const LinhasBalanco &linhas) {
    QString s;
    for (const LinhaBalanco &l : linhas) s += QStringLiteral("%1|%2|%3|%4\n").arg(l.ordem).arg(l.desObjeto, l.codigo, l.valor.toBr());
    return s.toStdString();
}

const QList<QDate> kDatas = {dia(31, 1), dia(1, 2), dia(4, 2), dia(14, 2), dia(20, 2), dia(28, 2), dia(1, 3), dia(2, 3),
                             dia(11, 3), dia(12, 3), dia(31, 3)};

using BalancoNaData = LivroDeBalancos;

// Every item at every date: what the postings give, what the stored balances
// of ParQrySerialESaldos give, and the global row the last SaldoGlobal.
TEST_F(BalancoNaData, CadaItemIgualAosSaldosGuardadosEAosLancamentos) {
    for (const bool contas : {true, false}) {
        for (const QDate &d : kDatas) {
            const LinhasBalanco linhas = rodar(naData(contas, d));
            ASSERT_FALSE(linhas.empty());
            for (const LinhaBalanco &l : linhas) {
                SCOPED_TRACE((l.codigo + QLatin1Char(' ') + d.toString(Qt::ISODate)).toStdString());
                if (l.ordem == 1) {
                    EXPECT_EQ(l.codigo, QStringLiteral("9999"));
                    EXPECT_EQ(l.desObjeto, QStringLiteral("SALDO GLOBAL EM ") + d.toString(QStringLiteral("dd/MM/yyyy")));
                    const auto s = core::escrita::LerSerialESaldos(*db, QStringLiteral("001"), QStringLiteral("003"), d);
                    EXPECT_EQ(l.valor, s.saldoGlobal);
                    EXPECT_EQ(l.valor, saldoReal(true, QString(), d));
                    continue;
                }
                if (l.codigo == QStringLiteral("000")) {
                    EXPECT_EQ(l.valor, Currency());
                    continue;
                }
                EXPECT_EQ(l.valor, saldoReal(contas, l.codigo, d));
                const auto s = contas ? core::escrita::LerSerialESaldos(*db, l.codigo, QStringLiteral("003"), d)
                                      : core::escrita::LerSerialESaldos(*db, QStringLiteral("001"), l.codigo, d);
                EXPECT_EQ(l.valor, contas ? s.saldoConta : s.saldoRecDesp);
            }
            EXPECT_EQ(linhas.back().ordem, 1);
        }
    }
}

// The reversal of a sub-item's posting on the date of the parent's own
// posting: 100,00 on 001.001, 10,00 on 001, the first reversed.
TEST_F(BalancoNaData, EstornoDepoisDoUltimoLancamentoDoItemConta) {
    const auto m = porCodigo(rodar(naData(true, dia(2, 3))));
    const auto s = core::escrita::LerSerialESaldos(*db, QStringLiteral("001"), QStringLiteral("003"), dia(2, 3));
    EXPECT_EQ(m.value(QStringLiteral("001")), s.saldoConta);
    EXPECT_EQ(m.value(QStringLiteral("001")), saldoReal(true, QStringLiteral("001"), dia(2, 3)));
}

// Without sub-items only the marked items are listed, or all but the root.
TEST_F(BalancoNaData, SemSubItensListaOsMarcados) {
    struct Caso {
        QStringList marcados;
        QStringList esperados;
    };
    const std::vector<Caso> casos = {
        {{QStringLiteral("002")}, {QStringLiteral("002"), QStringLiteral("9999")}},
        {{QStringLiteral("001.001"), QStringLiteral("003")}, {QStringLiteral("001.001"), QStringLiteral("003"), QStringLiteral("9999")}},
        {{}, {QStringLiteral("001"), QStringLiteral("001.001"), QStringLiteral("001.001.001"), QStringLiteral("001.002"),
              QStringLiteral("002"), QStringLiteral("003"), QStringLiteral("9999")}},
    };
    for (const Caso &c : casos) {
        const LinhasBalanco l = rodar(naData(true, dia(31, 3), c.marcados, false));
        EXPECT_EQ(codigos(l), c.esperados) << c.marcados.join(QLatin1Char(',')).toStdString();
        for (const LinhaBalanco &x : l) {
            if (x.ordem == 0) {
                EXPECT_EQ(x.valor, saldoReal(true, x.codigo, dia(31, 3))) << x.codigo.toStdString();
            }
        }
    }
    // With sub-items and nothing marked the root is listed too.
    EXPECT_EQ(codigos(rodar(naData(true, dia(31, 3)))).first(), QStringLiteral("000"));
    EXPECT_EQ(codigos(rodar(naData(true, dia(31, 3), {QStringLiteral("001.001")}))),
              (QStringList{QStringLiteral("001.001"), QStringLiteral("001.001.001"), QStringLiteral("9999")}));
}

// A common user: only the readable items, in code order (every item after
// its parent), no total; an amount still takes in unreadable sub-items.
TEST_F(BalancoNaData, UsuarioComumSoItensLegiveisEmOrdemDeCodigo) {
    auto permitir = [&](const QString &codigo, int permissao) {
        db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) SELECT %3, Id, 1, %1 "
                                   "FROM Contas WHERE Codigo = '%2'").arg(permissao).arg(codigo).arg(usuarioComum()));
    };
    permitir(QStringLiteral("001"), 1);
    permitir(QStringLiteral("001.001"), 3);
    permitir(QStringLiteral("001.002"), 2); // may post, may not read
    permitir(QStringLiteral("002"), 0);
    PedidoBalanco p = naData(true, dia(31, 3));
    p.tipoUsuario = 2;
    p.idUsuario = usuarioComum();
    const LinhasBalanco l = rodar(p);
    EXPECT_EQ(codigos(l), (QStringList{QStringLiteral("001"), QStringLiteral("001.001")}));
    EXPECT_EQ(porCodigo(l).value(QStringLiteral("001")), saldoReal(true, QStringLiteral("001"), dia(31, 3)));
    EXPECT_EQ(porCodigo(l).value(QStringLiteral("001.001")), saldoReal(true, QStringLiteral("001.001"), dia(31, 3)));
    EXPECT_EQ(core::consultas::CalcularBalanco(*db, p), l);
}

using BalancoPeriodo = LivroDeBalancos;

// Over a period = at its end minus the day before its start (a reversal
// shares its reversed posting's date).
TEST_F(BalancoPeriodo, IgualADiferencaDosSaldosNasDatas) {
    const QList<std::pair<QDate, QDate>> periodos = {{dia(1, 2), dia(28, 2)}, {dia(2, 2), dia(1, 3)}, {dia(1, 3), dia(1, 3)},
                                                     {dia(11, 3), dia(31, 3)}, {dia(1, 1), dia(31, 12)}};
    for (const bool contas : {true, false}) {
        for (const auto &[ini, fim] : periodos) {
            const auto antes = porCodigo(rodar(naData(contas, ini.addDays(-1))));
            const auto depois = porCodigo(rodar(naData(contas, fim)));
            for (const LinhaBalanco &l : rodar(periodo(contas, ini, fim))) {
                SCOPED_TRACE((l.codigo + QLatin1Char(' ') + ini.toString(Qt::ISODate)).toStdString());
                if (l.ordem == 0) {
                    EXPECT_EQ(l.valor, depois.value(l.codigo) - antes.value(l.codigo));
                } else if (contas) {
                    EXPECT_EQ(l.valor, depois.value(QStringLiteral("9999")) - antes.value(QStringLiteral("9999")));
                }
            }
        }
    }
}

// The options of the selection: marks, sub-items, own code only, not
// realised, history; every row and the total against the postings.
TEST_F(BalancoPeriodo, OpcoesDaSelecao) {
    struct Caso {
        const char *nome;
        QStringList marcados;
        bool comSub, semSubs, soN;
        QString historico;
        QStringList linhas;   // listed codes
        QStringList noTotal;  // codes whose own postings make the total
    };
    const QString a = QStringLiteral("001"), a1 = QStringLiteral("001.001"), a11 = QStringLiteral("001.001.001"),
                  a2 = QStringLiteral("001.002"), b = QStringLiteral("002"), c = QStringLiteral("003");
    const std::vector<Caso> casos = {
        {"nada_marcado", {}, false, false, false, {}, {a, a1, a11, a2, b, c}, {a, a1, a11, a2, b, c}},
        {"marcado_com_filhos_nas_contas", {a}, false, false, false, {}, {a}, {a, a1, a11, a2}},
        {"so_o_proprio_codigo", {a, b}, false, true, false, {}, {a, b}, {a, b}},
        {"marcas_aninhadas_contam_uma_vez", {a, a1}, true, false, false, {}, {a, a1, a11, a2}, {a, a1, a11, a2}},
        {"com_subitens_o_total_ignora_so_o_proprio", {a1}, true, true, false, {}, {a1, a11}, {a1, a11}},
        {"nao_realizados", {}, false, false, true, {}, {a, a1, a11, a2, b, c}, {a, a1, a11, a2, b, c}},
        {"historico_deixa_so_itens_com_lancamentos", {}, false, false, false, QStringLiteral("feira"), {a, a1, a11, b}, {a, a1, a11, a2, b, c}},
    };
    for (const Caso &k : casos) {
        SCOPED_TRACE(k.nome);
        PedidoBalanco p = periodo(true, dia(1, 2), dia(31, 3), k.marcados);
        p.comSubItens = k.comSub;
        p.balSemSubs = k.semSubs;
        p.soNaoRealizados = k.soN;
        p.historico = k.historico;
        const LinhasBalanco l = rodar(p);
        QStringList esperado = k.linhas;
        esperado << QStringLiteral("9999");
        EXPECT_EQ(codigos(l), esperado);
        Currency total;
        for (const QString &x : k.noTotal) total += periodoReal(true, x, dia(1, 2), dia(31, 3), true, k.soN, k.historico);
        for (const LinhaBalanco &x : l) {
            if (x.ordem == 1) {
                EXPECT_EQ(x.valor, total);
            } else {
                EXPECT_EQ(x.valor, periodoReal(true, x.codigo, dia(1, 2), dia(31, 3), k.semSubs, k.soN, k.historico)) << x.codigo.toStdString();
            }
        }
        EXPECT_EQ(core::consultas::CalcularBalanco(*db, p), l) << texto(core::consultas::CalcularBalanco(*db, p)) << "--\n" << texto(l);
    }
}

// A history text: "#" and "[" stand for themselves, "*" for any text.
TEST_F(BalancoPeriodo, HistoricoComCaracteresDePadrao) {
    lancar(QStringLiteral("003"), QStringLiteral("005"), 100, dia(6, 3), QStringLiteral("10*2 [A]"));
    lancamentos = lerLancamentos();
    for (const QString &h : {QStringLiteral("*2"), QStringLiteral("[A]"), QStringLiteral("#2")}) {
        PedidoBalanco p = periodo(true, dia(1, 1), dia(31, 12));
        p.historico = h;
        const LinhasBalanco l = rodar(p);
        EXPECT_EQ(codigos(l), h == QStringLiteral("#2") ? QStringList{QStringLiteral("9999")}
                                                         : (QStringList{QStringLiteral("003"), QStringLiteral("9999")}))
            << h.toStdString();
        EXPECT_EQ(core::consultas::CalcularBalanco(*db, p), l);
    }
}

// A cross balance = the period balances restricted to the clicked item of
// the other chart, with its sub-items or alone.
TEST_F(BalancoPeriodo, CruzadoIgualAoPeriodoRestritoAoItem) {
    struct Caso {
        bool contas; // listed chart
        QString outro;
        bool somente;
    };
    const std::vector<Caso> casos = {{false, QStringLiteral("001"), false}, {false, QStringLiteral("001"), true},
                                     {false, QStringLiteral("001.001"), false}, {true, QStringLiteral("004"), false},
                                     {true, QStringLiteral("004"), true}, {true, QStringLiteral("001"), false}};
    for (const Caso &k : casos) {
        SCOPED_TRACE(k.outro.toStdString() + (k.somente ? " somente" : ""));
        const QString sql = k.contas ? (k.somente ? core::consultas::MontaConsultaBalContaEmRecDesp2(k.outro, dia(1, 2), dia(31, 3))
                                                  : core::consultas::MontaConsultaBalContaEmRecDesp(k.outro, dia(1, 2), dia(31, 3)))
                                     : (k.somente ? core::consultas::MontaConsultaBalRecDespEmConta2(k.outro, dia(1, 2), dia(31, 3))
                                                  : core::consultas::MontaConsultaBalRecDespEmConta(k.outro, dia(1, 2), dia(31, 3)));
        const LinhasBalanco l = rodar(sql, QStringLiteral("Balanco"));
        Currency total;
        for (const Lanc &x : lancamentos) {
            const QString outro = k.contas ? x.tipo : x.conta;
            if (k.somente ? outro != k.outro : !outro.startsWith(k.outro)) continue;
            if (x.data < dia(1, 2) || x.data > dia(31, 3) || (x.realizado != QStringLiteral("S") && x.realizado != QStringLiteral("?"))) continue;
            total += x.valor;
        }
        for (const LinhaBalanco &x : l) {
            if (x.ordem == 1) {
                EXPECT_EQ(x.valor, total);
                continue;
            }
            Currency s;
            for (const Lanc &y : lancamentos) {
                const QString outro = k.contas ? y.tipo : y.conta;
                if (k.somente ? outro != k.outro : !outro.startsWith(k.outro)) continue;
                if (!(k.contas ? y.conta : y.tipo).startsWith(x.codigo)) continue;
                if (y.data < dia(1, 2) || y.data > dia(31, 3) || (y.realizado != QStringLiteral("S") && y.realizado != QStringLiteral("?"))) continue;
                s += y.valor;
            }
            EXPECT_EQ(x.valor, s) << x.codigo.toStdString();
        }
        PedidoBalanco p = k.contas ? core::consultas::PedidoBalContaEmRecDesp(k.outro, dia(1, 2), dia(31, 3), k.somente)
                                   : core::consultas::PedidoBalRecDespEmConta(k.outro, dia(1, 2), dia(31, 3), k.somente);
        EXPECT_EQ(core::consultas::CalcularBalanco(*db, p), l);
    }
}

// A common user's period balance: readable items only, amounts with every
// sub-item, the total over the branches of the readable marked items.
TEST_F(BalancoPeriodo, UsuarioComum) {
    db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) SELECT %1, Id, 2, 1 "
                               "FROM TiposMovimentacoes WHERE Codigo IN ('004', '005')").arg(usuarioComum()));
    PedidoBalanco p = periodo(false, dia(1, 2), dia(31, 3));
    p.tipoUsuario = 2;
    p.idUsuario = usuarioComum();
    const LinhasBalanco l = rodar(p);
    EXPECT_EQ(codigos(l), (QStringList{QStringLiteral("004"), QStringLiteral("005"), QStringLiteral("9999")}));
    EXPECT_EQ(porCodigo(l).value(QStringLiteral("004")), periodoReal(false, QStringLiteral("004"), dia(1, 2), dia(31, 3)));
    EXPECT_EQ(porCodigo(l).value(QStringLiteral("9999")), periodoReal(false, QStringLiteral("004"), dia(1, 2), dia(31, 3)) +
                                                               periodoReal(false, QStringLiteral("005"), dia(1, 2), dia(31, 3)));
    EXPECT_EQ(core::consultas::CalcularBalanco(*db, p), l);
}

// The computed result set is the text's, row for row, over the requests
// the commands and the right click make.
TEST_F(LivroDeBalancos, CalculoIgualAoTexto) {
    std::vector<PedidoBalanco> pedidos;
    for (const bool contas : {true, false}) {
        for (const QStringList &marcas : {QStringList(), QStringList{QStringLiteral("001")},
                                          QStringList{QStringLiteral("001"), QStringLiteral("001.001")}, QStringList{QStringLiteral("003")}}) {
            for (const QDate &d : kDatas) {
                pedidos.push_back(naData(contas, d, marcas, true));
                pedidos.push_back(naData(contas, d, marcas, false));
            }
            for (int opcoes = 0; opcoes < 8; ++opcoes) {
                PedidoBalanco p = periodo(contas, dia(3, 2), dia(12, 3), marcas);
                p.comSubItens = opcoes & 1;
                p.balSemSubs = opcoes & 2;
                p.soNaoRealizados = opcoes & 4;
                pedidos.push_back(p);
            }
        }
        for (const QString &c : {QStringLiteral("001"), QStringLiteral("003"), QStringLiteral("004.001")}) {
            for (const bool somente : {false, true}) {
                PedidoBalanco p = contas ? core::consultas::PedidoBalContaEmRecDesp(c, dia(1, 1), dia(31, 3), somente)
                                         : core::consultas::PedidoBalRecDespEmConta(c, dia(1, 1), dia(31, 3), somente);
                pedidos.push_back(p);
            }
        }
    }
    for (const PedidoBalanco &p : pedidos) {
        const LinhasBalanco texto_ = rodar(p);
        EXPECT_EQ(core::consultas::CalcularBalanco(*db, p), texto_) << core::consultas::SqlDoPedido(p).toStdString() << "\n" << texto(texto_);
    }
}

// The same on a generated book: many accounts and types on three levels,
// postings on random dates, every settlement code.
TEST(CalculoBalanco, IgualAoTextoNumLivroGerado) {
    testsupport::coreApp();
    testsupport::TempDir dir;
    auto db = db::ConstruirBancoDeDados(dir.file(QStringLiteral("gerado.mdb")));
    testsupport::BookShape forma;
    forma.postings = 3000;
    forma.accountsPerLevel = 3;
    forma.levels = 3;
    forma.days = 400;
    forma.first = QDate(2025, 1, 1);
    const testsupport::Book livro = testsupport::writeBook(*db, forma);
    // The generator's 'E' carry no reversal pairs; as unsettled ones they count the same.
    db->Execute(QStringLiteral("UPDATE Lancamentos SET Realizado = '?' WHERE Realizado = 'E'"));
    ASSERT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
    for (const bool contas : {true, false}) {
        for (const QDate &d : {QDate(2024, 12, 31), QDate(2025, 3, 10), QDate(2025, 12, 31), QDate(2026, 3, 1)}) {
            PedidoBalanco p;
            p.tipo = PedidoBalanco::Tipo::Data;
            p.contas = contas;
            p.dataFim = d;
            p.comSubItens = true;
            EXPECT_EQ(core::consultas::CalcularBalanco(*db, p), [&] {
                auto rs = db->OpenRecordset(core::consultas::SqlDoPedido(p), dao::dbOpenSnapshot);
                return core::consultas::LerLinhas(*rs, QStringLiteral("Saldo"));
            }()) << d.toString(Qt::ISODate).toStdString();
        }
        PedidoBalanco p;
        p.contas = contas;
        p.dataIni = QDate(2025, 2, 1);
        p.dataFim = QDate(2025, 11, 30);
        auto rs = db->OpenRecordset(core::consultas::SqlDoPedido(p), dao::dbOpenSnapshot);
        EXPECT_EQ(core::consultas::CalcularBalanco(*db, p), core::consultas::LerLinhas(*rs, QStringLiteral("Balanco")));
        const QString outro = contas ? livro.types.first() : livro.accounts.first();
        PedidoBalanco c = contas ? core::consultas::PedidoBalContaEmRecDesp(outro, p.dataIni, p.dataFim, false)
                                 : core::consultas::PedidoBalRecDespEmConta(outro, p.dataIni, p.dataFim, false);
        auto rc = db->OpenRecordset(core::consultas::SqlDoPedido(c), dao::dbOpenSnapshot);
        EXPECT_EQ(core::consultas::CalcularBalanco(*db, c), core::consultas::LerLinhas(*rc, QStringLiteral("Balanco")));
    }
}

} // namespace
} // namespace balancos
