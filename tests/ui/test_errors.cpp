#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "ui/Views.h"
#include "platform/app/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/GuiTest.h"
#include "platform/ui/Messages.h"

#include <QPointer>
#include <QWidget>

#include <cstddef>
#include <new>
#include <stdexcept>

using testsupport::Script;

namespace {
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::qtApp();
        platform::Screen::setMousePointer(platform::vbDefault);
    }
    void TearDown() override { platform::Screen::setMousePointer(platform::vbDefault); }
};

// A routine two levels below a handler, each level trapping and re-raising.
void Profundo(long numero, const QString &source) {
    try {
        throw err::AppError(numero, source, QStringLiteral("falhou"));
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "Profundo");
    }
}
void Meio(long numero, const QString &source) {
    try {
        Profundo(numero, source);
    } catch (...) {
        FIN_TRAP_RERAISE("frmContas", "Meio");
    }
}
void Handler(long numero, const QString &source) {
    try {
        Meio(numero, source);
    } catch (...) {
        FIN_TRAP_REPORT("frmContas", "cmdImprimir_Click");
    }
}
} // namespace

TEST_F(AppTest, ErrorReportByErrorNumber) {
    struct Case { long number; QString source; QStringList shown; int style; };
    const QString dup = QStringLiteral("Erro: você está tentando realizar uma operação que duplicaria uma "
                                       "informação que deve ser única no banco de dados.");
    const Case cases[] = {
        {err::kErrCancel, {}, {}, 0},
        {err::kErrDialogCancel, {}, {}, 0},
        {err::db::kDuplicateKey, {}, {dup}, 64},
        // A source that is not a location gets the innermost trap's location.
        {3021, QStringLiteral("DataSQL"), {QStringLiteral("3021 'falhou', em Module1_Profundo, linha: ")}, 0},
        // A location already set stays as it is.
        {err::kErrGeneric, QStringLiteral("em CDaoTrans_BegTrans, linha: 7"),
         {QStringLiteral("-2147211504 'falhou', em CDaoTrans_BegTrans, linha: 7")}, 0},
    };
    for (const Case &c : cases) {
        Script s;
        for (qsizetype i = 0; i < c.shown.size(); ++i)
            s.ok();
        platform::Screen::setMousePointer(platform::vbHourglass);
        Handler(c.number, c.source);
        EXPECT_EQ(platform::Screen::MousePointer(), platform::vbDefault) << c.number;
        ASSERT_EQ(s.shown().size(), static_cast<std::size_t>(c.shown.size())) << c.number;
        for (qsizetype i = 0; i < c.shown.size(); ++i) {
            EXPECT_TRUE(s.shown()[i].text.startsWith(c.shown[i])) << s.shown()[i].text.toStdString();
            EXPECT_EQ(s.shown()[i].style, c.style);
            EXPECT_EQ(s.shown()[i].caption, QStringLiteral("Finoteca"));
        }
        EXPECT_EQ(ui::gErrNumero, c.number); // the fields keep their values
    }
}

TEST_F(AppTest, LocationTextNamesObjectProcedureAndLine) {
    try {
        Profundo(5, QString());
        FAIL() << "the trap raised nothing";
    } catch (const err::AppError &e) {
        EXPECT_TRUE(e.source().startsWith(QStringLiteral("em Module1_Profundo, linha: "))) << e.source().toStdString();
        bool ok = false;
        const int linha = e.source().mid(QStringLiteral("em Module1_Profundo, linha: ").size()).toInt(&ok);
        EXPECT_TRUE(ok) << e.source().toStdString();
        EXPECT_GT(linha, 0);
    }
}

TEST_F(AppTest, ForeignExceptionsAreReportedAsGenericFailures) {
    Script s;
    s.ok();
    try {
        throw std::runtime_error("disco cheio");
    } catch (...) {
        FIN_TRAP_REPORT("Module1", "Main");
    }
    ASSERT_EQ(s.shown().size(), 1u);
    EXPECT_TRUE(s.shown()[0].text.startsWith(QStringLiteral("-2147211504 'disco cheio', em Module1_Main, linha: ")));
}

TEST_F(AppTest, MsgBoxLeavesTheBusyPointerOn) {
    Script s;
    s.ok();
    platform::Screen::setMousePointer(platform::vbHourglass);
    EXPECT_EQ(ui::MsgBox(QStringLiteral("Impressão concluída."), 64), 1);
    EXPECT_EQ(platform::Screen::MousePointer(), platform::vbHourglass);
    EXPECT_EQ(s.shown()[0].caption, QStringLiteral("Finoteca"));
}

