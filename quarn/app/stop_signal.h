#pragma once
// SIGINT and SIGTERM end quarn as closing it does: the running job is cancelled as the Cancel
// command does (an upload stops after its block, a retry pause within a second), answers its
// requester, and then the program ends. A second signal ends the program at once.

// Installs the handlers.
void StopOnSignal();
// True once a signal asked the program to end.
bool StopRequested();
