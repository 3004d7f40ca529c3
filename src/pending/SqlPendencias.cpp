#include "pending/SqlPendencias.h"

#include "db/Schema.h"
#include "db/Module1.h"
#include "core/consultas/Selecao.h"

namespace pending {

QString SqlPendencias(long idUsuario, int tipoUsuario, const QDate &hoje) {
    const QString data = db::DataSQL(QDateTime(hoje, QTime(0, 0)), 2);
    const QString usuario = QString::number(idUsuario);
    QString sql = QStringLiteral("SELECT DISTINCT L.Id,L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, L.Valor, L.Data, "
                                 "L.Historico, L.Estorno, L.DataId, L.SaldoConta, L.SaldoGlobal, L.Estornado, L.Realizado, "
                                 "U.IdLogin, C.DesConta, T.DesMovimentacao FROM ");
    if (tipoUsuario == db::kUsuarioComum) {
        sql += QStringLiteral("(((Lancamentos AS L INNER JOIN (Contas AS C  INNER JOIN (SELECT CODIGO FROM CONTAS "
                              "INNER JOIN PERMISSOESDEUSUARIOS AS P ON "
                              " (P.TipoObjeto = 1 AND P.IdObjeto = Contas.Id And P.IdUsuario = ") +
               usuario +
               QStringLiteral(" and ") + core::consultas::CondicaoDeLeitura(QStringLiteral("P.Permissoes")) +
               QStringLiteral(")) AS K ON C.Codigo LIKE K.Codigo & '*') ON (L.Data <=") +
               data +
               QStringLiteral(" And L.Realizado = '?' And L.CodConta = C.Codigo)) INNER JOIN TiposMovimentacoes AS T ON "
                              "L.CodRecDesp = T.Codigo) "
                              "INNER JOIN Usuarios AS U ON L.IdUsuario = U.Id ) INNER JOIN PERMISSOESDEUSUARIOS AS P ON "
                              " (P.TipoObjeto = 2 AND P.IdObjeto = T.Id And P.IdUsuario = ") +
               usuario + QStringLiteral(" and ") + core::consultas::CondicaoDeLeitura(QStringLiteral("P.Permissoes")) +
               QStringLiteral(") ORDER BY L.DataId;");
    } else {
        sql += QStringLiteral("((Lancamentos AS L INNER JOIN (Contas AS C  INNER JOIN (SELECT CODIGO FROM CONTAS "
                              ") AS K ON C.Codigo LIKE K.Codigo & '*') ON (L.Data <=") +
               data +
               QStringLiteral(" And L.Realizado = '?' And L.CodConta = C.Codigo)) INNER JOIN TiposMovimentacoes AS T ON "
                              "L.CodRecDesp = T.Codigo) "
                              "INNER JOIN Usuarios AS U ON L.IdUsuario = U.Id ORDER BY L.DataId;");
    }
    return sql;
}

} // namespace pending
