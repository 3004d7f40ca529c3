#pragma once
// The application context: what every window and routine shares for the
// whole run. Filled by the start-up, never reset. Data only: the header
// belongs to fin_ui_base, which the routines below the windows link.
#include <QPointer>
#include <QString>

namespace dao { class Database; }
namespace platform::ui { class Form; }

namespace ui {

// The open database file; emptied at shutdown.
inline dao::Database *gDB = nullptr;

// The signed-in user.
inline long gIdUsuario = 0;
inline long gTipoUsuario = 0; // db::kAdministrador or db::kUsuarioComum
inline QString gIdLogin;

// Data-present mask: bit 1 while the accounts chart holds more than its root,
// bit 2 while the types chart holds more than one row.
constexpr long kTemContas = 1;
constexpr long kTemRecDesp = 2;
inline long gTemDados = 0;

// Registered message ids of "$Zorvel$", "$MSG_GRID_RESIZE$", "$MSG_GRID_SEL_LINE$".
inline int gMsgNodeClick = 0;
inline int gMsgGridResize = 0;
inline int gMsgGridSelLine = 0;

// The last trapped error.
inline long gErrNumero = 0;
inline QString gErrDescricao;
inline QString gErrLocal;

// The one main window.
inline QPointer<platform::ui::Form> MainForm;

// Registers the three window messages, in this order, into the context
// (defined in fin_ui: it registers through the window layer).
void RegistrarMensagens();

} // namespace ui
