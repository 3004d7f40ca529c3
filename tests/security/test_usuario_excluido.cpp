// A user another copy of the program deleted while this copy shows him: in
// the permission editors, the user dialog and the user list every write says
// he no longer exists, writes nothing, and the window stops showing him.
#include "SegurancaComJanelas.h"
#include "core/permissoes/CarregarPermissoes.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Workspace.h"
#include "platform/ui/MessageBox.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/UpperLineEdit.h"
#include "security/frmDetUsuario.h"
#include "security/frmPermissoes.h"
#include "security/frmUsuarios.h"
#include "support/Oracle.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

using core::permissoes::CPermissao;
using security::frmDetUsuario;
using security::frmPermissoes;
using security::frmUsuarios;
using testsupport::Script;

namespace {

const QString kNaoExisteMais = QStringLiteral("O usuário selecionado não existe mais.");

class DeletedByAnotherCopy : public testsupport::SegurancaComJanelas {
protected:
    void SetUp() override {
        SegurancaComJanelas::SetUp();
        outra = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), ws);
        // BIA's rows stay whatever happens to ANA.
        permissao(bia, 1, idConta(QStringLiteral("001")), 3);
    }
    void TearDown() override {
        outra.reset();
        SegurancaComJanelas::TearDown();
    }
    // Copy A deletes the user; the cascade takes his permission rows.
    void excluirNaOutraCopia(long id) {
        outra->Execute(QStringLiteral("DELETE FROM Usuarios WHERE Id = %1").arg(id), dao::dbFailOnError);
        ASSERT_EQ(outra->RecordsAffected(), 1);
    }
    long linhasDePermissao() { return valor(QStringLiteral("SELECT Count(*) FROM PermissoesDeUsuarios")); }
    bool existe(long id) { return valor(QStringLiteral("SELECT Count(*) FROM Usuarios WHERE Id = %1").arg(id)) == 1; }
    static void foco(QWidget *w) {
        QFocusEvent e(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(w, &e);
    }
    void preencherEdicao(frmDetUsuario &d, long id) {
        auto rs = db->OpenRecordset(QStringLiteral("SELECT * FROM Usuarios WHERE Id = %1").arg(id), dao::dbOpenSnapshot);
        d.DesUsuario = rs->Field(QStringLiteral("DesUsuario")).toString();
        d.IdUsuario = id;
        d.IdLogin = rs->Field(QStringLiteral("IdLogin")).toString();
        d.SenhaAnterior = rs->Field(QStringLiteral("Senha")).toString();
        d.Tipo = long(rs->Field(QStringLiteral("Tipo")).toInt());
    }
    std::unique_ptr<frmDetUsuario> edicao(long id) {
        auto f = std::make_unique<frmDetUsuario>();
        f->Load();
        f->setMode(2);
        preencherEdicao(*f, id);
        f->Activate();
        return f;
    }

    dao::Workspace ws;
    std::unique_ptr<dao::Database> outra;
};

