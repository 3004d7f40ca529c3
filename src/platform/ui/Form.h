#pragma once
// Base of the program's windows: load, first and later activations,
// query-unload and unload, shown as a modeless MDI child or modally. Public
// values set before the show stay readable after a modal form closed itself;
// the opener owns and deletes a modal form, a modeless one deletes itself
// when unloaded.
#include <QAbstractButton>
#include <QList>
#include <QPointer>
#include <QWidget>

class QKeyEvent;
class QLabel;
class QMdiArea;
#include <QMdiSubWindow>

namespace platform::ui {

// Why a form is being unloaded.
constexpr int vbFormControlMenu = 0; // close box, Alt+F4, Esc of a dialog
constexpr int vbFormCode = 1;        // Unload from code
constexpr int vbAppWindows = 2;
constexpr int vbFormMDIForm = 4;     // the MDI frame is closing

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget *parent = nullptr);
    ~Form() override;

    // The window's type name ("frmLogin"): the object name.
    QString Name() const { return objectName(); }

    // Loads the form once: registers it among the loaded forms and runs Form_Load.
    void Load();
    bool IsLoaded() const { return loaded_; }

    // Modeless: a child of the MDI area when one is set, else a top-level window.
    void ShowModeless();
    // Modal: returns when the form has unloaded itself. Goes through the modal
    // seam, so tests script what the user does in the form.
    void ShowModal();
    bool IsShownModal() const { return modal_; }

    // Unloads the form unless Form_QueryUnload or Form_Unload cancels; true when unloaded.
    bool Unload(int unloadMode = vbFormCode);

    // Runs the activation handler (first activation flagged). The window
    // system's activation calls it; so may tests.
    void Activate();
    int Activations() const { return activations_; }

    QMdiSubWindow *SubWindow() const { return sub_; }

    // The button that Esc presses (the window's cancel button).
    void setCancelButton(QAbstractButton *b) { cancel_ = b; }
    QAbstractButton *CancelButton() const { return cancel_; }

    // Used by the real modal driver: runs a local event loop until unloaded.
    void execModalLoop();

signals:
    void Unloaded();

protected:
    virtual void Form_Load() {}
    // Every activation; FirstActivation() tells the first one.
    virtual void Form_Activate() {}
    virtual void Form_QueryUnload(bool &cancel, int unloadMode) { (void)cancel; (void)unloadMode; }
    virtual void Form_Unload(bool &cancel) { (void)cancel; }
    bool FirstActivation() const { return activations_ == 1; }

    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    // Keys no control took: Esc presses the cancel button; Enter on a focused
    // push button presses it.
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool loaded_ = false;
    bool unloading_ = false;
    bool modal_ = false;
    bool deleteOnUnload_ = false;
    int activations_ = 0;
    bool abrindo_ = false;        // being added to the MDI area and sized
    bool ativacaoAdiada_ = false; // activated meanwhile: handled once sized
    QPointer<QMdiSubWindow> sub_;
    QPointer<QAbstractButton> cancel_;
};

// The windows are placed in twips for a narrower font than the one shown. A
// label whose text does not fit its place is wrapped and made as tall as its
// text needs; the controls below it and the window move down by the height
// added, so nothing is cut off or covered. Returns the height added.
int AcomodarRotulo(QLabel *rotulo);

// A one-line label placed for a narrower font than the screen's keeps the
// window's font: it is widened into the free space on its right (up to the
// next control beside it or the window's edge) when that is enough, else
// wrapped as AcomodarRotulo does; the labels of its row then move down with
// the controls under them, so each stays over its field. Returns the height
// added to the window.
int EncaixarRotulo(QLabel *rotulo);
// EncaixarRotulo on every one-line label of a window whose text does not fit,
// row by row; called once the window has all its controls.
void EncaixarRotulos(QWidget *janela);

// The window's control whose access key (Alt + the "&" letter) the key event
// is: a visible, enabled button with that letter, or a visible label whose
// field is enabled; else null. Every loaded form claims its own access keys
// before the main window's menu titles that share the letter, and the active
// child window claims them while the main window has the focus on no control
// of a child.
QWidget *TeclaDeAcesso(const QWidget *janela, const QKeyEvent *k);
// Does the control's work: presses the button, or gives the label's field the focus.
void AcionarTeclaDeAcesso(QWidget *controle);

// The loaded forms, in the order they were loaded.
class Forms {
public:
    static QList<Form *> Loaded();
    static void setMdiArea(QMdiArea *area);
    static QMdiArea *mdiArea();
    // The active MDI child form, if any.
    static Form *ActiveChild();
};

} // namespace platform::ui
