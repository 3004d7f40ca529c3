#include "platform/dao/Recordset.h"

#include "platform/dao/Database.h"
#include "platform/dao/Exec.h"
#include "platform/dao/Sqlite.h"
#include "platform/dao/StatementCache.h"
#include "platform/jetsql/JetText.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <QStringEncoder>

#include <algorithm>
#include <string>
#include <string_view>

namespace dao {

using value::DataType;
using value::Value;
namespace E = err::db;

namespace {
const QString kSource = QStringLiteral("DAO.Recordset");

err::AppError noCurrent() { return {E::kNoCurrentRecord, kSource, QStringLiteral("Nenhum registro atual.")}; }

err::AppError recordDeleted() { return {err::db::kRecordDeleted, kSource, QStringLiteral("O registro foi excluído.")}; }
} // namespace

Recordset::Recordset(Database &db, Loader loader, int type, QString table)
    : statements_(db.statements()), loader_(std::move(loader)), type_(type), table_(std::move(table)) {
    adopt(loader_(), 0);
    pos_ = 0;
}

void Recordset::adopt(std::shared_ptr<Data> data, Bookmark firstMark) {
    data->marks.resize(data->rows.size());
    for (std::size_t i = 0; i < data->marks.size(); ++i) data->marks[i] = firstMark + Bookmark(i);
    data->nextMark = firstMark + Bookmark(data->marks.size());
    data_ = std::move(data);
}

Recordset::~Recordset() = default;

void Recordset::requireOpen() const {
    if (!open_)
        throw err::AppError(err::db::kInvalidObject, kSource, QStringLiteral("O objeto é inválido ou não está mais definido."));
}

sqlite3 *Recordset::connection() const {
    if (!statements_->db())
        throw err::AppError(err::db::kInvalidObject, kSource, QStringLiteral("O objeto é inválido ou não está mais definido."));
    return statements_->db();
}

void Recordset::requireCurrent() const {
    requireOpen();
    if (deleted_) throw recordDeleted();
    if (pos_ < 0 || pos_ >= long(data_->rows.size())) throw noCurrent();
}

bool Recordset::Eof() const { requireOpen(); return !deleted_ && pos_ >= long(data_->rows.size()); }
bool Recordset::Bof() const { requireOpen(); return !deleted_ && (pos_ < 0 || data_->rows.empty()); }
long Recordset::RecordCount() const { requireOpen(); return long(data_->rows.size()); }

void Recordset::MoveFirst() {
    requireOpen();
    if (data_->rows.empty()) throw noCurrent();
    pos_ = 0;
    deleted_ = false;
}
void Recordset::MoveLast() {
    requireOpen();
    if (data_->rows.empty()) throw noCurrent();
    pos_ = long(data_->rows.size()) - 1;
    deleted_ = false;
}
void Recordset::MoveNext() {
    requireOpen();
    if (deleted_) { // the row after the deleted one is already under pos_
        deleted_ = false;
        return;
    }
    if (Eof()) throw noCurrent();
    ++pos_;
}
void Recordset::MovePrevious() {
    requireOpen();
    if (deleted_) {
        deleted_ = false;
        --pos_;
        return;
    }
    if (pos_ < 0) throw noCurrent();
    --pos_;
}

long Recordset::AbsolutePosition() const {
    requireOpen();
    return (deleted_ || pos_ < 0 || pos_ >= long(data_->rows.size())) ? -1 : pos_;
}

void Recordset::SetAbsolutePosition(long pos) {
    requireOpen();
    if (pos < 0 || pos >= long(data_->rows.size()))
        throw err::AppError(err::db::kInvalidArgument, kSource, QStringLiteral("Argumento inválido."));
    pos_ = pos;
    deleted_ = false;
}

Bookmark Recordset::GetBookmark() const {
    requireCurrent();
    return data_->marks[std::size_t(pos_)];
}

void Recordset::SetBookmark(Bookmark b) {
    requireOpen();
    const auto &marks = data_->marks;
    // Marks only grow along the rows (new rows are added at the end).
    const auto it = std::lower_bound(marks.begin(), marks.end(), b);
    if (it == marks.end() || *it != b)
        throw err::AppError(err::db::kInvalidBookmark, kSource, QStringLiteral("Indicador inválido."));
    pos_ = long(it - marks.begin());
    deleted_ = false;
}

// Criteria of the form  Field op literal [AND Field op literal ...]
bool Recordset::find(const QString &criteria, long from) {
    requireOpen();
    static const QRegularExpression term(QStringLiteral(
        R"(^\s*\[?([A-Za-z_][A-Za-z0-9_]*)\]?\s*(<>|<=|>=|=|<|>)\s*('(?:[^']|'')*'|-?\d+(?:\.\d+)?|True|False)\s*(?:AND\s+|$))"),
        QRegularExpression::CaseInsensitiveOption);
    enum class Op { Eq, Ne, Lt, Gt, Le, Ge };
    struct Cond { int col; Op op; Value v; };
    std::vector<Cond> conds;
    QString rest = criteria;
    while (!rest.trimmed().isEmpty()) {
        const auto m = term.match(rest);
        if (!m.hasMatch())
            throw err::AppError(E::kSyntax, kSource, QStringLiteral("Erro de sintaxe no critério '%1'.").arg(criteria));
        Value v;
        const QString lit = m.captured(3);
        if (lit.startsWith(QLatin1Char('\''))) v = Value(lit.mid(1, lit.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'")));
        else if (lit.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) v = Value(true);
        else if (lit.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) v = Value(false);
        else v = Value(lit.toDouble());
        const QString op = m.captured(2);
        const Op o = op == QStringLiteral("=")    ? Op::Eq
                     : op == QStringLiteral("<>") ? Op::Ne
                     : op == QStringLiteral("<")  ? Op::Lt
                     : op == QStringLiteral(">")  ? Op::Gt
                     : op == QStringLiteral("<=") ? Op::Le
                                                  : Op::Ge;
        conds.push_back({fieldIndex(m.captured(1)), o, v});
        rest = rest.mid(m.capturedLength());
    }
    // Text compares as the engine orders it (the columns' collation), on
    // UTF-8: the criteria's texts are encoded once, each row's text into one
    // buffer reused along the rows.
    std::vector<QByteArray> literais(conds.size());
    for (std::size_t k = 0; k < conds.size(); ++k)
        if (conds[k].v.type() == DataType::Text) literais[k] = conds[k].v.toString().toUtf8();
    QStringEncoder utf8(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    std::string linha;
    auto cmp = [&](const Value &a, std::size_t k) -> int {
        const Value &b = conds[k].v;
        if (b.type() == DataType::Text) {
            const QString *texto = std::get_if<QString>(&a.storage());
            const QString convertido = texto ? QString() : a.toString();
            const QString &t = texto ? *texto : convertido;
            linha.resize(std::size_t(utf8.requiredSpace(t.size())));
            const char *fim = utf8.appendToBuffer(linha.data(), t);
            return jetsql::text::compareUtf8(std::string_view(linha.data(), std::size_t(fim - linha.data())),
                                             std::string_view(literais[k].constData(), std::size_t(literais[k].size())));
        }
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    };
    for (long i = std::max(from, 0L); i < long(data_->rows.size()); ++i) {
        bool ok = true;
        for (std::size_t k = 0; k < conds.size(); ++k) {
            const Cond &c = conds[k];
            const Value &a = data_->rows[std::size_t(i)][std::size_t(c.col)];
            if (a.isNull()) { ok = false; break; }
            const int r = cmp(a, k);
            switch (c.op) {
            case Op::Eq: ok = r == 0; break;
            case Op::Ne: ok = r != 0; break;
            case Op::Lt: ok = r < 0; break;
            case Op::Gt: ok = r > 0; break;
            case Op::Le: ok = r <= 0; break;
            case Op::Ge: ok = r >= 0; break;
            }
            if (!ok) break;
        }
        if (ok) {
            pos_ = i;
            deleted_ = false;
            noMatch_ = false;
            return true;
        }
    }
    noMatch_ = true; // the current row stays where it was
    return false;
}

void Recordset::FindFirst(const QString &criteria) { find(criteria, 0); }
void Recordset::FindNext(const QString &criteria) { find(criteria, deleted_ ? pos_ : pos_ + 1); }

std::unique_ptr<Recordset> Recordset::Clone() const {
    requireOpen();
    auto c = std::unique_ptr<Recordset>(new Recordset(*this));
    c->pos_ = 0;
    c->deleted_ = false;
    c->edit_ = EditMode::None;
    c->pending_.clear();
    return c;
}

void Recordset::Requery() {
    requireOpen();
    // Bookmarks of the rows read before name no row afterwards.
    adopt(loader_(), data_->nextMark);
    pos_ = 0;
    deleted_ = false;
    edit_ = EditMode::None;
    pending_.clear();
}

void Recordset::Close() {
    requireOpen();
    open_ = false;
    data_.reset();
    data_ = std::make_shared<Data>();
}

int Recordset::FieldCount() const { requireOpen(); return int(data_->columns.size()); }

QString Recordset::FieldName(int i) const {
    requireOpen();
    if (i < 0 || i >= int(data_->columns.size()))
        throw err::AppError(E::kItemNotFound, kSource, QStringLiteral("Item não encontrado nesta coleção."));
    return data_->columns[std::size_t(i)].name;
}

DataType Recordset::FieldType(int i) const {
    FieldName(i);
    return data_->columns[std::size_t(i)].type;
}

int Recordset::fieldIndex(const QString &name) const {
    auto it = data_->index.constFind(name.trimmed().toUpper());
    if (it == data_->index.cend())
        throw err::AppError(E::kItemNotFound, kSource, QStringLiteral("Item não encontrado nesta coleção."));
    return it.value();
}

Value Recordset::Field(const QString &name) const {
    requireOpen();
    const int i = fieldIndex(name);
    if (edit_ != EditMode::None) {
        for (const auto &[n, v] : pending_)
            if (n.compare(data_->columns[std::size_t(i)].name, Qt::CaseInsensitive) == 0) return v;
        if (edit_ == EditMode::Add) return Value();
    }
    requireCurrent();
    return data_->rows[std::size_t(pos_)][std::size_t(i)];
}

Value Recordset::Field(int i) const {
    return Field(FieldName(i));
}

void Recordset::AddNew() {
    requireOpen();
    if (!Updatable())
        throw err::AppError(err::db::kReadOnly, kSource, QStringLiteral("Não é possível atualizar. Banco de dados ou objeto somente leitura."));
    edit_ = EditMode::Add;
    pending_.clear();
}

void Recordset::Edit() {
    requireCurrent();
    if (!Updatable())
        throw err::AppError(err::db::kReadOnly, kSource, QStringLiteral("Não é possível atualizar. Banco de dados ou objeto somente leitura."));
    edit_ = EditMode::Edit;
    pending_.clear();
}

void Recordset::SetField(const QString &name, const Value &v) {
    requireOpen();
    if (edit_ == EditMode::None)
        throw err::AppError(err::db::kUpdateWithoutEdit, kSource, QStringLiteral("Update ou CancelUpdate sem AddNew ou Edit."));
    const QString canon = data_->columns[std::size_t(fieldIndex(name))].name;
    for (auto &[n, old] : pending_)
        if (n == canon) { old = v; return; }
    pending_.emplace_back(canon, v);
}

void Recordset::CancelUpdate() { edit_ = EditMode::None; pending_.clear(); }

void Recordset::Update() {
    requireOpen();
    if (edit_ == EditMode::None)
        throw err::AppError(err::db::kUpdateWithoutEdit, kSource, QStringLiteral("Update ou CancelUpdate sem AddNew ou Edit."));
    sqlite3 *h = connection();
    auto typeOf = [&](const QString &n) { return data_->columns[std::size_t(fieldIndex(n))].type; };
    qint64 rowid = 0;
    if (edit_ == EditMode::Add) {
        QStringList cols, marks;
        for (std::size_t i = 0; i < pending_.size(); ++i) {
            cols << sqlite::quoteIdent(pending_[i].first);
            marks << QStringLiteral("?%1").arg(i + 1);
        }
        const QString sql = pending_.empty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(sqlite::quoteIdent(table_))
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(sqlite::quoteIdent(table_), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        sqlite::Statement st(h, sql);
        for (std::size_t i = 0; i < pending_.size(); ++i)
            exec::bind(st.get(), int(i + 1), pending_[i].second, typeOf(pending_[i].first));
        st.step();
        rowid = sqlite3_last_insert_rowid(h);
    } else {
        requireCurrent();
        rowid = data_->rowids[std::size_t(pos_)];
        if (!pending_.empty()) {
            QStringList sets;
            for (std::size_t i = 0; i < pending_.size(); ++i)
                sets << QStringLiteral("%1 = ?%2").arg(sqlite::quoteIdent(pending_[i].first)).arg(i + 1);
            sqlite::Statement st(h, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                                        .arg(sqlite::quoteIdent(table_), sets.join(QStringLiteral(", ")))
                                        .arg(pending_.size() + 1));
            for (std::size_t i = 0; i < pending_.size(); ++i)
                exec::bind(st.get(), int(i + 1), pending_[i].second, typeOf(pending_[i].first));
            st.bindInt(int(pending_.size() + 1), rowid);
            st.step();
            // Another user (or statement) deleted the row since it was read.
            if (sqlite3_changes(h) == 0) throw recordDeleted();
        }
    }
    // Read the row back as the engine stored it (defaults, counters).
    QStringList cols;
    for (const auto &c : data_->columns) cols << sqlite::quoteIdent(c.name);
    sqlite::Statement st(h, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(cols.join(QStringLiteral(", ")), sqlite::quoteIdent(table_)));
    st.bindInt(1, rowid);
    Row row;
    if (!st.step()) throw recordDeleted();
    for (int c = 0; c < int(data_->columns.size()); ++c) row.push_back(exec::read(st.get(), c, data_->columns[std::size_t(c)].type));
    if (edit_ == EditMode::Add) {
        data_->rows.push_back(std::move(row));
        data_->rowids.push_back(rowid);
        data_->marks.push_back(data_->nextMark++);
    } else {
        data_->rows[std::size_t(pos_)] = std::move(row);
    }
    edit_ = EditMode::None;
    pending_.clear();
}

void Recordset::Delete() {
    requireCurrent();
    if (!Updatable())
        throw err::AppError(err::db::kReadOnly, kSource, QStringLiteral("Não é possível atualizar. Banco de dados ou objeto somente leitura."));
    sqlite3 *h = connection();
    sqlite::Statement st(h, QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(sqlite::quoteIdent(table_)));
    st.bindInt(1, data_->rowids[std::size_t(pos_)]);
    st.step();
    if (sqlite3_changes(h) == 0) throw recordDeleted();
    data_->rows.erase(data_->rows.begin() + pos_);
    data_->rowids.erase(data_->rowids.begin() + pos_);
    data_->marks.erase(data_->marks.begin() + pos_);
    // The deleted row stays current (and unreadable) until the next move.
    deleted_ = true;
}

} // namespace dao
