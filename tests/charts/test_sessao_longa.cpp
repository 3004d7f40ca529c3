// A long session in the two chart editors, as a user with much to type
// would have it: both windows open, items added (with opening balances,
// under deep branches and up to the last code of a level), renamed,
// deactivated, reactivated and deleted, by the buttons, the context menu and
// the keyboard, branches opened and closed, windows closed and opened again.
// The steps come from a seeded generator, so a failing run can be repeated
// (FIN_SESSAO_SEMENTE, FIN_SESSAO_PASSOS set another seed or length). After
// every step each tree must agree with its table, and no command may end in
// an error report.
#include "ui/AppContext.h"
#include "charts/frmItemDet.h"
#include "charts/frmPlano.h"
#include "core/arvores/Arvores.h"
#include "core/escrita/Escrita.h"
#include "db/CDaoTrans.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Modal.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/UpperLineEdit.h"
#include "support/LivroNovo.h"
#include "support/Oracle.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <random>

using db::Plano;
using value::Currency;

namespace {

int variavel(const char *nome, int padrao) {
    const QByteArray v = qgetenv(nome);
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok && n > 0 ? n : padrao;
}

// The user behind every box the session shows: questions are answered by a
// seeded coin, messages with OK, and the item dialogs are filled in (now and
// then with a description already taken, an opening balance, or cancelled).
class Usuario : public platform::ui::ModalDriver {
public:
    explicit Usuario(std::mt19937 &rng) : rng_(rng) { anterior_ = platform::ui::SetModalDriver(this); }
    ~Usuario() override { platform::ui::SetModalDriver(anterior_); }

    platform::ui::ModalAnswer answer(const platform::ui::ModalRequest &r) override {
        if (r.kind == platform::ui::ModalKind::MessageBox) {
            mensagens << r.text;
            if ((r.style & 0x7) == platform::ui::vbYesNo) return platform::ui::ModalAnswer::Button(sorte(4) == 0 ? platform::ui::vbNo : platform::ui::vbYes);
            return platform::ui::ModalAnswer::Button(platform::ui::vbOK);
        }
        if (r.kind == platform::ui::ModalKind::Form) return platform::ui::ModalAnswer::Act([this](QWidget &w) { preencher(w); });
        ADD_FAILURE() << "unexpected modal request: " << platform::ui::DescribeRequest(r).toStdString();
        return platform::ui::ModalAnswer::Button(platform::ui::vbCancel);
    }

