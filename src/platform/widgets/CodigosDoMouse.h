#pragma once
// The codes the controls' mouse events hand their handlers: the button
// (1 left, 2 right, 4 middle, 0 any other) and the keys held down
// (1 Shift, 2 Ctrl, 4 Alt, summed).
#include <Qt>

namespace widgets {

inline int CodigoDoBotao(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

inline int CodigoDasTeclas(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

} // namespace widgets
