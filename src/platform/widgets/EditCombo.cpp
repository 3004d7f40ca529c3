#include "platform/widgets/EditCombo.h"

#include "platform/ui/Input.h"
#include "platform/widgets/UpperLineEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <algorithm>

namespace widgets {

namespace {
struct Guarda {
    int &n;
    explicit Guarda(int &c) : n(c) { ++n; }
    ~Guarda() { --n; }
};
} // namespace

EditCombo::EditCombo(QWidget *parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setMaxVisibleItems(8);
    connect(lineEdit(), &QLineEdit::textEdited, this, &EditCombo::aoEditar);
    // Text dropped or pasted with the middle button into the text part goes
    // in under the same rule as typed text; the keys and the input method
    // reach the text part through the box (below).
    MaiusculasAoColar(lineEdit(), [this] { return UpperCase; });
    // The list opened by a key never takes the keyboard from the text part.
    lista_ = new QListView(this);
    lista_->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    lista_->setAttribute(Qt::WA_ShowWithoutActivating);
    lista_->setFocusPolicy(Qt::NoFocus);
    lista_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lista_->setUniformItemSizes(true);
    lista_->setModel(model());
    connect(lista_, &QListView::clicked, this, [this](const QModelIndex &i) {
        setListIndex(i.row());
        lembrado_ = i.row();
        ShowDropDown(false);
    });
}

EditCombo::~EditCombo() = default;

void EditCombo::AddItem(const QString &texto, long itemData) {
    // Adding never chooses an entry (the platform's box would choose the first).
    Guarda g(ocupado_);
    const int antes = currentIndex();
    const QString t = currentText();
    addItem(texto, QVariant::fromValue<qlonglong>(itemData));
    if (antes < 0 && currentIndex() >= 0) {
        setCurrentIndex(-1);
        setEditText(t);
    }
}

void EditCombo::Clear() {
    Guarda g(ocupado_);
    ShowDropDown(false);
    clear();
    clearEditText();
}

long EditCombo::ItemData(int i) const { return long(itemData(i).toLongLong()); }

void EditCombo::SetItemData(int i, long v) { setItemData(i, QVariant::fromValue<qlonglong>(v)); }

void EditCombo::setListIndex(int i) {
    Guarda g(ocupado_);
    if (i < 0 || i >= count()) {
        setCurrentIndex(-1);
        clearEditText();
        return;
    }
    setCurrentIndex(i);
    setEditText(itemText(i));
    if (lista_->isVisible()) lista_->setCurrentIndex(model()->index(i, 0));
    emit Click();
}

void EditCombo::setText(const QString &t) {
    Guarda g(ocupado_);
    setEditText(t);
}

int EditCombo::FindString(const QString &prefixo, int start) const {
    const int n = count();
    for (int k = 0; k < n; ++k) {
        const int i = start < 0 ? k : (start + 1 + k) % n;
        if (itemText(i).startsWith(prefixo, Qt::CaseInsensitive)) return i;
    }
    return -1;
}

void EditCombo::aoEditar(const QString &texto) {
    if (ocupado_) return;
    const int p = lineEdit()->cursorPosition();
    const QString prefixo = texto.left(p);
    const int i = FindString(prefixo);
    {
        Guarda g(ocupado_);
        if (i >= 0) {
            setCurrentIndex(i);
            setEditText(itemText(i));
            if (lista_->isVisible()) lista_->setCurrentIndex(model()->index(i, 0));
        } else {
            setCurrentIndex(-1);
            setEditText(prefixo);
        }
    }
    lembrado_ = i;
    // The caret stays after what was typed; the completion is selected.
    lineEdit()->setSelection(currentText().size(), p - int(currentText().size()));
    if (i >= 0) emit Click();
    emit Change();
}

bool EditCombo::DroppedDown() const { return lista_->isVisible(); }

void EditCombo::ShowDropDown(bool mostrar) {
    if (!mostrar) {
        lista_->hide();
        return;
    }
    if (lista_->isVisible() || !isVisible() || count() == 0) return;
    const int linhas = std::min(count(), maxVisibleItems());
    const int h = linhas * std::max(lista_->sizeHintForRow(0), fontMetrics().height() + 2) + 4;
    lista_->setGeometry(QRect(mapToGlobal(QPoint(0, height())), QSize(width(), h)));
    if (currentIndex() >= 0) lista_->setCurrentIndex(model()->index(currentIndex(), 0));
    lista_->show();
}

void EditCombo::showPopup() { ShowDropDown(true); }

void EditCombo::hidePopup() { ShowDropDown(false); }

void EditCombo::keyPressEvent(QKeyEvent *e) {
    const int k = e->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        const int anotado = lembrado_;
        ShowDropDown(false);
        e->accept();
        platform::ui::SendTab();
        platform::ui::DoEvents();
        setListIndex(anotado);
        return;
    }
    // Esc with the list dropped down only closes the list: the window's
    // cancel key must not close the window under the user's typing.
    if (k == Qt::Key_Escape && DroppedDown()) {
        ShowDropDown(false);
        e->accept();
        return;
    }
    if (k == Qt::Key_Escape || k == Qt::Key_Tab || k == Qt::Key_Backtab) {
        ShowDropDown(false);
        e->ignore();
        return;
    }
    if (k == Qt::Key_Shift || k == Qt::Key_Control || k == Qt::Key_Alt || k == Qt::Key_Meta) {
        QComboBox::keyPressEvent(e);
        return;
    }
    ShowDropDown(true);
    if ((k == Qt::Key_Down || k == Qt::Key_Up) && !(e->modifiers() & Qt::AltModifier)) {
        const int i = std::clamp(currentIndex() + (k == Qt::Key_Down ? 1 : -1), 0, count() - 1);
        if (count() > 0) {
            setListIndex(i);
            lembrado_ = i;
        }
        e->accept();
        return;
    }
    if (UpperCase && EntradaEmMaiusculas(lineEdit(), e)) return;
    const QString t = e->text();
    if (UpperCase && !t.isEmpty() && t != Maiusculas(t) && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QKeyEvent maiuscula(e->type(), k, e->modifiers(), Maiusculas(t), e->isAutoRepeat(), ushort(e->count()));
        QComboBox::keyPressEvent(&maiuscula);
        e->setAccepted(maiuscula.isAccepted());
        return;
    }
    QComboBox::keyPressEvent(e);
}

void EditCombo::inputMethodEvent(QInputMethodEvent *e) {
    if (UpperCase && EntradaEmMaiusculas(lineEdit(), e)) return;
    QComboBox::inputMethodEvent(e);
}

void EditCombo::cor(bool foco) {
    QPalette p = lineEdit()->palette();
    p.setColor(QPalette::Base, foco ? QColor(255, 255, 0) : QApplication::palette().color(QPalette::Base));
    lineEdit()->setPalette(p);
}

void EditCombo::focusInEvent(QFocusEvent *e) {
    QComboBox::focusInEvent(e);
    cor(true);
    lineEdit()->selectAll();
}

void EditCombo::focusOutEvent(QFocusEvent *e) {
    QComboBox::focusOutEvent(e);
    ShowDropDown(false);
    cor(false);
    setListIndex(lembrado_);
}

} // namespace widgets
