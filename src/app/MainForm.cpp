#include "app/MainForm.h"

#include "app/AppContext.h"
#include "app/Errors.h"
#include "app/Inicio.h"
#include "platform/app/Application.h"
#include "platform/ui/Messages.h"
#include "ui/SubCls.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QVBoxLayout>

namespace fin {
namespace forms {

MainForm::MainForm(QWidget *parent) : ui::Form(parent) {
    setObjectName(QStringLiteral("MainForm"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The frame with the menu bar and toolbar lives inside the form, so that
    // the form's load and unload govern the whole window.
    janela_ = new QMainWindow(this, Qt::Widget);
    janela_->setObjectName(QStringLiteral("MDIFrame"));
    mdi_ = new QMdiArea(janela_);
    mdi_->setObjectName(QStringLiteral("MDIClient"));
    janela_->setCentralWidget(mdi_);
    layout->addWidget(janela_);
    resize(800, 600);
}

void MainForm::Form_Load() {
    try {
        InstalarFundoMDI(mdi_);
        setWindowTitle(QStringLiteral("%1 %2.%3")
                           .arg(platform::App::Title())
                           .arg(platform::App::Major())
                           .arg(platform::App::Minor()));
        CriarMenus();
        mdi_->setBackground(QColor(88, 107, 127));
        setWindowState(windowState() | Qt::WindowMaximized);
    } catch (...) {
        FIN_TRAP_REPORT("MainForm", "MDIForm_Load");
        // Closes right after appearing, so that the unload runs and the program ends.
        ui::PostMessage(this, ui::WM_CLOSE);
    }
}

void MainForm::CriarMenus() {
    // Menus, toolbar and context menus of the commands come with the windows
    // they open; the menu permissions are applied after them.
}

void MainForm::Form_Unload(bool &cancel) {
    (void)cancel;
    // Nothing here may keep the program from ending.
    try {
        for (ui::Form *f : ui::Forms::Loaded())
            if (f != this && f->SubWindow() && f->SubWindow()->mdiArea() == mdi_)
                f->Unload(ui::vbFormMDIForm);
    } catch (...) {
    }
    try {
        RemoverFundoMDI(mdi_);
    } catch (...) {
    }
    if (ui::Forms::mdiArea() == mdi_)
        ui::Forms::setMdiArea(nullptr);
    FecharBanco(gDB);
}

void MainForm::mnuCadSair_Click() { Unload(ui::vbFormCode); }
void MainForm::mnuOperSair_Click() { Unload(ui::vbFormCode); }

} // namespace forms

bool MostrarJanelaPrincipal() {
    auto *janela = new forms::MainForm();
    MainForm = janela;
    // The frame itself is a top-level window, not a child of a client area.
    ui::Forms::setMdiArea(nullptr);
    janela->ShowModeless();
    if (!janela->IsLoaded())
        return false;
    ui::Forms::setMdiArea(janela->AreaMDI());
    return true;
}

} // namespace fin
