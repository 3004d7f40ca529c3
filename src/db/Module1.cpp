#include "db/Module1.h"

#include "platform/dao/Recordset.h"
#include "platform/value/JetDate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace db {

QString DataSQL(const QDateTime &data, int modo) {
    if (value::isZeroDate(data)) return QStringLiteral("NULL");
    const QDate d = data.date();
    const QTime t = data.time();
    auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    const QString dia = two(d.month()) + QLatin1Char('/') + two(d.day()) + QLatin1Char('/') +
                        QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    const QString hora = two(t.hour()) + QLatin1Char(':') + two(t.minute()) + QLatin1Char(':') + two(t.second());
    switch (modo) {
    case 1: return QLatin1Char('#') + dia + QLatin1Char(' ') + hora + QLatin1Char('#');
    case 2: return QLatin1Char('#') + dia + QLatin1Char('#');
    case 3: return QLatin1Char('#') + hora + QLatin1Char('#');
    default:
        throw err::AppError(err::kErrGeneric, QStringLiteral("DataSQL"), QStringLiteral("Formato de data inválido."));
    }
}

bool CaractereProibido(int codigo) { return codigo == 34 || codigo == 39; }

bool TemCaractereRecusadoNoLogin(const QString &texto) {
    return texto.contains(QChar(u'\0')) || texto.contains(QLatin1Char('\'')) || texto.contains(QLatin1Char(';')) ||
           texto.contains(QLatin1Char('"'));
}

QString AppPath() {
    QString p = QCoreApplication::applicationDirPath();
    if (!p.endsWith(QDir::separator()) && !p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
    return p;
}

bool FileExists(const QString &caminho) {
    const QString p = caminho.trimmed();
    if (p.isEmpty()) return false;
    const QFileInfo fi(p);
    return fi.exists() && fi.isFile();
}

QString ExtrairDiretorio(const QString &caminho) {
    const int i = caminho.lastIndexOf(QLatin1Char('/'));
    return i < 0 ? QString() : caminho.left(i);
}

void FecharRecordset(std::unique_ptr<dao::Recordset> &rs) {
    try {
        if (rs && rs->isOpen()) rs->Close();
    } catch (...) {
    }
    rs.reset();
}

long LerContagem(dao::Recordset &rs, const QString &campo) {
    if (rs.Eof() && rs.Bof())
        return 0;
    const value::Value v = rs.Field(campo);
    return v.isNull() ? 0 : static_cast<long>(v.toInt());
}

} // namespace db
