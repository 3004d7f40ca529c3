#include "core/arvores/Arvores.h"

#include "db/Schema.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "db/CDaoTrans.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Messages.h"
#include "platform/widgets/TreeView.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/SaldoInicial.h"
#include "db/SqlTexto.h"

#include <QMetaObject>

namespace charts {

namespace {

struct Gemeo {
    QString tabela, descricao, inativo, filtroInativo, ocultos, img, raiz, maxFilho;
    int tipoObjeto;
};

const Gemeo &gemeo(Plano p) {
    static const Gemeo contas{QStringLiteral("Contas"), QStringLiteral("DesConta"), QStringLiteral("Inativa"),
                              QStringLiteral(" AND C.Inativa = False "), QStringLiteral("C.CODIGO <> '000'"),
                              QStringLiteral("IMG_CONTA"), QStringLiteral("TODAS AS CONTAS"),
                              QStringLiteral("ParQryMaxFilhoContas"), 1};
    static const Gemeo tipos{QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"),
                             QStringLiteral("Inativo"), QStringLiteral(" AND C.Inativo = False "),
                             QStringLiteral("C.CODIGO > '002'"), QStringLiteral("IMG_RECDESP"),
                             QStringLiteral("TODOS OS TIPOS DE RECEITAS/DESPESAS"),
                             QStringLiteral("ParQryMaxFilhoRecDesp"), 2};
    return p == Plano::Contas ? contas : tipos;
}

const char *nomeDe(Plano p, const char *contas, const char *recDesp) { return p == Plano::Contas ? contas : recDesp; }

dao::Database &banco() {
    if (!fin::gDB) throw err::AppError(err::kErrGeneric, QString(), QStringLiteral("Nenhum banco de dados aberto."));
    return *fin::gDB;
}

QString sqlRamo(Plano plano, const QString &codigo, bool incluirInativos) {
    const Gemeo &g = gemeo(plano);
    const QString f = incluirInativos ? QString() : g.filtroInativo;
    const QString cod = fin::SqlTexto(codigo);
    const QString contagem = QStringLiteral("(SELECT T1.Codigo, COUNT(T2.Id) As NumeroDeFilhos FROM ") + g.tabela +
                             QStringLiteral(" As T1 LEFT JOIN ") + g.tabela + QStringLiteral(" AS T2 ON (T1.CODPAI =") +
                             cod + QStringLiteral(" AND T1.CODIGO = T2.CODPAI) GROUP BY T1.CODIGO) AS S");
    if (fin::gTipoUsuario == db::kAdministrador) {
        // The outer join keeps every row of its left side whatever its
        // condition says, so the parent is named on the outer rows as well:
        // only the node's own children come back.
        return QStringLiteral("SELECT C.*, S.NumeroDeFilhos From ") + g.tabela + QStringLiteral(" as C INNER JOIN ") +
               contagem + QStringLiteral(" ON (C.CODIGO = S.CODIGO AND ") + g.ocultos + QStringLiteral(" ") + f +
               QStringLiteral(" AND C.CodPai = ") + cod + QStringLiteral(") Order By C.") + g.descricao;
    }
    return QStringLiteral("Select C.*, S.NumeroDeFilhos From (") + g.tabela +
           QStringLiteral(" As C INNER JOIN PERMISSOESDEUSUARIOS AS P ON (P.IdUsuario = ") +
           QString::number(fin::gIdUsuario) + QStringLiteral(" AND P.TipoObjeto = ") + QString::number(g.tipoObjeto) +
           QStringLiteral(" AND P.Permissoes >=2 AND P.IdObjeto = C.Id ") + f + QStringLiteral(" AND C.CodPai =") + cod +
           QStringLiteral(" AND ") + g.ocultos + QStringLiteral(")) INNER JOIN ") + contagem +
           QStringLiteral(" ON C.CODIGO = S.CODIGO Order By C.") + g.descricao;
}

// The window that owns the tree: the first ancestor carrying "Ponteiro".
QObject *donoDaArvore(widgets::TreeView &tv) {
    for (QWidget *w = tv.parentWidget(); w; w = w->parentWidget()) {
        const QVariant v = platform::ui::GetProp(w, "Ponteiro");
        if (v.isValid()) return v.value<QObject *>();
    }
    return nullptr;
}

} // namespace

void AdicionarFilhoFicticio(widgets::TreeView &tv, widgets::Node &node) {
    tv.Add(node.Key(), widgets::tvwChild, QStringLiteral("D") + node.Key(), QStringLiteral("Dummy"));
}

void RemoverFilhos(widgets::TreeView &tv, widgets::Node &node) {
    try {
        while (node.Children() > 0) {
            widgets::Node *c = node.Child();
            RemoverFilhos(tv, *c);
            tv.Remove(c->Key());
        }
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "RemoverFilhos");
    }
}

