// The balance window: lines and tree from result rows, refresh rules, right
// clicks and cross balances, the total line, and the printed report.
#include "core/consultas/LivroDeBalancos.h"
#include "platform/ui/GuiTest.h"

#include "core/consultas/CalculoBalanco.h"
#include "platform/err/AppError.h"
#include "platform/print/RecordingPrinter.h"
#include "support/Paginas.h"
#include "reports/ComandosDeBalanco.h"
#include "reports/frmBalSal.h"
#include "reports/frmExtra.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/UpperLineEdit.h"
#include "platform/ui/MessageBox.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QHash>
#include <QPointer>
#include <QPushButton>

namespace balancos {
namespace {

using reports::frmBalSal;
using core::consultas::LinhaBalanco;
using core::consultas::LinhasBalanco;
using core::consultas::PedidoBalanco;

struct Janelas {
    std::vector<QPointer<frmBalSal>> abertas;
    frmBalSal *nova(long mode) {
        auto *f = new frmBalSal();
        f->Load();
        f->setMode(mode);
        abertas.push_back(f);
        return f;
    }
    ~Janelas() {
        for (auto &f : abertas)
            if (f) {
                if (f->IsLoaded()) f->Unload();
                delete f.data();
            }
    }
};

// The lines of the tree, depth first, with their levels.
QStringList linhasDaArvore(widgets::TreeView &tv) {
    QStringList out;
    std::function<void(widgets::Node *)> visitar = [&](widgets::Node *n) {
        out << QStringLiteral("%1|%2").arg(n->Level()).arg(n->Text());
        for (widgets::Node *c : n->ChildList()) visitar(c);
    };
    for (widgets::Node *n : tv.TopNodes()) visitar(n);
    return out;
}

QString item(int nivel, const QString &des, const QString &valor) {
    return QStringLiteral("%1|%2%3").arg(nivel).arg(des.leftJustified(54 - 3 * nivel, QLatin1Char(' '), true), valor.rightJustified(13));
}

TEST(JanelaDeBalanco, LinhasEArvoreDasLinhasDoResultado) {
    testsupport::qtApp();
    Janelas j;
    frmBalSal *f = j.nova(3);
    f->MostrarLinhas({{0, QStringLiteral("BANCOS"), QStringLiteral("001"), reais(150000)},
                      {0, QStringLiteral("ALFA CONTA"), QStringLiteral("001.001"), reais(-2050)},
                      {0, QStringLiteral("ALFA POUPANCA"), QStringLiteral("001.001.001"), reais(5)},
                      {0, QStringLiteral("BETA"), QStringLiteral("001.002"), reais(0)},
                      {0, QStringLiteral("CARTEIRA"), QStringLiteral("002"), reais(-1234567890)},
                      {1, QStringLiteral("BALANÇO TOTAL DAS CONTAS PESQUISADAS"), QStringLiteral("9999"), reais(42)}});
    const QStringList l = linhasDaArvore(*f->tv);
    EXPECT_EQ(l, (QStringList{item(0, QStringLiteral("BANCOS"), QStringLiteral("1.500,00")),
                              item(1, QStringLiteral("ALFA CONTA"), QStringLiteral("-20,50")),
                              item(2, QStringLiteral("ALFA POUPANCA"), QStringLiteral("0,05")),
                              item(1, QStringLiteral("BETA"), QStringLiteral("0,00")),
                              // A longer amount stays whole; the description gives up the column.
                              QStringLiteral("0|") + QStringLiteral("CARTEIRA").leftJustified(53) + QStringLiteral("-12.345.678,90")}));
    for (const QString &s : l) EXPECT_EQ(s.size() - 2 + 3 * s.left(1).toInt(), 67) << s.toStdString();
    EXPECT_EQ(f->lblDesTotal->text(), QStringLiteral("BALANÇO TOTAL DAS CONTAS PESQUISADAS").leftJustified(54) + QStringLiteral("0,42").rightJustified(13));
    // Parents with children are expanded, their children sorted by text.
    EXPECT_TRUE(f->tv->Item(QStringLiteral("_001"))->Expanded());
    EXPECT_EQ(f->tv->Item(QStringLiteral("_001.001"))->SelectedImage(), QStringLiteral("IMG_CONTAEXPSEL"));
    EXPECT_EQ(f->tv->Item(QStringLiteral("_002"))->SelectedImage(), QStringLiteral("IMG_CONTASEL"));
}

TEST(JanelaDeBalanco, ItemSemPaiNoResultadoVaiAoPrimeiroNivel) {
    testsupport::qtApp();
    Janelas j;
    frmBalSal *f = j.nova(4);
    f->MostrarLinhas({{0, QStringLiteral("SALARIO"), QStringLiteral("003"), reais(100)},
                      {0, QStringLiteral("FEIRA"), QStringLiteral("004.001"), reais(-100)},
                      {0, QStringLiteral("FEIRA VELHA"), QStringLiteral("004.001.002"), reais(-50)}});
    // The orphan takes the first level's width, its child the second's: the
    // amounts stand in one column whatever the codes' levels.
    const QStringList l = linhasDaArvore(*f->tv);
    EXPECT_EQ(l, (QStringList{item(0, QStringLiteral("SALARIO"), QStringLiteral("1,00")),
                              item(0, QStringLiteral("FEIRA"), QStringLiteral("-1,00")),
                              item(1, QStringLiteral("FEIRA VELHA"), QStringLiteral("-0,50"))}));
    for (const QString &s : l) EXPECT_EQ(s.size() - 2 + 3 * s.left(1).toInt(), 67) << s.toStdString();
    EXPECT_EQ(f->tv->Item(QStringLiteral("_004.001"))->Image(), QStringLiteral("IMG_RECDESP"));
    // Without a total row the total line keeps its text.
    EXPECT_EQ(f->lblDesTotal->text(), QStringLiteral("BALANÇO TOTAL"));
}

void clicarDireito(widgets::TreeView &tv, const QPoint &p) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), QPointF(tv.viewport()->mapToGlobal(p)), Qt::RightButton, Qt::RightButton,
                  Qt::NoModifier);
    QApplication::sendEvent(tv.viewport(), &e);
}

