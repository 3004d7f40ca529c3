#include "charts/frmPlano.h"

#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "ui/Views.h"
#include "ui/CarregarArvores.h"
#include "ui/IconesDasArvores.h"
#include "charts/frmItemDet.h"
#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/print/Printer.h"
#include "platform/ui/Messages.h"
#include "db/SqlTexto.h"
#include "ui/CHourGlass.h"
#include "ui/Impressao.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <cmath>

namespace charts {

using db::Plano;
using ui::AdicionarFilhoFicticio;
using ui::AdicionarImagens;
using ui::CarregarArvore;
using ui::CarregarRamo;
using ui::ChavesDoEditor;
using ui::RemoverFilhos;

namespace {

QRect tw(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }

// A command or menu of the main window, found by its object name.
template <typename T>
T *doMenuPrincipal(const QString &nome) {
    if (ui::MainForm) {
        if (auto *a = ui::MainForm->findChild<T *>(nome)) return a;
    }
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *a = w->findChild<T *>(nome)) return a;
    return nullptr;
}

QAction *entradaPopup(QMenu *menu, const char *nome) {
    for (QAction *a : menu->findChildren<QAction *>(QString::fromLatin1(nome))) return a;
    for (QAction *a : menu->actions())
        if (a->objectName() == QLatin1String(nome)) return a;
    return nullptr;
}

} // namespace

frmPlano::frmPlano(Plano plano, QWidget *parent) : platform::ui::Form(parent), plano_(plano) {
    const bool conta = plano == Plano::Contas;
    setObjectName(conta ? QStringLiteral("frmContas") : QStringLiteral("frmMovimentacoes"));
    AdicionarImagens(imagens_, ChavesDoEditor(conta ? QStringLiteral("IMG_CONTA") : QStringLiteral("IMG_RECDESP")));

    lblAjuda = new QLabel(this);
    lblAjuda->setObjectName(conta ? QStringLiteral("lblHelp") : QStringLiteral("Label1"));
    lblAjuda->setWordWrap(true);
    lblAjuda->setText(
        conta ? QStringLiteral("Aqui você cadastra suas contas de manutenção de capital, tais como contas bancárias, "
                               "cartões de crédito, carteira, etc. Para criar subcontas, selecione uma conta e clique "
                               "no botão \"Nova ...\" para que as novas contas se tornem subcontas dela.")
              : QStringLiteral("Aqui você cadastra os tipos de recebimentos e despesas comuns ao seu tipo de "
                               "atividade. Para criar subtipos, selecione um item e clique no botão \"Novo ...\" para "
                               "que os novos tipos se tornem subitens dele."));
    lblAjuda->setGeometry(conta ? tw(60, 60, 7275, 585) : tw(60, 60, 7245, 645));

    tv = new widgets::TreeView(this);
    tv->setObjectName(QStringLiteral("tv"));
    tv->setImageList(&imagens_);
    tv->setGeometry(conta ? tw(0, 690, 7365, 4245) : tw(0, 690, 7365, 4425));
    connect(tv, &widgets::TreeView::Expand, this, &frmPlano::tv_Expand);
    connect(tv, &widgets::TreeView::Collapse, this, &frmPlano::tv_Collapse);
    connect(tv, &widgets::TreeView::NodeClick, this, &frmPlano::tv_NodeClick);
    connect(tv, &widgets::TreeView::MouseDown, this, &frmPlano::tv_MouseDown);

    const int topo = conta ? 5010 : 5220;
    const int esquerdas[6] = {conta ? 90 : 120, conta ? 1305 : 1332, conta ? 2520 : 2544,
                              conta ? 3735 : 3756, conta ? 4950 : 4968, 6180};
    const QString textos[6] = {conta ? QStringLiteral("&Nova ...") : QStringLiteral("&Novo ..."),
                               QStringLiteral("&Alterar ..."), QStringLiteral("Desati&var"),
                               QStringLiteral("E&xcluir"), QStringLiteral("&Imprimir"), QStringLiteral("&Fechar")};
    QPushButton **botoes[6] = {&cmdAdd, &cmdAlterar, &cmdDesativar, &cmdExcluir, &cmdImprimir, &cmdFechar};
    const char *nomes[6] = {"cmdAdd", "cmdAlterar", "cmdDesativar", "cmdExcluir", "cmdImprimir", "cmdFechar"};
    for (int i = 0; i < 6; ++i) {
        *botoes[i] = new QPushButton(textos[i], this);
        (*botoes[i])->setObjectName(QString::fromLatin1(nomes[i]));
        (*botoes[i])->setGeometry(tw(esquerdas[i], topo, 1095, 345));
    }
    connect(cmdAdd, &QPushButton::clicked, this, &frmPlano::cmdAdd_Click);
    connect(cmdAlterar, &QPushButton::clicked, this, &frmPlano::cmdAlterar_Click);
    connect(cmdDesativar, &QPushButton::clicked, this, &frmPlano::cmdDesativar_Click);
    connect(cmdExcluir, &QPushButton::clicked, this, &frmPlano::cmdExcluir_Click);
    connect(cmdImprimir, &QPushButton::clicked, this, &frmPlano::cmdImprimir_Click);
    connect(cmdFechar, &QPushButton::clicked, this, &frmPlano::cmdFechar_Click);
    setFixedSize(7365 / 15, (conta ? 5460 : 5625) / 15);
    platform::ui::AcomodarRotulo(lblAjuda);
}

