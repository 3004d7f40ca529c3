// Loading a user's two trees and writing them back: which rows each state
// writes, that a write touches only its user's rows of the subtree, and that
// a failed write leaves the tree as the file is.
#include "core/permissoes/ArvoreDePermissoes.h"
#include "core/permissoes/CarregarPermissoes.h"
#include "core/permissoes/Usuarios.h"
#include "db/CDaoTrans.h"
#include "support/ErrorOf.h"
#include "SegurancaFixture.h"

#include <sqlite3.h>

using core::permissoes::CPermissao;
using core::permissoes::Gravacao;
using testsupport::errorOf;

namespace {

using Linhas = std::map<QString, long>;

class Persistence : public testsupport::SegurancaFixture {
protected:
    std::shared_ptr<CPermissao> contas(long mode, long usu) {
        std::shared_ptr<CPermissao> t;
        EXPECT_EQ(core::permissoes::CarregarPermissoesEmContas(mode, usu, t), QString());
        return t;
    }
    std::shared_ptr<CPermissao> tipos(long mode, long usu) {
        std::shared_ptr<CPermissao> t;
        EXPECT_EQ(core::permissoes::CarregarPermissoesEmMovimentacoes(mode, usu, t), QString());
        return t;
    }
    static CPermissao &em(const std::shared_ptr<CPermissao> &raiz, const QString &codigo) {
        CPermissao *i = raiz.get();
        QString feito;
        for (const QString &g : codigo.split(QLatin1Char('.'))) {
            feito += (feito.isEmpty() ? QString() : QStringLiteral(".")) + g;
            i = i->SubItens().Item(feito).get();
        }
        return *i;
    }
    // A trigger that makes the engine refuse one chart item's row.
    void recusarLinhaDe(long idObjeto) {
        const QByteArray sql = QStringLiteral("CREATE TRIGGER recusa BEFORE INSERT ON PermissoesDeUsuarios WHEN NEW.IdObjeto = %1 "
                                              "AND NEW.TipoObjeto = 1 BEGIN SELECT RAISE(ABORT, 'disco cheio'); END")
                                   .arg(idObjeto)
                                   .toUtf8();
        ASSERT_EQ(sqlite3_exec(db->handle(), sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
};

TEST_F(Persistence, NewUserTreesHoldEveryItemWithoutRows) {
    auto c = contas(1, 0);
    EXPECT_EQ(c->CodObjeto(), QStringLiteral("000"));
    EXPECT_EQ(c->DesObjeto(), QStringLiteral("TODAS AS PERMISSÕES"));
    EXPECT_EQ(c->Permissoes(), 3);
    EXPECT_TRUE(c->IsNew());
    EXPECT_EQ(c->SubItens().Count(), 2);
    CPermissao &cheques = em(c, QStringLiteral("001.001.001"));
    EXPECT_TRUE(cheques.IsNew());
    EXPECT_EQ(cheques.Permissoes(), 0);
    EXPECT_EQ(cheques.IdObjeto(), idConta(QStringLiteral("001.001.001")));
    EXPECT_EQ(cheques.TipoObjeto(), 1);
    EXPECT_TRUE(em(c, QStringLiteral("002")).Inativa());
    auto t = tipos(1, 0);
    QStringList primeiros;
    for (const auto &i : t->SubItens()) primeiros << i->CodObjeto();
    EXPECT_EQ(primeiros, (QStringList{QStringLiteral("001"), QStringLiteral("002"), QStringLiteral("003")}))
        << "the system types are in the tree";
    EXPECT_EQ(em(t, QStringLiteral("003.001")).TipoObjeto(), 2);
}

TEST_F(Persistence, ExistingUserLoadsStoredValuesClean) {
    permissao(ana, 1, idConta(QStringLiteral("001")), 2);
    permissao(ana, 1, idConta(QStringLiteral("001.001")), 2);
    permissao(bia, 1, idConta(QStringLiteral("001.002")), 3);
    auto c = contas(2, ana);
    CPermissao &banco = em(c, QStringLiteral("001"));
    EXPECT_EQ(banco.Permissoes(), 2);
    EXPECT_FALSE(banco.IsNew() || banco.IsDirty() || banco.IsDeleted());
    EXPECT_NE(banco.id(), 0);
    CPermissao &aplic = em(c, QStringLiteral("001.002"));
    EXPECT_TRUE(aplic.IsNew()) << "another user's row is not this user's";
    EXPECT_EQ(aplic.Permissoes(), 0);
}

TEST_F(Persistence, ChartWithOnlyItsRootGivesAnEmptyTree) {
    db->Execute(QStringLiteral("DELETE FROM Contas WHERE Codigo <> '000'"));
    auto c = contas(2, ana);
    EXPECT_EQ(c->SubItens().Count(), 0);
}

TEST_F(Persistence, StoredValueTheParentRefusesStopsTheLoadKeepingThePartialTree) {
    permissao(ana, 1, idConta(QStringLiteral("001")), 1);
    permissao(ana, 1, idConta(QStringLiteral("001.001")), 2);
    std::shared_ptr<CPermissao> c;
    QString recusa;
    EXPECT_EQ(errorOf([&] { recusa = core::permissoes::CarregarPermissoesEmContas(2, ana, c); }), 0);
    EXPECT_EQ(recusa, core::permissoes::kMsgPermissaoIncompativel + QStringLiteral("CORRENTE'."));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->SubItens().Count(), 1);
    EXPECT_EQ(em(c, QStringLiteral("001.001")).Permissoes(), 0) << "the refused value is not taken";
    EXPECT_EQ(em(c, QStringLiteral("001")).SubItens().Count(), 1) << "nothing after it is read";
}

TEST_F(Persistence, NewTreeInsertsEveryItemWithAValueAndTheRoot) {
    auto c = contas(1, 0);
    EXPECT_EQ(em(c, QStringLiteral("001")).setPermissoes(2), QString());
    EXPECT_EQ(em(c, QStringLiteral("001.002")).setPermissoes(0), QString());
    EXPECT_EQ(c->Persist(ana, false), Gravacao::Feita);
    EXPECT_EQ(linhas(ana, 1), (Linhas{{QStringLiteral("000"), 3},
                                      {QStringLiteral("001"), 2},
                                      {QStringLiteral("001.001"), 2},
                                      {QStringLiteral("001.001.001"), 2}}));
    CPermissao &corrente = em(c, QStringLiteral("001.001"));
    EXPECT_FALSE(corrente.IsNew());
    EXPECT_EQ(corrente.IdUsuario(), ana);
    EXPECT_EQ(corrente.id(), valor(QStringLiteral("SELECT Id FROM PermissoesDeUsuarios WHERE IdUsuario = %1 AND IdObjeto = %2")
                                       .arg(ana)
                                       .arg(idConta(QStringLiteral("001.001")))));
    EXPECT_TRUE(em(c, QStringLiteral("001.002")).IsNew());
}

TEST_F(Persistence, InsertOfAnItemWithARowAndOfAZeroValue) {
    auto c = contas(1, 0);
    CPermissao &banco = em(c, QStringLiteral("001"));
    banco.setIdUsuario(ana);
    em(c, QStringLiteral("001.001")).setIsNew(false); // would fail if visited
    banco.ObjectInsert(false);
    EXPECT_EQ(contagem(ana), 0) << "value 0: no row, sub-items not visited";
    banco.setIsNew(false);
    try {
        banco.ObjectInsert(false);
        ADD_FAILURE() << "an item with a row was inserted again";
    } catch (const err::AppError &e) {
        EXPECT_EQ(e.number(), err::kErrGeneric);
        EXPECT_EQ(e.description(), QStringLiteral("Tentando incluir permissão com código já existente."));
    }
}

TEST_F(Persistence, UpdateAndDeleteTouchOnlyThatUsersRowsOfTheSubtree) {
    for (long u : {ana, bia})
        for (const QString &cod : {QStringLiteral("001"), QStringLiteral("001.001"), QStringLiteral("001.001.001"),
                                   QStringLiteral("001.002"), QStringLiteral("002")})
            permissao(u, 1, idConta(cod), 3);
    const Linhas antesBia = linhas(bia, 1);
    auto c = contas(2, ana);
    EXPECT_EQ(core::permissoes::AtribuirPermissao(em(c, QStringLiteral("001.001")), 2, 1).mensagem, QString());
    EXPECT_EQ(linhas(ana, 1), (Linhas{{QStringLiteral("001"), 3},
                                      {QStringLiteral("001.001"), 1},
                                      {QStringLiteral("001.001.001"), 1},
                                      {QStringLiteral("001.002"), 3},
                                      {QStringLiteral("002"), 3}}));
    EXPECT_EQ(core::permissoes::AtribuirPermissao(em(c, QStringLiteral("001")), 2, 0).mensagem, QString());
    EXPECT_EQ(linhas(ana, 1), (Linhas{{QStringLiteral("002"), 3}}));
    for (const QString &cod : {QStringLiteral("001"), QStringLiteral("001.001"), QStringLiteral("001.001.001")}) {
        EXPECT_TRUE(em(c, cod).IsNew()) << cod.toStdString();
        EXPECT_EQ(em(c, cod).id(), 0);
    }
    EXPECT_EQ(linhas(bia, 1), antesBia);
}

TEST_F(Persistence, ZeroThenAValueGivesANewRowOnlyWithASaveBetween) {
    permissao(ana, 1, idConta(QStringLiteral("001")), 3);
    auto c = contas(2, ana);
    CPermissao &banco = em(c, QStringLiteral("001"));
    const long antes = banco.id();
    EXPECT_EQ(banco.setPermissoes(0), QString());
    EXPECT_EQ(banco.setPermissoes(2), QString());
    EXPECT_EQ(banco.Persist(), Gravacao::Feita);
    EXPECT_EQ(banco.id(), antes) << "without a save between, the last value wins as an update";
    EXPECT_EQ(linhas(ana, 1)[QStringLiteral("001")], 2);
    EXPECT_EQ(core::permissoes::AtribuirPermissao(banco, 2, 0).mensagem, QString());
    EXPECT_EQ(core::permissoes::AtribuirPermissao(banco, 2, 2).mensagem, QString());
    EXPECT_NE(banco.id(), 0);
    EXPECT_NE(banco.id(), antes);
    EXPECT_EQ(linhas(ana, 1)[QStringLiteral("001")], 2);
}

TEST_F(Persistence, ADescendantsOwnValueIsNotOverwrittenByItsAncestor) {
    for (const QString &cod : {QStringLiteral("001"), QStringLiteral("001.001"), QStringLiteral("001.001.001"),
                               QStringLiteral("001.002")})
        permissao(ana, 1, idConta(cod), 2);
    auto c = contas(2, ana);
    EXPECT_EQ(em(c, QStringLiteral("001")).setPermissoes(3), QString());
    EXPECT_EQ(em(c, QStringLiteral("001.001")).setPermissoes(1), QString());
    EXPECT_EQ(em(c, QStringLiteral("001")).Persist(), Gravacao::Feita);
    EXPECT_EQ(linhas(ana, 1), (Linhas{{QStringLiteral("001"), 3},
                                      {QStringLiteral("001.001"), 1},
                                      {QStringLiteral("001.001.001"), 1},
                                      {QStringLiteral("001.002"), 3}}));
    for (const QString &cod : {QStringLiteral("001"), QStringLiteral("001.001"), QStringLiteral("001.001.001")})
        EXPECT_FALSE(em(c, cod).IsDirty()) << cod.toStdString();
}

TEST_F(Persistence, AnItemWrittenMeanwhileByAnotherCopyIsNotInsertedTwice) {
    auto c = contas(2, ana);
    permissao(ana, 1, idConta(QStringLiteral("001.002")), 1); // the other copy
    try {
        (void)core::permissoes::AtribuirPermissao(em(c, QStringLiteral("001")), 2, 2);
        ADD_FAILURE() << "the second row went in";
    } catch (const err::AppError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("Falha na atribuição de permissão 'Fazer Lançamentos' para 'APLICACAO' ao usuário."));
    }
    EXPECT_EQ(linhas(ana, 1), (Linhas{{QStringLiteral("001.002"), 1}})) << "the whole write was rolled back";
    EXPECT_EQ(contagem(ana), 1);
    EXPECT_EQ(em(c, QStringLiteral("001")).Permissoes(), 0);
    EXPECT_TRUE(em(c, QStringLiteral("001")).IsNew());
    EXPECT_TRUE(em(c, QStringLiteral("001.001")).IsNew());
    EXPECT_EQ(em(c, QStringLiteral("001.001")).id(), 0);
}

TEST_F(Persistence, UpdateOfRowsGoneMeanwhileFailsWithNothingCommitted) {
    permissao(ana, 1, idConta(QStringLiteral("001")), 3);
    auto c = contas(2, ana);
    db->Execute(QStringLiteral("DELETE FROM PermissoesDeUsuarios WHERE IdUsuario = %1").arg(ana)); // the other copy
    try {
        (void)core::permissoes::AtribuirPermissao(em(c, QStringLiteral("001")), 2, 2);
        ADD_FAILURE() << "an update of no row succeeded";
    } catch (const err::AppError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("Falha na atualização de permissão 'Fazer Lançamentos' para 'BANCO' ao usuário."));
    }
    EXPECT_EQ(contagem(ana), 0) << "the sub-items' inserts of the same write were rolled back";
    CPermissao &banco = em(c, QStringLiteral("001"));
    EXPECT_EQ(banco.Permissoes(), 3);
    EXPECT_FALSE(banco.IsDirty());
    EXPECT_TRUE(em(c, QStringLiteral("001.001")).IsNew());
}

TEST_F(Persistence, FailedWriteInsideTheCallersTransactionRestoresWithTheSavedState) {
    auto t = tipos(1, 0);
    EXPECT_EQ(em(t, QStringLiteral("003")).setPermissoes(3), QString());
    auto c = contas(1, 0);
    EXPECT_EQ(em(c, QStringLiteral("001")).setPermissoes(3), QString());
    recusarLinhaDe(idConta(QStringLiteral("001.001.001")));
    const core::permissoes::EstadoDaArvore estadoT(*t), estadoC(*c);
    {
        db::CDaoTrans trans;
        trans.BegTrans();
        EXPECT_EQ(t->Persist(ana, false), Gravacao::Feita);
        EXPECT_NE(errorOf([&] { (void)c->Persist(ana, false); }), 0);
    }
    estadoT.Restaurar();
    estadoC.Restaurar();
    EXPECT_EQ(contagem(ana), 0);
    for (const auto &[raiz, cod] : {std::pair{t, QStringLiteral("003.001")}, std::pair{c, QStringLiteral("001.001")}}) {
        CPermissao &i = em(raiz, cod);
        EXPECT_TRUE(i.IsNew()) << cod.toStdString();
        EXPECT_EQ(i.id(), 0);
        EXPECT_EQ(i.Permissoes(), 3);
        EXPECT_TRUE(raiz->IsNew());
    }
    // Once the cause is gone the same trees write whole.
    sqlite3_exec(db->handle(), "DROP TRIGGER recusa", nullptr, nullptr, nullptr);
    db::CDaoTrans trans;
    trans.BegTrans();
    EXPECT_EQ(t->Persist(ana, false), Gravacao::Feita);
    EXPECT_EQ(c->Persist(ana, false), Gravacao::Feita);
    trans.ComTrans();
    EXPECT_EQ(linhas(ana, 2).size(), 3u);
    EXPECT_EQ(linhas(ana, 1).size(), 5u);
}

TEST_F(Persistence, CollectionPersistWritesEachItem) {
    auto c = contas(1, 0);
    EXPECT_EQ(em(c, QStringLiteral("001.001")).setPermissoes(0), QString());
    for (const auto &i : c->SubItens()) EXPECT_EQ(i->setPermissoes(1), QString());
    EXPECT_EQ(c->SubItens().Persist(bia), Gravacao::Feita);
    EXPECT_EQ(linhas(bia, 1), (Linhas{{QStringLiteral("001"), 1},
                                      {QStringLiteral("001.001"), 1},
                                      {QStringLiteral("001.001.001"), 1},
                                      {QStringLiteral("001.002"), 1},
                                      {QStringLiteral("002"), 1}}));
}

} // namespace