class JanelaNoLivro : public LivroDeBalancos {
protected:
    void SetUp() override {
        testsupport::qtApp(); // the window application before the book's
        LivroDeBalancos::SetUp();
        ui::gTemDados = ui::kTemContas | ui::kTemRecDesp;
        platform::ui::Forms::setMdiArea(&area);
        area.resize(900, 700);
        area.show();
    }
    void TearDown() override {
        for (QMdiSubWindow *s : area.subWindowList())
            if (auto *f = qobject_cast<platform::ui::Form *>(s->widget()))
                if (f->IsLoaded()) f->Unload();
        platform::ui::Forms::setMdiArea(nullptr);
        LivroDeBalancos::TearDown();
    }
    frmBalSal *abrir(long mode, const PedidoBalanco &p, const QString &titulo = QStringLiteral("BALANÇO")) {
        frmBalSal *f = reports::AbrirBalanco(mode, p, titulo);
        area.setActiveSubWindow(f->SubWindow());
        return f;
    }
    QList<frmBalSal *> janelas() const {
        QList<frmBalSal *> out;
        for (QMdiSubWindow *s : area.subWindowList())
            if (auto *f = qobject_cast<frmBalSal *>(s->widget())) out << f;
        return out;
    }
    QApplication &app = testsupport::qtApp(); // before any widget
    QMdiArea area;
};

TEST_F(JanelaNoLivro, ConsultaNaPrimeiraAtivacaoEAtualizacaoPendenteUmaVez) {
    frmBalSal *a = abrir(3, periodo(true, dia(1, 2), dia(31, 3)));
    EXPECT_EQ(a->Consultas(), 1);
    EXPECT_EQ(a->lblCaption->text(), QStringLiteral("BALANÇO"));
    frmBalSal *b = abrir(6, naData(true, dia(31, 3)));
    EXPECT_EQ(b->Consultas(), 1);
    // A hint while b is active: b at once, a at its next activation.
    long hint = ui::kHintLancamentos;
    lancar(QStringLiteral("002"), QStringLiteral("005"), -100, dia(31, 3));
    lancamentos = lerLancamentos();
    ui::UpdateAllViews(hint, nullptr);
    EXPECT_EQ(b->Consultas(), 2);
    EXPECT_FALSE(b->RefreshPendente());
    EXPECT_EQ(a->Consultas(), 1);
    EXPECT_TRUE(a->RefreshPendente());
    area.setActiveSubWindow(a->SubWindow());
    EXPECT_EQ(a->Consultas(), 2);
    EXPECT_FALSE(a->RefreshPendente());
    area.setActiveSubWindow(b->SubWindow());
    area.setActiveSubWindow(a->SubWindow());
    EXPECT_EQ(a->Consultas(), 2);
    // What the window shows is what the computed rows give.
    EXPECT_EQ(b->lblDesTotal->text().right(13).trimmed(), saldoReal(true, QString(), dia(31, 3)).toBr());
}

