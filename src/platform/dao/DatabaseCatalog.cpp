#include "platform/dao/DatabaseCatalog.h"

namespace dao {

using value::DataType;
namespace E = err::db;

void requireOpen(sqlite3 *db) {
    if (!db)
        throw err::AppError(E::kInvalidOperation, QStringLiteral("DAO.Database"),
                            QStringLiteral("Operação inválida: o banco de dados está fechado."));
}

static DataType typeFromDecl(const QString &declIn, int *size) {
    const QString decl = declIn.trimmed().toUpper();
    *size = 0;
    if (decl.startsWith(QStringLiteral("TEXT"))) {
        static const QRegularExpression re(QStringLiteral("\\((\\d+)\\)"));
        const auto m = re.match(decl);
        *size = m.hasMatch() ? m.captured(1).toInt() : 255;
        return DataType::Text;
    }
    if (decl == QStringLiteral("BOOLEAN")) return DataType::Boolean;
    if (decl == QStringLiteral("BYTE")) return DataType::Byte;
    if (decl == QStringLiteral("SHORT")) return DataType::Integer;
    if (decl == QStringLiteral("LONG") || decl == QStringLiteral("INTEGER")) return DataType::Long;
    if (decl == QStringLiteral("CURRENCY")) return DataType::Currency;
    if (decl == QStringLiteral("DATETIME")) return DataType::Date;
    if (decl == QStringLiteral("DOUBLE")) return DataType::Double;
    if (decl == QStringLiteral("SINGLE")) return DataType::Single;
    return DataType::Text;
}

void Database::CatalogImpl::load() const {
    if (loaded_) return;
    tables_.clear();
    queries_.clear();
    QStringList names;
    {
        sqlite::Statement st(db_, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND "
                                                 "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND name NOT LIKE '\\_\\_%' ESCAPE '\\'"));
        while (st.step()) names << st.columnText(0);
    }
    for (const QString &n : names) {
        jetsql::TableDef t;
        t.name = n;
        sqlite::Statement st(db_, QStringLiteral("PRAGMA table_info(%1)").arg(sqlite::quoteIdent(n)));
        while (st.step()) {
            jetsql::ColumnDef c;
            c.name = st.columnText(1);
            c.type = typeFromDecl(st.columnText(2), &c.size);
            t.columns.push_back(c);
        }
        tables_.insert(n.toUpper(), t);
    }
    auto exists = [this](const QString &table) {
        sqlite::Statement has(db_, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?1"));
        has.bindText(1, table);
        has.step();
        return sqlite3_column_int(has.get(), 0) > 0;
    };
    if (exists(kQueryTable)) {
        sqlite::Statement st(db_, QStringLiteral("SELECT Name, Sql FROM %1").arg(kQueryTable));
        while (st.step()) queries_.insert(st.columnText(0).toUpper(), {st.columnText(0), st.columnText(1)});
    }
    if (exists(kOrderTable)) {
        sqlite::Statement st(db_, QStringLiteral("SELECT Tabela, Coluna FROM %1").arg(kOrderTable));
        while (st.step()) {
            auto it = tables_.find(st.columnText(0).toUpper());
            if (it != tables_.end()) it->rowOrder = st.columnText(1);
        }
    }
    loaded_ = true;
}

QStringList Database::TableNames() const { return catalog_->tableNames(); }
const jetsql::TableDef *Database::tableInfo(const QString &name) const { return catalog_->table(name); }

} // namespace dao
