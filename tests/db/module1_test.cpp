#include "db/CDaoTrans.h"
#include "db/ConstruirBanco.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using value::makeDate;

TEST(DataSQL, WritesJetLiterals) {
    struct Case { QDateTime d; int mode; const char *out; };
    const Case cases[] = {
        {makeDate(2026, 12, 9), 2, "#12/09/2026#"},
        {makeDate(2027, 3, 5, 14, 7, 3), 1, "#03/05/2027 14:07:03#"},
        {makeDate(2027, 3, 5), 1, "#03/05/2027 00:00:00#"},
        {makeDate(2027, 3, 5, 14, 7, 3), 3, "#14:07:03#"},
        {value::zeroDate(), 1, "NULL"},
        {value::zeroDate(), 4, "NULL"},
    };
    for (const auto &c : cases) EXPECT_EQ(db::DataSQL(c.d, c.mode), QString::fromUtf8(c.out));
    for (int bad : {0, 4}) {
        try {
            db::DataSQL(makeDate(2026, 1, 1), bad);
            ADD_FAILURE() << "mode " << bad;
        } catch (const err::AppError &e) {
            EXPECT_EQ(e.number(), -2147211504);
            EXPECT_EQ(e.description(), QStringLiteral("Formato de data inválido."));
        }
    }
}

namespace {
struct Item {
    bool sel;
    QString cod;
    std::vector<std::unique_ptr<Item>> subs;
    bool Selecionada() const { return sel; }
    QString CodObjeto() const { return cod; }
    const std::vector<std::unique_ptr<Item>> &SubItens() const { return subs; }
};
} // namespace

TEST(SharedRoutines, CodeListsPathsAndKeys) {
    Item root{false, QStringLiteral("000"), {}};
    root.subs.push_back(std::make_unique<Item>(Item{false, QStringLiteral("001"), {}}));
    root.subs[0]->subs.push_back(std::make_unique<Item>(Item{true, QStringLiteral("001.001"), {}}));
    QString lista;
    long n = 0;
    db::MontaStringDeCodigosDeObjSelecionados(root, lista, n);
    EXPECT_EQ(lista, QStringLiteral("'001.001',"));
    EXPECT_EQ(n, 1);

    EXPECT_TRUE(db::CaractereProibido(34));
    EXPECT_TRUE(db::CaractereProibido(39));
    EXPECT_FALSE(db::CaractereProibido(65));

    EXPECT_EQ(db::ExtrairDiretorio(QStringLiteral("/dir/base.mdb")), QStringLiteral("/dir"));
    EXPECT_EQ(db::ExtrairDiretorio(QStringLiteral("/base.mdb")), QString());
    EXPECT_EQ(db::ExtrairDiretorio(QStringLiteral("base.mdb")), QString());

    testsupport::TempDir tmp;
    const QString hidden = tmp.file(QStringLiteral(".oculto"));
    QFile(hidden).open(QIODevice::WriteOnly);
    EXPECT_TRUE(db::FileExists(hidden));
    EXPECT_TRUE(db::FileExists(QStringLiteral("  ") + hidden + QStringLiteral(" ")));
    EXPECT_FALSE(db::FileExists(tmp.path()));
    EXPECT_FALSE(db::FileExists(QStringLiteral("   ")));

    std::unique_ptr<dao::Recordset> empty;
    db::FecharRecordset(empty); // nothing to close, nothing happens
    EXPECT_FALSE(empty);
}

TEST(CDaoTrans, ReleaseRollsBackEveryOpenLevel) {
    testsupport::TempDir tmp;
    auto banco = db::ConstruirBancoDeDados(tmp.file(QStringLiteral("t.mdb")));
    auto count = [&] {
        return banco->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Contas"), dao::dbOpenSnapshot)->Field(0).toInt();
    };
    {
        db::CDaoTrans t;
        t.BegTrans();
        banco->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('001', '000', 'A')"));
        t.BegTrans();
        banco->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('002', '000', 'B')"));
        EXPECT_EQ(t.nivel(), 2);
    }
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(banco->workspace().level(), 0);
    {
        db::CDaoTrans t;
        t.BegTrans();
        banco->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('001', '000', 'A')"));
        t.ComTrans();
        t.RollBack(); // at level 0: nothing
        EXPECT_EQ(t.nivel(), 0);
        try {
            t.ComTrans();
            ADD_FAILURE();
        } catch (const err::AppError &e) {
            EXPECT_EQ(e.source(), QStringLiteral("em CDaoTrans_ComTrans, linha: 1"));
        }
    }
    EXPECT_EQ(count(), 2);
}
