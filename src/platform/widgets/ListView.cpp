#include "platform/widgets/ListView.h"

#include "platform/err/AppError.h"
#include "platform/widgets/CodigosDoMouse.h"
#include "platform/widgets/SelecaoOculta.h"
#include "platform/widgets/TreeView.h"

#include <QMouseEvent>
#include <algorithm>

namespace widgets {

namespace {
[[noreturn]] void falha(long n, const QString &d) { throw err::AppError(n, QStringLiteral("ListView"), d); }
} // namespace

void ListItem::setSmallIcon(const QString &key) {
    if (!key.isEmpty() && (!lv_->images_ || !lv_->images_->Contains(key)))
        falha(kErrElementNotFound, QStringLiteral("Element not found: ") + key);
    smallIcon_ = key;
    item_->setIcon(key.isEmpty() || !lv_->images_ ? QIcon() : lv_->images_->Icon(key));
}

bool ListItem::Selected() const { return item_->isSelected(); }
void ListItem::setSelected(bool s) { item_->setSelected(s); }

int ListItem::Index() const {
    const auto &v = lv_->items_;
    return int(std::find(v.begin(), v.end(), this) - v.begin()) + 1;
}

ListView::ListView(QWidget *parent) : QListWidget(parent) {
    setViewMode(QListView::ListMode);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    AplicarSelecaoOculta(*this, hideSelection_);
}

ListView::~ListView() { Clear(); }

ListItem *ListView::Add(const QString &key, const QString &text, const QString &smallIcon) {
    if (!key.isEmpty() && byKey_.contains(key)) falha(kErrKeyNotUnique, QStringLiteral("Key is not unique in collection"));
    auto *i = new ListItem(this, key, text);
    i->item_ = new QListWidgetItem(text);
    try {
        i->smallIcon_.clear();
        if (!smallIcon.isEmpty()) {
            if (!images_ || !images_->Contains(smallIcon))
                falha(kErrElementNotFound, QStringLiteral("Element not found: ") + smallIcon);
            i->smallIcon_ = smallIcon;
            i->item_->setIcon(images_->Icon(smallIcon));
        }
    } catch (...) {
        delete i->item_;
        delete i;
        throw;
    }
    addItem(i->item_);
    items_.push_back(i);
    if (!key.isEmpty()) byKey_.insert(key, i);
    byItem_.insert(i->item_, i);
    return i;
}

void ListView::Clear() {
    QListWidget::clear();
    for (ListItem *i : items_) delete i;
    items_.clear();
    byKey_.clear();
    byItem_.clear();
}

ListItem *ListView::Item(int index) const {
    return index >= 1 && index <= Count() ? items_[std::size_t(index - 1)] : nullptr;
}

ListItem *ListView::Item(const QString &key) const { return byKey_.value(key, nullptr); }

ListItem *ListView::HitTest(const QPoint &p) const { return byItem_.value(itemAt(p), nullptr); }

void ListView::setMultiSelect(bool m) {
    setSelectionMode(m ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void ListView::setHideSelection(bool h) {
    hideSelection_ = h;
    AplicarSelecaoOculta(*this, h);
}

void ListView::mousePressEvent(QMouseEvent *e) {
    emit MouseDown(CodigoDoBotao(e->button()), CodigoDasTeclas(e->modifiers()), e->position().toPoint());
    // The right button selects nothing by itself; the handler decides.
    if (e->button() != Qt::LeftButton) return;
    QListWidget::mousePressEvent(e);
}

void ListView::mouseDoubleClickEvent(QMouseEvent *e) {
    QListWidget::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) emit DblClick();
}

void ListView::focusInEvent(QFocusEvent *e) {
    QListWidget::focusInEvent(e);
    AplicarSelecaoOculta(*this, hideSelection_);
}

void ListView::focusOutEvent(QFocusEvent *e) {
    QListWidget::focusOutEvent(e);
    AplicarSelecaoOculta(*this, hideSelection_);
}

} // namespace widgets
