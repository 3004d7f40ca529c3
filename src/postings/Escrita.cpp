#include "postings/Escrita.h"

#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/err/AppError.h"
#include "postings/SqlTexto.h"

namespace postings {

using value::Currency;

QString TextoValor(Currency v) {
    // Amounts come from two-decimal boxes; a balance that somehow carries
    // ten-thousandths is written whole rather than rounded away.
    if (v.units() % 100 == 0) return v.toSql();
    return v.toPlain();
}

QString MontarDataId(const QDate &data, long id) {
    return QStringLiteral("%1%2%3%4")
        .arg(data.year(), 4, 10, QLatin1Char('0'))
        .arg(data.month(), 2, 10, QLatin1Char('0'))
        .arg(data.day(), 2, 10, QLatin1Char('0'))
        .arg(id, 9, 10, QLatin1Char('0'));
}

SerialESaldos LerSerialESaldos(dao::Database &db, const QString &codConta, const QString &codRecDesp,
                               const QDate &data) {
    auto q = db.QueryDefs(QStringLiteral("ParQrySerialESaldos"));
    q->SetParameter(0, codConta);
    q->SetParameter(1, codRecDesp);
    q->SetParameter(2, QDateTime(data, QTime(0, 0), Qt::UTC));
    std::unique_ptr<dao::Recordset> rs = q->OpenRecordset();
    try {
        rs->MoveLast();
        rs->MoveFirst();
    } catch (...) {
    }
    SerialESaldos s;
    s.serial = long(rs->Field(QStringLiteral("Serial")).toInt());
    s.saldoConta = rs->Field(QStringLiteral("SaldoConta")).toCurrency();
    s.saldoRecDesp = rs->Field(QStringLiteral("SaldoRecDesp")).toCurrency();
    s.saldoGlobal = rs->Field(QStringLiteral("saldoglobal")).toCurrency();
    db::FecharRecordset(rs);
    return s;
}

bool TravarContador(dao::Database &db, long serialLido) {
    db.Execute(QStringLiteral("UPDATE Serial Set Serial = Serial + 1 where Serial = ") + QString::number(serialLido),
               dao::dbFailOnError);
    return db.RecordsAffected() >= 1;
}

QString SqlInsercao(const Lancamento &l, long id, const QString &dataId, const SerialESaldos &s) {
    const QString conta = fin::SqlTexto(l.codConta);
    const QString tipo = fin::SqlTexto(l.codRecDesp);
    const QString valor = TextoValor(l.valor);
    const Currency baseConta = l.saldoContaDoZero ? Currency() : s.saldoConta;
    QString sql = QStringLiteral("INSERT INTO LANCAMENTOS Select ") + QString::number(id) + QStringLiteral(" As Id, ");
    if (l.transferencia >= 0) sql += QString::number(l.transferencia) + QStringLiteral(" As Transferencia, ");
    sql += conta + QStringLiteral(" As CodConta,") + tipo + QStringLiteral(" As CodRecDesp, ") +
           (l.documento ? fin::SqlTexto(*l.documento) : QStringLiteral("NULL")) + QStringLiteral(" As Documento,") +
           valor + QStringLiteral(" As Valor,") + db::DataSQL(QDateTime(l.data, QTime(0, 0), Qt::UTC), 2) +
           QStringLiteral(" As Data,") + fin::SqlTexto(l.historico) + QStringLiteral(" As Historico,");
    if (l.estorno) sql += QStringLiteral(" True As Estorno,");
    sql += QLatin1Char('\'') + dataId + QStringLiteral("' As DataId,") + TextoValor(s.saldoGlobal + l.valor) +
           QStringLiteral(" As SaldoGlobal,") + TextoValor(baseConta + l.valor) + QStringLiteral(" As SaldoConta, ") +
           TextoValor(s.saldoRecDesp + l.valor) + QStringLiteral(" As SaldoRecDesp, ");
    if (!l.realizado.isEmpty()) sql += fin::SqlTexto(l.realizado) + QStringLiteral(" As Realizado,");
    sql += QString::number(l.idUsuario) + QStringLiteral(" As IdUsuario ");
    if (l.guarda == Guarda::ContaETipo) {
        sql += QStringLiteral("FROM Contas As C INNER JOIN TiposMovimentacoes As T ON (C.Codigo = ") + conta +
               QStringLiteral(" AND C.Inativa = False AND T.Codigo = ") + tipo +
               QStringLiteral(" AND T.Inativo = False AND Len(C.Codigo) * 0 = Len(T.Codigo) * 0)");
    } else {
        sql += QStringLiteral("FROM CONTAS WHERE Codigo = ") + conta + QStringLiteral(" AND Inativa = False");
    }
    return sql;
}

namespace {
// "Is the row's code this code or one of its ancestors?": the same test as
// the code LIKE the row's code & '*', written as a list of the few codes it
// can be, which the engine checks without a pattern match per row.
QString eAncestral(const QString &codigo, const QString &coluna) {
    QStringList codigos;
    for (QString c = codigo; !c.isEmpty();) {
        codigos.prepend(fin::SqlTexto(c));
        const int dot = c.lastIndexOf(QLatin1Char('.'));
        c = dot < 0 ? QString() : c.left(dot);
    }
    return QStringLiteral("Abs(") + coluna + QStringLiteral(" IN (") + codigos.join(QLatin1Char(',')) +
           QStringLiteral("))");
}
} // namespace

QString SqlMoverSaldos(const QString &codConta, const QString &codRecDesp, SaldoTipo saldoTipo, Currency valor,
                       const QString &dataId) {
    const QString v = TextoValor(valor);
    const QString tipo = saldoTipo == SaldoTipo::Ramo
                             ? eAncestral(codRecDesp, QStringLiteral("CodRecDesp"))
                             : QStringLiteral("Abs(") + fin::SqlTexto(codRecDesp) + QStringLiteral(" = CodRecDesp)");
    return QStringLiteral("UPDATE Lancamentos Set SaldoConta = SaldoConta + ") +
           eAncestral(codConta, QStringLiteral("CodConta")) + QStringLiteral(" * ") + v +
           QStringLiteral(", SaldoRecDesp = SaldoRecDesp + ") + tipo + QStringLiteral(" * ") + v +
           QStringLiteral(", SaldoGlobal = SaldoGlobal + ") + v + QStringLiteral(" where DataId > '") + dataId +
           QLatin1Char('\'');
}

void MoverSaldosPosteriores(dao::Database &db, const QString &codConta, const QString &codRecDesp, SaldoTipo saldoTipo,
                            Currency valor, const QString &dataId) {
    if (valor == Currency()) return; // nothing moves
    db.Execute(SqlMoverSaldos(codConta, codRecDesp, saldoTipo, valor, dataId), dao::dbFailOnError);
}

Resultado GravarLancamento(dao::Database &db, const Lancamento &l, Gravado *gravado,
                           const std::function<bool()> &antesDeInserir) {
    // The read below must see the state the commit will leave: only inside
    // the transaction, which holds the write lock, is that so.
    if (db.workspace().level() < 1)
        throw err::AppError(err::db::kNotInTransaction, QStringLiteral("GravarLancamento"),
                            QStringLiteral("A gravação de lançamentos exige uma transação aberta."));
    const SerialESaldos s = LerSerialESaldos(db, l.codConta, l.codRecDesp, l.data);
    if (!TravarContador(db, s.serial)) return Resultado::Bloqueio;
    if (antesDeInserir && !antesDeInserir()) return Resultado::Impedido;
    const long id = s.serial + 1;
    const QString dataId = MontarDataId(l.data, id);
    db.Execute(SqlInsercao(l, id, dataId, s), dao::dbFailOnError);
    if (db.RecordsAffected() < 1) return Resultado::Recusado;
    MoverSaldosPosteriores(db, l.codConta, l.codRecDesp, l.saldoTipo, l.valor, dataId);
    if (gravado) {
        gravado->id = id;
        gravado->dataId = dataId;
        gravado->saldoConta = (l.saldoContaDoZero ? Currency() : s.saldoConta) + l.valor;
        gravado->saldoRecDesp = s.saldoRecDesp + l.valor;
        gravado->saldoGlobal = s.saldoGlobal + l.valor;
    }
    return Resultado::Gravado;
}

} // namespace postings
