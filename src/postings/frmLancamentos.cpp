#include "postings/frmLancamentos.h"

#include "db/Schema.h"
#include "postings/frmLancamentosComum.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "core/arvores/Arvores.h"
#include "ui/IconesDasArvores.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/EditCombo.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/UpperLineEdit.h"
#include "ui/Campos.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/Operacoes.h"
#include "core/escrita/Permissoes.h"
#include "ui/CHourGlass.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeySequence>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace postings {

using core::escrita::CRowData;
using core::escrita::PodeOperarTransferencias;
using core::escrita::kMaxHistorico;
using ui::RealcarCampo;

using value::Currency;

namespace {

QRect tw(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }

QLabel *rotulo(QWidget *pai, const QString &texto, QWidget *companheiro, const QRect &r) {
    auto *l = new QLabel(texto, pai);
    l->setBuddy(companheiro);
    l->setGeometry(r);
    return l;
}

} // namespace

frmLancamentos::frmLancamentos(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("frmLancamentos"));
    ui::AdicionarImagens(iml_, {QStringLiteral("IMG_CONTA"), QStringLiteral("IMG_RECDESP"),
                                QStringLiteral("IMG_CONTAEXP"), QStringLiteral("IMG_RECDESPEXP"),
                                QStringLiteral("IMG_CONTASELEXP"), QStringLiteral("IMG_RECDESPSELEXP"),
                                QStringLiteral("IMG_CONTASEL"), QStringLiteral("IMG_RECDESPSEL")});
    // First row: account, its tree button, type, its tree button, date, document.
    cbContas = new widgets::EditCombo(this);
    cbContas->setObjectName(QStringLiteral("cbContas"));
    cbContas->setGeometry(tw(120, 330, 3015, 315));
    rotulo(this, QStringLiteral("Co&nta:"), cbContas, tw(120, 90, 3015, 240))->setObjectName(QStringLiteral("lblTipo"));
    cmdArvContas = new QToolButton(this);
    cmdArvContas->setObjectName(QStringLiteral("cmdArvContas"));
    cmdArvContas->setIcon(ui::Icone(QStringLiteral("IMG_CONTA")));
    cmdArvContas->setToolTip(QStringLiteral("Procurar na árvore de contas (CTRL+O)"));
    cmdArvContas->setFocusPolicy(Qt::NoFocus);
    cmdArvContas->setGeometry(tw(3165, 330, 330, 315));
    cbTiposMov = new widgets::EditCombo(this);
    cbTiposMov->setObjectName(QStringLiteral("cbTiposMov"));
    cbTiposMov->setGeometry(tw(3600, 330, 3015, 315));
    rotulo(this, QStringLiteral("Tipo de &Receita/Despesa:"), cbTiposMov, tw(3600, 90, 3015, 240))
        ->setObjectName(QStringLiteral("Label2"));
    cmdArvRecDesp = new QToolButton(this);
    cmdArvRecDesp->setObjectName(QStringLiteral("cmdArvRecDesp"));
    cmdArvRecDesp->setIcon(ui::Icone(QStringLiteral("IMG_RECDESP")));
    cmdArvRecDesp->setToolTip(QStringLiteral("Procurar na árvore de receitas e despesas (CTRL+R)"));
    cmdArvRecDesp->setFocusPolicy(Qt::NoFocus);
    cmdArvRecDesp->setGeometry(tw(6645, 330, 330, 315));
    txtData = new widgets::DateBox(this);
    txtData->setObjectName(QStringLiteral("txtData"));
    txtData->setFocusSelect(true);
    txtData->setGeometry(tw(7080, 330, 1245, 315));
    // As wide as the gap up to the document's label, which starts at 8430.
    rotulo(this, QStringLiteral("&Data Referência:"), txtData, tw(7080, 90, 1335, 240))
        ->setObjectName(QStringLiteral("Label3"));
    txtDoc = new widgets::UpperLineEdit(this);
    txtDoc->setObjectName(QStringLiteral("txtDoc"));
    txtDoc->setMaxLength(15);
    txtDoc->setGeometry(tw(8430, 330, 1800, 315));
    rotulo(this, QStringLiteral("Doc&umento:"), txtDoc, tw(8430, 90, 1800, 240))->setObjectName(QStringLiteral("lblDescri"));
    // Second row: income, expense, history.
    txtEntrada = new widgets::AmountBox(this);
    txtEntrada->setObjectName(QStringLiteral("txtEntrada"));
    txtEntrada->setFocusSelect(true);
    txtEntrada->setPlaceholderText(QStringLiteral("R$ 0,00"));
    txtEntrada->setGeometry(tw(120, 990, 1500, 315));
    rotulo(this, QStringLiteral("&Entrada:"), txtEntrada, tw(120, 750, 1500, 240));
    txtSaida = new widgets::AmountBox(this);
    txtSaida->setObjectName(QStringLiteral("txtSaida"));
    txtSaida->setFocusSelect(true);
    txtSaida->setPlaceholderText(QStringLiteral("R$ 0,00"));
    txtSaida->setGeometry(tw(1740, 990, 1500, 315));
    rotulo(this, QStringLiteral("&Saída:"), txtSaida, tw(1740, 750, 1500, 240));
    txtHistorico = new widgets::UpperLineEdit(this);
    txtHistorico->setObjectName(QStringLiteral("txtHistorico"));
    txtHistorico->setMaxLength(kMaxHistorico);
    txtHistorico->setGeometry(tw(3360, 990, 6870, 315));
    rotulo(this, QStringLiteral("&Histórico:"), txtHistorico, tw(3360, 750, 6870, 240))
        ->setObjectName(QStringLiteral("Label1"));
    // Third row: the commands.
    auto botao = [this](const char *nome, const QString &texto, int esquerda, int largura) {
        auto *b = new QPushButton(texto, this);
        b->setObjectName(QString::fromLatin1(nome));
        b->setGeometry(tw(esquerda, 1500, largura, 375));
        return b;
    };
    cmdLimpar = botao("cmdLimpar", QStringLiteral("&Limpar"), 120, 1335);
    cmdConfirmar = botao("cmdConfirmar", QStringLiteral("&Confirmar"), 1575, 1335);
    cmdTransferencia = botao("cmdTransferencia", QStringLiteral("&Transferência entre contas ..."), 3030, 2700);
    cmdEstornar = botao("cmdEstornar", QStringLiteral("Est&ornar Lançamento"), 5850, 2100);
    cmdCancel = botao("cmdCancel", QStringLiteral("&Fechar"), 8070, 1335);
    cmdConfirmar->setEnabled(false);
    cmdEstornar->setEnabled(false);
    // The grid across the whole width.
    Fgrid = new widgets::FlexGrid(this);
    Fgrid->setObjectName(QStringLiteral("Fgrid"));
    Fgrid->setGeometry(tw(120, 2010, 10110, 4800));
    // The tree panes, hidden until asked for; each lies over the grid under its list.
    auto painel = [this](const char *nome, const QString &titulo, widgets::TreeView *&tv, const char *nomeTv) {
        auto *fr = new QGroupBox(titulo, this);
        fr->setObjectName(QString::fromLatin1(nome));
        // It lies over the fields and the grid: what is under it must not show through.
        fr->setAutoFillBackground(true);
        fr->setGeometry(tw(0, 0, 4500, 3600));
        tv = new widgets::TreeView(fr);
        tv->setObjectName(QString::fromLatin1(nomeTv));
        tv->setImageList(&iml_);
        auto *lay = new QVBoxLayout(fr);
        lay->setContentsMargins(4, 4, 4, 4);
        lay->addWidget(tv);
        fr->hide();
        return fr;
    };
    frContas = painel("frContas", QStringLiteral("Selecionde a conta e tecle \"ENTER\""), tvContas, "tvContas");
    frRecDesp = painel("frRecDesp", QStringLiteral("Selecionde a receita/despesa e tecle \"ENTER\""), tvRecDesp,
                       "tvRecDesp");

    QWidget *ordem[] = {cbContas, cbTiposMov, txtData, txtDoc, txtEntrada, txtSaida, txtHistorico,
                        cmdConfirmar, cmdTransferencia, cmdEstornar, Fgrid, cmdCancel, cmdLimpar};
    for (std::size_t i = 0; i + 1 < std::size(ordem); ++i) setTabOrder(ordem[i], ordem[i + 1]);

    connect(cmdConfirmar, &QPushButton::clicked, this, &frmLancamentos::cmdConfirmar_Click);
    connect(cmdEstornar, &QPushButton::clicked, this, &frmLancamentos::cmdEstornar_Click);
    connect(cmdTransferencia, &QPushButton::clicked, this, &frmLancamentos::cmdTransferencia_Click);
    connect(cmdLimpar, &QPushButton::clicked, this, &frmLancamentos::cmdLimpar_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLancamentos::cmdCancel_Click);
    connect(cmdArvContas, &QToolButton::clicked, this, &frmLancamentos::cmdArvContas_Click);
    connect(cmdArvRecDesp, &QToolButton::clicked, this, &frmLancamentos::cmdArvRecDesp_Click);
    connect(Fgrid, &widgets::FlexGrid::SelChange, this, &frmLancamentos::FGrid_SelChange);
    connect(tvContas, &widgets::TreeView::Expand, this, &frmLancamentos::tvContas_Expand);
    connect(tvContas, &widgets::TreeView::Collapse, this, &frmLancamentos::tvContas_Collapse);
    connect(tvRecDesp, &widgets::TreeView::Expand, this, &frmLancamentos::tvRecDesp_Expand);
    connect(tvRecDesp, &widgets::TreeView::Collapse, this, &frmLancamentos::tvRecDesp_Collapse);
    // A click (or a procedure choosing an entry) is what the list remembers.
    for (widgets::EditCombo *cb : {cbContas, cbTiposMov})
        connect(cb, &widgets::EditCombo::Click, this, [cb] { cb->setRemembered(cb->ListIndex()); });

    RealcarCampo(txtDoc);
    RealcarCampo(txtHistorico, [this] { cmdConfirmar_Click(); });
    // Key preview: the window sees every key before the focused control.
    for (QWidget *w : findChildren<QWidget *>()) w->installEventFilter(this);
    setFixedSize(10350 / 15, 6930 / 15);
    // Captions that our font makes wider than their place: one font size for
    // the whole window, the caption widened or wrapped instead.
    platform::ui::EncaixarRotulos(this);
}

