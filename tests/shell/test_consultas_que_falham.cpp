// A result window whose query fails, opened from the main window's commands:
// the error is reported, the window closes after the report, and the program
// goes on with the main window as it was.
#include "core/consultas/LivroDeBalancos.h"
#include "platform/settings/Settings.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/TreeView.h"
#include "platform/widgets/UpperLineEdit.h"
#include "reports/frmBalSal.h"
#include "reports/frmExtra.h"
#include "shell/AberturaDeJanelas.h"
#include "shell/MainForm.h"
#include "ui/Sessao.h"

#include <QApplication>
#include <QMdiArea>
#include <QPointer>

namespace {

using balancos::dia;

class ConsultasQueFalham : public balancos::LivroDeBalancos {
protected:
    void SetUp() override {
        testsupport::qtApp(); // the window application before the book's
        settings::setStoreLocation(dir.file(QStringLiteral("settings")));
        LivroDeBalancos::SetUp();
        ui::RegistrarMensagens();
        ui::gTemDados = ui::kTemContas | ui::kTemRecDesp;
        ASSERT_TRUE(shell::MostrarJanelaPrincipal());
    }
    void TearDown() override {
        // The book belongs to the fixture: the main window's unload must not close it.
        ui::gDB = nullptr;
        if (shell::MainForm *j = shell::JanelaPrincipal()) j->Unload();
        Processar();
        // The book's check sums the headings as money too, which these
        // balances leave the range of: the book is let go unchecked.
        LivroSemJanelas::TearDown();
    }
    static void Processar() {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static QList<reports::frmBalSal *> balancos() {
        QList<reports::frmBalSal *> out;
        for (platform::ui::Form *f : platform::ui::Forms::Loaded())
            if (auto *b = qobject_cast<reports::frmBalSal *>(f)) out << b;
        return out;
    }
    // Balances past the range of money: the heading account 001 and the
    // heading type 003 hold 1.6 quintillion each, the sum of two children's
    // 800 quadrillion (the book's balance stays in range).
    void saldosAlemDoLimite() {
        const qint64 grande = 80000000000000000; // in cents
        lancar(QStringLiteral("001.001"), QStringLiteral("003"), grande, dia(1, 4));
        lancar(QStringLiteral("002"), QStringLiteral("004"), -grande, dia(2, 4));
        lancar(QStringLiteral("001.002"), QStringLiteral("003.001"), grande, dia(3, 4));
        lancar(QStringLiteral("003"), QStringLiteral("005"), -grande, dia(4, 4));
    }
    // What the user does in the selection dialog: marks the items, the dates, OK.
    static std::function<void(QWidget &)> escolher(QStringList nos) {
        return [nos](QWidget &w) {
            auto &d = dynamic_cast<reports::frmExtra &>(w);
            d.txtDataIni->setText(QStringLiteral("01/04/2026"));
            d.txtDataFim->setText(QStringLiteral("30/04/2026"));
            for (const QString &k : nos) {
                d.tv_NodeClick(d.tv->Item(k));
                QApplication::processEvents();
            }
            d.cmdOK_Click();
        };
    }
};

// Accounts and types over a period, accounts and types at a date: each
// window reports the overflow of its heading's balance, is still there while
// its report is read (the box lets the window system run, as the real one
// does: a close posted before the report would delete the window under it),
// closes after the box is answered, and the main window opens the next
// balance as before.
TEST_F(ConsultasQueFalham, OBalancoQueFalhaFechaDepoisDoAvisoEOProgramaSegue) {
    saldosAlemDoLimite();
    struct Caso {
        int mode;
        QStringList marcar;
    };
    const QStringList contas = {QStringLiteral("_001")};
    const QStringList tipos = {QStringLiteral("_003")};
    const Caso casos[] = {{3, contas}, {4, tipos}, {6, contas}, {7, tipos}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.mode);
        // What stands behind the report while it is read.
        QPointer<reports::frmBalSal> noAviso;
        qsizetype abertasNoAviso = -1;
        bool visivelNoAviso = false;
        {
            testsupport::Script s;
            s.eventsWhileShown().act(escolher(c.marcar)).ok();
            s.whenShown = [&](const platform::ui::ModalRequest &r) {
                if (r.kind != platform::ui::ModalKind::MessageBox) return;
                const QList<reports::frmBalSal *> abertas = balancos();
                abertasNoAviso = abertas.size();
                if (abertas.isEmpty()) return;
                noAviso = abertas.front();
                visivelNoAviso = noAviso->isVisible();
            };
            shell::AbrirRelatorio(c.mode);
            ASSERT_EQ(s.shown().size(), 2u);
            const QString aviso = s.shown()[1].text;
            EXPECT_TRUE(aviso.startsWith(QStringLiteral("3349 '"))) << aviso.toStdString();
            EXPECT_TRUE(aviso.contains(QStringLiteral("em frmBalSal_FazConsulta"))) << aviso.toStdString();
            EXPECT_EQ(abertasNoAviso, 1) << "the window is there while its report is read";
            EXPECT_TRUE(visivelNoAviso) << "the window is there while its report is read";
        }
        Processar();
        EXPECT_TRUE(balancos().isEmpty()) << "the window closed after its report";
        EXPECT_TRUE(noAviso.isNull()) << "the window closed after its report";
        ASSERT_NE(shell::JanelaPrincipal(), nullptr);
        EXPECT_TRUE(shell::JanelaPrincipal()->AreaMDI()->subWindowList().isEmpty());
    }
    // The main window goes on: a balance whose total fits opens and shows it.
    testsupport::Script s;
    s.eventsWhileShown().act(escolher({QStringLiteral("_001.001")}));
    shell::AbrirRelatorio(6);
    EXPECT_EQ(s.shown().size(), 1u);
    const QList<reports::frmBalSal *> abertos = balancos();
    ASSERT_EQ(abertos.size(), 1);
    EXPECT_EQ(abertos.front()->Consultas(), 1);
    EXPECT_EQ(abertos.front()->SubWindow()->mdiArea(), shell::JanelaPrincipal()->AreaMDI());
}

} // namespace
