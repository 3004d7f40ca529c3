#pragma once
// Small routines shared by many windows: the SQL date literal, the list of
// selected codes for an IN clause, the key filter, paths and closers.
#include "platform/err/AppError.h"

#include <QDateTime>
#include <QString>
#include <memory>

namespace dao {
class Recordset;
}

namespace db {

// 1 date and time, 2 date only, 3 time only. The empty (zero) date is "NULL".
QString DataSQL(const QDateTime &data, int modo);

// Appends "'code'," for every selected item of the tree, pre-order, and counts them.
template <typename Item>
void MontaStringDeCodigosDeObjSelecionados(const Item &item, QString &lista, long &contagem) {
    if (item.Selecionada()) {
        lista += QLatin1Char('\'') + item.CodObjeto() + QStringLiteral("',");
        ++contagem;
    }
    for (const auto &sub : item.SubItens()) MontaStringDeCodigosDeObjSelecionados(*sub, lista, contagem);
}

// The double quote and the apostrophe may not be typed where text goes into SQL.
bool CaractereProibido(int codigo);
// A login or a password holding a character the sign-in refuses: the
// apostrophe, the double quote, ";" or NUL.
bool TemCaractereRecusadoNoLogin(const QString &texto);

// The program's folder, always ending in the separator.
QString AppPath();
// True when a file (not a folder) exists at the trimmed path.
bool FileExists(const QString &caminho);
// The text before the path's last separator; empty when there is none.
QString ExtrairDiretorio(const QString &caminho);

// Closes the recordset, ignoring errors, and empties the reference.
void FecharRecordset(std::unique_ptr<dao::Recordset> &rs);

// Reads a count column of an aggregate query; a query that yields no row, or
// a Null count, counts as zero.
long LerContagem(dao::Recordset &rs, const QString &campo);

} // namespace db