// Another copy of the program deleted the user, and his rows with him: each
// write of his tree (an insert, an update, a deletion) gives the message in
// place of the engine's refusal, writes nothing and leaves the item as it was.
TEST_F(Persistence, AWriteForAUserAnotherCopyDeletedWritesNothingAndSaysSo) {
    struct Caso {
        const char *nome, *codigo;
        long valor;
    };
    const Caso casos[] = {{"a new row", "002", 3}, {"an update", "001", 1}, {"a deletion", "001", 0}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        const long eva = usuario(QStringLiteral("EVA"), QStringLiteral("EVA"), 2);
        for (const QString &cod : {QStringLiteral("001"), QStringLiteral("001.001"), QStringLiteral("001.001.001"),
                                   QStringLiteral("001.002")})
            permissao(eva, 1, idConta(cod), 2);
        auto t = contas(2, eva);
        CPermissao &item = em(t, QString::fromLatin1(c.codigo));
        const long valorAntes = item.Permissoes(), idAntes = item.id();
        const bool novoAntes = item.IsNew();
        db->Execute(QStringLiteral("DELETE FROM Usuarios WHERE Id = %1").arg(eva), dao::dbFailOnError); // the other copy
        core::permissoes::Atribuicao a;
        EXPECT_EQ(errorOf([&] { a = core::permissoes::AtribuirPermissao(item, 2, c.valor); }), 0);
        EXPECT_TRUE(a.usuarioRemovido);
        EXPECT_EQ(a.mensagem, core::permissoes::kMsgUsuarioNaoExisteMais);
        EXPECT_EQ(item.Permissoes(), valorAntes);
        EXPECT_EQ(item.id(), idAntes);
        EXPECT_EQ(item.IsNew(), novoAntes);
        EXPECT_FALSE(item.IsDirty() || item.IsDeleted());
        EXPECT_EQ(contagem(eva), 0);
    }
    EXPECT_EQ(contagem(ana) + contagem(bia), 0);
}
