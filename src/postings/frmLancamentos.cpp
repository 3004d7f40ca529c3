#include "postings/frmLancamentos.h"

#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "core/charts/Arvores.h"
#include "core/charts/Icones.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/EditCombo.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/UpperLineEdit.h"
#include "core/postings/Campos.h"
#include "core/postings/Escrita.h"
#include "core/postings/Operacoes.h"
#include "postings/frmTrans.h"
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

using value::Currency;

namespace {

QRect tw(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }

const QString kMsgAspasHistorico = QStringLiteral(
    "Caracteres de aspas duplas ou simples não são permitidos em histórico. Favor tentar novamente.");
const QString kMsgHistoricoEstornoLongo = QStringLiteral(
    "O histórico do estorno não pode ter mais de 50 caracteres. Favor tentar novamente.");
const QString kMsgNaoEstornou = QStringLiteral(
    "Não foi possível estornar o lançamento selecionado. Uma possível causa é que ele já tenha sido estornado por "
    "outro usuário ou baixado como não realizado. Verifique.");
const QString kPromptEstorno = QStringLiteral("Entre com o histórico para o estorno (máx. 50 caracteres):");

bool temAspas(const QString &t) { return t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\'')); }

[[noreturn]] void cancelar() { throw err::AppError(err::kErrCancel, QString(), QString()); }

QLabel *rotulo(QWidget *pai, const QString &texto, QWidget *companheiro, const QRect &r) {
    auto *l = new QLabel(texto, pai);
    l->setBuddy(companheiro);
    l->setGeometry(r);
    ui::EncaixarRotulo(l);
    return l;
}

} // namespace

