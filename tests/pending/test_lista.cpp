// The pending list: what it lists for each user, how it loads, its buttons
// and its size.
#include "PendenciasFixture.h"

#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QScrollBar>

#include "platform/widgets/FlexGrid.h"

using testsupport::Script;

TEST_F(Pendencias, ListsWhatEachUserMaySeeOncePerPostingOldestFirst) {
    plano();
    conta(QStringLiteral("001.001.001"), QStringLiteral("CAIXA FILIAL"));
    tipo(QStringLiteral("003.001"), QStringLiteral("SALARIO EXTRA"));
    const QDate d = hoje();
    const long hojeCaixa = lancar("001", "003", 100, d);
    const long amanha = lancar("001", "003", 200, d.addDays(1));
    const long filial = lancar("001.001.001", "003", 300, d.addDays(-2), QStringLiteral("NF 9"));
    const long subtipo = lancar("001.001", "003.001", 400, d.addDays(-1));
    const long banco = lancar("002", "003", 500, d.addDays(-3));
    const long mercado = lancar("001", "004", -600, d.addDays(-4));
    const long s = lancar("001", "003", 700, d.addDays(-5));
    const long n = lancar("001", "003", 800, d.addDays(-5));
    const long e = lancar("001", "003", 900, d.addDays(-5));
    ASSERT_EQ(core::escrita::Baixar(*db, kOnde, s, 0, QStringLiteral("?"), QStringLiteral("S")), core::escrita::Desfecho::Gravado);
    ASSERT_EQ(core::escrita::Baixar(*db, kOnde, n, 0, QStringLiteral("?"), QStringLiteral("N")), core::escrita::Desfecho::Gravado);
    ASSERT_EQ(core::escrita::Estornar(*db, kOnde, e, QStringLiteral("X"), 1), core::escrita::Desfecho::Gravado);
    (void)amanha;
    comum();
    struct Caso {
        const char *nome;
        std::vector<std::tuple<int, const char *, int>> permissoes; // kind, code, value
        std::vector<long> esperados;
    };
    const Caso casos[] = {
        {"administrator", {}, {mercado, banco, filial, subtipo, hojeCaixa}},
        {"account 3 inherited down the chart, type 1 on the type itself",
         {{1, "001", 3}, {2, "003", 1}}, {filial, hojeCaixa}},
        {"a subtype needs its own row", {{1, "001", 3}, {2, "003", 1}, {2, "003.001", 3}}, {filial, subtipo, hojeCaixa}},
        {"two qualifying ancestors list a posting once",
         {{1, "001", 1}, {1, "001.001", 1}, {1, "001.001.001", 3}, {2, "003", 3}}, {filial, hojeCaixa}},
        {"write permission alone shows nothing", {{1, "001", 2}, {1, "002", 2}, {2, "003", 2}, {2, "004", 2}}, {}},
        {"the account's row 2 hides it even with the type readable", {{1, "001", 2}, {2, "003", 3}, {2, "004", 3}}, {}},
        {"another branch", {{1, "002", 1}, {2, "003", 1}}, {banco}},
    };
    for (const Caso &c : casos) {
        db->Execute(QStringLiteral("DELETE FROM PermissoesDeUsuarios"));
        const bool admin = c.permissoes.empty() && c.esperados.size() > 0;
        for (const auto &[kind, code, value] : c.permissoes) permissao(kind, QString::fromLatin1(code), value);
        ui::gIdUsuario = admin ? 1 : 2;
        ui::gTipoUsuario = admin ? 1 : 2;
        Script sc;
        if (c.esperados.empty()) sc.ok();
        auto *f = abrirLista();
        if (c.esperados.empty()) {
            EXPECT_EQ(sc.shownTexts(), QStringList{pending::kMsgNadaPendente}) << c.nome;
            continue;
        }
        EXPECT_EQ(listados(f), c.esperados) << c.nome;
        f->Unload();
    }
    // Columns of one row: the code, date, amount, account, type, document (a Null one empty), history.
    ui::gIdUsuario = 1;
    ui::gTipoUsuario = 1;
    auto *f = abrirLista();
    const int r = linhaDe(f, filial);
    const QStringList esperado{QString(), QStringLiteral("?"), d.addDays(-2).toString(QStringLiteral("dd/MM/yyyy")),
                               QStringLiteral("3,00"), QStringLiteral("CAIXA FILIAL"), QStringLiteral("SALARIO"),
                               QStringLiteral("NF 9"), QStringLiteral("HIST 300")};
    for (int c = 0; c < 8; ++c) EXPECT_EQ(f->Fgrid->TextMatrix(r, c), esperado[c]) << c;
    EXPECT_EQ(f->Fgrid->TextMatrix(linhaDe(f, mercado), 3), QStringLiteral("-6,00"));
    EXPECT_EQ(f->Fgrid->TextMatrix(linhaDe(f, mercado), 6), QString());
    const core::escrita::CRowData reg = f->Linhas().value(QString::number(f->Fgrid->RowData(r)));
    EXPECT_EQ(reg.CodConta, QStringLiteral("001.001.001"));
    EXPECT_EQ(reg.DataId, core::escrita::MontarDataId(d.addDays(-2), filial));
    EXPECT_EQ(f->ContadorDeLinhas(), 5);
}