// Each way an editor opened on ANA writes (an insert, an update, a deletion
// of her rows; by a button or by the context menu): after A deleted her, the
// message, no error of the engine, nothing written, and the editor closes,
// since every value it could still give is one more write for nobody.
TEST_F(DeletedByAnotherCopy, EveryPermissionEditorWriteSaysTheUserIsGoneAndTheEditorCloses) {
    struct Caso {
        const char *nome;
        const char *item;  // the list item (under the root) or tree node acted on
        bool arvore;       // the tree focused (else the list)
        bool menu;         // through the context menu
        long valor;
    };
    const Caso casos[] = {
        {"a permission given (a new row)", "_002", false, false, 3},
        {"Ler dados on a row she has", "_001", false, false, 1},
        {"Sem Permissões on a row she has", "_001", false, false, 0},
        {"Ler dados on the tree's node", "_001", true, false, 1},
        {"the context menu on the tree's node", "_001", true, true, 1},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        const QString nome = QStringLiteral("EVA%1").arg(&c - casos);
        const long eva = usuario(nome, nome, 2);
        for (const QString &k : {QStringLiteral("001"), QStringLiteral("001.001"), QStringLiteral("001.001.001"),
                                 QStringLiteral("001.002")})
            permissao(eva, 1, idConta(k), 2);
        std::shared_ptr<CPermissao> raiz;
        ASSERT_EQ(core::permissoes::CarregarPermissoesEmContas(2, eva, raiz), QString());
        security::frmPermContas f;
        f.setIdUsuario(eva);
        f.setPermContas(raiz);
        f.setMode(2);
        f.Load();
        f.Activate();
        if (c.arvore) {
            f.tv->setSelectedItem(f.tv->Item(QString::fromLatin1(c.item)));
            f.tv->setFocus();
            foco(f.tv);
        } else {
            foco(f.lv);
            for (widgets::ListItem *i : f.lv->Items()) i->setSelected(i->Key() == QString::fromLatin1(c.item));
        }
        excluirNaOutraCopia(eva);
        const long antes = linhasDePermissao();
        Script s;
        s.ok();
        if (c.menu) f.mnuPopLer();
        else if (c.valor == 3) f.cmdTudo_Click();
        else if (c.valor == 1) f.cmdExtratos_Click();
        else f.cmdSemPerm_Click();
        EXPECT_EQ(s.shownTexts(), QStringList{kNaoExisteMais}) << s.shownTexts().join(QStringLiteral(" | ")).toStdString();
        EXPECT_TRUE(!s.shown().empty() && s.shown()[0].style == platform::ui::vbInformation);
        EXPECT_EQ(linhasDePermissao(), antes);
        EXPECT_EQ(contagem(eva), 0);
        EXPECT_FALSE(f.IsLoaded()) << "the editor closed";
        EXPECT_TRUE(f.UsuarioRemovido());
    }
    EXPECT_EQ(linhas(bia, 1).size(), 1u);
    EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
}

// The user dialog on ANA, A deleted her: "Alterar" and OK, an administrator
// made common (which would first ask for permissions), and either permission
// button. Each says so and closes the dialog; nothing comes back into the
// file. From the user list, the list then no longer shows her.
TEST_F(DeletedByAnotherCopy, TheUserDialogSaysTheUserIsGoneAndCloses) {
    usuario(QStringLiteral("OUTRO ADM"), QStringLiteral("ADM2"), 1);
    long eva = usuario(QStringLiteral("EVA"), QStringLiteral("EVA"), 1);
    struct Caso {
        const char *nome;
        long &quem;
        std::function<void(frmDetUsuario &)> fazer;
    };
    const Caso casos[] = {
        {"OK on an administrator's new name", eva,
         [](frmDetUsuario &d) {
             d.txtNome->setText(QStringLiteral("EVA MARIA"));
             d.cmdOK_Click();
         }},
        {"OK on a common user's new password", ana,
         [](frmDetUsuario &d) {
             d.txtSenhaAnt->setText(QStringLiteral("SENHA"));
             d.txtSenha[0]->setText(QStringLiteral("NOVA"));
             d.txtSenha[1]->setText(QStringLiteral("NOVA"));
             d.cmdOK_Click();
         }},
        {"OK on an administrator made common", eva,
         [](frmDetUsuario &d) {
             d.cbTipo->setCurrentIndex(1);
             d.cmdOK_Click();
         }},
        {"Permissões em Contas", ana, [](frmDetUsuario &d) { d.cmdPermContas_Click(); }},
        {"Permissões em Receitas e Despesas", ana, [](frmDetUsuario &d) { d.cmdPermMov_Click(); }},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        auto d = edicao(c.quem);
        excluirNaOutraCopia(c.quem);
        Script s;
        s.ok();
        c.fazer(*d);
        EXPECT_EQ(s.shownTexts(), QStringList{kNaoExisteMais}) << s.shownTexts().join(QStringLiteral(" | ")).toStdString();
        EXPECT_FALSE(d->IsLoaded());
        EXPECT_TRUE(d->UsuarioRemovido);
        EXPECT_TRUE(d->Cancelado) << "nothing was saved";
        EXPECT_FALSE(existe(c.quem));
        EXPECT_EQ(contagem(c.quem), 0);
        // Made again for the next case, under another Id.
        if (c.quem == ana) ana = usuario(QStringLiteral("ANA"), QStringLiteral("ANA"), 2);
        else eva = usuario(QStringLiteral("EVA"), QStringLiteral("EVA"), 1);
    }
    EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
}

