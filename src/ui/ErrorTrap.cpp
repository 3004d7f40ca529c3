#include "ui/ErrorTrap.h"

#include "ui/AppContext.h"

#include <exception>

namespace ui {

QString Local(const char *objeto, const char *procedimento, int linha) {
    return QStringLiteral("em %1_%2, linha: %3")
        .arg(QString::fromUtf8(objeto), QString::fromUtf8(procedimento))
        .arg(linha);
}

void Trap(const char *objeto, const char *procedimento, int linha) {
    QString source;
    try {
        throw;
    } catch (const err::AppError &e) {
        gErrNumero = e.number();
        gErrDescricao = e.description();
        source = e.source();
    } catch (const std::exception &e) {
        gErrNumero = err::kErrGeneric;
        gErrDescricao = QString::fromUtf8(e.what());
    } catch (...) {
        gErrNumero = err::kErrGeneric;
        gErrDescricao = QStringLiteral("Erro desconhecido.");
    }
    gErrLocal = source.startsWith(QLatin1String("em ")) ? source : Local(objeto, procedimento, linha);
}

void Reraise() { throw err::AppError(gErrNumero, gErrLocal, gErrDescricao); }

} // namespace ui
