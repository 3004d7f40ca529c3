#include "db/SavedQueries.h"

namespace db {

namespace {

// The last moment of the date [DATAOP] as a DataId: every posting dated on
// or before it has a DataId no greater than this, so the ranges read below end
// there instead of running to the end of the book.
const QString kFimDoDia = QStringLiteral("(Year([DATAOP]) * 10000 + Month([DATAOP]) * 100 + Day([DATAOP])) & '999999999'");

// The last own posting of exactly the account (type) up to the date.
QString maxDataId(const char *codCol, const char *param) {
    return QStringLiteral("PARAMETERS [DATAOP] DateTime, [%2] Text ( 255 );"
                          "SELECT IIF(IsNull(Max(DataId)),'',Max(DataId)) AS MaxDataId "
                          "From Lancamentos WHERE %1 = [%2] AND DataId <= %3 AND data <=[DATAOP];")
        .arg(QLatin1String(codCol), QLatin1String(param), kFimDoDia);
}

// The balance of an account (type) together with every one below it at the
// end of [DATAOP], from the running balances of the items' own last postings,
// so that it costs a few index seeks per item of the branch's top levels
// whatever the number of postings below. A posting counts unless it was
// settled as not realised. (Counting only 'S' and '?' would leave out a
// reversal made after the account's own last posting while the reversed
// posting, older, still counts in that posting's balance.)
//
// With bal(c, y) the balance of c's branch up to the DataId y (0 for the empty
// text), S(c, y) the running balance of c's last own posting up to y (0 when
// none) and m(c, y) that posting's DataId ('' when none):
//   bal(c, y) = S(c, y) + sum over the children k of c of
//               bal(k, y) - bal(k, m(c, y)),
// since the postings of c's branch after m(c, y) are its children's. The
// item's children and grandchildren are read so; below the grandchildren,
// bal(g, y) is S(g, y) plus the postings of g's branch after m(g, y),
// read through each item's own (code, DataId) range. A heading with no
// posting of its own (m = '') reads no posting older than its children's and
// grandchildren's last ones, and a branch of three levels reads no posting
// range at all. An item without children (where postings usually go) skips
// all of this after one look at the chart.
//
// The points for each child (the end of the date, and the heading's last own
// posting) and for each grandchild (those and the child's last own posting up
// to each) are worked out once, in DISTINCT tables the engine keeps rather
// than merging their sub-selects into every place they are used; the
// balances at those points come in by joins on DataId. (Nesting the seeks
// inside one another instead runs past the depth the engine parses.)
QString ultSaldo(const char *saldo, const char *saldoUpper, const char *maxQuery, const char *codCol,
                 const char *param, const char *alias, const char *chart) {
    const QString cod = QLatin1String(codCol), par = QLatin1String(param), plano = QLatin1String(chart),
                  sal = QLatin1String(saldo);
    // m(c, y): y is the end of the date (an empty `y`) or a DataId.
    auto ate = [&](const QString &a, const QString &y) {
        return y.isEmpty() ? QStringLiteral("%1.DataId <= %2 AND %1.Data <= [DATAOP]").arg(a, kFimDoDia)
                           : QStringLiteral("%1.DataId <= %2").arg(a, y);
    };
    auto m = [&](const QString &a, const QString &c, const QString &y) {
        return QStringLiteral("(SELECT Nz(Max(%1.DataId), '') FROM LANCAMENTOS AS %1 WHERE %1.%2 = %3 AND %4)")
            .arg(a, cod, c, ate(a, y));
    };
    // The children of the item, with m at the end of the date (MX) and at the
    // item's last own posting (MY), beside that posting (M0).
    const QString filhos =
        QStringLiteral("(SELECT DISTINCT C.Codigo AS Codigo, M.MaxDataId AS M0, %1 AS MX, %2 AS MY FROM %3 AS C, %4 AS M "
                       "WHERE C.CodPai = [%5] AND C.Codigo <> [%5])")
            .arg(m(QStringLiteral("CX"), QStringLiteral("C.Codigo"), QString()),
                 m(QStringLiteral("CY"), QStringLiteral("C.Codigo"), QStringLiteral("M.MaxDataId")), plano, QLatin1String(maxQuery),
                 par);
    // The grandchildren, with m at each of their parent's four points.
    const QString netos = QStringLiteral("(SELECT DISTINCT G.Codigo AS Codigo, F.MX AS MX, F.M0 AS M0, F.MY AS MY, "
                                         "%1 AS GX, %2 AS GMX, %3 AS GM0, %4 AS GMY FROM %5 AS F INNER JOIN %6 AS G ON G.CodPai = F.Codigo)")
                              .arg(m(QStringLiteral("GX"), QStringLiteral("G.Codigo"), QString()),
                                   m(QStringLiteral("GMX"), QStringLiteral("G.Codigo"), QStringLiteral("F.MX")),
                                   m(QStringLiteral("GM0"), QStringLiteral("G.Codigo"), QStringLiteral("F.M0")),
                                   m(QStringLiteral("GMY"), QStringLiteral("G.Codigo"), QStringLiteral("F.MY")), filhos, plano);
    // The postings below the grandchild after its last own one up to y come
    // in by a LEFT JOIN, which keeps the items below ahead of them.
    auto depois = [&](const QString &n, const QString &desde, const QString &y) {
        const QString h = QLatin1Char('H') + n, l = QLatin1Char('R') + n;
        return QStringLiteral("Nz((SELECT Sum(%1.Valor) FROM %2 AS %3 LEFT JOIN LANCAMENTOS AS %1 ON (%1.%4 = %3.Codigo "
                              "AND %1.DataId > N.%5 AND %6 AND (%1.Realizado <> 'N' OR %1.Realizado Is Null)) "
                              "WHERE %3.Codigo LIKE N.Codigo & '.*'), 0)")
            .arg(l, plano, h, cod, desde, ate(l, y));
    };
    const QString dosFilhos =
        QStringLiteral("(SELECT Nz(Sum(F1.%1), 0) - Nz(Sum(F2.%1), 0) "
                       "FROM (%2 AS F LEFT JOIN LANCAMENTOS AS F1 ON F1.DataId = F.MX) LEFT JOIN LANCAMENTOS AS F2 ON F2.DataId = F.MY)")
            .arg(sal, filhos);
    const QString dosNetos =
        QStringLiteral("(SELECT Nz(Sum(Nz(N1.%1, 0) - Nz(N2.%1, 0) - Nz(N3.%1, 0) + Nz(N4.%1, 0) + %2 - %3 - %4 + %5), 0) "
                       "FROM (((%6 AS N LEFT JOIN LANCAMENTOS AS N1 ON N1.DataId = N.GX) LEFT JOIN LANCAMENTOS AS N2 ON N2.DataId = N.GMX) "
                       "LEFT JOIN LANCAMENTOS AS N3 ON N3.DataId = N.GM0) LEFT JOIN LANCAMENTOS AS N4 ON N4.DataId = N.GMY)")
            .arg(sal, depois(QStringLiteral("1"), QStringLiteral("GX"), QString()),
                 depois(QStringLiteral("2"), QStringLiteral("GMX"), QStringLiteral("N.MX")),
                 depois(QStringLiteral("3"), QStringLiteral("GM0"), QStringLiteral("N.M0")),
                 depois(QStringLiteral("4"), QStringLiteral("GMY"), QStringLiteral("N.MY")), netos);
    return QStringLiteral("PARAMETERS [DATAOP] DateTime, [%1] Text ( 255 );").arg(par) +
           QStringLiteral("SELECT IIF(ISNULL(SUM(L.%1)), 0, SUM(L.%2)) + IIF(EXISTS (SELECT K.Codigo FROM %3 AS K WHERE K.CodPai = [%4] "
                          "AND K.Codigo <> [%4]), %5 + %6, 0) AS %7 FROM LANCAMENTOS AS L INNER JOIN %8 AS M ON L.DataId = M.MaxDataId;")
               .arg(sal, QLatin1String(saldoUpper), plano, par, dosFilhos, dosNetos, QLatin1String(alias), QLatin1String(maxQuery));
}

std::vector<ConsultaSalva> build() {
    return {
        {QStringLiteral("ParQryContaFilhos"),
         QStringLiteral("PARAMETERS [PAICOD] Text ( 255 );SELECT Count(*) AS Contagem From Contas WHERE CodPai=[PAICOD];")},
        {QStringLiteral("ParQryContaPermissaoEmTransferencia"),
         QStringLiteral("PARAMETERS [paridusu] Long, [parID] Long;"
                        "SELECT L.*, C.DesConta, P.Permissoes FROM ((LANCAMENTOS AS L INNER JOIN TRANSFERENCIAS AS T ON "
                        "((L.ID = T.SerialSai Or L.ID = T.SerialEntra)   and   (T.SerialEntra = [parID] OR T.SerialSai = [parID]))) "
                        "INNER JOIN Contas AS C ON L.CodConta = C.Codigo) LEFT JOIN PERMISSOESDEUSUARIOS AS P ON  "
                        "(P.TipoObjeto = 1 AND P.IdObjeto = C.Id And P.IdUsuario = [paridusu]);")},
        {QStringLiteral("ParQryContaPermissoes"),
         QStringLiteral("PARAMETERS [paridusu] Long, [parcodcon] Text ( 255 ), [parcodrecdesp] Text ( 255 );"
                        "SELECT sum(s.contagem) AS total FROM (Select 0 as ordem, Count(P.Id) As Contagem  from "
                        "PermissoesDeUsuarios as P Inner Join Contas as C On (P.IdUsuario = [paridusu] and C.Codigo = "
                        "[parcodcon] and C.Id = P.IdObjeto And P.TipoObjeto = 1 And (P.Permissoes = 2 or P.Permissoes = 3)) "
                        "Union "
                        "Select 1 as ordem, Count(P1.Id) As Contagem from PermissoesDeUsuarios as P1 Inner Join "
                        "TiposMovimentacoes as T On (P1.IdUsuario = [paridusu] and T.Codigo = [parcodrecdesp] and T.Id = "
                        "P1.IdObjeto And P1.TipoObjeto = 2 And (P1.Permissoes = 2 or P1.Permissoes = 3))) AS S;")},
        {QStringLiteral("ParQryContaPermissoesPorTipoPermissao"),
         QStringLiteral("PARAMETERS [PARIDUSU] Long, [PARPERMISSAO] Byte;"
                        "SELECT Count(Id) AS Contagem From PermissoesDeUsuarios WHERE IdUsuario = [PARIDUSU] AND "
                        "(Permissoes = [PARPERMISSAO] OR Permissoes = 3);")},
        {QStringLiteral("ParQryLastSaldoGlobal"),
         QStringLiteral("PARAMETERS [DATAOP] DateTime;"
                        "SELECT IIF(IsNull(Sum(L.SaldoGlobal)),0,Sum(L.SaldoGlobal)) AS SaldoTotal "
                        "FROM Lancamentos AS L INNER JOIN (SELECT TOP 1 * "
                        "From Lancamentos Where Data <= [DATAOP] ORDER BY data DESC , id DESC) AS T ON L.Id = T.Id;")},
        {QStringLiteral("ParQryMaxDataIdContas"), maxDataId("CodConta", "CODCON")},
        {QStringLiteral("ParQryMaxDataIdRecDesp"), maxDataId("CodRecDesp", "CODRECDES")},
        {QStringLiteral("ParQryMaxFilhoContas"),
         QStringLiteral("PARAMETERS [PAICOD] Text ( 255 );SELECT Max(Codigo) AS MaxFilho From Contas WHERE CodPai = [PAICOD];")},
        {QStringLiteral("ParQryMaxFilhoRecDesp"),
         QStringLiteral("PARAMETERS [PAICOD] Text ( 255 );SELECT Max(Codigo) AS MaxFilho From TiposMovimentacoes WHERE CodPai = [PAICOD];")},
        {QStringLiteral("ParQryPermissoesDeUsuario"),
         QStringLiteral("PARAMETERS [USERID] Long;"
                        "SELECT P.Id AS ID, P.TipoObjeto AS TIPOOBJETO, P.IdObjeto AS IDOBJETO, C.DesConta AS DESOBJETO, "
                        "P.Permissoes AS PERMISSOES FROM PermissoesDeUsuarios AS P INNER JOIN Contas AS C ON C.Id = P.IdObjeto "
                        "WHERE P.IdUsuario = [USERID] AND P.TipoObjeto = 1 "
                        "UNION SELECT P.Id, P.TipoObjeto, P.IdObjeto, T.DesMovimentacao, P.Permissoes FROM "
                        "PermissoesDeUsuarios AS P INNER JOIN TiposMovimentacoes AS T ON T.Id = P.IdObjeto "
                        "WHERE P.IdUsuario = [USERID] AND P.TipoObjeto = 2 ORDER BY TIPOOBJETO;")},
        {QStringLiteral("ParQryRamo"),
         QStringLiteral("PARAMETERS [CODFILHO] Text ( 255 );SELECT Codigo AS CODIGO FROM Contas WHERE [CODFILHO] LIKE Codigo & '*';")},
        {QStringLiteral("ParQrySerialESaldos"),
         QStringLiteral("PARAMETERS [CODCON] Text ( 255 ), [CODRECDES] Text ( 255 ), [DATAOP] DateTime;"
                        "SELECT S.Serial, SC.USaldoConta AS SaldoConta, SR.USaldoRecDesp AS SaldoRecDesp, SG.SaldoTotal AS SaldoGlobal "
                        "FROM SERIAL AS S LEFT JOIN ((ParQryUltSaldoConta AS SC LEFT JOIN ParQryLastSaldoGlobal AS SG ON "
                        "(SC.USaldoConta - SC.USaldoConta) + SG.SaldoTotal + 1 <> SG.SaldoTotal) LEFT JOIN ParQryUltSaldoRecDesp AS SR "
                        "ON (SC.USaldoConta - SC.USaldoConta)  + SR.USaldoRecDesp + 1 <> SR.USaldoRecDesp) ON S.Serial + "
                        "SC.USaldoConta +1 <>  SC.USaldoConta")},
        {QStringLiteral("ParQryUltSaldoConta"),
         ultSaldo("SaldoConta", "SALDOCONTA", "ParQryMaxDataIdContas", "CodConta", "CODCON", "USALDOCONTA", "CONTAS")},
        {QStringLiteral("ParQryUltSaldoRecDesp"),
         ultSaldo("SaldoRecDesp", "SALDORECDESP", "ParQryMaxDataIdRecDesp", "CodRecDesp", "CODRECDES", "USaldoRecDesp",
                  "TIPOSMOVIMENTACOES")},
    };
}

} // namespace

const std::vector<ConsultaSalva> &ConsultasSalvas() {
    static const std::vector<ConsultaSalva> all = build();
    return all;
}

QString TextoDaConsulta(const QString &nome) {
    for (const auto &c : ConsultasSalvas())
        if (c.nome.compare(nome, Qt::CaseInsensitive) == 0) return c.sql;
    return QString();
}

QString ParQrySerialESaldosSubSelect() {
    return QStringLiteral("PARAMETERS [CODCON] Text ( 255 ), [CODRECDES] Text ( 255 ), [DATAOP] DateTime;"
                          "SELECT S.Serial, (Select USaldoConta From ParQryUltSaldoConta) AS SaldoConta, "
                          "(Select USaldoRecDesp from ParQryUltSaldoRecDesp) AS SaldoRecDesp, "
                          "(Select SaldoTotal From ParQryLastSaldoGlobal) AS SaldoGlobal FROM SERIAL AS S;");
}

} // namespace db
