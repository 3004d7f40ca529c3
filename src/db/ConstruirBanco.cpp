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
#include <memory>
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

QByteArray nomeLocal(const QString &caminho) { return QFile::encodeName(caminho); }

void removerComLados(const QString &caminho) {
    QFile::remove(caminho);
    for (const char *lado : kLados) QFile::remove(caminho + QLatin1String(lado));
}

// Anything at the path, a link to nowhere or a folder too.
bool haAlgoEm(const QString &caminho) {
    struct stat st {};
    return ::lstat(nomeLocal(caminho).constData(), &st) == 0 || errno != ENOENT;
}

[[noreturn]] void recusarExistente(const QString &arquivo) {
    throw err::AppError(err::db::kDatabaseExists, QStringLiteral("DAO.DBEngine"), TextoArquivoExistente(arquivo));
}

[[noreturn]] void erroAoGravar(const QString &caminho) {
    throw err::AppError(err::db::kDiskError, QStringLiteral("DAO.DBEngine"),
                        QStringLiteral("Não foi possível gravar o novo banco de dados em '%1'.").arg(caminho));
}

enum class Colocado { Sim, NomeOcupado, Falhou };

// Gives the file `de` the name `para` only while no file has that name: the
// check and the move are one step, so a file that appears at `para` at any
// moment is never replaced.
Colocado renomearSemSubstituir(const QString &de, const QString &para) {
    const QByteArray a = nomeLocal(de), b = nomeLocal(para);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0) return Colocado::Sim;
    if (errno == EEXIST) return Colocado::NomeOcupado;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return Colocado::Falhou;
    // A file system that cannot rename that way (NFS): a second name for the
    // file fails just the same when the name is taken; then the first goes.
    if (::link(a.constData(), b.constData()) != 0) return errno == EEXIST ? Colocado::NomeOcupado : Colocado::Falhou;
    ::unlink(a.constData());
    return Colocado::Sim;
}

// A creation holds a write lock on one byte of its file for as long as it
// runs; a creation file whose byte anyone can lock belongs to a creation that
// is no longer running (killed, or its machine stopped). The lock is one of
// the open file itself, not of the process, so the engine's own locks on the
// file (on other bytes, far above this one) neither disturb it nor are
// disturbed by it; it goes with the process, however the process ends.
constexpr off_t kByteDaCriacao = 0x20000000;

