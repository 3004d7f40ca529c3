#pragma once
// What the posting window writes: a posting, the reversal of a posting, a
// transfer between accounts and the reversal of a transfer. Each runs in one
// transaction of its own on the database's workspace, through the posting
// write (Escrita.h), and shows nothing: it answers how it ended and the window
// tells the user. Several copies of the program run the same routines on one
// file; a write lock held too long by another copy ends as Bloqueio, with
// nothing written, never as an engine error. An error of the engine goes up
// with the location the caller names (its window and procedure).
#include "core/escrita/Escrita.h"
#include "platform/value/Currency.h"

#include <QDate>
#include <QString>
#include <optional>

namespace dao {
class Database;
}

namespace core::escrita {

inline const QString kTipoTransferencia = QStringLiteral("001");
inline const QString kDesTransferencia = QStringLiteral("TRANSFERÊNCIAS ENTRE CONTAS");
// Widths of the posting's text columns.
constexpr int kMaxHistorico = 50;
constexpr int kMaxDocumento = 20;
// The largest amount a window takes for a posting, a transfer or an opening
// balance: 99.999.999,99 of either sign. The magnitude is what is compared,
// so a minus sign (an expense typed negative, a pasted negative) does not
// slip an amount past it; the most negative amount is past it too.
inline constexpr value::Currency kValorMaximo = value::Currency::fromUnits(999999999900);
constexpr bool AcimaDoMaximo(value::Currency valor) {
    return valor.units() > kValorMaximo.units() || valor.units() < -kValorMaximo.units();
}

// The window and the procedure an error's location names: "em objeto_procedimento".
struct Chamador {
    const char *objeto;
    const char *procedimento;
};

enum class Desfecho {
    Gravado,
    NaoOcorreu,    // settling: the posting is no longer in the state shown (reversed, settled meanwhile)
    Bloqueio,      // counter or write lock taken by another copy: nothing written
    Recusado,      // the account (or type) is inactive or gone: nothing written
    JaEstornado,   // the stored posting is reversed, a reversal or settled 'N'
    Incompleta,    // a transfer whose other leg or link is missing
    HistoricoLongo, // a history longer than the column: nothing written
    Invalido,       // what the book cannot hold (a text, a date, a balance out of range): nothing
                    // written; the result's `recusa` says it in the user's words
    Mudado          // a posting or transfer: under the account's (or type's) code lies no longer the
                    // item the window loaded, changed or removed by another user; nothing written,
                    // the result's `barrado` says which
};

// What every window that reverses postings says on JaEstornado, and what
// every window that settles or reverses a transfer says on Incompleta.
inline const QString kMsgNaoEstornou = QStringLiteral(
    "Não foi possível estornar o lançamento selecionado. Uma possível causa é que ele já tenha sido estornado por "
    "outro usuário ou baixado como não realizado. Verifique.");
inline const QString kMsgFaltaPerna =
    QStringLiteral("Erro: faltando informação sobre o lançamento correspondente na operação de transferência.");

// What every window says when the reversal of a posting or of a transfer
// ended other than Gravado, for the outcomes they share: Bloqueio,
// JaEstornado, HistoricoLongo and, for any other, that the reversal was not
// written, naming the account when the reversal of a transfer tells it, or
// the type when the guard found the type, not the account, deactivated
// (`barrado`, from the reversal's result).
QString MensagemDeEstornoRecusado(Desfecho desfecho, const QString &desConta = QString(),
                                  Barrado barrado = Barrado::Nada);

// ---- posting ------------------------------------------------------------------

struct NovoLancamento {
    QString codConta;
    QString codRecDesp;
    value::Currency valor; // signed: income positive, expense negative
    QDate data;
    QString documento; // trimmed; empty stores NULL
    QString historico; // trimmed
    // The Ids of the account and the type as the window loaded them (0: the
    // code alone is checked).
    long idConta = 0;
    long idRecDesp = 0;
};

struct Feito {
    long id = 0;
    QString dataId;
    QString recusa; // Invalido: why
    Barrado barrado = Barrado::Nada; // Recusado, Mudado: why
};

// What the posting window says when the guard refused its posting
// (Recusado or Mudado): the account or the type changed or removed by
// another user, else the one deactivated.
QString MensagemDeLancamentoRecusado(Barrado barrado, const QString &desConta, const QString &desTipo);
inline const QString kMsgLancamentoContaDesativada =
    QStringLiteral("Não foi possível incluir o lançamento.\nPossível causa: a conta foi desativada.");
inline const QString kMsgLancamentoTipoDesativado =
    QStringLiteral("Não foi possível incluir o lançamento.\nPossível causa: o tipo de receita/despesa foi desativado.");

Desfecho Lancar(dao::Database &db, const Chamador &onde, const NovoLancamento &l, long idUsuario,
                Feito *feito = nullptr);

// How many stored postings carry the document.
long ContarDocumento(dao::Database &db, const Chamador &onde, const QString &documento);

// ---- reversal of a posting ----------------------------------------------------------

struct Estorno {
    long id = 0; // the reversal posting
    QString dataId;
    QString codConta, codRecDesp;
    value::Currency valor; // the reversal's amount (the reversed one negated)
    QDate data;
    std::optional<QString> documento;
    QString desConta; // description of the account (transfer reversals)
    long idEstornado = 0;
    QString recusa; // Invalido: why
    Barrado barrado = Barrado::Nada; // Recusado: which item the guard found inactive
};

// What the reversal of a posting without a document stores in its Documento.
enum class DocumentoAusente {
    Nulo, // NULL, as the posting had
    Vazio // an empty text
};

// Reverses the stored posting `serial`: the mark of the reversed posting is
// guarded (not reversed, not a reversal, not settled 'N'); the reversal
// keeps its account, type, date and document and stores the history as given.
Desfecho Estornar(dao::Database &db, const Chamador &onde, long serial, const QString &historico, long idUsuario,
                  Estorno *feito = nullptr, DocumentoAusente semDocumento = DocumentoAusente::Nulo);

// ---- transfer -----------------------------------------------------------------------

struct Transferencia {
    QString codContaOrig, codContaDest;
    QString docSaida, docEntrada; // trimmed; empty stores NULL
    QDate data;
    value::Currency valor; // its absolute value moves
    QString historicoSaida, historicoEntrada;
    long idContaOrig = 0, idContaDest = 0; // as the dialog loaded them (0: the code alone is checked)
};

struct TransferenciaFeita {
    long idSaida = 0, idEntrada = 0;
    QString recusa; // Invalido: why
    Barrado barrado = Barrado::Nada; // Recusado, Mudado: why
};

// What the posting window says when a leg was refused (Recusado or Mudado;
// `perna` 1 outgoing, 2 incoming; `desConta` the leg's account).
QString MensagemDeTransferenciaRecusada(Barrado barrado, int perna, const QString &desConta);

// Both legs and their link, or nothing. On Recusado and Mudado, *perna tells
// the leg refused (1 outgoing, 2 incoming).
Desfecho Transferir(dao::Database &db, const Chamador &onde, const Transferencia &t, long idUsuario,
                    TransferenciaFeita *feita = nullptr, int *perna = nullptr);

// ---- reversal of a transfer --------------------------------------------------------

struct EstornoDeTransferenciaFeito {
    Estorno a, b; // the reversals of the outgoing (a) and incoming (b) legs
    QString recusa; // Invalido: why
};

// Reverses both legs of the transfer that posting `serial` belongs to, in
// one transaction. On Bloqueio, JaEstornado or Recusado, *perna tells the leg
// (1 the first, outgoing; 2 the second; 0 the file was busy before either)
// and *desConta its account's description. Legs that are not one outgoing and
// one incoming give Incompleta.
Desfecho EstornarTransferencia(dao::Database &db, const Chamador &onde, long serial, const QString &historico,
                               long idUsuario, EstornoDeTransferenciaFeito *feito = nullptr, int *perna = nullptr,
                               QString *desConta = nullptr);

// How a window ends the reversal of a transfer that was not written (any
// outcome but Gravado): what it tells the user, with the information icon or
// without, and whether it then closes. Every window closes on a missing leg
// and on the first leg found reversed or settled 'N' meanwhile (the second
// leg found so leaves it open); the pending list closes also on the file
// found busy before the second leg (`bloqueioAntesDaSegundaFecha`).
struct FimDeEstornoRecusado {
    QString mensagem;
    bool informacao = false;
    bool fechaJanela = false;
};
FimDeEstornoRecusado FimDeEstornoDeTransferencia(Desfecho desfecho, int perna, const QString &desConta,
                                                 const EstornoDeTransferenciaFeito &feito,
                                                 bool bloqueioAntesDaSegundaFecha = false);

// ---- settling ---------------------------------------------------------------------

// Changes the settlement code of the posting `id` (or, with `idOutraPerna`,
// of both legs of a transfer) from `antigo`, the code the window shows, to
// `novo`, moving the balances as a change to or from 'N' asks, in one
// transaction (MudarRealizado in Escrita.h). NaoOcorreu: the guard did not
// match (reversed or settled meanwhile); Incompleta: the stored legs are not
// one outgoing and one incoming; Bloqueio: the file was kept busy by another
// copy; Invalido: a balance it moves would leave the range of money, *recusa
// says so in the user's words. In each of these nothing is written.
Desfecho Baixar(dao::Database &db, const Chamador &onde, long id, long idOutraPerna, const QString &antigo,
                const QString &novo, QString *recusa = nullptr);

// What the pending list and the search results say on NaoOcorreu when
// settling a posting or a transfer, and when taking a transfer's settlement
// back (taking back a single posting's is worded by each window).
inline const QString kMsgBaixaNaoOcorreu =
    QStringLiteral("A baixa do lançamento não ocorreu. Um motivo pode ser o de outro usuário ter acabado de estorná-lo "
                   "ou baixá-lo.\nAtualize sua pesquisa.");
inline const QString kMsgRemocaoDeBaixaNaoOcorreu =
    QStringLiteral("A remoção de baixa do lançamento não ocorreu. Um motivo pode ser o de outro usuário ter acabado de "
                   "estorná-lo ou remover sua baixa.\nAtualize sua pesquisa.");

} // namespace core::escrita
