// The main window's menu tree, toolbar and context menus, built from tables,
// and the routing of the toolbar and of the context menus.
#include "shell/MainForm.h"

#include "ui/Errors.h"
#include "platform/ui/Form.h"
#include "shell/ImagensDaJanelaPrincipal.h"
#include "shell/MenusDeContexto.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QToolBar>

namespace shell {
namespace {

using Comando = void (MainForm::*)();

enum Estado { Normal = 0, Oculto = 1, Desabilitado = 2 };

// A menu and its entries; an entry without a command is a separator.
struct Entrada {
    QAction *MainForm::*membro;
    const char *nome;
    const char *caption;
    int estado;
    Comando comando;
};
struct Menu {
    QMenu *MainForm::*membro;
    const char *nome;
    const char *caption;
    int estado;
    bool naBarra; // false: a context menu
    std::initializer_list<Entrada> entradas;
};

#define FIN_E(nome, caption, estado) {&MainForm::nome, #nome, caption, estado, &MainForm::nome##_Click}
#define FIN_SEP(nome) {&MainForm::nome, #nome, "-", Normal, nullptr}

const Menu kMenus[] = {
    {&MainForm::mnuCadastros, "mnuCadastros", "&Cadastros", Oculto, true,
     {FIN_E(mnuCadContas, "&Cadastro de Contas de Capital (bancárias, cartões, etc)", Normal),
      FIN_E(mnuCadTiposRecDesp, "Cadastro de &Tipos de Receitas e Despesas", Normal), FIN_SEP(mnuArqBar2),
      FIN_E(mnuCadSair, "&Sair", Normal)}},
    {&MainForm::mnuOperacoes, "mnuOperacoes", "&Operações", Normal, true,
     {FIN_E(mnuOperLancamentos, "&Lançamentos", Desabilitado),
      FIN_E(mnuOperPendencias, "&Pendências e Baixas", Desabilitado),
      FIN_E(mnuOperPesqDoc, "Pesquisa de Lançamentos P&or Documento", Desabilitado), FIN_SEP(mnuOperBar1),
      FIN_E(mnuOperExtratosContas, "&Extratos de Contas de Capital", Desabilitado),
      FIN_E(mnuOperExtratosRecDesp, "Extratos de &Receitas e Despesas", Desabilitado), FIN_SEP(mnuOperBar2),
      FIN_E(mnuOperBalContas, "Balanço de &Contas de Capital", Desabilitado),
      FIN_E(mnuOperBalRecDesp, "Balanço de Receitas e &Despesas", Desabilitado), FIN_SEP(mnuOperBar3),
      FIN_E(mnuOperPesqSaldosContas, "Pesquis&a de Saldos de Contas de Capital", Desabilitado),
      FIN_E(mnuOperPesqSaldosRecDesp, "Pesq&uisa de Saldos de Receitas/Despesas", Desabilitado),
      FIN_SEP(mnuOperBar4), FIN_E(mnuOperSair, "&Sair", Normal)}},
    {&MainForm::mnuSeguranca, "mnuSeguranca", "&Segurança", Oculto | Desabilitado, true,
     {FIN_E(mnuSegContas, "&Contas de Usuários", Normal)}},
    {&MainForm::mnuBD, "mnuBD", "&Banco de Dados", Oculto, true,
     {FIN_E(mnuBDCaminho, "&Informar novo caminho do banco de dados", Normal),
      FIN_E(mnuBDNew, "Criar &novo banco de dados ...", Normal)}},
    {&MainForm::mnuAjuda, "mnuAjuda", "&Ajuda", Normal, true,
     {FIN_E(mnuAjuConteudo, "&Conteúdo ...", Normal), FIN_E(mnuAjuSobre, "&Sobre o Finoteca ...", Normal),
      FIN_E(mnuAjuBrisaverde, "C&onheça também Brisaverde ...", Normal)}},
    {&MainForm::mnuPopup, "mnuPopup", "Popup", Oculto, false,
     {FIN_E(mnuPopNovo, "&Novo", Normal), FIN_E(mnuPopAlterar, "&Alterar", Normal),
      FIN_E(mnuPopDesativar, "Desati&var Tipo", Normal), FIN_E(mnuPopExcluir, "E&xcluir", Normal)}},
    {&MainForm::mnuPopup2, "mnuPopup2", "Popup2", Oculto, false,
     {FIN_E(mnuPop2Total, "Permissão &Total", Normal), FIN_E(mnuPop2Gravar, "Permissão Só Para &Gravar", Normal),
      FIN_E(mnuPop2Ler, "Permissão Só Para &Ler", Normal), FIN_E(mnuPop2Sem, "&Remover Todas Permissões", Normal)}},
};

#undef FIN_E
#undef FIN_SEP

// The toolbar, in order; a button without a key is a separator.
struct BotaoDaBarra {
    const char *key;
    const char *tooltip;
    const char *imagem;
    Comando comando;
};
const BotaoDaBarra kBotoes[] = {
    {"CONTAS", "Cadastro de Contas de Capital", "IMG_CONTAS", &MainForm::mnuCadContas_Click},
    {"RECDESP", "Cadastro de Tipos de Receitas e Despesas", "IMG_RECDESP", &MainForm::mnuCadTiposRecDesp_Click},
    {"USUARIOS", "Contas de Usuários", "IMG_USUARIOS", &MainForm::mnuSegContas_Click},
    {nullptr, nullptr, nullptr, nullptr},
    {"LANCAMENTOS", "Lançamentos", "IMG_LANCAMENTOS", &MainForm::mnuOperLancamentos_Click},
    {"BAIXAS", "Pendências e Baixas", "IMG_BAIXAS", &MainForm::mnuOperPendencias_Click},
    {nullptr, nullptr, nullptr, nullptr},
    {"PESQDOC", "Pesquisa de Lançamentos por Documento", "IMG_PESQDOC", &MainForm::mnuOperPesqDoc_Click},
    {nullptr, nullptr, nullptr, nullptr},
    {"EXTRACON", "Extratos de Contas de Capital", "IMG_EXTRACON", &MainForm::mnuOperExtratosContas_Click},
    {"EXTRARECDESP", "Extratos de Receitas e Despesas", "IMG_EXTRAREC", &MainForm::mnuOperExtratosRecDesp_Click},
    {nullptr, nullptr, nullptr, nullptr},
    {"BALCONTAS", "Balanços de Contas de Capital", "IMG_BALCONTAS", &MainForm::mnuOperBalContas_Click},
    {"BALRECDESP", "Balanços de Receitas e Despesas", "IMG_BALRECDESP", &MainForm::mnuOperBalRecDesp_Click},
    {nullptr, nullptr, nullptr, nullptr},
    {"SALDOSCONTAS", "Pesquisa de Saldos de Contas de Capital", "IMG_SALDOSCONTAS",
     &MainForm::mnuOperPesqSaldosContas_Click},
    {"SALDOSRECDESP", "Pesquisa de Saldos de Receitas/Despesas", "IMG_SALDOSRECDESP",
     &MainForm::mnuOperPesqSaldosRecDesp_Click},
    {nullptr, nullptr, nullptr, nullptr},
    {"AJUDA", "Ajuda", "IMG_AJUDA", &MainForm::mnuAjuConteudo_Click},
};

} // namespace

void MainForm::CriarMenus() {
    QMenuBar *barra = janela_->menuBar();
    for (const Menu &m : kMenus) {
        auto *menu = new QMenu(QString::fromUtf8(m.caption), janela_);
        menu->setObjectName(QString::fromUtf8(m.nome));
        this->*m.membro = menu;
        for (const Entrada &e : m.entradas) {
            QAction *a = e.comando ? menu->addAction(QString::fromUtf8(e.caption)) : menu->addSeparator();
            a->setObjectName(QString::fromUtf8(e.nome));
            a->setEnabled(!(e.estado & Desabilitado));
            a->setVisible(!(e.estado & Oculto));
            if (e.comando)
                connect(a, &QAction::triggered, this, [this, c = e.comando] { (this->*c)(); });
            this->*e.membro = a;
        }
        if (m.naBarra)
            barra->addMenu(menu);
        // A context menu stays out of the menu bar and is only ever popped up.
        menu->menuAction()->setEnabled(!(m.estado & Desabilitado));
        menu->menuAction()->setVisible(!(m.estado & Oculto));
        if (m.membro == &MainForm::mnuAjuda) {
            // "&Fluxometria ..." sits in the menu bar itself, after "&Ajuda".
            mnuFluxometria = barra->addAction(QStringLiteral("&Fluxometria ..."));
            mnuFluxometria->setObjectName(QStringLiteral("mnuFluxometria"));
            connect(mnuFluxometria, &QAction::triggered, this, [this] { mnuFluxometria_Click(); });
        }
    }
}

void MainForm::CriarBarraDeFerramentas() {
    tb = new QToolBar(janela_);
    tb->setObjectName(QStringLiteral("tb"));
    tb->setMovable(false);
    tb->setFloatable(false);
    tb->setIconSize(QSize(16, 16));
    janela_->addToolBar(Qt::TopToolBarArea, tb);
    for (const BotaoDaBarra &b : kBotoes) {
        if (!b.key) {
            tb->addSeparator();
            continue;
        }
        QAction *a = tb->addAction(ImagemDaBarra(QString::fromLatin1(b.imagem)), QString());
        a->setObjectName(QString::fromLatin1(b.key));
        a->setProperty("fin_botao", true);
        a->setToolTip(QString::fromUtf8(b.tooltip));
        connect(a, &QAction::triggered, this, [this, key = a->objectName()] { tb_ButtonClick(key); });
    }
}

void MainForm::tb_ButtonClick(const QString &key) {
    try {
        // The command runs directly: an entry a child window has disabled
        // does not stop its button. Each command reports its own errors.
        for (const BotaoDaBarra &b : kBotoes)
            if (b.key && key == QLatin1String(b.key)) {
                (this->*b.comando)();
                return;
            }
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "tb_ButtonClick");
    }
}

