// Showing permission trees in a tree control: pictures by window and by
// value, sorted siblings, tags that lead back to their item, and a new
// permission given through a node, the rule's refusal shown.
#include "SegurancaComJanelas.h"
#include "core/permissoes/ArvoreDePermissoes.h"
#include "core/permissoes/CarregarPermissoes.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageBox.h"
#include "platform/widgets/TreeView.h"
#include "security/PermissoesNaArvore.h"
#include "support/ErrorOf.h"
#include "ui/ArvoreDeItens.h"

using core::permissoes::CPermissao;
using testsupport::errorOf;
using testsupport::Script;

namespace {

struct Janela {
    explicit Janela(const QString &nome) {
        form.setObjectName(nome);
        for (const QString &k : ui::ChavesDePermissao()) imagens.Add(k, ui::IconeDePermissao(k));
        imagens.Add(QStringLiteral("IMG_CONTA"), QIcon());
        imagens.Add(QStringLiteral("IMG_RECDESP"), QIcon());
        tv = new widgets::TreeView(&form);
        tv->setImageList(&imagens);
    }
    platform::ui::Form form;
    widgets::ImageList imagens;
    widgets::TreeView *tv;
};

class TreeRoutines : public testsupport::SegurancaComJanelas {
protected:
    std::shared_ptr<CPermissao> contas(long mode, long usu) {
        std::shared_ptr<CPermissao> t;
        EXPECT_EQ(core::permissoes::CarregarPermissoesEmContas(mode, usu, t), QString());
        return t;
    }
};

TEST_F(TreeRoutines, RootPictureFollowsTheWindowTypeNameAndItemsTheirValue) {
    struct Caso {
        const char *janela;
        bool pesquisa;
        const char *raiz, *item;
    };
    const Caso casos[] = {{"frmPermMov", false, "IMG_RECDESP", "IMG_PERMLANCAMENTOS"},
                          {"frmPermContas", false, "IMG_CONTA", "IMG_PERMLANCAMENTOS"},
                          {"frmExtraRec", true, "IMG_RECDESP", "IMG_RECDESP"},
                          {"frmExtraContas", true, "IMG_CONTA", "IMG_CONTA"},
                          {"frmPermMov", true, "IMG_CONTA", "IMG_CONTA"}};
    for (const Caso &k : casos) {
        auto raiz = contas(1, 0);
        ASSERT_EQ(raiz->SubItens().Item(QStringLiteral("001"))->setPermissoes(2), QString());
        Janela j(QString::fromLatin1(k.janela));
        if (k.pesquisa) ui::CarregarNaArvoreDePesquisa(*j.tv, core::permissoes::ItemParaArvore(*raiz), QString());
        else ui::CarregarNaArvoreDePermissoes(*j.tv, core::permissoes::ItemParaArvore(*raiz), QString());
        const std::string onde = std::string(k.janela) + (k.pesquisa ? " selection" : " permission");
        widgets::Node *topo = j.tv->Item(QStringLiteral("_000"));
        ASSERT_TRUE(topo) << onde;
        EXPECT_EQ(topo->Image(), QString::fromLatin1(k.raiz)) << onde;
        EXPECT_TRUE(topo->Expanded()) << onde;
        EXPECT_EQ(j.tv->SelectedItem(), topo) << onde;
        widgets::Node *cheques = j.tv->Item(QStringLiteral("_001.001.001"));
        ASSERT_TRUE(cheques) << onde;
        EXPECT_EQ(cheques->Image(), QString::fromLatin1(k.item)) << onde;
        EXPECT_EQ(cheques->ExpandedImage(), QString::fromLatin1(k.item)) << onde;
        EXPECT_EQ(cheques->SelectedImage(), QString::fromLatin1(k.item)) << onde;
        EXPECT_EQ(j.tv->Count(), 6) << onde;
    }
}

TEST_F(TreeRoutines, SiblingsAreSortedByTextAndTagsLeadBackToTheirItems) {
    auto raiz = contas(1, 0);
    Janela j(QStringLiteral("frmPermContas"));
    ui::CarregarNaArvoreDePermissoes(*j.tv, core::permissoes::ItemParaArvore(*raiz), QString());
    QStringList textos;
    for (widgets::Node *n : j.tv->Item(QStringLiteral("_001"))->ChildList()) textos << n->Text();
    EXPECT_EQ(textos, (QStringList{QStringLiteral("APLICACAO"), QStringLiteral("CORRENTE")}));
    textos.clear();
    for (widgets::Node *n : j.tv->Item(QStringLiteral("_000"))->ChildList()) textos << n->Text();
    EXPECT_EQ(textos, (QStringList{QStringLiteral("BANCO"), QStringLiteral("CARTEIRA")}));
    for (const QString &cod : {QStringLiteral("000"), QStringLiteral("001.001"), QStringLiteral("002")}) {
        auto i = core::permissoes::ObjetoDoPonteiro(*raiz, j.tv->Item(QStringLiteral("_") + cod)->Tag());
        EXPECT_EQ(i->CodObjeto(), cod);
    }
}

TEST_F(TreeRoutines, NewPermissionThroughANodeStoresInModeTwoAndRepaintsTheSubtree) {
    for (long mode : {1L, 2L}) {
        db->Execute(QStringLiteral("DELETE FROM PermissoesDeUsuarios"));
        auto raiz = contas(2, ana);
        Janela j(QStringLiteral("frmPermContas"));
        ui::CarregarNaArvoreDePermissoes(*j.tv, core::permissoes::ItemParaArvore(*raiz), QString());
        EXPECT_TRUE(security::UpdatePermissionsWithNode(*raiz, mode, *j.tv->Item(QStringLiteral("_001")), 2));
        for (const QString &k : {QStringLiteral("_001"), QStringLiteral("_001.001"), QStringLiteral("_001.001.001")})
            EXPECT_EQ(j.tv->Item(k)->Image(), QStringLiteral("IMG_PERMLANCAMENTOS")) << mode << k.toStdString();
        EXPECT_EQ(j.tv->Item(QStringLiteral("_002"))->Image(), QStringLiteral("IMG_SEMPERM"));
        EXPECT_EQ(raiz->SubItens().Item(QStringLiteral("001"))->Permissoes(), 2);
        EXPECT_EQ(contagem(ana), mode == 2 ? 4 : 0) << mode;
    }
}

TEST_F(TreeRoutines, RefusedValueIsShownAndLeavesItemsAndPicturesAlone) {
    for (long mode : {1L, 2L}) {
        db->Execute(QStringLiteral("DELETE FROM PermissoesDeUsuarios"));
        auto raiz = contas(2, ana);
        Janela j(QStringLiteral("frmPermContas"));
        ui::CarregarNaArvoreDePermissoes(*j.tv, core::permissoes::ItemParaArvore(*raiz), QString());
        EXPECT_TRUE(security::UpdatePermissionsWithNode(*raiz, mode, *j.tv->Item(QStringLiteral("_001")), 1));
        const long antes = contagem(ana);
        Script s;
        s.ok();
        EXPECT_EQ(errorOf([&] { (void)security::UpdatePermissionsWithNode(*raiz, mode, *j.tv->Item(QStringLiteral("_001.001")), 2); }),
                  err::kErrCancel)
            << "the action ends as a cancelled one";
        ASSERT_EQ(s.shown().size(), 1u) << mode;
        EXPECT_EQ(s.shownTexts()[0], core::permissoes::kMsgPermissaoIncompativel + QStringLiteral("CORRENTE'."));
        EXPECT_EQ(s.shown()[0].style, platform::ui::vbInformation);
        EXPECT_EQ(j.tv->Item(QStringLiteral("_001.001"))->Image(), QStringLiteral("IMG_PERMEXTRATOS"));
        EXPECT_EQ(j.tv->Item(QStringLiteral("_001.001.001"))->Image(), QStringLiteral("IMG_PERMEXTRATOS"));
        EXPECT_EQ(raiz->SubItens().Item(QStringLiteral("001"))->SubItens().Item(QStringLiteral("001.001"))->Permissoes(), 1);
        EXPECT_EQ(contagem(ana), antes) << "nothing saved";
    }
}

TEST_F(TreeRoutines, FailedSaveOfANodePutsTheItemBackAsTheFileIs) {
    permissao(ana, 1, idConta(QStringLiteral("001")), 3);
    permissao(ana, 1, idConta(QStringLiteral("001.001")), 3);
    auto raiz = contas(2, ana);
    Janela j(QStringLiteral("frmPermContas"));
    ui::CarregarNaArvoreDePermissoes(*j.tv, core::permissoes::ItemParaArvore(*raiz), QString());
    db->Execute(QStringLiteral("DELETE FROM PermissoesDeUsuarios")); // another copy
    EXPECT_NE(errorOf([&] { (void)security::UpdatePermissionsWithNode(*raiz, 2, *j.tv->Item(QStringLiteral("_001")), 1); }), 0);
    auto banco = raiz->SubItens().Item(QStringLiteral("001"));
    EXPECT_EQ(banco->Permissoes(), 3);
    EXPECT_FALSE(banco->IsDirty());
    EXPECT_EQ(banco->SubItens().Item(QStringLiteral("001.002"))->Permissoes(), 0);
    EXPECT_EQ(j.tv->Item(QStringLiteral("_001"))->Image(), QStringLiteral("IMG_PERMTUDO"));
    EXPECT_EQ(contagem(ana), 0);
}

} // namespace
