#include "core/consultas/Selecao.h"

#include "db/SqlTexto.h"
#include "platform/value/JetDate.h"

namespace core::consultas {

QString TextoLiteralLike(const QString &texto) {
    QString t;
    t.reserve(texto.size() + 8);
    for (const QChar c : texto) {
        if (c == QLatin1Char('[')) t += QStringLiteral("[[]");
        else if (c == QLatin1Char('#')) t += QStringLiteral("[#]");
        else t += c;
    }
    return t;
}

QString FiltroDeHistorico(const QString &historico, const QString &campo) {
    if (historico.isEmpty()) return QString();
    return QStringLiteral(" AND ") + campo + QStringLiteral(" LIKE ") +
           db::SqlTexto(QLatin1Char('*') + TextoLiteralLike(historico) + QLatin1Char('*')) + QLatin1Char(' ');
}

DataDigitada LerDataDigitada(const QString &texto) {
    DataDigitada d;
    if (!(texto.size() == 8 || texto.size() >= 10)) return d;
    const auto data = value::parseBrTyped(texto);
    d.estado = data ? EstadoDaData::Valida : EstadoDaData::Invalida;
    if (data) d.data = *data;
    return d;
}

QString CondicaoDeLeitura(const QString &permissoes) {
    return QStringLiteral("(") + permissoes + QStringLiteral(" = 1 or ") + permissoes + QStringLiteral(" = 3)");
}

QString RestricaoDeLeitura(const QString &colunaId, int tipoObjeto, bool usuarioComum, long idUsuario) {
    if (!usuarioComum) return QString();
    return QStringLiteral(" AND ") + colunaId +
           QStringLiteral(" IN (SELECT PL.IdObjeto FROM PermissoesDeUsuarios AS PL WHERE PL.IdUsuario = ") +
           QString::number(idUsuario) + QStringLiteral(" AND PL.TipoObjeto = ") + QString::number(tipoObjeto) +
           QStringLiteral(" AND ") + CondicaoDeLeitura(QStringLiteral("PL.Permissoes")) + QStringLiteral(") ");
}

} // namespace core::consultas
