#include "LivroComDocumentos.h"

#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"

#include <sqlite3.h>

namespace benchsupport {

BenchBook &bookWithDocuments(int postings) {
    BenchBook &b = bookOnDisk(QStringLiteral("documentos"), postings);
    static bool feito = false;
    if (!feito) {
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
        }
        // A file built before the documents had their index gets it here.
        sqlite3_exec(b.db->handle(), "CREATE INDEX IF NOT EXISTS Documento ON Lancamentos (Documento)", nullptr,
                     nullptr, nullptr);
        feito = true;
    }
    return b;
}

} // namespace benchsupport
