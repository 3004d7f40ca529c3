#include "ui/AppContext.h"
#include "platform/err/AppError.h"
#include "platform/app/Application.h"
#include "platform/print/RecordingPrinter.h"
#include "platform/ui/Form.h"
#include "platform/ui/GuiTest.h"
#include "platform/ui/Messages.h"
#include "ui/Bitmap.h"
#include "ui/CHourGlass.h"
#include "ui/CLockWindowUpdate.h"
#include "ui/DialogoArquivo.h"
#include "ui/Impressao.h"
#include "ui/SubCls.h"

#include <QKeyEvent>
#include <QMouseEvent>

using testsupport::Script;

namespace {
class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        platform::Screen::setMousePointer(platform::vbDefault);
    }
};

// Counts the input that reaches it.
struct InputCounter : QWidget {
    int keys = 0, clicks = 0;
    bool event(QEvent *e) override {
        if (e->type() == QEvent::KeyPress) ++keys;
        if (e->type() == QEvent::MouseButtonPress) ++clicks;
        return QWidget::event(e);
    }
    void queueInput() {
        QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
        QCoreApplication::postEvent(this, new QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1),
                                                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    }
};
} // namespace

TEST_F(UiTest, BusyPointerReleaseDependsOnWhetherItIsShown) {
    struct Case { const char *name; std::vector<bool> shows; bool inputLost; int pointerAfter; };
    const Case cases[] = {
        {"never shown", {}, false, platform::vbArrow},
        {"shown", {true}, true, platform::vbDefault},
        {"shown then hidden", {true, false}, false, platform::vbArrow},
        {"hidden then shown", {false, true}, true, platform::vbDefault},
    };
    for (const Case &c : cases) {
        InputCounter w;
        {
            ui::CHourGlass hg;
            for (bool s : c.shows)
                hg.Show(s);
            if (!c.shows.empty()) {
                EXPECT_EQ(platform::Screen::MousePointer(), c.shows.back() ? platform::vbHourglass : platform::vbDefault);
            }
            // Something else set the pointer meanwhile; the release touches it only when shown.
            if (!hg.Shown())
                platform::Screen::setMousePointer(platform::vbArrow);
            w.queueInput();
        }
        QCoreApplication::sendPostedEvents(&w);
        EXPECT_EQ(w.keys == 0 && w.clicks == 0, c.inputLost) << c.name;
        EXPECT_EQ(platform::Screen::MousePointer(), c.pointerAfter) << c.name;
        platform::Screen::setMousePointer(platform::vbDefault);
    }
}

TEST_F(UiTest, RedrawLockIsReleasedWithItsScope) {
    QWidget w;
    {
        ui::CLockWindowUpdate lock;
        lock.LockWindow(&w);
        EXPECT_FALSE(w.updatesEnabled());
        lock.UnLockWindow();
        EXPECT_TRUE(w.updatesEnabled());
        lock.LockWindow(&w);
    }
    EXPECT_TRUE(w.updatesEnabled());
    ui::CLockWindowUpdate never; // releasing one never locked is harmless
}

TEST(QuebraLinha, WrapsWordsIntoTheField) {
    struct Case { QString text; float fieldChars; QStringList lines; };
    const Case cases[] = {
        {"  ABCD", 6, {"  ABCD"}},                  // exactly as wide: untouched, blanks kept
        {"AAAA BBBB", 4, {"AAAA", "BBBB"}},
        {"A B C", 2, {"A", "B", "C"}},
        {"ABCD", 4, {"ABCD"}},
        {"ABCD EF", 4, {"ABCD", "EF"}},              // a word exactly the field width is accepted
        {"     ", 2, {""}},                          // blanks only
        {"UM DOIS TRES QUATRO", 8, {"UM DOIS", "TRES", "QUATRO"}},
        {"A  B", 3, {"A", "B"}},                    // two blanks make an empty word
    };
    const float cw = 96.0f;
    for (const Case &c : cases)
        EXPECT_EQ(ui::QuebraLinha(c.text, c.fieldChars * cw, cw), c.lines) << c.text.toStdString();
}

TEST(QuebraLinha, AWordWiderThanTheFieldIsRefusedOnceAndSilently) {
    testsupport::qtApp();
    Script s;
    s.ok();
    try {
        ui::QuebraLinha("ABCDE FG", 4 * 10.0f, 10.0f);
        ADD_FAILURE() << "no error";
    } catch (const err::AppError &e) {
        EXPECT_EQ(e.number(), err::kErrCancel);
        EXPECT_TRUE(e.source().startsWith("em Module1_QuebraLinha, linha: "));
    }
    ASSERT_EQ(s.shown().size(), 1u);
    EXPECT_EQ(s.shown()[0].text, QStringLiteral("Largura de palavra maior que a largura do campo de impressão na linha."));
    EXPECT_EQ(s.shown()[0].style, 64);
}

