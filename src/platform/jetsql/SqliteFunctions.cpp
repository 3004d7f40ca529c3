#include "platform/jetsql/SqliteFunctions.h"

#include "platform/jetsql/JetText.h"
#include "platform/value/Currency.h"
#include "platform/value/DataType.h"
#include "platform/value/JetDate.h"
#include "platform/value/Value.h"

#include <QDateTime>
#include <cmath>
#include <sqlite3.h>

namespace jetsql {
namespace {

QString argText(sqlite3_value *v) {
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return QString::fromUtf8(p, sqlite3_value_bytes(v));
}

void resultText(sqlite3_context *ctx, const QString &s) {
    const QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

int collate(void *, int na, const void *a, int nb, const void *b) {
    return text::compareUtf8(std::string_view(static_cast<const char *>(a), size_t(na)),
                             std::string_view(static_cast<const char *>(b), size_t(nb)));
}

void deletePattern(void *p) { delete static_cast<text::LikePattern *>(p); }

// jet_like(value, pattern): 1/0, Null when either is Null.
void likeFn(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto *pat = static_cast<text::LikePattern *>(sqlite3_get_auxdata(ctx, 1));
    if (!pat) {
        pat = new text::LikePattern(argText(argv[1]));
        sqlite3_set_auxdata(ctx, 1, pat, deletePattern);
        pat = static_cast<text::LikePattern *>(sqlite3_get_auxdata(ctx, 1));
        if (!pat) { // SQLite dropped it (not a constant): use a local one
            text::LikePattern local(argText(argv[1]));
            sqlite3_result_int(ctx, local.matches(argText(argv[0])) ? 1 : 0);
            return;
        }
    }
    sqlite3_result_int(ctx, pat->matches(argText(argv[0])) ? 1 : 0);
}

// jet_like_low(pattern) / jet_like_high(pattern): the bounds of every text the
// pattern can match, from its fixed start (Null for a Null pattern).
void likeBoundFn(sqlite3_context *ctx, int, sqlite3_value **argv, bool high) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QString bound = text::LikePattern::literalPrefix(argText(argv[0]));
    if (high) bound += QString::fromUcs4(U"\U0010FFFF");
    const QByteArray utf8 = bound.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}
void likeLowFn(sqlite3_context *ctx, int n, sqlite3_value **argv) { likeBoundFn(ctx, n, argv, false); }
void likeHighFn(sqlite3_context *ctx, int n, sqlite3_value **argv) { likeBoundFn(ctx, n, argv, true); }

QString dateText(const QString &storage) {
    const auto d = value::fromStorage(storage);
    if (!d) return storage;
    const bool midnight = d->time() == QTime(0, 0, 0);
    if (d->date() == QDate(1899, 12, 30) && !midnight) return d->toString(QStringLiteral("hh:mm:ss"));
    if (midnight) return d->toString(QStringLiteral("dd/MM/yyyy"));
    return d->toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
}

QString doubleText(double d) {
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15) return QString::number(static_cast<long long>(d));
    return QString::number(d, 'g', 15);
}

// jet_str(value, type): the text Jet gives a value of the given type when it
// joins it to text (money as plain decimal, dates in the Brazilian form).
void strFn(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto type = static_cast<value::DataType>(sqlite3_value_int(argv[1]));
    switch (type) {
    case value::DataType::Currency: {
        sqlite3_int64 units = 0;
        if (sqlite3_value_type(argv[0]) == SQLITE_FLOAT) units = std::llround(sqlite3_value_double(argv[0]));
        else units = sqlite3_value_int64(argv[0]);
        resultText(ctx, value::Currency::fromUnits(units).toPlain());
        return;
    }
    case value::DataType::Date:
        resultText(ctx, dateText(argText(argv[0])));
        return;
    case value::DataType::Double:
    case value::DataType::Single:
        resultText(ctx, doubleText(sqlite3_value_double(argv[0])));
        return;
    default:
        if (sqlite3_value_type(argv[0]) == SQLITE_FLOAT) {
            resultText(ctx, doubleText(sqlite3_value_double(argv[0])));
            return;
        }
        resultText(ctx, argText(argv[0]));
        return;
    }
}

// jet_money_whole(units): money as a whole number, rounded as the program
// rounds it (Value::toInt: half to even). Null stays Null.
void moneyWholeFn(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const sqlite3_int64 units = sqlite3_value_type(argv[0]) == SQLITE_FLOAT ? std::llround(sqlite3_value_double(argv[0]))
                                                                            : sqlite3_value_int64(argv[0]);
    sqlite3_result_int64(ctx, value::Value(value::Currency::fromUnits(units)).toInt());
}

// jet_cat(a, b, ...): Jet's &. Null parts count as empty; all Null gives Null.
void catFn(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    QByteArray out;
    bool any = false;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) continue;
        any = true;
        out.append(reinterpret_cast<const char *>(sqlite3_value_text(argv[i])), sqlite3_value_bytes(argv[i]));
    }
    if (!any) sqlite3_result_null(ctx);
    else sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

void ucaseFn(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    resultText(ctx, argText(argv[0]).toUpper());
}

