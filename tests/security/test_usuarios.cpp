// The user list: the two lists, one selected row, and the guards of
// deactivation and deletion (oneself, the last active administrator, a
// user's postings, also when they come from another copy meanwhile).
#include "EditoresDePermissao.h"
#include "core/escrita/Escrita.h"
#include "SegurancaComJanelas.h"
#include "db/CDaoTrans.h"
#include "db/ConstruirBanco.h"
#include "db/Schema.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Workspace.h"
#include "platform/ui/GuiTest.h"
#include "platform/ui/Input.h"
#include "platform/ui/MessageBox.h"
#include "security/frmDetUsuario.h"
#include "security/frmPermissoes.h"
#include "platform/widgets/ListView.h"
#include "security/frmUsuarios.h"
#include "support/Oracle.h"

#include "platform/widgets/UpperLineEdit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>
#include <QPushButton>
#include <QStyle>
#include <QRadioButton>

using security::frmUsuarios;
using testsupport::Script;

namespace {

// Answers Yes to the next question after running something, as if another
// copy of the program did it while the question was on screen.
class RespostaComEfeito : public platform::ui::ModalDriver {
public:
    explicit RespostaComEfeito(std::function<void()> f) : f_(std::move(f)), anterior_(platform::ui::SetModalDriver(this)) {}
    ~RespostaComEfeito() override { platform::ui::SetModalDriver(anterior_); }
    platform::ui::ModalAnswer answer(const platform::ui::ModalRequest &r) override {
        textos << r.text;
        if (r.style & platform::ui::vbYesNo) {
            f_();
            return platform::ui::ModalAnswer::Button(platform::ui::vbYes);
        }
        return platform::ui::ModalAnswer::Button(platform::ui::vbOK);
    }
    QStringList textos;

private:
    std::function<void()> f_;
    platform::ui::ModalDriver *anterior_;
};

class UserList : public testsupport::SegurancaComJanelas {
protected:
    void TearDown() override {
        janelaPrincipal.reset();
        SegurancaComJanelas::TearDown();
    }
    void SetUp() override {
        SegurancaComJanelas::SetUp();
        janelaPrincipal = std::make_unique<QWidget>();
        menu = new QAction(janelaPrincipal.get());
        menu->setObjectName(QStringLiteral("mnuSegContas"));
    }
    std::unique_ptr<frmUsuarios> abrir() {
        auto f = std::make_unique<frmUsuarios>();
        f->Load();
        return f;
    }
    QStringList nomes(frmUsuarios &f, int i) {
        QStringList out;
        dao::Recordset &rs = *f.dtUsu[i]->Recordset();
        if (rs.RecordCount() == 0) return out;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            out << rs.Field(QStringLiteral("DesUsuario")).toString() + QLatin1Char('/') +
                       rs.Field(QStringLiteral("DesTipo")).toString();
        return out;
    }
    // Selects one more row of list i, as a click with Ctrl on its selector.
    void selecionar(frmUsuarios &f, int i, const QString &nome) {
        dao::Recordset &rs = *f.dtUsu[i]->Recordset();
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            if (rs.Field(QStringLiteral("DesUsuario")).toString() == nome) {
                f.DBGrid1[i]->SelBookmarks().Add(rs.GetBookmark());
                f.DBGrid1_SelChange(i);
                return;
            }
        ADD_FAILURE() << "no row " << nome.toStdString();
    }
    void escolher(frmUsuarios &f, int i) { f.opUsuarios[i]->setChecked(true); }
    bool ativo(long id) { return valor(QStringLiteral("SELECT Inativo FROM Usuarios WHERE Id = %1").arg(id)) == 0; }
    bool existe(long id) { return valor(QStringLiteral("SELECT Count(*) FROM Usuarios WHERE Id = %1").arg(id)) == 1; }
    long lancar(dao::Database &banco, long usu) {
        core::escrita::Lancamento l;
        l.codConta = QStringLiteral("001.001");
        l.codRecDesp = QStringLiteral("003");
        l.valor = value::Currency::fromUnits(150000);
        l.data = QDate(2024, 3, 1);
        l.historico = QStringLiteral("SALARIO");
        l.idUsuario = usu;
        core::escrita::Gravado g;
        db::CDaoTrans trans(banco.workspace());
        trans.BegTrans();
        EXPECT_EQ(core::escrita::GravarLancamento(banco, l, &g), core::escrita::Resultado::Gravado);
        trans.ComTrans();
        return g.id;
    }

