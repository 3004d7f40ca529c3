// The result window: layout by Mode, the previous global balance, the
// selection of one row, refresh and the view hint.
#include "RetPesqFixture.h"
#include "platform/ui/GuiTest.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include <string>

namespace {

const QString kPeriodoTodo = QStringLiteral("#01/01/2020#");
const QString kFimTodo = QStringLiteral("#12/31/2030#");

class Janela : public RetPesq {
protected:
    void SetUp() override {
        RetPesq::SetUp();
        plano();
    }
};

TEST_F(Janela, ModosMostramOuEscondemSaldoAnteriorColunaGlobalERemoverBaixa) {
    ui::gIdUsuario = 1;
    struct Caso {
        long mode;
        const char *contas;
        long tipo;
        bool soNaoRealizados;
        const char *historico;
        bool topo;
        const char *titulo;
        const char *coluna7;
    };
    const Caso casos[] = {
        {1, "", 1, false, "", true, "EXTRATO DE CONTAS DE CAPITAL", "Saldo Conta"},
        {2, "", 1, false, "", true, "EXTRATO DE RECEITAS E DESPESAS", "Saldo Rec/Desp"},
        {1, "'001'", 1, false, "", false, "EXTRATO DE CONTAS DE CAPITAL", "Saldo Conta"},
        {1, "", 1, false, "ALUGUEL", false, "EXTRATO DE CONTAS DE CAPITAL", "Saldo Conta"},
        {2, "", 1, true, "", false, "EXTRATO DE RECEITAS E DESPESAS", "Saldo Rec/Desp"},
        {1, "", 2, false, "", false, "EXTRATO DE CONTAS DE CAPITAL", "Saldo Conta"},
        {5, "", 1, false, "", false, "PESQUISA DE LANÇAMENTOS POR DOCUMENTO", "Saldo Conta"},
    };
    lancar("001", "003", QDate(2024, 3, 1), 1000, "A");
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.titulo + std::string(" ") + c.contas + c.historico + std::to_string(c.tipo));
        ui::gTipoUsuario = c.tipo;
        Abertura a;
        a.mode = c.mode;
        a.sql = c.mode == 5 ? search::SqlPesquisaPorDocumento(u("A"), 1, 1) : extrato(kPeriodoTodo, kFimTodo, int(c.mode));
        a.contas = u(c.contas);
        a.soNaoRealizados = c.soNaoRealizados;
        a.historico = u(c.historico);
        search::frmRetPesq *f = abrir(a);
        EXPECT_EQ(f->picTop->isVisibleTo(f), c.topo);
        EXPECT_EQ(f->ColunaGlobalVisivel(), c.topo);
        EXPECT_EQ(f->cmdRemBaixa->isVisibleTo(f), c.mode != 5);
        EXPECT_EQ(f->windowTitle(), u(c.titulo));
        EXPECT_EQ(f->DBGrid1->Columns(7).Caption(), u(c.coluna7));
        EXPECT_EQ(f->DBGrid1->Caption(), u("TÍTULO"));
        // Without the top panel the grid starts at the top and fills the space.
        EXPECT_EQ(f->DBGrid1->y(), c.topo ? f->picTop->height() : 0);
        EXPECT_EQ(f->DBGrid1->y() + f->DBGrid1->height(), f->picBotton->y());
        ASSERT_EQ(f->Recordset()->RecordCount(), 1);
        EXPECT_EQ(f->DBGrid1->view()->model()->index(0, 7).data().toString(), u("R$ 10,00"));
        f->Unload();
    }
}

