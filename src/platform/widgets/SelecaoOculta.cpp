#include "platform/widgets/SelecaoOculta.h"

#include <QAbstractItemView>
#include <QApplication>

namespace widgets {

void AplicarSelecaoOculta(QAbstractItemView &view, bool ocultar) {
    QPalette p = QApplication::palette(&view);
    if (ocultar && !view.hasFocus()) {
        for (auto grupo : {QPalette::Active, QPalette::Inactive}) {
            p.setColor(grupo, QPalette::Highlight, p.color(grupo, QPalette::Base));
            p.setColor(grupo, QPalette::HighlightedText, p.color(grupo, QPalette::Text));
        }
    }
    view.setPalette(p);
}

} // namespace widgets