TEST(CalculaLimiteDeLinhas, OneLessThanTheWholeLinesThatFit) {
    struct Case { float line; float area; long limit; };
    const Case cases[] = {{100, 50, -1}, {100, 100, 0}, {100, 199, 0}, {100, 1000, 9}, {116, 14000, 119}};
    for (const Case &c : cases)
        EXPECT_EQ(ui::CalculaLimiteDeLinhas(c.line, c.area), c.limit) << c.area;
    try {
        ui::CalculaLimiteDeLinhas(0, 100);
        ADD_FAILURE() << "no error";
    } catch (const err::AppError &e) {
        EXPECT_EQ(e.number(), 11);
        EXPECT_TRUE(e.source().startsWith("em Module1_CalculaLimiteDeLinhas, linha: "));
    }
}

TEST(ConfigurarImpressora, SetsA4AndOrientationAndGivesTheStripsInTwips) {
    testsupport::qtApp();
    print::RecordingPrinter::Device d;
    d.twipsPerPixel = 2.4;
    d.leftPx = 101; // 242.4 twips -> 242
    d.topPx = 52;   // 124.8 -> 125
    print::RecordingPrinter p(d);
    p.setPaperSize(print::vbPRPSLetter);
    long x = 0, y = 0;
    ui::ConfigurarImpressora(x, y, 1, p);
    EXPECT_EQ(p.PaperSize(), print::vbPRPSA4);
    EXPECT_EQ(p.Orientation(), 1);
    EXPECT_EQ(x, 242);
    EXPECT_EQ(y, 125);
    ui::ConfigurarImpressora(x, y, 2, p);
    EXPECT_EQ(p.Orientation(), 2);
}

TEST(PrintRoutines, PagesFilledToTheLineLimitStayInsideThePrintableArea) {
    testsupport::qtApp();
    print::RecordingPrinter p;
    long ox = 0, oy = 0;
    ui::ConfigurarImpressora(ox, oy, 2, p);
    p.setFontName("Courier New");
    p.setFontSize(8);
    const float lineH = static_cast<float>(p.TextHeight("A"));
    const float cw = static_cast<float>(p.TextWidth("A"));
    const double top = 900 - oy, reserve = 900;
    long limit = 0, line = 999;
    int pages = 0;
    for (int i = 0; i < 200; ++i) {
        const QStringList parts = ui::QuebraLinha(QStringLiteral("LANÇAMENTO NÚMERO %1 DE UMA LISTA LONGA").arg(i), 25 * cw, cw);
        for (const QString &part : parts) {
            if (line > limit) {
                if (pages++ > 0)
                    p.NewPage();
                p.setCurrentY(top);
                limit = ui::CalculaLimiteDeLinhas(lineH + 20, static_cast<float>(p.ScaleHeight() - top - reserve));
                line = 1;
            }
            p.Print(part);
            p.setCurrentY(p.CurrentY() + 20);
            ++line;
        }
    }
    p.EndDoc();
    EXPECT_GT(pages, 2);
    for (const print::PrintOp &o : p.ops()) {
        if (o.kind != print::PrintOp::Text)
            continue;
        EXPECT_LE(o.y + lineH, p.ScaleHeight() - reserve + 0.01) << o.text.toStdString();
        EXPECT_LE(o.text.size() * cw, 25 * cw);
    }
}

TEST(ImprimirADireita, AnAmountPrintsWholeAndEndsAtTheColumnsEdge) {
    testsupport::qtApp();
    print::RecordingPrinter p;
    p.setFontName("Courier New");
    p.setFontSize(8);
    const double cw = p.TextWidth("A"), fim = 1000 + 13 * cw;
    // Shorter than the column, as wide, and wider (an expense of 99.999.999,99).
    for (const QString &valor : {QStringLiteral("1,00"), QStringLiteral("99.999.999,99"), QStringLiteral("-99.999.999,99")}) {
        p.clear();
        ui::ImprimirADireita(p, valor, fim, 500);
        ASSERT_EQ(p.ops().size(), 1u);
        const print::PrintOp &o = p.ops()[0];
        EXPECT_EQ(o.text, valor);
        EXPECT_NEAR(o.x + p.TextWidth(valor), fim, 0.01) << valor.toStdString();
        EXPECT_EQ(o.y, 500);
    }
}

