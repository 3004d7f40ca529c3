#pragma once
// A check box whose caption is a separate label beside it, as the selection
// dialogs lay them out: the two are placed, shown and moved independently.
//
// CheckBox: Value 0 or 1; Click is raised whenever the value changes, by the
// user or by code (unchecking it from code raises it too); GotFocus and
// LostFocus follow the focus; Enter is dropped and moves on with a Tab.
// CheckLabel: a click on it toggles its box and gives the box the focus; it
// turns yellow while its box has the focus and takes its window's background
// back when the box loses it.
#include <QCheckBox>
#include <QLabel>
#include <QPointer>

namespace widgets {

class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(QWidget *parent = nullptr);
    int Value() const { return isChecked() ? 1 : 0; }
    void setValue(int v) { setChecked(v == 1); }

signals:
    void Click();
    void GotFocus();
    void LostFocus();

protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
};

class CheckLabel : public QLabel {
    Q_OBJECT
public:
    CheckLabel(const QString &text, CheckBox *box, QWidget *parent = nullptr);
    CheckBox *Box() const { return box_; }
    // True while painted in the focus colour.
    bool Highlighted() const { return autoFillBackground(); }

    static QColor FocusColour() { return QColor(255, 255, 0); } // &HFFFF

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void highlight(bool on);
    QPointer<CheckBox> box_;
    bool pressed_ = false;
};

} // namespace widgets
