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
// end of [DATAOP]. It is read from the branches that carry postings of their
// own: the item itself when it has a posting up to the date, otherwise each of
// its children (whose branches then hold all of its postings). For each such
// branch: the running balance of its last own posting, plus the postings
// after it up to the date on the items below it (its own postings after it
// there are none). A posting counts unless it was settled as not realised.
// (Counting only 'S' and '?' would leave out a reversal made after the
// account's own last posting while the reversed posting, older, still counts
// in that posting's balance.)
// Reading the children instead of summing every posting of the branch keeps a
// heading without postings of its own over a busy branch as quick as any
// account; the sums agree because every running balance counts the same
// postings as this read. The postings after the last own one come in by a
// LEFT JOIN, which keeps the items below ahead of them: each item's postings
// are then read through the item's own (code, DataId) range.
QString ultSaldo(const char *saldo, const char *saldoUpper, const char *maxQuery, const char *codCol,
                 const char *param, const char *alias, const char *chart) {
    const QString ramos =
        QStringLiteral("(SELECT C.Codigo AS Codigo, (SELECT IIF(IsNull(Max(L4.DataId)),'',Max(L4.DataId)) FROM LANCAMENTOS AS L4 "
                       "WHERE L4.%1 = C.Codigo AND L4.DataId <= %2 AND L4.Data <= [DATAOP]) AS UltDataId "
                       "FROM %3 AS C INNER JOIN %4 AS M ON ((C.Codigo = [%5] AND M.MaxDataId <> '') OR "
                       "(C.CodPai = [%5] AND C.Codigo <> [%5] AND M.MaxDataId = '')))")
            .arg(QLatin1String(codCol), kFimDoDia, QLatin1String(chart), QLatin1String(maxQuery), QLatin1String(param));
    return QStringLiteral("PARAMETERS [DATAOP] DateTime, [%1] Text ( 255 );").arg(QLatin1String(param)) +
           QStringLiteral("SELECT IIF(ISNULL(SUM(L.%1)), 0, SUM(L.%2)) + (SELECT IIF(ISNULL(SUM(L2.VALOR)), 0, SUM(L2.VALOR))  "
                          "FROM (%3 AS S2 INNER JOIN %4 AS Y ON Y.Codigo LIKE S2.Codigo & '.*') LEFT JOIN LANCAMENTOS AS L2 ON "
                          "(L2.%5 = Y.Codigo AND L2.DataId > S2.UltDataId AND L2.DataId <= %6 AND L2.Data <= [DATAOP] "
                          "AND (L2.Realizado <> 'N' OR L2.Realizado Is Null))) AS %7 ")
               .arg(QLatin1String(saldo), QLatin1String(saldoUpper), ramos, QLatin1String(chart), QLatin1String(codCol),
                    kFimDoDia, QLatin1String(alias)) +
           QStringLiteral("FROM %1 AS S INNER JOIN LANCAMENTOS AS L ON L.DataId = S.UltDataId;").arg(ramos);
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