TEST_F(Janela, SaldoAnteriorEOSaldoGlobalDoUltimoLancamentoAntesDoPrimeiroListado) {
    lancar("001", "003", QDate(2024, 1, 10), 100000, "A");
    lancar("002", "004", QDate(2024, 1, 20), -2550, "B");
    transferir("002", "001.001", QDate(2024, 1, 31), 500);
    lancar("001.001", "003.001", QDate(2024, 2, 1), 700, "C");
    lancar("002", "004", QDate(2024, 2, 15), -1, "D");
    // The oracle's global balance of the last posting of January.
    const QString esperado = value::Currency::fromUnits(
        numero(u("SELECT SaldoGlobal * 10000 FROM Lancamentos WHERE DataId = (SELECT Max(DataId) FROM Lancamentos "
                 "WHERE Data < #02/01/2024#)"))).toBr();
    ASSERT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
    Abertura a;
    a.sql = extrato(u("#02/01/2024#"), u("#02/28/2024#"));
    search::frmRetPesq *f = abrir(a);
    EXPECT_EQ(esperado, u("974,50"));
    EXPECT_EQ(f->lblTop->text(), search::kRotuloSaldoAnterior + u(" ") + esperado);
    EXPECT_EQ(f->SaldoGlobalAnterior(), value::Currency::fromUnits(9745000));
    EXPECT_EQ(f->Recordset()->RecordCount(), 2);

    // From the first posting on: nothing before it.
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    f = abrir(a);
    EXPECT_EQ(f->lblTop->text(), u("ÚLTIMO SALDO GLOBAL ANTERIOR: R$  0,00"));
    EXPECT_EQ(f->SaldoGlobalAnterior(), value::Currency());

    // An empty period.
    a.sql = extrato(u("#01/01/2021#"), u("#12/31/2021#"));
    f = abrir(a);
    EXPECT_EQ(f->lblTop->text(), search::kMsgSemLancamentos);
    EXPECT_EQ(f->SaldoGlobalAnterior(), value::Currency());
    EXPECT_EQ(f->DBGrid1->SelBookmarks().Count(), 0);
}

TEST_F(Janela, UmaLinhaSelecionadaPeloCliqueESoComOBotaoEsquerdo) {
    for (int d = 1; d <= 8; ++d) lancar("001", "003", QDate(2024, 1, d), d * 100, "DOC");
    Abertura a;
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    search::frmRetPesq *f = abrir(a);
    clicarLinha(f, 2);
    EXPECT_EQ(campoSelecionado(f, "Valor"), u("3"));
    EXPECT_EQ(f->Recordset()->Field(u("Valor")).toCurrency(), value::Currency::fromWhole(3));
    clicarLinha(f, 4);
    EXPECT_EQ(campoSelecionado(f, "Valor"), u("5"));
    // The right button changes nothing.
    clicarLinha(f, 1, Qt::RightButton);
    EXPECT_EQ(campoSelecionado(f, "Valor"), u("5"));
    // A header or the empty area below the last row changes nothing.
    const QPoint cabecalho = f->DBGrid1->view()->horizontalHeader()->mapTo(f->DBGrid1, QPoint(30, 4));
    f->DBGrid1_MouseDown(1, 0, cabecalho.x(), cabecalho.y());
    f->DBGrid1_MouseUp(1, 0, cabecalho.x(), cabecalho.y());
    const QPoint abaixo = f->DBGrid1->view()->viewport()->mapTo(f->DBGrid1, QPoint(60, f->DBGrid1->RowHeight() * 8 + 5));
    f->DBGrid1_MouseDown(1, 0, abaixo.x(), abaixo.y());
    f->DBGrid1_MouseUp(1, 0, abaixo.x(), abaixo.y());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(campoSelecionado(f, "Valor"), u("5"));
    // Rows chosen by the record selector keep only the last one.
    auto &sel = f->DBGrid1->SelBookmarks();
    sel.Add(f->DBGrid1->RowBookmark(0));
    sel.Add(f->DBGrid1->RowBookmark(6));
    f->DBGrid1_SelChange();
    EXPECT_EQ(campoSelecionado(f, "Valor"), u("7"));
}

