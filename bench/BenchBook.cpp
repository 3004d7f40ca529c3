#include "BenchBook.h"

#include "db/ConstruirBanco.h"
#include "db/Schema.h"
#include "db/SqlTexto.h"
#include "platform/dao/Database.h"
#include "platform/dao/Engine.h"
#include "platform/dao/Recordset.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <map>

namespace benchsupport {

namespace {

// Changes whenever the book or the file layout changes, so an old file is
// built again rather than measured.
QString marca(const testsupport::BookShape &s) {
    QString m = QStringLiteral("v2 %1 %2 %3 %4 %5").arg(s.postings).arg(s.accountsPerLevel).arg(s.levels).arg(s.days).arg(s.typedInDateOrder);
    auto leque = [](const std::vector<int> &v) {
        QStringList l;
        for (int n : v) l << QString::number(n);
        return l.join(QLatin1Char('x'));
    };
    if (!s.accountFan.empty() || !s.typeFan.empty())
        m += QStringLiteral(" %1 %2 %3 impares").arg(leque(s.accountFan), leque(s.typeFan)).arg(s.secondLevelPercent);
    return m;
}

QStringList codigos(dao::Database &db, const QString &tabela, const QString &excluir) {
    QStringList out;
    auto rs = db.OpenRecordset(QStringLiteral("SELECT Codigo FROM %1 WHERE Codigo NOT IN (%2) ORDER BY Codigo").arg(tabela, excluir),
                               dao::dbOpenSnapshot);
    for (; !rs->Eof(); rs->MoveNext()) out << rs->Field(0).toString();
    return out;
}

bool reaproveitar(BenchBook &b, const QString &path) {
    if (!QFile::exists(path)) return false;
    try {
        b.db = dao::DBEngine::OpenDatabase(path, false, false, db::ConnectString(db::kSenhaBanco));
        auto rs = b.db->OpenRecordset(QStringLiteral("SELECT Marca, Inicio FROM BancoDeTeste"), dao::dbOpenSnapshot);
        if (rs->Eof() || rs->Field(0).toString() != marca(b.shape)) throw 0;
        b.shape.first = rs->Field(1).toDate().date();
        b.book.accounts = codigos(*b.db, QStringLiteral("Contas"), QStringLiteral("'000'"));
        b.book.types = codigos(*b.db, QStringLiteral("TiposMovimentacoes"), QStringLiteral("'000','001','002'"));
        return true;
    } catch (...) {
        b.db.reset();
        return false;
    }
}

// The page-size study: with FIN_BENCH_PAGINA=<bytes> each book is measured
// in a copy written in pages of that size (kept beside the book), the book
// itself staying as built.
void emPaginas(BenchBook &b, const QString &path) {
    const int pagina = qEnvironmentVariableIntValue("FIN_BENCH_PAGINA");
    if (pagina <= 0) return;
    const QString copia = path.chopped(4) + QStringLiteral("-p%1.mdb").arg(pagina);
    BenchBook c;
    c.shape = b.shape;
    if (reaproveitar(c, copia)) {
        b.db = std::move(c.db);
        return;
    }
    for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(copia + QString::fromLatin1(suffix));
    b.db->Checkpoint();
    // The connection may not create files: the copy starts as an empty one.
    QFile vazio(copia);
    vazio.open(QIODevice::WriteOnly);
    vazio.close();
    const QByteArray sql = QStringLiteral("ATTACH DATABASE '%1' AS copia KEY '%2'; PRAGMA copia.cipher_page_size = %3; "
                                          "SELECT sqlcipher_export('copia'); DETACH DATABASE copia;")
                               .arg(copia, db::kSenhaBanco)
                               .arg(pagina)
                               .toUtf8();
    char *erro = nullptr;
    if (sqlite3_exec(b.db->handle(), sql.constData(), nullptr, nullptr, &erro) != SQLITE_OK)
        qFatal("page-size copy failed: %s", erro);
    b.db.reset();
    if (!reaproveitar(b, copia)) qFatal("page-size copy does not open");
}

BenchBook &onDisk(const QString &name, testsupport::BookShape forma, const QString &sufixo) {
    static std::map<std::tuple<QString, int, QString, bool>, std::unique_ptr<BenchBook>> books;
    auto &b = books[{name, forma.postings, sufixo, forma.typedInDateOrder}];
    if (!b) {
        b = std::make_unique<BenchBook>();
        b->shape = forma;
        b->shape.days = 3650;
        const QString path = QDir::temp().filePath(QStringLiteral("fin-bench-%1-%2-%3%4.mdb")
                                                       .arg(name)
                                                       .arg(forma.postings)
                                                       .arg(forma.typedInDateOrder ? "datas" : "aleatoria")
                                                       .arg(sufixo));
        if (!reaproveitar(*b, path)) {
            for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(path + QString::fromLatin1(suffix));
            b->db = db::ConstruirBancoDeDados(path);
            b->shape.first = QDate::currentDate().addDays(-b->shape.days - 1);
            b->book = testsupport::writeBook(*b->db, b->shape);
            dao::TableDef marcaDoLivro{QStringLiteral("BancoDeTeste"),
                                       {{QStringLiteral("Marca"), value::DataType::Text, 60, 0, false, false, std::nullopt},
                                        {QStringLiteral("Inicio"), value::DataType::Date, 0, 0, false, false, std::nullopt}},
                                       {}};
            b->db->CreateTable(marcaDoLivro);
            b->db->Execute(QStringLiteral("INSERT INTO BancoDeTeste (Marca, Inicio) VALUES ('%1', #%2#)")
                               .arg(marca(b->shape), b->shape.first.toString(QStringLiteral("MM/dd/yyyy"))));
            b->db->Checkpoint();
        }
        emPaginas(*b, path);
    }
    return *b;
}

} // namespace

BenchBook &bookOnDisk(const QString &name, int postings, Ordem ordem) { return bookOnDisk(name, postings, 6, 2, ordem); }

BenchBook &bookOnDisk(const QString &name, int postings, int perLevel, int levels, Ordem ordem) {
    testsupport::BookShape forma;
    forma.postings = postings;
    forma.accountsPerLevel = perLevel;
    forma.levels = levels;
    forma.leavesOnly = true;
    forma.typedInDateOrder = ordem == Ordem::Datas;
    return onDisk(name, forma,
                  perLevel == 6 && levels == 2 ? QString() : QStringLiteral("-%1x%2").arg(perLevel).arg(levels));
}

BenchBook &bookOnDiskTresNiveis(const QString &name, int postings, Ordem ordem) {
    testsupport::BookShape forma;
    forma.postings = postings;
    forma.accountFan = {4, 4, 5};
    forma.typeFan = {4, 4, 3};
    forma.secondLevelPercent = 3;
    forma.typedInDateOrder = ordem == Ordem::Datas;
    return onDisk(name, forma, QStringLiteral("-tres-niveis"));
}

long IdDoItem(dao::Database &db, bool conta, const QString &codigo) {
    auto rs = db.OpenRecordset((conta ? QStringLiteral("SELECT Id FROM Contas WHERE Codigo = ")
                                      : QStringLiteral("SELECT Id FROM TiposMovimentacoes WHERE Codigo = ")) +
                                   db::SqlTexto(codigo),
                               dao::dbOpenSnapshot);
    return rs->Eof() ? 0 : long(rs->Field(0).toInt());
}

} // namespace benchsupport
