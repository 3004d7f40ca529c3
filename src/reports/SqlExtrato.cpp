#include "reports/SqlExtrato.h"

#include "core/consultas/ModosDeRelatorio.h"
#include "db/Module1.h"

#include <QDateTime>

namespace reports {

using core::consultas::CondicaoDeLeitura;
using core::consultas::FiltroDeHistorico;
using core::consultas::RestricaoDeLeitura;
using core::consultas::kExtratoDeTipos;

namespace {

QString data(const QDate &d) { return db::DataSQL(QDateTime(d, QTime(0, 0)), 2); }

// Account statement: the postings whose account is marked (or below a marked
// one); for a common user only those whose type he may read.
QString extratoDeContas(const PedidoDeExtrato &p, const QString &u, const QString &dIni, const QString &dFim,
                        const QString &hist) {
    const long n = p.marcados.contagem;
    const QString &lista = p.marcados.lista;
    QString sql = p.comSubItens && !p.soNaoRealizados
                      ? QStringLiteral("SELECT DISTINCT L.Id, L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, L.Valor, L.Data, ")
                      : QStringLiteral("SELECT DISTINCT L.Id, L.Transferencia,  L.CodConta, L.CodRecDesp, L.Documento, L.Valor, L.Data, ");
    sql += QStringLiteral("L.Historico, L.Estorno, L.DataId, L.SaldoConta, L.SaldoGlobal, L.Estornado, L.Realizado, "
                          "U.IdLogin, C.DesConta, T.DesMovimentacao FROM ");
    QString de;
    if (!p.comSubItens) {
        QString codigos;
        if (n == 1) codigos = QStringLiteral(" AND C.Codigo = ") + lista;
        else if (n > 1) codigos = QStringLiteral(" AND C.Codigo IN (") + lista + QStringLiteral(") ");
        if (n == 0 && p.usuarioComum) {
            de = QStringLiteral("((Lancamentos AS L INNER JOIN (Contas AS C INNER JOIN PERMISSOESDEUSUARIOS AS PC ON "
                                "(PC.TipoObjeto = 1 AND PC.IdObjeto = C.Id AND PC.IdUsuario = ") + u +
                 QStringLiteral(" AND ") + CondicaoDeLeitura(QStringLiteral("PC.Permissoes")) +
                 QStringLiteral(")) ON (L.Data Between ");
        } else {
            de = QStringLiteral("((Lancamentos AS L INNER JOIN Contas AS C ON (L.Data Between ");
        }
        de += dIni + QStringLiteral(" And ") + dFim + QStringLiteral(" ") + hist +
              (p.soNaoRealizados ? QStringLiteral("And (L.Realizado = 'N' OR L.Realizado = 'E') And L.CodConta = C.Codigo ")
                                 : QStringLiteral(" And L.CodConta = C.Codigo ")) +
              codigos +
              QStringLiteral(")) INNER JOIN TiposMovimentacoes AS T "
                             "ON L.CodRecDesp = T.Codigo) INNER JOIN Usuarios AS U ON L.IdUsuario = U.Id ");
    } else {
        QString filtro;
        if (n == 1) filtro = QStringLiteral(" WHERE CODIGO = ") + lista;
        else if (n > 1) filtro = QStringLiteral(" WHERE CODIGO  IN (") + lista + QStringLiteral(") ");
        else if (p.usuarioComum)
            filtro = QStringLiteral(" INNER JOIN PERMISSOESDEUSUARIOS AS P ON "
                                    " (P.TipoObjeto = 1 AND P.IdObjeto = Contas.Id And P.IdUsuario = ") + u +
                     QStringLiteral(" and ") + CondicaoDeLeitura(QStringLiteral("P.Permissoes")) + QStringLiteral(") ");
        // The items below a marked one are listed only where the user may
        // read them, as every other report does.
        de = QStringLiteral("((Lancamentos AS L INNER JOIN (Contas AS C INNER JOIN (SELECT CODIGO FROM CONTAS ") + filtro +
             QStringLiteral(") AS K ON C.Codigo LIKE K.Codigo & '*') ON (L.Data Between ") + dIni + QStringLiteral(" And ") +
             dFim + hist + RestricaoDeLeitura(QStringLiteral("C.Id"), 1, p.usuarioComum, p.idUsuario) +
             (p.soNaoRealizados
                  ? QStringLiteral(" And (L.Realizado = 'N' OR L.Realizado = 'E') And L.CodConta = C.Codigo)) "
                                   "INNER JOIN TiposMovimentacoes AS T ON L.CodRecDesp = T.Codigo) ")
                  : QStringLiteral(" And L.CodConta = C.Codigo)) INNER JOIN TiposMovimentacoes AS T ON L.CodRecDesp = "
                                   "T.Codigo) ")) +
             QStringLiteral("INNER JOIN Usuarios AS U ON L.IdUsuario = U.Id ");
    }
    if (p.usuarioComum)
        return sql + QStringLiteral("(") + de +
               QStringLiteral(") INNER JOIN PERMISSOESDEUSUARIOS AS P ON "
                              " (P.TipoObjeto = 2 AND P.IdObjeto = T.Id And P.IdUsuario = ") + u +
               QStringLiteral(" and ") + CondicaoDeLeitura(QStringLiteral("P.Permissoes")) +
               QStringLiteral(")  ORDER BY L.DataId;");
    return sql + de + QStringLiteral(" ORDER BY L.DataId;");
}

// Type statement: the twin, with the roles of accounts and types exchanged.
QString extratoDeTipos(const PedidoDeExtrato &p, const QString &u, const QString &dIni, const QString &dFim,
                       const QString &hist) {
    const long n = p.marcados.contagem;
    const QString &lista = p.marcados.lista;
    QString sql = p.comSubItens && p.soNaoRealizados
                      ? QStringLiteral("SELECT DISTINCT L.Id, L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, L.Valor, L.Data, ")
                      : QStringLiteral("SELECT DISTINCT L.Id,L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, L.Valor, L.Data, ");
    sql += QStringLiteral("L.Historico, L.Estorno, L.DataId, L.SaldoRecDesp, L.SaldoGlobal, L.Estornado, L.Realizado, "
                          "U.IdLogin, C.DesConta, T.DesMovimentacao FROM ");
    QString de;
    if (!p.comSubItens) {
        const QString codigos = n > 0 ? QStringLiteral(" AND T.Codigo IN (") + lista + QStringLiteral(") ") : QString();
        if (n > 0) {
            de = QStringLiteral("((Lancamentos AS L INNER JOIN TiposMovimentacoes AS T ON (L.Data Between ");
        } else if (p.usuarioComum) {
            de = (p.soNaoRealizados
                      ? QStringLiteral("((Lancamentos AS L INNER JOIN (TiposMovimentacoes AS T INNER JOIN  PermissoesDeUsuarios as PT ON ")
                      : QStringLiteral("((Lancamentos AS L INNER JOIN (TiposMovimentacoes AS T INNER JOIN PermissoesDeUsuarios as PT ON ")) +
                 QStringLiteral("(PT.TipoObjeto = 2 AND PT.IdObjeto = T.Id AND PT.IdUsuario = ") + u +
                 QStringLiteral(" AND ") + CondicaoDeLeitura(QStringLiteral("PT.Permissoes")) +
                 QStringLiteral(")) ON (L.Data Between ");
        } else {
            de = p.soNaoRealizados ? QStringLiteral("((Lancamentos AS L INNER JOIN TiposMovimentacoes As T ON (L.Data Between ")
                                   : QStringLiteral("((Lancamentos AS L INNER JOIN TiposMovimentacoes AS T ON (L.Data Between ");
        }
        de += dIni + QStringLiteral(" And ") + dFim + QStringLiteral(" ") + hist +
              (p.soNaoRealizados ? QStringLiteral("And (L.Realizado = 'N' OR L.Realizado = 'E') And L.CodRecDesp = T.Codigo ")
                                 : QStringLiteral(" And L.CodRecDesp = T.Codigo ")) +
              codigos +
              QStringLiteral(")) INNER JOIN Contas AS C "
                             "ON L.CodConta = C.Codigo) INNER JOIN Usuarios AS U ON L.IdUsuario = U.Id ");
    } else {
        QString filtro;
        if (n > 0) filtro = QStringLiteral(" WHERE CODIGO IN (") + lista + QStringLiteral(") ");
        else if (p.usuarioComum)
            filtro = QStringLiteral(" INNER JOIN PERMISSOESDEUSUARIOS AS P ON "
                                    " (P.TipoObjeto = 2 AND P.IdObjeto = TiposMovimentacoes.Id And P.IdUsuario = ") + u +
                     QStringLiteral(" and ") + CondicaoDeLeitura(QStringLiteral("P.Permissoes")) + QStringLiteral(") ");
        de = QStringLiteral("((Lancamentos AS L INNER JOIN (TiposMovimentacoes AS T INNER JOIN (SELECT CODIGO FROM "
                            "TiposMovimentacoes ") + filtro +
             QStringLiteral(") AS K ON T.Codigo LIKE K.Codigo & '*') ON (L.Data Between ") + dIni + QStringLiteral(" And ") +
             dFim + hist + RestricaoDeLeitura(QStringLiteral("T.Id"), 2, p.usuarioComum, p.idUsuario) +
             (p.soNaoRealizados
                  ? QStringLiteral(" And (L.Realizado = 'N' OR L.Realizado = 'E') And L.CodRecDesp = T.Codigo)) "
                                   "INNER JOIN Contas AS C ON L.CodConta = C.Codigo) ")
                  : QStringLiteral(" And L.CodRecDesp = T.Codigo)) INNER JOIN Contas AS C ON L.CodConta = C.Codigo) ")) +
             QStringLiteral("INNER JOIN Usuarios AS U ON L.IdUsuario = U.Id ");
    }
    if (p.usuarioComum)
        return sql + QStringLiteral("(") + de +
               QStringLiteral(") INNER JOIN PERMISSOESDEUSUARIOS AS P ON "
                              " (P.TipoObjeto = 1 AND P.IdObjeto = C.Id And P.IdUsuario = ") + u +
               QStringLiteral(" and ") + CondicaoDeLeitura(QStringLiteral("P.Permissoes")) +
               QStringLiteral(")  ORDER BY L.DataId;");
    return sql + de + QStringLiteral(" ORDER BY L.DataId;");
}

} // namespace

QString SqlDoExtrato(const PedidoDeExtrato &p) {
    const QString u = QString::number(p.idUsuario);
    // The period also as the DataId range it spans (a posting's DataId starts
    // with its date): the rows then come through the DataId index already in
    // the order listed, instead of through the dates and a sort of them all.
    const QString dIni = data(p.dataIni),
                  dFim = data(p.dataFim) + QStringLiteral(" And L.DataId Between '") +
                         p.dataIni.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("' And '") +
                         p.dataFim.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("999999999'");
    const QString hist = FiltroDeHistorico(p.historico);
    return p.mode == kExtratoDeTipos ? extratoDeTipos(p, u, dIni, dFim, hist) : extratoDeContas(p, u, dIni, dFim, hist);
}

} // namespace reports
