#pragma once
// The query of the pending list: the postings still unsettled ('?') dated up
// to today that the user may see, with their account's and type's
// descriptions and their author's login, oldest first.
#include <QDate>
#include <QString>

namespace pending {

// A common user (tipoUsuario 2) sees a posting when he holds permission 1 or
// 3 on its account or on an account above it, and on its type itself.
QString SqlPendencias(long idUsuario, int tipoUsuario, const QDate &hoje);

} // namespace pending
