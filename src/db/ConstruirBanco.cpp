#include "db/ConstruirBanco.h"

#include "db/SavedQueries.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdio>

namespace db {

namespace {

void inserirOuDesistir(dao::Database &banco, const QString &sql, const QString &mensagem, const Aviso &aviso) {
    banco.Execute(sql, dao::dbFailOnError);
    if (banco.RecordsAffected() == 0) {
        if (aviso) aviso(mensagem);
        throw err::AppError(err::kErrCancel, QString(), QString());
    }
}

void adicionarRaizes(dao::Database &banco, const QString &tabela, const QString &campoDes,
                     const std::vector<std::pair<QString, QString>> &linhas) {
    auto rs = banco.OpenRecordset(tabela, dao::dbOpenTable);
    for (const auto &[codigo, descricao] : linhas) {
        rs->AddNew();
        rs->SetField(campoDes, descricao);
        rs->SetField(QStringLiteral("CodPai"), QStringLiteral("000"));
        rs->SetField(QStringLiteral("Codigo"), codigo);
        rs->Update();
    }
    rs->Close();
}

const char *const kLados[] = {"-wal", "-shm", "-journal"};

void removerComLados(const QString &caminho) {
    QFile::remove(caminho);
    for (const char *lado : kLados) QFile::remove(caminho + QLatin1String(lado));
}

void construir(dao::Database &banco, const Aviso &aviso) {
    for (const auto &tabela : TabelasDoSistema()) banco.CreateTable(tabela);

    inserirOuDesistir(banco, QStringLiteral("INSERT INTO Usuarios (DesUsuario,IdLogin,Senha,Tipo) VALUES ('ADMINISTRADOR','ADMIN','TOQUE',1)"),
                      QStringLiteral("Erro na criação do novo banco de dados. Não foi possível adicionar o usuário padrão 'ADMIN'."), aviso);
    inserirOuDesistir(banco, QStringLiteral("INSERT INTO Serial (Serial) VALUES (0)"),
                      QStringLiteral("Erro na criação do novo banco de dados. Não foi possível inicializar tabela 'Serial'."), aviso);

    const auto relacoes = RelacoesDoSistema();
    // Each root is its own parent, so the roots go in before the self relations.
    adicionarRaizes(banco, QStringLiteral("Contas"), QStringLiteral("DesConta"), {{QStringLiteral("000"), QStringLiteral(" ")}});
    banco.CreateRelation(relacoes[0]);
    adicionarRaizes(banco, QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"),
                    {{QStringLiteral("000"), QStringLiteral(" ")},
                     {QStringLiteral("001"), QStringLiteral("TRANSFERÊNCIAS ENTRE CONTAS")},
                     {QStringLiteral("002"), QStringLiteral("AJUSTES DE SALDOS")}});
    banco.CreateRelation(relacoes[1]);
    for (std::size_t i = 2; i < relacoes.size(); ++i) banco.CreateRelation(relacoes[i]);

    for (const auto &c : ConsultasSalvas()) banco.CreateQueryDef(c.nome)->SetSQL(c.sql);
}

} // namespace

std::unique_ptr<dao::Database> ConstruirBancoDeDados(const QString &caminho, const Aviso &aviso) {
    // Built beside the target under a name of its own and moved into place
    // only when complete: an interrupted or failed creation (a full disk)
    // leaves no half-made book behind, and the file it replaces stays whole
    // until the new one is ready.
    const QFileInfo alvo(caminho);
    const QString provisorio = alvo.absoluteDir().filePath(
        QStringLiteral(".%1.%2.criando").arg(alvo.fileName()).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    try {
        auto banco = dao::DBEngine::CreateDatabase(provisorio, kLocaleGeral + QStringLiteral(";pwd=") + kSenhaBanco);
        construir(*banco, aviso);
        banco->Close();
    } catch (...) {
        removerComLados(provisorio);
        throw;
    }
    // What the engine left beside the replaced file would be read as the new one's.
    for (const char *lado : kLados) QFile::remove(caminho + QLatin1String(lado));
    if (std::rename(QFile::encodeName(provisorio).constData(), QFile::encodeName(caminho).constData()) != 0) {
        removerComLados(provisorio);
        throw err::AppError(err::db::kDiskError, QStringLiteral("DAO.DBEngine"),
                            QStringLiteral("Não foi possível gravar o novo banco de dados em '%1'.").arg(caminho));
    }
    return dao::DBEngine::OpenDatabase(caminho, false, false, ConnectString(kSenhaBanco));
}

} // namespace db
