#include "LivroComDocumentos.h"

#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"

#include <sqlite3.h>

#include <set>

namespace benchsupport {

namespace {
void executar(dao::Database &db, const char *sql) {
    char *erro = nullptr;
    if (sqlite3_exec(db.handle(), sql, nullptr, nullptr, &erro) != SQLITE_OK) {
        const QString texto = QString::fromUtf8(erro ? erro : "?");
        sqlite3_free(erro);
        throw std::runtime_error(texto.toStdString());
    }
}
} // namespace

BenchBook &bookWithDocuments(int postings, Arrumacao arrumacao) {
    const bool cronologica = arrumacao == Arrumacao::Cronologica;
    BenchBook &b = bookOnDisk(cronologica ? QStringLiteral("documentos-cronologico") : QStringLiteral("documentos"),
                              postings);
    static std::set<std::pair<int, bool>> prontos;
    if (prontos.insert({postings, cronologica}).second) {
        auto rs = b.db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM Lancamentos WHERE Documento = 'DOC'"),
                                      dao::dbOpenSnapshot);
        if (rs->Field(0).toInt() > 0) {
            const int documentos = (postings + kPostingsPerDocument - 1) / kPostingsPerDocument;
            b.db->workspace().BeginTrans();
            b.db->Execute(QStringLiteral("UPDATE Lancamentos SET Documento = 'NF' & Right('00000' & ((Id * 7919) Mod "
                                         "%1), 6)")
                              .arg(documentos),
                          dao::dbFailOnError);
            b.db->workspace().CommitTrans();
            // Rows stored in DataId order: the table's key is not its row
            // number, so writing the rows again in that order lays them out so.
            if (cronologica)
                executar(*b.db, "BEGIN; CREATE TEMP TABLE Copia AS SELECT * FROM Lancamentos ORDER BY DataId; "
                                "DELETE FROM Lancamentos; INSERT INTO Lancamentos SELECT * FROM temp.Copia; "
                                "DROP TABLE temp.Copia; COMMIT;");
        }
        // A file built before the documents had their index gets it here.
        executar(*b.db, "CREATE INDEX IF NOT EXISTS Documento ON Lancamentos (Documento)");
    }
    return b;
}

} // namespace benchsupport
