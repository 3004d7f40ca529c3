#pragma once
// A text box whose typed letters become upper case; pasted text keeps its case.
#include <QLineEdit>

namespace widgets {

class UpperLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit UpperLineEdit(QWidget *parent = nullptr) : QLineEdit(parent) {}
    // Selects the whole text when the box gets the focus.
    bool selectOnFocus = false;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
};

} // namespace widgets
