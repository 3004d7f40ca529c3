#include "db/ConstruirBanco.h"
#include "db/SavedQueries.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace dao;
using value::Value;
namespace E = err::db;

namespace {

using testsupport::errorOf;

class NewDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        path = tmp.file(QStringLiteral("novo.mdb"));
        db::ConstruirBancoDeDados(path);
        db = DBEngine::OpenDatabase(path, false, false, db::ConnectString(db::kSenhaBanco));
    }
    qint64 scalar(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dbOpenSnapshot);
        return rs->Field(0).toInt();
    }
    testsupport::TempDir tmp;
    QString path;
    std::unique_ptr<Database> db;
};

} // namespace

TEST_F(NewDatabase, HoldsExactlyTheSeedRows) {
    EXPECT_EQ(db->TableNames().size(), 7);
    struct Row { const char *sql; qint64 expected; };
    const Row rows[] = {
        {"SELECT Count(*) FROM Usuarios", 1},
        {"SELECT Count(*) FROM Usuarios WHERE Id = 1 AND IdLogin = 'ADMIN' AND Senha = 'TOQUE' AND Tipo = 1 AND Inativo = False", 1},
        {"SELECT Count(*) FROM Serial", 1},
        {"SELECT Serial FROM Serial", 0},
        {"SELECT Count(*) FROM Contas WHERE Id = 1 AND Codigo = '000' AND CodPai = '000' AND DesConta = ' '", 1},
        {"SELECT Count(*) FROM Contas", 1},
        {"SELECT Count(*) FROM TiposMovimentacoes", 3},
        {"SELECT Id FROM TiposMovimentacoes WHERE Codigo = '001' AND DesMovimentacao = 'TRANSFERÊNCIAS ENTRE CONTAS'", 2},
        {"SELECT Id FROM TiposMovimentacoes WHERE Codigo = '002' AND DesMovimentacao = 'AJUSTES DE SALDOS'", 3},
        {"SELECT Count(*) FROM Lancamentos", 0},
        {"SELECT Count(*) FROM Transferencias", 0},
        {"SELECT Count(*) FROM PermissoesDeUsuarios", 0},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.sql);
        EXPECT_EQ(scalar(QString::fromUtf8(r.sql)), r.expected);
    }
    QStringList names;
    for (const auto &c : db::ConsultasSalvas()) names << c.nome;
    EXPECT_EQ(names.size(), 14);
    EXPECT_EQ(db->QueryDefNames(), names);
    for (const auto &c : db::ConsultasSalvas()) EXPECT_EQ(db->QueryDefs(c.nome)->SQL(), c.sql);
}

TEST_F(NewDatabase, PostingDefaultsAndColumnRules) {
    db->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('001', '000', 'BANCO')"));
    db->Execute(QStringLiteral("INSERT INTO Lancamentos (Id, CodConta, CodRecDesp, Valor, Data, Historico, DataId, IdUsuario) "
                               "VALUES (1, '001', '002', 10.00, #12/09/2026#, 'H', '20261209000000001', 1)"));
    auto rs = db->OpenRecordset(QStringLiteral("SELECT * FROM Lancamentos"), dbOpenSnapshot);
    EXPECT_EQ(rs->Field(QStringLiteral("Realizado")).toString(), QStringLiteral("?"));
    EXPECT_EQ(rs->Field(QStringLiteral("Transferencia")).toInt(), 0);
    EXPECT_FALSE(rs->Field(QStringLiteral("Estorno")).toBool());
    EXPECT_FALSE(rs->Field(QStringLiteral("Estornado")).toBool());
    EXPECT_TRUE(rs->Field(QStringLiteral("Documento")).isNull());

    struct Case { const char *what; const char *sql; long error; };
    const Case cases[] = {
        {"duplicate description in another branch",
         "INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('001.001', '001', 'banco')", E::kDuplicateKey},
        {"parent that does not exist", "INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('009.001', '009', 'X')", E::kNoRelatedRecord},
        {"duplicate login", "INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo) VALUES ('B', 'admin', 'X', 2)", E::kDuplicateKey},
        {"history over 50", "UPDATE Lancamentos SET Historico = '123456789012345678901234567890123456789012345678901'", E::kTextTooLong},
        {"empty history", "UPDATE Lancamentos SET Historico = ''", E::kZeroLength},
        {"empty document", "UPDATE Lancamentos SET Documento = ''", 0},
        {"null history", "UPDATE Lancamentos SET Historico = Null", E::kRequiredNull},
        {"posting on unknown account", "UPDATE Lancamentos SET CodConta = '777'", E::kNoRelatedRecord},
        {"duplicate DataId",
         "INSERT INTO Lancamentos (Id, CodConta, Valor, Data, Historico, DataId, IdUsuario) VALUES (2, '001', 1.00, #12/09/2026#, 'H', '20261209000000001', 1)",
         E::kDuplicateKey},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(errorOf([&] { db->Execute(QString::fromUtf8(c.sql), dbFailOnError); }), c.error);
    }
}

