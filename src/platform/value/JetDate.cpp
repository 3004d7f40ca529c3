#include "platform/value/JetDate.h"

#include <QRegularExpression>
#include <QStringList>

namespace value {

QDateTime makeDate(int y, int m, int d, int hh, int mm, int ss) {
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss), Qt::UTC);
}

QDateTime zeroDate() { return makeDate(1899, 12, 30); }
QDateTime fromQDate(const QDate &d) { return QDateTime(d, QTime(0, 0, 0), Qt::UTC); }
bool isZeroDate(const QDateTime &d) { return !d.isValid() || d == zeroDate(); }

QString toStorage(const QDateTime &d) { return d.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }

namespace {
// Digits at [from, from + n) as a number, or -1.
int digitos(const QString &t, int from, int n) {
    int v = 0;
    for (int i = from; i < from + n; ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + int(c - u'0');
    }
    return v;
}
} // namespace

std::optional<QDateTime> fromStorage(const QString &text) {
    // Every date column of every row read goes through here: the stored
    // form "yyyy-MM-dd hh:mm:ss" is read by hand, format parsing only for
    // anything else.
    if (text.size() == 19 && text[4] == u'-' && text[7] == u'-' && text[10] == u' ' && text[13] == u':' &&
        text[16] == u':') {
        const QDate dd(digitos(text, 0, 4), digitos(text, 5, 2), digitos(text, 8, 2));
        const int h = digitos(text, 11, 2), mi = digitos(text, 14, 2), se = digitos(text, 17, 2);
        if (dd.isValid() && QTime::isValid(h, mi, se)) return QDateTime(dd, QTime(h, mi, se), Qt::UTC);
    }
    if (text.size() == 19) {
        const QDateTime d = QDateTime::fromString(text + QStringLiteral("Z"), QStringLiteral("yyyy-MM-dd hh:mm:sst"));
        if (d.isValid()) return d.toUTC();
        auto dd = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
        auto tt = QTime::fromString(text.mid(11), QStringLiteral("hh:mm:ss"));
        if (dd.isValid() && tt.isValid()) return QDateTime(dd, tt, Qt::UTC);
    } else if (text.size() == 10) {
        auto dd = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (dd.isValid()) return fromQDate(dd);
    }
    return std::nullopt;
}

std::optional<QDateTime> parseJetLiteral(const QString &innerIn) {
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{1,2})/(\d{1,2})/(\d{2,4}))?\s*(?:(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    const auto m = re.match(innerIn);
    if (!m.hasMatch() || (m.captured(1).isEmpty() && m.captured(4).isEmpty())) return std::nullopt;
    QDate date(1899, 12, 30);
    if (!m.captured(1).isEmpty()) {
        int y = m.captured(3).toInt();
        if (m.captured(3).size() <= 2) y += (y < 30 ? 2000 : 1900);
        date = QDate(y, m.captured(1).toInt(), m.captured(2).toInt());
        if (!date.isValid()) return std::nullopt;
    }
    QTime time(0, 0, 0);
    if (!m.captured(4).isEmpty()) {
        time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).isEmpty() ? 0 : m.captured(6).toInt());
        if (!time.isValid()) return std::nullopt;
    }
    return QDateTime(date, time, Qt::UTC);
}

std::optional<QDateTime> parseBr(const QString &text) {
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const QDate d(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!d.isValid()) return std::nullopt;
    return fromQDate(d);
}

QString toBr(const QDateTime &d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }

std::optional<QDate> parseBrTyped(const QString &text) {
    const QStringList parts = text.trimmed().split(QLatin1Char('/'));
    if (parts.size() != 3) return std::nullopt;
    bool okD = false, okM = false, okY = false;
    const int d = parts[0].toInt(&okD), m = parts[1].toInt(&okM);
    int y = parts[2].toInt(&okY);
    if (!okD || !okM || !okY) return std::nullopt;
    if (parts[2].size() <= 2) y += y < 30 ? 2000 : 1900;
    else if (parts[2].size() != 4) return std::nullopt;
    const QDate date(y, m, d);
    if (!date.isValid()) return std::nullopt;
    return date;
}

} // namespace value
