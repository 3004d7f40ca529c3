#pragma once
// The error trap of every procedure that does work, and the central error
// report.
//
//   try { ... }
//   catch (...) { FIN_TRAP_REPORT("frmContas", "cmdImprimir_Click"); }   // handlers
//   catch (...) { FIN_TRAP_REPORT_CLOSE(this, "frmContas", "Form_Load"); } // and the window closes
//   catch (...) { FIN_TRAP_RERAISE("Module1", "QuebraLinha"); }          // routines
//
// The trap itself (ui/ErrorTrap.h) shows nothing and is shared with the
// routines below the windows; the report shows the message box.
#include "ui/ErrorTrap.h"

class QObject;

namespace ui {

// The central error report; reads the three error fields.
void TrataErros();

// The central error report of a window that cannot go on, which then closes
// once the current message is handled. The report's box runs the window
// system until it is answered, and whatever closed the window meanwhile has
// deleted it: the close is posted after the answer, and only to a window
// still there.
void TrataErrosEFecha(QObject *janela);

} // namespace ui

#define FIN_TRAP_REPORT(obj, proc) (::ui::Trap(obj, proc, __LINE__), ::ui::TrataErros())
#define FIN_TRAP_REPORT_CLOSE(janela, obj, proc) (::ui::Trap(obj, proc, __LINE__), ::ui::TrataErrosEFecha(janela))
