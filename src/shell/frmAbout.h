#pragma once
// The about box: title, description and version of the program, a legal
// notice, and a button that starts the desktop's system information program.
#include "platform/ui/Form.h"

#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;

namespace shell {

class frmAbout : public platform::ui::Form {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *picIcon;
    QLabel *lblTitle;
    QLabel *lblDescription;
    QLabel *lblVersion;
    QLabel *lblDisclaimer;
    QPushButton *cmdOK;
    QPushButton *cmdSysInfo;

    void cmdOK_Click();
    void cmdSysInfo_Click();
    // Starts the system information program, or says that there is none.
    void StartSysInfo();

    // The system information programs looked for, in order of preference.
    static QStringList ProgramasDeInformacao();
    // The first of them found on the search path; "" when there is none.
    static QString LocalizarInformacoesDoSistema();

protected:
    void Form_Load() override;
};

} // namespace shell
