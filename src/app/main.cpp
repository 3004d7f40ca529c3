// The program: start-up, then the message loop until the main window closes.
#include "app/Inicio.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (!fin::Main())
        return 0;
    return app.exec();
}