void CarregarRamo(Plano plano, widgets::TreeView &tv, widgets::Node &node, bool incluirInativos) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        const Gemeo &g = gemeo(plano);
        const QString codigo = node.Key().mid(1);
        rs = banco().OpenRecordset(sqlRamo(plano, codigo, incluirInativos), dao::dbOpenSnapshot);
        try {
            rs->MoveFirst();
        } catch (...) {
        }
        if (rs->RecordCount() == 0) {
            db::FecharRecordset(rs);
            return;
        }
        for (; !rs->Eof(); rs->MoveNext()) {
            const QString cod = rs->Field(QStringLiteral("Codigo")).toString();
            widgets::Node *n = tv.Add(node.Key(), widgets::tvwChild, QStringLiteral("_") + cod,
                                      rs->Field(g.descricao).toString());
            const QString sufixo = rs->Field(g.inativo).toBool() ? QStringLiteral("INAT") : QString();
            n->setImage(g.img + sufixo);
            n->setSelectedImage(g.img + sufixo + QStringLiteral("SEL"));
            n->setExpandedImage(g.img + sufixo + QStringLiteral("EXP"));
            if (rs->Field(QStringLiteral("NumeroDeFilhos")).toInt() > 0) AdicionarFilhoFicticio(tv, *n);
            n->setSorted(true);
            n->setTag(QString::number(rs->Field(QStringLiteral("id")).toInt()));
        }
        db::FecharRecordset(rs);
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("Module1", nomeDe(plano, "CarregarRamoContas", "CarregarRamoRecDesp"));
    }
}

void CarregarRamoContas(widgets::TreeView &tv, widgets::Node &node, bool incluirInativos) {
    CarregarRamo(Plano::Contas, tv, node, incluirInativos);
}
void CarregarRamoRecDesp(widgets::TreeView &tv, widgets::Node &node, bool incluirInativos) {
    CarregarRamo(Plano::RecDesp, tv, node, incluirInativos);
}

void CarregarArvore(Plano plano, widgets::TreeView &tv) {
    try {
        const Gemeo &g = gemeo(plano);
        widgets::Node *raiz = tv.Add(QString(), widgets::tvwLast, QStringLiteral("_000"), g.raiz, g.img,
                                     g.img + QStringLiteral("SEL"));
        raiz->setExpandedImage(g.img + QStringLiteral("EXP"));
        raiz->setSorted(true);
        raiz->setTag(QStringLiteral("1"));
        AdicionarFilhoFicticio(tv, *raiz);
        // The owning window's Expand handling loads the first level right here.
        raiz->setExpanded(true);
        if (raiz->Children() == 0) {
            raiz->setExpanded(false);
            if (QObject *dono = donoDaArvore(tv))
                QMetaObject::invokeMethod(dono, "tv_Collapse", Qt::DirectConnection, Q_ARG(widgets::Node *, raiz));
        }
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", nomeDe(plano, "CarregarArvoreContas", "CarregarArvoreRecDesp"));
    }
}

void CarregarArvoreContas(widgets::TreeView &tv) { CarregarArvore(Plano::Contas, tv); }
void CarregarArvoreRecDesp(widgets::TreeView &tv) { CarregarArvore(Plano::RecDesp, tv); }

