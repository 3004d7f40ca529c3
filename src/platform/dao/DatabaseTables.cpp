// Table creation: columns with their types, checks and defaults, indexes,
// and the clustered order of a table's rows.
#include "platform/dao/DatabaseCatalog.h"
#include "platform/dao/Level.h"

namespace dao {

using value::DataType;
using value::Value;

static QString declType(const FieldDef &f) {
    switch (f.type) {
    case DataType::Boolean: return QStringLiteral("BOOLEAN");
    case DataType::Byte: return QStringLiteral("BYTE");
    case DataType::Integer: return QStringLiteral("SHORT");
    case DataType::Long: return QStringLiteral("LONG");
    case DataType::Currency: return QStringLiteral("CURRENCY");
    case DataType::Single: return QStringLiteral("SINGLE");
    case DataType::Double: return QStringLiteral("DOUBLE");
    case DataType::Date: return QStringLiteral("DATETIME");
    default: return QStringLiteral("TEXT(%1)").arg(f.size > 0 ? f.size : 255);
    }
}

static QString literal(const Value &v, DataType type) {
    if (v.isNull()) return QStringLiteral("NULL");
    switch (type) {
    case DataType::Boolean: return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case DataType::Currency: return QString::number(v.toCurrency().units());
    case DataType::Date: return sqlite::quoteText(value::toStorage(v.toDate()));
    case DataType::Text: {
        // The engine's default text is written as an expression: "'?'" means ?.
        QString s = v.toString();
        if (s.size() >= 2 && s.startsWith(QLatin1Char('\'')) && s.endsWith(QLatin1Char('\''))) s = s.mid(1, s.size() - 2);
        else if (s.size() >= 2 && s.startsWith(QLatin1Char('"')) && s.endsWith(QLatin1Char('"'))) s = s.mid(1, s.size() - 2);
        return sqlite::quoteText(s);
    }
    case DataType::Single:
    case DataType::Double: return QString::number(v.toDouble(), 'g', 17);
    default: return QString::number(v.toInt());
    }
}

void Database::CreateTable(const TableDef &def) {
    requireOpen(db_);
    if (catalog_->table(def.name))
        throw err::AppError(err::db::kTableExists, QStringLiteral("DAO.TableDefs"), QStringLiteral("A tabela '%1' já existe.").arg(def.name));
    QStringList parts;
    QString autoField;
    for (const FieldDef &f : def.fields) {
        const QString q = sqlite::quoteIdent(f.name);
        QString col;
        if (f.attributes & dbAutoIncrField) {
            // Numbers are handed out once: AUTOINCREMENT never reuses a deleted row's id.
            col = q + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
            autoField = f.name;
        } else {
            col = q + QLatin1Char(' ') + declType(f);
            if (f.required) col += QStringLiteral(" NOT NULL");
            if (f.defaultValue) col += QStringLiteral(" DEFAULT ") + literal(*f.defaultValue, f.type);
            if (f.type == DataType::Text) {
                const QString tag = def.name + QLatin1Char('.') + f.name;
                col += QStringLiteral(" COLLATE JETTEXT CONSTRAINT \"jetlen:%1\" CHECK (length(%2) <= %3)")
                           .arg(tag, q).arg(f.size > 0 ? f.size : 255);
                if (!f.allowZeroLength)
                    col += QStringLiteral(" CONSTRAINT \"jetzl:%1\" CHECK (length(%2) > 0)").arg(tag, q);
            }
        }
        parts << col;
    }
    QStringList indexSql;
    for (const IndexDef &ix : def.indexes) {
        if (ix.clustered && ix.unique && ix.fields.size() == 1) {
            indexSql << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Tabela TEXT PRIMARY KEY COLLATE JETTEXT, "
                                       "Coluna TEXT NOT NULL)").arg(kOrderTable)
                     << QStringLiteral("INSERT OR REPLACE INTO %1 (Tabela, Coluna) VALUES (%2, %3)")
                            .arg(kOrderTable, sqlite::quoteText(def.name), sqlite::quoteText(ix.fields.first()));
        }
        QStringList cols;
        for (const QString &c : ix.fields) cols << sqlite::quoteIdent(c);
        if (ix.primary) {
            if (ix.fields.size() == 1 && ix.fields.first().compare(autoField, Qt::CaseInsensitive) == 0) continue;
            parts << QStringLiteral("PRIMARY KEY (%1)").arg(cols.join(QStringLiteral(", ")));
            continue;
        }
        indexSql << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                        .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(),
                             sqlite::quoteIdent(def.name + QLatin1Char('.') + ix.name), sqlite::quoteIdent(def.name),
                             cols.join(QStringLiteral(", ")));
    }
    // The table and its indexes come whole or not at all.
    Level ddl(db_, QStringLiteral("ddl"));
    try {
        sqlite::exec(db_, QStringLiteral("CREATE TABLE %1 (%2)").arg(sqlite::quoteIdent(def.name), parts.join(QStringLiteral(", "))));
        for (const QString &s : indexSql) sqlite::exec(db_, s);
        ddl.commit();
    } catch (...) {
        ddl.undo();
        invalidateSchema();
        throw;
    }
    invalidateSchema();
}

} // namespace dao
