#include "platform/widgets/TreeView.h"

#include "platform/err/AppError.h"
#include "platform/widgets/CodigosDoMouse.h"
#include "platform/widgets/SelecaoOculta.h"

#include <QCollator>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>

namespace widgets {

namespace {
[[noreturn]] void falha(long n, const QString &d) { throw err::AppError(n, QStringLiteral("TreeView"), d); }

// Taking an item out of its parent and putting it back makes the view forget
// which of its descendants were open: each is shown again as its node holds
// it, or a branch the tree holds open would show closed (and its arrow would
// then open it without a load).
void mostrarAbertos(Node *n) {
    n->item()->setExpanded(n->Expanded());
    for (Node *c : n->ChildList()) mostrarAbertos(c);
}
} // namespace

void ImageList::Add(const QString &key, const QIcon &icon) {
    if (icons_.contains(key)) falha(kErrKeyNotUnique, QStringLiteral("Key is not unique in collection"));
    icons_.insert(key, icon);
    order_ << key;
}

// ---- Node -------------------------------------------------------------------

void Node::setText(const QString &t) {
    text_ = t;
    item_->setText(0, t);
    if (parent_ && parent_->sorted_) {
        // Keep the place among sorted siblings.
        auto &sibs = parent_->children_;
        sibs.erase(std::find(sibs.begin(), sibs.end(), this));
        const int at = tree_->sortedIndex(parent_, t);
        ++tree_->syncing_;
        parent_->item_->removeChild(item_);
        sibs.insert(sibs.begin() + at, this);
        parent_->item_->insertChild(at, item_);
        mostrarAbertos(this);
        // Taking the item out moved the view's current row and selection to a
        // neighbour: they go back to the selected node, so that what the user
        // sees selected is what the next command acts on.
        if (Node *sel = tree_->selected_) {
            tree_->clearSelection();
            tree_->setCurrentItem(sel->item_);
            sel->item_->setSelected(true);
        }
        --tree_->syncing_;
    }
}

void Node::setImage(const QString &k) { tree_->requireImage(k); image_ = k; refreshIcon(); }
void Node::setSelectedImage(const QString &k) { tree_->requireImage(k); selectedImage_ = k; refreshIcon(); }
void Node::setExpandedImage(const QString &k) { tree_->requireImage(k); expandedImage_ = k; refreshIcon(); }

QString Node::ShownImage() const {
    if (Selected() && !selectedImage_.isEmpty()) return selectedImage_;
    if (expanded_ && !expandedImage_.isEmpty()) return expandedImage_;
    return image_;
}

void Node::refreshIcon() {
    const QString k = ShownImage();
    item_->setIcon(0, k.isEmpty() || !tree_->images_ ? QIcon() : tree_->images_->Icon(k));
}

void Node::setSorted(bool s) {
    sorted_ = s;
    if (!s || children_.size() < 2) return;
    std::stable_sort(children_.begin(), children_.end(),
                     [](Node *a, Node *b) { return TreeView::CompareText(a->text_, b->text_) < 0; });
    ++tree_->syncing_;
    for (Node *c : children_) item_->removeChild(c->item_);
    for (Node *c : children_) {
        item_->addChild(c->item_);
        mostrarAbertos(c);
    }
    --tree_->syncing_;
}

void Node::setExpanded(bool e) {
    if (expanded_ == e) return;
    expanded_ = e;
    refreshIcon();
    ++tree_->syncing_;
    item_->setExpanded(e);
    --tree_->syncing_;
    // Only a node with children raises the event, as when the user toggles it.
    if (!children_.empty()) tree_->fireExpanded(this, e);
}

bool Node::Selected() const { return tree_->selected_ == this; }

void Node::setSelected(bool s) {
    if (s) tree_->setSelectedItem(this);
    else if (Selected()) tree_->setSelectedItem(nullptr);
}

void Node::EnsureVisible() {
    ++tree_->syncing_;
    for (Node *p = parent_; p; p = p->parent_) {
        if (!p->expanded_) p->setExpanded(true);
    }
    --tree_->syncing_;
    tree_->scrollToItem(item_);
}

Node *Node::Next() const {
    const auto &sibs = parent_ ? parent_->children_ : tree_->top_;
    auto it = std::find(sibs.begin(), sibs.end(), this);
    if (it == sibs.end() || ++it == sibs.end()) return nullptr;
    return *it;
}

int Node::Level() const {
    int l = 0;
    for (Node *p = parent_; p; p = p->parent_) ++l;
    return l;
}

// ---- TreeView ---------------------------------------------------------------

TreeView::TreeView(QWidget *parent) : QTreeWidget(parent) {
    setColumnCount(1);
    header()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setAnimated(false);
    setExpandsOnDoubleClick(true);
    connect(this, &QTreeWidget::itemExpanded, this, &TreeView::onItemExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &TreeView::onItemCollapsed);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *cur, QTreeWidgetItem *) { onCurrentChanged(cur); });
}

