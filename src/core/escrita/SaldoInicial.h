#pragma once
// The opening balance of a new account: one posting of type "002" with the
// history 'SALDO INICIAL', settled 'S', written by the posting write inside
// the transaction that creates the account (the caller commits).
#include "platform/value/Currency.h"

#include <QDate>
#include <QString>
#include <vector>

namespace dao {
class Database;
}

namespace core::escrita {

inline const QString kTipoAjusteDeSaldo = QStringLiteral("002");
inline const QString kHistoricoSaldoInicial = QStringLiteral("SALDO INICIAL");
inline const QString kMsgSaldoInicialRecusado = QStringLiteral(
    "Erro indeterminado: não foi possível fazer o lançamento de ajuste de saldo inicial. Inclusão cancelada.");

// Writes the opening posting of the account codConta and returns its Id. On
// a changed counter or an inactive account it writes nothing, returns 0 and
// puts the text to show in recusa (kMsgBloqueio, kMsgSaldoInicialRecusado):
// the window shows it and cancels the insertion. Other errors are raised
// with their location.
long LancarSaldoInicial(dao::Database &db, const QString &codConta, value::Currency valor, const QDate &data,
                        long idUsuario, QString &recusa);

// Translates and prepares the statements of the opening posting of codConta
// (PrepararGravacao in Escrita.h): the account window calls it before it
// begins the transaction that creates the account and writes the posting.
void PrepararSaldoInicial(dao::Database &db, const QString &codConta, value::Currency valor);

// The condition that recognises opening postings in SQL (on Lancamentos,
// unqualified columns): type "002", history 'SALDO INICIAL', settled 'S',
// neither a transfer nor a reversal.
QString CondicaoSaldoInicial();

// The opening postings of the accounts matching codConta & "*", read inside
// the caller's open transaction before the accounts (and so, by cascade,
// these postings) are deleted.
struct SaldoInicialGravado {
    QString codConta;
    value::Currency valor;
    QString dataId;
};
std::vector<SaldoInicialGravado> LerSaldosIniciais(dao::Database &db, const QString &codConta);

// Takes back the effect of those postings on the balances of every later
// posting, inside the same transaction. Takes the counter lock first when
// there is any; false when the counter could not be locked (the caller rolls
// back and shows kMsgBloqueio).
bool DesfazerSaldosIniciais(dao::Database &db, const std::vector<SaldoInicialGravado> &iniciais);

} // namespace core::escrita
