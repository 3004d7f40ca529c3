// The selection dialogs' item tree: loading, marking by single clicks, and
// the double click that marks nothing.
#include "reports/frmExtra.h"

#include "db/Schema.h"
#include "core/permissoes/ArvoreDePermissoes.h"
#include "core/permissoes/CPermissao.h"
#include "ui/ArvoreDeItens.h"
#include "ui/AppContext.h"
#include "ui/CHourGlass.h"
#include "ui/CLockWindowUpdate.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "ui/SubCls.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Input.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/TreeView.h"
#include "core/consultas/Selecao.h"

#include <QHash>

namespace reports {

using core::consultas::CondicaoDeLeitura;

namespace {
// The wait before the deferred click, long enough for the second click of a
// double click to arrive.
constexpr int kEsperaDoClique = 400;
} // namespace

QString frmExtra::img(bool marcado) const {
    const QString k = deTipos_ ? QStringLiteral("IMG_RECDESP") : QStringLiteral("IMG_CONTA");
    return marcado ? k + QStringLiteral("SEL") : k;
}

core::permissoes::CPermissoes &frmExtra::ContasSel() {
    if (!raiz_) raiz_ = core::permissoes::CPermissao::Novo();
    return raiz_->SubItens();
}

void frmExtra::Form_Load() {
    try {
        Cancelada = true;
        ui::InstalarWindowProc(tv, ui::FormWindowProc);
        CarregarItens();
    } catch (...) {
        FIN_TRAP_REPORT(deTipos_ ? "frmExtraRec" : "frmExtraCon", "Form_Load");
    }
}

// CarregarPermissoesEmContas / CarregarPermissoesEmRecDesp: the items the
// user may read, by code, so that a parent comes before its children.
void frmExtra::CarregarItens() {
    try {
        ui::CHourGlass ampulheta;
        ampulheta.Show(true);
        const bool comum = ui::gTipoUsuario != db::kAdministrador;
        const QString u = QString::number(ui::gIdUsuario);
        QString sql;
        if (!deTipos_)
            sql = comum ? QStringLiteral("SELECT P.Id, C.Codigo, C.DesConta as DesObjeto, C.Inativa, C.Id As IdObjeto, 1 As "
                                         "TipoObjeto, P.Permissoes FROM  CONTAS AS C INNER JOIN (SELECT * FROM "
                                         "PERMISSOESDEUSUARIOS WHERE IdUsuario =") + u +
                              QStringLiteral(" And TipoObjeto = 1 And ") + CondicaoDeLeitura(QStringLiteral("Permissoes")) +
                              QStringLiteral(") AS P ON "
                                             "(C.Codigo <> '000' AND P.IdObjeto = C.Id) ORDER BY C.Codigo")
                        : QStringLiteral("SELECT 0 as Id, C.Codigo, C.DesConta as DesObjeto, C.Inativa, C.Id As IdObjeto, 1 "
                                         "As TipoObjeto, 3 as Permissoes FROM CONTAS AS C WHERE C.CODIGO <> '000' ORDER "
                                         "BY C.Codigo");
        else
            sql = comum ? QStringLiteral("SELECT P.Id, M.Codigo, M.DesMovimentacao as DesObjeto, M.Inativo, M.Id As "
                                         "IdObjeto, 2 As TipoObjeto, P.Permissoes FROM TiposMovimentacoes AS M INNER JOIN "
                                         "(SELECT * FROM PERMISSOESDEUSUARIOS WHERE IdUsuario =") + u +
                              QStringLiteral(" And TipoObjeto = 2 And ") + CondicaoDeLeitura(QStringLiteral("Permissoes")) +
                              QStringLiteral(") AS P ON "
                                             "(M.Codigo <> '000' AND P.IdObjeto = M.Id) ORDER BY M.Codigo")
                        : QStringLiteral("SELECT 0 as Id, M.Codigo, M.DesMovimentacao as DesObjeto, M.Inativo, M.Id As "
                                         "IdObjeto, 2 As TipoObjeto, 3 as Permissoes FROM TiposMovimentacoes AS M WHERE "
                                         "M.CODIGO <> '000' ORDER BY M.Codigo");
        std::unique_ptr<dao::Recordset> rs = ui::gDB->OpenRecordset(sql, dao::dbOpenSnapshot);
        try {
            rs->MoveLast();
            rs->MoveFirst();
        } catch (...) {
        }
        if (rs->RecordCount() == 0) {
            db::FecharRecordset(rs);
            ui::MsgBox(deTipos_ ? QStringLiteral("Não há informação de permissões de leitura em receitas/despesas para "
                                                 "este usuário ou o cadastro de tipos de receitas e despesas está vazio.")
                                : QStringLiteral("Não há informação de permissões de leitura em contas para este usuário "
                                                 "ou o cadastro de contas está vazio."),
                       platform::ui::vbOKOnly);
            throw err::AppError(err::kErrCancel, QString(), QString());
        }
        core::permissoes::CPermissoes &itens = ContasSel();
        const QString campoInativo = deTipos_ ? QStringLiteral("Inativo") : QStringLiteral("Inativa");
        // Every item read so far, by code: a parent is found whatever was read
        // just before. An item whose parent the user may not read (two copies
        // changed his permissions at once) goes to the top level.
        QHash<QString, core::permissoes::CPermissao *> porCodigo;
        porCodigo.reserve(int(rs->RecordCount()));
        for (; !rs->Eof(); rs->MoveNext()) {
            auto item = core::permissoes::CPermissao::Novo();
            item->setDesObjeto(rs->Field(QStringLiteral("DesObjeto")).toString());
            item->setCodObjeto(rs->Field(QStringLiteral("Codigo")).toString());
            item->setInativa(rs->Field(campoInativo).toBool());
            const QString &codigo = item->CodObjeto();
            const int ponto = int(codigo.lastIndexOf(QLatin1Char('.')));
            core::permissoes::CPermissao *pai = ponto < 0 ? nullptr : porCodigo.value(codigo.left(ponto), nullptr);
            porCodigo.insert(codigo, item.get());
            if (pai) pai->SubItens().Add(item, codigo);
            else itens.Add(item, codigo);
        }
        db::FecharRecordset(rs);

        ui::CLockWindowUpdate trava;
        trava.LockWindow(tv);
        for (const auto &item : itens) ui::CarregarNaArvoreDePesquisa(*tv, core::permissoes::ItemParaArvore(*item), QString());
        if (widgets::Node *primeiro = tv->TopNodes().value(0, nullptr)) primeiro->setSelected(false);
        trava.UnLockWindow();
    } catch (...) {
        FIN_TRAP_RERAISE(deTipos_ ? "frmExtraRec" : "frmExtraCon",
                         deTipos_ ? "CarregarPermissoesEmRecDesp" : "CarregarPermissoesEmContas");
    }
}

void frmExtra::Form_Unload(bool &cancel) {
    (void)cancel;
    try {
        ui::RemoverWindowProc(tv);
    } catch (...) {
    }
}

void frmExtra::tv_DblClick() { ignorarProximo_ = true; }

void frmExtra::tv_NodeClick(QTreeWidgetItem *node) { tv_NodeClick(tv->NodeOf(node)); }

void frmExtra::tv_NodeClick(widgets::Node *node) {
    try {
        if (ignorarProximo_) {
            ignorarProximo_ = false;
            postado_ = false;
            return;
        }
        if (!postado_) {
            postado_ = true;
            platform::ui::Sleep(kEsperaDoClique);
            platform::ui::DoEvents();
            ui::PostarNodeClick(tv, this, node ? node->item() : nullptr);
            return;
        }
        postado_ = false;
        if (!node) return;
        const bool marcar = node->Image() == img(false);
        node->setImage(img(marcar));
        node->setSelectedImage(img(marcar));
        node->setExpandedImage(img(marcar));
        ContasSel();
        core::permissoes::ObjetoDoPonteiro(*raiz_, node->Tag())->setSelecionada(marcar);
        marcados_ += marcar ? 1 : -1;
        const bool algum = marcados_ > 0;
        ckSubItens->setEnabled(algum);
        lblSubItens->setEnabled(algum);
        if (!algum) ckSubItens->setValue(0);
    } catch (...) {
        FIN_TRAP_REPORT(deTipos_ ? "frmExtraRec" : "frmExtraCon", "tv_NodeClick");
    }
}

} // namespace reports
