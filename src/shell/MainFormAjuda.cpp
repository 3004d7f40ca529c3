// The help commands of the main window: the help file beside the program,
// the about box and the two local pages, opened with the desktop's default
// handler for their kind of file.
#include "shell/MainForm.h"

#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "ui/DialogoArquivo.h"
#include "shell/frmAbout.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <memory>

namespace shell {

using ui::MostrarDialogoCentralizado;
using ui::MsgBox;
using ui::kDialogoAbrir;

namespace {

// The desktop opens the file in its own program; the result is not waited
// for, and a file it cannot open shows nothing.
void AbrirComOPadrao(const QString &caminho) { QDesktopServices::openUrl(QUrl::fromLocalFile(caminho)); }

void AbrirPaginaLocal(const QString &pagina) {
    const QString caminho = db::AppPath() + pagina;
    // A page that is not there does nothing visible.
    if (QFile::exists(caminho))
        AbrirComOPadrao(caminho);
}

} // namespace

void MainForm::mnuAjuConteudo_Click() {
    try {
        const QString ajuda = db::AppPath() + platform::App::EXEName() + QStringLiteral(".chm");
        QString arquivo = ajuda;
        if (!db::FileExists(ajuda)) {
            const QString titulo = platform::App::Title();
            if (MsgBox(QStringLiteral("O arquivo de ajuda finoteca.chm não foi encontrado. Deseja localizá-lo por si "
                                      "mesmo?"),
                       platform::ui::vbYesNo | platform::ui::vbQuestion, titulo) != platform::ui::vbYes)
                return;
            const QChar nul(u'\0');
            arquivo = MostrarDialogoCentralizado(this, kDialogoAbrir,
                                                 titulo + QStringLiteral(" - Localizar Finoteca.chm\u00b4"), QString(),
                                                 QStringLiteral("Arquivos de ajuda (*.chm)") + nul +
                                                     QStringLiteral("*.chm"),
                                                 QDir::currentPath(), QStringLiteral("chm"), false);
            if (arquivo.isEmpty())
                return;
            const int corte = arquivo.indexOf(nul);
            if (corte >= 0)
                arquivo.truncate(corte);
            // So that the next request finds it beside the program; a folder
            // that cannot be written, or the very same file, is no failure.
            if (QFileInfo(arquivo).canonicalFilePath() != QFileInfo(ajuda).canonicalFilePath()) {
                QFile::copy(arquivo, ajuda);
            }
        }
        AbrirComOPadrao(arquivo);
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuAjuConteudo_Click");
    }
}

void MainForm::mnuAjuSobre_Click() {
    try {
        auto sobre = std::make_unique<frmAbout>();
        sobre->ShowModal();
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuAjuSobre_Click");
    }
}

void MainForm::mnuAjuBrisaverde_Click() {
    try {
        AbrirPaginaLocal(QStringLiteral("brisaver.htm"));
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuAjuBrisaverde_Click");
    }
}

void MainForm::mnuFluxometria_Click() {
    try {
        AbrirPaginaLocal(QStringLiteral("fluxometria.htm"));
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuFluxometria_Click");
    }
}

} // namespace shell
