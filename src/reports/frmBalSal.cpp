#include "reports/frmBalSal.h"

#include "core/consultas/ModosDeRelatorio.h"
#include "db/Schema.h"
#include "ui/IconesDasArvores.h"
#include "core/consultas/CalculoBalanco.h"
#include "core/consultas/ConsultasBalanco.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "ui/AppContext.h"
#include "ui/CHourGlass.h"
#include "ui/CLockWindowUpdate.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"

#include <QAction>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

namespace reports {

using core::consultas::CalcularBalanco;
using core::consultas::EBalanco;
using core::consultas::LerLinhas;
using core::consultas::LinhaBalanco;
using core::consultas::LinhasBalanco;
using core::consultas::PedidoBalContaEmRecDesp;
using core::consultas::PedidoBalRecDespEmConta;
using core::consultas::PedidoBalanco;
using core::consultas::SqlBalancoCruzado;
using core::consultas::SqlDoPedido;
using core::consultas::kBalancoDeContas;
using core::consultas::kBalancoDeTipos;
using core::consultas::kSaldosDeContas;
using core::consultas::kSaldosDeTipos;

namespace {

QRect tw(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }

// The designed client area; a larger window gives the room to the tree.
const QSize kDesenho(8145 / 15, 5760 / 15);

constexpr int kLarguraDescricao = 54;
constexpr int kLarguraValor = 13;
const QString kOmitir = QStringLiteral("OMITIR");

QFont sansSerif() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(8.25);
    return f;
}

QFont fixa() {
    QFont f(QStringLiteral("Courier New"), 9);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QString linha(const QString &descricao, value::Currency valor, int largura) {
    const QString v = valor.toBr();
    // A longer amount stays whole: the description gives up the columns.
    const int des = std::max(0, largura - std::max(0, int(v.size()) - kLarguraValor));
    return descricao.leftJustified(des, QLatin1Char(' '), true) + v.rightJustified(kLarguraValor, QLatin1Char(' '));
}

} // namespace

frmBalSal::frmBalSal(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("frmBalSal"));
    ui::AdicionarImagens(imagens_, {QStringLiteral("IMG_CONTA"), QStringLiteral("IMG_CONTAEXP"), QStringLiteral("IMG_CONTAEXPSEL"),
                                    QStringLiteral("IMG_CONTASEL"), QStringLiteral("IMG_RECDESP"), QStringLiteral("IMG_RECDESPSEL"),
                                    QStringLiteral("IMG_RECDESPEXP"), QStringLiteral("IMG_RECDESPEXPSEL")});
    setFont(sansSerif());
    auto rotulo = [this](const char *nome, const QRect &r) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(nome));
        l->setGeometry(r);
        return l;
    };
    lblCaption = rotulo("lblCaption", tw(-30, -30, 8235, 255));
    lblCaption->setAlignment(Qt::AlignCenter);
    lblCaption->setFrameShape(QFrame::Panel);
    lblCaption->setFrameShadow(QFrame::Raised);
    lblContas = rotulo("lblContas", tw(-30, 210, 6255, 255));
    lblValor = rotulo("lblValor", tw(6210, 210, 1965, 255));
    for (QLabel *l : {lblContas, lblValor}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Raised);
    }
    Label1 = rotulo("Label1", tw(0, 450, 675, 285));
    lblDesTotal = rotulo("lblDesTotal", tw(660, 450, 7605, 285));
    lblDesTotal->setFont(fixa());
    lblDesTotal->setTextFormat(Qt::PlainText);
    lblDesTotal->setText(QStringLiteral("BALANÇO TOTAL"));

    tv = new widgets::TreeView(this);
    tv->setObjectName(QStringLiteral("tv"));
    tv->setImageList(&imagens_);
    tv->setFixedPitchFont(QStringLiteral("Courier New"), 9);
    tv->setIndentChars(3);
    arvore_ = tw(0, 690, 8145, 4215);
    tv->setGeometry(arvore_);
    connect(tv, &widgets::TreeView::MouseDown, this, &frmBalSal::tv_MouseDown);
    connect(tv, &widgets::TreeView::Collapse, this, &frmBalSal::tv_Collapse);
    connect(tv, &widgets::TreeView::Expand, this, &frmBalSal::tv_Expand);

    lblAviso = rotulo("lblAviso", tw(0, 4950, 8145, 255));
    lblAviso->setAlignment(Qt::AlignCenter);

    auto botao = [this](const char *nome, const QString &texto, const QRect &r) {
        auto *b = new QPushButton(texto, this);
        b->setObjectName(QString::fromLatin1(nome));
        b->setGeometry(r);
        return b;
    };
    cmdImprimir = botao("cmdImprimir", QStringLiteral("&Imprimir"), tw(150, 5280, 1215, 375));
    cmdAtualizar = botao("cmdAtualizar", QStringLiteral("&Atualizar Pesquisa"), tw(1620, 5280, 1695, 375));
    cmdCancel = botao("cmdCancel", QStringLiteral("&Fechar"), tw(6540, 5280, 1455, 375));
    connect(cmdImprimir, &QPushButton::clicked, this, &frmBalSal::cmdImprimir_Click);
    connect(cmdAtualizar, &QPushButton::clicked, this, &frmBalSal::cmdAtualizar_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmBalSal::cmdCancel_Click);
    setCancelButton(cmdCancel);

    mnuBalAgrup = new QMenu(QStringLiteral("Popup"), this);
    mnuBalAgrup->setObjectName(QStringLiteral("mnuBalAgrup"));
    auto entrada = [this](const char *nome, const QString &texto, void (frmBalSal::*f)()) {
        QAction *a = mnuBalAgrup->addAction(texto);
        a->setObjectName(QString::fromLatin1(nome));
        connect(a, &QAction::triggered, this, f);
        return a;
    };
    mnuBalRecDespEmConta = entrada("mnuBalRecDespEmConta",
                                   QStringLiteral("Balanços por receitas e despesas lançadas nesta conta e suas subcontas"),
                                   &frmBalSal::mnuBalRecDespEmConta_Click);
    mnuBalRecDespEmConta2 = entrada("mnuBalRecDespEmConta2", QStringLiteral("Balanços por receitas e despesas lançadas somente nesta conta"),
                                    &frmBalSal::mnuBalRecDespEmConta2_Click);
    mnuBalContaEmRecDesp = entrada("mnuBalContaEmRecDesp",
                                   QStringLiteral("Balanços por contas de capital de lançamentos nesta receita/despesa e subníveis"),
                                   &frmBalSal::mnuBalContaEmRecDesp_Click);
    mnuBalContaEmRecDesp2 = entrada("mnuBalContaEmRecDesp2",
                                    QStringLiteral("Balanços por contas de capital de lançamentos somente nesta receita/despesa"),
                                    &frmBalSal::mnuBalContaEmRecDesp2_Click);
    esquerdaDoTotal_ = lblDesTotal->x();
    setMinimumSize(kDesenho);
    resize(kDesenho);
    dispor();
}

