// Copies of the write-ahead log back into the file.
#include "platform/dao/DatabaseCatalog.h"
#include "platform/dao/Engine.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace dao {

// A copy of the log waits this long after the commit that asked for it.
constexpr int kIdleCheckpointDelayMs = 200;

namespace {

class QtIdleScheduler final : public IdleScheduler {
public:
    bool schedule(int delayMs, std::function<void()> task) override {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app || QThread::currentThread() != app->thread()) return false;
        QTimer::singleShot(delayMs, app, std::move(task));
        return true;
    }
};

QtIdleScheduler gQtIdleScheduler;
IdleScheduler *gIdleScheduler = &gQtIdleScheduler;

} // namespace

void setIdleScheduler(IdleScheduler *scheduler) { gIdleScheduler = scheduler ? scheduler : &gQtIdleScheduler; }

// After every commit: a log past its bound is copied back and emptied at
// once; a log of some size is copied when the event loop next has nothing to
// do, so that the user's posting never waits for it.
int Database::walHook(void *self, sqlite3 *, const char *, int pages) {
    auto *d = static_cast<Database *>(self);
    d->walPages_ = pages;
    if (pages >= d->walBoundPages_) {
        d->emptyTheLog();
    } else if (pages >= kWalIdlePages && !d->idleCheckpointDue_) {
        std::weak_ptr<int> vivo = d->idleToken_;
        d->idleCheckpointDue_ = gIdleScheduler->schedule(kIdleCheckpointDelayMs, [d, vivo] {
            if (vivo.expired()) return; // the database closed or went in the meantime
            d->idleCheckpointDue_ = false;
            if (d->db_ && sqlite3_get_autocommit(d->db_)) d->Checkpoint();
        });
    }
    // The commit stands whatever the copy did: the user's write is never
    // failed by it.
    return SQLITE_OK;
}

// The log past its bound. A passive copy stops at the oldest snapshot another
// copy is reading, and the log starts over only once it has been copied to
// its end with no copy still reading it; with several copies always reading,
// that never happens and the log grows without end. So this copy waits for
// them, through the connection's busy handler (within the busy timeout):
// first for the write lock, then for the readers of older snapshots to move
// on, so the whole log is copied, then for every reader to leave the log,
// which it then empties (the file is cut to nothing). Copies of the program
// read only briefly (recordsets read their rows when they open), so the wait
// is short. It runs after the commit, outside any transaction; busy (a reader
// stayed past the wait, or another copy is copying), it leaves the log as it
// is, and the next commit past the bound tries again.
void Database::emptyTheLog() {
    if (!db_ || !sqlite3_get_autocommit(db_)) return;
    int logged = 0, copied = 0;
    if (sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, &logged, &copied) == SQLITE_OK)
        walPages_ = 0;
}

void Database::Checkpoint() {
    if (!db_) return;
    int logged = 0, copied = 0;
    if (sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logged, &copied) == SQLITE_OK &&
        logged >= 0 && copied >= logged)
        walPages_ = 0;
}

} // namespace dao
