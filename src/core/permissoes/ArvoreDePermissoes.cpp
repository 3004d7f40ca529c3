#include "core/permissoes/ArvoreDePermissoes.h"

#include "core/permissoes/Usuarios.h"

#include "platform/err/AppError.h"

namespace core::permissoes {

namespace {

const CPermissao *procurar(const CPermissao &item, quint64 ponteiro) {
    if (item.Ponteiro() == ponteiro) return &item;
    for (const auto &sub : item.SubItens())
        if (const CPermissao *achado = procurar(*sub, ponteiro)) return achado;
    return nullptr;
}

} // namespace

ui::ItemDaArvore ItemParaArvore(const CPermissao &item) {
    ui::ItemDaArvore i{item.CodObjeto(), item.DesObjeto(), item.Ponteiro(), item.Permissoes(), {}};
    i.subItens.reserve(std::size_t(item.SubItens().Count()));
    for (const auto &sub : item.SubItens()) i.subItens.push_back(ItemParaArvore(*sub));
    return i;
}

std::shared_ptr<CPermissao> ObjetoDoPonteiro(const CPermissao &arvore, const QString &tag) {
    bool ok = false;
    const quint64 ponteiro = tag.toULongLong(&ok);
    const CPermissao *achado = ok ? procurar(arvore, ponteiro) : nullptr;
    if (!achado)
        throw err::AppError(err::kErrGeneric, QStringLiteral("em Module1_ObjetoDoPonteiro, linha: 1"),
                            QStringLiteral("O item mostrado não existe mais na árvore."));
    return const_cast<CPermissao *>(achado)->shared_from_this();
}

Atribuicao AtribuirPermissao(CPermissao &item, long mode, long valor) {
    const EstadoDaArvore antes(item);
    const QString recusa = item.setPermissoes(valor);
    if (!recusa.isEmpty() || mode != kUsuarioExistente) return {recusa};
    try {
        if (item.Persist() == Gravacao::UsuarioRemovido) {
            antes.Restaurar();
            return {kMsgUsuarioNaoExisteMais, true};
        }
    } catch (...) {
        antes.Restaurar();
        throw;
    }
    return {};
}

} // namespace core::permissoes
