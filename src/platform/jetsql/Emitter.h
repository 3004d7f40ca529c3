#pragma once
// The emitter behind Translator: walks a parsed Jet statement and writes the
// SQLite text. Its members live in one file per kind of construct (value
// shapes, expressions, FROM, SELECT, writes); this header is private to jetsql.
#include "platform/err/AppError.h"
#include "platform/jetsql/Parser.h"
#include "platform/jetsql/Translator.h"
#include "platform/value/Currency.h"
#include "platform/value/Value.h"

#include <QSet>
#include <QStringList>
#include <optional>
#include <vector>

namespace jetsql::gen {

using namespace ast;
using value::DataType;
using value::isWhole;

constexpr long long kScale = value::Currency::kScale;

inline QString quoteId(const QString &n) {
    QString q = n;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

inline QString quoteStr(const QString &s) {
    QString q = s;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

inline bool same(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// An emitted expression with what the emitter knows about it.
struct Ex {
    enum class Lit { None, Null, Int, Cur, Dbl, Str, Bool, Date };
    QString sql;
    DataType type = DataType::Null;
    bool cond = false;     // an SQLite truth value (1/0/NULL), not yet a Jet Boolean (-1/0)
    bool baseText = false; // a plain column of a table, declared with the JETTEXT collation
    bool agg = false;
    Lit lit = Lit::None;
    int param = -1;        // an undeclared parameter: its place among them
    long long iv = 0;      // Int: value; Cur: units; Bool: -1/0
    double dv = 0;
    QString sv;            // Str
};

struct Col {
    QString name;
    DataType type = DataType::Null;
};

struct Source {
    QString name;     // as the statement refers to it (alias or table name)
    QString sqlAlias; // as the emitted SQL refers to it
    std::vector<Col> cols;
    bool base = false;
    QString table;    // base table's catalog name
};

struct Scope {
    std::vector<Source> sources;
    const Scope *parent = nullptr;
};

struct QOut {
    QString sql;
    std::vector<ResultColumn> cols;
};

inline bool isNumber(DataType t) { return value::isNumeric(t); }

class Emitter {
public:
    Emitter(const Catalog &catalog, const QString &text) : catalog_(catalog), text_(text) {}

    Translation run(const Statement &st);

private:
    const Catalog &catalog_;
    const QString &text_;
    std::vector<Parameter> declared_, undeclared_;
    std::vector<QString> bindOrder_;
    QSet<QString> aliases_; // lower-case names already given to sources in the emitted SQL
    QStringList expanding_; // saved queries being expanded (to refuse cycles)
    // Emitting a value an UPDATE stores: money sums are checked, so that one
    // past the range of money fails the statement instead of being stored
    // as a floating value.
    bool storing_ = false;
    bool checksMoney_ = false; // a checked sum was emitted

    [[noreturn]] void fail(int pos, const QString &what, long number = err::db::kSyntax) const;

    // ---- parameters -------------------------------------------------------
    void declare(const std::vector<ParamDecl> &decls, bool outer);
    Ex param(const QString &name);
    void infer(Ex &p, DataType t);
    void inferPair(Ex &a, Ex &b);
    Ex to(Ex e, DataType target);
    QString uniqueAlias(const QString &base);

    // ---- value shapes ------------------------------------------------------
    static Ex value(Ex e);
    static QString cond(const Ex &e);
    static Ex literalInt(long long v);
    static Ex literalCur(long long units);
    static Ex scale(Ex e);
    static Ex toDouble(Ex e);
    static QString textOf(const Ex &in);
    static void textAlike(Ex &a, Ex &b);
    static void unify(Ex &a, Ex &b);
    static DataType commonType(DataType a, DataType b);
    static Ex convertTo(Ex e, DataType target);
    static QString collated(const Ex &e);

    // ---- expressions -------------------------------------------------------
    Ex resolveName(const Expr &x, const Scope *scope);
    Ex expr(const Expr &x, const Scope *scope);
    Ex compareOp(const QString &op, Ex a, Ex b);
    Ex binary(const Expr &x, const Scope *scope);
    Ex function(const Expr &x, const Scope *scope);

    // ---- FROM ----------------------------------------------------------------
    QString tableSql(const TableRef &t, const Scope *outer, Scope &scope);
    QOut savedQuery(const QString &name, int pos);

    // ---- SELECT ----------------------------------------------------------------
    QOut query(const Query &q, const Scope *outer, const std::vector<DataType> *targets,
               std::vector<DataType> forced = {});
    QOut member(const Query::Member &m, const Scope *outer, const std::vector<DataType> *targets);
    QString compoundOrder(const Query &q, const std::vector<ResultColumn> &cols);
    static bool minMaxOnly(const Expr &x, bool inside, int &found);
    static ExprP seekMinMax(const ExprP &x, const Select &s);
    std::optional<Select> asSeeks(const Select &s) const;
    QOut select(const Select &s, const Scope *outer, const std::vector<DataType> *targets);

    // ---- INSERT / UPDATE / DELETE ---------------------------------------------
    const TableDef &targetTable(const QString &name, int pos);
    static const ColumnDef *column(const TableDef &def, const QString &name);
    static QString rowKey(const TableDef &def, const QString &key);
    QString rowOrderRange(const TableDef &def, const Expr &where, Scope &scope);
    QString insert(const Statement &st, QString &target);
    const Source &writtenSource(const Scope &scope, const QString &qual, int pos);
    static Source writtenTable(const TableDef &def, const TableRef &ref);
    // The place among the written columns of the column that orders the
    // table's rows on disk; -1 when the table has none or it is not written.
    static int rowOrderIndex(const TableDef &def, const std::vector<const ColumnDef *> &cols);
    QString update(const Statement &st, QString &target);
    void reserveTableNames(const TableRef &t);
    const ColumnDef *setTarget(const TableDef &def, const Scope &scope, const Expr &t, const Source *written = nullptr);
    QString del(const Statement &st, QString &target);
};

} // namespace jetsql::gen
