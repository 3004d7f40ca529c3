#include "postings/frmLancamentos.h"

#include "db/Schema.h"
#include "postings/frmLancamentosComum.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "ui/CarregarArvores.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/widgets/EditCombo.h"

#include <QGroupBox>

namespace postings {

using value::Currency;

// ---- lists and trees -------------------------------------------------------------

void frmLancamentos::encherLista(bool contas) {
    widgets::EditCombo *cb = contas ? cbContas : cbTiposMov;
    std::unique_ptr<dao::Recordset> &rs = contas ? rsContas : rsRecDesp;
    try {
        cb->Clear();
        db::FecharRecordset(rs);
        const QString id = QString::number(ui::gIdUsuario);
        QString sql;
        if (contas)
            sql = ui::gTipoUsuario == db::kAdministrador
                     ? QStringLiteral("SELECT Desconta, Codigo, Id From Contas WHERE Inativa = False and Codigo <> '000' "
                                      "Order BY DesConta")
                     : QStringLiteral("Select C.DesConta , C.Codigo, C.Id From Contas As C INNER JOIN PERMISSOESDEUSUARIOS AS "
                                      "P ON (P.IdUsuario = ") + id +
                           QStringLiteral(" AND P.TipoObjeto = 1 AND P.Permissoes >=2 AND P.IdObjeto = C.Id AND "
                                          "C.Inativa = False and C.Codigo <> '000') Order By C.DesConta");
        else
            sql = ui::gTipoUsuario == db::kAdministrador
                     ? QStringLiteral("SELECT DesMovimentacao, Codigo, Id From TIPOSMOVIMENTACOES WHERE INATIVO = FALSE AND "
                                      "CODIGO > '001' ORDER BY DESMOVIMENTACAO")
                     : QStringLiteral("Select M.DesMovimentacao, M.Codigo, M.Id From TIPOSMOVIMENTACOES As M INNER JOIN "
                                      "PERMISSOESDEUSUARIOS AS P ON (P.IdUsuario = ") + id +
                           QStringLiteral(" AND P.TipoObjeto = 2 AND P.Permissoes >=2 AND P.IdObjeto = M.Id AND "
                                          "M.Inativo = False And M.Codigo > '001') Order By M.DesMovimentacao");
        rs = ui::gDB->OpenRecordset(sql, dao::dbOpenDynaset);
        try {
            rs->MoveNext();
            rs->MoveFirst();
        } catch (...) {
        }
        if (rs->RecordCount() == 0) {
            db::FecharRecordset(rs);
            if (contas) ui::MsgBox(kMsgSemContas, platform::ui::vbInformation);
            else ui::MsgBox(kMsgSemRecDesp);
            platform::ui::PostMessage(this, platform::ui::WM_CLOSE);
            cancelar();
        }
        const QString campo = contas ? QStringLiteral("DesConta") : QStringLiteral("DesMovimentacao");
        cb->setUpdatesEnabled(false);
        for (; !rs->Eof(); rs->MoveNext()) cb->AddItem(rs->Field(campo).toString(), rs->AbsolutePosition());
        cb->setUpdatesEnabled(true);
        cb->setListIndex(-1);
    } catch (...) {
        cb->setUpdatesEnabled(true);
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("frmLancamentos", contas ? "EncheListaContas" : "EncheListaRecDesp");
    }
}

void frmLancamentos::EncheListaContas() { encherLista(true); }
void frmLancamentos::EncheListaRecDesp() { encherLista(false); }

void frmLancamentos::inicializarArvore(bool contas) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        widgets::TreeView *tv = contas ? tvContas : tvRecDesp;
        tv->Clear();
        const QString tabela = contas ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes");
        const QString des = contas ? QStringLiteral("DesConta") : QStringLiteral("DesMovimentacao");
        const QString oculto = contas ? QStringLiteral("C.Codigo <> '000'") : QStringLiteral("C.Codigo > '001'");
        const QString inativo = contas ? QStringLiteral("C.Inativa") : QStringLiteral("C.Inativo");
        const QString contagem = QStringLiteral("INNER JOIN (SELECT T1.Codigo, COUNT(T2.Id) As NumeroDeFilhos FROM ") +
                                 tabela + QStringLiteral(" As T1 LEFT JOIN ") + tabela +
                                 QStringLiteral(" AS T2 ON (T1.CODPAI ='000' AND T1.CODIGO = T2.CODPAI) GROUP BY "
                                                "T1.CODIGO) AS S ON ");
        QString sql;
        if (ui::gTipoUsuario == db::kAdministrador) {
            // The outer join keeps every row of its left side, so the first
            // level is named outright.
            sql = QStringLiteral("SELECT C.") + des + QStringLiteral(", C.Codigo, S.NumeroDeFilhos From ") + tabela +
                  QStringLiteral(" as C ") + contagem + QStringLiteral(" (C.CODIGO = S.CODIGO AND ") + oculto +
                  QStringLiteral(" AND ") + inativo + QStringLiteral(" = FALSE AND C.CodPai = '000') Order By C.") + des;
        } else {
            sql = QStringLiteral("Select C.") + des + QStringLiteral(" , C.Codigo, S.NumeroDeFilhos From (") + tabela +
                  QStringLiteral(" As C INNER JOIN PERMISSOESDEUSUARIOS AS P ON (P.IdUsuario = ") +
                  QString::number(ui::gIdUsuario) + QStringLiteral(" AND P.TipoObjeto = ") +
                  (contas ? QStringLiteral("1") : QStringLiteral("2")) +
                  QStringLiteral(" AND P.Permissoes >=2 AND P.IdObjeto = C.Id AND ") + inativo +
                  QStringLiteral(" = False AND C.CodPai = '000' AND ") + oculto + QStringLiteral(")) ") + contagem +
                  QStringLiteral("C.CODIGO = S.CODIGO Order By C.") + des;
        }
        rs = ui::gDB->OpenRecordset(sql, dao::dbOpenSnapshot);
        const QString img = contas ? QStringLiteral("IMG_CONTA") : QStringLiteral("IMG_RECDESP");
        for (; !rs->Eof(); rs->MoveNext()) {
            widgets::Node *n = tv->Add(QString(), widgets::tvwLast,
                                       QStringLiteral("_") + rs->Field(QStringLiteral("Codigo")).toString(),
                                       rs->Field(des).toString(), img, img + QStringLiteral("SEL"));
            n->setExpandedImage(img + QStringLiteral("EXP"));
            if (rs->Field(QStringLiteral("NumeroDeFilhos")).toInt() > 0) ui::AdicionarFilhoFicticio(*tv, *n);
        }
        db::FecharRecordset(rs);
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("frmLancamentos", contas ? "InicializarArvoreDeContas" : "InicializarArvoreDeRecDesp");
    }
}

