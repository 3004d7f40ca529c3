#include "PendenciasFixture.h"
#include <QFile>
#include "db/Schema.h"
#include "platform/dao/Engine.h"
TEST_F(Pendencias, DISABLED_Visual) {
    plano();
    conta(QStringLiteral("001.001.001"), QStringLiteral("CONTA CORRENTE EMPRESA"));
    tipo(QStringLiteral("003.001"), QStringLiteral("SALARIO EXTRA DE FIM DE ANO"));
    for (int i = 0; i < 30; ++i) {
        lancar(i % 2 ? "001.001.001" : "002", i % 3 ? "003.001" : "004", (i % 4 ? 1 : -1) * (1000 + 137 * i), hoje().addDays(-60 + 2 * i),
               i % 5 ? QStringLiteral("NF %1").arg(i) : QString());
        if (i % 7 == 0) transferir("001", "002", 5000 + i, hoje().addDays(-59 + 2 * i), QStringLiteral("TR%1").arg(i));
    }
    lancar("001", "004", -9999999999, hoje());
    db->Close();
    QFile::remove("/tmp/i11-vis.mdb");
    QFile::copy(dir.file(QStringLiteral("livro.mdb")), "/tmp/i11-vis.mdb");
    db = dao::DBEngine::OpenDatabase(dir.file(QStringLiteral("livro.mdb")), false, false, db::ConnectString(db::kSenhaBanco));
    fin::gDB = db.get();
}
