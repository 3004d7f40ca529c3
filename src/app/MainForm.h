#pragma once
// The main window: the program's only top-level window, an MDI frame that
// hosts every working window. Closing it closes the database and ends the
// program.
#include "platform/ui/Form.h"

class QMainWindow;
class QMdiArea;

namespace fin {

namespace forms {

class MainForm : public ui::Form {
    Q_OBJECT
public:
    explicit MainForm(QWidget *parent = nullptr);

    QMainWindow *Janela() const { return janela_; }
    QMdiArea *AreaMDI() const { return mdi_; }

    // The two exit commands.
    void mnuCadSair_Click();
    void mnuOperSair_Click();

protected:
    void Form_Load() override;
    void Form_Unload(bool &cancel) override;

private:
    // The menu tree, the toolbar and the context menus are built here; which
    // of them a user reaches is decided right after, by the menu permissions.
    void CriarMenus();

    QMainWindow *janela_;
    QMdiArea *mdi_;
};

} // namespace forms

// Creates the main window, shows it maximised and makes its client area the
// home of the child windows. False when its load failed and it closes again.
bool MostrarJanelaPrincipal();

} // namespace fin