TreeView::~TreeView() {
    ++syncing_;
    for (Node *n : byKey_) delete n;
    byKey_.clear();
}

int TreeView::CompareText(const QString &a, const QString &b) {
    static const QCollator col = [] {
        QCollator c{QLocale(QLocale::Portuguese, QLocale::Brazil)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return col.compare(a, b);
}

void TreeView::requireImage(const QString &key) const {
    if (key.isEmpty()) return;
    if (!images_ || !images_->Contains(key)) falha(kErrElementNotFound, QStringLiteral("Element not found: ") + key);
}

int TreeView::sortedIndex(Node *parent, const QString &text) const {
    // Sorted siblings stay in order, so the place is found by halving: a
    // level of hundreds of children loads without comparing each pair.
    const auto &sibs = parent->children_;
    const auto at = std::upper_bound(sibs.begin(), sibs.end(), text, [](const QString &t, const Node *n) {
        return CompareText(t, n->text_) < 0;
    });
    return int(at - sibs.begin());
}

Node *TreeView::Add(const QString &relative, int relationship, const QString &key, const QString &text,
                    const QString &image, const QString &selectedImage) {
    if (byKey_.contains(key)) falha(kErrKeyNotUnique, QStringLiteral("Key is not unique in collection"));
    requireImage(image);
    requireImage(selectedImage);
    Node *rel = nullptr;
    if (!relative.isEmpty()) {
        rel = Item(relative);
        if (!rel) falha(kErrElementNotFound, QStringLiteral("Element not found"));
    }
    auto *n = new Node(this, key, text);
    n->image_ = image;
    n->selectedImage_ = selectedImage;
    n->item_ = new QTreeWidgetItem(QStringList{text});
    Node *parent = nullptr;
    int index = 0;
    if (!rel) {
        index = relationship == tvwFirst ? 0 : int(top_.size());
    } else if (relationship == tvwChild) {
        parent = rel;
        index = rel->sorted_ ? sortedIndex(rel, text) : int(rel->children_.size());
    } else {
        parent = rel->parent_;
        const auto &sibs = parent ? parent->children_ : top_;
        const int at = int(std::find(sibs.begin(), sibs.end(), rel) - sibs.begin());
        switch (relationship) {
        case tvwFirst: index = 0; break;
        case tvwLast: index = int(sibs.size()); break;
        case tvwNext: index = at + 1; break;
        case tvwPrevious: index = at; break;
        default: delete n->item_; delete n; falha(kErrInvalidRelative, QStringLiteral("Invalid relationship"));
        }
        if (parent && parent->sorted_) index = sortedIndex(parent, text);
    }
    byKey_.insert(key, n);
    byItem_.insert(n->item_, n);
    place(n, parent, index);
    n->refreshIcon();
    return n;
}

void TreeView::place(Node *n, Node *parent, int index) {
    n->parent_ = parent;
    ++syncing_;
    if (parent) {
        parent->children_.insert(parent->children_.begin() + index, n);
        parent->item_->insertChild(index, n->item_);
        // A collapsed parent stays collapsed, an expanded one shows the new child.
        parent->item_->setExpanded(parent->expanded_);
    } else {
        top_.insert(top_.begin() + index, n);
        insertTopLevelItem(index, n->item_);
    }
    --syncing_;
}

Node *TreeView::Item(const QString &key) const { return byKey_.value(key, nullptr); }

QList<Node *> TreeView::TopNodes() const { return QList<Node *>(top_.begin(), top_.end()); }

void TreeView::destroy(Node *n) {
    for (Node *c : n->children_) destroy(c);
    n->children_.clear();
    if (selected_ == n) selected_ = nullptr;
    byKey_.remove(n->key_);
    byItem_.remove(n->item_);
    delete n;
}

void TreeView::Remove(const QString &key) {
    Node *n = Item(key);
    if (!n) falha(kErrElementNotFound, QStringLiteral("Element not found"));
    ++syncing_;
    auto &sibs = n->parent_ ? n->parent_->children_ : top_;
    sibs.erase(std::find(sibs.begin(), sibs.end(), n));
    QTreeWidgetItem *item = n->item_;
    const bool hadSelection = selected_ != nullptr;
    destroy(n);
    delete item; // takes the Qt subtree with it
    if (hadSelection && !selected_) {
        // Like the common control: the selection moves to the current node, if any.
        if (Node *cur = nodeOf(currentItem())) {
            selected_ = cur;
            cur->refreshIcon();
        }
    }
    --syncing_;
}

void TreeView::Clear() {
    ++syncing_;
    for (Node *n : top_) destroy(n);
    top_.clear();
    selected_ = nullptr;
    QTreeWidget::clear();
    --syncing_;
}

Node *TreeView::nodeOf(QTreeWidgetItem *item) const { return item ? byItem_.value(item, nullptr) : nullptr; }

void TreeView::setSelectedItem(Node *n) {
    Node *old = selected_;
    selected_ = n;
    ++syncing_;
    setCurrentItem(n ? n->item_ : nullptr);
    if (n) n->item_->setSelected(true);
    --syncing_;
    if (old && old != n && byKey_.contains(old->key_)) old->refreshIcon();
    if (n) n->refreshIcon();
}

Node *TreeView::HitTest(const QPoint &p) const { return nodeOf(itemAt(p)); }

int TreeView::textLeftIn(const QRect &rect, const QModelIndex &index, const QString &text, bool withImage) const {
    QStyleOptionViewItem opt;
    initViewItemOption(&opt);
    opt.index = index;
    opt.rect = rect;
    opt.text = text;
    opt.features |= QStyleOptionViewItem::HasDisplay;
    if (withImage) opt.features |= QStyleOptionViewItem::HasDecoration;
    const QRect texto = style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, this);
    // The item draws its text inside that rectangle after a margin.
    const int margem = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return viewport()->mapTo(this, texto.topLeft()).x() + margem;
}

int TreeView::TextLeft(Node *n) const {
    const QModelIndex i = indexFromItem(n->item_);
    return textLeftIn(visualRect(i), i, n->text_, !n->item_->icon(0).isNull());
}

int TreeView::TextLeftOfFirstLevel(bool withImage) const {
    // Where the view places a first-level row: after the root's expand
    // arrow when the top level has one.
    const int left = columnViewportPosition(0) + (rootIsDecorated() ? indentation() : 0);
    const int altura = fontMetrics().height();
    return textLeftIn(QRect(left, 0, std::max(1, columnWidth(0) - (left - columnViewportPosition(0))), altura),
                      QModelIndex(), QString(), withImage);
}

void TreeView::setLineStyle(int style) {
    lineStyle_ = style;
    setRootIsDecorated(style == tvwRootLines);
}

void TreeView::fireExpanded(Node *n, bool expanded) {
    if (expanded) emit Expand(n);
    else emit Collapse(n);
    // The handler may have replaced the children; the view shows the state the node has now.
    if (byKey_.value(n->key_) == n) {
        ++syncing_;
        n->item_->setExpanded(n->expanded_);
        --syncing_;
        n->refreshIcon();
    }
}

void TreeView::onItemExpanded(QTreeWidgetItem *item) {
    if (syncing_) return;
    Node *n = nodeOf(item);
    if (!n || n->expanded_) return;
    n->expanded_ = true;
    n->refreshIcon();
    fireExpanded(n, true);
}

void TreeView::onItemCollapsed(QTreeWidgetItem *item) {
    if (syncing_) return;
    Node *n = nodeOf(item);
    if (!n || !n->expanded_) return;
    n->expanded_ = false;
    n->refreshIcon();
    fireExpanded(n, false);
}

void TreeView::onCurrentChanged(QTreeWidgetItem *current) {
    if (syncing_) return;
    Node *n = nodeOf(current);
    Node *old = selected_;
    selected_ = n;
    if (old && old != n) old->refreshIcon();
    if (n) n->refreshIcon();
    if (userSelect_ && n) {
        userSelect_ = false;
        emit NodeClick(n);
    }
}

void TreeView::mousePressEvent(QMouseEvent *e) {
    const QPoint pos = e->position().toPoint();
    emit MouseDown(CodigoDoBotao(e->button()), CodigoDasTeclas(e->modifiers()), pos);
    // The right button does not select; the handler of MouseDown decides.
    if (e->button() != Qt::LeftButton) return;
    // On the expand arrow (or the lines left of it) the press opens or closes
    // the node, as the view does it, and is no click on the node.
    if (AoLadoDoNo(pos)) {
        QTreeWidget::mousePressEvent(e);
        return;
    }
    Node *before = selected_;
    Node *hit = HitTest(pos);
    userSelect_ = true;
    QTreeWidget::mousePressEvent(e);
    userSelect_ = false;
    // A click on the node already selected changes nothing but is a click all the same.
    if (hit && hit == before && selected_ == hit) emit NodeClick(hit);
}

void TreeView::setFixedPitchFont(const QString &family, int points) {
    QFont f(family, points);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    // Whole-pixel advances: every character of a line, and every level, as wide.
    f.setHintingPreference(QFont::PreferFullHinting);
    if (!QFontInfo(f).fixedPitch()) f.setFamily(QStringLiteral("Monospace"));
    setFont(f);
}

void TreeView::setIndentChars(int chars) {
    indentChars_ = chars;
    if (chars > 0) setIndentation(chars * fontMetrics().horizontalAdvance(QLatin1Char('0')));
}

void TreeView::changeEvent(QEvent *e) {
    QTreeWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange && indentChars_ > 0) setIndentChars(indentChars_);
}

