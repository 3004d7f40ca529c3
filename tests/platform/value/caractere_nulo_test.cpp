#include "platform/value/CaractereNulo.h"

#include <gtest/gtest.h>

using value::RecusaDeCaractereNulo;
using value::UsoDoTexto;

// The one rule: no refusal without a NUL character; with one, the field named
// in the sentence every window and routine shows.
TEST(CaractereNulo, RecusaNomeiaOCampoESoComCaractereNulo) {
    const QString nulo = QStringLiteral("A") + QChar(u'\0') + QStringLiteral("B");
    EXPECT_EQ(RecusaDeCaractereNulo(QStringLiteral("NF 1 ÇÃO 😀"), QStringLiteral("O documento")), QString());
    EXPECT_EQ(RecusaDeCaractereNulo(QString(), QStringLiteral("O documento")), QString());
    EXPECT_EQ(RecusaDeCaractereNulo(nulo, QStringLiteral("O histórico")),
              QStringLiteral("O histórico contém um caractere nulo, que não pode ser gravado."));
    EXPECT_EQ(RecusaDeCaractereNulo(QString(QChar(u'\0')), QStringLiteral("Um texto a gravar")),
              QStringLiteral("Um texto a gravar contém um caractere nulo, que não pode ser gravado."));
    EXPECT_EQ(RecusaDeCaractereNulo(nulo, QStringLiteral("O texto a pesquisar"), UsoDoTexto::Pesquisar),
              QStringLiteral("O texto a pesquisar contém um caractere nulo, que não pode ser pesquisado."));
}
