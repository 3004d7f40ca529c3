#include "ui/CarregarArvores.h"

#include "db/Module1.h"
#include "db/Schema.h"
#include "db/SqlTexto.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Messages.h"
#include "platform/widgets/TreeView.h"
#include "ui/AppContext.h"
#include "ui/ErrorTrap.h"

#include <QMetaObject>

namespace ui {

using db::Plano;

namespace {

struct Gemeo {
    QString tabela, descricao, inativo, filtroInativo, ocultos, img, raiz;
    int tipoObjeto;
};

const Gemeo &gemeo(Plano p) {
    static const Gemeo contas{QStringLiteral("Contas"), QStringLiteral("DesConta"), QStringLiteral("Inativa"),
                              QStringLiteral(" AND C.Inativa = False "), QStringLiteral("C.CODIGO <> '000'"),
                              QStringLiteral("IMG_CONTA"), QStringLiteral("TODAS AS CONTAS"), 1};
    static const Gemeo tipos{QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"),
                             QStringLiteral("Inativo"), QStringLiteral(" AND C.Inativo = False "),
                             QStringLiteral("C.CODIGO > '002'"), QStringLiteral("IMG_RECDESP"),
                             QStringLiteral("TODOS OS TIPOS DE RECEITAS/DESPESAS"), 2};
    return p == Plano::Contas ? contas : tipos;
}

const char *nomeDe(Plano p, const char *contas, const char *recDesp) { return p == Plano::Contas ? contas : recDesp; }

dao::Database &banco() {
    if (!ui::gDB) throw err::AppError(err::kErrGeneric, QString(), QStringLiteral("Nenhum banco de dados aberto."));
    return *ui::gDB;
}

QString sqlRamo(Plano plano, const QString &codigo, bool incluirInativos) {
    const Gemeo &g = gemeo(plano);
    const QString f = incluirInativos ? QString() : g.filtroInativo;
    const QString cod = db::SqlTexto(codigo);
    const QString contagem = QStringLiteral("(SELECT T1.Codigo, COUNT(T2.Id) As NumeroDeFilhos FROM ") + g.tabela +
                             QStringLiteral(" As T1 LEFT JOIN ") + g.tabela + QStringLiteral(" AS T2 ON (T1.CODPAI =") +
                             cod + QStringLiteral(" AND T1.CODIGO = T2.CODPAI) GROUP BY T1.CODIGO) AS S");
    if (ui::gTipoUsuario == db::kAdministrador) {
        // The outer join keeps every row of its left side whatever its
        // condition says, so the parent is named on the outer rows as well:
        // only the node's own children come back.
        return QStringLiteral("SELECT C.*, S.NumeroDeFilhos From ") + g.tabela + QStringLiteral(" as C INNER JOIN ") +
               contagem + QStringLiteral(" ON (C.CODIGO = S.CODIGO AND ") + g.ocultos + QStringLiteral(" ") + f +
               QStringLiteral(" AND C.CodPai = ") + cod + QStringLiteral(") Order By C.") + g.descricao;
    }
    return QStringLiteral("Select C.*, S.NumeroDeFilhos From (") + g.tabela +
           QStringLiteral(" As C INNER JOIN PERMISSOESDEUSUARIOS AS P ON (P.IdUsuario = ") +
           QString::number(ui::gIdUsuario) + QStringLiteral(" AND P.TipoObjeto = ") + QString::number(g.tipoObjeto) +
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

} // namespace ui