frmLancamentos::frmLancamentos(QWidget *parent) : ui::Form(parent) {
    setObjectName(QStringLiteral("frmLancamentos"));
    charts::AdicionarImagens(iml_, {QStringLiteral("IMG_CONTA"), QStringLiteral("IMG_RECDESP"),
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
    cmdArvContas->setIcon(charts::Icone(QStringLiteral("IMG_CONTA")));
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
    cmdArvRecDesp->setIcon(charts::Icone(QStringLiteral("IMG_RECDESP")));
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
}

frmLancamentos::~frmLancamentos() = default;

int frmLancamentos::IndiceConta() const { return cbContas->Remembered(); }
int frmLancamentos::IndiceRecDesp() const { return cbTiposMov->Remembered(); }

// ---- load, activation, unload -------------------------------------------------

void frmLancamentos::Form_Load() {
    std::unique_ptr<dao::Recordset> rs;
    try {
        fin::CHourGlass hg;
        hg.Show(true);
        setWindowTitle(platform::App::Title() + QStringLiteral(" - Lançamentos"));
        if (fin::MainForm) setWindowIcon(fin::MainForm->windowIcon());
        if (fin::gTipoUsuario != 1) {
            rs = fin::gDB->OpenRecordset(QStringLiteral("Select Count(*) As Contagem From PermissoesDeUsuarios WHERE "
                                                        "IdUsuario = ") + QString::number(fin::gIdUsuario) +
                                             QStringLiteral(" AND TipoObjeto=2 AND IdObjeto = 2 AND Permissoes >=2"),
                                         dao::dbOpenSnapshot);
            cmdTransferencia->setEnabled(rs->Field(QStringLiteral("Contagem")).toInt() > 0);
            db::FecharRecordset(rs);
        }
        EncheListaContas();
        EncheListaRecDesp();
        InicializarArvoreDeContas();
        InicializarArvoreDeRecDesp();
        ConfigurarGrid();
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_REPORT("frmLancamentos", "Form_Load");
        ui::PostMessage(this, ui::WM_CLOSE);
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
        FIN_TRAP_REPORT("frmLancamentos", "Form_Activate");
        ui::PostMessage(this, ui::WM_CLOSE);
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

// ---- lists and trees -------------------------------------------------------------

void frmLancamentos::encherLista(bool contas) {
    widgets::EditCombo *cb = contas ? cbContas : cbTiposMov;
    std::unique_ptr<dao::Recordset> &rs = contas ? rsContas : rsRecDesp;
    try {
        cb->Clear();
        db::FecharRecordset(rs);
        const QString id = QString::number(fin::gIdUsuario);
        QString sql;
        if (contas)
            sql = fin::gTipoUsuario == 1
                      ? QStringLiteral("SELECT Desconta, Codigo From Contas WHERE Inativa = False and Codigo <> '000' "
                                       "Order BY DesConta")
                      : QStringLiteral("Select C.DesConta , C.Codigo From Contas As C INNER JOIN PERMISSOESDEUSUARIOS AS "
                                       "P ON (P.IdUsuario = ") + id +
                            QStringLiteral(" AND P.TipoObjeto = 1 AND P.Permissoes >=2 AND P.IdObjeto = C.Id AND "
                                           "C.Inativa = False and C.Codigo <> '000') Order By C.DesConta");
        else
            sql = fin::gTipoUsuario == 1
                      ? QStringLiteral("SELECT DesMovimentacao, Codigo From TIPOSMOVIMENTACOES WHERE INATIVO = FALSE AND "
                                       "CODIGO > '001' ORDER BY DESMOVIMENTACAO")
                      : QStringLiteral("Select M.DesMovimentacao, M.Codigo From TIPOSMOVIMENTACOES As M INNER JOIN "
                                       "PERMISSOESDEUSUARIOS AS P ON (P.IdUsuario = ") + id +
                            QStringLiteral(" AND P.TipoObjeto = 2 AND P.Permissoes >=2 AND P.IdObjeto = M.Id AND "
                                           "M.Inativo = False And M.Codigo > '001') Order By M.DesMovimentacao");
        rs = fin::gDB->OpenRecordset(sql, dao::dbOpenDynaset);
        try {
            rs->MoveNext();
            rs->MoveFirst();
        } catch (...) {
        }
        if (rs->RecordCount() == 0) {
            db::FecharRecordset(rs);
            if (contas) fin::MsgBox(kMsgSemContas, ui::vbInformation);
            else fin::MsgBox(kMsgSemRecDesp);
            ui::PostMessage(this, ui::WM_CLOSE);
            cancelar();
        }
        const QString campo = contas ? QStringLiteral("DesConta") : QStringLiteral("DesMovimentacao");
        cb->setUpdatesEnabled(false);
        for (; !rs->Eof(); rs->MoveNext()) cb->AddItem(rs->Field(campo).toString(), rs->AbsolutePosition());
        cb->setUpdatesEnabled(true);
        cb->setListIndex(-1);
    } catch (...) {
        cb->setUpdatesEnabled(true);
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("frmLancamentos", contas ? "EncheListaContas" : "EncheListaRecDesp");
    }
}

void frmLancamentos::EncheListaContas() { encherLista(true); }
void frmLancamentos::EncheListaRecDesp() { encherLista(false); }

void frmLancamentos::inicializarArvore(bool contas) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        widgets::TreeView *tv = contas ? tvContas : tvRecDesp;
        tv->Clear();
        const QString tabela = contas ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes");
        const QString des = contas ? QStringLiteral("DesConta") : QStringLiteral("DesMovimentacao");
        const QString oculto = contas ? QStringLiteral("C.Codigo <> '000'") : QStringLiteral("C.Codigo > '001'");
        const QString inativo = contas ? QStringLiteral("C.Inativa") : QStringLiteral("C.Inativo");
        const QString contagem = QStringLiteral("INNER JOIN (SELECT T1.Codigo, COUNT(T2.Id) As NumeroDeFilhos FROM ") +
                                 tabela + QStringLiteral(" As T1 LEFT JOIN ") + tabela +
                                 QStringLiteral(" AS T2 ON (T1.CODPAI ='000' AND T1.CODIGO = T2.CODPAI) GROUP BY "
                                                "T1.CODIGO) AS S ON ");
        QString sql;
        if (fin::gTipoUsuario == 1) {
            // The outer join keeps every row of its left side, so the first
            // level is named outright.
            sql = QStringLiteral("SELECT C.") + des + QStringLiteral(", C.Codigo, S.NumeroDeFilhos From ") + tabela +
                  QStringLiteral(" as C ") + contagem + QStringLiteral(" (C.CODIGO = S.CODIGO AND ") + oculto +
                  QStringLiteral(" AND ") + inativo + QStringLiteral(" = FALSE AND C.CodPai = '000') Order By C.") + des;
        } else {
            sql = QStringLiteral("Select C.") + des + QStringLiteral(" , C.Codigo, S.NumeroDeFilhos From (") + tabela +
                  QStringLiteral(" As C INNER JOIN PERMISSOESDEUSUARIOS AS P ON (P.IdUsuario = ") +
                  QString::number(fin::gIdUsuario) + QStringLiteral(" AND P.TipoObjeto = ") +
                  (contas ? QStringLiteral("1") : QStringLiteral("2")) +
                  QStringLiteral(" AND P.Permissoes >=2 AND P.IdObjeto = C.Id AND ") + inativo +
                  QStringLiteral(" = False AND C.CodPai = '000' AND ") + oculto + QStringLiteral(")) ") + contagem +
                  QStringLiteral("C.CODIGO = S.CODIGO Order By C.") + des;
        }
        rs = fin::gDB->OpenRecordset(sql, dao::dbOpenSnapshot);
        const QString img = contas ? QStringLiteral("IMG_CONTA") : QStringLiteral("IMG_RECDESP");
        for (; !rs->Eof(); rs->MoveNext()) {
            widgets::Node *n = tv->Add(QString(), widgets::tvwLast,
                                       QStringLiteral("_") + rs->Field(QStringLiteral("Codigo")).toString(),
                                       rs->Field(des).toString(), img, img + QStringLiteral("SEL"));
            n->setExpandedImage(img + QStringLiteral("EXP"));
            if (rs->Field(QStringLiteral("NumeroDeFilhos")).toInt() > 0) charts::AdicionarFilhoFicticio(*tv, *n);
        }
        db::FecharRecordset(rs);
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("frmLancamentos", contas ? "InicializarArvoreDeContas" : "InicializarArvoreDeRecDesp");
    }
}

void frmLancamentos::InicializarArvoreDeContas() { inicializarArvore(true); }
void frmLancamentos::InicializarArvoreDeRecDesp() { inicializarArvore(false); }

void frmLancamentos::expandir(widgets::TreeView *tv, widgets::Node *node, bool contas) {
    bool &flag = contas ? expandindoContas_ : expandindoRecDesp_;
    if (flag) return;
    try {
        flag = true;
        if (node->Children() > 0) charts::RemoverFilhos(*tv, *node);
        if (contas) charts::CarregarRamoContas(*tv, *node, false);
        else charts::CarregarRamoRecDesp(*tv, *node, false);
        node->setSelectedImage(contas ? QStringLiteral("IMG_CONTASELEXP") : QStringLiteral("IMG_RECDESPSELEXP"));
        flag = false;
    } catch (...) {
        // A failed branch does not keep the tree from loading the next one.
        flag = false;
        FIN_TRAP_REPORT("frmLancamentos", contas ? "tvContas_Expand" : "tvRecDesp_Expand");
    }
}

void frmLancamentos::recolher(widgets::TreeView *tv, widgets::Node *node, bool contas) {
    try {
        if (node->Children() > 0) {
            charts::RemoverFilhos(*tv, *node);
            charts::AdicionarFilhoFicticio(*tv, *node);
        }
        node->setSelectedImage(contas ? QStringLiteral("IMG_CONTASEL") : QStringLiteral("IMG_RECDESPSEL"));
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", contas ? "tvContas_Collapse" : "tvRecDesp_Collapse");
    }
}

void frmLancamentos::tvContas_Expand(widgets::Node *node) { expandir(tvContas, node, true); }
void frmLancamentos::tvContas_Collapse(widgets::Node *node) { recolher(tvContas, node, true); }
void frmLancamentos::tvRecDesp_Expand(widgets::Node *node) { expandir(tvRecDesp, node, false); }
void frmLancamentos::tvRecDesp_Collapse(widgets::Node *node) { recolher(tvRecDesp, node, false); }

void frmLancamentos::escolherNaArvore(widgets::TreeView *tv, widgets::EditCombo *cb, int &keyCode) {
    try {
        if (keyCode == 13) {
            widgets::Node *n = tv->SelectedItem();
            cb->setListIndex(n ? cb->FindString(n->Text()) : -1);
            cb->setRemembered(cb->ListIndex());
            keyCode = 0;
            cb->setFocus();
            ui::SendTab();
        } else if (keyCode == 27) {
            keyCode = 0;
            cb->setFocus();
        }
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", tv == tvContas ? "tvContas_KeyDown" : "tvRecDesp_KeyDown");
    }
}

void frmLancamentos::tvContas_KeyDown(int &keyCode, int shift) {
    (void)shift;
    escolherNaArvore(tvContas, cbContas, keyCode);
}

void frmLancamentos::tvRecDesp_KeyDown(int &keyCode, int shift) {
    (void)shift;
    escolherNaArvore(tvRecDesp, cbTiposMov, keyCode);
}

void frmLancamentos::arvore(QGroupBox *fr, widgets::TreeView *tv, widgets::EditCombo *cb) {
    try {
        fr->move(cb->x(), cb->y() + cb->height());
        fr->show();
        fr->raise();
        tv->setFocus();
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", fr == frContas ? "cmdArvContas_Click" : "cmdArvRecDesp_Click");
    }
}

void frmLancamentos::cmdArvContas_Click() { arvore(frContas, tvContas, cbContas); }
void frmLancamentos::cmdArvRecDesp_Click() { arvore(frRecDesp, tvRecDesp, cbTiposMov); }

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

QWidget *frmLancamentos::teclaDeAcesso(const QKeyEvent *k) const {
    if (k->modifiers() != Qt::AltModifier || k->key() < Qt::Key_A || k->key() > Qt::Key_Z) return nullptr;
    const QKeySequence tecla(QKeyCombination(Qt::AltModifier, Qt::Key(k->key())));
    for (QAbstractButton *b : findChildren<QAbstractButton *>())
        if (b->isVisible() && b->isEnabled() && QKeySequence::mnemonic(b->text()) == tecla) return b;
    for (QLabel *l : findChildren<QLabel *>())
        if (l->isVisible() && l->buddy() && l->buddy()->isEnabled() && QKeySequence::mnemonic(l->text()) == tecla)
            return l;
    return nullptr;
}

bool frmLancamentos::eventFilter(QObject *o, QEvent *e) {
    if (e->type() == QEvent::FocusOut && (o == tvContas || o == tvRecDesp)) {
        (o == tvContas ? frContas : frRecDesp)->hide();
        return false;
    }
    if (!IsLoaded()) return false;
    // The window's own access keys (Alt+C "&Confirmar", Alt+O "Est&ornar
    // Lançamento", Alt+S "&Saída", ...) come before the main window's menu
    // titles that share the letter: claiming the key here keeps the menu bar
    // from taking it, and the key press then does the control's work.
    if (e->type() == QEvent::ShortcutOverride) {
        if (teclaDeAcesso(static_cast<QKeyEvent *>(e))) {
            e->accept();
            return true;
        }
        return false;
    }
    if (e->type() != QEvent::KeyPress) return false;
    auto *k = static_cast<QKeyEvent *>(e);
    if (QWidget *alvo = teclaDeAcesso(k)) {
        if (auto *b = qobject_cast<QAbstractButton *>(alvo)) b->click();
        else static_cast<QLabel *>(alvo)->buddy()->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
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
        Fgrid->setRow(ultima);
        Fgrid->setRowSel(ultima);
        if (selecionarColunas) {
            Fgrid->setCol(0);
            Fgrid->setColSel(Fgrid->Cols() - 1);
        }
    } catch (...) {
    }
}

// ---- clearing and validation ---------------------------------------------------

void frmLancamentos::Limpar() {
    try {
        txtDoc->clear();
        txtData->setText(QString());
        txtEntrada->setValueText(QString());
        txtSaida->setValueText(QString());
        txtHistorico->clear();
        cbContas->setListIndex(-1);
        cbTiposMov->setListIndex(-1);
        cbTiposMov->setRemembered(-1);
        cbContas->setRemembered(-1);
        cmdConfirmar->setEnabled(true);
        cbContas->setFocus();
    } catch (...) {
        FIN_TRAP_RERAISE("frmLancamentos", "Limpar");
    }
}

void frmLancamentos::cmdLimpar_Click() {
    try {
        Limpar();
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", "cmdLimpar_Click");
    }
}

void frmLancamentos::cmdCancel_Click() { Unload(); }

bool frmLancamentos::Validar() {
    try {
        auto falha = [](QWidget *campo, const QString &msg, int estilo = ui::vbOKOnly) {
            fin::MsgBox(msg, estilo);
            if (campo) campo->setFocus();
            return false;
        };
        if (cbContas->ListIndex() < 0) {
            if (!cbContas->Text().trimmed().isEmpty()) return falha(cbContas, QStringLiteral("Conta inválida."));
            return falha(cbContas, QStringLiteral("Faltando informar a conta."), ui::vbInformation);
        }
        if (cbTiposMov->ListIndex() < 0) {
            if (!cbTiposMov->Text().trimmed().isEmpty())
                return falha(cbTiposMov, QStringLiteral("Receita/Despesa inválida."));
            return falha(cbTiposMov, QStringLiteral("Faltando informar o tipo de receita/despesa."), ui::vbInformation);
        }
        const QString data = txtData->Text();
        if (!(data.size() == 8 || data.size() >= 10))
            return falha(txtData, QStringLiteral("Data incompleta. Deve ser no formato dd/mm/aaaa ou dd/mm/aa."));
        if (!widgets::DateBox::Parse(data)) return falha(txtData, QStringLiteral("Data inválida."));
        const QString doc = txtDoc->text().trimmed();
        if (!doc.isEmpty() && temAspas(doc))
            return falha(txtDoc, QStringLiteral("Caracteres de aspas duplas ou simples não são permitidos em documento."));
        for (widgets::AmountBox *b : {txtEntrada, txtSaida})
            if (!b->Value()) b->setValueText(QString());
        const Currency e = txtEntrada->Value().value_or(Currency());
        const Currency s = txtSaida->Value().value_or(Currency());
        const Currency zero;
        if (e == zero && s == zero) return falha(nullptr, QStringLiteral("Faltando informar valor."));
        if (e != zero && s != zero)
            return falha(nullptr,
                         QStringLiteral("Erro: valor deve ser informado ou para entrada ou para saída, nunca para ambos."));
        const Currency maximo = Currency::fromUnits(999999999900);
        if (e > maximo)
            return falha(txtEntrada, QStringLiteral("O valor máximo para entrada é de 99.999.999,99"), ui::vbInformation);
        if (s > maximo)
            return falha(txtSaida, QStringLiteral("O valor máximo para saída é de 99.999.999,99"), ui::vbInformation);
        const QString hist = txtHistorico->text().trimmed();
        if (hist.isEmpty()) return falha(txtHistorico, QStringLiteral("Faltando informar histórico."));
        if (temAspas(hist)) return falha(txtHistorico, kMsgAspasHistorico);
        return true;
    } catch (...) {
        FIN_TRAP_RERAISE("frmLancamentos", "Validar");
    }
}

// ---- after a commit ----------------------------------------------------------------

void frmLancamentos::depoisDeGravar(const std::function<void()> &tela) {
    bool falhou = false;
    long numero = 0;
    QString descricao;
    auto guardar = [&](const std::function<void()> &passo) {
        try {
            passo();
        } catch (const err::AppError &e) {
            if (!falhou) numero = e.number(), descricao = e.description();
            falhou = true;
        } catch (const std::exception &e) {
            if (!falhou) numero = err::kErrGeneric, descricao = QString::fromLocal8Bit(e.what());
            falhou = true;
        } catch (...) {
            if (!falhou) numero = err::kErrGeneric;
            falhou = true;
        }
    };
    guardar([&] {
        if (AposGravar) AposGravar();
        tela();
    });
    guardar([&] { Limpar(); });
    if (falhou) {
        // What was written must not be written again by a second confirm.
        guardar([&] { txtEntrada->setValueText(QString()); });
        guardar([&] { txtSaida->setValueText(QString()); });
        guardar([&] { txtHistorico->clear(); });
    }
    long hint = fin::kHintLancamentos;
    try {
        fin::UpdateAllViews(hint, this);
    } catch (...) {
    }
    if (falhou)
        fin::MsgBox(QStringLiteral("A operação foi gravada, mas a janela não pôde ser atualizada: %1 '%2'.")
                        .arg(numero)
                        .arg(descricao),
                    ui::vbInformation);
}

// ---- the posting ----------------------------------------------------------------

void frmLancamentos::cmdConfirmar_Click() {
    try {
        if (!Validar()) return;
        const QString doc = txtDoc->text().trimmed();
        if (!doc.isEmpty() && ContarDocumento(*fin::gDB, doc) > 0) {
            if (fin::MsgBox(QStringLiteral("Consta informação de que um lançamento com este documento já foi feito. Tem "
                                           "certeza de que quer fazer este novo lançamento?"),
                            ui::vbYesNo | ui::vbQuestion) == ui::vbNo) {
                Limpar();
                return;
            }
        }
        fin::CHourGlass hg;
        hg.Show(true);
        const Currency e = txtEntrada->Value().value_or(Currency());
        const Currency s = txtSaida->Value().value_or(Currency());
        NovoLancamento l;
        l.valor = e != Currency() ? (e < Currency() ? -e : e) : (s < Currency() ? s : -s);
        rsContas->SetAbsolutePosition(cbContas->ItemData(cbContas->ListIndex()));
        l.codConta = rsContas->Field(QStringLiteral("Codigo")).toString();
        rsRecDesp->SetAbsolutePosition(cbTiposMov->ItemData(cbTiposMov->ListIndex()));
        l.codRecDesp = rsRecDesp->Field(QStringLiteral("Codigo")).toString();
        l.data = *widgets::DateBox::Parse(txtData->Text());
        l.documento = doc;
        l.historico = txtHistorico->text().trimmed();
        Feito f;
        switch (Lancar(*fin::gDB, l, fin::gIdUsuario, &f)) {
        case Desfecho::Gravado:
            break;
        case Desfecho::Bloqueio:
            hg.Show(false);
            fin::MsgBox(kMsgBloqueio);
            return;
        default:
            hg.Show(false);
            fin::MsgBox(QStringLiteral("Não foi possível incluir o lançamento.\nPossível causa: a conta foi desativada."));
            return;
        }
        const QString conta = cbContas->Text(), tipo = cbTiposMov->Text();
        depoisDeGravar([&] {
            CRowData r;
            r.CodConta = l.codConta;
            r.Serial = f.id;
            r.CodRecDesp = l.codRecDesp;
            adicionarLinha(QStringList{QString(), l.data.toString(QStringLiteral("dd/MM/yyyy")), l.valor.toBr(), conta,
                                       tipo, doc, l.historico}
                               .join(QLatin1Char('\t')),
                           r);
            cmdEstornar->setEnabled(true);
            removerLinhaVazia();
            mostrarUltimaLinha(true);
        });
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", "cmdConfirmar_Click");
    }
}

// ---- reversal ---------------------------------------------------------------------

QString frmLancamentos::historicoDeEstorno(bool &ok) {
    ok = false;
    QString h;
    for (;;) {
        h = ui::InputBox(kPromptEstorno, platform::App::Title()).toUpper();
        if (temAspas(h)) {
            fin::MsgBox(kMsgAspasHistorico);
            continue;
        }
        // The history column holds 50 characters: a longer answer is asked for again.
        if (h.size() > kMaxHistorico) {
            fin::MsgBox(kMsgHistoricoEstornoLongo);
            continue;
        }
        break;
    }
    if (h.trimmed().isEmpty()) {
        fin::MsgBox(QStringLiteral("Erro: histórico de estorno não informado."));
        return QString();
    }
    ok = true;
    return h;
}

void frmLancamentos::cmdEstornar_Click() {
    try {
        const long chave = Fgrid->RowData(Fgrid->RowSel());
        if (chave == 0) return;
        const int linha = Fgrid->RowSel();
        auto it = linhas_.find(QString::number(chave));
        if (it == linhas_.end()) return;
        CRowData &reg = *it;
        if (reg.Estornado) {
            fin::MsgBox(QStringLiteral("Este lançamento já foi estornado. Veja o lançamento seguinte a ele na lista."));
            return;
        }
        if (reg.Estorno) {
            fin::MsgBox(QStringLiteral("Este lançamento já é um estorno e estornos não podem ser estornados. Faça um novo "
                                       "lançamento normal para compensar o estorno."));
            return;
        }
        if (fin::MsgBox(QStringLiteral("Confirma o estorno do lançamento selecionado?"), ui::vbYesNo) == ui::vbNo) return;
        if (reg.Transferencia > 0) {
            EstornoDeTransferencia(reg.Serial, long(reg.Transferencia), reg);
            return;
        }
        bool ok = false;
        const QString hist = historicoDeEstorno(ok);
        if (!ok) return;
        fin::CHourGlass hg;
        hg.Show(true);
        Estorno e;
        switch (Estornar(*fin::gDB, reg.Serial, hist, fin::gIdUsuario, &e)) {
        case Desfecho::Gravado:
            break;
        case Desfecho::Bloqueio:
            hg.Show(false);
            fin::MsgBox(kMsgBloqueio);
            return;
        case Desfecho::JaEstornado:
            hg.Show(false);
            fin::MsgBox(kMsgNaoEstornou);
            return;
        default:
            hg.Show(false);
            fin::MsgBox(QStringLiteral("Não foi possível incluir o estorno.\nPossível causa: a conta foi desativada."));
            return;
        }
        const QString conta = Fgrid->TextMatrix(linha, 3), tipo = Fgrid->TextMatrix(linha, 4);
        const QString serialReg = QString::number(chave);
        depoisDeGravar([&] {
            linhas_[serialReg].Estornado = true;
            CRowData r;
            r.CodConta = e.codConta;
            r.CodRecDesp = e.codRecDesp;
            r.Serial = e.id;
            r.Estorno = true;
            adicionarLinha(QStringList{QString(), e.data.toString(QStringLiteral("dd/MM/yyyy")), e.valor.toBr(), conta,
                                       tipo, e.documento.value_or(QString()), hist}
                               .join(QLatin1Char('\t')),
                           r);
            mostrarUltimaLinha(false);
        });
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", "cmdEstornar_Click");
    }
}

void frmLancamentos::EstornoDeTransferencia(long serial, long transferencia, CRowData &registro) {
    try {
        fin::MsgBox(transferencia == 1
                        ? QStringLiteral("Por ser este o lançamento de origem de uma transferência, o lançamento de "
                                         "destino também será estornado e com o mesmo histórico que você informar aqui.")
                        : QStringLiteral("Por ser este o lançamento de destino de uma transferência, o lançamento de "
                                         "origem também será estornado e com o mesmo histórico que você informar aqui."),
                    ui::vbInformation);
        const QString faltando = QStringLiteral(
            "Erro: faltando informação sobre o lançamento correspondente na operação de transferência.");
        {
            auto rs = fin::gDB->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Transferencias As T INNER JOIN "
                                                             "Lancamentos As L ON (L.Id = T.SerialEntra Or L.Id = "
                                                             "T.SerialSai) WHERE T.SerialSai = ") +
                                                  QString::number(serial) + QStringLiteral(" or T.SerialEntra = ") +
                                                  QString::number(serial),
                                              dao::dbOpenSnapshot);
            if (rs->Field(0).toInt() < 2) {
                fin::MsgBox(faltando, ui::vbInformation);
                cancelar();
            }
        }
        bool ok = false;
        const QString hist = historicoDeEstorno(ok);
        if (!ok) return;
        fin::CHourGlass hg;
        hg.Show(true);
        EstornoDeTransferenciaFeito feito;
        int perna = 0;
        QString desConta;
        switch (EstornarTransferencia(*fin::gDB, serial, hist, fin::gIdUsuario, &feito, &perna, &desConta)) {
        case Desfecho::Gravado:
            break;
        case Desfecho::Bloqueio:
            hg.Show(false);
            fin::MsgBox(kMsgBloqueio);
            return;
        case Desfecho::JaEstornado:
            hg.Show(false);
            fin::MsgBox(kMsgNaoEstornou);
            if (perna == 1) cancelar();
            return;
        case Desfecho::Incompleta:
            hg.Show(false);
            fin::MsgBox(faltando, ui::vbInformation);
            cancelar();
        default:
            hg.Show(false);
            fin::MsgBox(QStringLiteral("Não foi possível incluir o estorno.\nPossível causa: a conta '") + desConta +
                        QStringLiteral("' foi desativada."));
            return;
        }
        depoisDeGravar([&] {
            registro.Estornado = true;
            const long outra = registro.Serial == feito.b.idEstornado ? feito.a.idEstornado : feito.b.idEstornado;
            for (int r = 1; r < Fgrid->Rows(); ++r) {
                auto it = linhas_.find(QString::number(Fgrid->RowData(r)));
                if (it != linhas_.end() && it->Serial == outra) {
                    it->Estornado = true;
                    break;
                }
            }
            for (const Estorno *e : {&feito.b, &feito.a}) {
                CRowData r;
                r.CodConta = e->codConta;
                r.CodRecDesp = kTipoTransferencia;
                r.Serial = e->id;
                r.Estorno = true;
                QString doc = e->documento.value_or(QString());
                doc.remove(QLatin1Char('\''));
                adicionarLinha(QStringList{QString(), e->data.toString(QStringLiteral("dd/MM/yyyy")),
                                           TextoValor(e->valor), e->desConta, kDesTransferencia, doc, hist}
                                   .join(QLatin1Char('\t')),
                               r);
            }
            mostrarUltimaLinha(false);
        });
    } catch (...) {
        FIN_TRAP(("frmLancamentos"), "EstornoDeTransferencia");
        ui::PostMessage(this, ui::WM_CLOSE);
        fin::Reraise();
    }
}

