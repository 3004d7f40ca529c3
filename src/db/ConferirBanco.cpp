#include "db/ConferirBanco.h"

#include "db/SavedQueries.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"

#include <QStringList>

namespace db {

std::optional<err::AppError> ProblemaDoBanco(const dao::Database &banco) {
    const QString fonte = QStringLiteral("DAO.Database");
    auto incompleto = [&](const QString &falta) {
        return err::AppError(err::db::kUnknownTable, fonte,
                             QStringLiteral("O arquivo '%1' não é um banco de dados completo deste sistema: falta %2.")
                                 .arg(banco.Name(), falta));
    };
    const QStringList tabelas = banco.TableNames();
    for (const auto &t : TabelasDoSistema())
        if (!tabelas.contains(t.name, Qt::CaseInsensitive))
            return incompleto(QStringLiteral("a tabela '%1'").arg(t.name));
    const QStringList consultas = banco.QueryDefNames();
    for (const auto &c : ConsultasSalvas())
        if (!consultas.contains(c.nome, Qt::CaseInsensitive))
            return incompleto(QStringLiteral("a consulta '%1'").arg(c.nome));
    if (banco.ReadOnly())
        return err::AppError(err::db::kReadOnly, fonte,
                             QStringLiteral("O arquivo '%1' não pode ser gravado: ele ou a sua pasta é somente "
                                            "leitura. Escolha outro arquivo ou peça permissão de gravação.")
                                 .arg(banco.Name()));
    return std::nullopt;
}

std::optional<err::AppError> ProblemaDoBancoAntigo(const dao::Database &banco) {
    const err::AppError estranho(err::db::kNotADatabase, QStringLiteral("DAO.DBEngine"),
                                 QStringLiteral("O arquivo '%1' está danificado ou não é um banco de dados deste sistema.")
                                     .arg(banco.Name()));
    const QStringList tabelas = banco.TableNames();
    for (const auto &t : TabelasDoSistema())
        if (!tabelas.contains(t.name, Qt::CaseInsensitive)) return estranho;
    if (!banco.QueryDefNames().contains(QStringLiteral("ParQrySerialESaldos"), Qt::CaseInsensitive)) return estranho;
    return std::nullopt;
}

} // namespace db
