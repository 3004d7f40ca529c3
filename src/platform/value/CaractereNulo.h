#pragma once
// The one rule for a NUL character in a text that reaches the engine: the
// engine's length(), its column checks and a statement's text all stop at
// it, so such a text is neither written nor searched for. Windows check their
// boxes with it before anything runs, the routines below them their values.
#include <QString>

namespace value {

// What the text is for, which the refusal names.
enum class UsoDoTexto { Gravar, Pesquisar };

// Empty when the text holds no NUL character; else the refusal to show,
// naming the field as given with its article ("O documento", "O nome"):
// "O documento contém um caractere nulo, que não pode ser gravado."
QString RecusaDeCaractereNulo(const QString &texto, const QString &campo, UsoDoTexto uso = UsoDoTexto::Gravar);

} // namespace value
