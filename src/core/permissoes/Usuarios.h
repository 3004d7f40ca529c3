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

// What a write on a user says when another copy of the program deleted him
// meanwhile (his permission rows went with him); nothing is written.
inline const QString kMsgUsuarioNaoExisteMais = QStringLiteral("O usuário selecionado não existe mais.");

// The user's Tipo as the file holds it now; nothing when the row is gone.
std::optional<long> TipoDoUsuario(long idUsuario);

// Whether the user's row is in the file now. A write asks it inside its own
// transaction, which holds the file's write lock from its start, so the
// answer holds until the commit.
bool UsuarioExiste(long idUsuario);

// True when the user is the one active administrator the file holds now.
bool UnicoAdministradorAtivo(long idUsuario);

} // namespace core::permissoes
