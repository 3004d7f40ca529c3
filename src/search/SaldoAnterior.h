#pragma once
// The global balance before a statement's first posting.
#include "platform/value/Currency.h"

#include <QString>
#include <optional>

namespace dao {
class Database;
}

namespace search {

// The SaldoGlobal of the last posting, over every posting whatever the user
// may see, whose DataId is smaller than `dataId`; nothing when there is none.
// DataId orders the postings as their date and then their Id do, so its
// index finds that posting without reading the postings before it.
std::optional<value::Currency> SaldoGlobalAntesDe(dao::Database &db, const QString &dataId);

} // namespace search