    std::unique_ptr<QWidget> janelaPrincipal;
    QAction *menu = nullptr;
};

TEST_F(UserList, ListsActiveAndInactiveUsersAndHoldsTheMenuEntry) {
    usuario(QStringLiteral("ZECA"), QStringLiteral("ZECA"), 2, true);
    auto f = abrir();
    EXPECT_FALSE(menu->isEnabled());
    EXPECT_TRUE(f->windowTitle().endsWith(QStringLiteral(" - Usuários")));
    EXPECT_EQ(nomes(*f, 0), (QStringList{QStringLiteral("ADMINISTRADOR/ADMINISTRADOR"), QStringLiteral("ANA/COMUM"),
                                         QStringLiteral("BIA/COMUM")}));
    EXPECT_EQ(nomes(*f, 1), QStringList{QStringLiteral("ZECA/COMUM")});
    EXPECT_EQ(f->DBGrid1[0]->Columns(1).Caption(), QStringLiteral("Id. Login"));
    EXPECT_TRUE(f->opUsuarios[0]->isChecked());
    EXPECT_FALSE(f->cmdAlterar->isEnabled() || f->cmdDesativar->isEnabled() || f->cmdExcluir->isEnabled());
    escolher(*f, 1);
    EXPECT_EQ(f->cmdDesativar->text(), QStringLiteral("Ati&var"));
    EXPECT_FALSE(f->DBGrid1[0]->isVisibleTo(f.get()));
    f->cmdFechar_Click();
    EXPECT_TRUE(menu->isEnabled());
}

// A name of the full 40 characters shows whole in both lists, also one that
// comes with a refresh; with short names the column keeps its designed width.
TEST_F(UserList, TheNameColumnShowsAFortyCharacterNameWhole) {
    auto f = abrir();
    f->show();
    const int desenho = f->DBGrid1[0]->Columns(0).Width();
    const QString nome = QString(40, QLatin1Char('W'));
    const QStyle *estilo = f->DBGrid1[0]->view()->style();
    const int margens = 2 * (estilo->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, f->DBGrid1[0]->view()) + 1);
    usuario(nome, QStringLiteral("LONGO"), 2);
    usuario(QStringLiteral("M").repeated(40), QStringLiteral("LONGO2"), 2, true);
    long hint = ui::kHintUsuarios;
    f->UpdateView(hint);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        QTableView *v = f->DBGrid1[i]->view();
        const QString maior = i == 0 ? nome : QStringLiteral("M").repeated(40);
        EXPECT_GE(v->columnWidth(0), v->fontMetrics().horizontalAdvance(maior) + margens);
        EXPECT_EQ(f->DBGrid1[i]->Columns(0).Width(), v->columnWidth(0));
    }
    db->Execute(QStringLiteral("DELETE FROM Usuarios WHERE IdLogin LIKE 'LONGO*'"));
    f->UpdateView(hint);
    EXPECT_EQ(f->DBGrid1[0]->Columns(0).Width(), desenho);
    f->Unload();
}

