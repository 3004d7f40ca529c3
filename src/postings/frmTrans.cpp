#include "postings/frmTrans.h"

#include "platform/value/CaractereNulo.h"
#include "db/Schema.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Messages.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/EditCombo.h"
#include "platform/widgets/UpperLineEdit.h"
#include "ui/Campos.h"
#include "core/escrita/Operacoes.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace postings {

using core::escrita::AcimaDoMaximo;
using core::escrita::kMaxDocumento;
using core::escrita::kMaxHistorico;
using ui::RealcarCampo;

namespace {
QRect tw(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }

QLabel *rotulo(QWidget *pai, const QString &texto, int l, int t, int w) {
    auto *r = new QLabel(texto, pai);
    r->setGeometry(tw(l, t, w, 240));
    return r;
}
} // namespace

frmTrans::frmTrans(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("frmTrans"));
    rotulo(this, QStringLiteral("Data em que ocorrerá a transferência:"), 240, 225, 3360);
    txtData = new widgets::DateBox(this);
    txtData->setObjectName(QStringLiteral("txtData"));
    txtData->setGeometry(tw(3660, 180, 1245, 315));
    txtData->setFocusSelect(true);
    rotulo(this, QStringLiteral("Valor da transferência:"), 240, 795, 3360);
    txtValor = new widgets::AmountBox(this);
    txtValor->setObjectName(QStringLiteral("txtValor"));
    txtValor->setGeometry(tw(3660, 750, 1245, 315));
    txtValor->setFocusSelect(true);
    txtValor->setPlaceholderText(QStringLiteral("R$ 0,00"));

    rotulo(this, QStringLiteral("Conta de origem do capital:"), 240, 1410, 4395);
    cbContaOrig = new widgets::EditCombo(this);
    cbContaOrig->setObjectName(QStringLiteral("cbContaOrig"));
    cbContaOrig->setGeometry(tw(240, 1650, 4395, 315));
    rotulo(this, QStringLiteral("Documento de saída:"), 4890, 1410, 1995);
    txtDocSaida = new widgets::UpperLineEdit(this);
    txtDocSaida->setObjectName(QStringLiteral("txtDocSaida"));
    txtDocSaida->setGeometry(tw(4890, 1650, 1995, 315));
    txtDocSaida->setMaxLength(kMaxDocumento);
    rotulo(this, QStringLiteral("Histórico da saída:"), 240, 2100, 6645);
    txtHistSaida = new widgets::UpperLineEdit(this);
    txtHistSaida->setObjectName(QStringLiteral("txtHistSaida"));
    txtHistSaida->setGeometry(tw(240, 2340, 6645, 315));
    txtHistSaida->setMaxLength(150);

    rotulo(this, QStringLiteral("Conta de destino do capital:"), 240, 2910, 4395);
    cbContaDest = new widgets::EditCombo(this);
    cbContaDest->setObjectName(QStringLiteral("cbContaDest"));
    cbContaDest->setGeometry(tw(240, 3150, 4395, 315));
    rotulo(this, QStringLiteral("Documento de entrada:"), 4890, 2910, 1995);
    txtDocEntrada = new widgets::UpperLineEdit(this);
    txtDocEntrada->setObjectName(QStringLiteral("txtDocEntrada"));
    txtDocEntrada->setGeometry(tw(4890, 3150, 1995, 315));
    txtDocEntrada->setMaxLength(kMaxDocumento);
    rotulo(this, QStringLiteral("Histórico da entrada:"), 240, 3600, 6645);
    txtHistEntrada = new widgets::UpperLineEdit(this);
    txtHistEntrada->setObjectName(QStringLiteral("txtHistEntrada"));
    txtHistEntrada->setGeometry(tw(240, 3840, 6645, 315));
    txtHistEntrada->setMaxLength(150);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(tw(3390, 4500, 1575, 345));
    cmdCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(tw(5310, 4500, 1575, 345));
    connect(cmdOK, &QPushButton::clicked, this, &frmTrans::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTrans::cmdCancel_Click);

    RealcarCampo(txtDocSaida);
    RealcarCampo(txtHistSaida);
    RealcarCampo(txtDocEntrada);
    RealcarCampo(txtHistEntrada, [this] { cmdOK_Click(); });
    QWidget *ordem[] = {txtData, txtValor, cbContaOrig, txtDocSaida, txtHistSaida,
                        cbContaDest, txtDocEntrada, txtHistEntrada, cmdOK, cmdCancel};
    for (std::size_t i = 0; i + 1 < std::size(ordem); ++i) setTabOrder(ordem[i], ordem[i + 1]);
    setFixedSize(7185 / 15, 4980 / 15);
    // Captions that our font makes wider than their place: one font size for
    // the whole window, the caption widened or wrapped instead.
    platform::ui::EncaixarRotulos(this);
}

