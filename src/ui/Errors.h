#pragma once
// The error trap of every procedure that does work, and the central error
// report.
//
//   try { ... }
//   catch (...) { FIN_TRAP_REPORT("frmContas", "cmdImprimir_Click"); }   // handlers
//   catch (...) { FIN_TRAP_RERAISE("Module1", "QuebraLinha"); }          // routines
//
// The trap itself (ui/ErrorTrap.h) shows nothing and is shared with the
// routines below the windows; the report shows the message box.
#include "ui/ErrorTrap.h"

namespace ui {

// The central error report; reads the three error fields.
void TrataErros();

} // namespace ui

#define FIN_TRAP_REPORT(obj, proc) (::ui::Trap(obj, proc, __LINE__), ::ui::TrataErros())