frmPlano::~frmPlano() = default;

frmContas::frmContas(QWidget *parent) : frmPlano(Plano::Contas, parent) {}
frmMovimentacoes::frmMovimentacoes(QWidget *parent) : frmPlano(Plano::RecDesp, parent) {}

const char *frmPlano::nome() const { return plano_ == Plano::Contas ? "frmContas" : "frmMovimentacoes"; }

QString frmPlano::img(const QString &sufixo) const {
    return (plano_ == Plano::Contas ? QStringLiteral("IMG_CONTA") : QStringLiteral("IMG_RECDESP")) + sufixo;
}

bool frmPlano::ativo(const widgets::Node *n) const { return n->Image() == img(QString()); }

widgets::Node *frmPlano::selecionado() const {
    try {
        return tv->SelectedItem();
    } catch (...) {
        return nullptr;
    }
}

void frmPlano::focoNaArvore() { tv->setFocus(); }

void frmPlano::broadcast() {
    long hint = plano_ == Plano::Contas ? ui::kHintContas : ui::kHintRecDesp;
    ui::UpdateAllViews(hint, this);
}

void frmPlano::entradaDoMenu(bool habilitada) {
    const QString nomeEntrada = plano_ == Plano::Contas ? QStringLiteral("mnuCadContas") : QStringLiteral("mnuCadTiposRecDesp");
    if (QAction *a = doMenuPrincipal<QAction>(nomeEntrada)) a->setEnabled(habilitada);
}

// The item of n is not the one this window loaded (another copy deleted it,
// perhaps giving its code to a new item): says so, and reloads the branch.
void frmPlano::itemMudado(widgets::Node *n) {
    ui::MsgBox(core::arvores::MensagemDeItemMudado(plano_, n->Text()), platform::ui::vbInformation);
    recarregar(n);
}

// Reloads from the book the branch that shows n: the children of its nearest
// ancestor still stored as this window loaded it, so that a removed item
// goes and an item now under its code shows as it is. Selects what now
// stands at n's key, else that ancestor. n is gone afterwards.
void frmPlano::recarregar(widgets::Node *n) {
    const QString chave = n->Key();
    widgets::Node *a = n->Key() == QStringLiteral("_000") ? n : n->Parent();
    while (a && a->Key() != QStringLiteral("_000") &&
           core::arvores::LerEstadoDoItem(*ui::gDB, plano_, a->Key().mid(1), a->Tag().toLong()) ==
               core::arvores::EstadoDoItem::Mudado)
        a = a->Parent();
    if (!a) return;
    if (a->Children() > 0) RemoverFilhos(*tv, *a);
    CarregarRamo(plano_, *tv, *a, true);
    if (a->Children() == 0) {
        a->setExpanded(false);
        tv_Collapse(a);
    } else if (!a->Expanded()) {
        a->setExpanded(true);
    }
    widgets::Node *agora = tv->Item(chave);
    tv->setSelectedItem(agora ? agora : a);
    tv_NodeClick(tv->SelectedItem());
}

// ---- load and unload ----------------------------------------------------------

void frmPlano::Form_Load() {
    try {
        entradaDoMenu(false);
        platform::ui::SetProp(this, "Ponteiro", QVariant::fromValue<QObject *>(this));
        if (ui::MainForm) setWindowIcon(ui::MainForm->windowIcon());
        setWindowTitle(platform::App::Title() + (plano_ == Plano::Contas ? QStringLiteral(" - Contas de Capital")
                                                                          : QStringLiteral(" - Tipos de Receitas e Despesas")));
        CarregarArvore(plano_, *tv);
    } catch (...) {
        FIN_TRAP_REPORT_CLOSE(this, nome(), "Form_Load");
    }
}

