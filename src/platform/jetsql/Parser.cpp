#include "platform/jetsql/Parser.h"

#include "platform/err/AppError.h"
#include "platform/value/JetDate.h"

#include <QSet>

namespace jetsql::ast {
namespace {

using value::DataType;

[[noreturn]] void fail(const QString &text, int pos, const QString &what) {
    const QString near = text.mid(pos, 30).simplified();
    throw err::AppError(err::db::kSyntax, QStringLiteral("jetsql"),
                        QStringLiteral("Syntax error (%1) at position %2 near '%3' in query expression.")
                            .arg(what)
                            .arg(pos + 1)
                            .arg(near.isEmpty() ? QStringLiteral("<end>") : near));
}

struct Token {
    enum class T { End, Word, Bracket, Str, Int, Dec, Date, Op };
    T t = T::End;
    QString text; // word as written, bracket content, string value, number text, date storage text, operator
    int pos = 0;
};

std::vector<Token> tokenize(const QString &s) {
    std::vector<Token> out;
    int i = 0;
    const int n = int(s.size());
    auto isIdentStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    auto isIdentChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) { ++i; continue; }
        Token tk;
        tk.pos = i;
        if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) fail(s, i, QStringLiteral("comments are not allowed"));
        if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) fail(s, i, QStringLiteral("comments are not allowed"));
        if (isIdentStart(c)) {
            int j = i + 1;
            while (j < n && isIdentChar(s[j])) ++j;
            tk.t = Token::T::Word;
            tk.text = s.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('[')) {
            const int j = int(s.indexOf(QLatin1Char(']'), i + 1));
            if (j < 0) fail(s, i, QStringLiteral("unclosed bracket"));
            tk.t = Token::T::Bracket;
            tk.text = s.mid(i + 1, j - i - 1);
            if (tk.text.trimmed().isEmpty()) fail(s, i, QStringLiteral("empty name"));
            i = j + 1;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString v;
            int j = i + 1;
            for (;;) {
                if (j >= n) fail(s, i, QStringLiteral("unclosed string"));
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) { v += c; j += 2; continue; }
                    break;
                }
                v += s[j++];
            }
            tk.t = Token::T::Str;
            tk.text = v;
            i = j + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            int j = i;
            bool dec = false;
            while (j < n && s[j].isDigit()) ++j;
            if (j < n && s[j] == QLatin1Char('.') && !(j + 1 < n && isIdentStart(s[j + 1]))) {
                dec = true;
                ++j;
                while (j < n && s[j].isDigit()) ++j;
            }
            if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-'))) ++k;
                if (k < n && s[k].isDigit()) {
                    while (k < n && s[k].isDigit()) ++k;
                    j = k;
                    dec = true;
                }
            }
            if (j < n && isIdentChar(s[j])) fail(s, i, QStringLiteral("malformed number"));
            tk.t = dec ? Token::T::Dec : Token::T::Int;
            tk.text = s.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('#')) {
            const int j = int(s.indexOf(QLatin1Char('#'), i + 1));
            if (j < 0) fail(s, i, QStringLiteral("unclosed date literal"));
            const auto d = value::parseJetLiteral(s.mid(i + 1, j - i - 1));
            if (!d) fail(s, i, QStringLiteral("invalid date literal"));
            tk.t = Token::T::Date;
            tk.text = value::toStorage(*d);
            i = j + 1;
        } else {
            static const char *const two[] = {"<>", "<=", ">="};
            tk.t = Token::T::Op;
            for (const char *op : two) {
                if (s.mid(i, 2) == QLatin1String(op)) { tk.text = QLatin1String(op); break; }
            }
            if (tk.text.isEmpty()) {
                if (!QStringLiteral("(),.;*+-/\\&=<>").contains(c)) fail(s, i, QStringLiteral("unexpected character"));
                tk.text = QString(c);
            }
            i += int(tk.text.size());
        }
        out.push_back(tk);
    }
    Token end;
    end.pos = n;
    out.push_back(end);
    return out;
}