frmBalSal::~frmBalSal() = default;

QString frmBalSal::img(const QString &sufixo) const {
    return (mode_ == kBalancoDeTipos || mode_ == kSaldosDeTipos ? QStringLiteral("IMG_RECDESP") : QStringLiteral("IMG_CONTA")) + sufixo;
}

QString frmBalSal::TagDoTotal() const { return lblDesTotal->property("Tag").toString(); }

QString frmBalSal::LinhaDoItem(int nivel, const QString &descricao, value::Currency valor) {
    return linha(descricao, valor, std::max(0, kLarguraDescricao - 3 * std::max(0, nivel)));
}

void frmBalSal::setMode(long mode) {
    try {
        mode_ = mode;
        if (!EBalanco(mode)) return;
        const bool contas = mode == kBalancoDeContas || mode == kSaldosDeContas;
        const bool periodo = mode == kBalancoDeContas || mode == kBalancoDeTipos;
        setWindowTitle(mode == kBalancoDeContas   ? QStringLiteral("BALANÇO DE CONTAS DE CAPITAL")
                       : mode == kBalancoDeTipos ? QStringLiteral("BALANÇO DE RECEITAS E DESPESAS")
                       : mode == kSaldosDeContas ? QStringLiteral("SALDOS DE CONTAS DE CAPITAL")
                                   : QStringLiteral("SALDOS DE RECEITAS / DESPESAS"));
        lblContas->setText(contas ? QStringLiteral("               CONTAS DE CAPITAL") : QStringLiteral("               RECEITAS E DESPESAS"));
        lblValor->setText(periodo ? QStringLiteral("            BALANÇO") : QStringLiteral("            SALDO"));
        mnuBalRecDespEmConta->setVisible(mode == kBalancoDeContas);
        mnuBalRecDespEmConta2->setVisible(mode == kBalancoDeContas);
        mnuBalContaEmRecDesp->setVisible(mode == kBalancoDeTipos);
        mnuBalContaEmRecDesp2->setVisible(mode == kBalancoDeTipos);
        lblAviso->setVisible(periodo);
        if (periodo)
            lblAviso->setText(contas ? QStringLiteral("CLIQUE COM O BOTÃO DIREITO SOBRE UMA CONTA PARA OUTRAS OPÇÕES")
                                     : QStringLiteral("CLIQUE COM O BOTÃO DIREITO SOBRE UMA RECEITA/DESPESA PARA OUTRAS OPÇÕES"));
        arvore_ = tw(0, 690, 8145, periodo ? 4215 : 4425);
        if (!periodo && ui::gTipoUsuario != db::kAdministrador) {
            // No total for a common user: the tree takes the total line's
            // place, its top raised to the line's and its bottom where it was.
            arvore_.setTop(tw(660, 450, 7605, 285).top());
            lblDesTotal->setProperty("Tag", kOmitir);
            tv->raise();
        }
        dispor();
    } catch (...) {
        FIN_TRAP_RERAISE("frmBalSal", "Mode");
    }
}

