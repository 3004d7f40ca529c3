#pragma once
// A child window's own access keys (Alt + the underlined letter of a button
// or of a field's label) come before the main window's menu titles that
// share the letter. Every loaded form does so by itself (platform/ui/Form);
// these are for windows that handle keys of their own.
class QKeyEvent;
class QWidget;

namespace fin {

// The window's control whose access key the key event is: a visible, enabled
// button with that letter, or a visible label whose field is enabled; else null.
QWidget *TeclaDeAcesso(const QWidget *janela, const QKeyEvent *k);

// Does the control's work: presses the button, or gives the label's field the focus.
void AcionarTeclaDeAcesso(QWidget *controle);

// For a window without key handling of its own: watches the window and its
// controls, claims its access keys before the menu bar sees them and acts on them.
void DarPrecedenciaAsTeclasDeAcesso(QWidget *janela);

} // namespace fin
