#include "platform/app/Application.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Form.h"
#include "platform/ui/Modal.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/GuiTest.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QScreen>
#include <QTimer>

using testsupport::Script;

class ModalSeam : public ::testing::Test {
protected:
    void SetUp() override { testsupport::qtApp(); }
};

TEST_F(ModalSeam, MessageBoxShowsTextCaptionStyleAndReturnsScriptedCode) {
    Script s;
    s.yes().ok();
    EXPECT_EQ(platform::ui::MessageBox(QStringLiteral("Tem certeza?"), 36), platform::ui::vbYes);
    EXPECT_EQ(platform::ui::MessageBox(QStringLiteral("Pronto."), 64, QStringLiteral("Outro")), platform::ui::vbOK);
    ASSERT_EQ(s.shown().size(), 2u);
    EXPECT_EQ(s.shown()[0].kind, platform::ui::ModalKind::MessageBox);
    EXPECT_EQ(s.shown()[0].text, QStringLiteral("Tem certeza?"));
    EXPECT_EQ(s.shown()[0].caption, QStringLiteral("Finoteca")); // the application title by default
    EXPECT_EQ(s.shown()[0].style, 36);
    EXPECT_EQ(s.shown()[1].caption, QStringLiteral("Outro"));
}

// As the real box, a scripted one may let the window system run while it is
// shown: a close posted before it is delivered, and the window deleted,
// before the answer comes back. Otherwise nothing runs until the test says so.
TEST_F(ModalSeam, EventsWhileShownDeliverWhatWasPostedBeforeTheBox) {
    for (const bool entregar : {false, true}) {
        SCOPED_TRACE(entregar);
        auto *w = new QWidget;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        QPointer<QWidget> vigia(w);
        platform::ui::PostMessage(w, platform::ui::WM_CLOSE);
        Script s;
        s.eventsWhileShown(entregar).ok();
        EXPECT_EQ(platform::ui::MessageBox(QStringLiteral("Aviso"), 0), platform::ui::vbOK);
        EXPECT_EQ(vigia.isNull(), entregar);
        delete vigia.data();
    }
}

TEST_F(ModalSeam, InputBoxGivesTextOrEmptyOnCancel) {
    Script s;
    s.text(QStringLiteral("DOC-1")).cancel();
    EXPECT_EQ(platform::ui::InputBox(QStringLiteral("Informe:"), QStringLiteral("T")), QStringLiteral("DOC-1"));
    EXPECT_EQ(platform::ui::InputBox(QStringLiteral("Informe:"), QStringLiteral("T"), QStringLiteral("x")), QString());
    EXPECT_EQ(s.shown()[1].defaultText, QStringLiteral("x"));
    EXPECT_EQ(s.shown()[1].kind, platform::ui::ModalKind::InputBox);
}

TEST_F(ModalSeam, UnscriptedRequestIsReportedAndAnsweredCancel) {
    platform::ui::ScriptedModals s;
    QStringList faults;
    s.onUnscripted = [&](const QString &why) { faults << why; };
    EXPECT_EQ(platform::ui::MessageBox(QStringLiteral("Sem roteiro"), 4), platform::ui::vbCancel);
    ASSERT_EQ(faults.size(), 1);
    EXPECT_TRUE(faults[0].contains(QStringLiteral("Sem roteiro")));
}

TEST_F(ModalSeam, ScriptsNestAndRestoreTheOuterOne) {
    Script outer;
    outer.no();
    {
        Script inner;
        inner.ok();
        EXPECT_EQ(platform::ui::MessageBox(QStringLiteral("a")), platform::ui::vbOK);
    }
    EXPECT_EQ(platform::ui::MessageBox(QStringLiteral("b"), 4), platform::ui::vbNo);
    EXPECT_EQ(outer.shownTexts(), QStringList{QStringLiteral("b")});
}