// A query that fails is reported, and the window closes after the report.
TEST_F(JanelaNoLivro, ConsultaQueFalhaFechaAJanela) {
    testsupport::Script script;
    script.ok();
    auto *f = new frmBalSal();
    f->Load();
    f->setMode(3);
    f->SQL = QStringLiteral("SELECT Ordem FROM TabelaQueNaoExiste");
    QPointer<frmBalSal> vigia(f);
    f->ShowModeless();
    area.setActiveSubWindow(f->SubWindow());
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_TRUE(script.shown().front().text.contains(QStringLiteral("frmBalSal_FazConsulta"))) << script.shown().front().text.toStdString();
    for (int i = 0; i < 5 && vigia && vigia->IsLoaded(); ++i) QApplication::processEvents();
    EXPECT_TRUE(!vigia || !vigia->IsLoaded());
}

// A total past the range of money is told in Portuguese with the engine's
// number (3349), and no figure is shown for it.
TEST_F(JanelaNoLivro, TotalAlemDoLimiteDizOErroEmVezDeUmNumero) {
    const qint64 grande = 80000000000000000; // 800 trillion, in cents: two pass the range
    lancar(QStringLiteral("003"), QStringLiteral("003"), grande, dia(1, 4));
    lancar(QStringLiteral("002"), QStringLiteral("004"), -grande, dia(2, 4));
    lancar(QStringLiteral("001.002"), QStringLiteral("005"), grande, dia(3, 4));
    testsupport::Script script;
    script.ok();
    QPointer<frmBalSal> f = abrir(3, periodo(true, dia(1, 4), dia(30, 4), {QStringLiteral("001"), QStringLiteral("003")}));
    ASSERT_EQ(script.shown().size(), 1u);
    const QString texto = script.shown().front().text;
    EXPECT_TRUE(texto.startsWith(QStringLiteral("3349 '") + err::db::numericOverflowText())) << texto.toStdString();
    for (int i = 0; i < 5 && f && f->IsLoaded(); ++i) QApplication::processEvents();
    EXPECT_TRUE(!f || !f->IsLoaded());
}

TEST_F(JanelaNoLivro, CliqueDireitoForaDosNosEnosModosDeSaldo) {
    frmBalSal *a = abrir(3, periodo(true, dia(1, 2), dia(31, 3)));
    int menus = 0;
    QObject::connect(a->tv, &widgets::TreeView::PopupShown, [&](QMenu *m, const QPoint &) {
        ++menus;
        m->close();
    });
    const QPoint no = a->tv->visualItemRect(a->tv->Item(QStringLiteral("_001.001"))->item()).center();
    clicarDireito(*a->tv, no);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(a->NoLembrado(), QStringLiteral("_001.001"));
    EXPECT_TRUE(a->mnuBalRecDespEmConta->isVisible());
    EXPECT_FALSE(a->mnuBalContaEmRecDesp->isVisible());
    clicarDireito(*a->tv, QPoint(no.x(), a->tv->viewport()->height() - 2));
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(a->NoLembrado(), QString());
    // Without a remembered node the commands do nothing.
    a->mnuBalRecDespEmConta_Click();
    EXPECT_EQ(janelas().size(), 1);
    {
        // With no types in the chart the command says so and opens nothing.
        ui::gTemDados = ui::kTemContas;
        clicarDireito(*a->tv, no);
        testsupport::Script script;
        script.cancel();
        a->mnuBalRecDespEmConta_Click();
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(script.shown().front().text, QStringLiteral("Não há receitas ou despesas cadastradas para se fazer balanço."));
        EXPECT_EQ(script.shown().front().style, platform::ui::vbOKCancel | platform::ui::vbInformation);
        EXPECT_EQ(janelas().size(), 1);
        ui::gTemDados = ui::kTemContas | ui::kTemRecDesp;
        clicarDireito(*a->tv, QPoint(no.x(), a->tv->viewport()->height() - 2));
        menus = 1; // the click above opened the menu once more
    }
    for (const long mode : {6L, 7L}) {
        frmBalSal *s = abrir(mode, naData(mode == 6, dia(31, 3)));
        QObject::connect(s->tv, &widgets::TreeView::PopupShown, [&](QMenu *m, const QPoint &) {
            ++menus;
            m->close();
        });
        clicarDireito(*s->tv, s->tv->visualItemRect(s->tv->TopNodes().first()->item()).center());
        EXPECT_EQ(menus, 1) << mode;
    }
}

