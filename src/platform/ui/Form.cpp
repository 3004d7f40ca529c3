#include "platform/ui/Form.h"

#include <QFontMetrics>

#include "platform/ui/FileDialog.h"
#include "platform/ui/JanelaFilha.h"
#include "platform/ui/Modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <vector>

namespace platform::ui {
namespace {
std::vector<QPointer<Form>> &registry() {
    static std::vector<QPointer<Form>> r;
    return r;
}
void forget(Form *f) {
    auto &r = registry();
    r.erase(std::remove_if(r.begin(), r.end(), [f](const QPointer<Form> &p) { return p.isNull() || p == f; }),
            r.end());
}
QPointer<QMdiArea> gMdi;

// The access keys of a form (Alt+letter of a button's or a field label's
// "&" letter) come before the main window's menu titles that share the
// letter, those of the active child window too while the focus is on no
// control of it: a child window's button is no shortcut of its own window,
// and the menu bar would take the key. Claiming the shortcut override keeps
// the menu from it; the key press then does the control's work.
class TeclasDeAcesso : public QObject {
public:
    bool eventFilter(QObject *o, QEvent *e) override {
        if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress)
            return false;
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->modifiers() != Qt::AltModifier || k->key() < Qt::Key_A || k->key() > Qt::Key_Z)
            return false;
        auto *w = qobject_cast<QWidget *>(o);
        Form *f = nullptr;
        for (QWidget *p = w; p && !f; p = p->parentWidget())
            f = qobject_cast<Form *>(p);
        // A key the main window gets outside every child window (the focus
        // on the area or on no control) belongs to the active child first;
        // keys typed in the menus stay theirs.
        if (gMdi && w && (!f || f->isAncestorOf(gMdi)) && w->window() == gMdi->window()) {
            QWidget *foco = QApplication::focusWidget();
            if (!qobject_cast<QMenuBar *>(foco) && !qobject_cast<QMenu *>(foco))
                f = Forms::ActiveChild();
        }
        // The main window's own keys stay the menus'.
        if (!f || !f->IsLoaded() || (gMdi && f->isAncestorOf(gMdi)))
            return false;
        QWidget *alvo = TeclaDeAcesso(f, k);
        if (!alvo)
            return false;
        if (e->type() == QEvent::ShortcutOverride) {
            e->accept();
            return true;
        }
        AcionarTeclaDeAcesso(alvo);
        return true;
    }
};

void instalarTeclasDeAcesso() {
    static TeclasDeAcesso *filtro = nullptr;
    if (!filtro && QCoreApplication::instance()) {
        filtro = new TeclasDeAcesso;
        filtro->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(filtro);
    }
}
} // namespace

QWidget *TeclaDeAcesso(const QWidget *janela, const QKeyEvent *k) {
    if (k->modifiers() != Qt::AltModifier || k->key() < Qt::Key_A || k->key() > Qt::Key_Z)
        return nullptr;
    const QKeySequence tecla(QKeyCombination(Qt::AltModifier, Qt::Key(k->key())));
    for (QAbstractButton *b : janela->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->isEnabled() && QKeySequence::mnemonic(b->text()) == tecla)
            return b;
    for (QLabel *l : janela->findChildren<QLabel *>())
        if (l->isVisible() && l->buddy() && l->buddy()->isEnabled() && QKeySequence::mnemonic(l->text()) == tecla)
            return l;
    return nullptr;
}

void AcionarTeclaDeAcesso(QWidget *controle) {
    if (auto *b = qobject_cast<QAbstractButton *>(controle))
        b->click();
    else if (auto *l = qobject_cast<QLabel *>(controle); l && l->buddy())
        l->buddy()->setFocus(Qt::ShortcutFocusReason);
}

Form::Form(QWidget *parent) : QWidget(parent) {}

Form::~Form() { forget(this); }

void Form::Load() {
    if (loaded_)
        return;
    loaded_ = true;
    registry().emplace_back(this);
    instalarTeclasDeAcesso();
    Form_Load();
}

