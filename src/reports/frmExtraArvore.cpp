// The selection dialogs' item tree: loading, marking by single clicks, and
// the double click that marks nothing.
#include "reports/frmExtra.h"

#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/SubCls.h"
#include "platform/ui/Input.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/TreeView.h"

namespace reports {

namespace {
// The wait before the deferred click, long enough for the second click of a
// double click to arrive.
constexpr int kEsperaDoClique = 400;
} // namespace

QString frmExtra::img(bool marcado) const {
    const QString k = deTipos_ ? QStringLiteral("IMG_RECDESP") : QStringLiteral("IMG_CONTA");
    return marcado ? k + QStringLiteral("SEL") : k;
}

void frmExtra::Form_Load() {
    try {
        Cancelada = true;
        fin::InstalarWindowProc(tv, fin::FormWindowProc);
    } catch (...) {
        FIN_TRAP_REPORT(deTipos_ ? "frmExtraRec" : "frmExtraCon", "Form_Load");
    }
}

void frmExtra::Form_Unload(bool &cancel) {
    (void)cancel;
    try {
        fin::RemoverWindowProc(tv);
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
            ui::Sleep(kEsperaDoClique);
            ui::DoEvents();
            fin::PostarNodeClick(tv, this, node ? node->item() : nullptr);
            return;
        }
        postado_ = false;
        if (!node) return;
        const bool marcar = node->Image() == img(false);
        node->setImage(img(marcar));
        node->setSelectedImage(img(marcar));
        node->setExpandedImage(img(marcar));
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
