#include "core/escrita/SaldoInicial.h"

#include "ui/ErrorTrap.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "core/escrita/Escrita.h"
#include "db/SqlTexto.h"


namespace core::escrita {

using value::Currency;

namespace {

Lancamento inicial(const QString &codConta, Currency valor, const QDate &data, long idUsuario) {
    Lancamento l;
    l.codConta = codConta;
    l.codRecDesp = kTipoAjusteDeSaldo;
    l.valor = valor;
    l.data = data;
    l.historico = kHistoricoSaldoInicial;
    l.realizado = QStringLiteral("S");
    l.transferencia = 0;
    l.guarda = Guarda::Conta;
    l.saldoTipo = SaldoTipo::Exato;
    l.saldoContaDoZero = true;
    l.idUsuario = idUsuario;
    return l;
}

} // namespace

void PrepararSaldoInicial(dao::Database &db, const QString &codConta, Currency valor) {
    PrepararGravacao(db, inicial(codConta, valor, QDate(), 0));
}

long LancarSaldoInicial(dao::Database &db, const QString &codConta, Currency valor, const QDate &data,
                        long idUsuario, QString &recusa) {
    try {
        recusa.clear();
        const Lancamento l = inicial(codConta, valor, data, idUsuario);
        Gravado g;
        switch (GravarLancamento(db, l, &g)) {
        case Resultado::Gravado:
            return g.id;
        case Resultado::Bloqueio:
            recusa = kMsgBloqueio;
            return 0;
        default:
            recusa = kMsgSaldoInicialRecusado;
            return 0;
        }
    } catch (...) {
        FIN_TRAP_RERAISE("frmContaDet", "AjustaSaldo");
    }
}

QString CondicaoSaldoInicial() {
    return QStringLiteral("(CODRECDESP = '") + kTipoAjusteDeSaldo + QStringLiteral("' AND HISTORICO = '") +
           kHistoricoSaldoInicial +
           QStringLiteral("' AND REALIZADO = 'S' AND TRANSFERENCIA = 0 AND ESTORNO = False AND ESTORNADO = False)");
}

std::vector<SaldoInicialGravado> LerSaldosIniciais(dao::Database &db, const QString &codConta) {
    std::vector<SaldoInicialGravado> iniciais;
    auto rs = db.OpenRecordset(QStringLiteral("SELECT CodConta, Valor, DataId FROM LANCAMENTOS WHERE ") +
                                   CondicaoSaldoInicial() + QStringLiteral(" AND CODCONTA LIKE ") +
                                   db::SqlTexto(codConta + QLatin1Char('*')) + QStringLiteral(" ORDER BY DataId"),
                               dao::dbOpenSnapshot);
    for (; !rs->Eof(); rs->MoveNext())
        iniciais.push_back({rs->Field(0).toString(), rs->Field(1).toCurrency(), rs->Field(2).toString()});
    db::FecharRecordset(rs);
    return iniciais;
}

bool DesfazerSaldosIniciais(dao::Database &db, const std::vector<SaldoInicialGravado> &iniciais) {
    if (iniciais.empty()) return true;
    // Orders this change with every posting write of every copy of the program.
    auto rs = db.OpenRecordset(QStringLiteral("SELECT Serial FROM Serial"), dao::dbOpenSnapshot);
    const long serial = long(rs->Field(0).toInt());
    db::FecharRecordset(rs);
    if (!TravarContador(db, serial)) return false;
    for (const SaldoInicialGravado &i : iniciais)
        MoverSaldosPosteriores(db, i.codConta, kTipoAjusteDeSaldo, SaldoTipo::Exato, -i.valor, i.dataId);
    return true;
}

} // namespace core::escrita