void Form::ShowModeless() {
    Load();
    if (!loaded_)
        return;
    modal_ = false;
    deleteOnUnload_ = true;
    if (gMdi && !sub_) {
        // A form sized by its design and not by a layout keeps that size as
        // a child window: the child window itself would go by the form's
        // size hint, which such a form does not have.
        const QSize desenho = size();
        const bool dimensionada = testAttribute(Qt::WA_Resized);
        // The area maximises a new child when the active one is maximised,
        // and the form's first activation may maximise it too, both while
        // the child is being added and shown. Maximised before it has its
        // size, the child would keep the size of a bare frame to go back to
        // when restored, and the resize below would shrink it while it still
        // counts as maximised. So the child is first given its designed size,
        // and only then maximised and activated.
        QMdiSubWindow *ativa = gMdi->activeSubWindow();
        const bool semMaximizar = gMdi->testOption(QMdiArea::DontMaximizeSubWindowOnActivation);
        const bool maximizar = ativa && ativa->isMaximized() && !semMaximizar;
        gMdi->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
        abrindo_ = true;
        sub_ = gMdi->addSubWindow(this);
        sub_->setAttribute(Qt::WA_DeleteOnClose, false);
        AcompanharJanelaFilha(sub_, this);
        sub_->show();
        if (sub_->isMaximized())
            sub_->showNormal();
        if (dimensionada && size() != desenho)
            sub_->resize(sub_->size() + (desenho - size()));
        // The area places a new child for the frame it had before it took
        // its size, maybe at the far side: the child (and, opened maximised,
        // the place it goes back to) is kept inside the area.
        ManterNaArea(sub_);
        gMdi->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, semMaximizar);
        abrindo_ = false;
        if (maximizar)
            sub_->showMaximized();
        if (gMdi->activeSubWindow() != sub_)
            gMdi->setActiveSubWindow(sub_);
        if (ativacaoAdiada_ && gMdi->activeSubWindow() == sub_)
            Activate();
    } else {
        show();
    }
}

void Form::ShowModal() {
    Load();
    if (!loaded_)
        return;
    modal_ = true;
    ModalRequest r;
    r.kind = ModalKind::Form;
    r.caption = windowTitle();
    r.widget = this;
    const ModalAnswer a = RunModal(r);
    if (a.act)
        a.act(*this);
    if (loaded_) {
        // The scripted user's part ended without closing the form: a real
        // modal show would never return here.
        ReportScriptFault(QStringLiteral("modal form %1 still open after its scripted action").arg(Name()));
        Unload(vbFormCode);
    }
    modal_ = false;
}

void Form::execModalLoop() {
    setWindowModality(Qt::ApplicationModal);
    // A form that placed itself keeps its place. Centred again once shown,
    // when the size of its frame is known.
    const bool centrar = !testAttribute(Qt::WA_Moved);
    if (centrar)
        CenterOnMainWindow(this);
    show();
    if (centrar)
        CenterOnMainWindow(this);
    Activate();
    QEventLoop loop;
    connect(this, &Form::Unloaded, &loop, &QEventLoop::quit);
    if (loaded_)
        loop.exec();
}

bool Form::Unload(int unloadMode) {
    if (!loaded_ || unloading_)
        return !loaded_;
    unloading_ = true;
    bool cancel = false;
    Form_QueryUnload(cancel, unloadMode);
    if (!cancel)
        Form_Unload(cancel);
    if (cancel) {
        unloading_ = false;
        return false;
    }
    loaded_ = false;
    activations_ = 0;
    forget(this);
    hide();
    if (sub_) {
        QMdiSubWindow *s = sub_;
        sub_ = nullptr;
        s->setWidget(nullptr);
        setParent(nullptr);
        s->deleteLater();
    }
    unloading_ = false;
    emit Unloaded();
    if (deleteOnUnload_)
        deleteLater();
    return true;
}

void Form::Activate() {
    if (!loaded_)
        return;
    if (abrindo_) {
        ativacaoAdiada_ = true;
        return;
    }
    ativacaoAdiada_ = false;
    ++activations_;
    Form_Activate();
    if (sub_)
        FocarNaJanela(this);
}

bool Form::event(QEvent *e) {
    if (e->type() == QEvent::WindowActivate && !sub_ && isWindow())
        Activate();
    return QWidget::event(e);
}

void Form::closeEvent(QCloseEvent *e) {
    if (!loaded_ || unloading_) {
        e->accept();
        return;
    }
    if (Unload(vbFormControlMenu))
        e->accept();
    else
        e->ignore();
}