void lcaseFn(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    resultText(ctx, argText(argv[0]).toLower());
}

QDateTime localNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return value::makeDate(now.date().year(), now.date().month(), now.date().day(), now.time().hour(),
                           now.time().minute(), now.time().second());
}

void nowFn(sqlite3_context *ctx, int, sqlite3_value **) { resultText(ctx, value::toStorage(localNow())); }

void dateFn(sqlite3_context *ctx, int, sqlite3_value **) {
    resultText(ctx, value::toStorage(value::fromQDate(localNow().date())));
}

// jet_dateadd(date, days): a date moved by a (possibly fractional) number of days.
void dateAddFn(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto d = value::fromStorage(argText(argv[0]));
    if (!d) { sqlite3_result_null(ctx); return; }
    const double days = sqlite3_value_double(argv[1]);
    const auto secs = static_cast<qint64>(std::llround(days * 86400.0));
    resultText(ctx, value::toStorage(d->addSecs(secs)));
}

// jet_datediff(a, b): a - b in days.
void dateDiffFn(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto a = value::fromStorage(argText(argv[0]));
    const auto b = value::fromStorage(argText(argv[1]));
    if (!a || !b) { sqlite3_result_null(ctx); return; }
    sqlite3_result_double(ctx, double(b->secsTo(*a)) / 86400.0);
}

// jet_rowkey(text, n): the rowid that places a row by a key of exactly n
// digits (n at most 18), so that rowids follow the keys' order; Null for any
// other key.
void rowKeyFn(sqlite3_context *ctx, int, sqlite3_value **argv) {
    const int want = sqlite3_value_int(argv[1]);
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || want < 1 || want > 18) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *p = sqlite3_value_text(argv[0]);
    if (sqlite3_value_bytes(argv[0]) != want) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_int64 v = 0;
    for (int i = 0; i < want; ++i) {
        if (p[i] < '0' || p[i] > '9') {
            sqlite3_result_null(ctx);
            return;
        }
        v = v * 10 + (p[i] - '0');
    }
    sqlite3_result_int64(ctx, v);
}

// jet_money_add(a, b) / jet_money_sub(a, b): money units added or taken
// away as `+` and `-` do, except that a result past the range of money is an
// error of the statement (kMoneyOverflow) rather than a floating value the
// engine would store in its place. Null stays Null; an operand that is not a
// whole number of units is summed as `+` sums it.
void moneyArith(sqlite3_context *ctx, sqlite3_value **argv, bool subtract) {
    const int ta = sqlite3_value_numeric_type(argv[0]), tb = sqlite3_value_numeric_type(argv[1]);
    if (ta == SQLITE_NULL || tb == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (ta == SQLITE_INTEGER && tb == SQLITE_INTEGER) {
        sqlite3_int64 r = 0;
        const sqlite3_int64 a = sqlite3_value_int64(argv[0]), b = sqlite3_value_int64(argv[1]);
        if (subtract ? __builtin_sub_overflow(a, b, &r) : __builtin_add_overflow(a, b, &r)) {
            sqlite3_result_error(ctx, kMoneyOverflow, -1);
            return;
        }
        sqlite3_result_int64(ctx, r);
        return;
    }
    const double a = sqlite3_value_double(argv[0]), b = sqlite3_value_double(argv[1]);
    sqlite3_result_double(ctx, subtract ? a - b : a + b);
}
void moneyAddFn(sqlite3_context *ctx, int, sqlite3_value **argv) { moneyArith(ctx, argv, false); }
void moneySubFn(sqlite3_context *ctx, int, sqlite3_value **argv) { moneyArith(ctx, argv, true); }

} // namespace

int registerSqliteFunctions(sqlite3 *db) {
    int rc = sqlite3_create_collation_v2(db, "JETTEXT", SQLITE_UTF8, nullptr, collate, nullptr);
    if (rc != SQLITE_OK) return rc;
    struct Fn {
        const char *name;
        int argc;
        bool deterministic;
        void (*fn)(sqlite3_context *, int, sqlite3_value **);
    };
    static const Fn fns[] = {
        {"jet_like", 2, true, likeFn},         {"jet_str", 2, true, strFn},
        {"jet_cat", -1, true, catFn},          {"jet_ucase", 1, true, ucaseFn},
        {"jet_lcase", 1, true, lcaseFn},       {"jet_now", 0, false, nowFn},
        {"jet_date", 0, false, dateFn},        {"jet_dateadd", 2, true, dateAddFn},
        {"jet_datediff", 2, true, dateDiffFn}, {"jet_like_low", 1, true, likeLowFn},
        {"jet_like_high", 1, true, likeHighFn}, {"jet_money_whole", 1, true, moneyWholeFn},
        {"jet_rowkey", 2, true, rowKeyFn},     {"jet_money_add", 2, true, moneyAddFn},
        {"jet_money_sub", 2, true, moneySubFn},
    };
    for (const Fn &f : fns) {
        rc = sqlite3_create_function_v2(db, f.name, f.argc, SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0),
                                        nullptr, f.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

} // namespace jetsql
