#pragma once
// Asks in an input box until the verdict of the given routine takes the
// answer: each answer is judged, its message shown, and the box shown again
// or the question given up.
#include "ui/Avaliacao.h"

#include <QString>
#include <functional>
#include <optional>

namespace ui {

std::optional<QString> PerguntarAte(const QString &prompt, const std::function<Avaliacao(const QString &)> &avaliar);

} // namespace ui