TEST_F(JanelaNoLivro, BalancoCruzadoNumaNovaJanela) {
    db->Execute(QStringLiteral("UPDATE Contas SET DesConta = 'CONTA CORRENTE PRINCIPAL' WHERE Codigo = '001.001'"));
    frmBalSal *a = abrir(3, periodo(true, dia(1, 2), dia(31, 3)));
    QObject::connect(a->tv, &widgets::TreeView::PopupShown, [&](QMenu *m, const QPoint &) {
        m->close();
        a->mnuBalRecDespEmConta->trigger();
    });
    clicarDireito(*a->tv, a->tv->visualItemRect(a->tv->Item(QStringLiteral("_001.001"))->item()).center());
    ASSERT_EQ(janelas().size(), 2);
    frmBalSal *c = janelas().last();
    area.setActiveSubWindow(c->SubWindow());
    EXPECT_EQ(c->Mode(), 4);
    EXPECT_EQ(c->DataIni, dia(1, 2));
    EXPECT_EQ(c->DataFim, dia(31, 3));
    EXPECT_EQ(c->TituloRelatorio,
              QStringLiteral("BALANÇO CONTA \"CONTA CORRENTE PRINCIPAL\" de 01/02/26 a 31/03/26"));
    ASSERT_TRUE(c->Pedido.has_value());
    EXPECT_EQ(c->Pedido->codigoOutro, QStringLiteral("001.001"));
    EXPECT_FALSE(c->Pedido->somenteOutro);
    EXPECT_EQ(c->Consultas(), 1);
    EXPECT_EQ(c->tv->Item(QStringLiteral("_004"))->Text().right(13).trimmed(),
              [&] {
                  Currency s;
                  for (const Lanc &l : lancamentos)
                      if (l.conta.startsWith(QStringLiteral("001.001")) && l.tipo.startsWith(QStringLiteral("004")) &&
                          l.data >= dia(1, 2) && l.data <= dia(31, 3) && (l.realizado == QStringLiteral("S") || l.realizado == QStringLiteral("?")))
                          s += l.valor;
                  return s.toBr();
              }());
}

// The title names the item by its own description, also when the line on
// screen holds it cut (a long amount takes columns from it) and without any
// blank between it and the amount.
TEST_F(JanelaNoLivro, TituloDoCruzadoComADescricaoInteira) {
    frmBalSal *a = abrir(4, periodo(false, dia(1, 2), dia(31, 3)));
    const QString codigo = QStringLiteral("003.001.001.001.001.001.001.001");
    const QString des = QStringLiteral("DESPESAS-DE-VIAGEM-INTERNACIONAL").left(30);
    LinhasBalanco linhas;
    for (int n = 3; n < codigo.size(); n += 4) linhas.push_back({0, QStringLiteral("NIVEL %1").arg(n), codigo.left(n), reais(1)});
    linhas.push_back({0, des, codigo, reais(-12345678901234)});
    a->MostrarLinhas(linhas);
    const QString texto = a->tv->Item(QStringLiteral("_") + codigo)->Text();
    ASSERT_FALSE(texto.contains(QLatin1Char(' ')));
    ASSERT_FALSE(texto.contains(des));
    QObject::connect(a->tv, &widgets::TreeView::PopupShown, [&](QMenu *m, const QPoint &) {
        m->close();
        a->mnuBalContaEmRecDesp2->trigger();
    });
    clicarDireito(*a->tv, a->tv->visualItemRect(a->tv->Item(QStringLiteral("_") + codigo)->item()).center());
    ASSERT_EQ(janelas().size(), 2);
    frmBalSal *c = janelas().last();
    EXPECT_EQ(c->Mode(), 3);
    EXPECT_EQ(c->TituloRelatorio, QStringLiteral("BALANÇO REC/DESP \"") + des + QStringLiteral("\" de 01/02/26 a 31/03/26"));
    EXPECT_TRUE(c->Pedido->somenteOutro);
}

TEST_F(JanelaNoLivro, UsuarioComumSemTotalNaDataEArvoreComAMesmaForma) {
    const long u = usuarioComum();
    db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) SELECT %1, Id, 1, 1 FROM Contas "
                               "WHERE Codigo <> '000'").arg(u));
    frmBalSal *adm = abrir(6, naData(true, dia(31, 3)));
    EXPECT_EQ(adm->TagDoTotal(), QString());
    EXPECT_TRUE(adm->lblDesTotal->text().startsWith(QStringLiteral("SALDO GLOBAL EM 31/03/2026")));
    ui::gTipoUsuario = 2;
    ui::gIdUsuario = u;
    PedidoBalanco p = naData(true, dia(31, 3));
    p.tipoUsuario = 2;
    p.idUsuario = u;
    frmBalSal *comum = abrir(6, p);
    EXPECT_EQ(comum->TagDoTotal(), QStringLiteral("OMITIR"));
    EXPECT_EQ(comum->tv->geometry().top(), comum->lblDesTotal->geometry().top());
    EXPECT_GT(comum->tv->geometry().height(), adm->tv->geometry().height());
    QStringList semRaiz = linhasDaArvore(*adm->tv);
    semRaiz.removeFirst(); // the administrator's list has the root
    EXPECT_EQ(linhasDaArvore(*comum->tv), semRaiz);
}

