// The real program on a virtual X display: signs in as ADMIN/TOQUE by typed
// keystrokes on a freshly built database, reaches the main window, keeps a
// picture of it, and leaves through "&Cadastros" > "&Sair".
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/settings/Settings.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class TelaVirtual {
public:
    // Starts Xvfb on the first free display from a per-process start.
    bool Iniciar() {
        for (int n = 100 + getpid() % 300, fim = n + 40; n < fim; ++n) {
            const QString soquete = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
            if (QFile::exists(soquete) || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(n), QStringLiteral("-screen"),
                                                 QStringLiteral("0"), QStringLiteral("1280x800x24"),
                                                 QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            if (!xvfb_.waitForStarted(5000))
                continue;
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 10000 && xvfb_.state() == QProcess::Running && !QFile::exists(soquete))
                QThread::msleep(50);
            if (xvfb_.state() == QProcess::Running && QFile::exists(soquete)) {
                display_ = QStringLiteral(":%1").arg(n);
                return true;
            }
            xvfb_.kill();
            xvfb_.waitForFinished(2000);
        }
        return false;
    }
    ~TelaVirtual() {
        if (xvfb_.state() != QProcess::NotRunning) {
            xvfb_.terminate();
            if (!xvfb_.waitForFinished(5000))
                xvfb_.kill();
            xvfb_.waitForFinished(2000);
        }
    }
    QString display() const { return display_; }

private:
    QProcess xvfb_;
    QString display_;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            << "xdotool is missing: run scripts/setup.sh";
        ASSERT_TRUE(tela.Iniciar()) << "no free X display";
        QDir(tmp.path()).mkpath(QStringLiteral("home"));
        QDir(tmp.path()).mkpath(QStringLiteral("config"));
        QDir(tmp.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(tmp.file(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert(QStringLiteral("DISPLAY"), tela.display());
        ambiente.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        ambiente.insert(QStringLiteral("HOME"), tmp.file(QStringLiteral("home")));
        ambiente.insert(QStringLiteral("XDG_CONFIG_HOME"), tmp.file(QStringLiteral("config")));
        ambiente.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp.file(QStringLiteral("run")));
    }

    // Runs xdotool on the virtual display and returns what it printed.
    QString Xdotool(const QStringList &args) {
        QProcess p;
        p.setProcessEnvironment(ambiente);
        p.start(QStringLiteral("xdotool"), args);
        if (!p.waitForFinished(10000)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << "xdotool " << args.join(' ').toStdString() << " did not finish";
            return {};
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    }
    // The id of the first window whose title matches, waiting for it to appear.
    QString EsperarJanela(const QString &titulo, QProcess &programa) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 20000 && programa.state() == QProcess::Running) {
            const QString ids = Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--name"), titulo});
            if (!ids.isEmpty())
                return ids.split(QLatin1Char('\n')).first();
            QThread::msleep(100);
        }
        return {};
    }
    void Digitar(const QString &janela, const QString &texto) {
        Xdotool({QStringLiteral("windowfocus"), janela});
        QThread::msleep(100);
        Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), texto});
    }
    void Tecla(const QString &tecla) {
        Xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60"), tecla});
    }

    testsupport::TempDir tmp;
    TelaVirtual tela;
    QProcessEnvironment ambiente;
};

TEST_F(EndToEnd, SignsInAsAdminAndLeavesThroughTheMenu) {
    const QString banco = tmp.file(QStringLiteral("livro.mdb"));
    db::ConstruirBancoDeDados(banco)->Close();
    // The program's settings store lies under XDG_CONFIG_HOME.
    settings::setStoreLocation(tmp.file(QStringLiteral("config")));
    settings::SaveSetting(QStringLiteral("Finoteca"), QStringLiteral("Settings"), QStringLiteral("DbPath"), banco);

    QProcess programa;
    programa.setProcessEnvironment(ambiente);
    programa.setProcessChannelMode(QProcess::ForwardedChannels);
    programa.start(QStringLiteral(FIN_EXECUTAVEL), {});
    ASSERT_TRUE(programa.waitForStarted(10000));

    const QString login = EsperarJanela(QStringLiteral("^Finoteca - Login$"), programa);
    ASSERT_FALSE(login.isEmpty()) << "the sign-in dialog never appeared";
    Digitar(login, QStringLiteral("admin"));
    Tecla(QStringLiteral("Return"));
    Digitar(login, QStringLiteral("toque"));
    Tecla(QStringLiteral("Return"));

    const QString principal = EsperarJanela(QStringLiteral("^Finoteca 2\\.0$"), programa);
    ASSERT_FALSE(principal.isEmpty()) << "the main window never appeared";
    QThread::msleep(500); // let it paint

    QDir().mkpath(QStringLiteral(FIN_ARTEFATOS));
    const QString foto = QStringLiteral(FIN_ARTEFATOS "/e2e-janela-principal.png");
    QFile::remove(foto);
    QProcess captura;
    captura.setProcessEnvironment(ambiente);
    captura.start(QStringLiteral(FIN_CAPTURA), {foto});
    ASSERT_TRUE(captura.waitForFinished(20000));
    EXPECT_EQ(captura.exitCode(), 0);
    QImage imagem(foto);
    ASSERT_FALSE(imagem.isNull()) << "no screenshot at " << foto.toStdString();
    // Something was drawn: the picture is not one flat colour.
    const QRgb primeiro = imagem.pixel(0, 0);
    bool variado = false;
    for (int y = 0; y < imagem.height() && !variado; y += 7)
        for (int x = 0; x < imagem.width() && !variado; x += 7)
            variado = imagem.pixel(x, y) != primeiro;
    EXPECT_TRUE(variado);

    // An administrator leaves through "&Cadastros" > "&Sair".
    Xdotool({QStringLiteral("windowfocus"), principal});
    QThread::msleep(100);
    Tecla(QStringLiteral("alt+c"));
    QThread::msleep(300);
    Tecla(QStringLiteral("s"));
    const bool terminou = programa.waitForFinished(15000);
    if (!terminou) {
        programa.kill();
        programa.waitForFinished(5000);
    }
    ASSERT_TRUE(terminou) << "the program did not end after Sair";
    EXPECT_EQ(programa.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(programa.exitCode(), 0);
}

} // namespace