frmLancamentos::~frmLancamentos() = default;

int frmLancamentos::IndiceConta() const { return cbContas->Remembered(); }
int frmLancamentos::IndiceRecDesp() const { return cbTiposMov->Remembered(); }

// ---- load, activation, unload -------------------------------------------------

void frmLancamentos::Form_Load() {
    try {
        ui::CHourGlass hg;
        hg.Show(true);
        setWindowTitle(platform::App::Title() + QStringLiteral(" - Lançamentos"));
        if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
        if (ui::gTipoUsuario != db::kAdministrador)
            cmdTransferencia->setEnabled(PodeOperarTransferencias(*ui::gDB, ui::gIdUsuario, int(ui::gTipoUsuario)));
        EncheListaContas();
        EncheListaRecDesp();
        InicializarArvoreDeContas();
        InicializarArvoreDeRecDesp();
        ConfigurarGrid();
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmLancamentos", "Form_Load");
    }
}

void frmLancamentos::Form_Activate() {
    if (jaAtivada_) return;
    try {
        linhas_.clear();
        cmdLimpar_Click();
        Fgrid->setCol(2);
        jaAtivada_ = true;
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmLancamentos", "Form_Activate");
    }
}

void frmLancamentos::Form_Unload(bool &cancel) {
    (void)cancel;
    try {
        linhas_.clear();
        db::FecharRecordset(rsContas);
        db::FecharRecordset(rsRecDesp);
    } catch (...) {
    }
}

