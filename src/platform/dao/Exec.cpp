#include "platform/dao/Exec.h"

#include "platform/dao/Level.h"
#include "platform/dao/Sqlite.h"
#include "platform/value/CaractereNulo.h"

#include <sqlite3.h>

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace dao::exec {

using value::Currency;
using value::DataType;
using value::Value;

void bind(sqlite3_stmt *stmt, int index, const Value &v, DataType asType) {
    if (v.isNull()) { sqlite3_bind_null(stmt, index); return; }
    auto text = [&](const QString &s) {
        // The engine's length() and the column checks stop at a NUL while
        // the whole text is stored: no such text is written at all.
        if (const QString recusa = value::RecusaDeCaractereNulo(s, QStringLiteral("Um texto a gravar")); !recusa.isEmpty())
            throw err::AppError(err::db::kEngine, QStringLiteral("DAO.Database"), recusa);
        const QByteArray u = s.toUtf8();
        sqlite3_bind_text(stmt, index, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    };
    if (asType == DataType::Null) asType = v.type();
    switch (asType) {
    case DataType::Boolean: sqlite3_bind_int64(stmt, index, v.toBool() ? -1 : 0); break;
    case DataType::Byte:
    case DataType::Integer:
    case DataType::Long: sqlite3_bind_int64(stmt, index, v.toInt()); break;
    case DataType::Currency: sqlite3_bind_int64(stmt, index, v.toCurrency().units()); break;
    case DataType::Single:
    case DataType::Double: sqlite3_bind_double(stmt, index, v.toDouble()); break;
    case DataType::Date: {
        // A date that is no date (an unset QDate) is no value: stored as Null
        // (and refused by a required column), never as an empty text.
        const QDateTime d = v.toDate();
        if (d.isValid()) text(value::toStorage(d));
        else sqlite3_bind_null(stmt, index);
        break;
    }
    default: text(v.toString()); break;
    }
}

Value read(sqlite3_stmt *stmt, int col, DataType type) {
    const int st = sqlite3_column_type(stmt, col);
    if (st == SQLITE_NULL) return Value();
    auto asText = [&] {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, col));
        return QString::fromUtf8(p, sqlite3_column_bytes(stmt, col));
    };
    switch (type) {
    case DataType::Boolean: return Value(sqlite3_column_int64(stmt, col) != 0);
    case DataType::Byte: return Value(std::uint8_t(sqlite3_column_int64(stmt, col)));
    case DataType::Integer:
    case DataType::Long:
        if (st == SQLITE_TEXT) return Value(asText());
        return Value(int(sqlite3_column_int64(stmt, col)));
    case DataType::Currency:
        if (st == SQLITE_FLOAT) return Value(Currency::fromUnits(qint64(std::llround(sqlite3_column_double(stmt, col)))));
        if (st == SQLITE_TEXT) return Value(Currency::parse(asText()).value_or(Currency()));
        return Value(Currency::fromUnits(sqlite3_column_int64(stmt, col)));
    case DataType::Single:
    case DataType::Double: return Value(sqlite3_column_double(stmt, col));
    case DataType::Date: {
        if (st == SQLITE_TEXT) {
            if (auto d = value::fromStorage(asText())) return Value(*d);
            return Value(asText());
        }
        return Value(sqlite3_column_double(stmt, col));
    }
    case DataType::Text:
        return Value(asText());
    default:
        break;
    }
    switch (st) {
    case SQLITE_INTEGER: return Value(qlonglong(sqlite3_column_int64(stmt, col)));
    case SQLITE_FLOAT: return Value(sqlite3_column_double(stmt, col));
    default: return Value(asText());
    }
}

