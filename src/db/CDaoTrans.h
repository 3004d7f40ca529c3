#pragma once
// A transaction on the default workspace tied to the scope that begins it:
// whatever way the procedure ends, every level still open is rolled back.
namespace dao {
class Workspace;
}

namespace db {

class CDaoTrans {
public:
    CDaoTrans();
    explicit CDaoTrans(dao::Workspace &ws); // a workspace other than the default
    ~CDaoTrans();
    CDaoTrans(const CDaoTrans &) = delete;
    CDaoTrans &operator=(const CDaoTrans &) = delete;

    void BegTrans();
    void ComTrans();
    void RollBack(); // errors ignored; at level 0 nothing
    int nivel() const { return nivel_; }

private:
    dao::Workspace &ws_;
    int nivel_ = 0;
};

} // namespace db
