// The program: start-up, then the message loop until the main window closes.
#include "app/Inicio.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    // Qt's own texts (context menus of the text boxes, file dialogs) in
    // Brazilian Portuguese, when the translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    if (!app::Main())
        return 0;
    return app.exec();
}
