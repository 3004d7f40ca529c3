// The permission item tree on its own: the parent rule, the write states,
// the root, the climb to an ancestor, the keyed collection, and the plain
// item tree of the selection dialogs.
#include "core/permissoes/CPermissao.h"
#include "db/Module1.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

using core::permissoes::CPermissao;
using testsupport::errorOf;

namespace {

const QString kIncompativel = core::permissoes::kMsgPermissaoIncompativel;

std::shared_ptr<CPermissao> item(const QString &codigo, const QString &des = QString()) {
    auto i = CPermissao::Novo();
    i->setCodObjeto(codigo);
    i->setDesObjeto(des.isEmpty() ? QStringLiteral("ITEM ") + codigo : des);
    i->setIsNew(true);
    return i;
}

// root 000 - A 001 - B 001.001 - C 001.001.001, and D 002.
struct Arvore {
    std::shared_ptr<CPermissao> raiz = item(QStringLiteral("000"), QStringLiteral("TODAS AS PERMISSÕES"));
    std::shared_ptr<CPermissao> a = raiz->SubItens().Add(item(QStringLiteral("001")), QStringLiteral("001"));
    std::shared_ptr<CPermissao> b = a->SubItens().Add(item(QStringLiteral("001.001")), QStringLiteral("001.001"));
    std::shared_ptr<CPermissao> c = b->SubItens().Add(item(QStringLiteral("001.001.001")), QStringLiteral("001.001.001"));
    std::shared_ptr<CPermissao> d = raiz->SubItens().Add(item(QStringLiteral("002")), QStringLiteral("002"));
    // Every item with a row and clean, as the loaders leave an existing user.
    void comLinhas() {
        for (auto *i : {raiz.get(), a.get(), b.get(), c.get(), d.get()}) i->setIsNew(false);
    }
};

// A value the rule accepts.
void dar(CPermissao &i, long valor) { ASSERT_EQ(i.setPermissoes(valor), QString()) << i.CodObjeto().toStdString(); }

struct Regra {
    long pai, filho;
    bool aceito;
};

class PermissionRule : public ::testing::TestWithParam<Regra> {};

// The rule shows nothing: it gives the message the window shows.
TEST_P(PermissionRule, ChildValueAgainstParentValue) {
    const Regra r = GetParam();
    Arvore t;
    dar(*t.a, r.pai);
    dar(*t.b, 0);
    QString recusa;
    EXPECT_EQ(errorOf([&] { recusa = t.b->setPermissoes(r.filho); }), 0);
    if (r.aceito) {
        EXPECT_EQ(recusa, QString());
        EXPECT_EQ(t.b->Permissoes(), r.filho);
        EXPECT_EQ(t.c->Permissoes(), r.filho) << "the value goes down the subtree";
    } else {
        EXPECT_EQ(recusa, kIncompativel + QStringLiteral("ITEM 001.001'."));
        EXPECT_EQ(t.b->Permissoes(), 0);
        EXPECT_EQ(t.c->Permissoes(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PermissionRule,
                         ::testing::Values(Regra{3, 3, true}, Regra{2, 3, false}, Regra{1, 3, false}, Regra{0, 3, false},
                                           Regra{3, 2, true}, Regra{2, 2, true}, Regra{1, 2, false}, Regra{0, 2, false},
                                           Regra{3, 1, true}, Regra{1, 1, true}, Regra{2, 1, false}, Regra{0, 1, false},
                                           Regra{0, 0, true}, Regra{2, 0, true}, Regra{3, 0, true}));

TEST(PermissionModel, FirstLevelTakesAnyValueAndTheRootNone) {
    Arvore t;
    for (long v : {3L, 1L, 2L, 0L}) {
        dar(*t.a, v);
        EXPECT_EQ(t.a->Permissoes(), v);
    }
    dar(*t.raiz, 1);
    EXPECT_EQ(t.raiz->Permissoes(), 3);
    EXPECT_EQ(t.raiz->PermissoesGuardadas(), 0);
    EXPECT_EQ(t.raiz->DesPermissoes(), QStringLiteral("Nenhuma"));
    EXPECT_FALSE(t.raiz->IsDirty());
}

struct Transicao {
    const char *nome;
    bool comLinha;
    std::vector<long> valores;
    bool isNew, isDeleted, isDirty;
};

class WriteState : public ::testing::TestWithParam<Transicao> {};

TEST_P(WriteState, AfterAssignments) {
    const Transicao &tr = GetParam();
    Arvore t;
    if (tr.comLinha) t.comLinhas();
    for (long v : tr.valores) dar(*t.a, v);
    for (auto *i : {t.a.get(), t.b.get(), t.c.get()}) {
        EXPECT_EQ(i->IsNew(), tr.isNew) << tr.nome << " " << i->CodObjeto().toStdString();
        EXPECT_EQ(i->IsDeleted(), tr.isDeleted) << tr.nome << " " << i->CodObjeto().toStdString();
        EXPECT_EQ(i->IsDirty(), tr.isDirty) << tr.nome << " " << i->CodObjeto().toStdString();
    }
    EXPECT_FALSE(t.d->IsDirty() || t.d->IsDeleted()) << "a sibling is left alone";
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteState,
    ::testing::Values(Transicao{"row, value", true, {2}, false, false, true},
                      Transicao{"row, zero", true, {0}, false, true, false},
                      Transicao{"row, zero then value", true, {0, 3}, false, false, true},
                      Transicao{"row, value then zero", true, {3, 0}, false, true, false},
                      Transicao{"no row, value", false, {3}, true, false, false},
                      Transicao{"no row, zero", false, {0}, true, false, false}),
    [](const auto &info) {
        std::string n = info.param.nome;
        for (char &ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(PermissionModel, HasAnyPermissionLooksAtTheSubtree) {
    Arvore t;
    EXPECT_FALSE(CPermissao::Novo()->SubItens().HasAnyPermission()) << "empty collection";
    EXPECT_FALSE(t.raiz->HasAnyPermission()) << "a root whose items all hold 0";
    dar(*t.a, 3);
    dar(*t.b, 0);
    dar(*t.c, 0);
    dar(*t.a, 0);
    t.c->SubItens(); // an empty collection below changes nothing
    EXPECT_FALSE(t.raiz->SubItens().HasAnyPermission());
    dar(*t.d, 1);
    EXPECT_TRUE(t.raiz->SubItens().HasAnyPermission());
    EXPECT_EQ(t.d->DesPermissoes(), QStringLiteral("Pesquisa"));
}

TEST(PermissionModel, FindUpwardClimbsButNeverLooksDown) {
    Arvore t;
    EXPECT_EQ(t.c->FindUpward(QStringLiteral("001.001.001")), t.c.get());
    EXPECT_EQ(t.c->FindUpward(QStringLiteral("001")), t.a.get());
    EXPECT_EQ(t.c->FindUpward(QStringLiteral("000")), t.raiz.get());
    EXPECT_NE(errorOf([&] { t.c->FindUpward(QStringLiteral("002")); }), 0) << "a sibling branch is not above";
    EXPECT_NE(errorOf([&] { t.a->FindUpward(QStringLiteral("001.001")); }), 0) << "below is never searched";
    auto solto = item(QStringLiteral("005"));
    EXPECT_EQ(solto->FindUpward(QStringLiteral("005")), solto.get());
    EXPECT_NE(errorOf([&] { solto->FindUpward(QStringLiteral("000")); }), 0);
    // A collection no item owns ends the climb with an error.
    core::permissoes::CPermissoes solta;
    auto x = solta.Add(item(QStringLiteral("007")), QStringLiteral("007"));
    EXPECT_NE(errorOf([&] { x->FindUpward(QStringLiteral("000")); }), 0);
}

TEST(PermissionModel, AnItemOutlivingItsTreeFailsInsteadOfCrashing) {
    std::shared_ptr<CPermissao> c;
    {
        Arvore t;
        c = t.c;
    }
    EXPECT_NE(errorOf([&] { c->FindUpward(QStringLiteral("001")); }), 0);
    EXPECT_NE(errorOf([&] { (void)c->setPermissoes(1); }), 0);
    EXPECT_EQ(c->PermissoesGuardadas(), 0);
}

TEST(PermissionModel, CollectionKeysAndPositions) {
    core::permissoes::CPermissoes col;
    auto x = col.Add(item(QStringLiteral("001")), QStringLiteral("001"));
    auto y = col.Add(item(QStringLiteral("002")), QStringLiteral("002"));
    auto z = item(QStringLiteral("002"));
    EXPECT_NE(errorOf([&] { col.Add(z, QStringLiteral("002")); }), 0);
    EXPECT_EQ(col.Count(), 2) << "a repeated key adds nothing";
    EXPECT_EQ(z->DisparadorDeEventos(), nullptr) << "and leaves the item unlinked";
    EXPECT_EQ(col.Item(1), x);
    EXPECT_EQ(col.Item(QStringLiteral("002")), y);
    EXPECT_NE(errorOf([&] { col.Item(3); }), 0);
    EXPECT_NE(errorOf([&] { col.Item(QStringLiteral("009")); }), 0);
    auto w = col.Add(item(QStringLiteral("003")), QStringLiteral("003"));
    col.Remove(QStringLiteral("001"));
    EXPECT_EQ(col.Item(QStringLiteral("003")), w) << "keys follow the items after a removal";
    col.Remove(1);
    ASSERT_EQ(col.Count(), 1);
    EXPECT_EQ(col.Item(1), w);
    std::vector<CPermissao *> ordem;
    for (const auto &i : col) ordem.push_back(i.get());
    EXPECT_EQ(ordem, std::vector<CPermissao *>{w.get()});
}

TEST(PermissionModel, PlainItemTreeGivesTheSelectedCodes) {
    Arvore t;
    t.b->setSelecionada(true);
    t.d->setSelecionada(true);
    t.c->setInativa(true);
    QString lista;
    long n = 0;
    db::MontaStringDeCodigosDeObjSelecionados(*t.raiz, lista, n);
    EXPECT_EQ(lista, QStringLiteral("'001.001','002',"));
    EXPECT_EQ(n, 2);
}

} // namespace
