#pragma once
// The program's event loop as the engines see it: let pending events run,
// and end the program. Both do nothing while no application object exists.
namespace platform {

// Handles what is pending (a Cancel button may set an abort flag).
void ProcessPendingEvents();

// Ends the event loop: at once when it runs, else the moment it starts, so a
// program told to end before its loop never lingers.
void QuitEventLoop();

}  // namespace platform
