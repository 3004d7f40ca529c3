#include "ui/Sessao.h"

#include "db/Module1.h"
#include "platform/app/Application.h"
#include "platform/dao/Database.h"
#include "platform/ui/Form.h"
#include "ui/AppContext.h"
#include "ui/DialogoArquivo.h"

#include <QDir>
#include <QWidget>

namespace ui {

QString CaminhoBancoPadrao() { return db::AppPath() + platform::App::EXEName() + QStringLiteral(".mdb"); }

QString GetDBPath(QWidget *owner) {
    const QString filtro = QStringLiteral("Bancos de dados do Access (*.mdb)") + QChar(u'\0') + QStringLiteral("*.mdb");
    QString escolha = MostrarDialogoCentralizado(
        owner, kDialogoAbrir, platform::App::Title() + QStringLiteral(" - Informe o caminho do banco de dados"),
        QString(), filtro, QDir::currentPath(), QString(), false);
    if (escolha.trimmed().isEmpty())
        return {};
    const int nul = escolha.indexOf(QChar(u'\0'));
    if (nul >= 0)
        escolha.truncate(nul);
    return escolha;
}

void FecharBanco(dao::Database *&db) {
    try {
        if (db)
            db->Close();
    } catch (...) {
    }
    delete db;
    db = nullptr;
}

void Finalizar() {
    static bool emAndamento = false;
    if (emAndamento)
        return;
    emAndamento = true;
    try {
        if (MainForm)
            MainForm->Unload(platform::ui::vbFormCode);
    } catch (...) {
    }
    FecharBanco(gDB);
    emAndamento = false;
}

void PosicionarJanela(QWidget *janela, bool topmost) {
    if (!janela)
        return;
    const QRect lugar = janela->geometry();
    const bool visivel = janela->isVisible();
    const bool colocada = janela->testAttribute(Qt::WA_Moved);
    // Changing the window's band re-creates it hidden; put it back as it was.
    // A window not yet placed stays so: it opens where dialogs open, not at
    // the corner its unplaced geometry names.
    janela->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (colocada) janela->setGeometry(lugar);
    else janela->resize(lugar.size());
    if (visivel)
        janela->show();
}

} // namespace ui