    int sorte(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    QStringList mensagens;
    int dialogos = 0, salvos = 0;
    bool decidido = false; // fills every dialog with a new name, never cancels

private:
    QString descricao() {
        // A few repeated names (a duplicate is refused by the table); the
        // rest new, up to the 30 characters the box takes.
        if (!decidido && sorte(12) == 0) return QStringLiteral("REPETIDO %1").arg(sorte(3));
        QString d = QStringLiteral("ITEM %1 ").arg(++serie_);
        while (d.size() < 30 && sorte(3) != 0) d += QChar(u'A' + sorte(26));
        if (sorte(5) == 0) d = d.toLower() + QStringLiteral("ção"); // typed in small letters and accents
        return d.left(30);
    }

    void preencher(QWidget &w) {
        ++dialogos;
        auto *d = qobject_cast<charts::frmItemDet *>(&w);
        if (!d) {
            ADD_FAILURE() << "unexpected form " << w.objectName().toStdString();
            if (auto *f = qobject_cast<platform::ui::Form *>(&w)) f->Unload(platform::ui::vbFormCode);
            return;
        }
        d->Activate();
        if (!decidido && sorte(10) == 0) {
            d->cmdCancel_Click();
            return;
        }
        d->txtDescricao->setText(descricao());
        auto *conta = qobject_cast<charts::frmContaDet *>(d);
        if (conta && d->Mode() == 1 && sorte(4) == 0) {
            conta->txtSaldoInicial->setValueText(QStringLiteral("%1,%2").arg(sorte(5000) - 1000).arg(sorte(100), 2, 10, QLatin1Char('0')));
            conta->txtData->setText(QStringLiteral("%1/%2/20%3").arg(1 + sorte(28), 2, 10, QLatin1Char('0')).arg(1 + sorte(12), 2, 10, QLatin1Char('0')).arg(10 + sorte(15)));
        }
        d->cmdOK_Click();
        if (d->IsLoaded()) {
            // Refused (a duplicate, a full level): the user gives up.
            d->cmdCancel_Click();
            return;
        }
        ++salvos;
    }

    std::mt19937 &rng_;
    platform::ui::ModalDriver *anterior_ = nullptr;
    int serie_ = 0;
};

class SessaoLonga : public testsupport::LivroNovo {
protected:
    void SetUp() override {
        LivroNovo::SetUp();
        ui::gTemDados = ui::kTemContas | ui::kTemRecDesp;
        // Accounts deleted with their opening balances take postings away.
        oracle.postingsDeleted = true;
        // Levels one or two codes short of full, and a branch seven levels deep.
        for (const char *c : {"001", "001.997", "996", "002", "002.001", "002.001.001", "002.001.001.001",
                              "002.001.001.001.001", "002.001.001.001.001.001", "002.001.001.001.001.001.001"})
            item(Plano::Contas, QLatin1String(c));
        for (const char *c : {"003", "003.998", "997", "004", "004.001", "004.001.001", "004.001.001.001",
                              "004.001.001.001.001", "004.001.001.001.001.001", "004.001.001.001.001.001.001"})
            item(Plano::RecDesp, QLatin1String(c));
    }
    void TearDown() override {
        for (charts::frmPlano *&f : janelas) fechar(f);
        EXPECT_EQ(testsupport::CheckBookText(*db, oracle).toStdString(), "");
        LivroNovo::TearDown();
    }

    static QString tabela(Plano p) { return p == Plano::Contas ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes"); }
    static QString campo(Plano p) { return p == Plano::Contas ? QStringLiteral("DesConta") : QStringLiteral("DesMovimentacao"); }
    static QString inativo(Plano p) { return p == Plano::Contas ? QStringLiteral("Inativa") : QStringLiteral("Inativo"); }

    void item(Plano p, const QString &codigo) {
        db->Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai) VALUES ('INICIAL %3', '%4', '%5')")
                        .arg(tabela(p), campo(p), QString(codigo).remove(QLatin1Char('.')), codigo, CodigoPai(codigo)));
    }

    charts::frmPlano *abrir(Plano p) {
        charts::frmPlano *f = p == Plano::Contas ? static_cast<charts::frmPlano *>(new charts::frmContas())
                                                 : static_cast<charts::frmPlano *>(new charts::frmMovimentacoes());
        f->Load();
        f->show();
        return f;
    }
    static void fechar(charts::frmPlano *&f) {
        if (!f) return;
        if (f->IsLoaded()) f->Unload();
        delete f;
        f = nullptr;
    }

    struct Linha {
        QString descricao, pai;
        bool inativo = false;
        int filhos = 0;
    };
    QHash<QString, Linha> tabelaInteira(Plano p) {
        QHash<QString, Linha> out;
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Codigo, %1, CodPai, %2 FROM %3").arg(campo(p), inativo(p), tabela(p)),
                                    dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext())
            out.insert(rs->Field(0).toString(), {rs->Field(1).toString(), rs->Field(2).toString(), rs->Field(3).toBool(), 0});
        // The children a tree shows: the types chart keeps its two system types out of sight.
        for (auto it = out.begin(); it != out.end(); ++it)
            if (it.key() != QStringLiteral("000") && (p == Plano::Contas || it.key() > QStringLiteral("002")) && out.contains(it->pai))
                ++out[it->pai].filhos;
        return out;
    }

