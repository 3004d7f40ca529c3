#pragma once
// What the user list and the user dialog both ask of the Usuarios table.
#include <QString>
#include <optional>

namespace core::permissoes {

// "Another active administrator is left": the condition every statement
// that could take away the last one carries, so that the test and the
// change are one statement.
inline const QString kOutroAdministradorAtivo =
    QStringLiteral("(Select count(*) From Usuarios WHERE Inativo = FALSE AND TIPO = 1) > 1");

// The user's Tipo as the file holds it now; nothing when the row is gone.
std::optional<long> TipoDoUsuario(long idUsuario);

// True when the user is the one active administrator the file holds now.
bool UnicoAdministradorAtivo(long idUsuario);

} // namespace core::permissoes
