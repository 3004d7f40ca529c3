#pragma once
// Puts a creation hook in place for one test and takes it away however the
// test ends.
#include "db/ConstruirBanco.h"

namespace testsupport {

class GanchoDeCriacao {
public:
    explicit GanchoDeCriacao(db::GanchoDeCriacao g) { db::TrocarGanchoDeCriacao(std::move(g)); }
    ~GanchoDeCriacao() { db::TrocarGanchoDeCriacao({}); }
    GanchoDeCriacao(const GanchoDeCriacao &) = delete;
    GanchoDeCriacao &operator=(const GanchoDeCriacao &) = delete;
};

} // namespace testsupport
