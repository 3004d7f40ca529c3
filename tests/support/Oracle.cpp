#include "support/Oracle.h"

#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "support/Book.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace testsupport {

namespace {
struct Stored {
    Posting p;                 // balances as recomputed
    QString dataId;
    qint64 saldoConta = 0, saldoRecDesp = 0, saldoGlobal = 0; // as stored, in units
};
} // namespace

QStringList CheckBook(dao::Database &db, const OracleOptions &options) {
    QStringList faults;
    auto fault = [&](const QString &f) {
        if (faults.size() < 20) faults << f;
    };
    std::vector<Stored> rows;
    {
        auto rs = db.OpenRecordset(QStringLiteral(
                                       "SELECT Id, CodConta, CodRecDesp, Valor, Data, DataId, Realizado, Estorno, Estornado, "
                                       "Transferencia, SaldoConta, SaldoRecDesp, SaldoGlobal FROM Lancamentos"),
                                   dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext()) {
            Stored s;
            s.p.id = rs->Field(0).toInt();
            s.p.codConta = rs->Field(1).toString();
            s.p.codRecDesp = rs->Field(2).toString();
            s.p.valor = rs->Field(3).toCurrency();
            s.p.data = rs->Field(4).toDate().date();
            s.dataId = rs->Field(5).toString();
            s.p.realizado = rs->Field(6).toString();
            s.p.estorno = rs->Field(7).toBool();
            s.p.estornado = rs->Field(8).toBool();
            s.p.transferencia = int(rs->Field(9).toInt());
            s.saldoConta = rs->Field(10).toCurrency().units();
            s.saldoRecDesp = rs->Field(11).toCurrency().units();
            s.saldoGlobal = rs->Field(12).toCurrency().units();
            rows.push_back(std::move(s));
        }
    }

    // Structure.
    qint64 maxId = 0;
    QHash<qint64, const Stored *> byId;
    for (const Stored &s : rows) {
        maxId = std::max(maxId, s.p.id);
        byId.insert(s.p.id, &s);
        const QString tag = QStringLiteral("posting %1: ").arg(s.p.id);
        if (s.dataId != s.p.dataId()) fault(tag + QStringLiteral("DataId %1, expected %2").arg(s.dataId, s.p.dataId()));
        if (s.p.estorno && s.p.estornado) fault(tag + QStringLiteral("both a reversal and reversed"));
        if ((s.p.estorno || s.p.estornado) && s.p.realizado != QStringLiteral("E"))
            fault(tag + QStringLiteral("reversal flags with Realizado '%1'").arg(s.p.realizado));
        if (s.p.realizado == QStringLiteral("E") && !s.p.estorno && !s.p.estornado)
            fault(tag + QStringLiteral("settled 'E' without reversal flags"));
        if (!QStringList{QStringLiteral("?"), QStringLiteral("S"), QStringLiteral("N"), QStringLiteral("E")}.contains(
                s.p.realizado))
            fault(tag + QStringLiteral("Realizado '%1'").arg(s.p.realizado));
        if (s.p.transferencia != 0 && s.p.codRecDesp != QStringLiteral("001"))
            fault(tag + QStringLiteral("transfer leg of type %1").arg(s.p.codRecDesp));
    }
    {
        auto rs = db.OpenRecordset(QStringLiteral("SELECT Serial FROM Serial"), dao::dbOpenSnapshot);
        const qint64 serial = rs->Eof() ? -1 : rs->Field(0).toInt();
        if (options.postingsDeleted ? serial < maxId : serial != maxId)
            fault(QStringLiteral("counter %1, greatest Id %2").arg(serial).arg(maxId));
    }
    {
        QSet<qint64> linkedIn;
        auto rs = db.OpenRecordset(QStringLiteral("SELECT SerialSai, SerialEntra FROM Transferencias"), dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext()) {
            const qint64 sai = rs->Field(0).toInt(), entra = rs->Field(1).toInt();
            const Stored *a = byId.value(sai), *b = byId.value(entra);
            const QString tag = QStringLiteral("transfer %1/%2: ").arg(sai).arg(entra);
            if (!a || !b) {
                fault(tag + QStringLiteral("leg missing"));
                continue;
            }
            linkedIn.insert(entra);
            if (a->p.transferencia != 1 || b->p.transferencia != 2) fault(tag + QStringLiteral("legs not 1 and 2"));
            if (a->p.data != b->p.data) fault(tag + QStringLiteral("legs on different dates"));
            if ((a->p.valor + b->p.valor) != value::Currency()) fault(tag + QStringLiteral("amounts not opposite"));
            // Settling, taking back and reversing always act on both legs.
            if (a->p.realizado != b->p.realizado)
                fault(tag + QStringLiteral("legs settled '%1' and '%2'").arg(a->p.realizado, b->p.realizado));
        }
        for (const Stored &s : rows)
            if (s.p.transferencia == 2 && !linkedIn.contains(s.p.id))
                fault(QStringLiteral("posting %1: incoming leg without its transfer row").arg(s.p.id));
    }

    // Balances, recomputed.
    std::vector<Posting> book;
    book.reserve(rows.size());
    for (const Stored &s : rows) book.push_back(s.p);
    computeBalances(book);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Stored &s = rows[i];
        const Posting &e = book[i];
        const QString tag = QStringLiteral("posting %1 (%2, %3, %4): ").arg(s.p.id).arg(s.p.codConta, s.p.codRecDesp, s.dataId);
        if (s.saldoConta != e.saldoConta.units())
            fault(tag + QStringLiteral("SaldoConta %1, expected %2").arg(s.saldoConta).arg(e.saldoConta.units()));
        if (s.saldoRecDesp != e.saldoRecDesp.units())
            fault(tag + QStringLiteral("SaldoRecDesp %1, expected %2").arg(s.saldoRecDesp).arg(e.saldoRecDesp.units()));
        if (s.saldoGlobal != e.saldoGlobal.units())
            fault(tag + QStringLiteral("SaldoGlobal %1, expected %2").arg(s.saldoGlobal).arg(e.saldoGlobal.units()));
    }
    return faults;
}

QString CheckBookText(dao::Database &db, const OracleOptions &options) {
    return CheckBook(db, options).join(QLatin1Char('\n'));
}

} // namespace testsupport