// An amount wider than its field is set smaller, never cut nor spilled over
// the field's left neighbour, on the line's baseline.
TEST(ImprimirValor, TheWholeAmountStaysInsideItsField) {
    testsupport::qtApp();
    print::RecordingPrinter p;
    p.setFontName("Courier New");
    p.setFontSize(8);
    const double cw = p.TextWidth("A"), campo = 13 * cw, fim = 1000 + campo;
    const double base = 500 + p.TextAscent(), linha = p.TextHeight("A");
    struct Caso {
        QString valor;
        double tamanho;
    };
    const Caso casos[] = {{"1,00", 8},
                          {"99.999.999,99", 8},
                          {"-99.999.999,99", 7.4},
                          {"-1.000.000.000,00", 6.1},
                          {"-922.337.203.685.477,58", 4.5}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.valor.toStdString());
        p.clear();
        ui::ImprimirValor(p, c.valor, fim, 500, campo);
        ASSERT_EQ(p.ops().size(), 1u);
        const print::PrintOp o = p.ops()[0];
        EXPECT_EQ(o.text, c.valor);
        EXPECT_DOUBLE_EQ(o.size, c.tamanho);
        EXPECT_DOUBLE_EQ(p.FontSize(), 8) << "the font is left as it was";
        EXPECT_DOUBLE_EQ(p.CurrentY(), 500 + linha) << "the next line is the font's";
        p.setFontSize(o.size);
        EXPECT_NEAR(o.x + p.TextWidth(c.valor), fim, 0.01);
        EXPECT_GE(o.x, fim - campo);
        EXPECT_NEAR(o.y + p.TextAscent(), base, 0.01);
        p.setFontSize(8);
    }
}

TEST(QuebraNaColuna, BreaksAtBlanksAndCutsAWordTooLongInsteadOfRefusingIt) {
    struct Caso {
        QString texto;
        QStringList linhas;
    };
    const Caso casos[] = {
        {"", {""}},
        {"A3", {"A3"}},
        {"DOCUMENTO 12345", {"DOCUMENTO 12345"}},
        {"NF 2024/000123-AB9", {"NF", "2024/000123-AB9"}},
        {"DOCUMENTO12345678901", {"DOCUMENTO123456", "78901"}},
        {"ABCDEFGHIJKLMNOPQRST UV", {"ABCDEFGHIJKLMNO", "PQRST UV"}},
        {"                    ", {""}},
    };
    for (const Caso &c : casos) EXPECT_EQ(ui::QuebraNaColuna(c.texto, 15), c.linhas) << c.texto.toStdString();
}

// A title that does not fit between the page number and the time goes on in
// further centred lines; the next line is left below the last.
TEST(ImprimirTopoDaPagina, ATitleTooWideWrapsClearOfTheNumberAndTheTime) {
    testsupport::qtApp();
    const QDateTime hora(QDate(2026, 12, 10), QTime(20, 0));
    for (const int linhas : {1, 2, 3}) {
        SCOPED_TRACE(linhas);
        QString titulo = QStringLiteral("BALANÇO REC/DESP");
        print::RecordingPrinter p;
        p.setFontName("Times New Roman");
        p.setFontSize(12);
        p.setFontBold(true);
        p.setFontUnderline(true);
        const double linhaDoTitulo = p.TextHeight("A");
        while (p.TextWidth(titulo) < (linhas - 1) * 0.75 * p.ScaleWidth()) titulo += QStringLiteral(" \"IMPOSTO DE RENDA\"");
        p.clear();
        ui::ImprimirTopoDaPagina(p, 260, 400, 7, titulo, 240, hora);
        QStringList partes;
        double numeroFim = 0, horaInicio = 0, y8 = 0;
        for (const print::PrintOp &o : p.ops()) {
            if (o.size == 12) {
                EXPECT_NEAR(o.y, 260 + partes.size() * linhaDoTitulo, 0.01);
                partes << o.text;
            }
            print::RecordingPrinter m;
            m.setFontName(o.font);
            m.setFontSize(o.size);
            if (o.text == "7") numeroFim = o.x + m.TextWidth(o.text);
            if (o.text.startsWith("10/12/2026")) {
                horaInicio = o.x;
                y8 = m.TextHeight(o.text);
            }
        }
        EXPECT_EQ(partes.size(), linhas);
        EXPECT_EQ(partes.join(' '), titulo.simplified());
        for (const print::PrintOp &o : p.ops()) {
            if (o.size != 12) continue;
            p.setFontName(o.font);
            p.setFontSize(12);
            p.setFontBold(true);
            EXPECT_GT(o.x, numeroFim);
            EXPECT_LT(o.x + p.TextWidth(o.text), horaInicio);
        }
        EXPECT_NEAR(p.CurrentY(), 260 + y8 + (linhas - 1) * linhaDoTitulo, 0.01);
    }
}