const QSet<QString> &reserved() {
    static const QSet<QString> r = {
        QStringLiteral("SELECT"), QStringLiteral("FROM"),     QStringLiteral("WHERE"),  QStringLiteral("GROUP"),
        QStringLiteral("BY"),     QStringLiteral("HAVING"),   QStringLiteral("ORDER"),  QStringLiteral("UNION"),
        QStringLiteral("ALL"),    QStringLiteral("INNER"),    QStringLiteral("LEFT"),   QStringLiteral("RIGHT"),
        QStringLiteral("OUTER"),  QStringLiteral("JOIN"),     QStringLiteral("ON"),     QStringLiteral("AS"),
        QStringLiteral("AND"),    QStringLiteral("OR"),       QStringLiteral("NOT"),    QStringLiteral("LIKE"),
        QStringLiteral("BETWEEN"), QStringLiteral("IN"),      QStringLiteral("IS"),     QStringLiteral("NULL"),
        QStringLiteral("EXISTS"), QStringLiteral("DISTINCT"), QStringLiteral("TOP"),    QStringLiteral("INSERT"),
        QStringLiteral("INTO"),   QStringLiteral("VALUES"),   QStringLiteral("UPDATE"), QStringLiteral("SET"),
        QStringLiteral("DELETE"), QStringLiteral("PARAMETERS"), QStringLiteral("TRUE"), QStringLiteral("FALSE"),
        QStringLiteral("ASC"),    QStringLiteral("DESC"),     QStringLiteral("MOD"),    QStringLiteral("XOR"),
        QStringLiteral("DISTINCTROW"), QStringLiteral("EQV"), QStringLiteral("IMP"),    QStringLiteral("PERCENT"),
        QStringLiteral("FULL"),   QStringLiteral("CROSS"),
    };
    return r;
}

class Parser {
public:
    explicit Parser(const QString &text) : s_(text), toks_(tokenize(text)) {}

    Statement statement() {
        Statement st;
        if (isKw("PARAMETERS")) parameters(st);
        if (isKw("SELECT") || isOp("(")) {
            st.k = Statement::K::Select;
            st.query = query();
        } else if (isKw("INSERT")) {
            insert(st);
        } else if (isKw("UPDATE")) {
            update(st);
        } else if (isKw("DELETE")) {
            del(st);
        } else {
            error(QStringLiteral("expected SELECT, INSERT, UPDATE or DELETE"));
        }
        if (isOp(";")) next();
        if (cur().t != Token::T::End) error(QStringLiteral("only one statement is allowed"));
        return st;
    }

private:
    const QString &s_;
    std::vector<Token> toks_;
    size_t p_ = 0;

    const Token &cur() const { return toks_[p_]; }
    const Token &peek(size_t k = 1) const { return toks_[std::min(p_ + k, toks_.size() - 1)]; }
    void next() { if (p_ + 1 < toks_.size()) ++p_; }
    [[noreturn]] void error(const QString &what) const { fail(s_, cur().pos, what); }

    static bool wordIs(const Token &t, const char *kw) {
        return t.t == Token::T::Word && t.text.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
    }
    bool isKw(const char *kw) const { return wordIs(cur(), kw); }
    bool isOp(const char *op) const { return cur().t == Token::T::Op && cur().text == QLatin1String(op); }
    bool acceptKw(const char *kw) { if (isKw(kw)) { next(); return true; } return false; }
    bool acceptOp(const char *op) { if (isOp(op)) { next(); return true; } return false; }
    void expectKw(const char *kw) { if (!acceptKw(kw)) error(QStringLiteral("expected %1").arg(QLatin1String(kw))); }
    void expectOp(const char *op) { if (!acceptOp(op)) error(QStringLiteral("expected '%1'").arg(QLatin1String(op))); }

    static bool isReserved(const Token &t) {
        return t.t == Token::T::Word && reserved().contains(t.text.toUpper());
    }
    bool isName() const { return cur().t == Token::T::Bracket || (cur().t == Token::T::Word && !isReserved(cur())); }
    QString name() {
        if (!isName()) error(QStringLiteral("expected a name"));
        QString n = cur().text;
        next();
        return n;
    }

