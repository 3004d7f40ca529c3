#pragma once
// The error trap of every procedure that does work, without the report: what
// routines that show no window need to keep an error's innermost location and
// raise it again.
//
//   catch (...) { FIN_TRAP_RERAISE("Module1", "QuebraLinha"); }          // routines
//
// The trap keeps the error's number and description and the location
// "em Objeto_Procedimento, linha: N"; an error whose source already starts
// with "em " keeps it, so a re-raised error carries its innermost location.
// The central report (FIN_TRAP_REPORT, TrataErros) is in ui/Errors.h.
#include "platform/err/AppError.h"

#include <QString>

namespace ui {

// Location text of a procedure.
QString Local(const char *objeto, const char *procedimento, int linha);

// Stores the error being handled (call inside a catch block) into gErrNumero,
// gErrDescricao and gErrLocal. Any exception is taken: an AppError as it is,
// another std::exception as a generic failure with its text.
void Trap(const char *objeto, const char *procedimento, int linha);

// Raises the stored error again: number gErrNumero, source gErrLocal,
// description gErrDescricao.
[[noreturn]] void Reraise();

} // namespace ui

#define FIN_TRAP(obj, proc) ::ui::Trap(obj, proc, __LINE__)
#define FIN_TRAP_RERAISE(obj, proc) (::ui::Trap(obj, proc, __LINE__), ::ui::Reraise())
