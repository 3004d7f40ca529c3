#pragma once
// What a form shown as a child window of the MDI area keeps through the
// window system's handling of child windows: the keyboard focus inside it
// when it opens and while it is maximised, restored or minimised, and its
// place inside the area when it is restored.
class QMdiSubWindow;
class QWidget;

namespace platform::ui {

class Form;

// The window's first control in its tab order that takes the focus from the
// keyboard now (enabled, shown, not a label); null when it has none.
QWidget *PrimeiroControle(const QWidget *janela);

// Gives the focus to the form when the focus of its window lies outside it:
// back to the control of the form that last had it, when that control can
// still take it, else to its first control. Called on each activation of the
// active child: a form that disables itself while it reads its rows, or a
// window opened from a menu or the toolbar, would otherwise leave the keys
// to the main window. A focus the window is about to give to a control of
// another child (its activation under way) is left to it.
void FocarNaJanela(Form *form);

// Watches the child window of the form: across its maximising, restoring and
// minimising the focus stays on the control that had it (the child window
// hides itself while it changes, which would move the focus to the next
// control, a button); once restored, a child that would lie outside the area
// is moved inside it; a form that sets itself a least size holds its child
// window to it, frame included.
void AcompanharJanelaFilha(QMdiSubWindow *janela, Form *form);

// Moves a restored child window that lies partly outside its area inside it,
// keeping its size where it fits, shrunk to the area only where it does not.
void ManterNaArea(QMdiSubWindow *janela);

} // namespace platform::ui