namespace {
class View : public platform::ui::Form, public ui::IUpdateView {
public:
    View(QStringList *log, const QString &name, bool fails = false) : log_(log), fails_(fails) { setObjectName(name); }
    void UpdateView(long &msg) override {
        *log_ << QStringLiteral("%1:%2").arg(Name()).arg(msg);
        if (fails_)
            throw err::AppError(3021, QStringLiteral("em x_UpdateView, linha: 1"), QStringLiteral("sem registro"));
    }

private:
    QStringList *log_;
    bool fails_;
};
class Plain : public platform::ui::Form {};
} // namespace

TEST_F(AppTest, BroadcastSkipsSenderAndWindowsWithoutUpdateViewAndSurvivesFailures) {
    QStringList log;
    View sender(&log, "sender"), a(&log, "a", /*fails*/ true), b(&log, "b");
    Plain editor;
    View unloaded(&log, "unloaded");
    for (platform::ui::Form *f : std::initializer_list<platform::ui::Form *>{&a, &sender, &editor, &b})
        f->Load();
    long hint = ui::kHintLancamentos;
    ui::UpdateAllViews(hint, &sender);
    EXPECT_EQ(log, (QStringList{"a:2", "b:2"}));

    log.clear();
    a.Unload();
    b.Unload();
    ui::UpdateAllViews(hint, &sender); // only the sender is open: nobody is called
    EXPECT_TRUE(log.isEmpty());
    sender.Unload();
    editor.Unload();
}

TEST_F(AppTest, RegisteredMessageIdsAreDistinctAndStable) {
    ui::RegistrarMensagens();
    const int a = ui::gMsgNodeClick, b = ui::gMsgGridResize, c = ui::gMsgGridSelLine;
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    ui::RegistrarMensagens();
    EXPECT_EQ(ui::gMsgNodeClick, a);
    EXPECT_EQ(ui::gMsgGridSelLine, c);
}

// A window that cannot go on reports and then closes: open while its report
// is read, closed once it is answered. The report's box lets the window
// system run, and a close asked for before it (here, posted before the
// failure) deletes the window while the box is open: the close after the
// answer then goes to no window at all (a post to the deleted one is what
// the sanitizer run reports), and the report still shows.
TEST_F(AppTest, AWindowThatCannotGoOnClosesAfterItsReportAndOnlyIfStillThere) {
    for (const bool fechadaAntes : {false, true}) {
        SCOPED_TRACE(fechadaAntes);
        auto *w = new QWidget;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        QPointer<QWidget> janela(w);
        if (fechadaAntes) platform::ui::PostMessage(w, platform::ui::WM_CLOSE);
        Script s;
        s.eventsWhileShown().ok();
        try {
            throw err::AppError(3021, QStringLiteral("DataSQL"), QStringLiteral("falhou"));
        } catch (...) {
            FIN_TRAP_REPORT_CLOSE(w, "frmContas", "Form_Activate");
        }
        EXPECT_EQ(s.shownTexts().size(), 1);
        EXPECT_EQ(janela.isNull(), fechadaAntes) << "closed only once its report was answered";
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(janela.isNull());
    }
}

namespace {

// A window whose memory the next one of its kind takes, as a freed block is
// given again to the next allocation of its size: a pointer kept to the
// first then names the second.
alignas(QWidget) unsigned char gLugarDaJanela[sizeof(QWidget)];

class JanelaNoMesmoLugar : public QWidget {
public:
    static void *operator new(std::size_t n) {
        if (n > sizeof(gLugarDaJanela)) throw std::bad_alloc();
        return gLugarDaJanela;
    }
    static void operator delete(void *) {}
};

} // namespace

// The window that cannot go on is deleted while its report is read (a close
// asked for before it), and another window opens in its memory meanwhile:
// the close after the answer goes to no window at all, so the new one stays
// open.
TEST_F(AppTest, TheCloseAfterTheReportLeavesAWindowInTheMemoryOfTheDeletedOne) {
    auto *w = new JanelaNoMesmoLugar;
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    const QPointer<QWidget> primeira(w);
    platform::ui::PostMessage(w, platform::ui::WM_CLOSE);
    QPointer<QWidget> segunda;
    Script s;
    s.eventsWhileShown().ok();
    s.whenShown = [&](const platform::ui::ModalRequest &) {
        ASSERT_TRUE(primeira.isNull()) << "the close asked for before the report deleted the window";
        segunda = new JanelaNoMesmoLugar;
        segunda->show();
    };
    try {
        throw err::AppError(3021, QStringLiteral("DataSQL"), QStringLiteral("falhou"));
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(w, "frmContas", "Form_Activate");
    }
    EXPECT_EQ(s.shownTexts().size(), 1);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(segunda.isNull());
    ASSERT_EQ(static_cast<void *>(segunda.data()), static_cast<void *>(gLugarDaJanela)) << "opened in the first one's memory";
    EXPECT_TRUE(segunda->isVisible()) << "closed by the report of the deleted window";
    delete segunda.data();
}
