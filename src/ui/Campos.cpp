#include "ui/Campos.h"

#include "platform/ui/Input.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace ui {

namespace {

class Realce : public QObject {
public:
    Realce(QLineEdit *campo, std::function<void()> aoEnter) : QObject(campo), campo_(campo), aoEnter_(std::move(aoEnter)) {}

protected:
    bool eventFilter(QObject *o, QEvent *e) override {
        if (o != campo_) return false;
        switch (e->type()) {
        case QEvent::FocusIn: {
            cor(QColor(255, 255, 0));
            QTimer::singleShot(0, campo_, [c = campo_] { c->selectAll(); });
            break;
        }
        case QEvent::FocusOut:
            cor(QApplication::palette().color(QPalette::Active, QPalette::Base));
            break;
        case QEvent::KeyPress: {
            auto *k = static_cast<QKeyEvent *>(e);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                if (aoEnter_) aoEnter_();
                else platform::ui::SendTab();
                return true;
            }
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    void cor(const QColor &c) {
        QPalette p = campo_->palette();
        p.setColor(QPalette::Base, c);
        campo_->setPalette(p);
    }
    QLineEdit *campo_;
    std::function<void()> aoEnter_;
};

} // namespace

void RealcarCampo(QLineEdit *campo, std::function<void()> aoEnter) {
    campo->installEventFilter(new Realce(campo, std::move(aoEnter)));
}

} // namespace ui
