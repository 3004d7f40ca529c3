#pragma once
// The engine's workspace: one transaction shared by every database open in it.
// Each of its levels is a level of every database's connection (Level.h): the
// outermost begins IMMEDIATE, so that a writer holds the write lock from its
// first statement and two copies of the program never interleave; inner
// levels are savepoints.
#include <vector>

namespace dao {

class Database;

class Workspace {
public:
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    int level() const { return level_; }

    // A fresh workspace of its own, for a test that plays a second copy of the
    // program inside one process.
    Workspace() = default;
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

private:
    friend class Database;
    void attach(Database *db);
    void detach(Database *db);
    std::vector<Database *> databases_;
    int level_ = 0;
};

} // namespace dao