QString ObterNovoCodigo(Plano plano, const QString &codPai) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        auto q = banco().QueryDefs(gemeo(plano).maxFilho);
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
            fin::MsgBox(kMsgProfundidade, platform::ui::vbInformation);
            throw err::AppError(err::kErrCancel, QString(), QString());
        }
        if (grupo > kMaxGrupo) {
            fin::MsgBox(kMsgNivelCheio, platform::ui::vbInformation);
            throw err::AppError(err::kErrCancel, QString(), QString());
        }
        return novo;
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("Module1", nomeDe(plano, "ObterNovoCodigoContas", "ObterNovoCodigoRecDesp"));
    }
}

QString ObterNovoCodigoContas(const QString &codPai) { return ObterNovoCodigo(Plano::Contas, codPai); }
QString ObterNovoCodigoRecDesp(const QString &codPai) { return ObterNovoCodigo(Plano::RecDesp, codPai); }

namespace {

void excluir(Plano plano, const QString &codigo) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        dao::Database &db = banco();
        const QString cod = fin::SqlTexto(codigo);
        const QString padrao = fin::SqlTexto(codigo + QLatin1Char('*'));
        // Postings that block the deletion: for accounts every posting but the
        // opening balances, which go with their accounts.
        const QString bloqueantes =
            plano == Plano::Contas
                ? QStringLiteral("FROM LANCAMENTOS WHERE NOT ") + postings::CondicaoSaldoInicial() +
                      QStringLiteral(" AND CODCONTA LIKE ") + padrao
                : QStringLiteral("FROM LANCAMENTOS WHERE CODRECDESP LIKE ") + padrao;
        const QString sql = (plano == Plano::Contas ? QStringLiteral("DELETE * FROM CONTAS WHERE CODIGO = ")
                                                    : QStringLiteral("DELETE * FROM TIPOSMOVIMENTACOES WHERE CODIGO = ")) +
                            cod + QStringLiteral(" AND (SELECT COUNT(*) ") + bloqueantes + QStringLiteral(") = 0");
        long apagados = 0;
        {
            db::CDaoTrans trans;
            trans.BegTrans();
            // Inside the write transaction: the openings that the cascade
            // will take are read first, and once the accounts are gone the
            // later balances are moved back.
            std::vector<postings::SaldoInicialGravado> iniciais;
            if (plano == Plano::Contas) iniciais = postings::LerSaldosIniciais(db, codigo);
            db.Execute(sql, dao::dbFailOnError);
            apagados = db.RecordsAffected();
            if (apagados > 0 && !postings::DesfazerSaldosIniciais(db, iniciais)) {
                trans.RollBack();
                fin::MsgBox(postings::kMsgBloqueio);
                throw err::AppError(err::kErrCancel, QString(), QString());
            }
            trans.ComTrans();
        }
        if (apagados >= 1) return;
        rs = db.OpenRecordset(QStringLiteral("SELECT COUNT(*) as Contagem ") + bloqueantes, dao::dbOpenSnapshot);
        try {
            rs->MoveFirst();
        } catch (...) {
        }
        const qint64 contagem = rs->Field(QStringLiteral("Contagem")).toInt();
        db::FecharRecordset(rs);
        if (contagem > 0) {
            fin::MsgBox(plano == Plano::Contas
                            ? QStringLiteral("Esta conta não pode ser excluída por haver lançamentos feitos usando seu "
                                             "código ou o código de uma de suas subcontas.")
                            : QStringLiteral("Este item não pode ser excluído por haver lançamentos feitos usando seu "
                                             "código ou de um subitem seu."),
                        platform::ui::vbInformation);
            throw err::AppError(err::kErrCancel, QString(), QString());
        }
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("Module1", nomeDe(plano, "ExcluirConta", "ExcluirRecDesp"));
    }
}

} // namespace

void ExcluirConta(const QString &codigo) { excluir(Plano::Contas, codigo); }
void ExcluirRecDesp(const QString &codigo) { excluir(Plano::RecDesp, codigo); }

} // namespace charts
