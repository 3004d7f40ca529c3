#include "platform/value/CaractereNulo.h"

namespace value {

QString RecusaDeCaractereNulo(const QString &texto, const QString &campo, UsoDoTexto uso) {
    if (!texto.contains(QChar(u'\0'))) return QString();
    return campo + QStringLiteral(" contém um caractere nulo, que não pode ser ") +
           (uso == UsoDoTexto::Pesquisar ? QStringLiteral("pesquisado.") : QStringLiteral("gravado."));
}

} // namespace value