TEST_F(Pendencias, TheListQueryIsTheOneTheCommandBuilds) {
    const QString admin = pending::SqlPendencias(1, 1, QDate(2024, 12, 31));
    EXPECT_EQ(admin, QStringLiteral(
        "SELECT DISTINCT L.Id,L.Transferencia, L.CodConta, L.CodRecDesp, L.Documento, L.Valor, L.Data, L.Historico, "
        "L.Estorno, L.DataId, L.SaldoConta, L.SaldoGlobal, L.Estornado, L.Realizado, U.IdLogin, C.DesConta, "
        "T.DesMovimentacao FROM ((Lancamentos AS L INNER JOIN (Contas AS C  INNER JOIN (SELECT CODIGO FROM CONTAS ) AS K "
        "ON C.Codigo LIKE K.Codigo & '*') ON (L.Data <=#12/31/2024# And L.Realizado = '?' And L.CodConta = C.Codigo)) "
        "INNER JOIN TiposMovimentacoes AS T ON L.CodRecDesp = T.Codigo) INNER JOIN Usuarios AS U ON L.IdUsuario = U.Id "
        "ORDER BY L.DataId;"));
    const QString comum = pending::SqlPendencias(7, 2, QDate(2024, 12, 31));
    EXPECT_TRUE(comum.contains(QStringLiteral(" (P.TipoObjeto = 1 AND P.IdObjeto = Contas.Id And P.IdUsuario = 7 and "
                                              "(P.Permissoes = 1 or P.Permissoes = 3))) AS K ON")));
    EXPECT_TRUE(comum.endsWith(QStringLiteral(" (P.TipoObjeto = 2 AND P.IdObjeto = T.Id And P.IdUsuario = 7 and "
                                              "(P.Permissoes = 1 or P.Permissoes = 3)) ORDER BY L.DataId;")));
}

TEST_F(Pendencias, NothingPendingShowsItsMessageOnlyAndTheWindowCloses) {
    plano();
    lancar("001", "003", 100, hoje().addDays(1));
    Script s;
    s.ok();
    auto *f = abrirLista();
    ASSERT_EQ(s.shown().size(), 1u);
    EXPECT_EQ(s.shown()[0].text, pending::kMsgNadaPendente);
    EXPECT_EQ(s.shown()[0].style, platform::ui::vbInformation);
    EXPECT_FALSE(f->isEnabled()) << "unavailable until it closes";
    EXPECT_FALSE(f->JaAtivada());
    platform::ui::DoEvents();
    EXPECT_FALSE(f->IsLoaded());
}

// The real box lets the window system run while it is shown: the list is
// activated again under its own message, which must not run the first
// activation a second time and show the message twice.
TEST_F(Pendencias, NothingPendingShowsItsMessageOnceWhileTheBoxLetsTheWindowsRun) {
    plano();
    lancar("001", "003", 100, hoje().addDays(1));
    QMdiArea area;
    Script s;
    s.eventsWhileShown().ok();
    QPointer<pending::frmPendencias> f = abrirNaArea(area, QSize(1000, 700));
    platform::ui::DoEvents();
    EXPECT_EQ(s.shownTexts(), QStringList{pending::kMsgNadaPendente});
    EXPECT_TRUE(f.isNull() || !f->IsLoaded()) << "the list closes after its message";
}