// At the designed size the tree ends above the hint and the buttons, also
// where it covers the total line (a common user at a date: its top is
// raised, its bottom stays); a larger window gives the room to the tree,
// widens the lines above it and keeps the buttons on the bottom edge.
TEST_F(JanelaNoLivro, ArvoreEntreOTotalEOsBotoesEmQualquerTamanho) {
    struct Caso {
        const char *nome;
        long mode;
        long tipoUsuario;
        bool cobreOTotal;
    };
    const Caso casos[] = {{"period", 3, 1, false},
                          {"date, administrator", 6, 1, false},
                          {"date, common user", 6, 2, true},
                          {"types at a date, common user", 7, 2, true}};
    int fundoNaData = -1;
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        ui::gTipoUsuario = c.tipoUsuario; // the layout follows the signed-in user
        frmBalSal *f = abrir(c.mode, c.mode == 3 ? periodo(true, dia(1, 2), dia(31, 3))
                                                 : naData(c.mode == 6, dia(31, 3)));
        ui::gTipoUsuario = 1;
        QApplication::processEvents();
        const QRect arvore = f->tv->geometry();
        if (c.cobreOTotal) {
            EXPECT_EQ(arvore.top(), f->lblDesTotal->geometry().top());
        } else {
            EXPECT_GT(arvore.top(), f->lblDesTotal->geometry().top());
        }
        QList<QWidget *> abaixo{f->cmdImprimir, f->cmdAtualizar, f->cmdCancel};
        if (c.mode == 3) abaixo << f->lblAviso;
        for (QWidget *w : abaixo) EXPECT_LT(arvore.bottom(), w->geometry().top()) << w->objectName().toStdString();
        if (c.mode != 3) {
            if (fundoNaData < 0) fundoNaData = arvore.bottom();
            EXPECT_EQ(arvore.bottom(), fundoNaData) << "the same bottom edge with or without the total";
        }
        QHash<QWidget *, QRect> antes;
        for (QWidget *w : f->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) antes.insert(w, w->geometry());
        const QSize maior(300, 200);
        const QSize antigo = f->size();
        f->SubWindow()->resize(f->SubWindow()->size() + maior);
        QApplication::processEvents();
        ASSERT_EQ(f->size(), antigo + maior);
        EXPECT_EQ(f->tv->geometry(), arvore.adjusted(0, 0, maior.width(), maior.height()));
        EXPECT_EQ(f->cmdCancel->geometry(), antes[f->cmdCancel].translated(maior.width(), maior.height()));
        for (QWidget *w : {static_cast<QWidget *>(f->cmdImprimir), static_cast<QWidget *>(f->cmdAtualizar)})
            EXPECT_EQ(w->geometry(), antes[w].translated(0, maior.height()));
        EXPECT_EQ(f->lblAviso->geometry(), antes[f->lblAviso].translated(0, maior.height()).adjusted(0, 0, maior.width(), 0));
        for (QWidget *w : {static_cast<QWidget *>(f->lblCaption), static_cast<QWidget *>(f->lblValor),
                           static_cast<QWidget *>(f->lblDesTotal)})
            EXPECT_EQ(w->geometry(), antes[w].adjusted(0, 0, maior.width(), 0)) << w->objectName().toStdString();
        EXPECT_EQ(f->lblContas->geometry(), antes[f->lblContas]);
    }
}

// With no item the total line stands where the first level's texts would
// start, as it does over a tree with items.
TEST_F(JanelaNoLivro, LinhaDoTotalNoMesmoLugarComArvoreVazia) {
    frmBalSal *cheia = abrir(6, naData(true, dia(31, 3)));
    frmBalSal *vazia = abrir(6, naData(true, dia(31, 3)));
    QApplication::processEvents();
    cheia->MostrarLinhas({{0, QStringLiteral("BANCOS"), QStringLiteral("001"), reais(100)},
                          {1, QStringLiteral("SALDO GLOBAL"), QStringLiteral("9999"), reais(100)}});
    vazia->MostrarLinhas({});
    QApplication::processEvents();
    EXPECT_EQ(cheia->lblDesTotal->x(), cheia->tv->x() + cheia->tv->TextLeft(cheia->tv->TopNodes().first()));
    EXPECT_EQ(vazia->lblDesTotal->x(), cheia->lblDesTotal->x());
    EXPECT_EQ(vazia->Label1->geometry().right(), vazia->lblDesTotal->x() - 1);
}

