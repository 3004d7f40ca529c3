#include "charts/PlanoNaJanela.h"

#include "core/escrita/Escrita.h"
#include "platform/err/AppError.h"
#include "ui/MsgBox.h"

namespace charts {

using core::arvores::Exclusao;
using core::arvores::NovoCodigo;
using core::arvores::kMsgContaComLancamentos;
using core::arvores::kMsgItemComLancamentos;
using db::Plano;

namespace {

[[noreturn]] void recusar(const QString &texto, int estilo) {
    ui::MsgBox(texto, estilo);
    throw err::AppError(err::kErrCancel, QString(), QString());
}

} // namespace

Exclusao Excluir(Plano plano, const QString &codigo, long id) {
    const Exclusao e = core::arvores::Excluir(plano, codigo, id);
    switch (e) {
    case Exclusao::Excluido:
    case Exclusao::NadaExcluido:
    case Exclusao::Mudado:
        return e;
    case Exclusao::Bloqueio:
        recusar(core::escrita::kMsgBloqueio, platform::ui::vbOKOnly);
    case Exclusao::ComLancamentos:
        recusar(plano == Plano::Contas ? kMsgContaComLancamentos : kMsgItemComLancamentos,
                platform::ui::vbInformation);
    }
    return e;
}

QString ObterNovoCodigo(Plano plano, const QString &codPai) {
    QString recusa;
    const QString novo = NovoCodigo(plano, codPai, recusa);
    if (!recusa.isEmpty()) recusar(recusa, platform::ui::vbInformation);
    return novo;
}

QString ObterNovoCodigoContas(const QString &codPai) { return ObterNovoCodigo(Plano::Contas, codPai); }
QString ObterNovoCodigoRecDesp(const QString &codPai) { return ObterNovoCodigo(Plano::RecDesp, codPai); }

Exclusao ExcluirConta(const QString &codigo, long id) { return Excluir(Plano::Contas, codigo, id); }
Exclusao ExcluirRecDesp(const QString &codigo, long id) { return Excluir(Plano::RecDesp, codigo, id); }

} // namespace charts
