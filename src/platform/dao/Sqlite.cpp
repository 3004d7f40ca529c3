#include "platform/dao/Sqlite.h"

#include "platform/jetsql/SqliteFunctions.h"

#include <QRegularExpression>

namespace dao::sqlite {

namespace E = err::db;

sqlite3_stmt *prepare(sqlite3 *db, const QString &sql) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        throw error(db, rc, sql);
    }
    return st;
}

bool step(sqlite3 *db, sqlite3_stmt *st, const QString &sql) {
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    // The statement's own code carries the extended constraint kind.
    const auto e = error(db, sqlite3_extended_errcode(db), sql);
    sqlite3_reset(st);
    throw e;
}

Statement::Statement(sqlite3 *db, const QString &sql) : db_(db), stmt_(prepare(db, sql)), sql_(sql) {}

Statement::~Statement() { sqlite3_finalize(stmt_); }

bool Statement::step() { return sqlite::step(db_, stmt_, sql_); }

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::bindText(int index, const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}
void Statement::bindInt(int index, qint64 v) { sqlite3_bind_int64(stmt_, index, v); }
void Statement::bindNull(int index) { sqlite3_bind_null(stmt_, index); }

QString Statement::columnText(int i) const {
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, i));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt_, i)) : QString();
}

void exec(sqlite3 *db, const QString &sql) {
    char *msg = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    sqlite3_free(msg);
    if (rc != SQLITE_OK) throw error(db, sqlite3_extended_errcode(db), sql);
}

QString quoteIdent(const QString &name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString quoteText(const QString &text) {
    QString n = text;
    n.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + n + QLatin1Char('\'');
}

err::AppError error(sqlite3 *db, int rc, const QString &context) {
    const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const QString src = QStringLiteral("DAO.Database");
    switch (rc) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
        return {E::kDuplicateKey, src,
                QStringLiteral("As alterações solicitadas à tabela não foram bem-sucedidas porque criariam valores "
                               "duplicados no índice, chave primária ou relação.")};
    case SQLITE_CONSTRAINT_NOTNULL: {
        static const QRegularExpression re(QStringLiteral("NOT NULL constraint failed: (\\S+)"));
        const auto m = re.match(msg);
        return {E::kRequiredNull, src,
                QStringLiteral("O campo '%1' não pode conter um valor nulo porque a propriedade Required deste "
                               "campo está definida como True. Insira um valor neste campo.")
                    .arg(m.hasMatch() ? m.captured(1) : QString())};
    }
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        // A delete can only break a relation from the key side: rows of
        // another table still refer to the one being deleted.
        if (context.trimmed().startsWith(QStringLiteral("DELETE"), Qt::CaseInsensitive))
            return {E::kCascadeBlocked, src,
                    QStringLiteral("O registro não pode ser excluído ou alterado porque outra tabela inclui registros "
                                   "relacionados.")};
        return {E::kNoRelatedRecord, src,
                QStringLiteral("Não é possível adicionar ou alterar um registro porque um registro relacionado é "
                               "necessário em outra tabela.")};
    case SQLITE_CONSTRAINT_CHECK: {
        // Our own named checks: "jetlen:Table.Column", "jetzl:Table.Column".
        static const QRegularExpression re(QStringLiteral("(jetlen|jetzl):(\\S+)"));
        const auto m = re.match(msg);
        if (m.hasMatch() && m.captured(1) == QStringLiteral("jetlen"))
            return {E::kTextTooLong, src,
                    QStringLiteral("O campo '%1' é pequeno demais para aceitar a quantidade de dados que você "
                                   "tentou adicionar. Tente inserir ou colar menos dados.")
                        .arg(m.captured(2))};
        if (m.hasMatch())
            return {E::kZeroLength, src,
                    QStringLiteral("O campo '%1' não pode ser uma seqüência de caracteres de comprimento zero.")
                        .arg(m.captured(2))};
        return {E::kEngine, src, msg};
    }
    default: break;
    }
    // The engine's own texts are English and may carry a piece of the
    // statement; the user is told in Portuguese what happened, with the
    // engine's code for whoever looks into it.
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {E::kLocked, src,
                QStringLiteral("Não foi possível atualizar; o banco de dados está bloqueado por outro usuário.")};
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return {E::kDamaged, src,
                QStringLiteral("O arquivo do banco de dados está danificado ou não é um banco de dados deste sistema.")};
    case SQLITE_READONLY:
        return {E::kReadOnly, src,
                QStringLiteral("Não é possível gravar: o arquivo do banco de dados é somente leitura.")};
    case SQLITE_FULL:
        return {E::kDiskFull, src, QStringLiteral("Não há espaço suficiente no disco para gravar no banco de dados.")};
    case SQLITE_IOERR:
        return {E::kDiskError, src, QStringLiteral("Erro de disco ou de rede ao ler ou gravar o banco de dados.")};
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return {E::kNoPermission, src,
                QStringLiteral("Você não tem as permissões necessárias para usar o arquivo do banco de dados.")};
    case SQLITE_NOMEM:
        return {E::kOutOfMemory, src, QStringLiteral("Memória insuficiente.")};
    case SQLITE_CANTOPEN:
        return {E::kFileNotFound, src, QStringLiteral("Não foi possível abrir o arquivo.")};
    case SQLITE_ERROR:
        // A checked money sum, or the engine's own Sum of whole numbers, past the range.
        if (msg == QLatin1String(jetsql::kMoneyOverflow) || msg == QLatin1String("integer overflow"))
            return {E::kNumericOverflow, src, E::numericOverflowText()};
        if (msg.startsWith(QStringLiteral("no such table")))
            return {E::kUnknownTable, src,
                    QStringLiteral("O banco de dados não tem a tabela ou consulta '%1'.").arg(msg.section(QLatin1Char(':'), 1).trimmed())};
        [[fallthrough]];
    default:
        return {E::kEngine, src, QStringLiteral("Falha do mecanismo de banco de dados (código %1).").arg(rc)};
    }
}

} // namespace dao::sqlite
