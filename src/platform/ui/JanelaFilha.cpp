#include "platform/ui/JanelaFilha.h"

#include "platform/ui/Form.h"

#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWindowStateChangeEvent>

#include <algorithm>

namespace platform::ui {
namespace {

// A control of the window that can have the focus now.
bool podeFocar(const QWidget *w, const QWidget *janela) {
    return w && w != janela && janela->isAncestorOf(w) && w->focusPolicy() != Qt::NoFocus && w->isEnabled() &&
           w->isVisibleTo(janela);
}

// A control that can have the focus now in a child window of the area of
// `janela` other than it.
bool emOutraJanelaFilha(const QWidget *w, const QMdiSubWindow *janela) {
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        auto *f = qobject_cast<Form *>(p);
        if (!f || !f->SubWindow())
            continue;
        QMdiSubWindow *outra = f->SubWindow();
        return outra != janela && outra->mdiArea() == janela->mdiArea() && f->IsLoaded() && f->isVisible() &&
               f->isEnabled() && podeFocar(w, f);
    }
    return false;
}

constexpr Qt::WindowStates kTamanho = Qt::WindowMaximized | Qt::WindowMinimized;

// Kept as a child of the child window it watches, so it never outlives it.
// It holds no typed pointer to that window: the window is still sending
// events to its filters while it is being destroyed, when it is no longer a
// QMdiSubWindow, and casting it to one then is undefined. It asks its parent
// instead, which is a child window only while it is whole.
class Acompanhante : public QObject {
public:
    Acompanhante(QMdiSubWindow *janela, Form *form) : QObject(janela), form_(form) {
        janela->installEventFilter(this);
        connect(janela, &QMdiSubWindow::windowStateChanged, this, &Acompanhante::mudou);
    }

    bool eventFilter(QObject *o, QEvent *e) override {
        // The form's least size changed.
        if (e->type() == QEvent::LayoutRequest && o == parent())
            limitar();
        // The state change reaches the child window before it hides itself
        // to take its new geometry: the focus is still where the user left it.
        if (e->type() != QEvent::WindowStateChange || o != parent() || foco_ || !form_)
            return false;
        QMdiSubWindow *janela = this->janela();
        if (!janela)
            return false;
        const auto *m = static_cast<QWindowStateChangeEvent *>(e);
        QWidget *w = QApplication::focusWidget();
        const bool deTamanho = (m->oldState() ^ janela->windowState()) & kTamanho;
        if (!m->isOverride() && deTamanho && podeFocar(w, form_))
            foco_ = w;
        return false;
    }

private:
    // The watched child window while it is one; null once its destruction
    // has begun.
    QMdiSubWindow *janela() const { return qobject_cast<QMdiSubWindow *>(parent()); }

    // A form that sets itself a least size (a list window too narrow for
    // its buttons) holds its child window to it with the frame around it:
    // the area's child would let the user drag it smaller than its form.
    void limitar() {
        QMdiSubWindow *janela = this->janela();
        if (!janela || !form_ || janela->isMinimized())
            return;
        const QSize minimo = form_->minimumSize().isNull() ? QSize(0, 0) : janela->minimumSizeHint();
        if (janela->minimumSize() != minimo)
            janela->setMinimumSize(minimo);
    }

    void mudou(Qt::WindowStates antes, Qt::WindowStates agora) {
        const QPointer<QWidget> foco = foco_;
        foco_ = nullptr;
        QMdiSubWindow *janela = this->janela();
        if (!((antes ^ agora) & kTamanho) || !janela || !form_)
            return;
        if (!(agora & kTamanho))
            ManterNaArea(janela);
        if ((agora & Qt::WindowMinimized) || !podeFocar(foco, form_))
            return;
        QMdiArea *area = janela->mdiArea();
        if (!area || area->activeSubWindow() != janela)
            return;
        // Only a focus the change itself moved, inside this child window (or
        // lost): a focus another window took stays there.
        QWidget *atual = QApplication::focusWidget();
        if (atual != foco && (!atual || atual == janela || janela->isAncestorOf(atual)))
            foco->setFocus(Qt::OtherFocusReason);
    }

    // The form as a widget: it is only asked what any widget can answer.
    QPointer<QWidget> form_;
    QPointer<QWidget> foco_;
};

} // namespace

QWidget *PrimeiroControle(const QWidget *janela) {
    if (!janela)
        return nullptr;
    // The focus chain runs through every control of the top-level window;
    // the window's own controls follow it in their tab order.
    for (QWidget *w = janela->nextInFocusChain(); w && w != janela; w = w->nextInFocusChain())
        if (podeFocar(w, janela) && w->focusPolicy() & Qt::TabFocus && !w->focusProxy())
            return w;
    return nullptr;
}

void FocarNaJanela(Form *form) {
    if (!form || !form->IsLoaded() || !form->isEnabled() || !form->isVisible())
        return;
    QMdiSubWindow *janela = form->SubWindow();
    if (!janela || !janela->mdiArea() || janela->mdiArea()->activeSubWindow() != janela)
        return;
    // The focus of the top-level window, even while it is not the active one
    // (a box over it): it gets that focus back when it is activated again.
    QWidget *daJanela = form->window()->focusWidget();
    if (podeFocar(daJanela, form))
        return;
    // That focus not given yet, on a control of another child window: the
    // window's activation is under way and gives it next, and that child then
    // becomes the active one. So it goes with no window manager when the user
    // clicks into another child while another program has the keys: the click
    // reaches the window before its activation, which first activates again
    // the child that was active. Taking the focus back here would leave the
    // keys to the child the user left.
    if (daJanela && daJanela != QApplication::focusWidget() && emOutraJanelaFilha(daJanela, janela))
        return;
    QWidget *alvo = form->focusWidget();
    if (!podeFocar(alvo, form))
        alvo = PrimeiroControle(form);
    if (alvo)
        alvo->setFocus(Qt::OtherFocusReason);
}

void AcompanharJanelaFilha(QMdiSubWindow *janela, Form *form) {
    if (janela && form)
        new Acompanhante(janela, form);
}

void ManterNaArea(QMdiSubWindow *janela) {
    QMdiArea *area = janela ? janela->mdiArea() : nullptr;
    if (!area || !area->isVisible() || janela->windowState() & kTamanho)
        return;
    const QRect dentro = area->viewport()->rect();
    const QRect g = janela->geometry();
    if (dentro.isEmpty() || dentro.contains(g))
        return;
    const QSize cabe(std::min(g.width(), dentro.width()), std::min(g.height(), dentro.height()));
    if (cabe != g.size())
        janela->resize(cabe);
    // A child window never smaller than its form allows keeps its top left
    // corner inside the area.
    const QSize feito = janela->size();
    janela->move(std::max(0, std::min(g.x(), dentro.width() - feito.width())),
                 std::max(0, std::min(g.y(), dentro.height() - feito.height())));
}

} // namespace platform::ui
