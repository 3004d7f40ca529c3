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

// Deletes the item with its subtree while the code still names the item
// `id` (0: whatever item has the code); a refusal shows its message and
// raises the silent cancel error. Answers Excluido, NadaExcluido, or Mudado
// when the item is no longer the one the window loaded (nothing shown here:
// the window says so and reloads).
core::arvores::Exclusao Excluir(db::Plano plano, const QString &codigo, long id);
core::arvores::Exclusao ExcluirConta(const QString &codigo, long id = 0);
core::arvores::Exclusao ExcluirRecDesp(const QString &codigo, long id = 0);

} // namespace charts
