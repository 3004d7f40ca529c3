#pragma once
// Start-up of the program: finding and opening the database, signing in.
namespace app {

// The program's entry routine: finds and opens the database, signs a user in,
// fills the application context and shows the main window. True when the main
// window is showing and the message loop is to run; false when the program is
// to end at once (nothing further may be processed then).
bool Main();

} // namespace app