void frmPlano::Form_Unload(bool &cancel) {
    (void)cancel;
    try {
        platform::ui::RemoveProp(this, "Ponteiro");
    } catch (...) {
    }
    try {
        entradaDoMenu(true);
    } catch (...) {
    }
}

void frmPlano::cmdFechar_Click() { Unload(platform::ui::vbFormCode); }

void frmPlano::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Escape) {
        cmdFechar_Click();
        return;
    }
    platform::ui::Form::keyPressEvent(e);
}

// ---- tree events --------------------------------------------------------------

void frmPlano::tv_Expand(widgets::Node *node) {
    try {
        if (expandindo_) return;
        expandindo_ = true;
        if (node->Children() > 0) RemoverFilhos(*tv, *node);
        CarregarRamo(plano_, *tv, *node, true);
        node->setSelectedImage(ativo(node) ? img(QStringLiteral("SELEXP")) : img(QStringLiteral("INATSELEXP")));
        if (node->Key() == QStringLiteral("_000")) tv->setLineStyle(widgets::tvwTreeLines);
        expandindo_ = false;
    } catch (...) {
        // A failed load must not stop every later expansion of the window.
        expandindo_ = false;
        FIN_TRAP_REPORT(nome(), "tv_Expand");
    }
}

void frmPlano::tv_Collapse(widgets::Node *node) {
    try {
        if (node->Children() > 0) {
            RemoverFilhos(*tv, *node);
            AdicionarFilhoFicticio(*tv, *node);
        }
        node->setSelectedImage(ativo(node) ? img(QStringLiteral("SEL")) : img(QStringLiteral("INATSEL")));
        if (node->Key() == QStringLiteral("_000") && node->Children() > 0) tv->setLineStyle(widgets::tvwRootLines);
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "tv_Collapse");
    }
}

void frmPlano::tv_NodeClick(widgets::Node *node) {
    try {
        const bool item = node->Key() != QStringLiteral("_000");
        cmdAlterar->setEnabled(item);
        cmdDesativar->setEnabled(item);
        cmdExcluir->setEnabled(item);
        cmdDesativar->setText(ativo(node) ? QStringLiteral("Desati&var") : QStringLiteral("Ati&var"));
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "tv_NodeClick");
    }
}

QMenu *frmPlano::MenuDeContexto() {
    if (auto *m = doMenuPrincipal<QMenu>(QStringLiteral("mnuPopup"))) return m;
    if (!menuProprio_) {
        menuProprio_ = new QMenu(this);
        menuProprio_->setObjectName(QStringLiteral("mnuPopup"));
        struct E { const char *nome; const char *texto; void (frmPlano::*slot)(); };
        const E es[] = {{"mnuPopNovo", "&Novo ...", &frmPlano::mnuPopNovo},
                        {"mnuPopAlterar", "&Alterar ...", &frmPlano::mnuPopAlterar},
                        {"mnuPopDesativar", "Desati&var", &frmPlano::mnuPopDesativar},
                        {"mnuPopExcluir", "E&xcluir", &frmPlano::mnuPopExcluir}};
        for (const E &e : es) {
            QAction *a = menuProprio_->addAction(QString::fromUtf8(e.texto));
            a->setObjectName(QString::fromLatin1(e.nome));
            connect(a, &QAction::triggered, this, e.slot);
        }
    }
    return menuProprio_;
}

void frmPlano::tv_MouseDown(int button, int shift, const QPoint &pos) {
    (void)shift;
    try {
        widgets::Node *n = tv->HitTest(pos);
        if (button != 2 || !n) return;
        tv->setSelectedItem(n);
        QMenu *menu = MenuDeContexto();
        const bool item = n->Key() != QStringLiteral("_000");
        if (QAction *a = entradaPopup(menu, "mnuPopAlterar")) a->setEnabled(item);
        if (QAction *a = entradaPopup(menu, "mnuPopExcluir")) a->setEnabled(item);
        if (QAction *a = entradaPopup(menu, "mnuPopDesativar")) {
            a->setEnabled(item);
            a->setText(ativo(n) ? QStringLiteral("Desati&var") : QStringLiteral("Ati&var"));
        }
        menu->popup(tv->viewport()->mapToGlobal(pos));
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "tv_MouseDown");
    }
}

