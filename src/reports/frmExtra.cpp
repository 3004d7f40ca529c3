#include "reports/frmExtra.h"

#include "platform/value/CaractereNulo.h"
#include "core/consultas/ModosDeRelatorio.h"
#include "ui/IconesDasArvores.h"
#include "ui/Campos.h"
#include "core/consultas/Selecao.h"
#include "core/permissoes/CPermissao.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "platform/ui/Input.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/TreeView.h"
#include "platform/widgets/UpperLineEdit.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace reports {

using core::consultas::DataDigitada;
using core::consultas::EstadoDaData;
using core::consultas::LerDataDigitada;
using core::consultas::kBalancoDeTipos;
using core::consultas::kExtratoDeContas;
using core::consultas::kExtratoDeTipos;
using core::consultas::kPesquisaPorDocumento;
using core::consultas::kSaldosDeTipos;

namespace {
// The marked picture: the chart's selected picture with a green tick over its
// corner, so that the marks read at a glance in a long tree.
QIcon marcado(const QString &chave) {
    QPixmap pm = ui::Icone(chave).pixmap(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF tique[] = {{6.5, 10.5}, {9.5, 14}, {15, 6}};
    p.drawPolyline(tique, 3);
    p.setPen(QPen(QColor(20, 140, 40), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(tique, 3);
    p.end();
    return QIcon(pm);
}

int px(int twips) { return twips / 15; }
QRect tw(int l, int t, int w, int h) { return QRect(px(l), px(t), px(w), px(h)); }
int topo(const QWidget *w) { return w->y() * 15; }
void moverTopo(QWidget *w, int twips) { w->move(w->x(), px(twips)); }
void subir(QWidget *w, int twips) { w->move(w->x(), w->y() - px(twips)); }

// Width of the dialog's inner area, and the height of its title bar and
// borders, both in twips.
constexpr int kLargura = 5535;
constexpr int kMoldura = 450;
constexpr int kAlturaProjeto = 7770;

QLabel *rotulo(QWidget *pai, const char *nome, const QString &texto, const QRect &r) {
    auto *l = new QLabel(texto, pai);
    l->setObjectName(QString::fromLatin1(nome));
    l->setGeometry(r);
    platform::ui::EncaixarRotulo(l);
    return l;
}

widgets::CheckBox *caixa(QWidget *pai, const char *nome, int topoTwips) {
    auto *ck = new widgets::CheckBox(pai);
    ck->setObjectName(QString::fromLatin1(nome));
    ck->setGeometry(tw(120, topoTwips, 255, 255));
    return ck;
}

widgets::CheckLabel *rotuloDaCaixa(QWidget *pai, const char *nome, const QString &texto, widgets::CheckBox *ck) {
    auto *l = new widgets::CheckLabel(texto, ck, pai);
    l->setObjectName(QString::fromLatin1(nome));
    l->setGeometry(tw(420, topo(ck), kLargura - 540, 255));
    platform::ui::EncaixarRotulo(l);
    return l;
}
} // namespace

frmExtra::frmExtra(bool deTipos, QWidget *parent) : platform::ui::Form(parent), deTipos_(deTipos) {
    setObjectName(deTipos ? QStringLiteral("frmExtraRec") : QStringLiteral("frmExtraCon"));
    setWindowTitle(deTipos ? QStringLiteral("Seleção de receitas e despesas") : QStringLiteral("Seleção de contas"));

    tv = new widgets::TreeView(this);
    tv->setObjectName(QStringLiteral("tv"));
    tv->setGeometry(tw(120, 120, kLargura - 240, 4095));
    imagens_ = std::make_unique<widgets::ImageList>();
    imagens_->Add(img(false), ui::Icone(img(false)));
    imagens_->Add(img(true), marcado(img(true)));
    tv->setImageList(imagens_.get());

    ckSubItens = caixa(this, "ckSubItens", 4335);
    lblSubItens = rotuloDaCaixa(this, "lblSubItens", QStringLiteral("Incluir os sub-itens dos itens marcados"), ckSubItens);
    ckBalSemSubs = caixa(this, "ckBalSemSubs", 4635);
    lblBalSemSubs = rotuloDaCaixa(this, "lblBalSemSubs", QStringLiteral("Balanço sem os valores dos sub-itens"), ckBalSemSubs);
    ckNaoRealizados = caixa(this, "ckNaoRealizados", 4935);
    lblNaoRealizados =
        rotuloDaCaixa(this, "lblNaoRealizados", QStringLiteral("Somente previsões não realizadas"), ckNaoRealizados);
    // The sub-items box stays off until something is marked.
    ckSubItens->setEnabled(false);
    lblSubItens->setEnabled(false);

    lblHistoricos = rotulo(this, "lblHistoricos", QStringLiteral("&Texto a pesquisar nos históricos:"),
                           tw(120, 5280, kLargura - 240, 240));
    txtHistoricos = new widgets::UpperLineEdit(this);
    txtHistoricos->setObjectName(QStringLiteral("txtHistoricos"));
    txtHistoricos->setGeometry(tw(120, 5520, kLargura - 240, 315));
    txtHistoricos->setMaxLength(50);
    lblHistoricos->setBuddy(txtHistoricos);

    lblDataIni = rotulo(this, "lblDataIni", QStringLiteral("Data &inicial:"), tw(120, 5940, 1500, 240));
    txtDataIni = new widgets::DateBox(this);
    txtDataIni->setObjectName(QStringLiteral("txtDataIni"));
    txtDataIni->setGeometry(tw(120, 6180, 1245, 315));
    txtDataIni->setFocusSelect(true);
    lblDataIni->setBuddy(txtDataIni);
    lblDataFim = rotulo(this, "lblDataFim", QStringLiteral("Data &final:"), tw(1680, 5940, 1500, 240));
    txtDataFim = new widgets::DateBox(this);
    txtDataFim->setObjectName(QStringLiteral("txtDataFim"));
    txtDataFim->setGeometry(tw(1680, 6180, 1245, 315));
    txtDataFim->setFocusSelect(true);
    txtDataFim->setEnterSendsTab(false);
    lblDataFim->setBuddy(txtDataFim);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(tw(1312, 6690, 1335, 345));
    cmdCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(tw(2887, 6690, 1335, 345));
    setCancelButton(cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &frmExtra::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmExtra::cmdCancel_Click);
    connect(txtDataFim, &widgets::DateBox::EnterPressed, this, &frmExtra::cmdOK_Click);
    connect(ckSubItens, &widgets::CheckBox::Click, this, [this] { ComSubItens = ckSubItens->Value() == 1; });
    connect(ckNaoRealizados, &widgets::CheckBox::Click, this,
            [this] { SoNaoRealizados = ckNaoRealizados->Value() == 1; });
    connect(ckBalSemSubs, &widgets::CheckBox::Click, this, [this] { BalSemSubs = ckBalSemSubs->Value() == 1; });
    connect(tv, &widgets::TreeView::NodeClick, this, qOverload<widgets::Node *>(&frmExtra::tv_NodeClick));
    connect(tv, &widgets::TreeView::DblClick, this, &frmExtra::tv_DblClick);
    ui::RealcarCampo(txtHistoricos);

    QWidget *ordem[] = {tv, ckSubItens, ckBalSemSubs, ckNaoRealizados, txtHistoricos,
                        txtDataIni, txtDataFim, cmdOK, cmdCancel};
    for (std::size_t i = 0; i + 1 < std::size(ordem); ++i) setTabOrder(ordem[i], ordem[i + 1]);
    ajustarAltura(kAlturaProjeto);
}

frmExtra::~frmExtra() { tv->setImageList(nullptr); }

frmExtraCon::frmExtraCon(QWidget *parent) : frmExtra(false, parent) {}
frmExtraRec::frmExtraRec(QWidget *parent) : frmExtra(true, parent) {}

std::unique_ptr<frmExtra> MostrarSelecao(long mode) {
    std::unique_ptr<frmExtra> dlg;
    if (mode == kExtratoDeTipos || mode == kBalancoDeTipos || mode == kSaldosDeTipos) dlg = std::make_unique<frmExtraRec>();
    else dlg = std::make_unique<frmExtraCon>();
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    dlg->Load();
    dlg->setMode(mode);
    dlg->ShowModal();
    return dlg;
}

void frmExtra::ajustarAltura(int twips) { setFixedSize(px(kLargura), px(twips - kMoldura)); }

int frmExtra::AlturaTwips() const { return height() * 15 + kMoldura; }

void frmExtra::setMode(long mode) {
    try {
        mode_ = mode;
        const long extrato = deTipos_ ? 2 : 1, balanco = deTipos_ ? 4 : 3, saldos = deTipos_ ? 7 : 6;
        if (mode == extrato) {
            setWindowTitle(deTipos_ ? QStringLiteral("EXTRATOS DE RECEITAS/DESPESAS")
                                    : QStringLiteral("EXTRATOS DE CONTAS DE CAPITAL"));
            lblBalSemSubs->hide();
            ckBalSemSubs->hide();
            for (QWidget *w : std::initializer_list<QWidget *>{lblNaoRealizados, ckNaoRealizados, lblHistoricos,
                                                               txtHistoricos, lblDataIni, txtDataIni, lblDataFim,
                                                               txtDataFim})
                subir(w, 300);
            moverTopo(cmdOK, topo(txtDataFim) + txtDataFim->height() * 15 + 200);
            moverTopo(cmdCancel, topo(cmdOK));
            ajustarAltura(7500);
        } else if (mode == balanco) {
            setWindowTitle(deTipos_ ? QStringLiteral("BALANÇOS DE RECEITAS/DESPESAS")
                                    : QStringLiteral("BALANÇOS DE CONTAS DE CAPITAL"));
        } else if (mode == saldos) {
            setWindowTitle(deTipos_ ? QStringLiteral("SALDOS DE RECEITAS/DESPESAS")
                                    : QStringLiteral("SALDOS DE CONTAS DE CAPITAL"));
            for (QWidget *w : std::initializer_list<QWidget *>{lblBalSemSubs, ckBalSemSubs, lblNaoRealizados,
                                                               ckNaoRealizados, lblHistoricos, txtHistoricos,
                                                               lblDataIni, txtDataIni})
                w->hide();
            lblDataFim->setText(QStringLiteral("&Data:"));
            lblDataFim->move(px((kLargura - txtDataFim->width() * 15) / 2), px(topo(lblNaoRealizados) - 300));
            txtDataFim->move(lblDataFim->x(), px(topo(lblDataFim) + lblDataFim->height() * 15));
            moverTopo(cmdOK, topo(txtDataFim) + txtDataFim->height() * 15 + 200);
            moverTopo(cmdCancel, topo(cmdOK));
            ajustarAltura(6350);
        }
    } catch (...) {
        FIN_TRAP_REPORT(deTipos_ ? "frmExtraRec" : "frmExtraCon", "Mode");
    }
}

bool frmExtra::Validar() {
    auto falha = [](QWidget *campo, const QString &msg) {
        ui::MsgBox(msg);
        campo->setFocus();
        return false;
    };
    const DataDigitada ini = LerDataDigitada(txtDataIni->Text());
    if (ini.estado == EstadoDaData::Faltando)
        return falha(txtDataIni,
                     QStringLiteral("Faltando informar data inicial. Deve ser no formato dd/mm/aa ou dd/mm/aaaa."));
    if (ini.estado == EstadoDaData::Invalida) return falha(txtDataIni, QStringLiteral("Data inicial inválida."));
    const DataDigitada fim = LerDataDigitada(txtDataFim->Text());
    if (fim.estado == EstadoDaData::Faltando)
        return falha(txtDataFim,
                     QStringLiteral("Faltando informar data final. Deve ser no formato dd/mm/aa ou dd/mm/aaaa."));
    if (fim.estado == EstadoDaData::Invalida) return falha(txtDataFim, QStringLiteral("Data final inválida."));
    const QString h = txtHistoricos->text();
    if (!h.isEmpty() && (h.contains(QLatin1Char('\'')) || h.contains(QLatin1Char('"'))))
        return falha(txtHistoricos,
                     QStringLiteral("Texto a pesquisar nos históricos não pode conter aspas simples ou duplas."));
    if (const QString r = value::RecusaDeCaractereNulo(h, QStringLiteral("O texto a pesquisar"), value::UsoDoTexto::Pesquisar);
        !r.isEmpty())
        return falha(txtHistoricos, r);
    return true;
}

bool frmExtra::ValidarPesqSaldos() {
    const DataDigitada fim = LerDataDigitada(txtDataFim->Text());
    if (fim.estado == EstadoDaData::Valida) return true;
    ui::MsgBox(fim.estado == EstadoDaData::Faltando
                   ? QStringLiteral("Faltando informar data para a pesquisa. Deve ser no formato dd/mm/aa ou dd/mm/aaaa.")
                   : QStringLiteral("Data para pesquisa inválida."));
    txtDataFim->setFocus();
    return false;
}

void frmExtra::cmdOK_Click() {
    if (executando_ || !IsLoaded()) return;
    executando_ = true;
    try {
        if (mode_ == (deTipos_ ? 7 : 6)) {
            if (!ValidarPesqSaldos()) {
                executando_ = false;
                return;
            }
            DataFim = LerDataDigitada(txtDataFim->Text()).data;
            retCaption = (deTipos_ ? QStringLiteral("SALDOS DE RECEITAS E DESPESAS EM ")
                                   : QStringLiteral("SALDOS DE CONTAS EM ")) +
                         DataFim.toString(QStringLiteral("dd/MM/yyyy"));
        } else {
            if (!Validar()) {
                executando_ = false;
                return;
            }
            DataIni = LerDataDigitada(txtDataIni->Text()).data;
            DataFim = LerDataDigitada(txtDataFim->Text()).data;
            Historico = txtHistoricos->text().trimmed();
            QString peca;
            if (mode_ == kExtratoDeContas || mode_ == kExtratoDeTipos || mode_ == kPesquisaPorDocumento) {
                peca = SoNaoRealizados ? QStringLiteral("PREVISÕES NÃO REALIZADAS ")
                                       : deTipos_ ? QStringLiteral("EXTRATO DE RECEITAS E DESPESAS ")
                                                  : QStringLiteral("EXTRATO DE CONTAS ");
            } else if (mode_ == (deTipos_ ? 4 : 3)) {
                peca = SoNaoRealizados ? QStringLiteral("BALANÇO DE PREVISÕES NÃO REALIZADAS ")
                                       : deTipos_ ? QStringLiteral("BALANÇO DE RECEITAS E DESPESAS ")
                                                  : QStringLiteral("BALANÇO DE CONTAS ");
            }
            retCaption = peca + QStringLiteral(" DE ") + DataIni.toString(QStringLiteral("dd/MM/yyyy")) +
                         QStringLiteral(" a ") + DataFim.toString(QStringLiteral("dd/MM/yyyy"));
        }
        Cancelada = false;
        executando_ = false;
        Unload();
    } catch (...) {
        executando_ = false;
        FIN_TRAP_REPORT(deTipos_ ? "frmExtraRec" : "frmExtraCon", "cmdOK_Click");
    }
}

void frmExtra::cmdCancel_Click() { Unload(); }

} // namespace reports