void Form::keyPressEvent(QKeyEvent *e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (e->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(e);
        return;
    }
    if (e->key() == Qt::Key_Escape && cancel_ && cancel_->isEnabled()) {
        cancel_->click();
        return;
    }
    if (enter) {
        auto *focado = qobject_cast<QPushButton *>(QApplication::focusWidget());
        if (focado && isAncestorOf(focado) && focado->isEnabled()) {
            focado->click();
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

namespace {
int larguraDoTexto(const QLabel *rotulo) {
    return QFontMetrics(rotulo->font()).horizontalAdvance(rotulo->text().remove(QLatin1Char('&'))) +
           2 * rotulo->margin() + 1;
}
} // namespace

int EncaixarRotulo(QLabel *rotulo) {
    if (!rotulo || !rotulo->parentWidget() || rotulo->wordWrap())
        return 0;
    const int precisa = larguraDoTexto(rotulo);
    if (precisa <= rotulo->width())
        return 0;
    QWidget *janela = rotulo->parentWidget();
    const QRect r = rotulo->geometry();
    constexpr int kFolga = 4;
    int limite = janela->width() - kFolga;
    for (QWidget *w : janela->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w == rotulo || w->isHidden() || w->isWindow())
            continue;
        const QRect g = w->geometry();
        if (g.top() <= r.bottom() && g.bottom() >= r.top() && g.left() > r.left())
            limite = std::min(limite, g.left() - kFolga);
    }
    if (r.left() + precisa <= limite) {
        rotulo->resize(precisa, r.height());
        return 0;
    }
    // The labels beside it, over the fields of the same row.
    QList<QLabel *> daLinha;
    for (QLabel *l : janela->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        if (l != rotulo && !l->isHidden() && l->y() == r.y())
            daLinha << l;
    rotulo->setWordWrap(true);
    const int acrescimo = AcomodarRotulo(rotulo);
    for (QLabel *l : daLinha)
        l->move(l->x(), l->y() + acrescimo);
    return acrescimo;
}

void EncaixarRotulos(QWidget *janela) {
    if (!janela)
        return;
    QList<QLabel *> rotulos = janela->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    std::sort(rotulos.begin(), rotulos.end(), [](const QLabel *a, const QLabel *b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    });
    for (QLabel *l : rotulos)
        EncaixarRotulo(l);
}

int AcomodarRotulo(QLabel *rotulo) {
    if (!rotulo || !rotulo->parentWidget())
        return 0;
    QWidget *janela = rotulo->parentWidget();
    if (!rotulo->wordWrap() && rotulo->sizeHint().width() > rotulo->width())
        rotulo->setWordWrap(true);
    const int precisa = rotulo->wordWrap() ? rotulo->heightForWidth(rotulo->width()) : rotulo->sizeHint().height();
    const int acrescimo = precisa - rotulo->height();
    if (acrescimo <= 0)
        return 0;
    // Below the label: starting under its top within its columns (the design
    // may overlap it by a pixel), or under its bottom anywhere.
    const QRect antigo = rotulo->geometry();
    for (QWidget *w : janela->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w == rotulo)
            continue;
        const bool naColuna = w->x() <= antigo.right() && w->geometry().right() >= antigo.left();
        if ((naColuna && w->y() > antigo.top()) || w->y() > antigo.bottom())
            w->move(w->x(), w->y() + acrescimo);
    }
    rotulo->resize(rotulo->width(), precisa);
    const QSize antes = janela->size();
    const bool fixa = janela->minimumSize() == janela->maximumSize();
    if (fixa)
        janela->setFixedSize(antes.width(), antes.height() + acrescimo);
    else
        janela->resize(antes.width(), antes.height() + acrescimo);
    return acrescimo;
}

QList<Form *> Forms::Loaded() {
    QList<Form *> out;
    for (const auto &p : registry())
        if (p && p->IsLoaded())
            out << p.data();
    return out;
}

void Forms::setMdiArea(QMdiArea *area) {
    if (gMdi)
        QObject::disconnect(gMdi, nullptr, nullptr, nullptr);
    gMdi = area;
    if (area)
        QObject::connect(area, &QMdiArea::subWindowActivated, area, [](QMdiSubWindow *w) {
            if (w)
                if (auto *f = qobject_cast<Form *>(w->widget()))
                    f->Activate();
        });
}

QMdiArea *Forms::mdiArea() { return gMdi; }

Form *Forms::ActiveChild() {
    if (!gMdi || !gMdi->activeSubWindow())
        return nullptr;
    return qobject_cast<Form *>(gMdi->activeSubWindow()->widget());
}

} // namespace platform::ui
