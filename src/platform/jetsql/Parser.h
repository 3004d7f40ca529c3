#pragma once
// Tokenizer and recursive-descent parser for the Jet SQL the program writes.
// Produces a small syntax tree; nothing here knows about SQLite.
#include "platform/value/DataType.h"

#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace jetsql::ast {

struct Query;
struct Expr;
struct TableRef;
using ExprP = std::shared_ptr<Expr>;
using QueryP = std::shared_ptr<Query>;
using TableRefP = std::shared_ptr<TableRef>;

struct Expr {
    enum class K {
        Null,    // NULL
        Int,     // whole-number literal (text holds the digits)
        Dec,     // literal with a decimal point or exponent (text holds it)
        Str,     // string literal (text holds the value)
        Date,    // #...# literal (text holds the storage form)
        Bool,    // True / False (b)
        Name,    // [qual.]name; bracketed names are kept as written
        Unary,   // op: "-", "+", "NOT"
        Binary,  // op: + - * / \ MOD & = <> < > <= >= AND OR
        Func,    // text: name; args; star for Count(*)
        Like,    // args[0] LIKE args[1]; negated
        Between, // args[0] BETWEEN args[1] AND args[2]; negated
        InList,  // args[0] IN (args[1..]); negated
        InSub,   // args[0] IN (sub); negated
        Exists,  // EXISTS (sub)
        IsNull,  // args[0] IS [NOT] NULL; negated
        Sub,     // scalar (sub)
    };
    K k = K::Null;
    int pos = 0;
    QString text;
    QString qual;
    bool b = false;
    bool negated = false;
    bool star = false;
    std::vector<ExprP> args;
    QueryP sub;
};

struct TableRef {
    enum class K { Named, Derived, Join };
    K k = K::Named;
    int pos = 0;
    QString name;  // Named
    QString alias; // Named, Derived
    QueryP sub;    // Derived
    QString join;  // Join: "INNER", "LEFT", "CROSS"
    TableRefP left, right;
    ExprP on;
};

struct SelItem {
    ExprP e;           // null for a star
    QString alias;
    bool star = false;
    QString starQual;  // "L" of L.*; empty for *
    int pos = 0;
};

struct OrderItem {
    ExprP e;
    bool desc = false;
};

struct Select {
    bool distinct = false;
    std::optional<long long> top;
    std::vector<SelItem> items;
    std::vector<TableRefP> from; // comma-separated list
    ExprP where;
    std::vector<ExprP> groupBy;
    ExprP having;
    std::vector<OrderItem> orderBy;
    int pos = 0;
};

// A single SELECT, or members joined by UNION [ALL]. A member written in
// parentheses is kept as a nested Query (it may carry its own ORDER BY / TOP).
struct Query {
    struct Member {
        std::shared_ptr<Select> sel;
        QueryP paren;
    };
    std::vector<Member> members;
    std::vector<bool> unionAll; // between members[i] and members[i+1]
    std::vector<OrderItem> orderBy; // of the whole union (single SELECTs keep theirs)
    int pos = 0;
};

struct ParamDecl {
    QString name;
    value::DataType type = value::DataType::Null;
};

struct Statement {
    enum class K { Select, Insert, Update, Delete };
    K k = K::Select;
    std::vector<ParamDecl> params;
    QueryP query;                 // Select; Insert ... SELECT
    QString table;                // Insert target
    int tablePos = 0;
    std::vector<std::pair<QString, int>> insertCols; // Insert column list (name, position)
    std::vector<ExprP> values;    // Insert ... VALUES
    TableRefP target;             // Update, Delete: FROM part (a table or a join)
    std::vector<std::pair<ExprP, ExprP>> sets; // Update
    QString deleteQual;           // Delete P.* FROM ...
    ExprP where;                  // Update, Delete
};

// Parses one statement (optionally preceded by PARAMETERS and followed by one ';').
// Throws err::AppError 3075 with the position and the text near it.
Statement parse(const QString &text);

} // namespace jetsql::ast
