#pragma once
// The two charts, kept as trees of codes: capital accounts (table Contas) and
// income and expense types (table TiposMovimentacoes). Named here so that the
// chart rules and the routines that show a chart in a tree share the one name.
namespace db {

enum class Plano { Contas, RecDesp };

} // namespace db
