#include "db/CDaoTrans.h"

#include "platform/dao/Engine.h"
#include "platform/dao/Workspace.h"
#include "platform/err/AppError.h"

namespace db {

namespace {
// Keeps the innermost location of an error raised again.
[[noreturn]] void relancar(const err::AppError &e, const char *onde) {
    err::AppError c = e;
    if (!c.source().startsWith(QStringLiteral("em "))) c.setSource(QString::fromUtf8(onde));
    throw c;
}
} // namespace

CDaoTrans::CDaoTrans() : ws_(dao::DBEngine::DefaultWorkspace()) {}
CDaoTrans::CDaoTrans(dao::Workspace &ws) : ws_(ws) {}

CDaoTrans::~CDaoTrans() {
    while (nivel_ != 0) RollBack();
}

void CDaoTrans::BegTrans() {
    try {
        ws_.BeginTrans();
    } catch (const err::AppError &e) {
        relancar(e, "em CDaoTrans_BegTrans, linha: 1");
    }
    ++nivel_;
}

void CDaoTrans::ComTrans() {
    try {
        ws_.CommitTrans();
    } catch (const err::AppError &e) {
        relancar(e, "em CDaoTrans_ComTrans, linha: 1");
    }
    --nivel_;
}

void CDaoTrans::RollBack() {
    if (nivel_ == 0) return;
    try {
        ws_.Rollback();
    } catch (...) {
    }
    --nivel_;
}

} // namespace db
