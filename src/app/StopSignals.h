#pragma once
// SIGTERM and SIGINT both ask the gateway to stop; the window and the headless runner each give
// the handler that passes the request on in their own way.

// Installs handler for SIGTERM and SIGINT (SIG_DFL restores the default). Interrupted system
// calls are restarted, so a stop request never breaks an exchange with the phone.
void SetStopSignalHandler(void (*handler)(int));
