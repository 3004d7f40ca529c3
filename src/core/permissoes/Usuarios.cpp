#include "core/permissoes/Usuarios.h"

#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "ui/AppContext.h"

namespace security {

std::optional<long> TipoDoUsuario(long idUsuario) {
    auto rs = fin::gDB->OpenRecordset(QStringLiteral("SELECT Tipo FROM Usuarios WHERE Id = ") + QString::number(idUsuario),
                                      dao::dbOpenSnapshot);
    std::optional<long> tipo;
    if (!rs->Eof()) tipo = long(rs->Field(QStringLiteral("Tipo")).toInt());
    db::FecharRecordset(rs);
    return tipo;
}

} // namespace security
