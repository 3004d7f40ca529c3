#pragma once
// The editable combo box of the entry windows: a text part over a list of
// descriptions, each with a long of item data.
//
//   - ListIndex: the chosen entry, -1 for none (setting -1 empties the text);
//   - FindString: the first entry that begins with a text, ignoring case;
//   - type-ahead: while the user types, the first entry that begins with the
//     text before the caret is chosen and its text completed, the completed
//     part selected so that typing goes on over it; with no match the typed
//     text stays and no entry is chosen;
//   - a remembered index: what the type-ahead, a click or the arrows chose
//     last; leaving the box chooses it again, and Enter moves on with a Tab
//     keystroke, yields to queued input once and then chooses it again;
//   - any other key opens the drop-down list, which leaves the keyboard in
//     the text part; Esc with the list dropped down closes the list and goes
//     no further;
//   - typed letters turn to upper case, and so do pasted, dropped and
//     composed ones; the box turns yellow while focused.
#include <QComboBox>
#include <QString>

class QListView;

namespace widgets {

class EditCombo : public QComboBox {
    Q_OBJECT
public:
    explicit EditCombo(QWidget *parent = nullptr);
    ~EditCombo() override;

    void AddItem(const QString &texto, long itemData = 0);
    void Clear();
    int ListCount() const { return count(); }
    QString List(int i) const { return itemText(i); }
    long ItemData(int i) const;
    void SetItemData(int i, long v);

    int ListIndex() const { return currentIndex(); }
    // Raises Click when it chooses an entry (as the list does).
    void setListIndex(int i);
    QString Text() const { return currentText(); }
    void setText(const QString &t);

    // -1 when no entry begins with the text (start: search after that entry; -1 the whole list).
    int FindString(const QString &prefixo, int start = -1) const;

    int Remembered() const { return lembrado_; }
    void setRemembered(int i) { lembrado_ = i; }

    bool DroppedDown() const;
    void ShowDropDown(bool mostrar);

    // Whether the box changes colour and upper-cases (on by default).
    bool UpperCase = true;

signals:
    void Click();
    void Change();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void showPopup() override;
    void hidePopup() override;

private:
    void aoEditar(const QString &texto);
    void cor(bool foco);
    QListView *lista_ = nullptr;
    int lembrado_ = -1;
    int ocupado_ = 0;
};

} // namespace widgets
