#include "core/consultas/ConsultasBalanco.h"

#include "db/Schema.h"
#include "core/consultas/Selecao.h"
#include "db/Module1.h"
#include "db/SqlTexto.h"
#include "platform/dao/Recordset.h"
#include "ui/AppContext.h"

namespace core::consultas {

namespace {

QString data(const QDate &d) { return db::DataSQL(QDateTime(d, QTime(0, 0)), 2); }

// The names that differ between the two charts.
struct Plano {
    QString tabela, descricao, codLanc, saldoLanc, tipoObjeto, tabelaMaiusc;
};
Plano plano(bool contas) {
    if (contas)
        return {QStringLiteral("Contas"), QStringLiteral("DesConta"), QStringLiteral("CodConta"),
                QStringLiteral("SALDOCONTA"), QStringLiteral("1"), QStringLiteral("CONTAS")};
    return {QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"), QStringLiteral("CodRecDesp"),
            QStringLiteral("SaldoRecDesp"), QStringLiteral("2"), QStringLiteral("TIPOSMOVIMENTACOES")};
}

bool administrador(const PedidoBalanco &p) { return p.tipoUsuario == db::kAdministrador; }

QString juncaoPermissaoItem(const PedidoBalanco &p, const Plano &pl) {
    if (administrador(p)) return {};
    return QStringLiteral(" INNER JOIN PermissoesDeUsuarios As P ON (P.IdUsuario = ") + QString::number(p.idUsuario) +
           QStringLiteral(" AND P.TipoObjeto = ") + pl.tipoObjeto +
           QStringLiteral(" AND P.IdObjeto = C31.Id AND ") + CondicaoDeLeitura(QStringLiteral("P.Permissoes")) +
           QStringLiteral(")");
}

QString juncaoPermissaoTotal(const PedidoBalanco &p, const Plano &pl) {
    if (administrador(p)) return {};
    return QStringLiteral(" INNER JOIN PERMISSOESDEUSUARIOS AS P ON (P.IDUSUARIO = ") + QString::number(p.idUsuario) +
           QStringLiteral(" AND P.TIPOOBJETO = ") + pl.tipoObjeto +
           QStringLiteral(" AND P.IDOBJETO = C2.ID AND ") + CondicaoDeLeitura(QStringLiteral("P.Permissoes")) +
           QStringLiteral(")");
}

// The rows of the total: "C" over the codes at or below "C2".
QString inicioDoTotal(const PedidoBalanco &p, const Plano &pl, const QString &texto) {
    QString s = QStringLiteral("(SELECT 1 as Ordem,'") + texto + QStringLiteral("' As DesObjeto, ") +
                QStringLiteral("'9999' As Codigo, IIF(IsNull(BalanT),0,BalanT) As Balanco FROM ");
    if (administrador(p))
        s += QStringLiteral("(Select Sum(L.Valor) As BalanT FROM (Select DISTINCT C.Codigo  FROM ") + pl.tabela +
             QStringLiteral(" AS C INNER JOIN ") + pl.tabela + QStringLiteral(" AS C2 On (");
    else
        s += QStringLiteral("(Select Sum(L.Valor) As BalanT FROM (Select DISTINCT C.Codigo  FROM ") + pl.tabela +
             QStringLiteral(" aS C INNER JOIN (") + pl.tabela + QStringLiteral(" AS C2 ") + juncaoPermissaoTotal(p, pl) +
             QStringLiteral(") On (");
    return s;
}

QString textoDoTotal(bool contas) {
    return contas ? QStringLiteral("BALANÇO TOTAL DAS CONTAS PESQUISADAS")
                  : QStringLiteral("BALANÇO TOTAL DAS RECEITAS E DESPESAS PESQUISADAS");
}

// The item rows of a balance over a period; `restricao` opens the join of the
// postings (up to and including the first condition's start).
QString parteDosItens(const PedidoBalanco &p, const Plano &pl, const QString &filtroCodigos, bool comSubItens,
                      const QString &abreLancamentos, const QString &condicaoCodigo, const QString &realizado,
                      const QString &historico) {
    return QStringLiteral("(SELECT  0 as Ordem,C3.") + pl.descricao +
           QStringLiteral(" As DesObjeto, C3.Codigo, IIF(IsNull(C4.Balan),0,C4.Balan) As Balanco FROM ") +
           QStringLiteral("(Select DISTINCT C31.") + pl.descricao + QStringLiteral(", C31.Codigo, C31.Id  FROM (") +
           pl.tabela + QStringLiteral(" As C31 INNER JOIN ") + QStringLiteral("(SELECT Codigo FROM ") + pl.tabela +
           filtroCodigos +
           (comSubItens ? QStringLiteral(") As C32 ON C31.Codigo LIKE C32.Codigo & '*')")
                        : QStringLiteral(") As C32 ON C31.Codigo = C32.Codigo)")) +
           juncaoPermissaoItem(p, pl) + QStringLiteral(") As C3 ") +
           (historico.isEmpty() ? QStringLiteral("LEFT JOIN ") : QStringLiteral("INNER JOIN ")) +
           QStringLiteral("(SELECT C2.Codigo, Sum(L.Valor) As Balan FROM  (Select DISTINCT  C21.Codigo FROM ") + pl.tabela +
           QStringLiteral(" As C21 INNER JOIN ") + QStringLiteral("(SELECT Codigo FROM ") + pl.tabela + filtroCodigos +
           QStringLiteral(") As C22 ON C21.Codigo LIKE C22.Codigo & '*') As C2 INNER JOIN ") + abreLancamentos +
           condicaoCodigo + QStringLiteral(" AND L.Data BETWEEN ") + data(p.dataIni) + QStringLiteral(" AND ") +
           data(p.dataFim) + realizado + historico + QStringLiteral(") Group By C2.Codigo) AS C4 ON ") +
           QStringLiteral("C3.Codigo = C4.Codigo ORDER BY C3.") + pl.descricao + QStringLiteral(") ");
}

} // namespace

QString ListaDeCodigos(const QStringList &codigos) {
    QString lista;
    for (const QString &c : codigos) lista += db::SqlTexto(c) + QLatin1Char(',');
    lista.chop(1);
    return lista;
}

QString SqlBalancoPeriodo(const PedidoBalanco &p) {
    const Plano pl = plano(p.contas);
    const bool algum = !p.codigos.isEmpty();
    const QString lista = ListaDeCodigos(p.codigos);
    const QString filtroCodigos = algum ? QStringLiteral(" WHERE Codigo IN (") + lista + QLatin1Char(')')
                                        : QStringLiteral(" WHERE CODIGO <> '000'");
    const QString condicaoTotal = algum ? QStringLiteral("C2.CODIGO IN (") + lista + QStringLiteral(") AND ") : QString();
    const QString historico = FiltroDeHistorico(p.historico);
    const QString realizado = p.soNaoRealizados ? QString() : QStringLiteral(" AND (Realizado = 'S' OR Realizado ='?') ");

    const QString itens = parteDosItens(
        p, pl, filtroCodigos, p.comSubItens,
        p.soNaoRealizados ? QStringLiteral("Lancamentos As L ON (L.Realizado = 'N' AND ") : QStringLiteral("Lancamentos As L ON ("),
        p.balSemSubs ? QStringLiteral("L.") + pl.codLanc + QStringLiteral("=C2.Codigo")
                     : QStringLiteral("L.") + pl.codLanc + QStringLiteral(" LIKE C2.Codigo & '*'"),
        realizado, historico);

    const QString semRaiz = p.contas ? QString() : QStringLiteral(" AND C.Codigo <> '000'");
    QString total = inicioDoTotal(p, pl, textoDoTotal(p.contas)) + condicaoTotal;
    if (p.comSubItens || !p.balSemSubs) total += QStringLiteral(" C.Codigo LIKE C2.Codigo & '*'") + semRaiz + QStringLiteral(")) As G ");
    else total += QStringLiteral(" C.Codigo = C2.Codigo") + semRaiz + QStringLiteral(")) As G ");
    if (p.soNaoRealizados)
        total += (p.comSubItens ? QStringLiteral("INNER JOIN Lancamentos As L ON (L.Realizado = 'N' AND G.Codigo = L.")
                                : QStringLiteral("INNER JOIN Lancamentos As L ON (L.Realizado='N' AND G.Codigo = L.")) +
                 pl.codLanc + QStringLiteral(" AND ");
    else
        total += QStringLiteral("INNER JOIN Lancamentos As L ON (G.Codigo = L.") + pl.codLanc + QStringLiteral(" AND ");
    total += QStringLiteral("L.Data BETWEEN ") + data(p.dataIni) + QStringLiteral(" AND ") + data(p.dataFim) + realizado +
             historico + QStringLiteral("))) ");
    return itens + QStringLiteral(" UNION ") + total + QStringLiteral(" ORDER BY ORDEM, Codigo");
}

QString SqlBalancoCruzado(const PedidoBalanco &p) {
    const Plano pl = plano(p.contas);
    const Plano outro = plano(!p.contas);
    const QString filtroCodigos = QStringLiteral(" WHERE CODIGO <> '000'");
    // The other chart's item: with its sub-items, or alone.
    const QString padrao = p.somenteOutro ? db::SqlTexto(p.codigoOutro) : db::SqlTexto(p.codigoOutro + QLatin1Char('*'));
    const QString op = p.somenteOutro ? QStringLiteral(" = ") : QStringLiteral(" LIKE ");
    const QString itens = parteDosItens(
        p, pl, filtroCodigos, true, QStringLiteral("Lancamentos As L ON (") + outro.codLanc + op + padrao + QStringLiteral(" AND "),
        QStringLiteral("L.") + pl.codLanc + QStringLiteral(" LIKE C2.Codigo & '*'"),
        QStringLiteral(" AND (Realizado = 'S' OR Realizado ='?') "), QString());
    const QString semRaiz = p.contas ? QString() : QStringLiteral(" AND C.Codigo <> '000'");
    const QString total = inicioDoTotal(p, pl, textoDoTotal(p.contas)) + QStringLiteral(" C.Codigo LIKE C2.Codigo & '*'") +
                          semRaiz + QStringLiteral(")) As G ") + QStringLiteral("INNER JOIN Lancamentos As L ON (") +
                          outro.codLanc + op + padrao + QStringLiteral(" AND G.Codigo = L.") + pl.codLanc +
                          QStringLiteral(" AND ") + QStringLiteral("L.Data BETWEEN ") + data(p.dataIni) +
                          QStringLiteral(" AND ") + data(p.dataFim) +
                          QStringLiteral(" AND (Realizado = 'S' OR Realizado ='?') ") + QStringLiteral("))) ");
    return itens + QStringLiteral(" UNION ") + total + QStringLiteral(" ORDER BY ORDEM, Codigo");
}

QString SqlSaldosNaData(const PedidoBalanco &p) {
    const Plano pl = plano(p.contas);
    const bool algum = !p.codigos.isEmpty();
    const QString lista = ListaDeCodigos(p.codigos);
    const QString d = data(p.dataFim);
    const QString juncao = algum ? QStringLiteral(" INNER JOIN ") + pl.tabelaMaiusc + QStringLiteral(" AS X ON (X.CODIGO IN (") +
                                       lista + QStringLiteral(") AND C2.CODIGO LIKE X.CODIGO & '*')")
                                 : QString();
    const QString condicaoSubItens = algum ? QStringLiteral("X.CODIGO IN (") + lista + QStringLiteral(") AND ") : QString();
    // The listed items without their sub-items: the marked ones, or all but
    // the root. They restrict the rows of C2 themselves; in the left join's
    // condition they would restrict nothing.
    const QString itensSemSub = algum ? QStringLiteral(" WHERE C2.Codigo IN (") + lista + QLatin1Char(')')
                                      : QStringLiteral(" WHERE C2.Codigo <> '000'");
    const QString abrePermissao = administrador(p) ? QString() : QStringLiteral("(");
    const QString fechaPermissao =
        administrador(p) ? QString()
                         : QStringLiteral(") INNER JOIN PermissoesDeUsuarios As P ON (P.IdUsuario = ") +
                               QString::number(p.idUsuario) + QStringLiteral(" AND P.TipoObjeto = ") + pl.tipoObjeto +
                               QStringLiteral(" AND P.IdObjeto = C3.Id AND ") +
                               CondicaoDeLeitura(QStringLiteral("P.Permissoes")) + QStringLiteral(") ");
    const QString ultimo = QStringLiteral("(SELECT C.Codigo, Max(DataId) AS MaxDataId FROM ") + pl.tabela +
                           QStringLiteral(" As C INNER JOIN  Lancamentos As L ON (L.") + pl.codLanc +
                           QStringLiteral(" =C.Codigo and L.Data <=") + d + QStringLiteral(")  Group By C.Codigo) As M ");
    // Every posting not settled as not realised counts after the item's own
    // last one: the stored balance it starts from counts them so (reversals
    // included).
    const QString depois = QStringLiteral("ON (L3.DataId > MC.DataId AND L3.DATA <= ") + d + QStringLiteral(" AND L3.") +
                           pl.codLanc + QStringLiteral(" LIKE MC.Codigo & '*' AND L3.Realizado <> 'N') ");
    const QString somaDepois =
        QStringLiteral("LEFT JOIN (SELECT MC.Codigo, IIF(ISNULL(SUM(L3.Valor)),0,SUM(L3.Valor)) As BalanSubs FROM ") +
        QStringLiteral("Lancamentos As L3 INNER JOIN (SELECT DISTINCT C2.Codigo, IIF(IsNull(M.MaxDataId),'',M.MaxDataId) AS DataId FROM (") +
        pl.tabela + QStringLiteral(" As C2 INNER JOIN ") + pl.tabelaMaiusc + QStringLiteral(" AS X ON (") + condicaoSubItens +
        QStringLiteral("C2.CODIGO LIKE X.CODIGO & '*'))  Left Join ") + ultimo +
        QStringLiteral("On (C2.Codigo <> '000' AND C2.Codigo = M.Codigo)) As MC ") + depois +
        QStringLiteral("GROUP BY MC.Codigo) AS S ON S.Codigo = MC2.Codigo) AS MC3 ON C3.Codigo = MC3.Codigo ");
    const QString listados =
        p.comSubItens ? QStringLiteral("(SELECT DISTINCT C2.Codigo, IIF(IsNull(M.MaxDataId),'',M.MaxDataId) AS DataId FROM (") +
                            pl.tabela + QStringLiteral(" As C2") + juncao + QStringLiteral(") Left Join ") + ultimo +
                            QStringLiteral("On (C2.Codigo <> '000' AND C2.Codigo = M.Codigo)) As MC ")
                      : QStringLiteral("(SELECT DISTINCT C2.Codigo, IIF(IsNull(M.MaxDataId),'',M.MaxDataId) AS DataId FROM ") +
                            pl.tabela + QStringLiteral(" As C2 Left Join ") + ultimo +
                            QStringLiteral("On (C2.Codigo = M.Codigo)") + itensSemSub + QStringLiteral(") As MC ");
    // A common user's rows come alone: in code order, so that every item
    // follows its parent as for an administrator.
    const QString ordem = administrador(p) ? QStringLiteral("ORDER BY C3.") + pl.descricao : QStringLiteral("ORDER BY C3.Codigo");
    const QString itens = QStringLiteral("SELECT 0 As Ordem, C3.") + pl.descricao +
                          QStringLiteral(" As DesObjeto,C3.Codigo, ( MC3.USaldo + MC3.Balan) AS Saldo ") +
                          QStringLiteral("FROM ") + abrePermissao + pl.tabela +
                          QStringLiteral(" AS C3 INNER JOIN (SELECT  MC2.Codigo,MC2.USaldo, ") +
                          QStringLiteral("IIF(ISNULL(S.BalanSubs),0,S.BalanSubs) As Balan FROM (SELECT MC.Codigo, MC.DataId, ") +
                          QStringLiteral("IIF(ISNULL(L2.") + pl.saldoLanc + QStringLiteral("),0,L2.") + pl.saldoLanc +
                          QStringLiteral(") AS USALDO FROM ") + listados +
                          QStringLiteral("LEFT JOIN LANCAMENTOS AS L2 ON (MC.DATAID = L2.DATAID)) AS MC2 ") + somaDepois +
                          fechaPermissao + ordem;
    if (!administrador(p)) return itens;
    const QString total = QStringLiteral("(SELECT 1 As Ordem , 'SALDO GLOBAL EM ") + p.dataFim.toString(QStringLiteral("dd/MM/yyyy")) +
                          QStringLiteral("' As DesObjeto,'9999' As Codigo, IIF(IsNull(SaldoG), 0, SaldoG) AS Saldo FROM ") +
                          QStringLiteral("(Select Sum(L.SaldoGlobal) As SaldoG From Lancamentos As L  inner Join (SELECT TOP 1 * ") +
                          QStringLiteral("From Lancamentos Where Data <= ") + d +
                          QStringLiteral(" ORDER BY data DESC , id DESC) As T  On L.Id = T.Id))");
    return QStringLiteral("(") + itens + QStringLiteral(") UNION ") + total + QStringLiteral(" ORDER BY ORDEM, CODIGO");
}

QString SqlDoPedido(const PedidoBalanco &p) {
    switch (p.tipo) {
    case PedidoBalanco::Tipo::Periodo: return SqlBalancoPeriodo(p);
    case PedidoBalanco::Tipo::Data: return SqlSaldosNaData(p);
    case PedidoBalanco::Tipo::Cruzado: return SqlBalancoCruzado(p);
    }
    return {};
}

namespace {
PedidoBalanco cruzado(bool contas, const QString &codigo, const QDate &ini, const QDate &fim, bool somenteOutro) {
    PedidoBalanco p;
    p.tipo = PedidoBalanco::Tipo::Cruzado;
    p.contas = contas;
    p.dataIni = ini;
    p.dataFim = fim;
    p.codigoOutro = codigo;
    p.somenteOutro = somenteOutro;
    p.comSubItens = true;
    p.tipoUsuario = ui::gTipoUsuario;
    p.idUsuario = ui::gIdUsuario;
    return p;
}
} // namespace

PedidoBalanco PedidoBalRecDespEmConta(const QString &codigo, const QDate &ini, const QDate &fim, bool somenteOutro) {
    return cruzado(false, codigo, ini, fim, somenteOutro);
}
PedidoBalanco PedidoBalContaEmRecDesp(const QString &codigo, const QDate &ini, const QDate &fim, bool somenteOutro) {
    return cruzado(true, codigo, ini, fim, somenteOutro);
}
QString MontaConsultaBalRecDespEmConta(const QString &codigo, const QDate &ini, const QDate &fim) {
    return SqlBalancoCruzado(PedidoBalRecDespEmConta(codigo, ini, fim, false));
}
QString MontaConsultaBalRecDespEmConta2(const QString &codigo, const QDate &ini, const QDate &fim) {
    return SqlBalancoCruzado(PedidoBalRecDespEmConta(codigo, ini, fim, true));
}
QString MontaConsultaBalContaEmRecDesp(const QString &codigo, const QDate &ini, const QDate &fim) {
    return SqlBalancoCruzado(PedidoBalContaEmRecDesp(codigo, ini, fim, false));
}
QString MontaConsultaBalContaEmRecDesp2(const QString &codigo, const QDate &ini, const QDate &fim) {
    return SqlBalancoCruzado(PedidoBalContaEmRecDesp(codigo, ini, fim, true));
}

LinhasBalanco LerLinhas(dao::Recordset &rs, const QString &campoValor) {
    LinhasBalanco linhas;
    for (; !rs.Eof(); rs.MoveNext()) {
        LinhaBalanco l;
        l.ordem = int(rs.Field(QStringLiteral("Ordem")).toDouble());
        l.desObjeto = rs.Field(QStringLiteral("DesObjeto")).toString();
        l.codigo = rs.Field(QStringLiteral("Codigo")).toString();
        const value::Value v = rs.Field(campoValor);
        l.valor = v.isNull() ? value::Currency() : v.toCurrency();
        linhas.push_back(l);
    }
    return linhas;
}

} // namespace core::consultas
