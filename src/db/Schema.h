#pragma once
// The system's database: tables, relations, passwords and seed data.
#include "platform/dao/Ddl.h"

#include <QString>
#include <vector>

namespace db {

// The database password: every file is created and opened with it.
inline const QString kSenhaBanco = QStringLiteral("$marzipanjet$");
// The alternate password: a file that opens with it gets its balance query replaced.
inline const QString kSenhaAlternativa = QStringLiteral("kwv");
inline const QString kLocaleGeral = QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0");

inline QString ConnectString(const QString &senha) { return QStringLiteral("MS Access;PWD=") + senha; }

// The two kinds of user (Usuarios.Tipo).
constexpr long kAdministrador = 1;
constexpr long kUsuarioComum = 2;

// What a user may do with an item (PermissoesDeUsuarios.Permissoes).
constexpr long kPermNenhuma = 0;
constexpr long kPermPesquisa = 1;
constexpr long kPermLancamentos = 2;
constexpr long kPermTodas = 3;

// The seven tables in creation order, each with its columns and indexes.
std::vector<dao::TableDef> TabelasDoSistema();
// The eight cascade-delete relations in creation order.
std::vector<dao::RelationDef> RelacoesDoSistema();

} // namespace db
