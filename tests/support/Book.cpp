#include "support/Book.h"

#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Workspace.h"

#include <QHash>
#include <algorithm>
#include <random>

namespace testsupport {

using value::Currency;
using value::Value;

QString Posting::dataId() const {
    return data.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("%1").arg(id, 9, 10, QLatin1Char('0'));
}

static QStringList ancestorsAndSelf(const QString &code) {
    QStringList out;
    QString c = code;
    while (!c.isEmpty()) {
        out << c;
        const int dot = c.lastIndexOf(QLatin1Char('.'));
        c = dot < 0 ? QString() : c.left(dot);
    }
    return out;
}

void computeBalances(std::vector<Posting> &book) {
    std::vector<Posting *> order;
    order.reserve(book.size());
    for (auto &p : book) order.push_back(&p);
    std::sort(order.begin(), order.end(), [](const Posting *a, const Posting *b) {
        return a->data != b->data ? a->data < b->data : a->id < b->id;
    });
    QHash<QString, Currency> byAccount, byType;
    Currency global;
    for (Posting *p : order) {
        if (p->realizado != QStringLiteral("N")) {
            for (const QString &a : ancestorsAndSelf(p->codConta)) byAccount[a] += p->valor;
            for (const QString &t : ancestorsAndSelf(p->codRecDesp)) byType[t] += p->valor;
            global += p->valor;
        }
        p->saldoConta = byAccount.value(p->codConta);
        p->saldoRecDesp = byType.value(p->codRecDesp);
        p->saldoGlobal = global;
    }
}

static QStringList makeChart(dao::Database &db, const QString &table, const QString &desCol, const std::vector<int> &fan,
                             int firstCode, const QString &prefix) {
    QStringList all;
    QStringList parents{QStringLiteral("000")};
    for (std::size_t level = 0; level < fan.size(); ++level) {
        QStringList next;
        for (const QString &parent : parents) {
            for (int i = 0; i < fan[level]; ++i) {
                const int n = (level == 0 ? firstCode : 1) + i;
                const QString code = (parent == QStringLiteral("000") ? QString() : parent + QLatin1Char('.')) +
                                     QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
                db.Execute(QStringLiteral("INSERT INTO %1 (Codigo, CodPai, %2) VALUES ('%3', '%4', '%5 %3')")
                               .arg(table, desCol, code, parent, prefix));
                next << code;
                all << code;
            }
        }
        parents = next;
    }
    return all;
}

void insertPostings(dao::Database &db, const std::vector<Posting> &postings) {
    auto q = db.CreateQueryDef(QString(),
        QStringLiteral("PARAMETERS [pId] Long, [pCon] Text ( 255 ), [pRec] Text ( 255 ), [pVal] Currency, [pData] DateTime, "
                       "[pDataId] Text ( 255 ), [pSC] Currency, [pSR] Currency, [pSG] Currency, [pReal] Text ( 255 ), "
                       "[pEst] Bit, [pEstd] Bit, [pTr] Byte;"
                       "INSERT INTO Lancamentos (Id, CodConta, CodRecDesp, Documento, Valor, Data, Historico, Estorno, DataId, "
                       "SaldoConta, SaldoRecDesp, SaldoGlobal, Estornado, Realizado, Transferencia, IdUsuario) VALUES "
                       "([pId], [pCon], [pRec], 'DOC', [pVal], [pData], 'HISTORICO', [pEst], [pDataId], [pSC], [pSR], [pSG], "
                       "[pEstd], [pReal], [pTr], 1)"));
    db.workspace().BeginTrans();
    for (const Posting &p : postings) {
        q->SetParameter(QStringLiteral("pId"), Value(qlonglong(p.id)));
        q->SetParameter(QStringLiteral("pCon"), p.codConta);
        q->SetParameter(QStringLiteral("pRec"), p.codRecDesp);
        q->SetParameter(QStringLiteral("pVal"), p.valor);
        q->SetParameter(QStringLiteral("pData"), QDateTime(p.data, QTime(0, 0), Qt::UTC));
        q->SetParameter(QStringLiteral("pDataId"), p.dataId());
        q->SetParameter(QStringLiteral("pSC"), p.saldoConta);
        q->SetParameter(QStringLiteral("pSR"), p.saldoRecDesp);
        q->SetParameter(QStringLiteral("pSG"), p.saldoGlobal);
        q->SetParameter(QStringLiteral("pReal"), p.realizado);
        q->SetParameter(QStringLiteral("pEst"), p.estorno);
        q->SetParameter(QStringLiteral("pEstd"), p.estornado);
        q->SetParameter(QStringLiteral("pTr"), Value(p.transferencia));
        q->Execute();
    }
    qint64 maxId = 0;
    for (const Posting &p : postings) maxId = std::max(maxId, p.id);
    db.Execute(QStringLiteral("UPDATE Serial SET Serial = %1 WHERE Serial < %1").arg(maxId));
    db.workspace().CommitTrans();
}

// In date order when so typed; balances computed, then written.
static void finish(dao::Database &db, const BookShape &shape, Book &b) {
    if (shape.typedInDateOrder) {
        std::stable_sort(b.postings.begin(), b.postings.end(),
                         [](const Posting &x, const Posting &y) { return x.data < y.data; });
        qint64 id = 0;
        for (Posting &p : b.postings) p.id = ++id;
    }
    computeBalances(b.postings);
    insertPostings(db, b.postings);
}

static bool isLeaf(const QStringList &chart, const QString &c) {
    return std::none_of(chart.begin(), chart.end(), [&](const QString &o) { return o.startsWith(c + QLatin1Char('.')); });
}

// Picks leaves, and `percent` times in a hundred a second-level item of an
// odd number (so each heading has children with postings of their own and
// children without, over busy leaves).
class LeavesAndSecondLevel {
public:
    LeavesAndSecondLevel(const QStringList &chart, int percent) : percent_(percent) {
        for (const QString &c : chart) {
            if (isLeaf(chart, c)) leaves_ << c;
            else if (c.count(QLatin1Char('.')) == 1 && c.right(3).toInt() % 2 == 1) second_ << c;
        }
    }
    QString operator()(std::mt19937 &rng) const {
        const bool second = !second_.isEmpty() && int(rng() % 100) < percent_;
        const QStringList &from = second ? second_ : leaves_;
        return from[int(rng() % unsigned(from.size()))];
    }

private:
    QStringList leaves_, second_;
    int percent_;
};

Book writeBook(dao::Database &db, const BookShape &shape) {
    Book b;
    const std::vector<int> even(std::size_t(shape.levels), shape.accountsPerLevel);
    b.accounts = makeChart(db, QStringLiteral("Contas"), QStringLiteral("DesConta"),
                           shape.accountFan.empty() ? even : shape.accountFan, 1, QStringLiteral("CONTA"));
    b.types = makeChart(db, QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"),
                        shape.typeFan.empty() ? even : shape.typeFan, 3, QStringLiteral("TIPO"));
    if (!shape.accountFan.empty() || !shape.typeFan.empty()) {
        const LeavesAndSecondLevel conta(b.accounts, shape.secondLevelPercent), tipo(b.types, shape.secondLevelPercent);
        std::mt19937 rng(shape.seed);
        std::uniform_int_distribution<int> day(0, shape.days - 1), cents(-500000, 500000), settle(0, 9);
        std::vector<Posting> &out = b.postings;
        out.reserve(std::size_t(shape.postings));
        for (int i = 1; i <= shape.postings; ++i) {
            Posting p;
            p.id = i;
            p.codConta = conta(rng);
            p.codRecDesp = tipo(rng);
            p.valor = Currency::fromUnits(qint64(cents(rng)) * 100);
            p.data = shape.first.addDays(day(rng));
            const int s = settle(rng);
            p.realizado = s < 5 ? QStringLiteral("?") : (s < 8 ? QStringLiteral("S") : (s < 9 ? QStringLiteral("N") : QStringLiteral("E")));
            out.push_back(p);
        }
        finish(db, shape, b);
        return b;
    }
    QStringList postable = b.accounts;
    if (shape.leavesOnly)
        postable.erase(std::remove_if(postable.begin(), postable.end(),
                                      [&](const QString &c) {
                                          return std::any_of(b.accounts.begin(), b.accounts.end(), [&](const QString &o) {
                                              return o.startsWith(c + QLatin1Char('.'));
                                          });
                                      }),
                       postable.end());
    std::mt19937 rng(shape.seed);
    std::uniform_int_distribution<int> day(0, shape.days - 1), acc(0, int(postable.size()) - 1),
        typ(0, int(b.types.size()) - 1), cents(-500000, 500000), settle(0, 9);
    b.postings.reserve(std::size_t(shape.postings));
    for (int i = 1; i <= shape.postings; ++i) {
        Posting p;
        p.id = i;
        p.codConta = postable[acc(rng)];
        p.codRecDesp = b.types[typ(rng)];
        p.valor = Currency::fromUnits(qint64(cents(rng)) * 100);
        p.data = shape.first.addDays(day(rng));
        const int s = settle(rng);
        p.realizado = s < 5 ? QStringLiteral("?") : (s < 8 ? QStringLiteral("S") : (s < 9 ? QStringLiteral("N") : QStringLiteral("E")));
        b.postings.push_back(p);
    }
    finish(db, shape, b);
    return b;
}

} // namespace testsupport