TEST(CancelarImpressao, EndsTheJobAndNeverFails) {
    testsupport::qtApp();
    print::RecordingPrinter p;
    p.Print("parcial");
    ui::CancelarImpressao(p);
    ui::CancelarImpressao(p); // no document open: still fine
    EXPECT_EQ(p.ops().back().kind, print::PrintOp::KillDoc);
    EXPECT_EQ(p.documentsEnded(), 0);
}

namespace {
class Receiver : public platform::ui::Form,
                 public ui::INodeClickReceiver,
                 public ui::IResizeGridReceiver,
                 public ui::ISelCurLineReceiver {
public:
    QStringList calls;
    void tv_NodeClick(QTreeWidgetItem *node) override { calls << QStringLiteral("node:%1").arg(reinterpret_cast<quintptr>(node)); }
    void ResizeGrid() override { calls << QStringLiteral("resize"); }
    void SelCurLine(long &row) override { calls << QStringLiteral("line:%1").arg(row); }
};
bool otherProcSaw = false;
bool otherProc(QObject *, QEvent *e) {
    if (e->type() == platform::ui::RegisteredMessageEvent::type())
        otherProcSaw = true;
    return false;
}
} // namespace

TEST_F(UiTest, FormWindowProcCallsTheWindowObjectsMemberAndPassesTheRestOn) {
    ui::RegistrarMensagens();
    Receiver win;
    QObject tree;
    platform::ui::SetWindowProc(&tree, otherProc);
    ui::InstalarWindowProc(&tree, ui::FormWindowProc);
    ui::InstalarWindowProc(&win, ui::FormWindowProc);
    EXPECT_EQ(platform::ui::ProcFromProp(platform::ui::GetProp(&tree, "pOldWindowProc")), otherProc);

    ui::PostarNodeClick(&tree, &win, reinterpret_cast<QTreeWidgetItem *>(quintptr(0x40)));
    ui::PostarGridResize(&win);
    ui::PostarGridSelLine(&win, 7);
    EXPECT_TRUE(win.calls.isEmpty()); // posted, handled later
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(win.calls, (QStringList{"node:64", "resize", "line:7"}));
    EXPECT_FALSE(otherProcSaw); // the three messages never reach the previous procedure

    const int unknown = platform::ui::RegisterWindowMessage(QStringLiteral("$OUTRA$"));
    platform::ui::PostMessage(&tree, unknown, &win, 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(otherProcSaw);

    ui::RemoverWindowProc(&tree);
    EXPECT_FALSE(platform::ui::GetProp(&tree, "pOldWindowProc").isValid());
    EXPECT_EQ(platform::ui::SetWindowProc(&tree, nullptr), otherProc);
    ui::RemoverWindowProc(&tree); // a second removal is harmless
}

TEST(Background, LogoCentredAboveMiddleAndTilesRunBeyondTheWindow) {
    struct Case { QSize win; QPoint logo; };
    const Case cases[] = {
        {QSize(800, 600), QPoint(249, 146)},
        {QSize(801, 601), QPoint(250, 146)},  // 249.5 -> 250 (even), 146.5 -> 146 (even)
        {QSize(200, 100), QPoint(-51, -104)}, // smaller than the logo: clipped at left and top
    };
    for (const Case &c : cases)
        EXPECT_EQ(ui::PosicaoBitmapA(c.win, ui::kLogoLargura, ui::kLogoAltura), c.logo);
    const auto tiles = ui::PosicoesBitmapB(QSize(232, 111), 116, 111);
    // x: 0, 116, 232, 348; y: 0, 111, 222.
    EXPECT_EQ(tiles.size(), 12u);
    EXPECT_EQ(tiles.front(), QPoint(0, 0));
    EXPECT_EQ(tiles.back(), QPoint(348, 222));
}

TEST_F(UiTest, FileDialogWrapperPassesTheProgramsFilterAndTitle) {
    Script s;
    s.file("/dados/novo.mdb");
    const QString filter = QString::fromUtf8(" Bancos de dados (*.mdb)\0*.mdb\0Todos arquivos (*.*)\0*.*\0", 55);
    EXPECT_EQ(ui::MostrarDialogoCentralizado(nullptr, 2, "Finoteca - Criar como", QString(), filter, "/dados", "mdb"),
              QStringLiteral("/dados/novo.mdb"));
    EXPECT_EQ(s.shown()[0].kind, platform::ui::ModalKind::SaveFile);
    EXPECT_EQ(s.shown()[0].caption, QStringLiteral("Finoteca - Criar como"));
    EXPECT_EQ(s.shown()[0].initialDir, QStringLiteral("/dados"));
    // A name that does not fit the file buffer gives up without a dialog.
    EXPECT_EQ(ui::MostrarDialogoCentralizado(nullptr, 1, "t", QString(251, 'x'), filter, "/", ""), QString());
}