frmTrans::~frmTrans() = default;

void frmTrans::Form_Load() {
    try {
        setWindowTitle(platform::App::Title() + QStringLiteral(" - Transferência"));
        if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
        Cancelado = true;
        EncheListas();
        cbContaOrig->setRemembered(-1);
        cbContaDest->setRemembered(-1);
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmTrans", "Form_Load");
    }
}

void frmTrans::EncheListas() {
    try {
        const QString sql =
            ui::gTipoUsuario != db::kAdministrador
                ? QStringLiteral("Select C.DesConta , C.Codigo, C.Id From Contas As C INNER JOIN PERMISSOESDEUSUARIOS AS P ON "
                                 "(P.IdUsuario = ") + QString::number(ui::gIdUsuario) +
                      QStringLiteral(" AND P.TipoObjeto = 1 AND P.Permissoes >=2 AND P.IdObjeto = C.Id AND C.Inativa = "
                                     "False and C.Codigo <> '000') Order By C.DesConta")
                : QStringLiteral("SELECT Desconta, Codigo, Id From Contas WHERE Inativa = False and Codigo <> '000' Order BY "
                                 "DesConta");
        rsContas = ui::gDB->OpenRecordset(sql, dao::dbOpenSnapshot);
        try {
            rsContas->MoveLast();
            rsContas->MoveFirst();
        } catch (...) {
        }
        if (rsContas->RecordCount() == 0) {
            db::FecharRecordset(rsContas);
            ui::MsgBox(kMsgSemContasTransferencia, platform::ui::vbInformation);
            platform::ui::PostMessage(this, platform::ui::WM_CLOSE);
            throw err::AppError(err::kErrCancel, QString(), QString());
        }
        for (; !rsContas->Eof(); rsContas->MoveNext()) {
            const QString d = rsContas->Field(QStringLiteral("DesConta")).toString();
            cbContaOrig->AddItem(d, rsContas->AbsolutePosition());
            cbContaDest->AddItem(d, rsContas->AbsolutePosition());
        }
    } catch (...) {
        FIN_TRAP_RERAISE("frmTrans", "EncheListas");
    }
}