TEST_F(Pendencias, LoadedListSelectsTheNewestRowAndButtonsFollowTheSelection) {
    plano();
    const long a = lancar("001", "003", 100, hoje().addDays(-2));
    const long b = lancar("002", "004", -50, hoje().addDays(-1));
    auto *f = abrirLista();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Lançamentos Pendentes e Baixas"));
    EXPECT_TRUE(f->isEnabled());
    EXPECT_EQ(f->Fgrid->Rows(), 3) << "the blank first row is gone";
    EXPECT_EQ(f->Fgrid->RowSel(), 2);
    EXPECT_EQ(f->Fgrid->Col(), 0);
    EXPECT_EQ(f->Fgrid->ColSel(), 7) << "the whole row";
    EXPECT_TRUE(f->cmdBaixar->isEnabled());
    EXPECT_TRUE(f->cmdEstornar->isEnabled());
    EXPECT_FALSE(f->cmdRemBaixa->isEnabled());
    // Settled here: take-back offered on the next selection; a reversed row cannot be settled.
    Script s;
    selecionar(f, a);
    s.yes().ok();
    f->cmdBaixar_Click();
    selecionar(f, b);
    selecionar(f, a);
    EXPECT_TRUE(f->cmdRemBaixa->isEnabled());
    s.yes().text(QStringLiteral("VOLTA")).ok();
    selecionar(f, b);
    f->cmdEstornar_Click();
    selecionar(f, b);
    EXPECT_FALSE(f->cmdBaixar->isEnabled());
    EXPECT_FALSE(f->cmdRemBaixa->isEnabled());
    EXPECT_TRUE(f->cmdEstornar->isEnabled());
    // View hints change nothing.
    const int linhas = f->Fgrid->Rows();
    lancar("001", "003", 1, hoje());
    for (long hint : {1L, 2L, 3L, 4L}) f->UpdateView(hint);
    EXPECT_EQ(f->Fgrid->Rows(), linhas);
}

TEST_F(Pendencias, TheGridFitsTheWindowExceptWhenTooSmallOrMinimised) {
    plano();
    lancar("001", "003", 100, hoje());
    QMdiArea area;
    auto *f = abrirNaArea(area, QSize(1200, 900));
    ASSERT_NE(f, nullptr);
    auto ajustar = [&](int largura, int altura) {
        f->SubWindow()->resize(largura, altura);
        platform::ui::DoEvents();
        platform::ui::DoEvents();
    };
    auto soma = [&] {
        long s = 0;
        for (int c = 0; c < f->Fgrid->Cols(); ++c) s += f->Fgrid->ColWidth(c);
        return s;
    };
    ajustar(900, 500);
    EXPECT_EQ(f->Fgrid->width(), f->width());
    EXPECT_EQ(f->Fgrid->height(), f->height() - f->picBotton->height());
    const int dentro = f->Fgrid->viewport()->width();
    EXPECT_NEAR(soma(), long(dentro) * 15, 15) << "the last column takes what the others leave";
    const QSize antes = f->Fgrid->size();
    const long historico = f->Fgrid->ColWidth(7);
    // Below 2000 twips high, then minimised: the grid keeps its size.
    ajustar(700, 120);
    EXPECT_EQ(f->Fgrid->size(), antes);
    EXPECT_EQ(f->Fgrid->ColWidth(7), historico);
    // Made narrower than 5200 twips, the window stops at that width, where
    // the grid still fits it.
    ajustar(300, 500);
    EXPECT_EQ(f->width(), (5200 + 14) / 15);
    EXPECT_EQ(f->Fgrid->width(), f->width());
    EXPECT_EQ(f->Fgrid->height(), f->height() - f->picBotton->height());
    ajustar(900, 500);
    EXPECT_EQ(f->Fgrid->size(), antes);
    f->SubWindow()->showMinimized();
    platform::ui::DoEvents();
    EXPECT_EQ(f->Fgrid->size(), antes);
    f->SubWindow()->showNormal();
    ajustar(1100, 600);
    EXPECT_EQ(f->Fgrid->width(), f->width());
    EXPECT_GT(f->Fgrid->ColWidth(7), historico);
    f->Unload();
    platform::ui::Forms::setMdiArea(nullptr);
}

