#include "ui/TeclasDeAcesso.h"

#include "platform/ui/Form.h"

#include <QKeyEvent>

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

QWidget *TeclaDeAcesso(const QWidget *janela, const QKeyEvent *k) { return ui::TeclaDeAcesso(janela, k); }

void AcionarTeclaDeAcesso(QWidget *controle) { ui::AcionarTeclaDeAcesso(controle); }

void DarPrecedenciaAsTeclasDeAcesso(QWidget *janela) {
    auto *filtro = new Precedencia(janela);
    janela->installEventFilter(filtro);
    for (QWidget *w : janela->findChildren<QWidget *>()) w->installEventFilter(filtro);
}

} // namespace fin
