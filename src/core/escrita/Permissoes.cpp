#include "core/escrita/Permissoes.h"

#include "db/Schema.h"
#include "core/escrita/Operacoes.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"

#include <algorithm>

namespace core::escrita {

namespace {
void percorrer(dao::Recordset &rs) {
    try {
        rs.MoveLast();
        rs.MoveFirst();
    } catch (...) {
    }
}
} // namespace

long PermissoesDeGravacao(dao::Database &db, long idUsuario, const QString &codConta, const QString &codRecDesp) {
    auto q = db.QueryDefs(QStringLiteral("ParQryContaPermissoes"));
    q->SetParameter(QStringLiteral("paridusu"), value::Value(qlonglong(idUsuario)));
    q->SetParameter(QStringLiteral("parcodcon"), codConta);
    q->SetParameter(QStringLiteral("parcodrecdesp"), codRecDesp);
    std::unique_ptr<dao::Recordset> rs = q->OpenRecordset(dao::dbOpenSnapshot);
    percorrer(*rs);
    const long total = rs->Eof() ? 0 : long(rs->Field(QStringLiteral("total")).toInt());
    db::FecharRecordset(rs);
    return total;
}

bool PodeOperarTransferencias(dao::Database &db, long idUsuario, int tipoUsuario) {
    if (tipoUsuario == db::kAdministrador) return true;
    std::unique_ptr<dao::Recordset> rs = db.OpenRecordset(
        QStringLiteral("Select Count(*) As Contagem From PermissoesDeUsuarios WHERE IdUsuario = ") +
            QString::number(idUsuario) + QStringLiteral(" AND TipoObjeto=2 AND IdObjeto = 2 AND Permissoes >=2"),
        dao::dbOpenSnapshot);
    const bool pode = rs->Field(QStringLiteral("Contagem")).toInt() > 0;
    db::FecharRecordset(rs);
    return pode;
}

QString SqlDasPernas(long serial) {
    const QString id = QString::number(serial);
    return QStringLiteral("SELECT L.*, C.DesConta from (Lancamentos As L INNER JOIN Contas AS C ON L.CodConta = "
                          "C.Codigo) inner JOIN Transferencias As T ON ((L.Id = T.SerialEntra Or L.Id = T.SerialSai) "
                          "And (T.SerialSai = ") +
           id + QStringLiteral(" or  T.SerialEntra =") + id + QStringLiteral(")) ORDER BY L.Transferencia");
}

std::vector<PernaDeTransferencia> LerPernas(dao::Database &db, long serial, long idUsuario, int tipoUsuario) {
    std::unique_ptr<dao::Recordset> rs;
    const bool comum = tipoUsuario != db::kAdministrador;
    if (comum) {
        auto q = db.QueryDefs(QStringLiteral("ParQryContaPermissaoEmTransferencia"));
        q->SetParameter(0, value::Value(qlonglong(idUsuario)));
        q->SetParameter(1, value::Value(qlonglong(serial)));
        rs = q->OpenRecordset(dao::dbOpenSnapshot);
    } else {
        rs = db.OpenRecordset(SqlDasPernas(serial), dao::dbOpenSnapshot);
    }
    std::vector<PernaDeTransferencia> pernas;
    for (; !rs->Eof(); rs->MoveNext()) {
        PernaDeTransferencia p;
        p.id = long(rs->Field(QStringLiteral("id")).toInt());
        p.transferencia = int(rs->Field(QStringLiteral("Transferencia")).toInt());
        p.codConta = rs->Field(QStringLiteral("CodConta")).toString();
        p.desConta = rs->Field(QStringLiteral("DesConta")).toString();
        p.dataId = rs->Field(QStringLiteral("DataId")).toString();
        if (comum) {
            const value::Value v = rs->Field(QStringLiteral("Permissoes"));
            if (!v.isNull()) p.permissoes = int(v.toInt());
        }
        pernas.push_back(p);
    }
    db::FecharRecordset(rs);
    // The same order for every user, so a refusal names the same account and
    // the outgoing leg is the first one written.
    std::stable_sort(pernas.begin(), pernas.end(),
                     [](const PernaDeTransferencia &a, const PernaDeTransferencia &b) { return a.transferencia < b.transferencia; });
    return pernas;
}

bool PernasCompletas(const std::vector<PernaDeTransferencia> &pernas) {
    return pernas.size() == 2 && pernas[0].transferencia == 1 && pernas[1].transferencia == 2;
}

std::optional<QString> RecusaDaTransferencia(const std::vector<PernaDeTransferencia> &pernas, int tipoUsuario,
                                             OperacaoEmTransferencia operacao) {
    if (!PernasCompletas(pernas)) return kMsgFaltaPerna;
    if (tipoUsuario == db::kAdministrador) return std::nullopt;
    const bool baixa = operacao == OperacaoEmTransferencia::Baixa;
    for (const PernaDeTransferencia &p : pernas)
        if (!p.podeGravar())
            return (baixa ? QStringLiteral("Você não pode fazer esta baixa por não ter permissão de gravação na conta '")
                          : QStringLiteral("Você não pode fazer este estorno por não ter permissão de gravação na conta '")) +
                   p.desConta +
                   (baixa ? QStringLiteral("' de um dos lançamentos criados na tranferência que está sendo baixada.")
                          : QStringLiteral("' de um dos lançamentos criados na tranferência que está sendo estornada."));
    return std::nullopt;
}

} // namespace core::escrita
