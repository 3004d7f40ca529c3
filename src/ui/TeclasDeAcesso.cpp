#include "ui/TeclasDeAcesso.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>

namespace fin {

namespace {

class Precedencia : public QObject {
public:
    explicit Precedencia(QWidget *janela) : QObject(janela), janela_(janela) {}

protected:
    bool eventFilter(QObject *o, QEvent *e) override {
        (void)o;
        if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress) return false;
        QWidget *alvo = TeclaDeAcesso(janela_, static_cast<QKeyEvent *>(e));
        if (!alvo) return false;
        // Claimed here, the key never reaches the menu bar; its press then acts.
        if (e->type() == QEvent::ShortcutOverride) e->accept();
        else AcionarTeclaDeAcesso(alvo);
        return true;
    }

private:
    QWidget *janela_;
};

} // namespace

QWidget *TeclaDeAcesso(const QWidget *janela, const QKeyEvent *k) {
    if (k->modifiers() != Qt::AltModifier || k->key() < Qt::Key_A || k->key() > Qt::Key_Z) return nullptr;
    const QKeySequence tecla(QKeyCombination(Qt::AltModifier, Qt::Key(k->key())));
    for (QAbstractButton *b : janela->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->isEnabled() && QKeySequence::mnemonic(b->text()) == tecla) return b;
    for (QLabel *l : janela->findChildren<QLabel *>())
        if (l->isVisible() && l->buddy() && l->buddy()->isEnabled() && QKeySequence::mnemonic(l->text()) == tecla)
            return l;
    return nullptr;
}

void AcionarTeclaDeAcesso(QWidget *controle) {
    if (auto *b = qobject_cast<QAbstractButton *>(controle)) b->click();
    else if (auto *l = qobject_cast<QLabel *>(controle); l && l->buddy()) l->buddy()->setFocus(Qt::ShortcutFocusReason);
}

void DarPrecedenciaAsTeclasDeAcesso(QWidget *janela) {
    auto *filtro = new Precedencia(janela);
    janela->installEventFilter(filtro);
    for (QWidget *w : janela->findChildren<QWidget *>()) w->installEventFilter(filtro);
}

} // namespace fin
