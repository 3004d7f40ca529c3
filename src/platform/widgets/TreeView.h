#pragma once
// The tree control the chart windows are built on: nodes with unique keys,
// a text tag, three image keys (normal, selected, expanded) taken from an
// image list, per-node sorted children, and the events Expand, Collapse,
// NodeClick, DblClick and MouseDown. Expand and Collapse also fire, synchronously,
// when code changes a node's expanded state, as long as the node has children
// at that moment; the chart loaders rely on it.
//
// A NodeClick handler may wait and let queued input run: the second click of
// a double click, queued meanwhile, then arrives inside that wait as
// DblClick (and the node still expands or collapses). A click on a node's
// expand arrow only expands or collapses it.
#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

class QMenu;
#include <memory>
#include <vector>

namespace widgets {

// Error numbers of the control.
constexpr long kErrElementNotFound = 35601;
constexpr long kErrKeyNotUnique = 35602;
constexpr long kErrInvalidRelative = 35605;

class ImageList {
public:
    void Add(const QString &key, const QIcon &icon);
    bool Contains(const QString &key) const { return icons_.contains(key); }
    QIcon Icon(const QString &key) const { return icons_.value(key); }
    QStringList Keys() const { return order_; }
    int Count() const { return int(order_.size()); }

private:
    QHash<QString, QIcon> icons_;
    QStringList order_;
};

enum TreeRelationship { tvwFirst = 0, tvwLast = 1, tvwNext = 2, tvwPrevious = 3, tvwChild = 4 };
enum TreeLineStyle { tvwTreeLines = 0, tvwRootLines = 1 };

class TreeView;

class Node {
public:
    const QString &Key() const { return key_; }
    const QString &Text() const { return text_; }
    void setText(const QString &t);
    const QString &Tag() const { return tag_; }
    void setTag(const QString &t) { tag_ = t; }

    const QString &Image() const { return image_; }
    const QString &SelectedImage() const { return selectedImage_; }
    const QString &ExpandedImage() const { return expandedImage_; }
    // An empty key means no picture; any other key must be in the image list.
    void setImage(const QString &k);
    void setSelectedImage(const QString &k);
    void setExpandedImage(const QString &k);
    // The key of the picture shown now.
    QString ShownImage() const;

    bool Sorted() const { return sorted_; }
    void setSorted(bool s);

    bool Expanded() const { return expanded_; }
    void setExpanded(bool e);

    bool Selected() const;
    void setSelected(bool s);
    void EnsureVisible();

    Node *Parent() const { return parent_; }
    int Children() const { return int(children_.size()); }
    Node *Child() const { return children_.empty() ? nullptr : children_.front(); }
    Node *Next() const;
    const std::vector<Node *> &ChildList() const { return children_; }
    // Depth below the top level (a top-level node has 0).
    int Level() const;
    QTreeWidgetItem *item() const { return item_; }
    TreeView *tree() const { return tree_; }

private:
    friend class TreeView;
    Node(TreeView *tree, QString key, QString text) : tree_(tree), key_(std::move(key)), text_(std::move(text)) {}
    void refreshIcon();
    TreeView *tree_;
    QString key_, text_, tag_;
    QString image_, selectedImage_, expandedImage_;
    bool sorted_ = false;
    bool expanded_ = false;
    Node *parent_ = nullptr;
    std::vector<Node *> children_;
    QTreeWidgetItem *item_ = nullptr;
};

class TreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TreeView(QWidget *parent = nullptr);
    ~TreeView() override;

    void setImageList(const ImageList *images) { images_ = images; }
    const ImageList *imageList() const { return images_; }

    // Adds a node. With an empty relative the node goes to the top level
    // (first or last); tvwChild adds it as the relative's child (at its
    // sorted place when the relative's children are sorted).
    Node *Add(const QString &relative, int relationship, const QString &key, const QString &text,
              const QString &image = QString(), const QString &selectedImage = QString());
    // Removes the node with its whole subtree.
    void Remove(const QString &key);
    void Clear();
    // nullptr when no node has the key.
    Node *Item(const QString &key) const;
    int Count() const { return int(byKey_.size()); }
    QList<Node *> TopNodes() const;

    Node *SelectedItem() const { return selected_; }
    void setSelectedItem(Node *n);
    // The node at a point of the viewport, or nullptr.
    Node *HitTest(const QPoint &p) const;
    // True when a point of the viewport is on a node's row left of the node
    // itself: on its expand arrow or the lines before it. A press there
    // opens or closes the node and raises neither NodeClick nor DblClick.
    bool AoLadoDoNo(const QPoint &p) const;
    // Where the node's text starts, in the tree's own coordinates.
    int TextLeft(Node *n) const;
    // Where a first-level node's text starts or would start, also with no
    // node in the tree (with or without a picture before it).
    int TextLeftOfFirstLevel(bool withImage) const;
    // The node shown by a row of the view, or nullptr.
    Node *NodeOf(QTreeWidgetItem *item) const { return nodeOf(item); }

    int LineStyle() const { return lineStyle_; }
    void setLineStyle(int style);

    // True: the selected node is drawn like the others while the tree does
    // not have the focus.
    bool HideSelection() const { return hideSelection_; }
    void setHideSelection(bool h);

    // Order of sorted siblings: Portuguese, ignoring case.
    static int CompareText(const QString &a, const QString &b);

    // A fixed-pitch font ("Courier New" is drawn with a metric-compatible
    // face where it is missing).
    void setFixedPitchFont(const QString &family, int points);
    // Indentation of one level as a number of character widths of the
    // tree's font (kept when the font changes): with a fixed-pitch font, texts
    // padded to widths that shrink by as many characters per level end in
    // one column.
    void setIndentChars(int chars);
    int IndentChars() const { return indentChars_; }

    // Shows a popup menu at a point of the viewport (as given by MouseDown)
    // without waiting for it; PopupShown tells who listens (tests) which menu
    // is open, so that they can pick an entry.
    void PopupMenu(QMenu *menu, const QPoint &pos);

signals:
    void Expand(widgets::Node *node);
    void Collapse(widgets::Node *node);
    void NodeClick(widgets::Node *node);
    void DblClick();
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    void MouseDown(int button, int shift, const QPoint &pos);
    void PopupShown(QMenu *menu, const QPoint &pos);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void changeEvent(QEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    friend class Node;
    Node *nodeOf(QTreeWidgetItem *item) const;
    void place(Node *n, Node *parent, int index);
    int sortedIndex(Node *parent, const QString &text) const;
    void requireImage(const QString &key) const;
    void fireExpanded(Node *n, bool expanded);
    void onItemExpanded(QTreeWidgetItem *item);
    void onItemCollapsed(QTreeWidgetItem *item);
    void onCurrentChanged(QTreeWidgetItem *current);
    void destroy(Node *n);
    int textLeftIn(const QRect &rect, const QModelIndex &index, const QString &text, bool withImage) const;

    const ImageList *images_ = nullptr;
    QHash<QString, Node *> byKey_;
    QHash<QTreeWidgetItem *, Node *> byItem_;
    std::vector<Node *> top_;
    Node *selected_ = nullptr;
    int lineStyle_ = tvwRootLines;
    int indentChars_ = 0;  // 0: the style's indentation
    int syncing_ = 0;      // the view follows a change made by code
    bool userSelect_ = false;
    bool hideSelection_ = false;
};

} // namespace widgets

Q_DECLARE_METATYPE(widgets::Node *)