void MainForm::ChamarMenuDeContexto(const char *procedimento, QObject *alvo, const char *metodo) {
    try {
        if (!alvo)
            return;
        const QByteArray m(metodo);
        if (auto *p = dynamic_cast<IMenuPopup *>(alvo)) {
            if (m == "mnuPopNovo") p->mnuPopNovo();
            else if (m == "mnuPopAlterar") p->mnuPopAlterar();
            else if (m == "mnuPopDesativar") p->mnuPopDesativar();
            else if (m == "mnuPopExcluir") p->mnuPopExcluir();
            return;
        }
        if (auto *p = dynamic_cast<IMenuPermissoes *>(alvo)) {
            if (m == "mnuPopTotal") p->mnuPopTotal();
            else if (m == "mnuPopGravar") p->mnuPopGravar();
            else if (m == "mnuPopLer") p->mnuPopLer();
            else if (m == "mnuPopSem") p->mnuPopSem();
            return;
        }
        // Late bound by name: a window without such a procedure is left alone.
        const QMetaObject *meta = alvo->metaObject();
        const int i = meta->indexOfMethod(m + "()");
        if (i >= 0)
            meta->method(i).invoke(alvo, Qt::DirectConnection);
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", procedimento);
    }
}

namespace {
// The active child window of the client area: the chart editor that showed
// mnuPopup. The current sub-window is kept while the frame itself is not the
// active window (as while the context menu is open).
QObject *FilhaAtiva(QMdiArea *mdi) {
    QMdiSubWindow *s = mdi->currentSubWindow();
    return s ? s->widget() : nullptr;
}
} // namespace