// Takes the lock, without waiting for it.
bool travar(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kByteDaCriacao;
    fl.l_len = 1;
    int rc;
    do rc = ::fcntl(fd, F_OFD_SETLK, &fl);
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// The same file the path names now (not one removed and made again).
bool mesmoArquivo(int fd, const QString &caminho) {
    struct stat aberto {}, agora {};
    return ::fstat(fd, &aberto) == 0 && ::stat(nomeLocal(caminho).constData(), &agora) == 0 &&
           aberto.st_dev == agora.st_dev && aberto.st_ino == agora.st_ino;
}

// The creation's own file, empty, under a name the sweep knows (see
// removerSobras), locked before that name appears and until it goes. No
// moment exists when another creation could find it under that name without
// its lock, so none takes it for a leftover while this creation runs.
//
// The file is made nameless and locked, then named; where the file system
// cannot make a nameless file (NFS), it is made and locked under a name the
// sweep never reads ("….criando.novo") and then renamed. A creation killed in
// the instant before that rename leaves that file behind, empty: no sweep can
// tell it from one whose creation has made it and not yet locked it, so it
// stays. Made with the engine's own permissions for a new file.
class ArquivoDaCriacao {
public:
    explicit ArquivoDaCriacao(const QFileInfo &alvo) {
        for (int tentativa = 0; tentativa < 16; ++tentativa) {
            caminho_ = alvo.absoluteDir().filePath(QStringLiteral(".%1.%2.criando")
                                                       .arg(alvo.fileName())
                                                       .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
            const Colocado c = semNome() ? nomearSemNome() : comNomeProvisorio();
            if (c == Colocado::Sim) return;
            if (fd_ >= 0) ::close(fd_);
            fd_ = -1;
            if (c == Colocado::Falhou) break;
        }
        erroAoGravar(alvo.filePath());
    }
    ~ArquivoDaCriacao() {
        if (fd_ >= 0) ::close(fd_);
    }
    ArquivoDaCriacao(const ArquivoDaCriacao &) = delete;
    ArquivoDaCriacao &operator=(const ArquivoDaCriacao &) = delete;
    const QString &caminho() const { return caminho_; }

private:
    // Without locks (a file system that has none) the creation goes on
    // unmarked: no creation can then tell another's file for a leftover.
    void marcar() { travar(fd_); }

    bool semNome() {
        fd_ = ::open(nomeLocal(QFileInfo(caminho_).absolutePath()).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
        if (fd_ < 0) return false;
        marcar();
        return true;
    }
    Colocado nomearSemNome() {
        const QByteArray proprio = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(fd_);
        if (::linkat(AT_FDCWD, proprio.constData(), AT_FDCWD, nomeLocal(caminho_).constData(), AT_SYMLINK_FOLLOW) == 0)
            return Colocado::Sim;
        if (errno == EEXIST) return Colocado::NomeOcupado;
        // No way to name it here (no /proc): the other way then.
        ::close(fd_);
        fd_ = -1;
        return comNomeProvisorio();
    }
    Colocado comNomeProvisorio() {
        const QString provisorio = caminho_ + QStringLiteral(".novo");
        fd_ = ::open(nomeLocal(provisorio).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0) return errno == EEXIST ? Colocado::NomeOcupado : Colocado::Falhou;
        marcar();
        const Colocado c = renomearSemSubstituir(provisorio, caminho_);
        if (c != Colocado::Sim) QFile::remove(provisorio);
        return c;
    }

    QString caminho_;
    int fd_ = -1;
};

const QRegularExpression &nomeDeCriacao() {
    static const QRegularExpression re(QStringLiteral("^\\..+\\.[0-9a-f]{8}\\.criando(-journal|-wal|-shm)?$"));
    return re;
}

// Removes from the folder what creations no longer running left: a creation
// file nobody holds locked (see ArquivoDaCriacao), and a side file whose
// creation file is gone.
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
        const int fd = ::open(nomeLocal(caminho).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) continue;
        // The lock stays taken while the files go.
        if (travar(fd) && mesmoArquivo(fd, caminho)) removerComLados(caminho);
        ::close(fd);
    }
}

GanchoDeCriacao &gancho() {
    static GanchoDeCriacao g;
    return g;
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

GanchoDeCriacao TrocarGanchoDeCriacao(GanchoDeCriacao novo) {
    GanchoDeCriacao antigo = std::move(gancho());
    gancho() = std::move(novo);
    return antigo;
}

QString TextoArquivoExistente(const QString &arquivo) {
    return QStringLiteral("O arquivo '%1' já existe e não foi alterado. Para substituí-lo por um banco de dados novo, "
                          "remova-o antes.")
        .arg(arquivo);
}

std::unique_ptr<dao::Database> ConstruirBancoDeDados(const QString &caminho, const Aviso &aviso, SeExistir seExistir) {
    // Refused before anything is made; and what the engine would leave
    // beside a new book must not be there either, or it would be read as
    // the new book's.
    if (seExistir == SeExistir::Recusar) {
        if (haAlgoEm(caminho)) recusarExistente(caminho);
        for (const char *lado : kLados)
            if (haAlgoEm(caminho + QLatin1String(lado))) recusarExistente(caminho + QLatin1String(lado));
    }
    // Built beside the target under a name of its own and moved into place
    // only when complete: an interrupted or failed creation (a full disk)
    // leaves no half-made book behind, and a file it replaces stays whole
    // until the new one is ready.
    const QFileInfo alvo(caminho);
    removerSobras(alvo.absoluteDir());
    auto arquivo = std::make_unique<ArquivoDaCriacao>(alvo);
    const QString provisorio = arquivo->caminho();
    try {
        // A copy: the hook may take itself away.
        if (const GanchoDeCriacao g = gancho()) g(provisorio);
        auto banco = dao::DBEngine::CreateDatabaseInEmptyFile(provisorio, kLocaleGeral + QStringLiteral(";pwd=") + kSenhaBanco);
        construir(*banco, aviso);
        banco->Close();
    } catch (...) {
        removerComLados(provisorio);
        throw;
    }
    if (seExistir == SeExistir::Recusar) {
        const Colocado c = renomearSemSubstituir(provisorio, caminho);
        if (c != Colocado::Sim) {
            removerComLados(provisorio);
            if (c == Colocado::NomeOcupado) recusarExistente(caminho);
            erroAoGravar(caminho);
        }
    } else {
        // What the engine left beside the replaced file would be read as the new one's.
        for (const char *lado : kLados) QFile::remove(caminho + QLatin1String(lado));
        if (std::rename(nomeLocal(provisorio).constData(), nomeLocal(caminho).constData()) != 0) {
            removerComLados(provisorio);
            erroAoGravar(caminho);
        }
    }
    // Let go before the engine opens the book: closing a file drops every lock
    // the process holds on it, the engine's among them.
    arquivo.reset();
    return dao::DBEngine::OpenDatabase(caminho, false, false, ConnectString(kSenhaBanco));
}

} // namespace db
