#pragma once
// The chart item dialogs: add a child item under a parent (Mode 1) or rename
// an item (Mode 2). frmMovDet keeps the income/expense types; frmContaDet the
// accounts and, when adding, an optional opening balance with its date,
// written in the same transaction as the new account. The opener sets the
// public values, shows the dialog modally and reads them back afterwards.
#include "charts/PlanoNaJanela.h"
#include "platform/ui/Form.h"

#include <QString>

class QLabel;
class QPushButton;

namespace widgets {
class UpperLineEdit;
class AmountBox;
class DateBox;
} // namespace widgets

namespace charts {

// The Modes of the item dialogs.
constexpr long kIncluirItem = 1;  // a new child under CodPai
constexpr long kRenomearItem = 2; // the item Codigo, renamed

class frmItemDet : public platform::ui::Form {
    Q_OBJECT
public:
    // True when the dialog closed without saving.
    bool Cancelado = false;
    // 1 add a child item, 2 rename; set after Load, before the show.
    long Mode() const { return mode_; }
    void SetMode(long m) { mode_ = m; AplicarModo(); }
    QString CodPai;  // Mode 1: the parent's code
    long IdPai = 0;  // Mode 1: the parent's Id as the opener loaded it (0: the code alone)
    QString Codigo;  // Mode 1: the new item's code, after OK; Mode 2: the item's code, set by the opener
    // Gravado, or why the dialog closed without saving (Cancelado is True):
    // Mudado when the item (Mode 2) or the parent (Mode 1) is no longer the
    // one the opener loaded, PaiInativo when the parent was found inactive.
    // The opener says so and reloads what it shows.
    core::arvores::Escrita Resultado = core::arvores::Escrita::Gravado;

    QString Descricao() const { return descricao_; }
    void SetDescricao(const QString &d) { descricao_ = d; }
    long Id() const { return id_; }
    void SetId(long id) { id_ = id; }

    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel *Label1 = nullptr;
    widgets::UpperLineEdit *txtDescricao = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    db::Plano plano() const { return plano_; }

protected:
    frmItemDet(db::Plano plano, QWidget *parent);
    void Form_Load() override;
    void Form_Activate() override;
    void Form_QueryUnload(bool &cancel, int unloadMode) override;
    // The account dialog: opening balance checks and posting.
    virtual bool SaldoInformado() const { return false; }
    virtual bool ValidarSaldo() { return true; }
    virtual void AjustaSaldo() {}
    // Before the transaction: the opening posting's statements for the new code.
    virtual void PrepararSaldo(const QString & /*codigo*/) {}
    virtual void PrimeiraAtivacao() {}
    virtual void AplicarModo() {}

private:
    void fecharSemGravar(core::arvores::Escrita motivo);
    db::Plano plano_;
    QString descricao_;
    long id_ = 0;
    long mode_ = kIncluirItem;
};

class frmMovDet : public frmItemDet {
    Q_OBJECT
public:
    explicit frmMovDet(QWidget *parent = nullptr);
    QString DesTipo() const { return Descricao(); }
    void SetDesTipo(const QString &d) { SetDescricao(d); }
    long IdTipo() const { return Id(); }
    void SetIdTipo(long id) { SetId(id); }
    widgets::UpperLineEdit *txtTipo() const { return txtDescricao; }
};

class frmContaDet : public frmItemDet {
    Q_OBJECT
public:
    explicit frmContaDet(QWidget *parent = nullptr);
    QString DesConta() const { return Descricao(); }
    void SetDesConta(const QString &d) { SetDescricao(d); }
    long IdConta() const { return Id(); }
    void SetIdConta(long id) { SetId(id); }
    widgets::UpperLineEdit *txtConta() const { return txtDescricao; }

    bool ValidarData();

    QLabel *lblSaldoIni = nullptr;
    widgets::AmountBox *txtSaldoInicial = nullptr;
    QLabel *lblData = nullptr;
    widgets::DateBox *txtData = nullptr;

protected:
    void Form_Load() override;
    bool SaldoInformado() const override;
    bool ValidarSaldo() override;
    void AjustaSaldo() override;
    void PrepararSaldo(const QString &codigo) override;
    void PrimeiraAtivacao() override;
    void AplicarModo() override;
};

} // namespace charts