void frmBalSal::Form_Load() {
    if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
}

void frmBalSal::Form_Activate() {
    try {
        if (pendente_) {
            // Being activated, the window is the active one: the pending refresh runs now.
            pendente_ = false;
            if (!Atualizar()) return;
        }
        if (!carregado_) {
            if (!FazConsulta()) return;
            carregado_ = true;
        }
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, "frmBalSal", "Form_Activate");
    }
}

void frmBalSal::UpdateView(long &msg) {
    (void)msg;
    try {
        if (platform::ui::Forms::ActiveChild() == this) {
            // Cleared first: a refresh that fails leaves a window about to close.
            pendente_ = false;
            Atualizar();
        } else {
            pendente_ = true;
        }
    } catch (...) {
        FIN_TRAP_RERAISE("frmBalSal", "UpdateView");
    }
}

void frmBalSal::cmdAtualizar_Click() { Atualizar(); }

bool frmBalSal::Atualizar() {
    try {
        lblDesTotal->setText(QStringLiteral("PESQUISANDO NO BANCO DE DADOS ..."));
        lblDesTotal->repaint();
        platform::ui::DoEvents();
        if (!FazConsulta()) return false;
        carregado_ = true;
        return true;
    } catch (...) {
        FIN_TRAP_REPORT("frmBalSal", "cmdAtualizar_Click");
        return false;
    }
}

void frmBalSal::cmdCancel_Click() { Unload(platform::ui::vbFormCode); }

void frmBalSal::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Escape) {
        cmdCancel_Click();
        return;
    }
    platform::ui::Form::keyPressEvent(e);
}

