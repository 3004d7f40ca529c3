#pragma once
// Keyboard and event-queue helpers: a simulated Tab, yielding to queued
// input, dropping queued input, pausing, and the one-window redraw lock.
class QWidget;

namespace platform::ui {

// Queues a Tab keystroke for the widget that has the focus.
void SendTab();
// Lets every queued event run.
void DoEvents();
// Drops queued key presses and releases / mouse moves, presses, releases and
// double clicks that have not been delivered yet.
void DiscardQueuedKeyboardInput();
void DiscardQueuedMouseInput();
void Sleep(int milliseconds);

// Stops redrawing one window; nullptr redraws the locked window again. Only
// one window is locked at a time: locking another while one is locked is
// refused (false).
bool LockWindowUpdate(QWidget *w);
QWidget *LockedWindow();

} // namespace platform::ui
