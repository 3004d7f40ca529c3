#include "core/arvores/Arvores.h"

#include "db/Schema.h"
#include "ui/AppContext.h"
#include "ui/ErrorTrap.h"
#include "db/CDaoTrans.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/SaldoInicial.h"
#include "db/SqlTexto.h"

namespace core::arvores {

using db::Plano;

namespace {

// The saved query that reads the highest child code under a parent.
QString consultaMaxFilho(Plano p) {
    return p == Plano::Contas ? QStringLiteral("ParQryMaxFilhoContas") : QStringLiteral("ParQryMaxFilhoRecDesp");
}

const char *nomeDe(Plano p, const char *contas, const char *recDesp) { return p == Plano::Contas ? contas : recDesp; }

QString tabela(Plano p) { return p == Plano::Contas ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes"); }
QString colunaInativo(Plano p) { return p == Plano::Contas ? QStringLiteral("Inativa") : QStringLiteral("Inativo"); }

// The code an item hangs under: "001" for "001.002", the root "000" for a
// first-level code.
QString codigoDoPai(const QString &codigo) {
    const qsizetype ponto = codigo.lastIndexOf(QLatin1Char('.'));
    return ponto < 0 ? QStringLiteral("000") : codigo.left(ponto);
}

dao::Database &banco() {
    if (!ui::gDB) throw err::AppError(err::kErrGeneric, QString(), QStringLiteral("Nenhum banco de dados aberto."));
    return *ui::gDB;
}

} // namespace

QString NovoCodigo(Plano plano, const QString &codPai, QString &recusa) {
    recusa.clear();
    std::unique_ptr<dao::Recordset> rs;
    try {
        auto q = banco().QueryDefs(consultaMaxFilho(plano));
        q->SetParameter(0, codPai);
        rs = q->OpenRecordset(dao::dbOpenSnapshot);
        try {
            rs->MoveFirst();
        } catch (...) {
        }
        const value::Value maxFilho = rs->Field(QStringLiteral("MaxFilho"));
        db::FecharRecordset(rs);
        const bool raiz = codPai == QStringLiteral("000");
        int grupo = 1;
        if (!maxFilho.isNull()) {
            const QString m = maxFilho.toString();
            grupo = m.mid(m.lastIndexOf(QLatin1Char('.')) + 1).toInt() + 1;
        }
        const QString novo = (raiz ? QString() : codPai + QLatin1Char('.')) +
                             QStringLiteral("%1").arg(grupo, 3, 10, QLatin1Char('0'));
        // A group past 999 would break the three-digit format (and "1000"
        // would match LIKE '100*' as a child of 100); a ninth level would not
        // fit the code column.
        if (novo.size() > kMaxCodigo) {
            recusa = kMsgProfundidade;
            return QString();
        }
        if (grupo > kMaxGrupo) {
            recusa = kMsgNivelCheio;
            return QString();
        }
        return novo;
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("Module1", nomeDe(plano, "ObterNovoCodigoContas", "ObterNovoCodigoRecDesp"));
    }
}

namespace {

Exclusao excluir(Plano plano, const QString &codigo, long id) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        dao::Database &db = banco();
        const QString cod = db::SqlTexto(codigo);
        const QString padrao = db::SqlTexto(codigo + QLatin1Char('*'));
        // Postings that block the deletion: for accounts every posting but the
        // opening balances, which go with their accounts.
        const QString bloqueantes =
            plano == Plano::Contas
                ? QStringLiteral("FROM LANCAMENTOS WHERE NOT ") + core::escrita::CondicaoSaldoInicial() +
                      QStringLiteral(" AND CODCONTA LIKE ") + padrao
                : QStringLiteral("FROM LANCAMENTOS WHERE CODRECDESP LIKE ") + padrao;
        const QString sql = (plano == Plano::Contas ? QStringLiteral("DELETE * FROM CONTAS WHERE CODIGO = ")
                                                    : QStringLiteral("DELETE * FROM TIPOSMOVIMENTACOES WHERE CODIGO = ")) +
                            cod + QStringLiteral(" AND (SELECT COUNT(*) ") + bloqueantes + QStringLiteral(") = 0");
        long apagados = 0;
        {
            db::CDaoTrans trans;
            trans.BegTrans();
            // The code may have been given to another item since the window
            // loaded this one: that one is not deleted.
            if (LerEstadoDoItem(db, plano, codigo, id) == EstadoDoItem::Mudado)
                return id == 0 ? Exclusao::NadaExcluido : Exclusao::Mudado;
            // Inside the write transaction: the openings that the cascade
            // will take are read first, and once the accounts are gone the
            // later balances are moved back.
            std::vector<core::escrita::SaldoInicialGravado> iniciais;
            if (plano == Plano::Contas) iniciais = core::escrita::LerSaldosIniciais(db, codigo);
            db.Execute(sql, dao::dbFailOnError);
            apagados = db.RecordsAffected();
            if (apagados > 0 && !core::escrita::DesfazerSaldosIniciais(db, iniciais)) {
                trans.RollBack();
                return Exclusao::Bloqueio;
            }
            trans.ComTrans();
        }
        if (apagados >= 1) return Exclusao::Excluido;
        rs = db.OpenRecordset(QStringLiteral("SELECT COUNT(*) as Contagem ") + bloqueantes, dao::dbOpenSnapshot);
        try {
            rs->MoveFirst();
        } catch (...) {
        }
        const qint64 contagem = rs->Field(QStringLiteral("Contagem")).toInt();
        db::FecharRecordset(rs);
        return contagem > 0 ? Exclusao::ComLancamentos : Exclusao::NadaExcluido;
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("Module1", nomeDe(plano, "ExcluirConta", "ExcluirRecDesp"));
    }
}

} // namespace