TEST_F(NewDatabase, DeletesCascadeAlongTheRelations) {
    db->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('001', '000', 'A')"));
    db->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('001.001', '001', 'B')"));
    db->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('002', '000', 'C')"));
    db->Execute(QStringLiteral("INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo) VALUES ('U', 'U', 'U', 2)"));
    db->Execute(QStringLiteral("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) VALUES (2, 3, 1, 3)"));
    const char *ins = "INSERT INTO Lancamentos (Id, CodConta, CodRecDesp, Valor, Data, Historico, DataId, IdUsuario) "
                      "VALUES (%1, '%2', '001', 1.00, #12/09/2026#, 'H', '2026120900000000%1', %3)";
    db->Execute(QString::fromUtf8(ins).arg(1).arg(QStringLiteral("001.001")).arg(1));
    db->Execute(QString::fromUtf8(ins).arg(2).arg(QStringLiteral("002")).arg(1));
    db->Execute(QString::fromUtf8(ins).arg(3).arg(QStringLiteral("002")).arg(2));
    db->Execute(QStringLiteral("INSERT INTO Transferencias (SerialSai, SerialEntra) VALUES (1, 2)"));

    db->Execute(QStringLiteral("DELETE FROM Contas WHERE Codigo = '001'"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Count(*) FROM Contas")), 2) << "the subtree goes";
    EXPECT_EQ(scalar(QStringLiteral("SELECT Count(*) FROM Lancamentos WHERE Id = 1")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Count(*) FROM Transferencias")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Count(*) FROM PermissoesDeUsuarios")), 1) << "no relation reaches permissions from the charts";

    db->Execute(QStringLiteral("DELETE FROM Usuarios WHERE Id = 2"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Count(*) FROM Lancamentos")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Count(*) FROM PermissoesDeUsuarios")), 0);
}

TEST(BuildDatabase, OpensOnlyWithTheDatabasePassword) {
    testsupport::TempDir tmp;
    const QString path = tmp.file(QStringLiteral("x.mdb"));
    db::ConstruirBancoDeDados(path);
    EXPECT_EQ(errorOf([&] { DBEngine::OpenDatabase(path, false, false, db::ConnectString(db::kSenhaAlternativa)); }), E::kNotADatabase);
    EXPECT_EQ(errorOf([&] { DBEngine::OpenDatabase(path, false, false, db::ConnectString(db::kSenhaBanco)); }), 0);
}

namespace {

// Makes the n-th write of every connection opened meanwhile fail, as a full
// disk or a killed process would stop a creation half way.
int gEscritasAteFalhar = 0;
int contarEscrita(void *restantes) {
    int &n = *static_cast<int *>(restantes);
    return --n < 0 ? 1 : 0;
}
void falharNaEscrita(sqlite3 *db, char **, const sqlite3_api_routines *) {
    static int restantes;
    restantes = gEscritasAteFalhar;
    sqlite3_commit_hook(db, contarEscrita, &restantes);
}

} // namespace

TEST(BuildDatabase, ACreationThatFailsHalfWayLeavesNoBookAndTheOldFileWhole) {
    testsupport::TempDir tmp;
    const QString path = tmp.file(QStringLiteral("livro.mdb"));
    {
        auto antigo = db::ConstruirBancoDeDados(path);
        antigo->Execute(QStringLiteral("INSERT INTO Serial (Serial) VALUES (41)"), dbFailOnError);
    }
    for (int escritas : {0, 3, 12}) {
        SCOPED_TRACE(escritas);
        gEscritasAteFalhar = escritas;
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(falharNaEscrita));
        const long erro = errorOf([&] { db::ConstruirBancoDeDados(path); });
        sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(falharNaEscrita));
        EXPECT_NE(erro, 0);
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("livro.mdb")})
            << "nothing of the new book stays";
        auto db = DBEngine::OpenDatabase(path, false, false, db::ConnectString(db::kSenhaBanco));
        auto rs = db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Serial WHERE Serial = 41"), dbOpenSnapshot);
        EXPECT_EQ(rs->Field(0).toInt(), 1) << "the file it was to replace is untouched";
    }
    // Where no file was, none is left.
    gEscritasAteFalhar = 12;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(falharNaEscrita));
    const long erro = errorOf([&] { db::ConstruirBancoDeDados(tmp.file(QStringLiteral("outro.mdb"))); });
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(falharNaEscrita));
    EXPECT_NE(erro, 0);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("livro.mdb")});
    // Without the fault the new book takes the old one's place.
    auto novo = db::ConstruirBancoDeDados(path);
    auto rs = novo->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Serial WHERE Serial = 41"), dbOpenSnapshot);
    EXPECT_EQ(rs->Field(0).toInt(), 0);
    EXPECT_EQ(novo->QueryDefNames().size(), int(db::ConsultasSalvas().size()));
}