// ---- keys -----------------------------------------------------------------------

void frmLancamentos::Form_KeyDown(int &keyCode, int shift) {
    if (shift != 2) return;
    if (keyCode == 79) {
        keyCode = 0;
        cmdArvContas_Click();
    } else if (keyCode == 82) {
        keyCode = 0;
        cmdArvRecDesp_Click();
    }
}

bool frmLancamentos::eventFilter(QObject *o, QEvent *e) {
    if (e->type() == QEvent::FocusOut && (o == tvContas || o == tvRecDesp)) {
        (o == tvContas ? frContas : frRecDesp)->hide();
        return false;
    }
    if (!IsLoaded()) return false;
    // The window's access keys (Alt+C "&Confirmar", ...) are the Form's.
    if (e->type() != QEvent::KeyPress) return false;
    auto *k = static_cast<QKeyEvent *>(e);
    int shift = 0;
    if (k->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (k->modifiers() & Qt::ControlModifier) shift |= 2;
    if (k->modifiers() & Qt::AltModifier) shift |= 4;
    int code = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter ? 13
               : k->key() == Qt::Key_Escape                            ? 27
               : (k->key() >= Qt::Key_A && k->key() <= Qt::Key_Z)       ? int(k->key())
                                                                         : -1;
    if (code < 0) return false;
    Form_KeyDown(code, shift);
    if (code == 0) return true;
    if (o == tvContas || o == tvRecDesp) {
        if (o == tvContas) tvContas_KeyDown(code, shift);
        else tvRecDesp_KeyDown(code, shift);
        return code == 0;
    }
    // Esc is the window's cancel key everywhere but inside a tree; with a
    // list dropped down it only closes the list.
    if (code == 27) {
        for (widgets::EditCombo *cb : {cbContas, cbTiposMov})
            if (cb->DroppedDown()) {
                cb->ShowDropDown(false);
                return true;
            }
        cmdCancel_Click();
        return true;
    }
    return false;
}

// ---- grid -----------------------------------------------------------------------

void frmLancamentos::ConfigurarGrid() {
    try {
        Fgrid->setFormatString(kFormatoGrid);
        Fgrid->setRows(2);
        Fgrid->setRowData(1, 0);
    } catch (...) {
        FIN_TRAP_RERAISE("frmLancamentos", "ConfigurarGrid");
    }
}

void frmLancamentos::FGrid_SelChange() {
    if (selecionando_) return;
    try {
        selecionando_ = true;
        Fgrid->setRow(Fgrid->RowSel());
        Fgrid->setRowSel(Fgrid->Row());
        Fgrid->setCol(0);
        Fgrid->setColSel(Fgrid->Cols() - 1);
        cmdEstornar->setEnabled(true);
        selecionando_ = false;
    } catch (...) {
        selecionando_ = false;
        FIN_TRAP_REPORT("frmLancamentos", "FGrid_SelChange");
    }
}

long frmLancamentos::adicionarLinha(const QString &celulas, const CRowData &registro) {
    Fgrid->AddItem(celulas);
    ++contador_;
    linhas_.insert(QString::number(contador_), registro);
    Fgrid->setRowData(Fgrid->Rows() - 1, contador_);
    return contador_;
}

void frmLancamentos::removerLinhaVazia() {
    if (Fgrid->Rows() == 3 && Fgrid->RowData(1) == 0) Fgrid->RemoveItem(1);
}

void frmLancamentos::mostrarUltimaLinha(bool selecionarColunas) {
    try {
        const int ultima = Fgrid->Rows() - 1;
        Fgrid->setTopRow(std::max(1, Fgrid->Rows() - 10));
        // Ten rows back is not always enough: fewer may fit in the grid as
        // this window's font lays it out.
        Fgrid->scrollTo(Fgrid->model()->index(ultima, 0));
        Fgrid->setRow(ultima);
        Fgrid->setRowSel(ultima);
        if (selecionarColunas) {
            Fgrid->setCol(0);
            Fgrid->setColSel(Fgrid->Cols() - 1);
        }
    } catch (...) {
    }
}

// ---- view broadcast -----------------------------------------------------------------

void frmLancamentos::UpdateView(long &msg) {
    try {
        if (msg == ui::kHintContas) EncheListaContas();
        else if (msg == ui::kHintRecDesp) EncheListaRecDesp();
    } catch (...) {
        FIN_TRAP_RERAISE("frmLancamentos", "UpdateView");
    }
}

// ---- opening ------------------------------------------------------------------------

frmLancamentos *AbrirLancamentos(QMdiArea *area) {
    if (area && !platform::ui::Forms::mdiArea()) platform::ui::Forms::setMdiArea(area);
    auto *f = new frmLancamentos();
    f->ShowModeless();
    return f;
}

} // namespace postings