class DeletedUserInTheList : public DeletedByAnotherCopy {
protected:
    void SetUp() override {
        DeletedByAnotherCopy::SetUp();
        janelaPrincipal = std::make_unique<QWidget>();
        auto *menu = new QAction(janelaPrincipal.get());
        menu->setObjectName(QStringLiteral("mnuSegContas"));
    }
    void TearDown() override {
        janelaPrincipal.reset();
        DeletedByAnotherCopy::TearDown();
    }
    std::unique_ptr<frmUsuarios> abrir(int lista, const QString &nome) {
        auto f = std::make_unique<frmUsuarios>();
        f->Load();
        f->opUsuarios[lista]->setChecked(true);
        dao::Recordset &rs = *f->dtUsu[lista]->Recordset();
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            if (rs.Field(QStringLiteral("DesUsuario")).toString() == nome) {
                f->DBGrid1[lista]->SelBookmarks().Add(rs.GetBookmark());
                f->DBGrid1_SelChange(lista);
                return f;
            }
        ADD_FAILURE() << "no row " << nome.toStdString();
        return f;
    }
    static QStringList nomes(frmUsuarios &f, int lista) {
        QStringList out;
        dao::Recordset &rs = *f.dtUsu[lista]->Recordset();
        if (rs.RecordCount() == 0) return out;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out << rs.Field(QStringLiteral("DesUsuario")).toString();
        return out;
    }
    std::unique_ptr<QWidget> janelaPrincipal;
};

// Every command of the list on a row A deleted meanwhile: the message,
// nothing written, and the list reloaded without her.
TEST_F(DeletedUserInTheList, EveryCommandOnAUserAnotherCopyDeletedSaysSoAndReloads) {
    struct Caso {
        const char *nome;
        int lista;
        bool pergunta;
        std::function<void(frmUsuarios &)> fazer;
    };
    const Caso casos[] = {
        {"Desativar", 0, true, [](frmUsuarios &f) { f.cmdDesativar_Click(); }},
        {"Ativar", 1, false, [](frmUsuarios &f) { f.cmdDesativar_Click(); }},
        {"Excluir", 0, true, [](frmUsuarios &f) { f.cmdExcluir_Click(); }},
        {"Excluir an inactive one", 1, true, [](frmUsuarios &f) { f.cmdExcluir_Click(); }},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        const long zeca = usuario(QStringLiteral("ZECA"), QStringLiteral("ZECA"), 2, c.lista == 1);
        auto f = abrir(c.lista, QStringLiteral("ZECA"));
        excluirNaOutraCopia(zeca);
        Script s;
        if (c.pergunta) s.yes();
        s.ok();
        c.fazer(*f);
        ASSERT_FALSE(s.shownTexts().isEmpty());
        EXPECT_EQ(s.shownTexts().back(), kNaoExisteMais) << s.shownTexts().join(QStringLiteral(" | ")).toStdString();
        EXPECT_EQ(s.shown().back().style, platform::ui::vbInformation);
        EXPECT_FALSE(existe(zeca));
        EXPECT_FALSE(nomes(*f, c.lista).contains(QStringLiteral("ZECA"))) << "the list reloaded";
        EXPECT_FALSE(f->cmdAlterar->isEnabled()) << "no row is selected any more";
    }
}

// "Alterar" from the list, and a permission given in the editor the dialog
// opened: the editor and the dialog close, the list reloads without her.
TEST_F(DeletedUserInTheList, APermissionGivenFromTheListClosesEditorAndDialogAndReloadsTheList) {
    auto f = abrir(0, QStringLiteral("ANA"));
    Script s;
    s.act([&](QWidget &w) {
        auto &d = static_cast<frmDetUsuario &>(w);
        d.Activate();
        d.cmdPermContas_Click();
    });
    s.act([&](QWidget &w) {
        auto &e = static_cast<frmPermissoes &>(w);
        e.Activate();
        foco(e.lv);
        for (widgets::ListItem *i : e.lv->Items()) i->setSelected(i->Key() == QStringLiteral("_001"));
        excluirNaOutraCopia(ana);
        e.cmdTudo_Click();
    });
    s.ok();
    f->cmdAlterar_Click();
    EXPECT_EQ(s.shownTexts().filter(QStringLiteral(" ")), QStringList{kNaoExisteMais})
        << "besides the two windows: " << s.shownTexts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(contagem(ana), 0);
    EXPECT_FALSE(nomes(*f, 0).contains(QStringLiteral("ANA")));
    EXPECT_TRUE(nomes(*f, 0).contains(QStringLiteral("BIA")));
}

} // namespace
