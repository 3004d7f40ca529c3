#pragma once
// The pictures of the chart trees, drawn here: a card for accounts and a coin
// for income/expense types, each plain, selected (SEL), expanded (EXP),
// selected while expanded (SELEXP, and EXPSEL for the balance window) and
// inactive (INAT, with the same SEL/EXP variants).
#include <QIcon>
#include <QString>
#include <QStringList>

namespace widgets {
class ImageList;
}

namespace ui {

// The picture of one key; a null icon for an unknown key.
QIcon Icone(const QString &chave);
// Adds the given keys to an image list.
void AdicionarImagens(widgets::ImageList &lista, const QStringList &chaves);
// The eight keys of one chart editor: plain, SEL, EXP, SELEXP and the INAT ones.
QStringList ChavesDoEditor(const QString &familia); // "IMG_CONTA" or "IMG_RECDESP"

} // namespace ui
