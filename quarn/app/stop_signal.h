#pragma once
// SIGINT and SIGTERM end quarn as closing it does, without asking: the running job is cancelled
// as the Cancel command does (an upload stops after its block, a retry pause within a second),
// and so is a job that begins after the signal; it answers its requester, and then the program
// ends. A second signal ends the program at once.

// Installs the handlers; called first thing, before start-up.
void StopOnSignal();
// True once a signal asked the program to end.
bool StopRequested();
