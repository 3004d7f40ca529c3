#pragma once
// The transfer dialog: the date, the amount, the source account with the
// outgoing document and history, the destination account with the incoming
// ones. It offers only the accounts the user may post to, validates, hands
// the entries over through its public values and writes nothing. The opener
// creates it, shows it modally and reads the values after it has closed.
#include "platform/ui/Form.h"
#include "platform/value/Currency.h"

#include <QDate>
#include <QString>
#include <memory>

class QLabel;
class QPushButton;

namespace dao {
class Recordset;
}
namespace widgets {
class AmountBox;
class DateBox;
class EditCombo;
class UpperLineEdit;
} // namespace widgets

namespace postings {

inline const QString kMsgSemContasTransferencia = QStringLiteral(
    "Nenhuma conta no cadastro de contas com permissão para este usuário ou ainda não há contas no Cadastro de Contas.");

class frmTrans : public platform::ui::Form {
    Q_OBJECT
public:
    explicit frmTrans(QWidget *parent = nullptr);
    ~frmTrans() override;

    // Public values, readable after the dialog has closed.
    bool Cancelado = true;
    QString CodContaOrig, DesContaOrig, CodContaDest, DesContaDest;
    long IdContaOrig = 0, IdContaDest = 0; // the accounts' Ids as listed
    QString DocSaida, DocEntrada;
    QDate Data;
    value::Currency Valor;
    QString HistoricoSaida, HistoricoEntrada;

    widgets::DateBox *txtData = nullptr;
    widgets::AmountBox *txtValor = nullptr;
    widgets::EditCombo *cbContaOrig = nullptr;
    widgets::UpperLineEdit *txtDocSaida = nullptr;
    widgets::UpperLineEdit *txtHistSaida = nullptr;
    widgets::EditCombo *cbContaDest = nullptr;
    widgets::UpperLineEdit *txtDocEntrada = nullptr;
    widgets::UpperLineEdit *txtHistEntrada = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();
    bool Validar();

protected:
    void Form_Load() override;
    void Form_Unload(bool &cancel) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void EncheListas();
    std::unique_ptr<dao::Recordset> rsContas;
};

} // namespace postings
