#pragma once
// The one exception type of the program: a number, the place it came from
// and a description, as the central error report shows them.
#include <QString>
#include <exception>
#include <string>

namespace err {

// Error numbers of the program itself.
constexpr long kObjectErrorBase = -2147221504L;
// Already reported (or cancelled by the user): the error report stays silent.
constexpr long kErrCancel = kObjectErrorBase + 9999;   // -2147211505
// A failure described by its own text.
constexpr long kErrGeneric = kObjectErrorBase + 10000; // -2147211504
// A dialog cancelled by the user.
constexpr long kErrDialogCancel = 32755;

// Engine error numbers that callers and users see.
namespace db {
constexpr long kNoCurrentRecord = 3021;
constexpr long kDuplicateKey = 3022;
constexpr long kFileNotFound = 3024;
constexpr long kBadPassword = 3031;
constexpr long kTooFewParameters = 3061;
constexpr long kSyntax = 3075;
constexpr long kUnknownTable = 3078;
constexpr long kTextTooLong = 3163;
constexpr long kNoRelatedRecord = 3201;
constexpr long kLocked = 3218;
constexpr long kItemNotFound = 3265;
constexpr long kRequiredNull = 3314;
constexpr long kZeroLength = 3315;
constexpr long kNotADatabase = 3343;
constexpr long kCascadeBlocked = 3200;
constexpr long kInvalidOperation = 3219;
constexpr long kNotInTransaction = 3034;
constexpr long kEngine = 3146;
constexpr long kDiskFull = 3026;
constexpr long kReadOnly = 3027;
constexpr long kNoPermission = 3033;
constexpr long kDiskError = 3043;
constexpr long kDamaged = 3049;
constexpr long kOutOfMemory = 7;
constexpr long kNumericOverflow = 3349; // a money sum past the range of money
constexpr long kInvalidArgument = 3001;
constexpr long kTableExists = 3010;
constexpr long kObjectExists = 3012;
constexpr long kUpdateWithoutEdit = 3020;  // Update or CancelUpdate without AddNew or Edit
constexpr long kNotUpdatableQuery = 3073;  // a write to a saved query
constexpr long kAmbiguousField = 3079;
constexpr long kUnknownInsertField = 3127; // a column an INSERT or a SET names that the table lacks
constexpr long kInvalidBookmark = 3159;
constexpr long kRecordDeleted = 3167;
constexpr long kDatabaseExists = 3204;
constexpr long kRelationViolated = 3367;   // rows already there break a new relation
constexpr long kInvalidObject = 3420;      // a recordset or statement used after its database closed
// What the user is told of kNumericOverflow, wherever the sum was made (in the
// engine or in the program).
inline QString numericOverflowText() {
    return QStringLiteral("Estouro de campo numérico: o resultado passaria do maior valor que o sistema registra.");
}
} // namespace db

class AppError : public std::exception {
public:
    AppError(long number, QString source, QString description)
        : number_(number), source_(std::move(source)), description_(std::move(description)),
          what_(QStringLiteral("%1 '%2' %3").arg(number_).arg(description_, source_).toStdString()) {}

    long number() const noexcept { return number_; }
    const QString &source() const noexcept { return source_; }
    const QString &description() const noexcept { return description_; }
    void setSource(const QString &s) { source_ = s; what_ = QStringLiteral("%1 '%2' %3").arg(number_).arg(description_, source_).toStdString(); }
    const char *what() const noexcept override { return what_.c_str(); }

private:
    long number_;
    QString source_;
    QString description_;
    std::string what_;
};

} // namespace err
