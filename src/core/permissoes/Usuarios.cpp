#include "core/permissoes/Usuarios.h"

#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "ui/AppContext.h"

namespace core::permissoes {

std::optional<long> TipoDoUsuario(long idUsuario) {
    auto rs = ui::gDB->OpenRecordset(QStringLiteral("SELECT Tipo FROM Usuarios WHERE Id = ") + QString::number(idUsuario),
                                     dao::dbOpenSnapshot);
    std::optional<long> tipo;
    if (!rs->Eof()) tipo = long(rs->Field(QStringLiteral("Tipo")).toInt());
    db::FecharRecordset(rs);
    return tipo;
}

bool UsuarioExiste(long idUsuario) { return TipoDoUsuario(idUsuario).has_value(); }

bool UnicoAdministradorAtivo(long idUsuario) {
    auto rs = ui::gDB->OpenRecordset(QStringLiteral("SELECT Count(*) As Contagem FROM Usuarios WHERE Id = ") +
                                         QString::number(idUsuario) +
                                         QStringLiteral(" AND Tipo = 1 AND Inativo = False AND NOT (") +
                                         kOutroAdministradorAtivo + QLatin1Char(')'),
                                     dao::dbOpenSnapshot);
    const bool unico = db::LerContagem(*rs, QStringLiteral("Contagem")) > 0;
    db::FecharRecordset(rs);
    return unico;
}

} // namespace core::permissoes