Exclusao Excluir(Plano plano, const QString &codigo, long id) { return excluir(plano, codigo, id); }

EstadoDoItem LerEstadoDoItem(dao::Database &db, Plano plano, const QString &codigo, long id) {
    std::unique_ptr<dao::QueryDef> q = db.CreateQueryDef(
        QString(), plano == Plano::Contas
                       ? QStringLiteral("PARAMETERS [pCodigo] Text ( 255 );SELECT Id, Inativa As Inativo FROM Contas "
                                        "WHERE Codigo = [pCodigo]")
                       : QStringLiteral("PARAMETERS [pCodigo] Text ( 255 );SELECT Id, Inativo FROM TiposMovimentacoes "
                                        "WHERE Codigo = [pCodigo]"));
    q->SetParameter(0, codigo);
    std::unique_ptr<dao::Recordset> rs = q->OpenRecordset(dao::dbOpenSnapshot);
    EstadoDoItem estado = EstadoDoItem::Mudado;
    if (!rs->Eof() && (id == 0 || rs->Field(QStringLiteral("Id")).toInt() == id))
        estado = rs->Field(QStringLiteral("Inativo")).toBool() ? EstadoDoItem::Inativo : EstadoDoItem::Ativo;
    db::FecharRecordset(rs);
    return estado;
}

QString MensagemDeItemMudado(Plano plano, const QString &descricao) {
    const QString fim = QStringLiteral(" por outro usuário. Nada foi gravado; a visualização será atualizada.");
    if (plano == Plano::Contas)
        return (descricao.isEmpty() ? QStringLiteral("A conta selecionada")
                                    : QStringLiteral("A conta '") + descricao + QLatin1Char('\'')) +
               QStringLiteral(" foi alterada ou excluída") + fim;
    return (descricao.isEmpty() ? QStringLiteral("O tipo de receita/despesa selecionado")
                                : QStringLiteral("O tipo de receita/despesa '") + descricao + QLatin1Char('\'')) +
           QStringLiteral(" foi alterado ou excluído") + fim;
}

// ---- the writes on an item a window shows ----------------------------------------

namespace {

// Runs `escrever` in a transaction of its own, only while the code still
// names the item `id` the window loaded (an empty code, from a caller that
// knows the item by its Id alone, skips that look). An outcome other than
// Gravado rolls back.
template <typename F>
Escrita naTransacao(Plano plano, const QString &codigo, long id, const char *contas, const char *recDesp, F escrever) {
    try {
        dao::Database &db = banco();
        db::CDaoTrans trans;
        trans.BegTrans();
        if (!codigo.isEmpty() && LerEstadoDoItem(db, plano, codigo, id) == EstadoDoItem::Mudado) return Escrita::Mudado;
        const Escrita e = escrever(db);
        if (e == Escrita::Gravado) trans.ComTrans();
        return e;
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", nomeDe(plano, contas, recDesp));
    }
}

} // namespace

