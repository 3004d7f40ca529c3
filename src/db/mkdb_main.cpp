// Build-time tool: creates a complete new database file at the given path.
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/err/AppError.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

namespace {

const char kUso[] = "uso: finoteca-mkdb [--] ARQUIVO.mdb\n"
                    "Cria um banco de dados novo e completo em ARQUIVO.mdb, que não pode existir:\n"
                    "para substituir um banco, remova-o antes.\n"
                    "Um nome de arquivo que comece por '-' vai depois de '--'.\n";

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    // Options are options: a word that starts with '-' never becomes a file
    // name unless it comes after "--".
    const char *arquivo = nullptr;
    bool opcoes = true;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (opcoes && std::strcmp(a, "--") == 0) {
            opcoes = false;
        } else if (opcoes && (std::strcmp(a, "--help") == 0)) {
            std::fputs(kUso, stdout);
            return 0;
        } else if (opcoes && a[0] == '-') {
            std::fprintf(stderr, "finoteca-mkdb: opção desconhecida '%s'\n%s", a, kUso);
            return 2;
        } else if (arquivo) {
            std::fputs(kUso, stderr);
            return 2;
        } else {
            arquivo = a;
        }
    }
    if (!arquivo || !*arquivo) {
        std::fputs(kUso, stderr);
        return 2;
    }
    // A file already there is never replaced: it may be a book with data, or
    // one a running copy of the program has open.
    try {
        db::ConstruirBancoDeDados(QString::fromLocal8Bit(arquivo), {}, db::SeExistir::Recusar);
    } catch (const err::AppError &e) {
        if (e.number() == err::db::kDatabaseExists)
            std::fprintf(stderr, "finoteca-mkdb: %s\n", e.description().toLocal8Bit().constData());
        else
            std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