TEST_F(ModalSeam, FileDialogRequestCarriesConvertedFilterAndAnswersPathOrEmpty) {
    Script s;
    s.file(QStringLiteral("/tmp/x.mdb")).cancel();
    platform::ui::FileDialogRequest r;
    r.kind = platform::ui::FileDialogKind::Save;
    r.title = QStringLiteral("Finoteca - Criar como");
    r.filter = QString::fromUtf8(" Bancos de dados (*.mdb)\0*.mdb\0Todos arquivos (*.*)\0*.*\0", 55);
    r.defaultExt = QStringLiteral("mdb");
    EXPECT_EQ(platform::ui::ShowFileDialog(r), QStringLiteral("/tmp/x.mdb"));
    EXPECT_EQ(platform::ui::ShowFileDialog(r), QString());
    EXPECT_EQ(s.shown()[0].kind, platform::ui::ModalKind::SaveFile);
    EXPECT_EQ(s.shown()[0].filter, QStringLiteral("Bancos de dados (*.mdb);;Todos arquivos (*.*)"));
    EXPECT_EQ(s.shown()[0].defaultExt, QStringLiteral("mdb"));
}

TEST(FileFilter, NulSeparatedPairsBecomeQtFilters) {
    struct Case { QString in; QString out; };
    const Case cases[] = {
        {QString::fromUtf8("Bancos de dados do Access (*.mdb)\0*.mdb", 40), QStringLiteral("Bancos de dados do Access (*.mdb)")},
        {QString::fromUtf8("Arquivos de ajuda\0*.chm\0", 24), QStringLiteral("Arquivos de ajuda (*.chm)")},
        {QString::fromUtf8("Imagens\0*.bmp;*.png\0", 20), QStringLiteral("Imagens (*.bmp *.png)")},
        {QString(), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(platform::ui::QtFilterFromNulList(c.in), c.out) << c.in.toStdString();
}

TEST(DialogCentring, CentresOnTheAreaWithHalvesToEven) {
    struct Case { QRect area; QSize win; QPoint at; };
    const Case cases[] = {
        {QRect(0, 0, 1024, 768), QSize(400, 300), QPoint(312, 234)},
        {QRect(0, 0, 1025, 769), QSize(400, 300), QPoint(312, 234)}, // 312.5 and 234.5 go to even
        {QRect(0, 0, 1027, 771), QSize(400, 300), QPoint(314, 236)}, // 313.5 and 235.5 go to even
        {QRect(100, 50, 800, 600), QSize(900, 700), QPoint(50, 0)},  // larger than the area
    };
    for (const Case &c : cases)
        EXPECT_EQ(platform::ui::CenteredPosition(c.area, c.win), c.at);
}

// Where the message boxes and the modal forms open: over the middle of the
// main window while it shows, else over the middle of the screen.
TEST(DialogCentring, DialogsOpenOverTheMainWindowOrTheScreen) {
    testsupport::qtApp();
    const QRect tela = QGuiApplication::primaryScreen()->geometry();
    struct Caso {
        const char *nome;
        bool janelaPrincipal;
        bool formulario;
    };
    const Caso casos[] = {
        {"message box over the main window", true, false},
        {"modal form over the main window", true, true},
        {"message box before the main window", false, false},
        {"modal form before the main window", false, true},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        QMainWindow principal;
        auto *area = new QMdiArea(&principal);
        principal.setCentralWidget(area);
        platform::ui::Forms::setMdiArea(area);
        principal.setGeometry(tela.x() + 300, tela.y() + 120, 500, 400);
        if (c.janelaPrincipal)
            principal.show();
        const QPoint meio = c.janelaPrincipal ? principal.frameGeometry().center() : tela.center();
        QRect onde;
        if (c.formulario) {
            platform::ui::Form f;
            f.setFixedSize(240, 120);
            f.Load();
            QTimer::singleShot(0, &f, [&] {
                onde = f.frameGeometry();
                f.Unload();
            });
            f.execModalLoop();
        } else {
            platform::ui::VbMessageBox box(QStringLiteral("Aviso"), 64, QString());
            box.show();
            onde = box.frameGeometry();
        }
        platform::ui::Forms::setMdiArea(nullptr);
        ASSERT_TRUE(onde.isValid());
        EXPECT_LE((onde.center() - meio).manhattanLength(), 2)
            << "at " << onde.x() << "," << onde.y() << " size " << onde.width() << "x" << onde.height();
    }
}

TEST(MessageBoxStyles, ButtonsAndEscapeAnswerOfEachStyleTheProgramUses) {
    struct Case { int style; std::vector<int> buttons; std::optional<int> esc; };
    const Case cases[] = {
        {0, {platform::ui::vbOK}, platform::ui::vbOK},
        {4, {platform::ui::vbYes, platform::ui::vbNo}, std::nullopt},
        {36, {platform::ui::vbYes, platform::ui::vbNo}, std::nullopt},
        {48, {platform::ui::vbOK}, platform::ui::vbOK},
        {64, {platform::ui::vbOK}, platform::ui::vbOK},
        {65, {platform::ui::vbOK, platform::ui::vbCancel}, platform::ui::vbCancel},
        {3, {platform::ui::vbYes, platform::ui::vbNo, platform::ui::vbCancel}, platform::ui::vbCancel},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(platform::ui::ButtonsOf(c.style), c.buttons) << c.style;
        EXPECT_EQ(platform::ui::EscapeAnswerOf(c.style), c.esc) << c.style;
    }
}

class RealMessageBox : public ::testing::Test {
protected:
    void SetUp() override { testsupport::qtApp(); }
    static void pressEsc(QWidget &w) {
        QKeyEvent k(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &k);
    }
};

TEST_F(RealMessageBox, YesNoIgnoresEscAndTheCloseBox) {
    platform::ui::VbMessageBox box(QStringLiteral("Continuar?"), 36, QString());
    box.show();
    pressEsc(box);
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.close());
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.answer(), 0);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Finoteca"));
    box.buttons().at(1)->click();
    EXPECT_EQ(box.answer(), platform::ui::vbNo);
    EXPECT_FALSE(box.isVisible());
}

