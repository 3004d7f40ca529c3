#pragma once
// The new book most fixtures start from: an empty book written to a
// temporary folder and opened as the program's database, ADMIN signed in. A
// fixture derives from it and calls its SetUp first and its TearDown last.
// This one makes no window application (the routines below the windows need
// none); window tests use LivroNovo (support/LivroNovo.h).
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "support/CoreApp.h"
#include "support/TempDir.h"
#include "ui/AppContext.h"

#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

class LivroSemJanelas : public ::testing::Test {
protected:
    void SetUp() override {
        coreApp();
        db = db::ConstruirBancoDeDados(dir.file(QStringLiteral("livro.mdb")));
        ui::gDB = db.get();
        ui::gIdUsuario = 1;
        ui::gTipoUsuario = 1;
    }
    // Lets go of the book; the next test starts with ADMIN signed in again.
    void TearDown() override {
        ui::gDB = nullptr;
        ui::gTipoUsuario = 1;
        ui::gIdUsuario = 1;
    }

    // The code a chart item hangs under: "001" for "001.002", the root "000"
    // for a first-level code.
    static QString CodigoPai(const QString &codigo) {
        const qsizetype ponto = codigo.lastIndexOf(QLatin1Char('.'));
        return ponto < 0 ? QStringLiteral("000") : codigo.left(ponto);
    }

    TempDir dir;
    std::unique_ptr<dao::Database> db;
};

} // namespace testsupport