bool frmBalSal::FazConsulta() {
    std::unique_ptr<dao::Recordset> rs;
    try {
        ui::CHourGlass hg;
        hg.Show(true);
        ++consultas_;
        lblCaption->setText(TituloRelatorio);
        lblCaption->repaint();
        platform::ui::DoEvents();
        LinhasBalanco linhas;
        if (Pedido) {
            linhas = CalcularBalanco(*ui::gDB, *Pedido);
        } else {
            rs = ui::gDB->OpenRecordset(SQL, dao::dbOpenDynaset);
            linhas = LerLinhas(*rs, mode_ == kSaldosDeContas || mode_ == kSaldosDeTipos ? QStringLiteral("Saldo") : QStringLiteral("Balanco"));
            db::FecharRecordset(rs);
        }
        MostrarLinhas(linhas);
        return true;
    } catch (...) {
        db::FecharRecordset(rs);
        // A window without its result closes once the user has read why.
        FIN_TRAP_REPORT_CLOSE(this, "frmBalSal", "FazConsulta");
        return false;
    }
}

void frmBalSal::MostrarLinhas(const LinhasBalanco &linhas) {
    CarregarEmObjetos(linhas);
    ui::CLockWindowUpdate trava;
    trava.LockWindow(tv);
    tv->Clear();
    for (const auto &item : *itens_) CarregarNaArvore(item, QString());
    alinharTotal();
}

void frmBalSal::alinharTotal() {
    // The total line starts where the first level's texts start (or would
    // start: an empty tree too), so that its amount ends in the column of
    // theirs (the tree must be laid out).
    if (!tv->isVisible()) return;
    const QList<widgets::Node *> topo = tv->TopNodes();
    const int x = tv->x() + (topo.isEmpty() ? tv->TextLeftOfFirstLevel(true) : tv->TextLeft(topo.first()));
    if (x <= tv->x()) return;
    esquerdaDoTotal_ = x;
    dispor();
}

void frmBalSal::dispor() {
    // Anchored as designed: the title, the headings, the total line and the
    // hint widen with the window, the tree takes the room in both
    // directions, the buttons stay on the bottom edge ("Fechar" at the
    // right). The amounts' heading keeps its left edge over their column.
    const int dx = std::max(0, width() - kDesenho.width());
    const int dy = std::max(0, height() - kDesenho.height());
    lblCaption->setGeometry(tw(-30, -30, 8235, 255).adjusted(0, 0, dx, 0));
    lblContas->setGeometry(tw(-30, 210, 6255, 255));
    lblValor->setGeometry(tw(6210, 210, 1965, 255).adjusted(0, 0, dx, 0));
    const QRect total = tw(660, 450, 7605, 285).adjusted(0, 0, dx, 0);
    lblDesTotal->setGeometry(QRect(QPoint(esquerdaDoTotal_, total.top()), total.bottomRight()));
    const QRect faixa = tw(0, 450, 675, 285);
    Label1->setGeometry(QRect(faixa.topLeft(), QPoint(esquerdaDoTotal_ - 1, faixa.bottom())));
    tv->setGeometry(arvore_.adjusted(0, 0, dx, dy));
    lblAviso->setGeometry(tw(0, 4950, 8145, 255).translated(0, dy).adjusted(0, 0, dx, 0));
    cmdImprimir->setGeometry(tw(150, 5280, 1215, 375).translated(0, dy));
    cmdAtualizar->setGeometry(tw(1620, 5280, 1695, 375).translated(0, dy));
    cmdCancel->setGeometry(tw(6540, 5280, 1455, 375).translated(dx, dy));
}

void frmBalSal::resizeEvent(QResizeEvent *e) {
    platform::ui::Form::resizeEvent(e);
    dispor();
}

void frmBalSal::showEvent(QShowEvent *e) {
    platform::ui::Form::showEvent(e);
    QMetaObject::invokeMethod(this, [this] { alinharTotal(); }, Qt::QueuedConnection);
}