    void parameters(Statement &st) {
        next();
        for (;;) {
            ParamDecl d;
            if (cur().t != Token::T::Bracket && cur().t != Token::T::Word) error(QStringLiteral("expected a parameter name"));
            d.name = cur().text;
            next();
            if (cur().t != Token::T::Word) error(QStringLiteral("expected a parameter type"));
            const QString ty = cur().text.toUpper();
            next();
            if (ty == QLatin1String("TEXT") || ty == QLatin1String("CHAR") || ty == QLatin1String("VARCHAR") ||
                ty == QLatin1String("STRING") || ty == QLatin1String("MEMO")) {
                d.type = DataType::Text;
                if (acceptOp("(")) {
                    if (cur().t != Token::T::Int) error(QStringLiteral("expected a size"));
                    next();
                    expectOp(")");
                }
            } else if (ty == QLatin1String("LONG") || ty == QLatin1String("INTEGER") || ty == QLatin1String("INT")) {
                d.type = DataType::Long;
            } else if (ty == QLatin1String("SHORT") || ty == QLatin1String("SMALLINT")) {
                d.type = DataType::Integer;
            } else if (ty == QLatin1String("BYTE")) {
                d.type = DataType::Byte;
            } else if (ty == QLatin1String("DATETIME") || ty == QLatin1String("DATE")) {
                d.type = DataType::Date;
            } else if (ty == QLatin1String("CURRENCY") || ty == QLatin1String("MONEY")) {
                d.type = DataType::Currency;
            } else if (ty == QLatin1String("DOUBLE") || ty == QLatin1String("FLOAT")) {
                d.type = DataType::Double;
            } else if (ty == QLatin1String("SINGLE") || ty == QLatin1String("REAL")) {
                d.type = DataType::Single;
            } else if (ty == QLatin1String("BIT") || ty == QLatin1String("YESNO") || ty == QLatin1String("BOOLEAN")) {
                d.type = DataType::Boolean;
            } else {
                fail(s_, toks_[p_ - 1].pos, QStringLiteral("unknown parameter type"));
            }
            st.params.push_back(d);
            if (acceptOp(",")) continue;
            expectOp(";");
            break;
        }
    }

    void insert(Statement &st) {
        st.k = Statement::K::Insert;
        next();
        expectKw("INTO");
        st.tablePos = cur().pos;
        st.table = name();
        if (isOp("(") && !wordIs(peek(), "SELECT") && !(peek().t == Token::T::Op && peek().text == QLatin1String("("))) {
            next();
            for (;;) {
                const int pos = cur().pos;
                QString c = name();
                if (acceptOp(".")) c = name(); // T.col
                st.insertCols.emplace_back(c, pos);
                if (acceptOp(",")) continue;
                expectOp(")");
                break;
            }
        }
        if (acceptKw("VALUES")) {
            expectOp("(");
            for (;;) {
                st.values.push_back(expr());
                if (acceptOp(",")) continue;
                expectOp(")");
                break;
            }
        } else if (isKw("SELECT") || isOp("(")) {
            st.query = query();
        } else {
            error(QStringLiteral("expected VALUES or SELECT"));
        }
    }

    void update(Statement &st) {
        st.k = Statement::K::Update;
        next();
        st.target = fromItem();
        expectKw("SET");
        for (;;) {
            ExprP target = primary();
            if (target->k != Expr::K::Name) fail(s_, target->pos, QStringLiteral("expected a column to set"));
            expectOp("=");
            st.sets.emplace_back(target, expr());
            if (acceptOp(",")) continue;
            break;
        }
        if (acceptKw("WHERE")) st.where = expr();
    }

    void del(Statement &st) {
        st.k = Statement::K::Delete;
        next();
        if (acceptOp("*")) {
        } else if (isName() && peek().t == Token::T::Op && peek().text == QLatin1String(".")) {
            st.deleteQual = name();
            expectOp(".");
            expectOp("*");
        }
        expectKw("FROM");
        st.target = fromItem();
        if (acceptKw("WHERE")) st.where = expr();
    }

