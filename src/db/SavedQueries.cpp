#include "db/SavedQueries.h"

namespace db {

namespace {

// A posting counts towards the balances unless it was settled as not realised.
// (Counting only 'S' and '?' would leave out a reversal made after the
// account's own last posting while the reversed posting, older, still counts
// in that posting's balance.)
QString ultSaldo(const char *saldo, const char *saldoUpper, const char *maxQuery, const char *codCol,
                 const char *param, const char *alias) {
    return QStringLiteral("PARAMETERS [DATAOP] DateTime, [%1] Text ( 255 );").arg(QLatin1String(param)) +
           QStringLiteral("SELECT IIF(ISNULL(SUM(L.%1)), 0, SUM(L.%2)) + (SELECT IIF(ISNULL(SUM(L2.VALOR)), 0, SUM(L2.VALOR))  "
                          "FROM LANCAMENTOS AS L2 INNER JOIN %3 AS P2 ON (L2.DataId > P2.MaxDataId AND L2.%4 LIKE [%5] & '*' "
                          "AND L2.Data <= [DATAOP] AND (L2.Realizado <> 'N' OR L2.Realizado Is Null))) AS %6 ")
               .arg(QLatin1String(saldo), QLatin1String(saldoUpper), QLatin1String(maxQuery), QLatin1String(codCol),
                    QLatin1String(param), QLatin1String(alias)) +
           QStringLiteral("FROM LANCAMENTOS AS L INNER JOIN %1 AS M ON L.DATAID = M.MAXDATAID;").arg(QLatin1String(maxQuery));
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
        {QStringLiteral("ParQryMaxDataIdContas"),
         QStringLiteral("PARAMETERS [DATAOP] DateTime, [CODCON] Text ( 255 );"
                        "SELECT IIF(IsNull(Max(DataId)),'',Max(DataId)) AS MaxDataId "
                        "From Lancamentos WHERE CodConta = [CODCON]  and data <=[DATAOP];")},
        {QStringLiteral("ParQryMaxDataIdRecDesp"),
         QStringLiteral("PARAMETERS [DATAOP] DateTime, [CODRECDES] Text ( 255 );"
                        "SELECT IIF(IsNull(Max(DataId)),'',Max(DataId)) AS MaxDataId "
                        "From Lancamentos WHERE CodRecDesp = [CODRECDES]  and data <=[DATAOP];")},
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
         ultSaldo("SaldoConta", "SALDOCONTA", "ParQryMaxDataIdContas", "CodConta", "CODCON", "USALDOCONTA")},
        {QStringLiteral("ParQryUltSaldoRecDesp"),
         ultSaldo("SaldoRecDesp", "SALDORECDESP", "ParQryMaxDataIdRecDesp", "CodRecDesp", "CODRECDES", "USaldoRecDesp")},
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