    // Every node of the tree is a row of the table under its parent, with
    // its description and its state; a loaded branch holds every child row;
    // a closed one shows its expand button exactly when it has children.
    void conferir(charts::frmPlano &f, const QString &passo) {
        const Plano p = f.plano();
        const QHash<QString, Linha> t = tabelaInteira(p);
        widgets::TreeView &tv = *f.tv;
        const QString img = p == Plano::Contas ? QStringLiteral("IMG_CONTA") : QStringLiteral("IMG_RECDESP");
        int vistos = 0;
        std::function<void(widgets::Node *)> visitar = [&](widgets::Node *n) {
            ++vistos;
            ASSERT_EQ(tv.Item(n->Key()), n) << passo.toStdString();
            const bool ficticio = n->Key().startsWith(QLatin1Char('D'));
            if (ficticio) {
                ASSERT_TRUE(n->Parent() && !n->Parent()->Expanded()) << passo.toStdString() << ": a placeholder in an open branch";
                return;
            }
            const QString codigo = n->Key().mid(1);
            ASSERT_TRUE(t.contains(codigo)) << passo.toStdString() << ": " << codigo.toStdString() << " is not in the table";
            const Linha &l = t[codigo];
            if (codigo != QStringLiteral("000")) {
                EXPECT_EQ(n->Text(), l.descricao) << passo.toStdString();
                EXPECT_EQ(n->Image(), img + (l.inativo ? QStringLiteral("INAT") : QString())) << passo.toStdString() << " " << codigo.toStdString();
                ASSERT_TRUE(n->Parent()) << passo.toStdString();
                EXPECT_EQ(n->Parent()->Key(), QLatin1Char('_') + l.pai) << passo.toStdString();
            }
            const bool comFicticio = n->Children() == 1 && n->Child()->Key().startsWith(QLatin1Char('D'));
            // What the user sees open is what the tree holds as open.
            if (n->Children() > 0) {
                EXPECT_EQ(n->item()->isExpanded(), n->Expanded()) << passo.toStdString() << ": shown open " << codigo.toStdString();
            }
            if (n->Expanded() && !comFicticio) {
                EXPECT_EQ(n->Children(), l.filhos)
                    << passo.toStdString() << ": open branch " << codigo.toStdString();
            } else if (!n->Expanded()) {
                EXPECT_EQ(n->Children() > 0, l.filhos > 0)
                    << passo.toStdString() << ": closed branch " << codigo.toStdString();
            }
            for (widgets::Node *c : n->ChildList()) {
                ASSERT_EQ(c->Parent(), n) << passo.toStdString();
                ASSERT_EQ(c->item()->parent(), n->item()) << passo.toStdString();
                visitar(c);
            }
        };
        for (widgets::Node *n : tv.TopNodes()) visitar(n);
        EXPECT_EQ(vistos, tv.Count()) << passo.toStdString();
        if (widgets::Node *s = tv.SelectedItem()) {
            EXPECT_EQ(tv.Item(s->Key()), s) << passo.toStdString();
        }
    }

    std::vector<charts::frmPlano *> janelas{nullptr, nullptr};
    testsupport::OracleOptions oracle;
};

// The nodes the user sees (inside open branches), depth first.
std::vector<widgets::Node *> nos(widgets::TreeView &tv) {
    std::vector<widgets::Node *> out;
    std::function<void(widgets::Node *)> visitar = [&](widgets::Node *n) {
        out.push_back(n);
        if (n->Expanded())
            for (widgets::Node *c : n->ChildList()) visitar(c);
    };
    for (widgets::Node *n : tv.TopNodes()) visitar(n);
    return out;
}

void clicar(widgets::TreeView &tv, widgets::Node *n, Qt::MouseButton b) {
    tv.scrollToItem(n->item());
    const QPoint p = tv.visualItemRect(n->item()).center();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(p), tv.viewport()->mapToGlobal(QPointF(p)), b, b, Qt::NoModifier);
    QApplication::sendEvent(tv.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p), tv.viewport()->mapToGlobal(QPointF(p)), b, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tv.viewport(), &release);
}