void MainForm::mnuPopNovo_Click() { ChamarMenuDeContexto("mnuPopNovo_Click", FilhaAtiva(mdi_), "mnuPopNovo"); }
void MainForm::mnuPopAlterar_Click() {
    ChamarMenuDeContexto("mnuPopAlterar_Click", FilhaAtiva(mdi_), "mnuPopAlterar");
}
void MainForm::mnuPopDesativar_Click() {
    ChamarMenuDeContexto("mnuPopDesativar_Click", FilhaAtiva(mdi_), "mnuPopDesativar");
}
void MainForm::mnuPopExcluir_Click() {
    ChamarMenuDeContexto("mnuPopExcluir_Click", FilhaAtiva(mdi_), "mnuPopExcluir");
}
void MainForm::mnuPop2Total_Click() { ChamarMenuDeContexto("mnuPop2Total_Click", ActivePermissions, "mnuPopTotal"); }
void MainForm::mnuPop2Gravar_Click() {
    ChamarMenuDeContexto("mnuPop2Gravar_Click", ActivePermissions, "mnuPopGravar");
}
void MainForm::mnuPop2Ler_Click() { ChamarMenuDeContexto("mnuPop2Ler_Click", ActivePermissions, "mnuPopLer"); }
void MainForm::mnuPop2Sem_Click() { ChamarMenuDeContexto("mnuPop2Sem_Click", ActivePermissions, "mnuPopSem"); }

} // namespace shell
