#include "shell/MainForm.h"

#include "ui/AppContext.h"
#include "ui/Errors.h"
#include "ui/Sessao.h"
#include "platform/app/Application.h"
#include "shell/ImagensDaJanelaPrincipal.h"
#include "ui/SubCls.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace shell {

using ui::FecharBanco;
using ui::InstalarFundoMDI;
using ui::RemoverFundoMDI;
using ui::gDB;

MainForm::MainForm(QWidget *parent) : platform::ui::Form(parent) {
    setObjectName(QStringLiteral("MainForm"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The frame with the menu bar and toolbar lives inside the form, so that
    // the form's load and unload govern the whole window.
    janela_ = new QMainWindow(this);
    // A main window is always created as a window of its own; made a plain
    // child it has to be shown again, to appear with the form.
    janela_->setWindowFlags(Qt::Widget);
    janela_->show();
    janela_->setObjectName(QStringLiteral("MDIFrame"));
    mdi_ = new QMdiArea(janela_);
    mdi_->setObjectName(QStringLiteral("MDIClient"));
    janela_->setCentralWidget(mdi_);
    layout->addWidget(janela_);
    // The dialogs and child windows wear the main window's icon.
    setWindowIcon(IconePrincipal());
    QApplication::setWindowIcon(windowIcon());
    CriarMenus();
    CriarBarraDeFerramentas();
    resize(800, 600);
}

void MainForm::Form_Load() {
    try {
        InstalarFundoMDI(mdi_);
        setWindowTitle(QStringLiteral("%1 %2.%3")
                           .arg(platform::App::Title())
                           .arg(platform::App::Major())
                           .arg(platform::App::Minor()));
        AjustaAPermissoes();
        mdi_->setBackground(QColor(88, 107, 127));
        setWindowState(windowState() | Qt::WindowMaximized);
    } catch (...) {
        // Closes right after appearing, so that the unload runs and the program ends.
        FIN_TRAP_REPORT_CLOSE(this, "MainForm", "MDIForm_Load");
    }
}

void MainForm::Form_Unload(bool &cancel) {
    (void)cancel;
    // Nothing here may keep the program from ending.
    try {
        for (platform::ui::Form *f : platform::ui::Forms::Loaded())
            if (f != this && f->SubWindow() && f->SubWindow()->mdiArea() == mdi_)
                f->Unload(platform::ui::vbFormMDIForm);
    } catch (...) {
    }
    try {
        RemoverFundoMDI(mdi_);
    } catch (...) {
    }
    if (platform::ui::Forms::mdiArea() == mdi_)
        platform::ui::Forms::setMdiArea(nullptr);
    FecharBanco(gDB);
}

QAction *MainForm::Item(const QString &nome) const {
    if (auto *menu = janela_->findChild<QMenu *>(nome))
        return menu->menuAction();
    for (QAction *a : janela_->findChildren<QAction *>(nome))
        if (!a->property("fin_botao").toBool())
            return a;
    return nullptr;
}

QAction *MainForm::Botao(const QString &key) const {
    if (!tb)
        return nullptr;
    for (QAction *a : tb->actions())
        if (a->property("fin_botao").toBool() && a->objectName() == key)
            return a;
    return nullptr;
}

void MainForm::Fechar() {
    // The close box's road: the unload runs and, with no window left, the
    // message loop ends.
    close();
}

void MainForm::mnuCadSair_Click() { Fechar(); }
void MainForm::mnuOperSair_Click() { Fechar(); }

shell::MainForm *JanelaPrincipal() {
    auto *janela = qobject_cast<shell::MainForm *>(ui::MainForm.data());
    return janela && janela->IsLoaded() ? janela : nullptr;
}

bool MostrarJanelaPrincipal() {
    auto *janela = new shell::MainForm();
    ui::MainForm = janela;
    // The frame itself is a top-level window, not a child of a client area.
    platform::ui::Forms::setMdiArea(nullptr);
    janela->ShowModeless();
    if (!janela->IsLoaded())
        return false;
    platform::ui::Forms::setMdiArea(janela->AreaMDI());
    return true;
}

} // namespace shell
