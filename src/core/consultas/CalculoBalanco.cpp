#include "core/consultas/CalculoBalanco.h"

#include "db/Schema.h"
#include "core/consultas/Selecao.h"
#include "db/Module1.h"
#include "db/SqlTexto.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <functional>

namespace core::consultas {

using value::Currency;

namespace {

struct Item {
    long id = 0;
    QString codigo, descricao;
};

struct Nomes {
    QString tabela, descricao, codLanc, codOutro, saldoLanc, tipoObjeto;
};
Nomes nomes(bool contas) {
    if (contas)
        return {QStringLiteral("Contas"), QStringLiteral("DesConta"), QStringLiteral("CodConta"), QStringLiteral("CodRecDesp"),
                QStringLiteral("SaldoConta"), QStringLiteral("1")};
    return {QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"), QStringLiteral("CodRecDesp"),
            QStringLiteral("CodConta"), QStringLiteral("SaldoRecDesp"), QStringLiteral("2")};
}

QString data(const QDate &d) { return db::DataSQL(QDateTime(d, QTime(0, 0)), 2); }
QString dia(const QDate &d) { return db::SqlTexto(d.toString(QStringLiteral("yyyyMMdd"))); }

// Codes are compared as the text columns compare them: without regard to case.
QString chave(const QString &codigo) { return codigo.toUpper(); }
const QString kRaiz = QStringLiteral("000");

// The chart, in code order.
std::vector<Item> plano(dao::Database &db, const Nomes &n) {
    std::vector<Item> itens;
    auto rs = db.OpenRecordset(QStringLiteral("SELECT Id, Codigo, ") + n.descricao + QStringLiteral(" AS Des FROM ") + n.tabela,
                               dao::dbOpenSnapshot);
    for (; !rs->Eof(); rs->MoveNext())
        itens.push_back({long(rs->Field(0).toDouble()), rs->Field(1).toString(), rs->Field(2).toString()});
    std::sort(itens.begin(), itens.end(), [](const Item &a, const Item &b) { return chave(a.codigo) < chave(b.codigo); });
    return itens;
}

// The items the user may read (read permission 1 or 3).
QSet<long> legiveis(dao::Database &db, const PedidoBalanco &p, const Nomes &n) {
    QSet<long> ids;
    auto rs = db.OpenRecordset(QStringLiteral("SELECT IdObjeto FROM PermissoesDeUsuarios WHERE IdUsuario = ") +
                                   QString::number(p.idUsuario) + QStringLiteral(" AND TipoObjeto = ") + n.tipoObjeto +
                                   QStringLiteral(" AND ") + CondicaoDeLeitura(QStringLiteral("Permissoes")),
                               dao::dbOpenSnapshot);
    for (; !rs->Eof(); rs->MoveNext()) ids.insert(long(rs->Field(0).toDouble()));
    return ids;
}

// Calls f(prefix) for every prefix of the code that is a key of the set,
// the code itself included: the items whose pattern "code*" it matches.
template <typename Set, typename F>
void paraCadaPrefixo(const QString &codigo, Set &conjunto, F f) {
    const QString k = chave(codigo);
    for (int len = 1; len <= k.size(); ++len) {
        const auto it = conjunto.find(k.left(len));
        if (it != conjunto.end()) f(it);
    }
}

bool temPrefixoEm(const QString &codigo, const QSet<QString> &conjunto) {
    bool sim = false;
    paraCadaPrefixo(codigo, conjunto, [&](auto) { sim = true; });
    return sim;
}

struct Soma {
    Currency valor;
    long n = 0;
};

LinhasBalanco ordenadas(LinhasBalanco linhas) {
    std::stable_sort(linhas.begin(), linhas.end(), [](const LinhaBalanco &a, const LinhaBalanco &b) {
        if (a.ordem != b.ordem) return a.ordem < b.ordem;
        return chave(a.codigo) < chave(b.codigo);
    });
    return linhas;
}

// ---- over a period (also the cross balances) -------------------------------

LinhasBalanco periodo(dao::Database &db, const PedidoBalanco &p) {
    const Nomes n = nomes(p.contas);
    const bool cruzado = p.tipo == PedidoBalanco::Tipo::Cruzado;
    const bool comSub = cruzado || p.comSubItens;
    const bool semSubs = !cruzado && p.balSemSubs;
    const bool soN = !cruzado && p.soNaoRealizados;
    const QStringList codigos = cruzado ? QStringList() : p.codigos;
    const QString historico = cruzado ? QString() : p.historico;

    // Sums per posting code over the period: one range of the date index,
    // summed here (grouping in the engine sorts by the text collation).
    const QDate de = std::min(p.dataIni, p.dataFim), ate = std::max(p.dataIni, p.dataFim);
    QString sql = QStringLiteral("SELECT L.") + n.codLanc + QStringLiteral(" AS Cod, L.Valor ") +
                  QStringLiteral("FROM Lancamentos AS L WHERE L.DataId >= ") + dia(de) + QStringLiteral(" AND L.DataId < ") +
                  dia(ate.addDays(1)) + QStringLiteral(" AND L.Data BETWEEN ") + data(p.dataIni) + QStringLiteral(" AND ") +
                  data(p.dataFim) +
                  (soN ? QStringLiteral(" AND L.Realizado = 'N'") : QStringLiteral(" AND (L.Realizado = 'S' OR L.Realizado = '?')")) +
                  FiltroDeHistorico(historico);
    if (cruzado)
        sql += QStringLiteral(" AND L.") + n.codOutro +
               (p.somenteOutro ? QStringLiteral(" = ") + db::SqlTexto(p.codigoOutro)
                               : QStringLiteral(" LIKE ") + db::SqlTexto(p.codigoOutro + QLatin1Char('*')));
    QHash<QString, Soma> somas;
    {
        // Summed by the code as stored, then by the code as compared.
        QHash<QString, Soma> porTexto;
        auto rs = db.OpenRecordset(sql, dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext()) {
            Soma &s = porTexto[rs->Field(0).toString()];
            s.valor += rs->Field(1).toCurrency();
            ++s.n;
        }
        for (auto it = porTexto.cbegin(); it != porTexto.cend(); ++it) {
            Soma &s = somas[chave(it.key())];
            s.valor += it->valor;
            s.n += it->n;
        }
    }

    const std::vector<Item> itens = plano(db, n);
    QSet<QString> doPlano;
    for (const Item &i : itens) doPlano.insert(chave(i.codigo));
    QSet<QString> marcados;
    for (const QString &c : codigos)
        if (doPlano.contains(chave(c))) marcados.insert(chave(c));
    const bool algum = !codigos.isEmpty();
    const bool comum = p.tipoUsuario != db::kAdministrador;
    const QSet<long> permitidos = comum ? legiveis(db, p, n) : QSet<long>();

    // Listed items, each with its sums.
    QHash<QString, Soma> listados;
    QHash<QString, const Item *> porCodigo;
    for (const Item &i : itens) {
        const QString k = chave(i.codigo);
        bool lista;
        if (!algum) lista = k != kRaiz;
        else if (comSub) lista = temPrefixoEm(k, marcados);
        else lista = marcados.contains(k);
        if (lista && comum) lista = permitidos.contains(i.id);
        if (!lista) continue;
        listados.insert(k, Soma());
        porCodigo.insert(k, &i);
    }
    for (auto it = somas.cbegin(); it != somas.cend(); ++it) {
        if (semSubs) {
            const auto l = listados.find(it.key());
            if (l != listados.end()) { l->valor += it->valor; l->n += it->n; }
        } else {
            paraCadaPrefixo(it.key(), listados, [&](auto l) { l->valor += it->valor; l->n += it->n; });
        }
    }

    LinhasBalanco linhas;
    for (auto it = listados.cbegin(); it != listados.cend(); ++it) {
        // With a history filter only the items with matching postings are listed.
        if (!historico.isEmpty() && it->n == 0) continue;
        const Item *i = porCodigo.value(it.key());
        linhas.push_back({0, i->descricao, i->codigo, it->valor});
    }

    // The total: the codes at (or below) the items it starts from, each once.
    QSet<QString> inicio;
    for (const Item &i : itens) {
        const QString k = chave(i.codigo);
        if (algum && !marcados.contains(k)) continue;
        if (comum && !permitidos.contains(i.id)) continue;
        inicio.insert(k);
    }
    Currency total;
    for (const Item &i : itens) {
        const QString k = chave(i.codigo);
        if (!p.contas && k == kRaiz) continue;
        const bool noTotal = (comSub || !semSubs) ? temPrefixoEm(k, inicio) : inicio.contains(k);
        if (noTotal) total += somas.value(k).valor;
    }
    linhas.push_back({1,
                      p.contas ? QStringLiteral("BALANÇO TOTAL DAS CONTAS PESQUISADAS")
                               : QStringLiteral("BALANÇO TOTAL DAS RECEITAS E DESPESAS PESQUISADAS"),
                      QStringLiteral("9999"), total});
    return ordenadas(std::move(linhas));
}

// ---- at a date ----------------------------------------------------------------

struct Ultimo {
    bool achou = false;
    QString dataId;
    Currency saldo;
    Currency depois; // counted postings of the branch after it, up to the date
};

LinhasBalanco naData(dao::Database &db, const PedidoBalanco &p) {
    const Nomes n = nomes(p.contas);
    const std::vector<Item> itens = plano(db, n);
    QSet<QString> doPlano;
    QHash<QString, QStringList> filhos;
    for (const Item &i : itens) {
        const QString k = chave(i.codigo);
        doPlano.insert(k);
        const int ponto = k.lastIndexOf(QLatin1Char('.'));
        if (ponto > 0) filhos[k.left(ponto)] << k;
    }
    QSet<QString> marcados;
    for (const QString &c : p.codigos)
        if (doPlano.contains(chave(c))) marcados.insert(chave(c));
    const bool algum = !p.codigos.isEmpty();
    const bool comum = p.tipoUsuario != db::kAdministrador;
    const QSet<long> permitidos = comum ? legiveis(db, p, n) : QSet<long>();

    std::vector<const Item *> listados;
    for (const Item &i : itens) {
        const QString k = chave(i.codigo);
        bool lista;
        if (p.comSubItens) lista = !algum || temPrefixoEm(k, marcados);
        else lista = algum ? marcados.contains(k) : k != kRaiz;
        if (lista && comum) lista = permitidos.contains(i.id);
        if (lista) listados.push_back(&i);
    }

    const QString fimDia = p.dataFim.addDays(1).toString(QStringLiteral("yyyyMMdd"));

    // The last posting of every code up to the date, one seek each on
    // (code, DataId) inside one statement, with its stored balance. An item
    // without one is the sum of its children.
    QHash<QString, Ultimo> ultimos;
    {
        auto rs = db.OpenRecordset(
            QStringLiteral("SELECT M.Codigo, M.D, L2.") + n.saldoLanc + QStringLiteral(" FROM (SELECT C.Codigo, (SELECT TOP 1 L.DataId FROM ") +
                QStringLiteral("Lancamentos AS L WHERE L.") + n.codLanc + QStringLiteral(" = C.Codigo AND L.DataId < ") + db::SqlTexto(fimDia) +
                QStringLiteral(" AND L.Data <= ") + data(p.dataFim) + QStringLiteral(" ORDER BY L.DataId DESC) AS D FROM ") + n.tabela +
                QStringLiteral(" AS C) AS M LEFT JOIN Lancamentos AS L2 ON L2.DataId = M.D"),
            dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext()) {
            Ultimo u;
            if (!rs->Field(1).isNull()) {
                u.achou = true;
                u.dataId = rs->Field(1).toString();
                u.saldo = rs->Field(2).toCurrency();
            }
            ultimos.insert(chave(rs->Field(0).toString()), u);
        }
        ultimos.remove(kRaiz);
    }

    // The items whose balance is needed: the listed ones and, below one
    // without a last posting, its children.
    QSet<QString> precisos;
    QStringList fila;
    for (const Item *i : listados) fila << chave(i->codigo);
    while (!fila.isEmpty()) {
        const QString k = fila.takeLast();
        if (k == kRaiz || precisos.contains(k)) continue;
        precisos.insert(k);
        if (!ultimos.value(k).achou) fila << filhos.value(k);
    }
    // The postings after the earliest of their last postings, in one range.
    QString desde;
    QHash<QString, Ultimo *> comUltimo;
    for (auto it = ultimos.begin(); it != ultimos.end(); ++it) {
        if (!it->achou || !precisos.contains(it.key())) continue;
        comUltimo.insert(it.key(), &*it);
        if (desde.isEmpty() || it->dataId < desde) desde = it->dataId;
    }
    if (!desde.isEmpty()) {
        auto rs = db.OpenRecordset(QStringLiteral("SELECT DataId, ") + n.codLanc +
                                       QStringLiteral(", Valor FROM Lancamentos WHERE DataId > ") + db::SqlTexto(desde) +
                                       QStringLiteral(" AND DataId < ") + db::SqlTexto(fimDia) + QStringLiteral(" AND Data <= ") +
                                       data(p.dataFim) + QStringLiteral(" AND Realizado <> 'N'"),
                                   dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext()) {
            const QString dataId = rs->Field(0).toString();
            const Currency v = rs->Field(2).toCurrency();
            paraCadaPrefixo(rs->Field(1).toString(), comUltimo, [&](auto it) {
                if (dataId > (*it)->dataId) (*it)->depois += v;
            });
        }
    }

    QHash<QString, Currency> saldos;
    std::function<Currency(const QString &)> saldoDe = [&](const QString &k) -> Currency {
        const auto s = saldos.constFind(k);
        if (s != saldos.cend()) return *s;
        const Ultimo u = ultimos.value(k);
        Currency v;
        if (u.achou) v = u.saldo + u.depois;
        else
            for (const QString &f : filhos.value(k)) v += saldoDe(f);
        saldos.insert(k, v);
        return v;
    };

    LinhasBalanco linhas;
    for (const Item *i : listados) {
        const QString k = chave(i->codigo);
        Currency v;
        if (k == kRaiz) {
            // The root takes no postings of its own and has no last posting.
            auto rs = db.OpenRecordset(QStringLiteral("SELECT Sum(Valor) FROM Lancamentos WHERE ") + n.codLanc +
                                           QStringLiteral(" LIKE '000*' AND Data <= ") + data(p.dataFim) +
                                           QStringLiteral(" AND Realizado <> 'N'"),
                                       dao::dbOpenSnapshot);
            if (!rs->Eof() && !rs->Field(0).isNull()) v = rs->Field(0).toCurrency();
        } else {
            v = saldoDe(k);
        }
        linhas.push_back({0, i->descricao, i->codigo, v});
    }
    if (!comum) {
        Currency global;
        auto rs = db.OpenRecordset(QStringLiteral("SELECT TOP 1 SaldoGlobal FROM Lancamentos WHERE Data <= ") + data(p.dataFim) +
                                       QStringLiteral(" ORDER BY Data DESC, Id DESC"),
                                   dao::dbOpenSnapshot);
        if (!rs->Eof()) global = rs->Field(0).toCurrency();
        linhas.push_back({1, QStringLiteral("SALDO GLOBAL EM ") + p.dataFim.toString(QStringLiteral("dd/MM/yyyy")),
                          QStringLiteral("9999"), global});
    }
    return ordenadas(std::move(linhas));
}

} // namespace

LinhasBalanco CalcularBalanco(dao::Database &db, const PedidoBalanco &pedido) {
    return pedido.tipo == PedidoBalanco::Tipo::Data ? naData(db, pedido) : periodo(db, pedido);
}

} // namespace core::consultas