// Maximised in the main window, the window lays itself out for the room:
// the tree takes it, the buttons stand on the bottom edge.
TEST_F(JanelaNoLivro, MaximizadaAArvoreOcupaOEspaco) {
    frmBalSal *f = abrir(6, naData(true, dia(31, 3)));
    const QSize desenho = f->size();
    const int margemDeBaixo = desenho.height() - f->cmdImprimir->geometry().bottom();
    const int margemDaDireita = desenho.width() - f->cmdCancel->geometry().right();
    const int folga = f->cmdImprimir->geometry().top() - f->tv->geometry().bottom();
    f->SubWindow()->showMaximized();
    QApplication::processEvents();
    ASSERT_GT(f->width(), desenho.width());
    ASSERT_GT(f->height(), desenho.height());
    EXPECT_EQ(f->tv->geometry().right(), f->width() - 1);
    EXPECT_EQ(f->height() - f->cmdImprimir->geometry().bottom(), margemDeBaixo);
    EXPECT_EQ(f->width() - f->cmdCancel->geometry().right(), margemDaDireita);
    EXPECT_EQ(f->cmdImprimir->geometry().top() - f->tv->geometry().bottom(), folga);
}

// The commands: the selection dialog of the Mode, then a balance window with
// what the dialog gave.
TEST_F(JanelaNoLivro, ComandosLevamASelecaoAJanela) {
    ui::RegistrarMensagens();
    struct Caso {
        long mode;
        QStringList marcar;
        bool comSub, semSubs, soN;
        QString historico;
    };
    const std::vector<Caso> casos = {{3, {QStringLiteral("_001")}, false, true, false, QStringLiteral("FEIRA")},
                                     {4, {}, true, false, true, QString()},
                                     {6, {QStringLiteral("_001.001"), QStringLiteral("_002")}, false, false, false, QString()},
                                     {7, {QStringLiteral("_004")}, true, false, false, QString()}};
    for (const Caso &k : casos) {
        SCOPED_TRACE(k.mode);
        testsupport::Script script;
        script.act([&](QWidget &w) {
            auto &d = dynamic_cast<reports::frmExtra &>(w);
            d.txtDataIni->setText(QStringLiteral("01/02/2026"));
            d.txtDataFim->setText(QStringLiteral("31/03/2026"));
            d.txtHistoricos->setText(k.historico);
            for (const QString &chave : k.marcar) {
                d.tv_NodeClick(d.tv->Item(chave));
                QApplication::processEvents();
            }
            d.ComSubItens = k.comSub;
            d.BalSemSubs = k.semSubs;
            d.SoNaoRealizados = k.soN;
            d.cmdOK_Click();
        });
        frmBalSal *f = reports::AbrirBalancoDaSelecao(k.mode);
        ASSERT_NE(f, nullptr);
        area.setActiveSubWindow(f->SubWindow());
        EXPECT_EQ(f->Mode(), k.mode);
        ASSERT_TRUE(f->Pedido.has_value());
        const PedidoBalanco &p = *f->Pedido;
        const bool naData = k.mode >= 6;
        EXPECT_EQ(p.contas, k.mode == 3 || k.mode == 6);
        EXPECT_EQ(p.tipo, naData ? PedidoBalanco::Tipo::Data : PedidoBalanco::Tipo::Periodo);
        QStringList marcados;
        for (const QString &c : k.marcar) marcados << c.mid(1);
        EXPECT_EQ(p.codigos, marcados);
        EXPECT_EQ(p.comSubItens, k.comSub);
        EXPECT_EQ(p.balSemSubs, naData ? false : k.semSubs);
        EXPECT_EQ(p.soNaoRealizados, naData ? false : k.soN);
        EXPECT_EQ(p.historico, naData ? QString() : k.historico);
        EXPECT_EQ(f->DataFim, dia(31, 3));
        EXPECT_EQ(f->TituloRelatorio, naData ? (k.mode == 6 ? QStringLiteral("SALDOS DE CONTAS EM 31/03/2026")
                                                            : QStringLiteral("SALDOS DE RECEITAS E DESPESAS EM 31/03/2026"))
                                             : f->TituloRelatorio);
        if (!naData) {
            EXPECT_EQ(f->DataIni, dia(1, 2));
            EXPECT_TRUE(f->TituloRelatorio.endsWith(QStringLiteral(" DE 01/02/2026 a 31/03/2026")));
        }
        // The window shows the rows of the text it was given.
        EXPECT_EQ(f->SQL, core::consultas::SqlDoPedido(p));
        EXPECT_EQ(f->tv->Count(), [&] {
            int n = 0;
            for (const LinhaBalanco &l : rodar(p)) n += l.ordem == 0;
            return n;
        }());
    }
    testsupport::Script script;
    script.act([](QWidget &w) { dynamic_cast<reports::frmExtra &>(w).cmdCancel_Click(); });
    const auto antes = janelas().size();
    EXPECT_EQ(reports::AbrirBalancoDaSelecao(3), nullptr);
    EXPECT_EQ(janelas().size(), antes);
}