void TreeView::PopupMenu(QMenu *menu, const QPoint &pos) {
    if (!menu) return;
    menu->popup(viewport()->mapToGlobal(pos));
    emit PopupShown(menu, pos);
}

void TreeView::setHideSelection(bool h) {
    hideSelection_ = h;
    AplicarSelecaoOculta(*this, h);
}

void TreeView::focusInEvent(QFocusEvent *e) {
    QTreeWidget::focusInEvent(e);
    if (hideSelection_) AplicarSelecaoOculta(*this, true);
}

void TreeView::focusOutEvent(QFocusEvent *e) {
    QTreeWidget::focusOutEvent(e);
    if (hideSelection_) AplicarSelecaoOculta(*this, true);
}

bool TreeView::AoLadoDoNo(const QPoint &p) const {
    const QModelIndex i = indexAt(p);
    return i.isValid() && p.x() < visualRect(i).left();
}

void TreeView::mouseDoubleClickEvent(QMouseEvent *e) {
    // Twice on the arrow is no double click on the node: its first click
    // was none either.
    if (e->button() == Qt::LeftButton && !AoLadoDoNo(e->position().toPoint())) emit DblClick();
    QTreeWidget::mouseDoubleClickEvent(e);
}

void TreeView::keyPressEvent(QKeyEvent *e) {
    userSelect_ = true;
    QTreeWidget::keyPressEvent(e);
    userSelect_ = false;
}

} // namespace widgets