// ---- popup routes ---------------------------------------------------------------

void frmPlano::mnuPopNovo() { cmdAdd_Click(); focoNaArvore(); }
void frmPlano::mnuPopAlterar() { cmdAlterar_Click(); focoNaArvore(); }
void frmPlano::mnuPopDesativar() { cmdDesativar_Click(); focoNaArvore(); }
void frmPlano::mnuPopExcluir() { cmdExcluir_Click(); focoNaArvore(); }

// ---- commands -------------------------------------------------------------------

void frmPlano::cmdAdd_Click() {
    std::unique_ptr<frmItemDet> dlg;
    try {
        widgets::Node *n = selecionado();
        if (!n) {
            ui::MsgBox(QStringLiteral("Selecione um item na árvore para ser o item pai."), platform::ui::vbInformation);
            focoNaArvore();
            return;
        }
        if (n->Image() == img(QStringLiteral("INAT"))) {
            ui::MsgBox(core::arvores::MensagemDePaiInativo(plano_), platform::ui::vbInformation);
            focoNaArvore();
            return;
        }
        if (plano_ == Plano::Contas) dlg = std::make_unique<frmContaDet>();
        else dlg = std::make_unique<frmMovDet>();
        dlg->Load();
        dlg->SetMode(kIncluirItem);
        dlg->CodPai = n->Key().mid(1);
        dlg->IdPai = n->Tag().toLong();
        dlg->ShowModal();
        if (dlg->Cancelado) {
            if (dlg->Resultado == core::arvores::Escrita::Mudado) {
                itemMudado(n);
                focoNaArvore();
            } else if (dlg->Resultado == core::arvores::Escrita::PaiInativo) {
                // Another copy deactivated it: the branch shows it inactive now.
                ui::MsgBox(core::arvores::MensagemDePaiInativo(plano_), platform::ui::vbInformation);
                recarregar(n);
                focoNaArvore();
            }
            return;
        }
        if (n->Expanded()) {
            widgets::Node *novo = tv->Add(n->Key(), widgets::tvwChild, QStringLiteral("_") + dlg->Codigo,
                                          dlg->Descricao(), img(QString()), img(QStringLiteral("SEL")));
            novo->setTag(QString::number(dlg->Id()));
            novo->setExpandedImage(img(QStringLiteral("EXP")));
            novo->EnsureVisible();
            novo->setSorted(true);
        } else {
            if (n->Children() > 0) RemoverFilhos(*tv, *n);
            CarregarRamo(plano_, *tv, *n, true);
            n->setExpanded(true);
        }
        dlg.reset();
        focoNaArvore();
        ui::gTemDados |= plano_ == Plano::Contas ? ui::kTemContas : ui::kTemRecDesp;
        broadcast();
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "cmdAdd_Click");
        focoNaArvore();
    }
}

void frmPlano::cmdAlterar_Click() {
    try {
        widgets::Node *n = selecionado();
        if (!n) return;
        if (n->Key() == QStringLiteral("_000")) {
            ui::MsgBox(QStringLiteral("Este item não pode ser alterado."), platform::ui::vbInformation);
            focoNaArvore();
            return;
        }
        std::unique_ptr<frmItemDet> dlg;
        if (plano_ == Plano::Contas) dlg = std::make_unique<frmContaDet>();
        else dlg = std::make_unique<frmMovDet>();
        dlg->Load();
        dlg->SetMode(kRenomearItem);
        dlg->SetDescricao(n->Text());
        dlg->SetId(n->Tag().toLong());
        dlg->Codigo = n->Key().mid(1);
        dlg->ShowModal();
        if (dlg->Cancelado) {
            if (dlg->Resultado == core::arvores::Escrita::Mudado) itemMudado(n);
            focoNaArvore();
            return;
        }
        n->setText(dlg->Descricao());
        focoNaArvore();
        dlg.reset();
        broadcast();
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "cmdAlterar_Click");
    }
}

