// Processes: starting programs, the single running player, and termination signals.
#pragma once

#include <string>
#include <vector>

// Starts a program without waiting for it; false when it could not be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments);
// Opens a file or address with the desktop's opener (xdg-open); fire and forget.
bool OpenWithDesktop(const std::string& target);

// Single instance by replacement over a UNIX socket in $XDG_RUNTIME_DIR (or the player's home).
// Asks a running player to close its main window and waits until that window has handled the
// request; true when there was one.
bool AskRunningPlayerToClose();
// Serves later players' requests from now on: each request runs `closeMainWindow` on a
// listener thread (which must wait until the window has handled it) before answering.
void ListenForReplacement(void (*closeMainWindow)());
void StopListeningForReplacement();

// SIGINT and SIGTERM call `handler` on a thread of their own instead of ending the process.
// Call before any other thread starts, so that every thread inherits the blocked mask.
void RouteTerminationSignals(void (*handler)());