void frmBalSal::CarregarEmObjetos(const LinhasBalanco &linhas) {
    try {
        ui::CHourGlass hg;
        hg.Show(true);
        itens_ = std::make_unique<core::permissoes::CPermissoes>();
        descricoes_.clear();
        std::shared_ptr<core::permissoes::CPermissao> ultimo;
        // Each item's depth in the tree: an item whose parent is not in the
        // result stands at the first level, and its children one below it.
        QHash<QString, int> niveis;
        for (const LinhaBalanco &l : linhas) {
            if (l.ordem > 0) continue;
            auto item = core::permissoes::CPermissao::Novo();
            item->setCodObjeto(l.codigo);
            descricoes_.insert(l.codigo, l.desObjeto);
            const int ponto = l.codigo.lastIndexOf(QLatin1Char('.'));
            int nivel = 0;
            if (ponto < 0) {
                itens_->Add(item, l.codigo);
            } else {
                core::permissoes::CPermissao *pai = nullptr;
                try {
                    // The parent is among the ancestors of the row before.
                    if (ultimo) pai = ultimo->FindUpward(l.codigo.left(ponto));
                } catch (...) {
                    pai = nullptr;
                }
                if (pai) {
                    nivel = niveis.value(pai->CodObjeto()) + 1;
                    pai->SubItens().Add(item, l.codigo);
                } else {
                    itens_->Add(item, l.codigo);
                }
            }
            niveis.insert(l.codigo, nivel);
            item->setDesObjeto(LinhaDoItem(nivel, l.desObjeto, l.valor));
            ultimo = item;
        }
        for (const LinhaBalanco &l : linhas) {
            if (l.codigo == QStringLiteral("9999")) {
                lblDesTotal->setText(linha(l.desObjeto, l.valor, kLarguraDescricao));
                break;
            }
        }
    } catch (...) {
        FIN_TRAP_RERAISE("frmBalSal", "CarregarEmObjetos");
    }
}

void frmBalSal::CarregarNaArvore(const std::shared_ptr<core::permissoes::CPermissao> &item, const QString &codPai) {
    try {
        widgets::Node *n = tv->Add(codPai.isEmpty() ? QString() : QStringLiteral("_") + codPai,
                                   codPai.isEmpty() ? widgets::tvwLast : widgets::tvwChild, QStringLiteral("_") + item->CodObjeto(),
                                   item->DesObjeto(), img(QString()));
        if (item->SubItens().Count() > 0) {
            n->setSelectedImage(img(QStringLiteral("EXPSEL")));
            n->setExpandedImage(img(QStringLiteral("EXP")));
            n->setSorted(true);
        } else {
            n->setSelectedImage(img(QStringLiteral("SEL")));
        }
        for (const auto &sub : item->SubItens()) CarregarNaArvore(sub, item->CodObjeto());
        if (item->SubItens().Count() > 0) n->setExpanded(true);
    } catch (...) {
        FIN_TRAP_RERAISE("frmBalSal", "CarregarNaArvore");
    }
}

void frmBalSal::tv_Collapse(widgets::Node *node) {
    try {
        if (node->Image() == QStringLiteral("IMG_CONTA")) node->setSelectedImage(QStringLiteral("IMG_CONTASEL"));
        else if (node->Image() == QStringLiteral("IMG_RECDESP")) node->setSelectedImage(QStringLiteral("IMG_RECDESPSEL"));
    } catch (...) {
        FIN_TRAP_REPORT("frmBalSal", "tv_Collapse");
    }
}

void frmBalSal::tv_Expand(widgets::Node *node) {
    try {
        if (node->Image() == QStringLiteral("IMG_CONTA")) node->setSelectedImage(QStringLiteral("IMG_CONTAEXPSEL"));
        else if (node->Image() == QStringLiteral("IMG_RECDESP")) node->setSelectedImage(QStringLiteral("IMG_RECDESPEXPSEL"));
    } catch (...) {
        FIN_TRAP_REPORT("frmBalSal", "tv_Expand");
    }
}

