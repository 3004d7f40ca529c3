#include "platform/ui/Form.h"

#include <QFontMetrics>

#include "platform/ui/Modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>
#include <vector>

namespace ui {
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
} // namespace

Form::Form(QWidget *parent) : QWidget(parent) {}

Form::~Form() { forget(this); }

void Form::Load() {
    if (loaded_)
        return;
    loaded_ = true;
    registry().emplace_back(this);
    Form_Load();
}

void Form::ShowModeless() {
    Load();
    if (!loaded_)
        return;
    modal_ = false;
    deleteOnUnload_ = true;
    if (gMdi && !sub_) {
        sub_ = gMdi->addSubWindow(this);
        sub_->setAttribute(Qt::WA_DeleteOnClose, false);
        sub_->show();
        gMdi->setActiveSubWindow(sub_);
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
    show();
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
    ++activations_;
    Form_Activate();
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

void EncaixarRotulo(QLabel *rotulo) {
    QFont f = rotulo->font();
    const QString texto = rotulo->text().remove(QLatin1Char('&'));
    while (f.pointSizeF() > 6.0 && QFontMetrics(f).horizontalAdvance(texto) > rotulo->width()) {
        f.setPointSizeF(f.pointSizeF() - 0.5);
    }
    rotulo->setFont(f);
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

} // namespace ui
