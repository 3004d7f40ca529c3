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
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A creation holds a write lock on one byte of its file for as long as it
// runs; a creation file whose byte anyone can lock belongs to a creation that
// is no longer running (killed, or its machine stopped). The lock is one of
// the open file itself, not of the process, so the engine's own locks on the
// file (on other bytes, far above this one) neither disturb it nor are
// disturbed by it; it goes with the process, however the process ends.
constexpr off_t kByteDaCriacao = 0x20000000;

bool travar(int fd, bool esperar) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kByteDaCriacao;
    fl.l_len = 1;
    int rc;
    do rc = ::fcntl(fd, esperar ? F_OFD_SETLKW : F_OFD_SETLK, &fl);
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// The same file the path names now (not one removed and made again).
bool mesmoArquivo(int fd, const QString &caminho) {
    struct stat aberto {}, agora {};
    return ::fstat(fd, &aberto) == 0 && ::stat(QFile::encodeName(caminho).constData(), &agora) == 0 &&
           aberto.st_dev == agora.st_dev && aberto.st_ino == agora.st_ino;
}

// Holds the creation's lock on its file until it goes.
class Marca {
public:
    explicit Marca(const QString &caminho)
        : fd_(::open(QFile::encodeName(caminho).constData(), O_RDWR | O_CLOEXEC)) {
        // Without locks (a file system that has none) the creation goes on
        // unmarked: no creation can then tell another's file for a leftover.
        perdida_ = fd_ < 0 || (travar(fd_, true) && !mesmoArquivo(fd_, caminho));
    }
    ~Marca() {
        if (fd_ >= 0) ::close(fd_);
    }
    Marca(const Marca &) = delete;
    Marca &operator=(const Marca &) = delete;
    // The file was taken for a leftover before the lock was on it.
    bool perdida() const { return perdida_; }

private:
    int fd_;
    bool perdida_ = false;
};

const QRegularExpression &nomeDeCriacao() {
    static const QRegularExpression re(QStringLiteral("^\\..+\\.[0-9a-f]{8}\\.criando(-journal|-wal|-shm)?$"));
    return re;
}

// Removes from the folder what creations no longer running left.
void removerSobras(const QDir &pasta) {
    const QStringList nomes = pasta.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &nome : nomes) {
        const auto m = nomeDeCriacao().match(nome);
        if (!m.hasMatch()) continue;
        const QString caminho = pasta.filePath(nome);
        if (!m.captured(1).isEmpty()) {
            // A side file outlives its creation file only when the creation is gone.
            const QString principal = caminho.left(caminho.size() - m.captured(1).size());
            if (!QFileInfo::exists(principal)) QFile::remove(caminho);
            continue;
        }
        const int fd = ::open(QFile::encodeName(caminho).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) continue;
        // The lock stays taken while the files go, so a creation that starts
        // waiting for it then finds its file gone and starts again.
        if (travar(fd, false) && mesmoArquivo(fd, caminho)) removerComLados(caminho);
        ::close(fd);
    }
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
    removerSobras(alvo.absoluteDir());
    QString provisorio;
    std::unique_ptr<Marca> marca;
    for (int tentativa = 0;; ++tentativa) {
        provisorio = alvo.absoluteDir().filePath(QStringLiteral(".%1.%2.criando")
                                                     .arg(alvo.fileName())
                                                     .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        try {
            auto banco = dao::DBEngine::CreateDatabase(provisorio, kLocaleGeral + QStringLiteral(";pwd=") + kSenhaBanco);
            // Another creation may have taken the new file for a leftover in
            // the moment before it was marked: it is made again under another name.
            marca = std::make_unique<Marca>(provisorio);
            if (marca->perdida() && tentativa < 3) {
                banco->Close();
                marca.reset();
                removerComLados(provisorio);
                continue;
            }
            construir(*banco, aviso);
            banco->Close();
        } catch (...) {
            removerComLados(provisorio);
            throw;
        }
        break;
    }
    // What the engine left beside the replaced file would be read as the new one's.
    for (const char *lado : kLados) QFile::remove(caminho + QLatin1String(lado));
    if (std::rename(QFile::encodeName(provisorio).constData(), QFile::encodeName(caminho).constData()) != 0) {
        removerComLados(provisorio);
        throw err::AppError(err::db::kDiskError, QStringLiteral("DAO.DBEngine"),
                            QStringLiteral("Não foi possível gravar o novo banco de dados em '%1'.").arg(caminho));
    }
    marca.reset();
    return dao::DBEngine::OpenDatabase(caminho, false, false, ConnectString(kSenhaBanco));
}

} // namespace db