    // query := member (UNION [ALL] member)* [ORDER BY ...]
    QueryP query() {
        auto q = std::make_shared<Query>();
        q->pos = cur().pos;
        q->members.push_back(member());
        while (acceptKw("UNION")) {
            q->unionAll.push_back(acceptKw("ALL"));
            q->members.push_back(member());
        }
        if (isKw("ORDER")) {
            auto ob = orderBy();
            if (q->members.size() == 1 && q->members[0].sel) q->members[0].sel->orderBy = std::move(ob);
            else q->orderBy = std::move(ob);
        }
        return q;
    }

    Query::Member member() {
        Query::Member m;
        if (acceptOp("(")) {
            m.paren = query();
            expectOp(")");
        } else {
            m.sel = selectCore();
        }
        return m;
    }

    std::vector<OrderItem> orderBy() {
        expectKw("ORDER");
        expectKw("BY");
        std::vector<OrderItem> out;
        for (;;) {
            OrderItem o;
            o.e = expr();
            if (acceptKw("DESC")) o.desc = true;
            else acceptKw("ASC");
            out.push_back(o);
            if (acceptOp(",")) continue;
            break;
        }
        return out;
    }

    std::shared_ptr<Select> selectCore() {
        auto sel = std::make_shared<Select>();
        sel->pos = cur().pos;
        expectKw("SELECT");
        if (isKw("DISTINCTROW")) error(QStringLiteral("DISTINCTROW is not supported"));
        if (acceptKw("ALL")) {
        } else if (acceptKw("DISTINCT")) {
            sel->distinct = true;
        }
        if (acceptKw("TOP")) {
            if (cur().t != Token::T::Int) error(QStringLiteral("expected a number after TOP"));
            sel->top = cur().text.toLongLong();
            next();
            if (isKw("PERCENT")) error(QStringLiteral("TOP PERCENT is not supported"));
        }
        for (;;) {
            SelItem it;
            it.pos = cur().pos;
            if (acceptOp("*")) {
                it.star = true;
            } else if (isName() && peek().t == Token::T::Op && peek().text == QLatin1String(".") &&
                       peek(2).t == Token::T::Op && peek(2).text == QLatin1String("*")) {
                it.star = true;
                it.starQual = name();
                next();
                next();
            } else {
                it.e = expr();
                if (acceptKw("AS")) it.alias = name();
                else if (isName()) it.alias = name();
            }
            sel->items.push_back(it);
            if (acceptOp(",")) continue;
            break;
        }
        if (isKw("INTO")) error(QStringLiteral("SELECT ... INTO is not supported"));
        if (acceptKw("FROM")) {
            for (;;) {
                sel->from.push_back(fromItem());
                if (acceptOp(",")) continue;
                break;
            }
        }
        if (acceptKw("WHERE")) sel->where = expr();
        if (acceptKw("GROUP")) {
            expectKw("BY");
            for (;;) {
                sel->groupBy.push_back(expr());
                if (acceptOp(",")) continue;
                break;
            }
        }
        if (acceptKw("HAVING")) sel->having = expr();
        return sel;
    }

    // fromItem := tablePrimary (join tablePrimary ON expr)*
    TableRefP fromItem() {
        TableRefP left = tablePrimary();
        for (;;) {
            const int pos = cur().pos;
            QString kind;
            if (acceptKw("INNER")) kind = QStringLiteral("INNER");
            else if (acceptKw("LEFT")) { acceptKw("OUTER"); kind = QStringLiteral("LEFT"); }
            else if (isKw("RIGHT") || isKw("FULL")) error(QStringLiteral("RIGHT and FULL joins are not supported"));
            else break;
            expectKw("JOIN");
            auto j = std::make_shared<TableRef>();
            j->k = TableRef::K::Join;
            j->pos = pos;
            j->join = kind;
            j->left = left;
            j->right = tablePrimary();
            expectKw("ON");
            j->on = expr();
            left = j;
        }
        return left;
    }

