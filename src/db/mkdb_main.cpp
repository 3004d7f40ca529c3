// Build-time tool: creates a complete new database file at the given path.
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/err/AppError.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "uso: finoteca-mkdb ARQUIVO.mdb\n");
        return 2;
    }
    try {
        db::ConstruirBancoDeDados(QString::fromLocal8Bit(argv[1]));
    } catch (const err::AppError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