// ---- printing --------------------------------------------------------------

LinhasBalanco muitas(int n) {
    LinhasBalanco l;
    for (int i = 1; i <= n; ++i) {
        const QString pai = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        l.push_back({0, QStringLiteral("ITEM %1").arg(i), pai, reais(i)});
        l.push_back({0, QStringLiteral("SUB %1").arg(i), pai + QStringLiteral(".001"), reais(-i)});
    }
    l.push_back({1, QStringLiteral("BALANÇO TOTAL DAS CONTAS PESQUISADAS"), QStringLiteral("9999"), reais(0)});
    return l;
}

std::vector<print::PrintOp> corpo(const print::RecordingPrinter &p, int pagina) {
    std::vector<print::PrintOp> out;
    for (const print::PrintOp &o : p.ops())
        if (o.kind == print::PrintOp::Text && o.page == pagina && o.font == QStringLiteral("Courier New")) out.push_back(o);
    return out;
}

TEST(RelatorioDeBalanco, PaginasComVariosItensTotalUmaVezEColuna67) {
    testsupport::qtApp();
    testsupport::Script script;
    script.ok();
    Janelas j;
    frmBalSal *f = j.nova(3);
    f->TituloRelatorio = QStringLiteral("Balanço de contas  DE 01/02/2026 a 31/03/2026");
    f->MostrarLinhas(muitas(100));
    print::RecordingPrinter p;
    f->ImprimeRelatorio(p);
    EXPECT_EQ(script.shownTexts(), QStringList{QStringLiteral("Impressão concluída.")});
    EXPECT_EQ(p.documentsEnded(), 1);
    EXPECT_EQ(f->TituloRelatorio, QStringLiteral("BALANÇO DE CONTAS  DE 01/02/2026 A 31/03/2026"));
    EXPECT_TRUE(p.texts(1).contains(f->TituloRelatorio));
    std::vector<std::vector<print::PrintOp>> paginas;
    std::vector<print::PrintOp> todas;
    for (int pg = 1; !corpo(p, pg).empty(); ++pg) {
        paginas.push_back(corpo(p, pg));
        todas.insert(todas.end(), paginas.back().begin(), paginas.back().end());
    }
    ASSERT_EQ(paginas.size(), 3u);
    ASSERT_EQ(todas.size(), 201u);
    p.setFontName(QStringLiteral("Courier New"));
    p.setFontSize(8);
    p.setFontBold(false);
    const double linha = p.TextHeight(QStringLiteral("A")) + 20;
    for (std::size_t pg = 0; pg < paginas.size(); ++pg) {
        const auto &c = paginas[pg];
        // A full page holds the whole lines that fit below its first, minus 2.
        if (pg + 1 < paginas.size()) {
            EXPECT_EQ(long(c.size()), long((p.ScaleHeight() - c.front().y - 900) / linha) - 2) << "page " << pg + 1;
        }
        EXPECT_LE(c.back().y + linha, p.ScaleHeight() - 900) << "page " << pg + 1;
        EXPECT_EQ(c.front().x, todas.front().x);
    }
    // The total line once, first; every line ends in column 67.
    EXPECT_EQ(todas.front().text, f->lblDesTotal->text());
    int totais = 0;
    for (const print::PrintOp &o : todas) {
        totais += o.text.startsWith(QStringLiteral("BALANÇO TOTAL"));
        EXPECT_EQ(o.text.size(), 67) << o.text.toStdString();
    }
    EXPECT_EQ(totais, 1);
    EXPECT_EQ(todas[1].text, f->tv->Item(QStringLiteral("_001"))->Text());
    EXPECT_EQ(todas[2].text, QStringLiteral("   ") + f->tv->Item(QStringLiteral("_001.001"))->Text());
}

TEST(RelatorioDeBalanco, DentroDaAreaImprimivelOuParaQuandoAPaginaNaoComportaUmaLinha) {
    testsupport::qtApp();
    Janelas j;
    frmBalSal *f = j.nova(3);
    f->MostrarLinhas(muitas(100));
    testsupport::ConfereFolhasEmRetrato([&] { f->cmdImprimir_Click(); }, [&](const print::RecordingPrinter &p) {
        const QString ultimo = f->tv->Item(QStringLiteral("_100.001"))->Text();
        int vezes = 0;
        for (const QString &t : p.texts()) vezes += t.endsWith(ultimo);
        EXPECT_EQ(vezes, 1);
    });
}

