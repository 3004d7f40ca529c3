// What the windows ask of an item tree beside showing it: its description
// for the tree loaders, the item behind a tag (and a stale or foreign tag
// that names none), and a new permission the rule refuses, which changes
// and saves nothing and gives the message to show.
#include "core/permissoes/ArvoreDePermissoes.h"
#include "core/permissoes/CarregarPermissoes.h"
#include "support/ErrorOf.h"
#include "SegurancaFixture.h"

using core::permissoes::CPermissao;
using testsupport::errorOf;

namespace {

class PermissionTree : public testsupport::SegurancaFixture {
protected:
    std::shared_ptr<CPermissao> contas(long mode, long usu) {
        std::shared_ptr<CPermissao> t;
        EXPECT_EQ(core::permissoes::CarregarPermissoesEmContas(mode, usu, t), QString());
        return t;
    }
    static QString tag(const CPermissao &i) { return QString::number(i.Ponteiro()); }
};

// Code, description and value of every item, depth first, each tag leading back to its item.
void achatar(const CPermissao &raiz, const ui::ItemDaArvore &i, QStringList &out) {
    out << i.codigo + QLatin1Char(' ') + i.descricao + QLatin1Char(' ') + QString::number(i.permissao);
    EXPECT_EQ(core::permissoes::ObjetoDoPonteiro(raiz, QString::number(i.tag))->CodObjeto(), i.codigo);
    for (const ui::ItemDaArvore &sub : i.subItens) achatar(raiz, sub, out);
}

TEST_F(PermissionTree, DescriptionForTheTreeLoadersHoldsEveryItemInOrder) {
    auto raiz = contas(1, 0);
    ASSERT_EQ(raiz->SubItens().Item(QStringLiteral("001"))->setPermissoes(2), QString());
    QStringList itens;
    achatar(*raiz, core::permissoes::ItemParaArvore(*raiz), itens);
    EXPECT_EQ(itens, (QStringList{QStringLiteral("000 TODAS AS PERMISSÕES 3"), QStringLiteral("001 BANCO 2"),
                                  QStringLiteral("001.001 CORRENTE 2"), QStringLiteral("001.001.001 CHEQUES 2"),
                                  QStringLiteral("001.002 APLICACAO 2"), QStringLiteral("002 CARTEIRA 0")}));
}

TEST_F(PermissionTree, AStaleOrForeignTagIsAnErrorNotAnObject) {
    auto raiz = contas(1, 0);
    auto outra = contas(1, 0);
    const QString aplicacao = tag(*raiz->SubItens().Item(QStringLiteral("001"))->SubItens().Item(QStringLiteral("001.002")));
    EXPECT_EQ(core::permissoes::ObjetoDoPonteiro(*raiz, aplicacao)->CodObjeto(), QStringLiteral("001.002"));
    EXPECT_NE(errorOf([&] { core::permissoes::ObjetoDoPonteiro(*outra, aplicacao); }), 0) << "another tree's item";
    raiz->SubItens().Item(QStringLiteral("001"))->SubItens().Remove(QStringLiteral("001.002"));
    EXPECT_NE(errorOf([&] { core::permissoes::ObjetoDoPonteiro(*raiz, aplicacao); }), 0) << "an item gone from the tree";
    EXPECT_NE(errorOf([&] { core::permissoes::ObjetoDoPonteiro(*raiz, QStringLiteral("abc")); }), 0);
    EXPECT_NE(errorOf([&] { core::permissoes::ObjetoDoPonteiro(*raiz, QString()); }), 0);
}

TEST_F(PermissionTree, RefusedValueGivesTheMessageAndChangesAndSavesNothing) {
    for (long mode : {1L, 2L}) {
        db->Execute(QStringLiteral("DELETE FROM PermissoesDeUsuarios"));
        auto raiz = contas(2, ana);
        CPermissao &banco = *raiz->SubItens().Item(QStringLiteral("001"));
        CPermissao &corrente = *banco.SubItens().Item(QStringLiteral("001.001"));
        ASSERT_EQ(core::permissoes::AtribuirPermissao(banco, mode, 1).mensagem, QString());
        const auto antes = linhas(ana, 1);
        QString recusa;
        EXPECT_EQ(errorOf([&] { recusa = core::permissoes::AtribuirPermissao(corrente, mode, 2).mensagem; }), 0) << mode;
        EXPECT_EQ(recusa, core::permissoes::kMsgPermissaoIncompativel + QStringLiteral("CORRENTE'.")) << mode;
        EXPECT_EQ(corrente.Permissoes(), 1) << mode;
        EXPECT_EQ(corrente.SubItens().Item(QStringLiteral("001.001.001"))->Permissoes(), 1) << mode;
        EXPECT_EQ(linhas(ana, 1), antes) << mode;
    }
}

} // namespace