TEST_F(Janela, AtualizarMantemPrimeiraLinhaVisivelELancamentoSelecionado) {
    for (int d = 1; d <= 60; ++d) lancar(d % 2 ? "001" : "002", "003", QDate(2024, 2, 1).addDays(d), d * 100, "DOC");
    Abertura a;
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    search::frmRetPesq *f = abrir(a);
    ASSERT_LT(f->DBGrid1->VisibleRows(), 50);
    dao::Recordset *rs = f->Recordset();
    rs->SetAbsolutePosition(6);
    f->DBGrid1->setFirstRow(rs->GetBookmark());
    long linha = 3;
    f->SelCurLine(linha);
    const QString primeira = dataIds(f)[6], selecionada = campoSelecionado(f, "DataId");
    EXPECT_EQ(selecionada, dataIds(f)[9]);
    // A posting before them moves them down one row; the window finds them by DataId.
    lancar("001", "004", QDate(2024, 1, 15), -50, "NOVO");
    f->cmdAtualizar_Click();
    ASSERT_EQ(f->Recordset()->RecordCount(), 61);
    EXPECT_EQ(dataIds(f)[f->DBGrid1->view()->rowAt(0)], primeira);
    EXPECT_EQ(campoSelecionado(f, "DataId"), selecionada);
    EXPECT_EQ(f->Recordset()->Field(u("DataId")).toString(), selecionada);
    // A selected posting that left the result leaves no selection.
    db->Execute(u("UPDATE Lancamentos SET Data = #01/01/2019#, DataId = '20190101' & Mid(DataId, 9) WHERE DataId = '") +
                selecionada + u("'"));
    f->cmdAtualizar_Click();
    EXPECT_EQ(f->DBGrid1->SelBookmarks().Count(), 0);
    db->Execute(u("UPDATE Lancamentos SET Data = #02/11/2024#, DataId = '") + selecionada +
                u("' WHERE DataId = '20190101' & Mid('") + selecionada + u("', 9)"));
}

TEST_F(Janela, AvisoDeVistaEsperaAAtivacaoQuandoOutraJanelaEstaAtiva) {
    lancar("001", "003", QDate(2024, 1, 1), 100, "A");
    Abertura a;
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    search::frmRetPesq *f = abrir(a);
    search::frmRetPesq *outra = abrir(a);
    ASSERT_EQ(platform::ui::Forms::ActiveChild(), outra);
    lancar("002", "004", QDate(2024, 1, 2), -100, "B");
    long hint = 2;
    f->UpdateView(hint);
    EXPECT_TRUE(f->AtualizacaoPendente());
    EXPECT_EQ(f->Recordset()->RecordCount(), 1);
    outra->UpdateView(hint); // the active one refreshes at once
    EXPECT_FALSE(outra->AtualizacaoPendente());
    EXPECT_EQ(outra->Recordset()->RecordCount(), 2);
    area.setActiveSubWindow(f->SubWindow());
    f->Activate();
    EXPECT_FALSE(f->AtualizacaoPendente());
    EXPECT_EQ(f->Recordset()->RecordCount(), 2);
}

TEST_F(Janela, ConsultaSoNaPrimeiraAtivacaoEFalhaFechaAJanela) {
    lancar("001", "003", QDate(2024, 1, 1), 100, "A");
    Abertura a;
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    auto *f = new search::frmRetPesq();
    f->Load();
    f->SQL = a.sql;
    f->setMode(1);
    EXPECT_EQ(f->Recordset(), nullptr); // the values arrive after the load: no query yet
    f->ShowModeless();
    janelas.emplace_back(f);
    ativar(f);
    ASSERT_NE(f->Recordset(), nullptr);
    EXPECT_EQ(f->Activations(), 1);
    EXPECT_TRUE(f->SubWindow()->isMaximized());
    EXPECT_EQ(f->cmdBaixar->property("Tag").toString(), QString::number(f->cmdBaixar->x() * 15 - 10080));

    testsupport::Script s;
    s.ok();
    a.sql = u("SELECT Nada FROM Lugar Nenhum");
    QPointer<search::frmRetPesq> ruim = abrir(a);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ruim.isNull() || !ruim->IsLoaded());
    ASSERT_EQ(s.shown().size(), 1u);
}

TEST_F(Janela, GradeSemLinhaVisivelNaoRepeteAConsultaSemFim) {
    lancar("001", "003", QDate(2024, 1, 1), 100, "A");
    Abertura a;
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    search::frmRetPesq *f = abrir(a);
    // A grid too low to show a row: the refresh tries again a few times and stops.
    f->DBGrid1->resize(f->DBGrid1->width(), 1);
    ASSERT_EQ(f->DBGrid1->VisibleRows(), 0);
    f->cmdAtualizar_Click();
    EXPECT_EQ(f->Recordset()->RecordCount(), 1);
    EXPECT_TRUE(f->IsLoaded());
}