    TableRefP tablePrimary() {
        auto t = std::make_shared<TableRef>();
        t->pos = cur().pos;
        if (acceptOp("(")) {
            if (isKw("SELECT")) {
                t->k = TableRef::K::Derived;
                t->sub = query();
                expectOp(")");
                if (acceptKw("AS")) t->alias = name();
                else if (isName()) t->alias = name();
                // Without an alias its columns are still reachable unqualified.
                return t;
            }
            TableRefP inner = fromItem();
            expectOp(")");
            return inner;
        }
        t->k = TableRef::K::Named;
        t->name = name();
        if (acceptKw("AS")) t->alias = name();
        else if (isName()) t->alias = name();
        return t;
    }

    // Precedence, lowest first: OR, AND, NOT, comparison/LIKE/IN/BETWEEN/IS,
    // &, + -, MOD, \, * /, unary sign.
    ExprP expr() { return orExpr(); }

    ExprP bin(const QString &op, ExprP l, ExprP r, int pos) {
        auto e = std::make_shared<Expr>();
        e->k = Expr::K::Binary;
        e->text = op;
        e->pos = pos;
        e->args = {std::move(l), std::move(r)};
        return e;
    }

    ExprP orExpr() {
        ExprP l = andExpr();
        while (isKw("OR")) {
            const int pos = cur().pos;
            next();
            l = bin(QStringLiteral("OR"), l, andExpr(), pos);
        }
        if (isKw("XOR") || isKw("EQV") || isKw("IMP")) error(QStringLiteral("operator not supported"));
        return l;
    }
    ExprP andExpr() {
        ExprP l = notExpr();
        while (isKw("AND")) {
            const int pos = cur().pos;
            next();
            l = bin(QStringLiteral("AND"), l, notExpr(), pos);
        }
        return l;
    }
    ExprP notExpr() {
        if (isKw("NOT")) {
            auto e = std::make_shared<Expr>();
            e->pos = cur().pos;
            next();
            e->k = Expr::K::Unary;
            e->text = QStringLiteral("NOT");
            e->args = {notExpr()};
            return e;
        }
        return compare();
    }
    ExprP compare() {
        ExprP l = concat();
        for (;;) {
            const int pos = cur().pos;
            if (cur().t == Token::T::Op &&
                (isOp("=") || isOp("<>") || isOp("<") || isOp(">") || isOp("<=") || isOp(">="))) {
                const QString op = cur().text;
                next();
                l = bin(op, l, concat(), pos);
                continue;
            }
            bool neg = false;
            if (isKw("NOT") && (wordIs(peek(), "LIKE") || wordIs(peek(), "IN") || wordIs(peek(), "BETWEEN"))) {
                neg = true;
                next();
            }
            auto e = std::make_shared<Expr>();
            e->pos = pos;
            e->negated = neg;
            if (acceptKw("LIKE")) {
                e->k = Expr::K::Like;
                e->args = {l, concat()};
            } else if (acceptKw("BETWEEN")) {
                e->k = Expr::K::Between;
                ExprP lo = concat();
                expectKw("AND");
                e->args = {l, lo, concat()};
            } else if (acceptKw("IN")) {
                expectOp("(");
                if (isKw("SELECT")) {
                    e->k = Expr::K::InSub;
                    e->args = {l};
                    e->sub = query();
                } else {
                    e->k = Expr::K::InList;
                    e->args = {l};
                    for (;;) {
                        e->args.push_back(expr());
                        if (acceptOp(",")) continue;
                        break;
                    }
                }
                expectOp(")");
            } else if (!neg && acceptKw("IS")) {
                e->k = Expr::K::IsNull;
                e->negated = acceptKw("NOT");
                expectKw("NULL");
                e->args = {l};
            } else {
                if (neg) error(QStringLiteral("expected LIKE, IN or BETWEEN"));
                return l;
            }
            l = e;
        }
    }
    ExprP concat() {
        ExprP l = additive();
        while (isOp("&")) {
            const int pos = cur().pos;
            next();
            l = bin(QStringLiteral("&"), l, additive(), pos);
        }
        return l;
    }
    ExprP additive() {
        ExprP l = modExpr();
        while (isOp("+") || isOp("-")) {
            const int pos = cur().pos;
            const QString op = cur().text;
            next();
            l = bin(op, l, modExpr(), pos);
        }
        return l;
    }
    ExprP modExpr() {
        ExprP l = intDiv();
        while (isKw("MOD")) {
            const int pos = cur().pos;
            next();
            l = bin(QStringLiteral("MOD"), l, intDiv(), pos);
        }
        return l;
    }
    ExprP intDiv() {
        ExprP l = multiplicative();
        while (isOp("\\")) {
            const int pos = cur().pos;
            next();
            l = bin(QStringLiteral("\\"), l, multiplicative(), pos);
        }
        return l;
    }
    ExprP multiplicative() {
        ExprP l = unary();
        while (isOp("*") || isOp("/")) {
            const int pos = cur().pos;
            const QString op = cur().text;
            next();
            l = bin(op, l, unary(), pos);
        }
        return l;
    }
    ExprP unary() {
        if (isOp("-") || isOp("+")) {
            auto e = std::make_shared<Expr>();
            e->pos = cur().pos;
            e->k = Expr::K::Unary;
            e->text = cur().text;
            next();
            e->args = {unary()};
            return e;
        }
        return primary();
    }

