// Start-up to the main window on the password-protected file: the stored
// path, opening the file, the sign-in check as ADMIN/TOQUE, the context and
// the main window with its menus and permissions. The sign-in dialog is
// answered at once, so the figure is the program's own part of the start.
#include "ui/AppContext.h"
#include "app/Inicio.h"
#include "ui/Sessao.h"
#include "app/frmLogin.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Modal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Signs in as ADMIN/TOQUE whenever the sign-in dialog is shown.
class Entrar : public platform::ui::ModalDriver {
public:
    platform::ui::ModalAnswer answer(const platform::ui::ModalRequest &r) override {
        if (r.kind != platform::ui::ModalKind::Form)
            return platform::ui::ModalAnswer::Button(1);
        return platform::ui::ModalAnswer::Act([](QWidget &w) {
            auto &f = dynamic_cast<app::frmLogin &>(w);
            f.txtUsuario->setText(QStringLiteral("ADMIN"));
            f.txtSenha->setText(QStringLiteral("TOQUE"));
            f.cmdAplicar_Click();
        });
    }
};

void BM_InicioAteJanelaPrincipal(benchmark::State &state) {
    QTemporaryDir dir;
    settings::setStoreLocation(dir.filePath(QStringLiteral("settings")));
    const QString banco = dir.filePath(QStringLiteral("livro.mdb"));
    db::ConstruirBancoDeDados(banco)->Close();
    settings::SaveSetting(QStringLiteral("Finoteca"), QStringLiteral("Settings"), QStringLiteral("DbPath"), banco);
    Entrar entrar;
    platform::ui::ModalDriver *anterior = platform::ui::SetModalDriver(&entrar);
    for (auto _ : state) {
        const bool rodando = app::Main();
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (!rodando)
            state.SkipWithError("start-up did not reach the main window");
        ui::Finalizar();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    platform::ui::SetModalDriver(anterior);
}
BENCHMARK(BM_InicioAteJanelaPrincipal)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace
