#include "security/PermissoesNaArvore.h"

#include "core/permissoes/ArvoreDePermissoes.h"
#include "platform/err/AppError.h"
#include "platform/widgets/TreeView.h"
#include "ui/ArvoreDeItens.h"
#include "ui/ErrorTrap.h"
#include "ui/MsgBox.h"

namespace security {

using core::permissoes::AtribuirPermissao;
using core::permissoes::CPermissao;
using core::permissoes::ObjetoDoPonteiro;

void MostrarRecusa(const QString &recusa) {
    if (recusa.isEmpty()) return;
    ui::MsgBox(recusa, platform::ui::vbInformation);
    throw err::AppError(err::kErrCancel, QString(), QString());
}

bool DarPermissao(CPermissao &item, long mode, long valor) {
    const core::permissoes::Atribuicao a = AtribuirPermissao(item, mode, valor);
    if (a.usuarioRemovido) {
        ui::MsgBox(a.mensagem, platform::ui::vbInformation);
        return false;
    }
    MostrarRecusa(a.mensagem);
    return true;
}

bool UpdatePermissionsWithNode(const CPermissao &arvore, long mode, widgets::Node &node, long valor) {
    try {
        std::shared_ptr<CPermissao> item = ObjetoDoPonteiro(arvore, node.Tag());
        if (!DarPermissao(*item, mode, valor)) return false;
        ui::UpdateNodeIcons(node, ui::ImagemDePermissao(valor));
        return true;
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "UpdatePermissionsWithNode");
    }
}

} // namespace security