TEST(RelatorioDeBalanco, SemTotalQuandoOmitidoEArvoreVazia) {
    testsupport::qtApp();
    Janelas j;
    ui::gTipoUsuario = 2;
    frmBalSal *f = j.nova(7);
    ui::gTipoUsuario = 1;
    ASSERT_EQ(f->TagDoTotal(), QStringLiteral("OMITIR"));
    {
        testsupport::Script script;
        script.ok();
        print::RecordingPrinter p;
        f->ImprimeRelatorio(p);
        EXPECT_EQ(script.shownTexts(), QStringList{QStringLiteral("Nada há para ser impresso.")});
        EXPECT_TRUE(p.ops().empty());
    }
    f->MostrarLinhas({{0, QStringLiteral("SALARIO"), QStringLiteral("003"), reais(100)}});
    testsupport::Script script;
    script.ok();
    print::RecordingPrinter p;
    f->ImprimeRelatorio(p);
    const auto c = corpo(p, 1);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c.front().text, f->tv->Item(QStringLiteral("_003"))->Text());
    EXPECT_TRUE(p.texts(1).contains(QStringLiteral("RECEITAS E DESPESAS")));
    EXPECT_TRUE(p.texts(1).contains(QStringLiteral("SALDO")));
}

// A cross-balance title too wide for the room between the page number and
// the time goes on in a second centred line, and the headings and the body
// start below it.
TEST(RelatorioDeBalanco, TituloLongoQuebraEmDuasLinhasSemInvadirONumeroNemAHora) {
    testsupport::qtApp();
    Janelas j;
    frmBalSal *f = j.nova(3);
    f->TituloRelatorio = QStringLiteral("Balanço rec/desp \"IMPOSTO DE RENDA PESSOA FÍSICA\" de 01/10/25 a 31/12/26");
    f->MostrarLinhas(muitas(60));
    testsupport::Script script;
    script.ok();
    print::RecordingPrinter p;
    f->ImprimeRelatorio(p);
    ASSERT_EQ(script.shownTexts(), QStringList{QStringLiteral("Impressão concluída.")});
    testsupport::ConfereSemSobreposicao(p);
    for (int pagina = 1; pagina <= testsupport::PaginasImpressas(p); ++pagina) {
        std::vector<print::PrintOp> titulo;
        double cabecalho = 0, primeiraDoCorpo = 0;
        for (const print::PrintOp &o : p.ops()) {
            if (o.kind != print::PrintOp::Text || o.page != pagina) continue;
            if (o.size == 12) titulo.push_back(o);
            if (o.text == f->lblContas->text().trimmed().toUpper()) cabecalho = o.y;
            if (o.font == QStringLiteral("Courier New") && primeiraDoCorpo == 0) primeiraDoCorpo = o.y;
        }
        ASSERT_EQ(titulo.size(), 2u) << "page " << pagina;
        EXPECT_EQ(titulo[0].text + QLatin1Char(' ') + titulo[1].text, f->TituloRelatorio);
        // each line centred on the sheet, the second a title line lower
        for (const print::PrintOp &o : titulo) EXPECT_NEAR(testsupport::MedirTexto(o).esquerda + testsupport::MedirTexto(o).direita,
                                                           p.Width() - 2 * p.PhysicalOffsetX() * p.TwipsPerPixelX(), 1.0);
        const testsupport::Mancha segunda = testsupport::MedirTexto(titulo[1]);
        EXPECT_NEAR(segunda.topo, titulo[0].y + testsupport::MedirTexto(titulo[0]).pe - titulo[0].y, 0.01);
        EXPECT_GT(cabecalho, segunda.pe + 200) << "page " << pagina;
        EXPECT_GT(primeiraDoCorpo, cabecalho) << "page " << pagina;
    }
}

TEST(RelatorioDeBalanco, NovaPaginaQueFalhaEncerraOTrabalhoComOErroDaImpressora) {
    testsupport::qtApp();
    Janelas j;
    frmBalSal *f = j.nova(3);
    f->MostrarLinhas(muitas(100));
    testsupport::Script script;
    script.ok();
    testsupport::ImpressoraSemNovaPagina p;
    {
        print::ScopedPrinter uso(p);
        f->cmdImprimir_Click();
    }
    testsupport::ConfereFalhaDeNovaPagina(p, script.shownTexts());
}

} // namespace
} // namespace balancos
