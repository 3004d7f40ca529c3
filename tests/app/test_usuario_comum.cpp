// A common user created by an administrator through the user dialog signs
// in, gets the main window of a user with full rights on some items, and
// sees in the posting window and the transfer dialog only the accounts and
// types his rows allow.
#include "app/Inicio.h"
#include "app/frmLogin.h"
#include "db/ConstruirBanco.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/settings/Settings.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/EditCombo.h"
#include "platform/widgets/ListView.h"
#include "postings/frmLancamentos.h"
#include "postings/frmTrans.h"
#include "security/frmDetUsuario.h"
#include "security/frmPermissoes.h"
#include "shell/MainForm.h"
#include "support/TempDir.h"
#include "ui/AppContext.h"
#include "ui/Sessao.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QMenu>
#include "platform/widgets/UpperLineEdit.h"

using testsupport::Script;

namespace {

// In an editor: the given value on the first-level items with these texts.
std::function<void(QWidget &)> dar(QStringList textos, void (security::frmPermissoes::*botao)()) {
    return [textos, botao](QWidget &w) {
        auto &e = static_cast<security::frmPermissoes &>(w);
        e.Activate();
        QFocusEvent foco(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(e.lv, &foco);
        for (widgets::ListItem *i : e.lv->Items()) i->setSelected(textos.contains(i->Text()));
        (e.*botao)();
        e.cmdFechar_Click();
    };
}

QStringList itens(const widgets::EditCombo *cb) {
    QStringList out;
    for (int i = 0; i < cb->ListCount(); ++i) out << cb->List(i);
    return out;
}

class CommonUser : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        settings::setStoreLocation(tmp.file(QStringLiteral("settings")));
        ui::gDB = nullptr;
        ui::gIdUsuario = ui::gTipoUsuario = ui::gTemDados = 0;
    }
    void TearDown() override {
        ui::Finalizar();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QFile::remove(ui::CaminhoBancoPadrao());
    }
    testsupport::TempDir tmp;
};

TEST_F(CommonUser, CreatedThroughTheDialogSignsInAndSeesOnlyHisItems) {
    const QString banco = tmp.file(QStringLiteral("livro.mdb"));
    {
        auto db = db::ConstruirBancoDeDados(banco);
        for (const char *sql :
             {"INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('BANCO', '001', '000')",
              "INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('CARTEIRA', '002', '000')",
              "INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('CAIXA', '003', '000')",
              "INSERT INTO Contas (DesConta, Codigo, CodPai) VALUES ('POUPANCA', '001.001', '001')",
              "INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai) VALUES ('SALARIO', '003', '000')",
              "INSERT INTO TiposMovimentacoes (DesMovimentacao, Codigo, CodPai) VALUES ('MERCADO', '004', '000')"})
            db->Execute(QString::fromUtf8(sql), dao::dbFailOnError);
        ui::gDB = db.get();
        ui::gTemDados = 3;
        ui::gIdUsuario = 1;
        ui::gTipoUsuario = 1;
        security::frmDetUsuario f;
        f.Load();
        f.setMode(1);
        f.Activate();
        f.txtNome->setText(QStringLiteral("CAIO"));
        f.txtIdLogin->setText(QStringLiteral("CAIO"));
        f.cbTipo->setCurrentIndex(1);
        f.txtSenha[0]->setText(QStringLiteral("SEGREDO"));
        f.txtSenha[1]->setText(QStringLiteral("SEGREDO"));
        Script s;
        s.act(dar({QStringLiteral("BANCO"), QStringLiteral("CAIXA")}, &security::frmPermissoes::cmdTudo_Click));
        f.cmdPermContas_Click();
        s.act(dar({QStringLiteral("SALARIO"), QStringLiteral("TRANSFERÊNCIAS ENTRE CONTAS")},
                  &security::frmPermissoes::cmdLancamentos_Click));
        f.cmdPermMov_Click();
        s.no();
        f.cmdOK_Click();
        EXPECT_FALSE(f.IsLoaded());
        ui::gDB = nullptr;
        db->Close();
    }
    settings::SaveSetting(QStringLiteral("Finoteca"), QStringLiteral("Settings"), QStringLiteral("DBPath"), banco);
    {
        Script s;
        s.act([](QWidget &w) {
            auto &login = dynamic_cast<app::frmLogin &>(w);
            login.txtUsuario->setText(QStringLiteral("caio"));
            login.txtSenha->setText(QStringLiteral("segredo"));
            login.cmdAplicar_Click();
        });
        ASSERT_TRUE(app::Main());
    }
    EXPECT_EQ(ui::gTipoUsuario, 2);
    auto *principal = qobject_cast<shell::MainForm *>(ui::MainForm.data());
    ASSERT_TRUE(principal);
    EXPECT_FALSE(principal->mnuCadastros->menuAction()->isVisible());
    EXPECT_FALSE(principal->mnuSeguranca->menuAction()->isVisible());
    EXPECT_TRUE(principal->mnuOperLancamentos->isEnabled());

    auto *lanc = new postings::frmLancamentos();
    lanc->setAttribute(Qt::WA_DeleteOnClose, false);
    lanc->Load();
    ASSERT_TRUE(lanc->IsLoaded());
    lanc->Activate();
    EXPECT_EQ(itens(lanc->cbContas), (QStringList{QStringLiteral("BANCO"), QStringLiteral("CAIXA"), QStringLiteral("POUPANCA")}));
    EXPECT_EQ(itens(lanc->cbTiposMov), QStringList{QStringLiteral("SALARIO")});
    lanc->Unload();
    delete lanc;

    postings::frmTrans t;
    t.setAttribute(Qt::WA_DeleteOnClose, false);
    t.Load();
    ASSERT_TRUE(t.IsLoaded());
    EXPECT_EQ(itens(t.cbContaOrig), (QStringList{QStringLiteral("BANCO"), QStringLiteral("CAIXA"), QStringLiteral("POUPANCA")}));
    EXPECT_EQ(itens(t.cbContaDest), itens(t.cbContaOrig));
    t.Unload();
}

} // namespace
