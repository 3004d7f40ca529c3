#include "shell/frmAbout.h"

#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "platform/app/Application.h"
#include "ui/DialogoArquivo.h"
#include "shell/ImagensDaJanelaPrincipal.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

namespace shell {

using ui::CentralizarJanela;
using ui::MsgBox;

frmAbout::frmAbout(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    // Fixed dialog: no minimise or maximise buttons.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setFixedSize(48, 48);
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont grande = lblTitle->font();
    grande.setPointSize(grande.pointSize() + 6);
    grande.setBold(true);
    lblTitle->setFont(grande);
    lblDescription = new QLabel(QStringLiteral("Previsões de receitas e despesas"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDisclaimer = new QLabel(this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setFixedWidth(380);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto *grade = new QGridLayout(this);
    grade->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grade->addWidget(lblTitle, 0, 1);
    grade->addWidget(lblDescription, 1, 1);
    grade->addWidget(lblVersion, 2, 1);
    grade->addWidget(lblDisclaimer, 3, 0, 1, 2);
    auto *botoes = new QVBoxLayout;
    botoes->addWidget(cmdOK);
    botoes->addWidget(cmdSysInfo);
    botoes->addStretch();
    grade->addLayout(botoes, 0, 2, 4, 1);
    grade->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
}

void frmAbout::Form_Load() {
    try {
        const QIcon icone = IconePrincipal();
        setWindowIcon(icone);
        picIcon->setPixmap(icone.pixmap(48, 48));
        lblTitle->setText(platform::App::Title());
        setWindowTitle(QStringLiteral("Sobre o ") + platform::App::Title());
        lblDisclaimer->setText(
            QStringLiteral("Aviso: este programa de computador está protegido pelas leis de direitos autorais e "
                           "pelos tratados internacionais. A reprodução ou a distribuição não autorizada deste "
                           "programa, ou de qualquer parte dele, poderá resultar em severas punições civis e "
                           "criminais, e os infratores serão processados na máxima extensão permitida pela lei."));
        lblVersion->setText(QStringLiteral("Versão %1.%2.%3")
                                .arg(platform::App::Major())
                                .arg(platform::App::Minor())
                                .arg(platform::App::Revision()));
        CentralizarJanela(this);
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmAbout", "Form_Load");
    }
}

void frmAbout::cmdOK_Click() { Unload(platform::ui::vbFormCode); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

QStringList frmAbout::ProgramasDeInformacao() {
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor")};
}

QString frmAbout::LocalizarInformacoesDoSistema() {
    for (const QString &nome : ProgramasDeInformacao()) {
        const QString caminho = QStandardPaths::findExecutable(nome);
        if (!caminho.isEmpty())
            return caminho;
    }
    return {};
}

void frmAbout::StartSysInfo() {
    try {
        const QString programa = LocalizarInformacoesDoSistema();
        if (!programa.isEmpty() && QProcess::startDetached(programa, {}))
            return;
    } catch (...) {
    }
    MsgBox(QStringLiteral("System Information Is Unavailable At This Time"), platform::ui::vbOKOnly);
}

} // namespace shell
