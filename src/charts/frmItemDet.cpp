#include "charts/frmItemDet.h"

#include "platform/value/CaractereNulo.h"
#include "ui/AppContext.h"
#include "ui/CHourGlass.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "db/CDaoTrans.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Input.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/UpperLineEdit.h"
#include "core/escrita/Operacoes.h"
#include "core/escrita/SaldoInicial.h"
#include "db/SqlTexto.h"

#include <QLabel>
#include <QPushButton>

namespace charts {

using core::arvores::Escrita;
using db::Plano;

namespace {
// Positions are given in twips, as the design has them.
QRect tw(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }
} // namespace

frmItemDet::frmItemDet(Plano plano, QWidget *parent) : platform::ui::Form(parent), plano_(plano) {
    const bool conta = plano == Plano::Contas;
    setObjectName(conta ? QStringLiteral("frmContaDet") : QStringLiteral("frmMovDet"));
    Label1 = new QLabel(conta ? QStringLiteral("&Entre com a descrição da conta (máximo 30 caracteres):")
                              : QStringLiteral("&Entre com a descrição do tipo (máximo 30 caracteres):"),
                        this);
    Label1->setGeometry(tw(308, 360, 4095, 225));
    txtDescricao = new widgets::UpperLineEdit(this);
    txtDescricao->setObjectName(conta ? QStringLiteral("txtConta") : QStringLiteral("txtTipo"));
    txtDescricao->setMaxLength(30);
    txtDescricao->selectOnFocus = true;
    txtDescricao->setGeometry(tw(278, 660, 4125, 285));
    Label1->setBuddy(txtDescricao);
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    if (conta) {
        cmdOK->setGeometry(tw(2033, 1230, 1515, 315));
        cmdCancel->setGeometry(tw(3983, 1230, 1515, 315));
        resize(7530 / 15, 1815 / 15);
    } else {
        cmdOK->setGeometry(tw(615, 1320, 1515, 315));
        cmdCancel->setGeometry(tw(2565, 1320, 1515, 315));
        cmdOK->setDefault(true);
        resize(4695 / 15, 1815 / 15);
        // OK is the default button: Enter in the description runs it.
        connect(txtDescricao, &QLineEdit::returnPressed, this, &frmItemDet::cmdOK_Click);
    }
    connect(cmdOK, &QPushButton::clicked, this, &frmItemDet::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmItemDet::cmdCancel_Click);
    setCancelButton(cmdCancel);
    // The account dialog places its own boxes first (its constructor).
    if (!conta) platform::ui::AcomodarRotulo(Label1);
}

void frmItemDet::Form_Load() {
    setWindowTitle(platform::App::Title() +
                   (plano_ == Plano::Contas ? QStringLiteral(" - Conta") : QStringLiteral(" - Tipo de Receita/Despesa")));
    if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
}

void frmItemDet::Form_Activate() {
    if (!FirstActivation()) return;
    txtDescricao->setText(descricao_);
    PrimeiraAtivacao();
}

void frmItemDet::Form_QueryUnload(bool &cancel, int unloadMode) {
    (void)cancel;
    // The type dialog closed from outside (close box, system menu) saved nothing.
    if (plano_ == Plano::RecDesp && unloadMode != platform::ui::vbFormCode) Cancelado = true;
}

void frmItemDet::cmdCancel_Click() {
    if (plano_ == Plano::RecDesp) Cancelado = true;
    Unload(platform::ui::vbFormCode);
}

void frmItemDet::cmdOK_Click() {
    const bool conta = plano_ == Plano::Contas;
    const QString texto = txtDescricao->text().trimmed();
    if (texto.isEmpty()) {
        ui::MsgBox(conta ? QStringLiteral("Erro: faltando informar conta.")
                         : QStringLiteral("Erro: faltando informar tipo de receita/despesa."));
        txtDescricao->setFocus();
        return;
    }
    if (texto.contains(QLatin1Char('"')) || texto.contains(QLatin1Char('\''))) {
        ui::MsgBox(conta ? QStringLiteral("Erro: descrição de conta não pode conter aspas simples ou duplas.")
                         : QStringLiteral("Erro: descrição de tipo de receita/despesa não pode conter aspas simples ou "
                                          "duplas."));
        txtDescricao->setFocus();
        return;
    }
    if (const QString r = value::RecusaDeCaractereNulo(texto, QStringLiteral("O nome")); !r.isEmpty()) {
        ui::MsgBox(r);
        txtDescricao->setFocus();
        return;
    }
    // Released at the end of the click: whatever failed is rolled back whole
    // (the account row and its opening posting together).
    db::CDaoTrans trans;
    try {
        if (mode_ == kRenomearItem) {
            const Escrita r = core::arvores::Renomear(plano_, Codigo, id_, texto);
            if (r != Escrita::Gravado) {
                fecharSemGravar(r);
                return;
            }
            descricao_ = texto;
        } else {
            if (SaldoInformado() && !ValidarSaldo()) return;
            QString novo = ObterNovoCodigo(plano_, CodPai);
            if (SaldoInformado()) PrepararSaldo(novo);
            trans.BegTrans();
            // The parent is read inside the transaction: another copy may
            // have deleted it (its code perhaps given to a new item) or
            // deactivated it since the opener loaded it.
            long novoId = 0;
            QString recusa;
            const Escrita r = core::arvores::IncluirItem(*ui::gDB, plano_, CodPai, IdPai, texto, novo, novoId, recusa);
            if (r == Escrita::Recusado) {
                // Another copy filled the parent meanwhile: as when the code was first read.
                trans.RollBack();
                ui::MsgBox(recusa, platform::ui::vbInformation);
                txtDescricao->setFocus();
                return;
            }
            if (r != Escrita::Gravado) {
                trans.RollBack();
                fecharSemGravar(r);
                return;
            }
            Codigo = novo;
            descricao_ = texto;
            id_ = novoId;
            if (SaldoInformado()) AjustaSaldo();
            trans.ComTrans();
        }
        if (conta) Cancelado = false;
        Unload(platform::ui::vbFormCode);
    } catch (...) {
        FIN_TRAP_REPORT(conta ? "frmContaDet" : "frmMovDet", "cmdOK_Click");
        txtDescricao->setFocus();
    }
}

// Nothing was written: the item the opener showed is gone, another now has
// its code, or the parent is inactive. The dialog has nothing left to save;
// the opener tells the user and reloads the item.
void frmItemDet::fecharSemGravar(Escrita motivo) {
    Resultado = motivo;
    Cancelado = true;
    Unload(platform::ui::vbFormCode);
}

frmMovDet::frmMovDet(QWidget *parent) : frmItemDet(Plano::RecDesp, parent) {}

// ---- account dialog ---------------------------------------------------------

frmContaDet::frmContaDet(QWidget *parent) : frmItemDet(Plano::Contas, parent) {
    lblSaldoIni = new QLabel(QStringLiteral("&Saldo Inicial:"), this);
    lblSaldoIni->setGeometry(tw(4560, 360, 1305, 255));
    txtSaldoInicial = new widgets::AmountBox(this);
    txtSaldoInicial->setObjectName(QStringLiteral("txtSaldoInicial"));
    txtSaldoInicial->setGeometry(tw(4560, 660, 1395, 285));
    lblSaldoIni->setBuddy(txtSaldoInicial);
    lblData = new QLabel(QStringLiteral("&Data Inicio:"), this);
    lblData->setGeometry(tw(6120, 360, 1035, 255));
    txtData = new widgets::DateBox(this);
    txtData->setObjectName(QStringLiteral("txtData"));
    txtData->setGeometry(tw(6120, 660, 1155, 285));
    lblData->setBuddy(txtData);
    // Enter: Tab in the description and the amount; OK in the date box.
    connect(txtDescricao, &QLineEdit::returnPressed, this, [] { platform::ui::SendTab(); });
    txtData->setEnterSendsTab(false);
    connect(txtData, &widgets::ActiveText::EnterPressed, this, &frmItemDet::cmdOK_Click);
    setTabOrder(txtDescricao, txtSaldoInicial);
    setTabOrder(txtSaldoInicial, txtData);
    setTabOrder(txtData, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    platform::ui::AcomodarRotulo(Label1);
}

void frmContaDet::Form_Load() {
    frmItemDet::Form_Load();
    Cancelado = true;
}

void frmContaDet::AplicarModo() {
    if (Mode() == kRenomearItem) {
        txtSaldoInicial->hide();
        lblSaldoIni->hide();
        txtData->hide();
        lblData->hide();
        resize(4770 / 15, height());
        cmdOK->move(623 / 15, cmdOK->y());
        cmdCancel->move(2573 / 15, cmdCancel->y());
    }
}

void frmContaDet::PrimeiraAtivacao() { txtSaldoInicial->setValueText(QString()); }

bool frmContaDet::SaldoInformado() const {
    if (Mode() != kIncluirItem) return false;
    const QString t = txtSaldoInicial->ValueText();
    if (t.isEmpty()) return false;
    const auto v = value::Currency::parseBr(t);
    if (!v) throw err::AppError(13, QString(), QStringLiteral("Tipo incompatível"));
    return *v != value::Currency();
}

bool frmContaDet::ValidarSaldo() {
    // The opening balance is a posting: the posting window's maximum holds, on the magnitude.
    if (core::escrita::AcimaDoMaximo(value::Currency::parseBr(txtSaldoInicial->ValueText()).value_or(value::Currency()))) {
        ui::MsgBox(QStringLiteral("O valor máximo para saldo inicial é de 99.999.999,99"), platform::ui::vbInformation);
        txtSaldoInicial->setFocus();
        return false;
    }
    return ValidarData();
}

bool frmContaDet::ValidarData() {
    try {
        const QString t = txtData->Text();
        if (t.size() >= 10 || t.size() == 8) {
            if (widgets::DateBox::Parse(t)) return true;
            ui::MsgBox(QStringLiteral("Data inválida."));
            txtData->setFocus();
            return false;
        }
        ui::MsgBox(QStringLiteral("Data incompleta. Deve ser no formato dd/mm/aaaa ou dd/mm/aa."));
        txtData->setFocus();
        return false;
    } catch (...) {
        FIN_TRAP_RERAISE("frmContaDet", "ValidarData");
    }
}

void frmContaDet::PrepararSaldo(const QString &codigo) {
    core::escrita::PrepararSaldoInicial(*ui::gDB, codigo,
                                        value::Currency::parseBr(txtSaldoInicial->ValueText()).value_or(value::Currency()));
}

void frmContaDet::AjustaSaldo() {
    const auto data = widgets::DateBox::Parse(txtData->Text());
    const auto valor = value::Currency::parseBr(txtSaldoInicial->ValueText());
    if (!data || !valor) throw err::AppError(13, QStringLiteral("em frmContaDet_AjustaSaldo, linha: 1"),
                                             QStringLiteral("Tipo incompatível"));
    ui::CHourGlass hg;
    hg.Show(true);
    QString recusa;
    core::escrita::LancarSaldoInicial(*ui::gDB, Codigo, *valor, *data, ui::gIdUsuario, recusa);
    if (!recusa.isEmpty()) {
        hg.Show(false);
        ui::MsgBox(recusa);
        throw err::AppError(err::kErrCancel, QString(), QString());
    }
}

} // namespace charts