void frmPlano::cmdDesativar_Click() {
    try {
        widgets::Node *n = selecionado();
        if (!n) {
            ui::MsgBox(QStringLiteral("Nenhum item está selecionado."), platform::ui::vbInformation);
            focoNaArvore();
            return;
        }
        if (n->Key() == QStringLiteral("_000")) {
            ui::MsgBox(QStringLiteral("Este item não pode ser alterado."), platform::ui::vbInformation);
            focoNaArvore();
            return;
        }
        const QString codigo = n->Key().mid(1);
        if (ativo(n)) {
            if (ui::MsgBox(QStringLiteral("Tem certeza de que pretende desativar o item '") + n->Text() +
                               QStringLiteral("' e todos os seus subitens?"),
                           platform::ui::vbYesNo | platform::ui::vbQuestion) == platform::ui::vbNo) {
                focoNaArvore();
                return;
            }
            if (core::arvores::Desativar(plano_, codigo, n->Tag().toLong()) == core::arvores::Escrita::Mudado) {
                itemMudado(n);
                focoNaArvore();
                return;
            }
            n->setImage(img(QStringLiteral("INAT")));
            n->setExpandedImage(img(QStringLiteral("INATEXP")));
            n->setSelectedImage(img(QStringLiteral("INATSEL")));
            if (n->Expanded()) {
                RemoverFilhos(*tv, *n);
                CarregarRamo(plano_, *tv, *n, true);
            }
        } else {
            widgets::Node *pai = n->Parent();
            if (pai && pai->Image() == img(QStringLiteral("INAT"))) {
                ui::MsgBox(core::arvores::kMsgAtivarSobInativo, platform::ui::vbInformation);
                focoNaArvore();
                return;
            }
            switch (core::arvores::Ativar(plano_, codigo, n->Tag().toLong())) {
            case core::arvores::Escrita::Gravado:
            case core::arvores::Escrita::Recusado: // a new child's outcome only
                break;
            case core::arvores::Escrita::Mudado:
                itemMudado(n);
                focoNaArvore();
                return;
            case core::arvores::Escrita::PaiInativo:
                // Another copy deactivated the parent: its branch shows it now.
                ui::MsgBox(core::arvores::kMsgAtivarSobInativo, platform::ui::vbInformation);
                if (pai) recarregar(pai);
                focoNaArvore();
                return;
            }
            n->setImage(img(QString()));
            n->setExpandedImage(img(QStringLiteral("EXP")));
            n->setSelectedImage(img(QStringLiteral("SEL")));
            ui::MsgBox(n->Children() > 0 ? QStringLiteral("Item ativado. Os itens filhos não são ativados automaticamente.")
                                         : QStringLiteral("Item ativado."),
                       platform::ui::vbInformation);
        }
        focoNaArvore();
        broadcast();
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "cmdDesativar_Click");
    }
}

void frmPlano::cmdExcluir_Click() {
    try {
        widgets::Node *n = selecionado();
        if (!n) return;
        if (n->Key() == QStringLiteral("_000")) {
            ui::MsgBox(QStringLiteral("Este item não pode ser excluído."), platform::ui::vbOKOnly);
            focoNaArvore();
            return;
        }
        if (ui::MsgBox(QStringLiteral("Tem certeza de que pretende excluir o item '") + n->Text() +
                           QStringLiteral("' e todos os seus subitens?"),
                       platform::ui::vbYesNo | platform::ui::vbQuestion) == platform::ui::vbNo) {
            focoNaArvore();
            return;
        }
        widgets::Node *pai = n->Parent();
        if (Excluir(plano_, n->Key().mid(1), n->Tag().toLong()) == core::arvores::Exclusao::Mudado) {
            itemMudado(n);
            focoNaArvore();
            return;
        }
        tv->Remove(n->Key());
        if (pai && pai->Children() == 0) {
            pai->setExpanded(false);
            tv_Collapse(pai);
        }
        if (tv->Count() == 1) ui::gTemDados &= ~(plano_ == Plano::Contas ? ui::kTemContas : ui::kTemRecDesp);
        focoNaArvore();
        broadcast();
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "cmdExcluir_Click");
    }
}

// ---- printing -------------------------------------------------------------------

void frmPlano::cmdImprimir_Click() {
    try {
        ImprimeContas(print::ThePrinter());
    } catch (...) {
        FIN_TRAP_REPORT(nome(), "cmdImprimir_Click");
    }
}