bool frmTrans::Validar() {
    auto falha = [](QWidget *campo, const QString &msg, int estilo = platform::ui::vbOKOnly) {
        ui::MsgBox(msg, estilo);
        campo->setFocus();
        return false;
    };
    const QString data = txtData->Text();
    if (!(data.size() >= 10 || data.size() == 8))
        return falha(txtData, QStringLiteral("Data incompleta. Deve ser no formato dd/mm/aaaa ou dd/mm/aa."));
    if (!widgets::DateBox::Parse(data)) return falha(txtData, QStringLiteral("Data inválida."));
    // An empty box holds no number: it is refused like any other text that
    // is not one, or a transfer of nothing would be written.
    const QString valor = txtValor->ValueText();
    if (!value::Currency::parseBr(valor))
        return falha(txtValor, QStringLiteral("Valor não numérico."));
    const int p = int(valor.indexOf(QLatin1Char(','))) + 1;
    if (p > 0 && valor.trimmed().size() - p > 2)
        return falha(txtValor, QStringLiteral("Excesso de dígitos após a vírgula."));
    // Each leg is a posting: the posting window's maximum holds, on the magnitude.
    if (AcimaDoMaximo(*value::Currency::parseBr(valor)))
        return falha(txtValor, QStringLiteral("O valor máximo para transferência é de 99.999.999,99"), platform::ui::vbInformation);
    if (txtHistSaida->text().trimmed().isEmpty())
        return falha(txtHistSaida, QStringLiteral("Informar histórico de saída."));
    // The posting's history column holds 50 characters: a longer text is
    // refused here rather than cut or left to fail in the write.
    if (txtHistSaida->text().trimmed().size() > kMaxHistorico)
        return falha(txtHistSaida, QStringLiteral("O histórico de saída não pode ter mais de 50 caracteres."));
    if (txtHistEntrada->text().trimmed().isEmpty())
        return falha(txtHistEntrada, QStringLiteral("Informar histórico de entrada."));
    if (txtHistEntrada->text().trimmed().size() > kMaxHistorico)
        return falha(txtHistEntrada, QStringLiteral("O histórico de entrada não pode ter mais de 50 caracteres."));
    // Looked up and written after the dialog closes: refused here, where the user can mend them.
    const std::pair<QLineEdit *, const char *> textos[] = {{txtDocSaida, "O documento de saída"},
                                                           {txtHistSaida, "O histórico de saída"},
                                                           {txtDocEntrada, "O documento de entrada"},
                                                           {txtHistEntrada, "O histórico de entrada"}};
    for (const auto &[caixa, nome] : textos)
        if (const QString r = value::RecusaDeCaractereNulo(caixa->text().trimmed(), QString::fromUtf8(nome)); !r.isEmpty())
            return falha(caixa, r);
    if (cbContaOrig->ListIndex() < 0) {
        if (!cbContaOrig->Text().trimmed().isEmpty())
            return falha(cbContaOrig, QStringLiteral("Conta de origem inválida."), platform::ui::vbInformation);
        return falha(cbContaOrig, QStringLiteral("Informar conta de orígem."));
    }
    if (cbContaDest->ListIndex() < 0) {
        if (!cbContaDest->Text().trimmed().isEmpty())
            return falha(cbContaDest, QStringLiteral("Conta de destino inválida."));
        return falha(cbContaDest, QStringLiteral("Informar conta de destino."));
    }
    return true;
}

void frmTrans::cmdOK_Click() {
    try {
        if (!IsLoaded() || !rsContas || !Validar()) return;
        rsContas->SetAbsolutePosition(cbContaOrig->ItemData(cbContaOrig->ListIndex()));
        const QString codOrig = rsContas->Field(QStringLiteral("Codigo")).toString();
        const QString desOrig = rsContas->Field(QStringLiteral("DesConta")).toString();
        const long idOrig = long(rsContas->Field(QStringLiteral("Id")).toInt());
        rsContas->SetAbsolutePosition(cbContaDest->ItemData(cbContaDest->ListIndex()));
        const QString codDest = rsContas->Field(QStringLiteral("Codigo")).toString();
        const QString desDest = rsContas->Field(QStringLiteral("DesConta")).toString();
        const long idDest = long(rsContas->Field(QStringLiteral("Id")).toInt());
        const QString valor = txtValor->ValueText();
        value::Currency v = *value::Currency::parseBr(valor);
        if (v < value::Currency()) v = -v;
        // Everything is read before any public value changes.
        CodContaOrig = codOrig;
        DesContaOrig = desOrig;
        CodContaDest = codDest;
        DesContaDest = desDest;
        IdContaOrig = idOrig;
        IdContaDest = idDest;
        DocEntrada = txtDocEntrada->text().trimmed();
        DocSaida = txtDocSaida->text().trimmed();
        Valor = v;
        HistoricoSaida = txtHistSaida->text().trimmed();
        HistoricoEntrada = txtHistEntrada->text().trimmed();
        Data = *widgets::DateBox::Parse(txtData->Text());
        Cancelado = false;
        Unload();
    } catch (...) {
        FIN_TRAP_REPORT("frmTrans", "cmdOK_Click");
    }
}

void frmTrans::cmdCancel_Click() { Unload(); }

void frmTrans::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Escape) {
        cmdCancel_Click();
        return;
    }
    platform::ui::Form::keyPressEvent(e);
}

void frmTrans::Form_Unload(bool &cancel) {
    (void)cancel;
    db::FecharRecordset(rsContas);
}

} // namespace postings
