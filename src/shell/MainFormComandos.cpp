// The main window's commands: the windows they open, with the checks of the
// data-present mask that come first, and the database commands.
#include "shell/MainForm.h"

#include "platform/value/CaractereNulo.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/Sessao.h"
#include "ui/MsgBox.h"
#include "platform/app/Application.h"
#include "platform/settings/Settings.h"
#include "shell/AberturaDeJanelas.h"
#include "shell/ComandoNovoBanco.h"

namespace shell {

using ui::GetDBPath;
using ui::MsgBox;
using ui::gTemDados;
using ui::kTemContas;
using ui::kTemRecDesp;

namespace {

const QString kReiniciar =
    QStringLiteral("A aplicação precisará ser encerrada para que as novas configurações tenham efeito.");

bool Tem(long bit) { return (gTemDados & bit) != 0; }

} // namespace

void MainForm::mnuCadContas_Click() {
    try {
        AbrirCadastroDeContas();
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuCadContas_Click");
    }
}

void MainForm::mnuCadTiposRecDesp_Click() {
    try {
        AbrirCadastroDeTiposRecDesp();
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuCadTiposRecDesp_Click");
    }
}

void MainForm::mnuOperLancamentos_Click() {
    try {
        if (!Tem(kTemContas)) {
            MsgBox(QStringLiteral("Não há contas cadastradas para se fazer lançamentos."), platform::ui::vbInformation,
                   platform::App::Title());
            return;
        }
        if (!Tem(kTemRecDesp)) {
            MsgBox(QStringLiteral("Não há receitas ou despesas cadastradas para se fazer lançamentos."),
                   platform::ui::vbInformation, platform::App::Title());
            return;
        }
        AbrirLancamentos();
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuOperLancamentos_Click");
    }
}

void MainForm::mnuOperPendencias_Click() {
    try {
        AbrirPendencias();
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuOperPendencias_Click");
    }
}

void MainForm::mnuOperPesqDoc_Click() {
    try {
        QString documento;
        for (;;) {
            // Asked again with what was typed, for the user to mend it.
            documento = platform::ui::InputBox(QStringLiteral("Informe o número do documento a ser pesquisado:"),
                                               platform::App::Title() + QStringLiteral(" - Pesquisa Por Documento"), documento);
            if (documento.trimmed().isEmpty()) {
                MsgBox(QStringLiteral("Nenhum documento foi informado."), platform::ui::vbInformation, platform::App::Title());
                return;
            }
            const QString recusa =
                value::RecusaDeCaractereNulo(documento, QStringLiteral("O documento a pesquisar"), value::UsoDoTexto::Pesquisar);
            if (recusa.isEmpty()) break;
            MsgBox(recusa, platform::ui::vbInformation, platform::App::Title());
        }
        AbrirPesquisaPorDocumento(documento);
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuOperPesqDoc_Click");
    }
}

void MainForm::ComandoDeRelatorio(const char *procedimento, long bit, const QString &mensagem, int mode) {
    try {
        if (!Tem(bit)) {
            MsgBox(mensagem, platform::ui::vbInformation, platform::App::Title());
            return;
        }
        AbrirRelatorio(mode);
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", procedimento);
    }
}

void MainForm::mnuOperExtratosContas_Click() {
    ComandoDeRelatorio("mnuOperExtratosContas_Click", kTemContas,
                       QStringLiteral("Não há contas cadastradas para se gerar extratos."), 1);
}
void MainForm::mnuOperExtratosRecDesp_Click() {
    ComandoDeRelatorio("mnuOperExtratosRecDesp_Click", kTemRecDesp,
                       QStringLiteral("Não há receitas ou despesas cadastradas para se gerar extratos."), 2);
}
void MainForm::mnuOperBalContas_Click() {
    ComandoDeRelatorio("mnuOperBalContas_Click", kTemContas,
                       QStringLiteral("Não há contas cadastradas para se fazer balanço."), 3);
}
void MainForm::mnuOperBalRecDesp_Click() {
    ComandoDeRelatorio("mnuOperBalRecDesp_Click", kTemRecDesp,
                       QStringLiteral("Não há receitas ou despesas cadastradas para se fazer balanço."), 4);
}
void MainForm::mnuOperPesqSaldosContas_Click() {
    ComandoDeRelatorio("mnuOperPesqSaldosContas_Click", kTemContas,
                       QStringLiteral("Não há contas cadastradas para gerar informaçõe de saldo."), 6);
}
void MainForm::mnuOperPesqSaldosRecDesp_Click() {
    ComandoDeRelatorio("mnuOperPesqSaldosRecDesp_Click", kTemRecDesp,
                       QStringLiteral("Não há receitas ou despesas cadastradas para se gerar informações de saldo."),
                       7);
}

void MainForm::mnuSegContas_Click() {
    try {
        if (gTemDados != (kTemContas | kTemRecDesp))
            MsgBox(QStringLiteral("Aviso: enquanto não forem cadastradas as contas e os tipos de receitas/despesas, ") +
                       QChar(10) + QStringLiteral("só é possível cadastrar novos usuários administradores."),
                   platform::ui::vbInformation, platform::App::Title());
        AbrirUsuarios();
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuSegContas_Click");
    }
}

void MainForm::mnuBDCaminho_Click() {
    try {
        const QString titulo = platform::App::Title();
        const QString atual =
            settings::GetSetting(titulo, QStringLiteral("Settings"), QStringLiteral("DBPath"), QString());
        if (MsgBox(QStringLiteral("O caminho atual do banco de dados é: ") + QChar(10) + atual + QStringLiteral(".") +
                       QChar(10) + QStringLiteral("Deseja informar outro banco de dados?"),
                   platform::ui::vbYesNo | platform::ui::vbQuestion, titulo) != platform::ui::vbYes)
            return;
        const QString novo = GetDBPath(nullptr);
        if (novo.isEmpty())
            return;
        settings::SaveSetting(titulo, QStringLiteral("Settings"), QStringLiteral("DBPath"), novo);
        MsgBox(kReiniciar, platform::ui::vbOKOnly, titulo);
        Fechar();
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuBDCaminho_Click");
    }
}

void MainForm::mnuBDNew_Click() {
    try {
        CriarNovoBancoDeDados();
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "mnuBDNew_Click");
    }
}

} // namespace shell