// ---- transfer ---------------------------------------------------------------------

void frmLancamentos::cmdTransferencia_Click() {
    try {
        std::unique_ptr<frmTrans> dlg = std::make_unique<frmTrans>();
        dlg->Load();
        if (!dlg->IsLoaded()) return;
        if (dlg->cbContaOrig->ListCount() == 0) {
            // Nothing to offer: the dialog said so and closes without showing its fields.
            dlg->Unload();
            return;
        }
        dlg->ShowModal();
        if (dlg->Cancelado) return;
        Transferencia t;
        t.codContaOrig = dlg->CodContaOrig;
        t.codContaDest = dlg->CodContaDest;
        t.docSaida = dlg->DocSaida;
        t.docEntrada = dlg->DocEntrada;
        t.data = dlg->Data;
        t.valor = dlg->Valor;
        t.historicoSaida = dlg->HistoricoSaida;
        t.historicoEntrada = dlg->HistoricoEntrada;
        const QString desOrig = dlg->DesContaOrig, desDest = dlg->DesContaDest;
        dlg.reset();
        // Both questions come before the write begins, so that no copy of the
        // program waits on this one while it asks; the outgoing document
        // counts for the incoming one when they are the same.
        auto perguntar = [](const QString &doc, long vezes) {
            if (vezes <= 0) return true;
            return fin::MsgBox(QStringLiteral("Consta informação de que um lançamento com o documento '") + doc +
                                   QStringLiteral("' já foi feito. Tem certeza de que quer fazer este novo lançamento?"),
                               ui::vbYesNo | ui::vbQuestion) != ui::vbNo;
        };
        if (!t.docSaida.isEmpty() && !perguntar(t.docSaida, ContarDocumento(*fin::gDB, t.docSaida))) return;
        if (!t.docEntrada.isEmpty() &&
            !perguntar(t.docEntrada, ContarDocumento(*fin::gDB, t.docEntrada) + (t.docEntrada == t.docSaida ? 1 : 0)))
            return;
        fin::CHourGlass hg;
        hg.Show(true);
        TransferenciaFeita feita;
        int perna = 0;
        switch (Transferir(*fin::gDB, t, fin::gIdUsuario, &feita, &perna)) {
        case Desfecho::Gravado:
            break;
        case Desfecho::Bloqueio:
            hg.Show(false);
            fin::MsgBox(kMsgBloqueio);
            return;
        default:
            hg.Show(false);
            fin::MsgBox(perna == 2 ? QStringLiteral("Não foi possível fazer o lançamento de entrada. Transferência "
                                                    "cancelada.\nPossível causa: a conta foi desativada.")
                                   : QStringLiteral("Não foi possível fazer o lançamento de saída. Transferência "
                                                    "cancelada.\nPossível causa: a conta foi desativada."));
            return;
        }
        const Currency abs = t.valor < Currency() ? -t.valor : t.valor;
        depoisDeGravar([&] {
            const QString data = t.data.toString(QStringLiteral("dd/MM/yyyy"));
            CRowData sai;
            sai.CodConta = t.codContaOrig;
            sai.CodRecDesp = kTipoTransferencia;
            sai.Transferencia = 1;
            sai.Serial = feita.idSaida;
            adicionarLinha(QStringList{QString(), data, (-abs).toBr(), desOrig, kDesTransferencia, t.docSaida,
                                       t.historicoSaida}
                               .join(QLatin1Char('\t')),
                           sai);
            removerLinhaVazia();
            CRowData entra;
            entra.CodConta = t.codContaDest;
            entra.CodRecDesp = kTipoTransferencia;
            entra.Transferencia = 2;
            entra.Serial = feita.idEntrada;
            adicionarLinha(QStringList{QString(), data, abs.toBr(), desDest, kDesTransferencia, t.docEntrada,
                                       t.historicoEntrada}
                               .join(QLatin1Char('\t')),
                           entra);
            cmdEstornar->setEnabled(true);
            mostrarUltimaLinha(false);
        });
    } catch (...) {
        FIN_TRAP_REPORT("frmLancamentos", "cmdTransferencia_Click");
    }
}

// ---- view broadcast -----------------------------------------------------------------

void frmLancamentos::UpdateView(long &msg) {
    try {
        if (msg == fin::kHintContas) EncheListaContas();
        else if (msg == fin::kHintRecDesp) EncheListaRecDesp();
    } catch (...) {
        FIN_TRAP_RERAISE("frmLancamentos", "UpdateView");
    }
}

// ---- opening ------------------------------------------------------------------------

frmLancamentos *AbrirLancamentos(QMdiArea *area) {
    if (area && !ui::Forms::mdiArea()) ui::Forms::setMdiArea(area);
    auto *f = new frmLancamentos();
    f->ShowModeless();
    return f;
}

} // namespace postings