// Opened as the main window opens it, the list shows a name of the full 40
// characters whole from the start, and so it stays maximised and restored
// again; the columns then wider than the list bring the sideways scroll bar.
// Without long names the column keeps its designed width (or the width the
// window gained), never less.
TEST_F(UserList, TheNameColumnFitsTheLongestNameAtOpeningAndAfterMaximiseAndRestore) {
    constexpr int kDesenho = 225; // the designed width of the "Usuário" column
    const QString longos[2] = {QStringLiteral("MARIA DA CONCEIÇÃO APARECIDA DE OLIVEIRA"), QString(40, QLatin1Char('W'))};
    ASSERT_EQ(longos[0].size(), 40);
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    platform::ui::Forms::setMdiArea(&area);
    for (bool comLongos : {true, false}) {
        SCOPED_TRACE(comLongos ? "40-letter names" : "short names");
        if (comLongos) {
            usuario(longos[0], QStringLiteral("LONGO"), 2);
            usuario(longos[1], QStringLiteral("LONGO2"), 2, true);
        } else {
            db->Execute(QStringLiteral("DELETE FROM Usuarios WHERE IdLogin LIKE 'LONGO*'"));
        }
        QPointer<frmUsuarios> f = security::AbrirUsuarios(&area);
        ASSERT_TRUE(f && f->SubWindow());
        const struct {
            const char *nome;
            std::function<void()> fazer;
        } casos[] = {
            {"fresh open", [] {}},
            {"maximised", [&] { f->SubWindow()->showMaximized(); }},
            {"restored", [&] { f->SubWindow()->showNormal(); }},
        };
        for (const auto &c : casos) {
            SCOPED_TRACE(c.nome);
            c.fazer();
            for (int k = 0; k < 3; ++k) platform::ui::DoEvents();
            const int ganho = f->width() - 626; // over the designed width of the window
            for (int i = 0; i < 2; ++i) {
                SCOPED_TRACE(i);
                QTableView *v = f->DBGrid1[i]->view();
                const int margens = 2 * (v->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, v) + 1);
                EXPECT_EQ(f->DBGrid1[i]->Columns(0).Width(), v->columnWidth(0));
                EXPECT_GE(v->columnWidth(0), kDesenho + ganho) << "the designed width is the floor";
                if (comLongos) {
                    EXPECT_GE(v->columnWidth(0), v->fontMetrics().horizontalAdvance(longos[i]) + margens) << "name cut";
                    // Only the one list in front is laid out as shown.
                    if (i == f->Frente()) {
                        const int alem = v->horizontalHeader()->length() - v->viewport()->width();
                        EXPECT_EQ(v->horizontalScrollBar()->isVisible(), alem > 0);
                        EXPECT_GE(v->horizontalScrollBar()->maximum(), std::max(0, alem)) << "every column reached";
                    }
                } else {
                    EXPECT_EQ(v->columnWidth(0), kDesenho + ganho);
                }
            }
        }
        f->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    platform::ui::Forms::setMdiArea(nullptr);
}

TEST_F(UserList, OneSelectedRowEnablesTheRowCommandsAndAHintClearsIt) {
    auto f = abrir();
    selecionar(*f, 0, QStringLiteral("ANA"));
    EXPECT_TRUE(f->cmdAlterar->isEnabled() && f->cmdDesativar->isEnabled() && f->cmdExcluir->isEnabled());
    selecionar(*f, 0, QStringLiteral("BIA"));
    ASSERT_EQ(f->DBGrid1[0]->SelBookmarks().Count(), 1) << "only the last row stays selected";
    f->DBGrid1[0]->setBookmark(f->DBGrid1[0]->SelBookmarks().Item(0));
    EXPECT_EQ(f->dtUsu[0]->Recordset()->Field(QStringLiteral("DesUsuario")).toString(), QStringLiteral("BIA"));
    escolher(*f, 1);
    EXPECT_FALSE(f->cmdAlterar->isEnabled()) << "the list in front has none";
    escolher(*f, 0);
    long hint = ui::kHintUsuarios;
    f->UpdateView(hint);
    EXPECT_EQ(f->DBGrid1[0]->SelBookmarks().Count(), 0);
    EXPECT_TRUE(f->cmdAlterar->isEnabled()) << "the buttons keep their state";
    Script s;
    s.ok().ok().ok();
    f->cmdAlterar_Click();
    f->cmdDesativar_Click();
    f->cmdExcluir_Click();
    EXPECT_EQ(s.shownTexts(), (QStringList{QStringLiteral("Nenhum usuário selecionado para ser alterado."),
                                           QStringLiteral("Nenhum usuário está selecionado."),
                                           QStringLiteral("Nenhum usuário foi selecionado para exclusão.")}));
}

// The keys that move the current row select it, as a click does, so the
// row commands act on the row the user sees marked.
TEST_F(UserList, ArrowKeysSelectTheRowTheyMoveTo) {
    auto f = abrir();
    f->show();
    QTableView *v = f->DBGrid1[0]->view();
    v->setFocus();
    auto selecionado = [&f]() -> QString {
        widgets::SelBookmarksCollection &sel = f->DBGrid1[0]->SelBookmarks();
        if (sel.Count() != 1) return QStringLiteral("<%1 selecionados>").arg(sel.Count());
        auto c = f->dtUsu[0]->Recordset()->Clone();
        c->SetBookmark(sel.Item(0));
        return c->Field(QStringLiteral("DesUsuario")).toString();
    };
    EXPECT_FALSE(f->cmdAlterar->isEnabled()) << "nothing selected on opening";
    struct Caso {
        Qt::Key tecla;
        const char *esperado;
    };
    const Caso casos[] = {{Qt::Key_Down, "ANA"}, {Qt::Key_Down, "BIA"}, {Qt::Key_Up, "ANA"}, {Qt::Key_PageUp, "ADMINISTRADOR"}};
    for (const Caso &c : casos) {
        testsupport::Tecla(v, c.tecla);
        EXPECT_EQ(selecionado(), QString::fromLatin1(c.esperado));
        EXPECT_TRUE(f->cmdAlterar->isEnabled());
    }
    // A row moved to from code (a refresh, a command) is not selected by it.
    long hint = ui::kHintUsuarios;
    f->UpdateView(hint);
    f->DBGrid1[0]->setRow(1);
    EXPECT_EQ(f->DBGrid1[0]->SelBookmarks().Count(), 0);
    Script s;
    s.ok();
    f->cmdAlterar_Click();
    EXPECT_EQ(s.shownTexts(), QStringList{QStringLiteral("Nenhum usuário selecionado para ser alterado.")});
}