TEST_F(SessaoLonga, ComandosDoEditorNosDoisPlanosSemErroEComAArvoreIgualATabela) {
    const int semente = variavel("FIN_SESSAO_SEMENTE", 20261210);
    const int passos = variavel("FIN_SESSAO_PASSOS", 1500);
    std::mt19937 rng(semente);
    Usuario u(rng);
    // The session starts with the deep branch of each chart opened whole ('*').
    for (const Plano p : {Plano::Contas, Plano::RecDesp}) {
        charts::frmPlano *&f = janelas[p == Plano::Contas ? 0 : 1];
        f = abrir(p);
        f->tv->setFocus();
        f->tv->setSelectedItem(f->tv->Item(p == Plano::Contas ? QStringLiteral("_002") : QStringLiteral("_004")));
        testsupport::Tecla(f->tv, Qt::Key_Asterisk);
        ASSERT_TRUE(f->tv->Item(p == Plano::Contas ? QStringLiteral("_002.001.001.001.001.001.001")
                                                   : QStringLiteral("_004.001.001.001.001.001.001")));
        conferir(*f, QStringLiteral("opened whole"));
        // An eighth level under the seventh, and a ninth refused.
        u.decidido = true;
        const QString setimo = p == Plano::Contas ? QStringLiteral("_002.001.001.001.001.001.001") : QStringLiteral("_004.001.001.001.001.001.001");
        f->tv->setSelectedItem(f->tv->Item(setimo));
        f->cmdAdd_Click();
        widgets::Node *oitavo = f->tv->Item(setimo + QStringLiteral(".001"));
        ASSERT_TRUE(oitavo);
        f->tv->setSelectedItem(oitavo);
        f->cmdAdd_Click();
        EXPECT_EQ(u.mensagens.value(u.mensagens.size() - 1), core::arvores::kMsgProfundidade);
        // A level filled up to its last code ("999"), then refused.
        f->tv->setSelectedItem(f->tv->Item(p == Plano::Contas ? QStringLiteral("_001") : QStringLiteral("_003")));
        for (int i = 0; i < 3 && !u.mensagens.contains(core::arvores::kMsgNivelCheio); ++i) f->cmdAdd_Click();
        EXPECT_TRUE(f->tv->Item(p == Plano::Contas ? QStringLiteral("_001.999") : QStringLiteral("_003.999")));
        EXPECT_EQ(u.mensagens.value(u.mensagens.size() - 1), core::arvores::kMsgNivelCheio);
        u.mensagens.clear();
        u.decidido = false;
        conferir(*f, QStringLiteral("eight levels"));
    }
    for (int passo = 0; passo < passos && !HasFatalFailure(); ++passo) {
        const Plano p = u.sorte(2) == 0 ? Plano::Contas : Plano::RecDesp;
        charts::frmPlano *&f = janelas[p == Plano::Contas ? 0 : 1];
        if (!f) f = abrir(p);
        widgets::TreeView &tv = *f->tv;
        const std::vector<widgets::Node *> todos = nos(tv);
        // Deep nodes and the nearly full levels are chosen more often.
        std::vector<widgets::Node *> pesados;
        for (widgets::Node *n : todos)
            for (int k = 0; k <= n->Level() / 2; ++k) pesados.push_back(n);
        widgets::Node *alvo = pesados[std::size_t(u.sorte(int(pesados.size())))];
        const int acao = u.sorte(100);
        QString nome;
        const std::size_t antes = u.mensagens.size();
        if (acao < 25) {
            nome = QStringLiteral("add");
            tv.setSelectedItem(alvo);
            if (u.sorte(3) == 0) {
                clicar(tv, alvo, Qt::RightButton);
                QMenu *m = f->MenuDeContexto();
                m->hide();
                if (QAction *a = m->findChild<QAction *>(QStringLiteral("mnuPopNovo"))) a->trigger();
                else f->mnuPopNovo();
            } else {
                f->cmdAdd_Click();
            }
        } else if (acao < 35) {
            nome = QStringLiteral("rename");
            tv.setSelectedItem(alvo);
            f->cmdAlterar_Click();
        } else if (acao < 45) {
            nome = QStringLiteral("deactivate");
            tv.setSelectedItem(alvo);
            f->tv_NodeClick(alvo);
            f->cmdDesativar_Click();
        } else if (acao < 55) {
            nome = QStringLiteral("delete");
            tv.setSelectedItem(alvo);
            if (u.sorte(3) == 0) {
                clicar(tv, alvo, Qt::RightButton);
                QMenu *m = f->MenuDeContexto();
                m->hide();
                f->mnuPopExcluir();
            } else {
                f->cmdExcluir_Click();
            }
        } else if (acao < 70) {
            nome = QStringLiteral("open/close");
            if (u.sorte(2) == 0) alvo->item()->setExpanded(!alvo->item()->isExpanded()); // as the user's click on the arrow
            else alvo->setExpanded(!alvo->Expanded());
        } else if (acao < 82) {
            nome = QStringLiteral("click");
            clicar(tv, alvo, Qt::LeftButton);
        } else if (acao < 92) {
            nome = QStringLiteral("keys");
            tv.setFocus();
            static const int teclas[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left, Qt::Key_Home, Qt::Key_End,
                                         Qt::Key_PageDown, Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Asterisk};
            for (int k = 0; k < 1 + u.sorte(4); ++k) testsupport::Tecla(&tv, teclas[u.sorte(10)]);
        } else if (acao < 97) {
            nome = QStringLiteral("posting");
            // A posting on an account and a type makes their deletion refused
            // (an inactive item takes none: nothing is written then).
            const QString codigo = alvo->Key().mid(1);
            const auto t = tabelaInteira(p == Plano::Contas ? Plano::RecDesp : Plano::Contas);
            QStringList outros;
            for (auto it = t.cbegin(); it != t.cend(); ++it)
                if (it.key() != QStringLiteral("000") && (p == Plano::RecDesp || it.key() > QStringLiteral("002"))) outros << it.key();
            if (codigo != QStringLiteral("000") && !outros.isEmpty()) {
                core::escrita::Lancamento l;
                l.codConta = p == Plano::Contas ? codigo : outros[u.sorte(int(outros.size()))];
                l.codRecDesp = p == Plano::Contas ? outros[u.sorte(int(outros.size()))] : codigo;
                l.valor = Currency::fromUnits(qint64(u.sorte(200000) - 100000) * 100);
                l.data = QDate(2020, 1, 1).addDays(u.sorte(2000));
                l.historico = QStringLiteral("SESSAO");
                l.idUsuario = 1;
                db::CDaoTrans trans;
                trans.BegTrans();
                core::escrita::Gravado g;
                const core::escrita::Resultado r = core::escrita::GravarLancamento(*db, l, &g);
                ASSERT_TRUE(r == core::escrita::Resultado::Gravado || r == core::escrita::Resultado::Recusado) << int(r);
                if (r == core::escrita::Resultado::Gravado) trans.ComTrans();
            }
        } else {
            nome = QStringLiteral("close and open");
            fechar(f);
            f = abrir(p);
        }
        const QString passoTexto = QStringLiteral("step %1 (%2 in %3)")
                                       .arg(passo)
                                       .arg(nome, p == Plano::Contas ? QStringLiteral("accounts") : QStringLiteral("types"));
        for (std::size_t i = antes; i < std::size_t(u.mensagens.size()); ++i) {
            const QString &m = u.mensagens[qsizetype(i)];
            EXPECT_FALSE(m.contains(QStringLiteral("linha:"))) << passoTexto.toStdString() << ": an error report: " << m.toStdString();
        }
        for (charts::frmPlano *j : janelas)
            if (j) conferir(*j, passoTexto);
    }
    // The session did what it meant to: many items written.
    EXPECT_GT(u.salvos, passos / 20);
}

} // namespace
