#pragma once
// HideSelection of the list and tree controls: while the control does not
// have the focus, its selected items are drawn like the others.
class QAbstractItemView;

namespace widgets {

// Draws the view's selection as the focus and the flag call for.
void AplicarSelecaoOculta(QAbstractItemView &view, bool ocultar);

} // namespace widgets