TEST_F(UserList, DeactivationGuards) {
    struct Caso {
        const char *nome;
        long eu;          // the signed-in user
        const char *alvo; // the row chosen
        bool outroAdministrador;
        QString mensagem; // after the question, or "" when done
        bool pergunta;
        bool desativado;
    };
    const Caso casos[] = {
        {"oneself", 1, "ADMINISTRADOR", true, QStringLiteral("Um usuário não pode desativar a si mesmo."), false, false},
        {"an administrator among several", 0, "ADMINISTRADOR", true, QString(), true, true},
        {"the last active administrator", 0, "ADMINISTRADOR", false, security::kMsgUltimoAdministrador, true, false},
        {"a common user", 1, "ANA", false, QString(), true, true}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        db->Execute(QStringLiteral("DELETE FROM Usuarios WHERE IdLogin = 'ADM2'"));
        db->Execute(QStringLiteral("UPDATE Usuarios SET Inativo = False"));
        if (c.outroAdministrador) usuario(QStringLiteral("SEGUNDO"), QStringLiteral("ADM2"), 1);
        ui::gIdUsuario = c.eu == 0 ? bia : c.eu;
        auto f = abrir();
        selecionar(*f, 0, QString::fromUtf8(c.alvo));
        const long id = valor(QStringLiteral("SELECT Id FROM Usuarios WHERE DesUsuario = '%1'").arg(QString::fromUtf8(c.alvo)));
        Script s;
        if (c.pergunta) s.yes();
        if (!c.mensagem.isEmpty()) s.ok();
        f->cmdDesativar_Click();
        QStringList esperado;
        if (c.pergunta) esperado << QStringLiteral("Tem certeza de que pretende desativar o usuário '%1'?").arg(QString::fromUtf8(c.alvo));
        if (!c.mensagem.isEmpty()) esperado << c.mensagem;
        EXPECT_EQ(s.shownTexts(), esperado);
        EXPECT_EQ(ativo(id), !c.desativado);
        if (c.desativado) {
            EXPECT_EQ(nomes(*f, 1).size(), 1);
        }
    }
}

TEST_F(UserList, DeactivationReadsTheTypeFromTheRowNotTheGrid) {
    ui::gIdUsuario = ana;
    auto f = abrir();
    selecionar(*f, 0, QStringLiteral("BIA"));
    // Another copy makes BIA the only active administrator meanwhile.
    db->Execute(QStringLiteral("UPDATE Usuarios SET Tipo = 1 WHERE Id = %1").arg(bia));
    db->Execute(QStringLiteral("UPDATE Usuarios SET Inativo = True WHERE Id = 1"));
    Script s;
    s.yes().ok();
    f->cmdDesativar_Click();
    EXPECT_EQ(s.shownTexts().back(), security::kMsgUltimoAdministrador);
    EXPECT_TRUE(ativo(bia));
}

TEST_F(UserList, ReactivationAsksNothing) {
    const long zeca = usuario(QStringLiteral("ZECA"), QStringLiteral("ZECA"), 2, true);
    auto f = abrir();
    escolher(*f, 1);
    selecionar(*f, 1, QStringLiteral("ZECA"));
    Script s;
    f->cmdDesativar_Click();
    EXPECT_TRUE(ativo(zeca));
    EXPECT_TRUE(nomes(*f, 1).isEmpty());
    EXPECT_EQ(nomes(*f, 0).size(), 4);
}

