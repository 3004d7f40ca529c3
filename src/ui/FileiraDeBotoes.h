#pragma once
// The row of command buttons at the foot of a list window, laid out for the
// window's width: the buttons from the left in their order, each as wide as
// its caption needs (at least the designed width, and some air beside the
// caption, when the row has room for them all so), and a row too narrow for
// them all going on in a second one, so that no button is cut or hidden
// whatever the window's width.
#include <QList>

class QPushButton;
class QWidget;

namespace ui {

// Narrower or lower than this (in twips), a list window with a button row
// leaves its layout as it is; ArrumarBotoes keeps it at least this wide.
constexpr int kLarguraDoLeiaute = 5200;
constexpr int kAlturaDoLeiaute = 2000;

// A window's measures of its button row, in pixels.
struct MedidasDosBotoes {
    int esquerda = 0; // from the panel's left edge to the first button
    int direita = 0;  // the least room kept after the last button of a row
    int espaco = 0;   // between two buttons of a row
    int entre = 0;    // between two rows
    int topo = 0;     // above the first row
    int baixo = 0;    // below the last row
    int altura = 0;   // of each button
    int largura = 0;  // each button's designed width
    int ar = 0;       // the least room beside a caption when the row has room (at least 16)
    // The least width at which the window lays itself out (narrower, it
    // leaves its layout as it is): the window is never made narrower.
    int larguraDoLeiaute = 0;
};

// Lays the visible buttons of `botoes` (children of `painel`) out, in that
// order, for the width of the panel's parent, and keeps the panel along the
// parent's bottom edge at the height the rows take. The parent is held to a
// least width: the width at which it lays itself out, and the width its
// buttons need in two rows (LarguraMinima).
void ArrumarBotoes(QWidget *painel, const QList<QPushButton *> &botoes, const MedidasDosBotoes &m);

// The least width of the panel's parent at which ArrumarBotoes lays the
// visible buttons out whole in no more than `fileiras` rows (each on a row of
// its own when `fileiras` is below one). A window keeps at least this width,
// so that no button is ever cut by its edge.
int LarguraMinima(const QList<QPushButton *> &botoes, const MedidasDosBotoes &m, int fileiras);

} // namespace ui
