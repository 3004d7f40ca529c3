#include "security/frmPermissoes.h"

#include "ui/IconesDasArvores.h"
#include "core/permissoes/ArvoreDePermissoes.h"
#include "security/PermissoesNaArvore.h"
#include "ui/ArvoreDeItens.h"
#include "ui/AppContext.h"
#include "ui/Errors.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace security {

using core::permissoes::CPermissao;
using core::permissoes::ItemParaArvore;
using core::permissoes::ObjetoDoPonteiro;

namespace {

const QString kRaiz = QStringLiteral("_000");

// The main window's context menu lent to the permission editors, if any.
QMenu *menuDaJanelaPrincipal() {
    if (ui::MainForm)
        if (auto *m = ui::MainForm->findChild<QMenu *>(QStringLiteral("mnuPopup2"))) return m;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *m = w->findChild<QMenu *>(QStringLiteral("mnuPopup2"))) return m;
    return nullptr;
}

} // namespace

frmPermissoes::frmPermissoes(bool recDesp, QWidget *parent) : platform::ui::Form(parent), recDesp_(recDesp) {
    setObjectName(recDesp ? QStringLiteral("frmPermMov") : QStringLiteral("frmPermContas"));
    setWindowTitle(recDesp ? QStringLiteral("Permissões em Receitas / Despesas") : QStringLiteral("Permissões em Contas"));
    ui::AdicionarImagensDePermissao(imagens_);
    const QString familia = recDesp ? QStringLiteral("IMG_RECDESP") : QStringLiteral("IMG_CONTA");
    ui::AdicionarImagens(imagens_, {familia, familia + QStringLiteral("EXP"), familia + QStringLiteral("SEL"),
                                    familia + QStringLiteral("SELEXP"), familia + QStringLiteral("INAT"),
                                    familia + QStringLiteral("INATEXP")});

    Label1 = new QLabel(recDesp ? QStringLiteral("Permissões em Tipos de Receitas e Despesas:")
                                : QStringLiteral("Permissões em Contas:"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 312, 18);
    tv = new widgets::TreeView(this);
    tv->setObjectName(QStringLiteral("tv"));
    tv->setImageList(&imagens_);
    tv->setGeometry(8, 28, 312, 300);
    tv->setLineStyle(widgets::tvwTreeLines);
    Label2 = new QLabel(QStringLiteral("Selecione os itens para atribuir permissões"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(332, 8, 300, 18);
    lv = new widgets::ListView(this);
    lv->setObjectName(QStringLiteral("lv"));
    lv->setSmallIcons(&imagens_);
    lv->setMultiSelect(true);
    lv->setGeometry(332, 28, 300, 300);

    Frame1 = new QGroupBox(QStringLiteral("Dar permissões nos itens selecionados na lista para:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(8, 336, 624, 62);
    // The group box shows the same words as its caption.
    lblFrame = new QLabel(QStringLiteral("Dar permissões nos itens selecionados na lista para"), Frame1);
    lblFrame->setObjectName(QStringLiteral("lblFrame"));
    lblFrame->hide();
    const char *nomes[4] = {"cmdTudo", "cmdLancamentos", "cmdExtratos", "cmdSemPerm"};
    const QString textos[4] = {QStringLiteral("Tudo"), QStringLiteral("Gravar dados"), QStringLiteral("Ler dados"),
                               QStringLiteral("Sem Permissões")};
    QPushButton **botoes[4] = {&cmdTudo, &cmdLancamentos, &cmdExtratos, &cmdSemPerm};
    for (int i = 0; i < 4; ++i) {
        *botoes[i] = new QPushButton(textos[i], Frame1);
        (*botoes[i])->setObjectName(QString::fromLatin1(nomes[i]));
        (*botoes[i])->setGeometry(12 + i * 152, 24, 144, 28);
        // The view that had the focus before stays the one the button acts on.
        (*botoes[i])->setFocusPolicy(Qt::TabFocus);
    }
    cmdFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    cmdFechar->setObjectName(QStringLiteral("cmdFechar"));
    cmdFechar->setGeometry(532, 408, 100, 28);
    setCancelButton(cmdFechar);
    setFixedSize(640, 444);

    connect(cmdTudo, &QPushButton::clicked, this, &frmPermissoes::cmdTudo_Click);
    connect(cmdLancamentos, &QPushButton::clicked, this, &frmPermissoes::cmdLancamentos_Click);
    connect(cmdExtratos, &QPushButton::clicked, this, &frmPermissoes::cmdExtratos_Click);
    connect(cmdSemPerm, &QPushButton::clicked, this, &frmPermissoes::cmdSemPerm_Click);
    connect(cmdFechar, &QPushButton::clicked, this, &frmPermissoes::cmdFechar_Click);
    connect(tv, &widgets::TreeView::NodeClick, this, &frmPermissoes::tv_NodeClick);
    connect(tv, &widgets::TreeView::MouseDown, this, &frmPermissoes::tv_MouseDown);
    connect(lv, &widgets::ListView::MouseDown, this, &frmPermissoes::lv_MouseDown);
    connect(lv, &widgets::ListView::DblClick, this, &frmPermissoes::lv_DblClick);
    tv->installEventFilter(this);
    lv->installEventFilter(this);
}

frmPermissoes::~frmPermissoes() = default;

frmPermMov::frmPermMov(QWidget *parent) : frmPermissoes(true, parent) {}
frmPermContas::frmPermContas(QWidget *parent) : frmPermissoes(false, parent) {}

const char *frmPermissoes::nome() const { return recDesp_ ? "frmPermMov" : "frmPermContas"; }

void frmPermissoes::Form_Load() {
    if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
}

void frmPermissoes::Form_Activate() {
    try {
        if (bInit_) return;
        ui::CarregarNaArvoreDePermissoes(*tv, ItemParaArvore(*raiz_), QString());
        const QList<widgets::Node *> topo = tv->TopNodes();
        ShowNodeChildren(topo.isEmpty() ? nullptr : topo.front());
        bInit_ = true;
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "Form_Activate");
    }
}

void frmPermissoes::ShowNodeChildren(widgets::Node *node) {
    try {
        lv->Clear();
        if (!node) return;
        for (widgets::Node *filho : node->ChildList()) {
            widgets::ListItem *item = lv->Add(filho->Key(), filho->Text(), filho->Image());
            item->setTag(filho->Tag());
        }
    } catch (...) {
        FIN_TRAP_RERAISE(nome(), "ShowNodeChildren");
    }
}

bool frmPermissoes::eventFilter(QObject *o, QEvent *e) {
    if (e->type() == QEvent::FocusIn) {
        if (o == tv) {
            ultima_ = Vista::Arvore;
            tv->setHideSelection(false);
            lv->setHideSelection(true);
        } else if (o == lv) {
            ultima_ = Vista::Lista;
            lv->setHideSelection(false);
            tv->setHideSelection(true);
        }
    }
    return platform::ui::Form::eventFilter(o, e);
}

void frmPermissoes::darPermissao(long valor, const char *procedimento) {
    try {
        aplicar(valor);
    } catch (...) {
        FIN_TRAP_REPORT(nome(), procedimento);
    }
}

void frmPermissoes::aplicar(long valor) {
    const QString imagem = ui::ImagemDePermissao(valor);
    if (ultima_ == Vista::Lista) {
        for (widgets::ListItem *li : lv->Items()) {
            if (!li->Selected()) continue;
            std::shared_ptr<CPermissao> item = ObjetoDoPonteiro(*raiz_, li->Tag());
            if (!DarPermissao(*item, mode_, valor)) {
                usuarioRemovido();
                return;
            }
            li->setSmallIcon(imagem);
            if (widgets::Node *no = tv->Item(li->Key())) ui::UpdateNodeIcons(*no, imagem);
        }
        lv->setFocus();
    } else if (ultima_ == Vista::Arvore) {
        widgets::Node *no = tv->SelectedItem();
        if (no && no->Key() != kRaiz) {
            std::shared_ptr<CPermissao> item = ObjetoDoPonteiro(*raiz_, no->Tag());
            if (!DarPermissao(*item, mode_, valor)) {
                usuarioRemovido();
                return;
            }
            ui::UpdateNodeIcons(*no, imagem);
            ShowNodeChildren(no);
        }
        tv->setFocus();
    }
}

// Every value still to give would be one more write for a user who is no
// longer there (and the tree shows rows the file no longer holds): the
// editor closes, and the user dialog that opened it with it.
void frmPermissoes::usuarioRemovido() {
    usuarioRemovido_ = true;
    Unload(platform::ui::vbFormCode);
}

void frmPermissoes::menuDeContexto(long valor, const char *procedimento) {
    try {
        QWidget *ativo = focusWidget();
        if (ativo == tv) {
            widgets::Node *no = tv->SelectedItem();
            if (!no) return;
            if (!UpdatePermissionsWithNode(*raiz_, mode_, *no, valor)) {
                usuarioRemovido();
                return;
            }
            ShowNodeChildren(tv->SelectedItem());
            tv->setFocus();
        } else if (ativo == lv) {
            aplicar(valor);
        }
    } catch (...) {
        FIN_TRAP_REPORT(nome(), procedimento);
    }
}

QMenu *frmPermissoes::MenuDeContexto() {
    if (QMenu *m = menuDaJanelaPrincipal()) return m;
    if (!menuProprio_) {
        menuProprio_ = new QMenu(this);
        menuProprio_->setObjectName(QStringLiteral("mnuPopup2"));
        struct E {
            const char *nome, *texto;
            void (frmPermissoes::*slot)();
        };
        const E es[] = {{"mnuPop2Total", "Permissão &Total", &frmPermissoes::mnuPopTotal},
                        {"mnuPop2Gravar", "Permissão Só Para &Gravar", &frmPermissoes::mnuPopGravar},
                        {"mnuPop2Ler", "Permissão Só Para &Ler", &frmPermissoes::mnuPopLer},
                        {"mnuPop2Sem", "&Remover Todas Permissões", &frmPermissoes::mnuPopSem}};
        for (const E &e : es) {
            QAction *a = menuProprio_->addAction(QString::fromUtf8(e.texto));
            a->setObjectName(QString::fromLatin1(e.nome));
            connect(a, &QAction::triggered, this, e.slot);
        }
    }
    return menuProprio_;
}

void frmPermissoes::mostrarMenu(const QPoint &global) {
    if (ui::MainForm) ui::MainForm->setProperty("ActivePermissions", QVariant::fromValue<QObject *>(this));
    MenuDeContexto()->popup(global);
}

void frmPermissoes::tv_NodeClick(widgets::Node *node) {
    try {
        ShowNodeChildren(node);
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "tv_NodeClick");
    }
}

void frmPermissoes::tv_MouseDown(int button, int shift, const QPoint &pos) {
    (void)shift;
    try {
        widgets::Node *no = tv->HitTest(pos);
        if (button != 2 || !no || no->Key() == kRaiz) return;
        tv->setSelectedItem(no);
        ShowNodeChildren(no);
        mostrarMenu(tv->viewport()->mapToGlobal(pos));
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "tv_MouseDown");
    }
}

void frmPermissoes::lv_MouseDown(int button, int shift, const QPoint &pos) {
    (void)shift;
    try {
        widgets::ListItem *item = lv->HitTest(pos);
        if (button != 2 || !item) return;
        item->setSelected(true);
        mostrarMenu(lv->viewport()->mapToGlobal(pos));
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "lv_MouseDown");
    }
}

void frmPermissoes::lv_DblClick() {
    try {
        widgets::ListItem *item = nullptr;
        try {
            item = lv->HitTest(lv->viewport()->mapFromGlobal(QCursor::pos()));
        } catch (...) {
            item = nullptr;
        }
        if (item) {
            if (widgets::Node *no = tv->Item(item->Key())) {
                no->EnsureVisible();
                if (no->Children() > 0) no->setExpanded(true);
                tv->setSelectedItem(no);
                ShowNodeChildren(no);
            }
        }
        tv->setFocus();
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "lv_DblClick");
    }
}

void frmPermissoes::cmdFechar_Click() { Unload(platform::ui::vbFormCode); }

} // namespace security