TEST_F(Janela, RedimensionarAjustaAGradeEAHistoricoAbsorveASobra) {
    for (int d = 0; d < 80; ++d) lancar("001", "003", QDate(2024, 1, 1).addDays(d), 100, "A");
    Abertura a;
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    search::frmRetPesq *f = abrir(a);
    f->SubWindow()->showNormal();
    f->SubWindow()->resize(980, 500);
    QCoreApplication::sendPostedEvents();
    const QRect antes = f->DBGrid1->geometry();
    EXPECT_EQ(antes.width(), f->width());
    const int historico = f->DBGrid1->Columns(5).Width();
    f->SubWindow()->resize(1080, 500);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(f->DBGrid1->width(), f->width());
    EXPECT_EQ(f->DBGrid1->Columns(5).Width(), historico + (f->DBGrid1->width() - antes.width()));
    // Every visible column fits: no sideways scrolling.
    QTableView *v = f->DBGrid1->view();
    EXPECT_LE(v->horizontalHeader()->length(), v->viewport()->width());
    // Too low or minimised: the layout stays.
    const QRect grade = f->DBGrid1->geometry();
    f->SubWindow()->resize(900, 120);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(f->DBGrid1->geometry(), grade);
    // Made narrower than 5200 twips, the window stops at that width, where
    // the grid still fits it.
    f->SubWindow()->resize(300, 500);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(f->width(), (5200 + 14) / 15);
    EXPECT_EQ(f->DBGrid1->width(), f->width());
    f->SubWindow()->resize(1080, 500);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(f->DBGrid1->geometry(), grade);
    f->SubWindow()->showMinimized();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(f->DBGrid1->geometry(), grade);
}

} // namespace

// Nothing the user reads is cut at the size the window opens with: the
// buttons' captions and the dates of the rows.
TEST_F(Janela, LegendasDosBotoesEDatasInteiras) {
    lancar("001", "003", QDate(2024, 12, 31), 100, "A");
    Abertura a;
    a.sql = extrato(QStringLiteral("#01/01/2020#"), QStringLiteral("#12/31/2030#"));
    search::frmRetPesq *f = abrir(a);
    ASSERT_NE(f, nullptr);
    QPushButton *botoes[] = {f->cmdBaixar, f->cmdRemBaixa, f->cmdEstornar, f->cmdImprimir, f->cmdAtualizar, f->cmdCancel};
    for (std::size_t i = 0; i < std::size(botoes); ++i) {
        QPushButton *b = botoes[i];
        SCOPED_TRACE(b->text().toStdString());
        const int texto = b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&')));
        EXPECT_GE(b->width(), texto + 8) << "caption cut";
        if (i > 0) {
            EXPECT_GT(b->x(), botoes[i - 1]->geometry().right()) << "no overlap";
        }
    }
    const QFontMetrics fm(f->DBGrid1->view()->font());
    EXPECT_GE(f->DBGrid1->Columns(1).Width(), fm.horizontalAdvance(QStringLiteral("31/12/2024")) + 6);
}

namespace {

// The visible row of the current row and of the one selected row.
int linhaAtual(search::frmRetPesq *f) { return f->DBGrid1->view()->currentIndex().row(); }
int linhaSelecionada(search::frmRetPesq *f) {
    auto &sel = f->DBGrid1->SelBookmarks();
    if (sel.Count() != 1) return -1 - sel.Count();
    auto c = f->Recordset()->Clone();
    c->SetBookmark(sel.Item(0));
    return int(c->AbsolutePosition());
}

// Every visible button whole inside the window, none over another, the grid above them.
void botoesInteiros(search::frmRetPesq *f) {
    QList<QPushButton *> botoes;
    for (QPushButton *b : {f->cmdBaixar, f->cmdRemBaixa, f->cmdEstornar, f->cmdImprimir, f->cmdAtualizar, f->cmdCancel})
        if (!b->isHidden()) botoes << b;
    for (QPushButton *b : botoes) {
        SCOPED_TRACE(b->text().toStdString());
        const QRect r(b->mapTo(f, QPoint(0, 0)), b->size());
        EXPECT_TRUE(f->rect().contains(r)) << "cut by the window's edge";
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))) + 8);
        EXPECT_GE(r.top(), f->DBGrid1->geometry().bottom()) << "under the grid";
        for (QPushButton *o : botoes) {
            if (o != b) {
                EXPECT_FALSE(b->geometry().intersects(o->geometry())) << o->text().toStdString();
            }
        }
    }
}

} // namespace

