#pragma once
// The chart rules as the chart windows use them: a refusal of the rule
// (core/arvores/Arvores.h) is shown here and ends the command with the silent
// cancel error.
#include "core/arvores/Arvores.h"

#include <QString>

namespace charts {

// The next code under a parent; a full level or a ninth level shows its
// message and raises the silent cancel error.
QString ObterNovoCodigo(db::Plano plano, const QString &codPai);
QString ObterNovoCodigoContas(const QString &codPai);
QString ObterNovoCodigoRecDesp(const QString &codPai);

// Deletes the item with its subtree; a refusal shows its message and raises
// the silent cancel error.
void ExcluirConta(const QString &codigo);
void ExcluirRecDesp(const QString &codigo);

} // namespace charts
