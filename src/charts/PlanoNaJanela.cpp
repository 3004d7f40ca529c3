#include "charts/PlanoNaJanela.h"

#include "core/escrita/Escrita.h"
#include "platform/err/AppError.h"
#include "ui/MsgBox.h"

namespace charts {

using core::arvores::Excluir;
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

void excluir(Plano plano, const QString &codigo) {
    switch (Excluir(plano, codigo)) {
    case Exclusao::Excluido:
    case Exclusao::NadaExcluido:
        return;
    case Exclusao::Bloqueio:
        recusar(core::escrita::kMsgBloqueio, platform::ui::vbOKOnly);
    case Exclusao::ComLancamentos:
        recusar(plano == Plano::Contas ? kMsgContaComLancamentos : kMsgItemComLancamentos,
                platform::ui::vbInformation);
    }
}

} // namespace

QString ObterNovoCodigo(Plano plano, const QString &codPai) {
    QString recusa;
    const QString novo = NovoCodigo(plano, codPai, recusa);
    if (!recusa.isEmpty()) recusar(recusa, platform::ui::vbInformation);
    return novo;
}

QString ObterNovoCodigoContas(const QString &codPai) { return ObterNovoCodigo(Plano::Contas, codPai); }
QString ObterNovoCodigoRecDesp(const QString &codPai) { return ObterNovoCodigo(Plano::RecDesp, codPai); }

void ExcluirConta(const QString &codigo) { excluir(Plano::Contas, codigo); }
void ExcluirRecDesp(const QString &codigo) { excluir(Plano::RecDesp, codigo); }

} // namespace charts