TEST_F(RealMessageBox, OkCancelEscAnswersCancel) {
    platform::ui::VbMessageBox box(QStringLiteral("Prosseguir?"), 65, QStringLiteral("C"));
    box.show();
    pressEsc(box);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.answer(), platform::ui::vbCancel);
}

TEST_F(ModalSeam, HeadlessRequestWithoutAnyScriptStopsLoudlyInsteadOfBlocking) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(platform::ui::MessageBox(QStringLiteral("Ninguém responde"), 4), "no scripted answer.*Ninguém responde");
}

// A box is wide enough for its caption in a title bar (bold, beside the
// bar's icon and buttons), however short its text; its text breaks at blanks
// only, so "dd/mm/aaaa" stays whole, and every line fits the box as shown.
TEST_F(RealMessageBox, WideEnoughForItsCaptionAndWrappedAtBlanks) {
    struct Caso {
        const char *nome;
        QString texto;
        int estilo;
        QString caption;
    };
    const Caso casos[] = {
        {"short text, no icon", QStringLiteral("Ok."), 0, QString()},
        {"short text, long caption", QStringLiteral("Sim?"), 36, QStringLiteral("Finoteca - Conta de Usuário")},
        {"date hint", QStringLiteral("Faltando informar data inicial. Deve ser no formato dd/mm/aa ou dd/mm/aaaa."), 64, QString()},
        {"search date hint", QStringLiteral("Faltando informar data para a pesquisa. Deve ser no formato dd/mm/aa ou dd/mm/aaaa."), 64,
         QString()},
        {"two paragraphs", QStringLiteral("Primeira linha com 01/02/2026.\nSegunda linha com um texto bem mais longo que não cabe "
                                          "numa só linha da caixa e vai até 31/12/2026 inclusive."),
         0, QString()},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        platform::ui::VbMessageBox box(c.texto, c.estilo, c.caption);
        box.show();
        QApplication::processEvents();
        QFont negrito = box.font();
        negrito.setBold(true);
        EXPECT_GE(box.width(), QFontMetrics(negrito).horizontalAdvance(box.windowTitle()) + 100);
        auto *rotulo = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(rotulo, nullptr);
        const QStringList linhas = rotulo->text().split(QLatin1Char('\n'));
        // The same words, broken only where a blank or a line break was.
        EXPECT_EQ(linhas.join(QLatin1Char(' ')), QString(c.texto).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        for (const QString &l : linhas) {
            EXPECT_LE(rotulo->fontMetrics().horizontalAdvance(l), rotulo->contentsRect().width()) << l.toStdString();
            EXPECT_FALSE(l.startsWith(QLatin1Char(' ')) || l.endsWith(QLatin1Char(' '))) << l.toStdString();
        }
        if (c.texto.contains(QStringLiteral("dd/mm/aaaa"))) {
            EXPECT_GT(linhas.size(), 1) << "the hint is longer than one line";
        }
        box.buttons().first()->click();
    }
}
