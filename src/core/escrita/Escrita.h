#pragma once
// The posting write: one routine that every writer of postings uses (the
// posting window, reversals, transfers and their reversal, the opening
// balance of a new account) so that the protocol lives in one place.
//
// The protocol, inside the caller's open transaction (CDaoTrans begins it
// IMMEDIATE, so the write lock is held from its first statement):
//   1. read the counter and the three balances at the posting's date through
//      ParQrySerialESaldos — inside the transaction, so no other copy of the
//      program can post or settle between this read and the commit;
//   2. counter lock: "UPDATE Serial Set Serial = Serial + 1 where Serial = " +
//      the value read must change one row, else the caller rolls back and
//      shows kMsgBloqueio;
//   3. (optional) the caller's own guarded statement, e.g. marking the
//      posting being reversed;
//   4. insert the posting with an INSERT ... SELECT whose FROM is the guard:
//      no row unless the account (and the type, when asked) is active;
//   5. move the balances of every later posting (greater DataId).
// The caller commits (or rolls back) and shows its own messages.
#include "platform/value/Currency.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace dao {
class Database;
}

namespace core::escrita {

inline const QString kMsgBloqueio = QStringLiteral(
    "Erro de bloqueio. Informações de controle do sistema estavam em uso por outro usuário. Tente novamente.");

// Amount text for SQL: "#######0.00" with "." as the decimal mark. A value
// with ten-thousandths below the cent keeps them, so nothing is ever rounded.
QString TextoValor(value::Currency v);

// Year (4), month (2), day (2), then the Id in nine digits.
QString MontarDataId(const QDate &data, long id);

// What ParQrySerialESaldos gives for an account, a type and a date.
struct SerialESaldos {
    long serial = 0;
    value::Currency saldoConta, saldoRecDesp, saldoGlobal;
};
SerialESaldos LerSerialESaldos(dao::Database &db, const QString &codConta, const QString &codRecDesp,
                               const QDate &data);

// The guarded advance of the counter; false when it no longer holds the value read.
bool TravarContador(dao::Database &db, long serialLido);

// Which items must be active for the insert to write its row.
enum class Guarda {
    ContaETipo, // posting window and reversal of a posting: account and type
    Conta       // opening balance, transfers and their reversal: the account only
};

// How the later postings' type balances follow.
enum class SaldoTipo {
    Ramo, // the type and its ancestors (LIKE)
    Exato // the type itself only (the system types "001" and "002")
};

struct Lancamento {
    QString codConta;
    QString codRecDesp;
    value::Currency valor; // signed: income positive, expense negative
    QDate data;
    std::optional<QString> documento; // nothing: NULL
    QString historico;
    bool estorno = false;
    QString realizado;      // empty: the table default '?'
    int transferencia = -1; // -1: not named (the table default 0)
    Guarda guarda = Guarda::ContaETipo;
    SaldoTipo saldoTipo = SaldoTipo::Ramo;
    // Opening balance of a new account: its account balance starts from 0.
    bool saldoContaDoZero = false;
    long idUsuario = 0;
    // The Ids of the account and the type the window loaded, or 0 where the
    // caller names them by a code read from a stored posting. A code comes
    // back once its item is deleted; an Id never does, so a window's posting
    // goes in only while the item under each code is still the one it loaded.
    long idConta = 0;
    long idRecDesp = 0;
};

// Why the guard let no row through, read inside the transaction before the
// rollback: another item (or none) under a code than the one the caller
// named, or an item deactivated. The account is looked at first.
enum class Barrado {
    Nada,
    ContaMudada,
    TipoMudado,
    ContaInativa,
    TipoInativo
};

struct Gravado {
    long id = 0;
    QString dataId;
    value::Currency saldoConta, saldoRecDesp, saldoGlobal;
    QString recusa; // Invalido: what the user is told
    Barrado barrado = Barrado::Nada; // Recusado: why
};

// ---- what the write core cannot hold ---------------------------------------------
// Nothing is written on a refusal: the checks on the posting come before the
// first write, and a later balance the move would take past the range of
// money fails the move, which undoes the write's own steps.

// Widths of the posting's text columns, in characters.
constexpr int kLarguraCodigo = 31;
constexpr int kLarguraDocumento = 20;
constexpr int kLarguraHistorico = 50;

// Characters as a text column counts them: one for a character outside the
// basic plane, where a QString holds two units.
inline qsizetype Caracteres(const QString &t) { return t.toUcs4().size(); }

inline const QString kMsgForaDoLimite = QStringLiteral(
    "O valor levaria um saldo além do maior valor que o sistema registra. Nada foi gravado.");


// Why the posting cannot be written as given, in the words the user is shown
// (empty when it can): a NUL character in a text, a text wider than its column
// (counted in characters, as the column counts them), an empty history, a date
// outside the calendar the book keeps (years 100 to 9999), an amount whose
// opposite is out of the range of money.
QString RecusaDoLancamento(const Lancamento &l);

enum class Resultado {
    Gravado,  // written; the caller commits
    Bloqueio, // the counter changed: roll back and show kMsgBloqueio
    Recusado, // the guard let no row through (item inactive, gone or another one; Gravado::barrado
              // says which): roll back
    Impedido, // the caller's own step (antesDeInserir) returned false: roll back
    Invalido  // a posting the book cannot hold (Gravado::recusa says why): nothing written
};

// Writes one posting inside the caller's open transaction (raises when none
// is open). antesDeInserir runs after the counter lock and before the insert;
// returning false abandons the write. Errors of the engine are raised.
Resultado GravarLancamento(dao::Database &db, const Lancamento &l, Gravado *gravado = nullptr,
                           const std::function<bool()> &antesDeInserir = {});

// Adds the amount to the balances of every posting after dataId: global
// always, account when its account is codConta or an ancestor, type by saldoTipo.
void MoverSaldosPosteriores(dao::Database &db, const QString &codConta, const QString &codRecDesp,
                            SaldoTipo saldoTipo, value::Currency valor, const QString &dataId);

// ---- settling ------------------------------------------------------------------
// Settling inserts nothing and leaves the counter alone: it changes Realizado
// with a guarded UPDATE and, for a change to or from 'N', moves the balances
// of the posting itself and of every later posting, since a posting settled
// as not realised counts in no balance.

enum class Baixa {
    Mudada,     // code changed and balances moved; the caller commits
    NaoOcorreu, // the guard did not match every posting: roll back
    Incompleta, // a transfer whose stored legs are not one outgoing and one incoming: roll back
    ForaDoLimite // a balance it moves would leave the range of money: nothing written
};

// The balances that follow when a posting's code goes from `antigo` to
// `novo`: -1 the posting leaves them ('?' or 'S' to 'N'), +1 it comes back
// ('N' to '?' or 'S'), 0 nothing moves.
int SentidoDaBaixa(const QString &antigo, const QString &novo);

// Changes Realizado from `antigo` (the code the window shows, 'E' included) to `novo`
// ('?', 'S' or 'N') on the posting `id`, or, when `idOutraPerna` is not 0, on
// both legs of a transfer, inside the caller's open transaction (raises when
// none is open). The guard changes a posting only while it is neither
// reversed nor a reversal and still holds `antigo`; every posting named must
// change, else NaoOcorreu. The amount, codes and DataId come from the stored
// rows. A single posting moves its account and type branches; a transfer leg
// its account branch and the type "001" itself, each leg from its own
// DataId. A posting stored as a transfer leg is refused alone (Incompleta).
Baixa MudarRealizado(dao::Database &db, long id, long idOutraPerna, const QString &antigo, const QString &novo);

// Translate and prepare, on the connection, every statement the write of this
// posting (GravarLancamento; comPassoAntes: with a caller's step) or this
// settlement (MudarRealizado) may run, and keep them for it. A caller runs
// them before it begins the transaction, so that the write lock is held for
// the writing only and a fresh connection's first write does not prepare its
// statements under it. Nothing is written; a settlement reads the legs' codes
// as they are now, only to choose the texts of its balance moves.
void PrepararGravacao(dao::Database &db, const Lancamento &l, bool comPassoAntes = false);
void PrepararBaixa(dao::Database &db, long id, long idOutraPerna);

} // namespace core::escrita