void frmBalSal::tv_MouseDown(int button, int shift, const QPoint &pos) {
    (void)shift;
    try {
        if (button != 2) return;
        noLembrado_.clear();
        widgets::Node *n = nullptr;
        try {
            n = tv->HitTest(pos);
        } catch (...) {
            n = nullptr;
        }
        if (!n) return;
        noLembrado_ = n->Key();
        if (mode_ == kBalancoDeContas || mode_ == kBalancoDeTipos) tv->PopupMenu(mnuBalAgrup, pos);
    } catch (...) {
        FIN_TRAP_REPORT("frmBalSal", "tv_MouseDown");
    }
}

void frmBalSal::abrirCruzado(const char *procedimento, bool listaContas, bool somente) {
    try {
        if (noLembrado_.isEmpty() || !tv->Item(noLembrado_)) return;
        const QString codigo = noLembrado_.mid(1);
        // The item's own description, as the result gave it: the line on
        // screen holds it cut to its field.
        const QString descricao = descricoes_.value(codigo).trimmed();
        const long bit = listaContas ? ui::kTemContas : ui::kTemRecDesp;
        if (!(ui::gTemDados & bit)) {
            ui::MsgBox(listaContas ? QStringLiteral("Não há contas cadastradas para se fazer balanço.")
                                   : QStringLiteral("Não há receitas ou despesas cadastradas para se fazer balanço."),
                       platform::ui::vbOKCancel | platform::ui::vbInformation, platform::App::Title());
            throw err::AppError(err::kErrCancel, QString(), QString());
        }
        const PedidoBalanco pedido = listaContas ? PedidoBalContaEmRecDesp(codigo, DataIni, DataFim, somente)
                                                 : PedidoBalRecDespEmConta(codigo, DataIni, DataFim, somente);
        const QString periodo = QStringLiteral("\" de ") + DataIni.toString(QStringLiteral("dd/MM/yy")) + QStringLiteral(" a ") +
                                DataFim.toString(QStringLiteral("dd/MM/yy"));
        auto *f = new frmBalSal();
        f->Load();
        f->setMode(listaContas ? 3 : 4);
        f->SQL = SqlBalancoCruzado(pedido);
        f->Pedido = pedido;
        f->DataFim = DataFim;
        f->DataIni = DataIni;
        f->TituloRelatorio = (listaContas ? QStringLiteral("BALANÇO REC/DESP \"") : QStringLiteral("BALANÇO CONTA \"")) + descricao + periodo;
        f->ShowModeless();
    } catch (...) {
        FIN_TRAP_REPORT("frmBalSal", procedimento);
    }
}

void frmBalSal::mnuBalRecDespEmConta_Click() { abrirCruzado("mnuBalRecDespEmConta_Click", false, false); }
void frmBalSal::mnuBalRecDespEmConta2_Click() { abrirCruzado("mnuBalRecDespEmConta2_Click", false, true); }
void frmBalSal::mnuBalContaEmRecDesp_Click() { abrirCruzado("mnuBalContaEmRecDesp_Click", true, false); }
void frmBalSal::mnuBalContaEmRecDesp2_Click() { abrirCruzado("mnuBalContaEmRecDesp2_Click", true, true); }

frmBalSal *AbrirBalanco(long mode, const PedidoBalanco &pedido, const QString &titulo) {
    auto *f = new frmBalSal();
    f->Load();
    f->setMode(mode);
    f->DataIni = pedido.dataIni;
    f->DataFim = pedido.dataFim;
    f->TituloRelatorio = titulo;
    f->SQL = SqlDoPedido(pedido);
    f->Pedido = pedido;
    f->ShowModeless();
    return f;
}

} // namespace reports
