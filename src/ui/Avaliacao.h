#pragma once
// The verdict on one answer a window asked for, given by a routine that shows
// nothing: take it, say why and ask again, or say why and give up. The window
// asks and shows the texts (ui/PerguntarAte.h).
#include <QString>

namespace ui {

struct Avaliacao {
    enum class Passo { Aceita, PedeDeNovo, Recusa };
    Passo passo = Passo::Aceita;
    QString aviso; // shown before asking again or giving up
    QString valor; // Aceita: the answer as it is to be used
};

} // namespace ui
