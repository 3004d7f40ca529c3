#pragma once
// The list control of the permission editors: items with a unique key, a
// text, a small picture by key from an image list and a text tag; several
// items may be selected at once; HideSelection; a hit test; the events
// MouseDown (before the control acts on the click) and DblClick.
#include <QHash>
#include <QListWidget>
#include <QString>
#include <vector>

namespace widgets {

class ImageList;
class ListView;

class ListItem {
public:
    const QString &Key() const { return key_; }
    const QString &Text() const { return text_; }
    const QString &Tag() const { return tag_; }
    void setTag(const QString &t) { tag_ = t; }
    const QString &SmallIcon() const { return smallIcon_; }
    // An empty key shows no picture; any other must be in the image list.
    void setSmallIcon(const QString &key);
    bool Selected() const;
    void setSelected(bool s);
    // Position in the list, from 1.
    int Index() const;
    QListWidgetItem *item() const { return item_; }

private:
    friend class ListView;
    ListItem(ListView *lv, QString key, QString text) : lv_(lv), key_(std::move(key)), text_(std::move(text)) {}
    ListView *lv_;
    QString key_, text_, tag_, smallIcon_;
    QListWidgetItem *item_ = nullptr;
};

class ListView : public QListWidget {
    Q_OBJECT
public:
    explicit ListView(QWidget *parent = nullptr);
    ~ListView() override;

    void setSmallIcons(const ImageList *images) { images_ = images; }

    // Appends an item; a key already present fails (35602) and adds nothing.
    ListItem *Add(const QString &key, const QString &text, const QString &smallIcon = QString());
    void Clear();
    int Count() const { return int(items_.size()); }
    // By position from 1, or by key; nullptr when there is none.
    ListItem *Item(int index) const;
    ListItem *Item(const QString &key) const;
    const std::vector<ListItem *> &Items() const { return items_; }

    // The item at a point of the viewport, or nullptr.
    ListItem *HitTest(const QPoint &p) const;

    bool MultiSelect() const { return selectionMode() == QAbstractItemView::ExtendedSelection; }
    void setMultiSelect(bool m);
    bool HideSelection() const { return hideSelection_; }
    void setHideSelection(bool h);

signals:
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    void MouseDown(int button, int shift, const QPoint &pos);
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    friend class ListItem;
    const ImageList *images_ = nullptr;
    std::vector<ListItem *> items_;
    QHash<QString, ListItem *> byKey_;
    QHash<QListWidgetItem *, ListItem *> byItem_;
    bool hideSelection_ = true;
};

} // namespace widgets