Escrita Renomear(Plano plano, const QString &codigo, long id, const QString &descricao) {
    return naTransacao(plano, codigo, id, "RenomearConta", "RenomearRecDesp", [&](dao::Database &db) {
        db.Execute(QStringLiteral("UPDATE ") + tabela(plano) + QStringLiteral(" SET ") +
                       (plano == Plano::Contas ? QStringLiteral("DESCONTA") : QStringLiteral("DESMOVIMENTACAO")) +
                       QStringLiteral(" =") + db::SqlTexto(descricao) + QStringLiteral(" WHERE ID =") +
                       QString::number(id),
                   dao::dbFailOnError);
        // Ids are never given twice: no row means the item is gone.
        return db.RecordsAffected() < 1 ? Escrita::Mudado : Escrita::Gravado;
    });
}

Escrita Desativar(Plano plano, const QString &codigo, long id) {
    // By code, the item and its subtree: an empty code would be every item.
    if (codigo.isEmpty()) return Escrita::Mudado;
    return naTransacao(plano, codigo, id, "DesativarConta", "DesativarRecDesp", [&](dao::Database &db) {
        db.Execute(QStringLiteral("Update ") + tabela(plano) + QStringLiteral(" Set ") + colunaInativo(plano) +
                       QStringLiteral(" = True Where codigo LIKE ") + db::SqlTexto(codigo + QLatin1Char('*')),
                   dao::dbFailOnError);
        return Escrita::Gravado;
    });
}

Escrita Ativar(Plano plano, const QString &codigo, long id) {
    return naTransacao(plano, codigo, id, "AtivarConta", "AtivarRecDesp", [&](dao::Database &db) {
        // Another copy may have deactivated the parent since the window read it.
        if (!codigo.isEmpty() && LerEstadoDoItem(db, plano, codigoDoPai(codigo), 0) == EstadoDoItem::Inativo)
            return Escrita::PaiInativo;
        db.Execute(QStringLiteral("Update ") + tabela(plano) + QStringLiteral(" Set ") + colunaInativo(plano) +
                       QStringLiteral(" = false Where Id =") + QString::number(id),
                   dao::dbFailOnError);
        return db.RecordsAffected() < 1 ? Escrita::Mudado : Escrita::Gravado;
    });
}

Escrita IncluirItem(dao::Database &db, Plano plano, const QString &codPai, long idPai, const QString &descricao,
                    QString &codigo, long &id, QString &recusa) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        switch (LerEstadoDoItem(db, plano, codPai, idPai)) {
        case EstadoDoItem::Mudado:
            return Escrita::Mudado;
        case EstadoDoItem::Inativo:
            return Escrita::PaiInativo;
        case EstadoDoItem::Ativo:
            break;
        }
        // The code was read before the write lock was taken; read under it,
        // it is the one no other copy can take before the commit.
        codigo = NovoCodigo(plano, codPai, recusa);
        if (!recusa.isEmpty()) return Escrita::Recusado;
        const bool conta = plano == Plano::Contas;
        db.Execute(QStringLiteral("INSERT INTO ") + tabela(plano).toUpper() + QStringLiteral(" (") +
                       (conta ? QStringLiteral("DESCONTA, CODIGO, CODPAI, INATIVA")
                              : QStringLiteral("DESMOVIMENTACAO, CODIGO, CODPAI, INATIVO")) +
                       QStringLiteral(") VALUES (") + db::SqlTexto(descricao) + QLatin1Char(',') +
                       db::SqlTexto(codigo) + QLatin1Char(',') + db::SqlTexto(codPai) + QStringLiteral(", FALSE)"),
                   dao::dbFailOnError);
        rs = db.OpenRecordset(QStringLiteral("Select Id From ") + tabela(plano) + QStringLiteral(" where Codigo=") +
                                  db::SqlTexto(codigo),
                              dao::dbOpenSnapshot);
        try {
            rs->MoveFirst();
        } catch (...) {
        }
        id = long(rs->Field(QStringLiteral("id")).toInt());
        db::FecharRecordset(rs);
        return Escrita::Gravado;
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("Module1", nomeDe(plano, "IncluirConta", "IncluirRecDesp"));
    }
}

QString MensagemDePaiInativo(Plano plano) {
    return plano == Plano::Contas ? QStringLiteral("Não é permitido adicionar item filho a conta inativa.")
                                  : QStringLiteral("Não é permitido adicionar item filho a tipo receita/despesa inativo.");
}

} // namespace core::arvores