    ExprP primary() {
        auto e = std::make_shared<Expr>();
        e->pos = cur().pos;
        const Token &t = cur();
        switch (t.t) {
        case Token::T::Int: e->k = Expr::K::Int; e->text = t.text; next(); return e;
        case Token::T::Dec: e->k = Expr::K::Dec; e->text = t.text; next(); return e;
        case Token::T::Str: e->k = Expr::K::Str; e->text = t.text; next(); return e;
        case Token::T::Date: e->k = Expr::K::Date; e->text = t.text; next(); return e;
        case Token::T::Bracket:
            return nameExpr();
        case Token::T::Op:
            if (acceptOp("(")) {
                if (isKw("SELECT")) {
                    e->k = Expr::K::Sub;
                    e->sub = query();
                    expectOp(")");
                    return e;
                }
                ExprP inner = expr();
                expectOp(")");
                return inner;
            }
            error(QStringLiteral("unexpected symbol"));
        case Token::T::Word: {
            if (isKw("NULL")) { next(); e->k = Expr::K::Null; return e; }
            if (isKw("TRUE") || isKw("FALSE")) { e->k = Expr::K::Bool; e->b = isKw("TRUE"); next(); return e; }
            if (isKw("EXISTS")) {
                next();
                expectOp("(");
                e->k = Expr::K::Exists;
                e->sub = query();
                expectOp(")");
                return e;
            }
            const bool call = peek().t == Token::T::Op && peek().text == QLatin1String("(");
            // LEFT and RIGHT are join words, and also the text functions.
            if (isReserved(t) && !(call && (isKw("LEFT") || isKw("RIGHT")))) error(QStringLiteral("unexpected word"));
            if (call) {
                e->k = Expr::K::Func;
                e->text = t.text;
                next();
                next();
                if (acceptOp(")")) return e;
                if (isOp("*") && peek().t == Token::T::Op && peek().text == QLatin1String(")")) {
                    e->star = true;
                    next();
                    next();
                    return e;
                }
                if (isKw("DISTINCT")) error(QStringLiteral("DISTINCT inside a function is not supported"));
                for (;;) {
                    e->args.push_back(expr());
                    if (acceptOp(",")) continue;
                    break;
                }
                expectOp(")");
                return e;
            }
            return nameExpr();
        }
        case Token::T::End:
            error(QStringLiteral("unexpected end of text"));
        }
        error(QStringLiteral("unexpected token"));
    }

    ExprP nameExpr() {
        auto e = std::make_shared<Expr>();
        e->pos = cur().pos;
        e->k = Expr::K::Name;
        QString first = name();
        if (isOp(".") && (peek().t == Token::T::Bracket || peek().t == Token::T::Word)) {
            next();
            e->qual = first;
            e->text = cur().text; // a column may be a reserved word after the dot
            next();
        } else {
            e->text = first;
        }
        return e;
    }
};

} // namespace

Statement parse(const QString &text) {
    Parser p(text);
    return p.statement();
}

} // namespace jetsql::ast