TEST_F(UserList, DeletionGuards) {
    permissao(ana, 1, idConta(QStringLiteral("001")), 3);
    lancar(*db, bia);
    const long inativo = usuario(QStringLiteral("VELHO"), QStringLiteral("VELHO"), 1, true);
    ui::gIdUsuario = ana;
    struct Caso {
        const char *nome;
        const char *alvo;
        int lista;
        const char *mensagem;
        bool pergunta;
        bool excluido;
    };
    const Caso casos[] = {
        {"oneself, before the question", "ANA", 0, "Um usuário não pode excluir a si mesmo.", false, false},
        {"with postings", "BIA", 0, "O usuário selecionado não pode ser excluído por já haverem lançamentos feitos por ele.",
         true, false},
        {"the last active administrator", "ADMINISTRADOR", 0,
         "Este é o último usuário ativo com permissões de administrador e por isto não pode ser excluído.", true, false},
        {"an inactive administrator", "VELHO", 1, "", true, true}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        auto f = abrir();
        if (c.lista == 1) escolher(*f, 1);
        selecionar(*f, c.lista, QString::fromUtf8(c.alvo));
        Script s;
        if (c.pergunta) s.yes();
        if (*c.mensagem) s.ok();
        f->cmdExcluir_Click();
        QStringList esperado;
        if (c.pergunta) esperado << QStringLiteral("Tem certeza de que pretende excluir o usuário '%1'?").arg(QString::fromUtf8(c.alvo));
        if (*c.mensagem) esperado << QString::fromUtf8(c.mensagem);
        EXPECT_EQ(s.shownTexts(), esperado);
    }
    EXPECT_TRUE(existe(ana) && existe(bia) && existe(1));
    EXPECT_FALSE(existe(inativo));
    // Signed in as the administrator, ANA goes with her permission rows.
    ui::gIdUsuario = 1;
    auto f = abrir();
    selecionar(*f, 0, QStringLiteral("ANA"));
    Script s;
    s.yes();
    f->cmdExcluir_Click();
    EXPECT_FALSE(existe(ana));
    EXPECT_EQ(contagem(ana), 0);
    EXPECT_EQ(nomes(*f, 0).size(), 2) << "the list reloaded";
    EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
}

TEST_F(UserList, APostingWrittenByAnotherCopyAfterTheQuestionKeepsTheUser) {
    auto f = abrir();
    selecionar(*f, 0, QStringLiteral("BIA"));
    dao::Workspace ws;
    auto outra = dao::DBEngine::OpenDatabase(db->Name(), false, false, db::ConnectString(db::kSenhaBanco), ws);
    long id = 0;
    RespostaComEfeito r([&] { id = lancar(*outra, bia); });
    f->cmdExcluir_Click();
    ASSERT_NE(id, 0);
    EXPECT_TRUE(existe(bia));
    EXPECT_EQ(valor(QStringLiteral("SELECT Count(*) FROM Lancamentos WHERE Id = %1").arg(id)), 1);
    EXPECT_EQ(r.textos.back(),
              QStringLiteral("O usuário selecionado não pode ser excluído por já haverem lançamentos feitos por ele."));
    outra.reset();
    EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
}

TEST_F(UserList, NewAndChangedUsersGoThroughTheDialog) {
    auto f = abrir();
    Script s;
    s.act([](QWidget &w) {
        auto &d = static_cast<security::frmDetUsuario &>(w);
        d.Activate();
        d.txtNome->setText(QStringLiteral("NOVO"));
        d.txtIdLogin->setText(QStringLiteral("NOVO"));
        d.cbTipo->setCurrentIndex(0);
        d.txtSenha[0]->setText(QStringLiteral("X"));
        d.txtSenha[1]->setText(QStringLiteral("X"));
        d.cmdOK_Click();
    });
    s.no();
    f->cmdAdd_Click();
    EXPECT_TRUE(nomes(*f, 0).contains(QStringLiteral("NOVO/ADMINISTRADOR")));
    selecionar(*f, 0, QStringLiteral("NOVO"));
    s.act([](QWidget &w) {
        auto &d = static_cast<security::frmDetUsuario &>(w);
        d.Activate();
        EXPECT_EQ(d.Mode(), 2);
        EXPECT_EQ(d.txtIdLogin->text(), QStringLiteral("NOVO"));
        d.cbTipo->setCurrentIndex(1);
        // A common user needs permissions to sign in.
        d.cmdPermMov_Click();
        d.cmdPermContas_Click();
        d.cmdOK_Click();
    });
    // In each editor: "Tudo" on every first-level item.
    for (int editor = 0; editor < 2; ++editor) s.act(testsupport::tudoNoPrimeiroNivel());
    s.ok();
    f->cmdAlterar_Click();
    EXPECT_TRUE(nomes(*f, 0).contains(QStringLiteral("NOVO/COMUM")));
}

} // namespace
