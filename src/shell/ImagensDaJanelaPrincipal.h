#pragma once
// The program's own pictures for the main window: its icon, which every
// dialog and child window wears too, and the 16 x 16 toolbar images.
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace shell {

// A ledger with a coin, at 16, 32 and 48 pixels.
QIcon IconePrincipal();

// The toolbar image with that key ("IMG_CONTAS" ... "IMG_AJUDA"); a blank
// 16 x 16 image for an unknown key.
QPixmap ImagemDaBarra(const QString &key);

} // namespace shell