void frmPlano::ImprimeContas(print::Printer &p) {
    try {
        ui::CHourGlass hg;
        hg.Show(true);
        const ui::FolhaDeRelatorio folha = ui::PrepararFolha(p, print::vbPRORPortrait, 900);
        offsetX_ = folha.offsetX;
        reservaInferior_ = float(folha.reservaInferior);
        topo_ = folha.topo;
        larguraCaractere_ = float(folha.larguraCaractere);
        alturaLinha_ = float(folha.alturaCaractere);
        pagina_ = 0;
        dataImpressao_ = QDateTime::currentDateTime();
        long linha = 999, y = 0;
        long x0 = std::lround((p.Width() - 51 * double(larguraCaractere_)) / 2 - offsetX_);
        ImprimeItensFilhosOrdenados(p, QStringLiteral("000"), x0, y, linha);
        // The composed job goes to the printer only now; a failure to send
        // it is reported, not followed by the closing message.
        p.EndDoc();
        hg.Show(false);
        ui::MsgBox(QStringLiteral("Impressão concluída."), platform::ui::vbInformation);
    } catch (...) {
        ui::Trap(nome(), "ImprimeContas", __LINE__);
        ui::CancelarImpressao(p);
        ui::Reraise();
    }
}

void frmPlano::ImprimeCabecalho(print::Printer &p) {
    try {
        const bool conta = plano_ == Plano::Contas;
        const QString titulo = conta ? QStringLiteral("CADASTRO DE CONTAS") : QStringLiteral("CADASTRO DE RECEITAS E DESPESAS");
        const QString subtitulo = conta ? QStringLiteral("CONTAS") : QStringLiteral("RECEITAS E DESPESAS");
        const long esquerda = offsetX_ < 900 ? 900 - offsetX_ : 0;
        ++pagina_;
        ui::ImprimirTopoDaPagina(p, topo_, esquerda + 2 * double(larguraCaractere_), pagina_, titulo, offsetX_,
                                 dataImpressao_);
        p.setCurrentY(topo_ + 600);
        p.setCurrentX(std::round((p.Width() - p.TextWidth(subtitulo)) / 2 - offsetX_));
        p.Print(subtitulo);
        p.setDrawWidth(2);
        const double x = std::round((p.Width() - 51 * double(larguraCaractere_)) / 2 - offsetX_);
        p.setCurrentX(x);
        p.Line(x, p.CurrentY(), x + 51 * double(larguraCaractere_), p.CurrentY());
    } catch (...) {
        FIN_TRAP_RERAISE(nome(), plano_ == Plano::Contas ? "ImprimeCabecalho" : "ImprimeCabecalhoRecDesp");
    }
}

void frmPlano::ImprimeItensFilhosOrdenados(print::Printer &p, const QString &codPai, long &x0, long &y, long &linha) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        const bool conta = plano_ == Plano::Contas;
        const QString campo = conta ? QStringLiteral("DesConta") : QStringLiteral("DesMovimentacao");
        rs = ui::gDB->OpenRecordset(QStringLiteral("SELECT ") + campo + QStringLiteral(", Codigo FROM ") +
                                        (conta ? QStringLiteral("Contas") : QStringLiteral("TiposMovimentacoes")) +
                                        QStringLiteral(" WHERE Codigo <> '000' AND CodPai = ") + db::SqlTexto(codPai) +
                                        QStringLiteral(" ORDER BY ") + campo.toUpper(),
                                    dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext()) {
            const QString codigo = rs->Field(QStringLiteral("Codigo")).toString();
            const long nivel = ((codigo.size() + 1) / 4) - 1;
            if (linha > linhasPorPagina_) {
                const ui::PaginaDeCorpo c =
                    ui::IniciarPaginaDeCorpo(p, pagina_, [&] { ImprimeCabecalho(p); }, alturaLinha_ + 20, reservaInferior_);
                y = std::lround(c.topo);
                linhasPorPagina_ = c.linhas;
                linha = 1;
            }
            p.setCurrentX(x0 + nivel * 3 * double(larguraCaractere_));
            p.setCurrentY(y);
            p.Print(rs->Field(campo).toString());
            y = std::lround(p.CurrentY() + 20);
            ++linha;
            ImprimeItensFilhosOrdenados(p, codigo, x0, y, linha);
        }
        db::FecharRecordset(rs);
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE("Module1", "ImprimeItensFilhosOrdenados");
    }
}

// ---- opening from the main window ---------------------------------------------

namespace {
template <typename F>
F *abrir(QMdiArea *area) {
    if (area && !platform::ui::Forms::mdiArea()) platform::ui::Forms::setMdiArea(area);
    auto *f = new F();
    f->ShowModeless();
    return f;
}
} // namespace

frmContas *AbrirCadastroDeContas(QMdiArea *area) { return abrir<frmContas>(area); }
frmMovimentacoes *AbrirCadastroDeTiposRecDesp(QMdiArea *area) { return abrir<frmMovimentacoes>(area); }

} // namespace charts
