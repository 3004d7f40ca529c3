#pragma once
// Dates as the database keeps them: one canonical text "yyyy-MM-dd hh:mm:ss",
// so that =, <=, BETWEEN and ORDER BY on the stored text are right.
// Date values are naive (no time zone); they are carried in QDateTime with
// the UTC shape so that no daylight-saving rule ever shifts them.
#include <QDateTime>
#include <QString>
#include <optional>

namespace value {

// The zero date of the engine (30/12/1899), which the program treats as "empty".
QDateTime zeroDate();
QDateTime makeDate(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0);
QDateTime fromQDate(const QDate &d);
bool isZeroDate(const QDateTime &d);

QString toStorage(const QDateTime &d);
std::optional<QDateTime> fromStorage(const QString &text);

// "m/d/yyyy" or "m/d/yyyy h:m:s" or "h:m:s" (the text between the # of a literal).
std::optional<QDateTime> parseJetLiteral(const QString &inner);

// Screen form "dd/mm/yyyy"; refuses impossible dates such as 31/02/2026.
std::optional<QDateTime> parseBr(const QString &text);
QString toBr(const QDateTime &d);
// A date as typed in a date box: "d/m/yy" or "d/m/yyyy" (two-digit years:
// 1930-2029), blanks around it ignored; nothing when it is not a real date.
std::optional<QDate> parseBrTyped(const QString &text);

} // namespace value