void frmLancamentos::InicializarArvoreDeContas() { inicializarArvore(true); }
void frmLancamentos::InicializarArvoreDeRecDesp() { inicializarArvore(false); }

void frmLancamentos::expandir(widgets::TreeView *tv, widgets::Node *node, bool contas) {
    bool &flag = contas ? expandindoContas_ : expandindoRecDesp_;
    if (flag) return;
    try {
        flag = true;
        if (node->Children() > 0) ui::RemoverFilhos(*tv, *node);
        if (contas) ui::CarregarRamoContas(*tv, *node, false);
        else ui::CarregarRamoRecDesp(*tv, *node, false);
        node->setSelectedImage(contas ? QStringLiteral("IMG_CONTASELEXP") : QStringLiteral("IMG_RECDESPSELEXP"));
        flag = false;
    } catch (...) {
        // A failed branch does not keep the tree from loading the next one.
        flag = false;
        FIN_TRAP_REPORT("frmLancamentos", contas ? "tvContas_Expand" : "tvRecDesp_Expand");
    }
}

void frmLancamentos::recolher(widgets::TreeView *tv, widgets::Node *node, bool contas) {
    try {
        if (node->Children() > 0) {
            ui::RemoverFilhos(*tv, *node);
            ui::AdicionarFilhoFicticio(*tv, *node);
        }
        node->setSelectedImage(contas ? QStringLiteral("IMG_CONTASEL") : QStringLiteral("IMG_RECDESPSEL"));
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", contas ? "tvContas_Collapse" : "tvRecDesp_Collapse");
    }
}

void frmLancamentos::tvContas_Expand(widgets::Node *node) { expandir(tvContas, node, true); }
void frmLancamentos::tvContas_Collapse(widgets::Node *node) { recolher(tvContas, node, true); }
void frmLancamentos::tvRecDesp_Expand(widgets::Node *node) { expandir(tvRecDesp, node, false); }
void frmLancamentos::tvRecDesp_Collapse(widgets::Node *node) { recolher(tvRecDesp, node, false); }

void frmLancamentos::escolherNaArvore(widgets::TreeView *tv, widgets::EditCombo *cb, int &keyCode) {
    try {
        if (keyCode == 13) {
            widgets::Node *n = tv->SelectedItem();
            cb->setListIndex(n ? cb->FindString(n->Text()) : -1);
            cb->setRemembered(cb->ListIndex());
            keyCode = 0;
            cb->setFocus();
            platform::ui::SendTab();
        } else if (keyCode == 27) {
            keyCode = 0;
            cb->setFocus();
        }
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", tv == tvContas ? "tvContas_KeyDown" : "tvRecDesp_KeyDown");
    }
}

void frmLancamentos::tvContas_KeyDown(int &keyCode, int shift) {
    (void)shift;
    escolherNaArvore(tvContas, cbContas, keyCode);
}

void frmLancamentos::tvRecDesp_KeyDown(int &keyCode, int shift) {
    (void)shift;
    escolherNaArvore(tvRecDesp, cbTiposMov, keyCode);
}

void frmLancamentos::arvore(QGroupBox *fr, widgets::TreeView *tv, widgets::EditCombo *cb) {
    try {
        fr->move(cb->x(), cb->y() + cb->height());
        fr->show();
        fr->raise();
        tv->setFocus();
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", fr == frContas ? "cmdArvContas_Click" : "cmdArvRecDesp_Click");
    }
}

void frmLancamentos::cmdArvContas_Click() { arvore(frContas, tvContas, cbContas); }
void frmLancamentos::cmdArvRecDesp_Click() { arvore(frRecDesp, tvRecDesp, cbTiposMov); }

} // namespace postings
