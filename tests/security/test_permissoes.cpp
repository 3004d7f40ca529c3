// The permission editors, driven as a user would: which view the buttons act
// on, what mode 1 and mode 2 write, a refusal in the middle of a list, the
// context menu, the double click and reopening the same tree.
#include "core/permissoes/CarregarPermissoes.h"
#include "SegurancaComJanelas.h"
#include "platform/ui/MessageBox.h"
#include "security/frmPermissoes.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QMenu>
#include <QMouseEvent>
#include <sqlite3.h>

using core::permissoes::CPermissao;
using testsupport::Script;

namespace {

class Editors : public testsupport::SegurancaComJanelas {
protected:
    void SetUp() override {
        SegurancaComJanelas::SetUp();
        conta(QStringLiteral("001.003"), QStringLiteral("POUPANCA"));
    }
    std::shared_ptr<CPermissao> arvore(long mode, long usu) {
        std::shared_ptr<CPermissao> t;
        EXPECT_EQ(core::permissoes::CarregarPermissoesEmContas(mode, usu, t), QString());
        return t;
    }
    std::unique_ptr<security::frmPermContas> abrir(const std::shared_ptr<CPermissao> &raiz, long mode) {
        auto f = std::make_unique<security::frmPermContas>();
        f->setIdUsuario(ana);
        f->setPermContas(raiz);
        f->setMode(mode);
        f->Load();
        f->Activate();
        return f;
    }
    static void foco(QWidget *w) {
        QFocusEvent e(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(w, &e);
    }
    static void clicar(QWidget *w, Qt::MouseButton b, QPoint p, QEvent::Type t = QEvent::MouseButtonPress) {
        QMouseEvent e(t, QPointF(p), w->mapToGlobal(QPointF(p)), b, b, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static QPoint centroDo(widgets::TreeView *tv, const QString &chave) {
        return tv->visualItemRect(tv->Item(chave)->item()).center();
    }
    static QStringList chaves(const widgets::ListView *lv) {
        QStringList out;
        for (const widgets::ListItem *i : lv->Items()) out << i->Key();
        return out;
    }
    // Selects, in the list, the items with these keys (and no other).
    static void selecionar(widgets::ListView *lv, const QStringList &ks) {
        for (widgets::ListItem *i : lv->Items()) i->setSelected(ks.contains(i->Key()));
    }
    static long valorDe(const std::shared_ptr<CPermissao> &raiz, const QString &codigo) {
        CPermissao *i = raiz.get();
        QString feito;
        for (const QString &g : codigo.split(QLatin1Char('.'))) {
            feito += (feito.isEmpty() ? QString() : QStringLiteral(".")) + g;
            i = i->SubItens().Item(feito).get();
        }
        return i->Permissoes();
    }
};

TEST_F(Editors, FirstActivationShowsTheWholeTreeAndTheRootsChildren) {
    auto raiz = arvore(1, 0);
    auto f = abrir(raiz, 1);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Permissões em Contas"));
    EXPECT_EQ(f->tv->Count(), 7);
    EXPECT_EQ(f->tv->Item(QStringLiteral("_000"))->Image(), QStringLiteral("IMG_CONTA"));
    EXPECT_EQ(chaves(f->lv), (QStringList{QStringLiteral("_001"), QStringLiteral("_002")}));
    EXPECT_EQ(f->lv->Item(1)->SmallIcon(), QStringLiteral("IMG_SEMPERM"));
    f->Activate();
    EXPECT_EQ(f->tv->Count(), 7) << "later activations load nothing";
    security::frmPermMov mov;
    auto tipos = std::shared_ptr<CPermissao>();
    EXPECT_EQ(core::permissoes::CarregarPermissoesEmMovimentacoes(1, 0, tipos), QString());
    mov.setPermRecDesp(tipos);
    mov.Load();
    mov.Activate();
    EXPECT_EQ(mov.windowTitle(), QStringLiteral("Permissões em Receitas / Despesas"));
    EXPECT_EQ(mov.tv->Item(QStringLiteral("_000"))->Image(), QStringLiteral("IMG_RECDESP"));
    EXPECT_TRUE(mov.tv->Item(QStringLiteral("_001"))) << "the transfer type is offered";
}

TEST_F(Editors, ButtonsActOnTheViewFocusedLast) {
    auto raiz = arvore(1, 0);
    auto f = abrir(raiz, 1);
    f->cmdTudo_Click();
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001")), 0) << "nothing before a view had the focus";
    foco(f->tv);
    f->cmdTudo_Click();
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001")), 0) << "the root selected: nothing";
    EXPECT_FALSE(f->tv->HideSelection());
    EXPECT_TRUE(f->lv->HideSelection());
    foco(f->lv);
    selecionar(f->lv, {QStringLiteral("_001")});
    f->cmdTudo_Click();
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.001.001")), 3);
    EXPECT_EQ(f->lv->Item(QStringLiteral("_001"))->SmallIcon(), QStringLiteral("IMG_PERMTUDO"));
    for (const QString &k : {QStringLiteral("_001"), QStringLiteral("_001.001"), QStringLiteral("_001.001.001")})
        EXPECT_EQ(f->tv->Item(k)->Image(), QStringLiteral("IMG_PERMTUDO")) << k.toStdString();
    EXPECT_TRUE(f->tv->HideSelection());
    f->tv->setSelectedItem(f->tv->Item(QStringLiteral("_001")));
    foco(f->tv);
    f->cmdExtratos_Click();
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.002")), 1);
    EXPECT_EQ(f->lv->Item(QStringLiteral("_001.002"))->SmallIcon(), QStringLiteral("IMG_PERMEXTRATOS"))
        << "the list shows the node's children again";
    EXPECT_EQ(contagem(ana), 0) << "mode 1 writes nothing";
}

TEST_F(Editors, ThreeListItemsWithTheSecondRefusedByTheFile) {
    for (const QString &c : {QStringLiteral("001"), QStringLiteral("001.001"), QStringLiteral("001.001.001"),
                             QStringLiteral("001.002"), QStringLiteral("001.003")})
        permissao(ana, 1, idConta(c), 2);
    auto raiz = arvore(2, ana);
    auto f = abrir(raiz, 2);
    f->tv->setSelectedItem(f->tv->Item(QStringLiteral("_001")));
    f->ShowNodeChildren(f->tv->Item(QStringLiteral("_001")));
    ASSERT_EQ(chaves(f->lv), (QStringList{QStringLiteral("_001.002"), QStringLiteral("_001.001"), QStringLiteral("_001.003")}));
    foco(f->lv);
    selecionar(f->lv, chaves(f->lv));
    // The engine refuses to delete the second item's rows (a full disk, say).
    const QByteArray sql = QStringLiteral("CREATE TRIGGER recusa BEFORE DELETE ON PermissoesDeUsuarios WHEN "
                                          "OLD.IdObjeto = %1 BEGIN SELECT RAISE(ABORT, 'disco cheio'); END")
                               .arg(idConta(QStringLiteral("001.001")))
                               .toUtf8();
    ASSERT_EQ(sqlite3_exec(db->handle(), sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    Script s;
    s.ok(); // the central error report
    f->cmdSemPerm_Click();
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.002")), 0);
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.001")), 2);
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.001.001")), 2);
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.003")), 2);
    EXPECT_EQ(f->lv->Item(QStringLiteral("_001.002"))->SmallIcon(), QStringLiteral("IMG_SEMPERM"));
    EXPECT_EQ(f->lv->Item(QStringLiteral("_001.001"))->SmallIcon(), QStringLiteral("IMG_PERMLANCAMENTOS"));
    EXPECT_EQ(f->tv->Item(QStringLiteral("_001.001.001"))->Image(), QStringLiteral("IMG_PERMLANCAMENTOS"));
    EXPECT_EQ(f->lv->Item(QStringLiteral("_001.003"))->SmallIcon(), QStringLiteral("IMG_PERMLANCAMENTOS"));
    const auto l = linhas(ana, 1);
    EXPECT_EQ(l.count(QStringLiteral("001.002")), 0u) << "the first one is saved";
    EXPECT_EQ(l.count(QStringLiteral("001.001")), 1u);
    EXPECT_EQ(l.count(QStringLiteral("001.003")), 1u);
    // The refused item is as the file is: giving it 0 again writes it.
    sqlite3_exec(db->handle(), "DROP TRIGGER recusa", nullptr, nullptr, nullptr);
    selecionar(f->lv, {QStringLiteral("_001.001")});
    f->cmdSemPerm_Click();
    EXPECT_EQ(linhas(ana, 1).count(QStringLiteral("001.001.001")), 0u);
}

TEST_F(Editors, RefusedValueStopsAtTheFirstItemTheRuleRefuses) {
    auto raiz = arvore(1, 0);
    auto f = abrir(raiz, 1);
    f->tv->setSelectedItem(f->tv->Item(QStringLiteral("_001")));
    foco(f->tv);
    f->cmdLancamentos_Click();
    f->ShowNodeChildren(f->tv->Item(QStringLiteral("_001")));
    foco(f->lv);
    selecionar(f->lv, chaves(f->lv));
    Script s;
    s.ok();
    f->cmdTudo_Click();
    EXPECT_EQ(s.shownTexts(), QStringList{core::permissoes::kMsgPermissaoIncompativel + QStringLiteral("APLICACAO'.")});
    EXPECT_EQ(s.shown()[0].style, platform::ui::vbInformation);
    for (const QString &c : {QStringLiteral("001.001"), QStringLiteral("001.002"), QStringLiteral("001.003")})
        EXPECT_EQ(valorDe(raiz, c), 2) << c.toStdString();
    EXPECT_EQ(f->lv->Item(QStringLiteral("_001.002"))->SmallIcon(), QStringLiteral("IMG_PERMLANCAMENTOS"));
}

TEST_F(Editors, ModeTwoSavesEachChangeBeforeItsPictures) {
    auto raiz = arvore(2, ana);
    auto f = abrir(raiz, 2);
    foco(f->lv);
    selecionar(f->lv, {QStringLiteral("_001")});
    f->cmdLancamentos_Click();
    EXPECT_EQ(linhas(ana, 1).size(), 5u);
    // A save that fails leaves item, pictures and file as they were.
    db->Execute(QStringLiteral("DELETE FROM PermissoesDeUsuarios"));
    Script s;
    s.ok();
    f->cmdExtratos_Click();
    ASSERT_EQ(s.shownTexts().size(), 1);
    EXPECT_TRUE(s.shownTexts()[0].contains(QStringLiteral("Falha na atualização de permissão")));
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001")), 2);
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.001")), 2);
    EXPECT_EQ(f->lv->Item(QStringLiteral("_001"))->SmallIcon(), QStringLiteral("IMG_PERMLANCAMENTOS"));
    EXPECT_EQ(f->tv->Item(QStringLiteral("_001.001"))->Image(), QStringLiteral("IMG_PERMLANCAMENTOS"));
    EXPECT_EQ(contagem(ana), 0);
}

TEST_F(Editors, ContextMenuOnTheTreeAndTheList) {
    auto raiz = arvore(1, 0);
    auto f = abrir(raiz, 1);
    f->show();
    QMenu *menu = f->MenuDeContexto();
    clicar(f->tv->viewport(), Qt::RightButton, centroDo(f->tv, QStringLiteral("_000")));
    EXPECT_FALSE(menu->isVisible()) << "no menu over the root";
    clicar(f->tv->viewport(), Qt::RightButton, QPoint(5, f->tv->viewport()->height() - 3));
    EXPECT_FALSE(menu->isVisible()) << "no menu over empty space";
    clicar(f->tv->viewport(), Qt::RightButton, centroDo(f->tv, QStringLiteral("_001")));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(f->tv->SelectedItem(), f->tv->Item(QStringLiteral("_001")));
    EXPECT_EQ(chaves(f->lv).size(), 3);
    menu->hide();
    // The window active again after the menu, the tree focused: the entry acts on the tree.
    QApplication::setActiveWindow(f.get());
    f->tv->setFocus();
    ASSERT_EQ(f->focusWidget(), f->tv);
    menu->findChild<QAction *>(QStringLiteral("mnuPop2Gravar"))->trigger();
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.001.001")), 2);
    EXPECT_EQ(f->tv->Item(QStringLiteral("_001.003"))->Image(), QStringLiteral("IMG_PERMLANCAMENTOS"));
    f->lv->setFocus();
    const QPoint p = f->lv->visualItemRect(f->lv->Item(QStringLiteral("_001.003"))->item()).center();
    clicar(f->lv->viewport(), Qt::RightButton, p);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(f->lv->Item(QStringLiteral("_001.003"))->Selected());
    menu->hide();
    f->lv->setFocus();
    foco(f->lv); // the window active again after the menu
    selecionar(f->lv, {QStringLiteral("_001.003")});
    ASSERT_EQ(f->focusWidget(), f->lv);
    menu->findChild<QAction *>(QStringLiteral("mnuPop2Sem"))->trigger();
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.003")), 0);
    EXPECT_EQ(valorDe(raiz, QStringLiteral("001.002")), 2);
}

TEST_F(Editors, DoubleClickOpensTheItemsNodeAndReopeningKeepsTheValues) {
    auto raiz = arvore(1, 0);
    {
        auto f = abrir(raiz, 1);
        f->show();
        f->ShowNodeChildren(f->tv->Item(QStringLiteral("_001")));
        const QPoint p = f->lv->visualItemRect(f->lv->Item(QStringLiteral("_001.001"))->item()).center();
        // The pointer over the item (the handler reads where it is), then the
        // double click itself as the list receives it.
        QCursor::setPos(f->lv->viewport()->mapToGlobal(p));
        ASSERT_EQ(f->lv->viewport()->mapFromGlobal(QCursor::pos()), p);
        clicar(f->lv->viewport(), Qt::LeftButton, p, QEvent::MouseButtonDblClick);
        EXPECT_EQ(f->tv->SelectedItem(), f->tv->Item(QStringLiteral("_001.001")));
        EXPECT_TRUE(f->tv->Item(QStringLiteral("_001.001"))->Expanded());
        EXPECT_EQ(chaves(f->lv), QStringList{QStringLiteral("_001.001.001")});
        f->tv->setSelectedItem(f->tv->Item(QStringLiteral("_001")));
        foco(f->tv);
        f->cmdExtratos_Click();
    }
    auto g = abrir(raiz, 1);
    EXPECT_EQ(g->tv->Item(QStringLiteral("_001.001.001"))->Image(), QStringLiteral("IMG_PERMEXTRATOS"));
    EXPECT_EQ(g->tv->Item(QStringLiteral("_002"))->Image(), QStringLiteral("IMG_SEMPERM"));
}

} // namespace