namespace {

void bindAll(sqlite3_stmt *stmt, const jetsql::Translation &t, const ParamValues &params) {
    for (std::size_t i = 0; i < t.bindKeys.size(); ++i) {
        auto it = params.find(t.bindKeys[i]);
        if (it == params.end()) {
            throw err::AppError(err::db::kTooFewParameters, QStringLiteral("DAO.Database"),
                                QStringLiteral("Parâmetros insuficientes. Eram esperados %1.").arg(t.bindOrder.size()));
        }
        bind(stmt, int(i) + 1, it->second, t.bindTypes[i]);
    }
}

// The texts of one result column that repeat from row to row (the account's
// name, the user, the settled mark) share one stored copy: reading them then
// allocates nothing, and freeing the rows has only one copy to free instead
// of one per row. A column whose texts keep differing stops being looked up.
class TextosRepetidos {
public:
    QString texto(sqlite3_stmt *stmt, int col) {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, col));
        const int n = sqlite3_column_bytes(stmt, col);
        if (desistiu_) return QString::fromUtf8(p, n);
        const std::string_view chave(p, std::size_t(n));
        if (const auto it = vistos_.find(chave); it != vistos_.end()) return it->second;
        QString s = QString::fromUtf8(p, n);
        if (vistos_.size() >= kMaxDistintos) {
            desistiu_ = true;
            vistos_.clear();
        } else {
            vistos_.emplace(std::string(chave), s);
        }
        return s;
    }

private:
    static constexpr std::size_t kMaxDistintos = 512;
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view v) const { return std::hash<std::string_view>{}(v); }
    };
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> vistos_;
    bool desistiu_ = false;
};

} // namespace

std::shared_ptr<Recordset::Data> select(StatementCache &cache, const jetsql::Translation &t, const ParamValues &params,
                                        bool withRowid) {
    auto st = cache.acquire(t.sql);
    bindAll(st.get(), t, params);
    auto data = std::make_shared<Recordset::Data>();
    const int n = sqlite3_column_count(st.get());
    const int first = withRowid ? 1 : 0; // the row's key comes first when asked for
    for (int c = first; c < n; ++c) {
        Recordset::Column col;
        const int k = c - first;
        if (k < int(t.columns.size())) col = {t.columns[std::size_t(k)].name, t.columns[std::size_t(k)].type};
        else col = {QString::fromUtf8(sqlite3_column_name(st.get(), c)), DataType::Null};
        data->index.insert(col.name.toUpper(), int(data->columns.size()));
        data->columns.push_back(col);
    }
    std::vector<TextosRepetidos> textos(std::size_t(std::max(n - first, 0)));
    while (st.step()) {
        Recordset::Row row;
        row.reserve(data->columns.size());
        for (int c = first; c < n; ++c) {
            const DataType tipo = data->columns[std::size_t(c - first)].type;
            if (tipo == DataType::Text && sqlite3_column_type(st.get(), c) == SQLITE_TEXT)
                row.emplace_back(textos[std::size_t(c - first)].texto(st.get(), c));
            else
                row.push_back(read(st.get(), c, tipo));
        }
        if (withRowid) data->rowids.push_back(sqlite3_column_int64(st.get(), 0));
        data->rows.push_back(std::move(row));
    }
    return data;
}

long action(StatementCache &cache, const jetsql::Translation &t, const ParamValues &params) {
    // A checked money sum fails the statement after it may have changed
    // some rows, and inside a transaction the engine keeps those unless the
    // statement has its own level to go back to; alone, it is its own
    // transaction and goes back whole. Any other statement runs bare: a
    // level makes the engine keep a copy of every page it changes.
    sqlite3 *db = cache.db();
    std::optional<Level> nivelProprio;
    if (t.checksMoney && !sqlite3_get_autocommit(db)) nivelProprio.emplace(db, QStringLiteral("jet_instrucao"));
    {
        auto st = cache.acquire(t.sql);
        bindAll(st.get(), t, params);
        while (st.step()) {
        }
    }
    const long mudadas = sqlite3_changes(db);
    if (nivelProprio) nivelProprio->commit();
    return mudadas;
}

} // namespace dao::exec
