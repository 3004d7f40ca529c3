#include "platform/widgets/UpperLineEdit.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QValidator>

namespace widgets {

QString Maiusculas(const QString &texto) { return texto.toUpper(); }

namespace {

void colar(QLineEdit *caixa, QClipboard::Mode modo) {
    const QString t = QGuiApplication::clipboard()->text(modo);
    if (t.isEmpty() && !caixa->hasSelectedText()) return;
    caixa->insert(Maiusculas(t));
}

// The box's own handler, past every event filter (the filter that called
// this one included).
bool entregar(QLineEdit *caixa, QEvent *e) { return static_cast<QObject *>(caixa)->event(e); }

// The events that can put the user's text into a box. Only these look at the
// box: others reach its filters while it is being destroyed (it is hidden
// then), when what is left of it is no longer a line edit.
bool trazTexto(const QEvent *e) {
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

// Drops a surrogate left without its pair, as the length limit leaves the
// first half of a character it cut; the cursor keeps its place in the text.
class SemMeioCaractere : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &texto, int &pos) const override {
        for (qsizetype i = 0; i < texto.size();) {
            const QChar c = texto.at(i);
            if (c.isHighSurrogate() && i + 1 < texto.size() && texto.at(i + 1).isLowSurrogate()) {
                i += 2;
            } else if (c.isSurrogate()) {
                texto.remove(i, 1);
                if (pos > i) --pos;
            } else {
                ++i;
            }
        }
        return Acceptable;
    }
};

class Colagem : public QObject {
public:
    Colagem(QLineEdit *caixa, std::function<bool()> ativa) : QObject(caixa), caixa_(caixa), ativa_(std::move(ativa)) {}

protected:
    bool eventFilter(QObject *o, QEvent *e) override {
        if (o != caixa_ || !trazTexto(e) || (ativa_ && !ativa_())) return false;
        return EntradaEmMaiusculas(caixa_, e);
    }

private:
    QLineEdit *caixa_;
    std::function<bool()> ativa_;
};

} // namespace

bool EntradaEmMaiusculas(QLineEdit *caixa, QEvent *e) {
    if (!trazTexto(e) || caixa->isReadOnly()) return false;
    switch (e->type()) {
    case QEvent::KeyPress: {
        auto *k = static_cast<QKeyEvent *>(e);
        if (!k->matches(QKeySequence::Paste)) return false;
        colar(caixa, QClipboard::Clipboard);
        k->accept();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *m = static_cast<QMouseEvent *>(e);
        if (m->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection()) return false;
        caixa->deselect();
        colar(caixa, QClipboard::Selection);
        m->accept();
        return true;
    }
    case QEvent::ContextMenu: {
        auto *c = static_cast<QContextMenuEvent *>(e);
        if (caixa->contextMenuPolicy() != Qt::DefaultContextMenu) return false;
        QMenu *menu = caixa->createStandardContextMenu();
        if (!menu) return false;
        // The menu's "Paste" is the entry the box connected to its paste
        // (by name or by address, as the library's version does it).
        for (QAction *a : menu->actions())
            if (QObject::disconnect(a, SIGNAL(triggered()), caixa, SLOT(paste())) ||
                QObject::disconnect(a, &QAction::triggered, caixa, &QLineEdit::paste))
                QObject::connect(a, &QAction::triggered, caixa, [caixa] { colar(caixa, QClipboard::Clipboard); });
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(c->globalPos());
        c->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *d = static_cast<QDropEvent *>(e);
        if (!d->mimeData() || !d->mimeData()->hasText()) return false;
        const QString t = d->mimeData()->text();
        if (Maiusculas(t) == t) return false;
        QMimeData dados;
        dados.setText(Maiusculas(t));
        QDropEvent copia(d->position(), d->possibleActions(), &dados, d->buttons(), d->modifiers(), d->type());
        copia.setDropAction(d->dropAction());
        entregar(caixa, &copia);
        d->setDropAction(copia.dropAction());
        d->setAccepted(copia.isAccepted());
        return true;
    }
    case QEvent::InputMethod: {
        auto *im = static_cast<QInputMethodEvent *>(e);
        if (Maiusculas(im->commitString()) == im->commitString()) return false;
        QInputMethodEvent copia(im->preeditString(), im->attributes());
        copia.setCommitString(Maiusculas(im->commitString()), im->replacementStart(), im->replacementLength());
        entregar(caixa, &copia);
        im->setAccepted(copia.isAccepted());
        return true;
    }
    default:
        return false;
    }
}

void MaiusculasAoColar(QLineEdit *caixa, std::function<bool()> ativa) {
    caixa->installEventFilter(new Colagem(caixa, std::move(ativa)));
}

void CaracteresInteiros(QLineEdit *caixa) { caixa->setValidator(new SemMeioCaractere(caixa)); }

UpperLineEdit::UpperLineEdit(QWidget *parent) : QLineEdit(parent) {
    MaiusculasAoColar(this);
    CaracteresInteiros(this);
}

void UpperLineEdit::keyPressEvent(QKeyEvent *e) {
    const QString t = e->text();
    if (!t.isEmpty() && t != Maiusculas(t) && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QKeyEvent up(e->type(), e->key(), e->modifiers(), Maiusculas(t), e->isAutoRepeat(), ushort(e->count()));
        QLineEdit::keyPressEvent(&up);
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void UpperLineEdit::focusInEvent(QFocusEvent *e) {
    QLineEdit::focusInEvent(e);
    if (selectOnFocus) QTimer::singleShot(0, this, [this] { setSelection(0, int(text().size())); });
}

} // namespace widgets
