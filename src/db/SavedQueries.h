#pragma once
// The saved parameter queries every database file carries.
#include <QString>
#include <utility>
#include <vector>

namespace db {

struct ConsultaSalva {
    QString nome;
    QString sql;
};

// The fourteen queries in the order they are stored (alphabetical).
const std::vector<ConsultaSalva> &ConsultasSalvas();

// The text of one of them by name.
QString TextoDaConsulta(const QString &nome);

// The sub-select form of ParQrySerialESaldos, stored in place of the joined
// form in files that open with the alternate password. Same row, same columns.
QString ParQrySerialESaldosSubSelect();

} // namespace db
