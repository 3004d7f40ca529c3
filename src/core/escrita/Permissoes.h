#pragma once
// What a common user may do with postings, as the permission rows say. An
// administrator is never asked: callers test the user's type first.
#include <QString>
#include <optional>
#include <vector>

namespace dao {
class Database;
}

namespace core::escrita {

// ParQryContaPermissoes: the user's write permissions (2 or 3) on the exact
// account plus those on the exact type; 2 means both are granted.
long PermissoesDeGravacao(dao::Database &db, long idUsuario, const QString &codConta, const QString &codRecDesp);
// What a window says when they are not granted.
inline const QString kMsgSemPermissaoGravacao =
    QStringLiteral("Você não tem permissão de gravação nesta conta ou tipo de receita/despesa.");

// Transfers (settling, taking back, reversing) need permission 2 or 3 on the
// type whose Id is 2, the transfer type of a database the program created.
// Administrators (tipoUsuario 1) always may.
bool PodeOperarTransferencias(dao::Database &db, long idUsuario, int tipoUsuario);

// One posting of a transfer with the account's description and, for a
// common user, the user's permission on the account (none: no row).
struct PernaDeTransferencia {
    long id = 0;
    int transferencia = 0; // 1 outgoing, 2 incoming
    QString codConta, desConta, dataId;
    std::optional<int> permissoes;
    bool podeGravar() const { return permissoes && *permissoes >= 2; }
};

// The postings linked with `serial` through Transferencias, outgoing leg
// first for every user: an administrator reads them with their accounts, a
// common user through ParQryContaPermissaoEmTransferencia, which states no
// order of its own.
std::vector<PernaDeTransferencia> LerPernas(dao::Database &db, long serial, long idUsuario, int tipoUsuario);

// The SELECT of the postings linked with `serial` through Transferencias,
// each with its account's description, outgoing leg first.
QString SqlDasPernas(long serial);

// Both legs are there: exactly one outgoing and one incoming.
bool PernasCompletas(const std::vector<PernaDeTransferencia> &pernas);

// Why settling or taking back (Baixa), or reversing (Estorno), the transfer
// whose legs these are may not go on, as the windows tell the user:
// kMsgFaltaPerna when the legs are not complete, then, for a common user
// (tipoUsuario other than 1), the first leg on whose account he may not
// write. Nothing when it may go on.
enum class OperacaoEmTransferencia { Baixa, Estorno };
std::optional<QString> RecusaDaTransferencia(const std::vector<PernaDeTransferencia> &pernas, int tipoUsuario,
                                             OperacaoEmTransferencia operacao);

} // namespace core::escrita