// Opened while the window system activates it as it appears (as the program
// runs), the result window fills the area with every column and button whole;
// restored it takes its designed size, and opening or closing another window
// leaves a restored one so.
TEST_F(Janela, AbreMaximizadaERestauradaVoltaAoTamanhoDeProjeto) {
    for (int d = 0; d < 30; ++d) lancar("001", "003", QDate(2024, 1, 1).addDays(d), 100 + d, "DOC", "SALARIO MENSAL");
    area.activateWindow();
    QApplication::processEvents();
    Abertura a;
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    search::frmRetPesq *f = abrir(a);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->SubWindow()->isMaximized());
    EXPECT_EQ(f->SubWindow()->geometry(), area.viewport()->rect()) << "fills the area";
    QTableView *v = f->DBGrid1->view();
    EXPECT_LE(v->horizontalHeader()->length(), v->viewport()->width()) << "no column hidden to the right";
    botoesInteiros(f);
    const QSize desenho(672, 440);
    f->SubWindow()->showNormal();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(f->size(), desenho);
    search::frmRetPesq *outra = abrir(a);
    ASSERT_NE(outra, nullptr);
    EXPECT_TRUE(outra->SubWindow()->isMaximized());
    EXPECT_EQ(f->size(), desenho) << "another window opened";
    outra->Unload();
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
    EXPECT_EQ(f->size(), desenho) << "another window closed";
}

// Narrower than designed, the buttons stay whole and in the window: a row
// too narrow for them all goes on in a second one, the grid giving way.
TEST_F(Janela, BotoesSeguemAJanela) {
    lancar("001", "003", QDate(2024, 1, 1), 100, "A");
    for (long mode : {1L, 5L}) {
        Abertura a;
        a.mode = mode;
        a.sql = mode == 5 ? search::SqlPesquisaPorDocumento(u("A"), 1, 1) : extrato(kPeriodoTodo, kFimTodo);
        search::frmRetPesq *f = abrir(a);
        ASSERT_NE(f, nullptr);
        f->SubWindow()->showNormal();
        for (int largura : {1000, 672, 560, 420}) {
            SCOPED_TRACE(std::to_string(mode) + " " + std::to_string(largura));
            f->SubWindow()->resize(largura + (f->SubWindow()->width() - f->width()), 480);
            QCoreApplication::sendPostedEvents();
            botoesInteiros(f);
            EXPECT_EQ(f->picBotton->geometry().bottom(), f->height() - 1);
            EXPECT_EQ(f->DBGrid1->geometry().bottom() + 1, f->picBotton->y());
        }
        f->Unload();
    }
}

// Dragged narrower than it lays itself out at, or than its buttons need in
// two rows, the window stops there: the buttons whole, the grid's scroll bar
// inside the window.
TEST_F(Janela, MaisEstreitaQueOsBotoesPedemParaOndeFicamInteiros) {
    for (int d = 0; d < 30; ++d) lancar("001", "003", QDate(2024, 1, 1).addDays(d), 100 + d, "DOC");
    for (long mode : {1L, 5L}) {
        Abertura a;
        a.mode = mode;
        a.sql = mode == 5 ? search::SqlPesquisaPorDocumento(u("DOC"), 1, 1) : extrato(kPeriodoTodo, kFimTodo);
        search::frmRetPesq *f = abrir(a);
        ASSERT_NE(f, nullptr);
        QMdiSubWindow *s = f->SubWindow();
        s->showNormal();
        const QSize moldura = s->size() - f->size();
        for (int largura : {290, 250}) {
            SCOPED_TRACE(std::to_string(mode) + " " + std::to_string(largura));
            s->resize(largura, 400);
            QApplication::processEvents(); // the scroll bars follow the grid's new size
            EXPECT_GE(f->width() * 15, 5200);
            EXPECT_EQ(s->size(), f->size() + moldura) << "the form fills its frame";
            botoesInteiros(f);
            QScrollBar *barra = f->DBGrid1->view()->verticalScrollBar();
            ASSERT_TRUE(barra->isVisibleTo(f)) << "thirty rows do not fit";
            EXPECT_TRUE(f->rect().contains(QRect(barra->mapTo(f, QPoint(0, 0)), barra->size()))) << "clipped";
        }
        f->Unload();
    }
}

