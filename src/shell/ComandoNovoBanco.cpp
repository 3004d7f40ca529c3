#include "shell/ComandoNovoBanco.h"

#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "db/ConstruirBanco.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Form.h"
#include "platform/ui/Messages.h"
#include "ui/CHourGlass.h"
#include "ui/DialogoArquivo.h"

#include <QFileInfo>
#include <memory>

namespace shell {

using ui::CHourGlass;
using ui::MostrarDialogoCentralizado;
using ui::MsgBox;
using ui::gDB;

namespace {

[[noreturn]] void JaAvisado() { throw err::AppError(err::kErrCancel, QString(), QString()); }

bool MesmoArquivo(const QString &a, const QString &b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

void CriarNovoBancoDeDados() {
    // Released last: restores the pointer and drops the input queued meanwhile.
    CHourGlass ampulheta;
    std::unique_ptr<dao::Database> novo;
    try {
        const QString titulo = platform::App::Title();
        platform::Screen::setMousePointer(platform::vbDefault);
        const QChar nul(u'\0');
        const QString filtro = QStringLiteral(" Bancos de dados (*.mdb)") + nul + QStringLiteral("*.mdb") + nul +
                               QStringLiteral("Todos arquivos (*.*)") + nul + QStringLiteral("*.*") + nul;
        QString caminho = MostrarDialogoCentralizado(nullptr, 2, titulo + QStringLiteral(" - Criar como"), QString(),
                                                     filtro, db::AppPath(), QStringLiteral("mdb"));
        const int corte = caminho.indexOf(nul);
        if (corte >= 0)
            caminho.truncate(corte);
        if (caminho.isEmpty())
            return;

        // Replacing the book in use would destroy it under the running program
        // or under another copy that has it open.
        if (gDB && MesmoArquivo(caminho, gDB->Name())) {
            MsgBox(QStringLiteral("O arquivo escolhido é o banco de dados em uso e não pode ser substituído. "
                                  "Escolha outro nome para o novo banco de dados."),
                   platform::ui::vbInformation, titulo);
            JaAvisado();
        }
        if (dao::DBEngine::FileInUse(caminho)) {
            MsgBox(QStringLiteral("O arquivo escolhido está em uso por outra cópia do programa e não pode ser "
                                  "substituído. Escolha outro nome para o novo banco de dados."),
                   platform::ui::vbInformation, titulo);
            JaAvisado();
        }
        // The chosen file is replaced only by a complete new book.
        ampulheta.Show(true);
        novo = db::ConstruirBancoDeDados(
            caminho, [&titulo](const QString &aviso) { MsgBox(aviso, platform::ui::vbInformation, titulo); });

        const QChar lf(10);
        const int resposta =
            MsgBox(QStringLiteral("Banco de dados criado com sucesso!") + lf +
                       QStringLiteral("Para utilizá-lo, faça login, inicialmente, como usuário 'ADMIN' e com a senha "
                                      "'TOQUE'.") +
                       lf + QStringLiteral("Deseja informá-lo como o seu novo banco de dados?"),
                   platform::ui::vbYesNo | platform::ui::vbQuestion, titulo);
        if (resposta != platform::ui::vbYes)
            return;
        settings::SaveSetting(titulo, QStringLiteral("Settings"), QStringLiteral("DBPath"), caminho);
        MsgBox(QStringLiteral("A aplicação precisará ser encerrada para que as novas configurações tenham efeito."),
               platform::ui::vbOKOnly, titulo);
        platform::ui::PostMessage(ui::MainForm.data(), platform::ui::WM_CLOSE);
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "CriarNovoBancoDeDados");
    }
}

} // namespace shell