// The rows never scroll sideways: at the size the window opens with, the
// columns share its width, each caption, date and amount still whole; given
// room, every column takes its own width back and the history the rest.
TEST_F(Pendencias, TheColumnsFitTheWindowWithoutScrollingSideways) {
    plano();
    lancar("001", "003", -99999999, hoje()); // -999.999,99
    QMdiArea area;
    auto *f = abrirNaArea(area, QSize(1400, 900));
    ASSERT_NE(f, nullptr);
    std::vector<long> proprias;
    {
        widgets::FlexGrid g;
        g.setFont(f->Fgrid->font());
        g.setFormatString(pending::kFormatoGridPendencias);
        for (int c = 0; c < g.Cols(); ++c) proprias.push_back(g.ColWidth(c));
    }
    const QFontMetrics fm = f->Fgrid->fontMetrics();
    struct Caso {
        const char *nome;
        QSize janela; // of the child window; empty: as it opened
        bool inteiras;
    };
    const Caso casos[] = {{"as it opens", QSize(), false}, {"wide", QSize(1300, 500), true}, {"narrow again", QSize(690, 400), false}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        if (c.janela.isValid()) f->SubWindow()->resize(c.janela);
        platform::ui::DoEvents();
        platform::ui::DoEvents();
        long soma = 0;
        for (int col = 0; col < f->Fgrid->Cols(); ++col) soma += f->Fgrid->ColWidth(col);
        const long dentro = long(f->Fgrid->viewport()->width()) * 15;
        EXPECT_LE(soma, dentro);
        EXPECT_GE(soma, dentro - 3 * 15) << "the history takes what the others leave";
        EXPECT_FALSE(f->Fgrid->horizontalScrollBar()->isVisible());
        for (int col = 1; col < f->Fgrid->Cols(); ++col) {
            const int r = col == 2 || col == 3 ? 1 : 0; // the date and the amount, else the caption
            EXPECT_GE(f->Fgrid->ColWidth(col), long(fm.horizontalAdvance(f->Fgrid->TextMatrix(r, col))) * 15)
                << f->Fgrid->TextMatrix(r, col).toStdString();
        }
        for (int col = 0; col < 7; ++col) {
            if (c.inteiras) EXPECT_EQ(f->Fgrid->ColWidth(col), proprias[std::size_t(col)]) << col;
            else EXPECT_LE(f->Fgrid->ColWidth(col), proprias[std::size_t(col)]) << col;
        }
    }
    f->Unload();
    platform::ui::Forms::setMdiArea(nullptr);
}

TEST_F(Pendencias, TheWindowsAccessKeysComeBeforeTheMenuTitles) {
    plano();
    const long id = lancar("001", "003", 100, hoje());
    auto *f = abrirLista();
    f->Fgrid->setFocus();
    // Alt+B is also "&Banco de Dados" of the main menu: the window claims it first.
    QKeyEvent antes(QEvent::ShortcutOverride, Qt::Key_B, Qt::AltModifier);
    antes.ignore();
    QCoreApplication::sendEvent(f->Fgrid, &antes);
    EXPECT_TRUE(antes.isAccepted());
    Script s;
    s.yes().ok();
    QKeyEvent tecla(QEvent::KeyPress, Qt::Key_B, Qt::AltModifier);
    QCoreApplication::sendEvent(f->Fgrid, &tecla);
    EXPECT_EQ(s.shownTexts().first(), pending::kPerguntaRealizou);
    EXPECT_EQ(codigo(id), QStringLiteral("S"));
    // A disabled command's key is left to the menus.
    QKeyEvent remover(QEvent::ShortcutOverride, Qt::Key_R, Qt::AltModifier);
    remover.ignore();
    f->cmdRemBaixa->setEnabled(false);
    QCoreApplication::sendEvent(f->Fgrid, &remover);
    EXPECT_FALSE(remover.isAccepted());
}

TEST_F(Pendencias, TheWindowProcedureIsTheSharedOneWhileLoaded) {
    plano();
    lancar("001", "003", 100, hoje());
    auto *f = abrirLista();
    EXPECT_TRUE(platform::ui::GetProp(f, "pOldWindowProc").isValid());
    f->Unload();
    EXPECT_FALSE(platform::ui::GetProp(f, "pOldWindowProc").isValid());
}