// The record selector and any button but the left change neither the
// selected row nor the current row: the marker stays on the selected row.
TEST_F(Janela, SeletorEBotaoDireitoNaoMudamNada) {
    for (int d = 1; d <= 8; ++d) lancar("001", "003", QDate(2024, 1, d), d * 100, "DOC");
    Abertura a;
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    search::frmRetPesq *f = abrir(a);
    clicarLinha(f, 2);
    ASSERT_EQ(linhaSelecionada(f), 2);
    ASSERT_EQ(linhaAtual(f), 2);
    QTableView *v = f->DBGrid1->view();
    QWidget *seletor = v->verticalHeader()->viewport();
    auto clicar = [](QWidget *w, QPoint p, Qt::MouseButton b) {
        QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), b, b, {});
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), b, Qt::NoButton, {});
        QApplication::sendEvent(w, &release);
        QCoreApplication::sendPostedEvents();
    };
    const int y5 = v->rowViewportPosition(5) + f->DBGrid1->RowHeight() / 2;
    struct Caso {
        const char *nome;
        QWidget *onde;
        QPoint p;
        Qt::MouseButton botao;
    };
    const Caso casos[] = {
        {"left on the record selector", seletor, QPoint(5, y5), Qt::LeftButton},
        {"right on the record selector", seletor, QPoint(5, y5), Qt::RightButton},
        {"right on a cell", v->viewport(), QPoint(v->columnViewportPosition(2) + 5, y5), Qt::RightButton},
        {"middle on a cell", v->viewport(), QPoint(v->columnViewportPosition(3) + 5, y5), Qt::MiddleButton},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        clicar(c.onde, c.p, c.botao);
        EXPECT_EQ(linhaSelecionada(f), 2);
        EXPECT_EQ(linhaAtual(f), 2) << "the current-row marker";
        EXPECT_EQ(f->Recordset()->AbsolutePosition(), 2);
    }
}

// The keys that move the current row select it: the command acts on the
// row under the cursor.
TEST_F(Janela, TeclasMovemASelecaoEAOrdemAgeNaLinhaDoCursor) {
    std::vector<long> ids;
    for (int d = 1; d <= 60; ++d) ids.push_back(lancar("001", "003", QDate(2024, 1, 1).addDays(d), d * 100, "DOC"));
    Abertura a;
    a.sql = extrato(kPeriodoTodo, kFimTodo);
    search::frmRetPesq *f = abrir(a);
    QTableView *v = f->DBGrid1->view();
    clicarLinha(f, 1);
    v->setFocus();
    struct Caso {
        Qt::Key tecla;
        Qt::KeyboardModifiers mod;
        int esperada; // -1: the last row
    };
    const int porPagina = f->DBGrid1->VisibleRows();
    const Caso casos[] = {{Qt::Key_Down, {}, 2},
                          {Qt::Key_Down, {}, 3},
                          {Qt::Key_Down, {}, 4},
                          {Qt::Key_Up, {}, 3},
                          {Qt::Key_End, Qt::ControlModifier, 59},
                          {Qt::Key_PageUp, {}, -1},
                          {Qt::Key_Home, Qt::ControlModifier, 0}};
    for (const Caso &c : casos) {
        const int antes = linhaAtual(f);
        testsupport::Tecla(v, c.tecla, c.mod);
        const int agora = linhaAtual(f);
        if (c.esperada >= 0) EXPECT_EQ(agora, c.esperada);
        else EXPECT_LT(agora, antes - porPagina / 2);
        EXPECT_EQ(linhaSelecionada(f), agora) << "the selection follows the cursor";
    }
    testsupport::Tecla(v, Qt::Key_Down);
    testsupport::Tecla(v, Qt::Key_Down);
    ASSERT_EQ(linhaSelecionada(f), 2);
    testsupport::Script s;
    s.yes().ok();
    f->cmdBaixar_Click();
    EXPECT_EQ(realizado(ids[2]), u("S"));
    for (long id : {ids[0], ids[1], ids[3]}) EXPECT_EQ(realizado(id), u("?"));
}
