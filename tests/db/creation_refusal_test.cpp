// The creation tool makes new books only: a file already at the path it is
// given, whatever it holds and whoever has it open, is refused and left as
// it was, with the files beside it.
#include "db/ConstruirBanco.h"
#include "db/Schema.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "GanchoDeCriacao.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <map>
#include <memory>
#include <functional>

namespace {

// Every file of the folder with its bytes.
std::map<QString, QByteArray> conteudo(const QDir &pasta) {
    std::map<QString, QByteArray> out;
    for (const QString &nome : pasta.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile f(pasta.filePath(nome));
        if (f.open(QIODevice::ReadOnly)) out[nome] = f.readAll();
    }
    return out;
}

void escrever(const QString &caminho, const QByteArray &bytes) {
    QFile f(caminho);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct Executado {
    int status = -1;
    QString erro;
};

Executado criarComAFerramenta(const QDir &pasta, const QString &nome) {
    QProcess p;
    p.setWorkingDirectory(pasta.path());
    p.start(QStringLiteral(FIN_MKDB), {nome});
    if (!p.waitForFinished(60000)) return {};
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST(CreationRefusal, TheCreationToolRefusesAFileThatExistsAndLeavesItAndItsSideFilesAsTheyWere) {
    struct Caso {
        const char *nome;
        // Makes the file; what it returns stays open while the tool runs.
        std::function<std::unique_ptr<dao::Database>(const QString &)> preparar;
        const char *recusado; // the file the refusal names
    };
    const auto livroComDados = [](const QString &caminho) {
        auto banco = db::ConstruirBancoDeDados(caminho);
        banco->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('001', '000', 'BANCO')"));
        return banco;
    };
    const Caso casos[] = {
        {"a book with data",
         [&](const QString &caminho) {
             livroComDados(caminho)->Close();
             return std::unique_ptr<dao::Database>();
         },
         "livro.mdb"},
        {"an empty file",
         [](const QString &caminho) {
             escrever(caminho, QByteArray());
             return std::unique_ptr<dao::Database>();
         },
         "livro.mdb"},
        {"a book another connection holds open, with its log", livroComDados, "livro.mdb"},
        // It would be read as the new book's.
        {"a log whose book is gone",
         [](const QString &caminho) {
             escrever(caminho + QStringLiteral("-wal"), QByteArray("log de outro livro"));
             return std::unique_ptr<dao::Database>();
         },
         "livro.mdb-wal"},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        testsupport::TempDir dir;
        const QDir pasta(dir.path());
        const QString caminho = pasta.filePath(QStringLiteral("livro.mdb"));
        auto aberto = c.preparar(caminho);
        if (aberto) {
            ASSERT_TRUE(QFile::exists(caminho + QStringLiteral("-wal")));
            ASSERT_TRUE(QFile::exists(caminho + QStringLiteral("-shm")));
        }
        const auto antes = conteudo(pasta);
        const Executado r = criarComAFerramenta(pasta, QStringLiteral("livro.mdb"));
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.erro.contains(QStringLiteral("'%1' já existe").arg(QString::fromUtf8(c.recusado))))
            << r.erro.toStdString();
        EXPECT_TRUE(r.erro.contains(QStringLiteral("remova-o antes"))) << r.erro.toStdString();
        EXPECT_TRUE(conteudo(pasta) == antes) << "the folder changed";
        if (aberto) {
            // The connection goes on writing to the same file.
            aberto->Execute(QStringLiteral("INSERT INTO Contas (Codigo, CodPai, DesConta) VALUES ('002', '000', 'CAIXA')"));
            aberto->Close();
            auto relido = dao::DBEngine::OpenDatabase(caminho, false, false, db::ConnectString(db::kSenhaBanco));
            relido->Execute(QStringLiteral("DELETE FROM Contas WHERE Codigo IN ('001', '002')"));
            EXPECT_EQ(relido->RecordsAffected(), 2);
            relido->Close();
        }
    }
}

// The check before the book is made does not suffice: a file that appears at
// the path while the book is made is not replaced either.
TEST(CreationRefusal, AFileThatAppearsWhileTheBookIsMadeIsNotReplaced) {
    testsupport::TempDir dir;
    const QDir pasta(dir.path());
    const QString caminho = pasta.filePath(QStringLiteral("livro.mdb"));
    const QByteArray alheio("o livro que outro programa acaba de gravar");
    testsupport::GanchoDeCriacao gancho([&](const QString &) { escrever(caminho, alheio); });
    QString dito;
    EXPECT_EQ(testsupport::errorOf([&] {
                  try {
                      db::ConstruirBancoDeDados(caminho, {}, db::SeExistir::Recusar);
                  } catch (const err::AppError &e) {
                      dito = e.description();
                      throw;
                  }
              }),
              err::db::kDatabaseExists);
    EXPECT_EQ(dito, db::TextoArquivoExistente(caminho));
    EXPECT_TRUE(conteudo(pasta) == (std::map<QString, QByteArray>{{QStringLiteral("livro.mdb"), alheio}}))
        << "the file was replaced, or the creation left files behind";
}

} // namespace
